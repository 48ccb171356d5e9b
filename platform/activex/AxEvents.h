// The outgoing side of a control: its event connection point (any number of
// sinks, each a dispatch sink of the event interface) and the delivery of
// one event to every connected sink, in the order they connected.
#pragma once

#include <ocidl.h>
#include <oleauto.h>

#include <string>
#include <vector>

// How an event argument of C++ type T becomes a VARIANT. Only the types
// below have a mapping, and they are matched exactly: an argument of any
// other type (an int where a SHORT is meant, a char string) does not compile.
template <class T>
struct CAxEventArg;

template <>
struct CAxEventArg<SHORT> {
    static void Set(VARIANT &v, SHORT n)
    {
        V_VT(&v) = VT_I2;
        V_I2(&v) = n;
    }
};

template <>
struct CAxEventArg<LONG> {
    static void Set(VARIANT &v, LONG n)
    {
        V_VT(&v) = VT_I4;
        V_I4(&v) = n;
    }
};

// VARIANT_BOOL is a SHORT to the compiler, so a boolean travels as bool.
template <>
struct CAxEventArg<bool> {
    static void Set(VARIANT &v, bool b)
    {
        V_VT(&v) = VT_BOOL;
        V_BOOL(&v) = b ? VARIANT_TRUE : VARIANT_FALSE;
    }
};

// A string (a BSTR too) is copied into a BSTR of the event's own.
template <>
struct CAxEventArg<LPCWSTR> {
    static void Set(VARIANT &v, LPCWSTR psz)
    {
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = SysAllocString(psz);
    }
};

template <>
struct CAxEventArg<LPWSTR> : CAxEventArg<LPCWSTR> {};

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

// One event on its way to the sinks: the arguments are built (see
// CAxEventArg) and the sinks collected when it is constructed; Deliver
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

    template <class... Args>
    CAxEventDelivery(const CAxConnectionPoint &point, DISPID dispid, Args... args)
        : m_dispid(dispid), m_args(sizeof...(Args)), m_sinks(point.GetSinks())
    {
        // DISPPARAMS order: the last parameter first. The vector starts
        // them out as VT_EMPTY.
        [[maybe_unused]] size_t nIndex = sizeof...(Args);
        (CAxEventArg<Args>::Set(m_args[--nIndex], args), ...);
    }
    ~CAxEventDelivery();

    CAxEventDelivery(const CAxEventDelivery &) = delete;
    CAxEventDelivery &operator=(const CAxEventDelivery &) = delete;

    void Deliver();
    // For AxCallGuarded.
    static void DeliverThunk(void *pvDelivery);
    const std::vector<SinkException> &GetSinkExceptions() const { return m_sinkExceptions; }

private:
    DISPID m_dispid;
    std::vector<VARIANT> m_args;
    std::vector<IDispatch *> m_sinks;
    std::vector<SinkException> m_sinkExceptions;
};
