// The outgoing side of a control: its event connection point (any number of
// sinks, each a dispatch sink of the event interface) and the delivery of
// one event to every connected sink, in the order they connected.
#pragma once

#include <ocidl.h>

#include <cstdarg>
#include <string>
#include <vector>

// Parameter type codes of an event, one character per parameter, written
// as adjacent string literals: AX_VTS_BSTR AX_VTS_I4 for (BSTR, long).
#define AX_VTS_NONE ""
#define AX_VTS_I2 "\x02"    // SHORT, passed as int through "..."
#define AX_VTS_I4 "\x03"    // LONG
#define AX_VTS_BOOL "\x0B"  // BOOL (any non-zero is VARIANT_TRUE)
#define AX_VTS_BSTR "\x08"  // LPCWSTR, copied into a new BSTR

// The connection point of one outgoing interface. It lives inside its
// container and shares the container's reference count.
class CAxConnectionPoint : public IConnectionPoint {
public:
    CAxConnectionPoint(IConnectionPointContainer *pContainer, const IID &iid);
    ~CAxConnectionPoint();

    CAxConnectionPoint(const CAxConnectionPoint &) = delete;
    CAxConnectionPoint &operator=(const CAxConnectionPoint &) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetConnectionInterface(IID *pIID) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer **ppCPC) override;
    // The sink is asked for the event interface; a sink that only answers
    // IDispatch is accepted too, since every event is a dispatch call.
    STDMETHODIMP Advise(IUnknown *pUnkSink, DWORD *pdwCookie) override;
    STDMETHODIMP Unadvise(DWORD dwCookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections **ppEnum) override;

    const IID &GetIID() const { return m_iid; }
    // The connected sinks in connection order, each with a reference the
    // caller releases.
    std::vector<IDispatch *> GetSinks() const;
    size_t GetSinkCount() const { return m_sinks.size(); }

    // Drops every connection (the container is going away).
    void UnadviseAll();

private:
    struct Connection {
        DWORD dwCookie;
        IDispatch *pSink;
    };

    IConnectionPointContainer *m_pContainer;
    IID m_iid;
    DWORD m_dwNextCookie;
    std::vector<Connection> m_sinks;
};

// A fresh enumerator over the given connection points (each AddRef'ed).
HRESULT AxCreateConnectionPointEnum(IConnectionPoint *const *ppPoints, size_t nPoints,
                                    IEnumConnectionPoints **ppEnum);

// One event on its way to the sinks: the arguments are built (a BSTR copy
// of each string) and the sinks collected when it is constructed; Deliver
// calls each sink's Invoke with the DISPID and arguments, one after the
// other; the destructor releases both. Deliver owns nothing, so a guard may
// abandon it half way without leaking. A sink that answers with an error
// of its own (a script handler's throw: DISP_E_EXCEPTION with an EXCEPINFO,
// or under Wine the bare error code) does not stop the delivery; what it
// said is kept for the caller. A sink that does not handle the event
// (DISP_E_MEMBERNOTFOUND, DISP_E_UNKNOWNNAME, E_NOTIMPL) has said nothing.
class CAxEventDelivery {
public:
    struct SinkException {
        HRESULT hrCode;  // the EXCEPINFO's scode, else the sink's result
        std::wstring strSource;
        std::wstring strDescription;
    };

    CAxEventDelivery(const CAxConnectionPoint &point, DISPID dispid, const char *pszTypes, va_list args);
    ~CAxEventDelivery();

    CAxEventDelivery(const CAxEventDelivery &) = delete;
    CAxEventDelivery &operator=(const CAxEventDelivery &) = delete;

    // False when the type list holds a code the framework does not know;
    // such an event is not delivered.
    bool IsValid() const { return m_bValid; }
    void Deliver();
    // For AxCallGuarded.
    static void DeliverThunk(void *pvDelivery);
    const std::vector<SinkException> &GetSinkExceptions() const { return m_sinkExceptions; }

private:
    DISPID m_dispid;
    bool m_bValid;
    std::vector<VARIANT> m_args;  // in DISPPARAMS order: last parameter first
    std::vector<IDispatch *> m_sinks;
    std::vector<SinkException> m_sinkExceptions;
};
