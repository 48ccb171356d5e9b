// The event sink of the C++ terminal: an IDispatch that the control calls
// through its connection point. A stand-alone sample for users: it builds on
// nothing of the project's own COM code, only on the Windows headers, so it
// can be copied into an application as it is. It prints each event with its arguments,
// naming the event from the control's type information, and counts the
// arrivals that the application waits for.
#ifndef ZT_EXAMPLES_EVENTPRINTER_H
#define ZT_EXAMPLES_EVENTPRINTER_H

#include <windows.h>
#include <ocidl.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace terminal {

class EventPrinter final : public IDispatch {
public:
    using LineWriter = std::function<void(const std::string &strLine)>;

    // Each event's line goes to writeLine; by default to standard output.
    explicit EventPrinter(LineWriter writeLine = PrintLine) : m_writeLine(std::move(writeLine)) {}
    EventPrinter(const EventPrinter &) = delete;
    EventPrinter &operator=(const EventPrinter &) = delete;
    ~EventPrinter();

    // Advises this sink on the control's default source interface, found
    // through IProvideClassInfo2. Throws std::runtime_error on failure.
    void Connect(IDispatch *pControl);
    void Disconnect();

    // Dispatches the thread's messages (which carry every completion of the
    // control) until one of the named events has arrived, and returns its
    // name. A failure event (FatalError, DeviceError, Timeout,
    // ReadCancelled, FieldError) or the end of the wait throws.
    std::wstring WaitFor(const std::vector<std::wstring> &names, DWORD dwMilliseconds);

    // While set, the character arguments of key presses and the text read
    // print as "*": they carry the PIN.
    void HideKeys(bool bHide) { m_bHideKeys = bHide; }
    long LastCommandKey() const { return m_lLastCommandKey; }

    // IUnknown and IDispatch, as the control calls them. The printer lives
    // on the application's stack: reference counts are kept only to be
    // correct, never to delete it.
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_cRef); }
    STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&m_cRef); }
    STDMETHODIMP GetTypeInfoCount(UINT *pcTypeInfo) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **ppTypeInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID dispId, REFIID, LCID, WORD, DISPPARAMS *pParams, VARIANT *pResult,
                        EXCEPINFO *, UINT *) override;

    static void PrintLine(const std::string &strLine);

private:
    std::wstring EventName(DISPID dispId) const;
    std::wstring FirstArrived(const std::vector<std::wstring> &names) const;
    static bool PumpUntil(DWORD dwMilliseconds, const std::function<bool()> &condition);

    LineWriter m_writeLine;
    LONG m_cRef = 0;
    IID m_iidEvents = IID_NULL;
    ITypeInfo *m_pEventInfo = nullptr;
    IConnectionPoint *m_pPoint = nullptr;
    DWORD m_dwCookie = 0;
    std::map<std::wstring, int> m_arrived; // event name -> arrivals not yet waited for
    std::wstring m_strFailure;             // the first failure event, as printed
    long m_lLastCommandKey = 0;
    bool m_bHideKeys = false;
};

} // namespace terminal

#endif
