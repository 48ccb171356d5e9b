// A C++ automation host for the registered control: creates it by ProgID,
// calls its members by name through IDispatch, and receives its events
// through a connection-point sink that names each event by the control's own
// type information. Waits dispatch this thread's messages (MessagePump).
#pragma once

#include "TraceCapture.h"

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <functional>
#include <string>
#include <vector>

#include "MessagePump.h"

// One automation argument (copied deeply).
class CArg {
public:
    CArg(LPCWSTR lpszText);
    CArg(short sValue);
    CArg(int nValue);
    CArg(double dValue);
    // By reference, as VBScript passes a variable: the callee may write it.
    CArg(VARIANT *pvarRef);
    // Exactly these bits, even a malformed VARIANT: what a careless host passes.
    CArg(const VARIANT &raw);
    // An object (null for Nothing).
    CArg(IDispatch *pObject);
    CArg(const CArg &other);
    CArg &operator=(const CArg &) = delete;
    ~CArg();

    VARIANT m_var;
};

struct ControlEvent {
    DISPID dispid;
    std::wstring strName;
    std::vector<VARTYPE> types;
    std::vector<std::wstring> args;  // each argument as text
    unsigned nSeq;                   // order of arrival over every host of the process
};

class CEventRecorder;

// A new control through the ProgID, as a host creates it; null on failure.
IDispatch *CreateControl();

class CControlHost {
public:
    static const WCHAR PROGID[];
    // What the sink does when it receives the event it is told to fail on.
    enum Fault { NoFault, ThrowCpp, AccessViolation };

    // Creates and connects the control; Ok() tells whether that worked.
    CControlHost();
    // Connects to a control created elsewhere (takes over the reference).
    explicit CControlHost(IDispatch *pCreated);
    ~CControlHost();
    CControlHost(const CControlHost &) = delete;
    CControlHost &operator=(const CControlHost &) = delete;

    bool Ok() const { return m_pDisp != nullptr && m_dwCookie != 0; }
    // Lets go of the control (the sink stays to record), as a host does that
    // drops its last reference, also from inside an event handler.
    void Release();
    // Runs inside every event's delivery, after it was recorded.
    void OnEvent(std::function<void(const ControlEvent &)> handler);
    void FaultOn(DISPID dispid, Fault fault);
    IDispatch *Dispatch() const { return m_pDisp; }
    // The sink's references other than the host's own.
    ULONG SinkReferences() const;

    // The raw calls: arguments in the order the caller writes them; the
    // description of a raised error in *pstrError.
    HRESULT InvokeId(DISPID dispid, WORD wFlags, const std::vector<CArg> &args, VARIANT *pResult,
                     std::wstring *pstrError = nullptr);
    HRESULT Invoke(LPCWSTR lpszName, WORD wFlags, const std::vector<CArg> &args, VARIANT *pResult,
                   std::wstring *pstrError = nullptr);
    // A method's long result (or LONG_MIN when the call itself failed).
    LONG Call(LPCWSTR lpszName, const std::vector<CArg> &args = {});
    VARIANT CallVariant(LPCWSTR lpszName, const std::vector<CArg> &args = {});
    // Property reads; the value converted to the type asked for.
    VARIANT Get(LPCWSTR lpszName);
    std::wstring GetString(LPCWSTR lpszName);
    HRESULT Put(LPCWSTR lpszName, const CArg &value);

    // Events received so far, and waiting for one (pumping messages).
    const std::vector<ControlEvent> &Events() const;
    std::vector<std::wstring> EventNames() const;
    void ClearEvents();
    bool WaitForEvent(LPCWSTR lpszName, DWORD dwTimeoutMs = 10000);
    const ControlEvent *FindEvent(LPCWSTR lpszName) const;

private:
    void Connect();

    IDispatch *m_pDisp = nullptr;
    CEventRecorder *m_pSink = nullptr;
    IConnectionPoint *m_pPoint = nullptr;
    DWORD m_dwCookie = 0;
};

// The elements of a one-dimensional array VARIANT as text (none for anything
// else), and its lower bound (-1 for no array).
std::vector<std::wstring> StringsOf(const VARIANT &var);
// A property as text: arrays as "[a,b,]@lower bound", Booleans as
// TRUE/FALSE, numbers in decimal, nothing as "<empty>".
std::wstring PropertyText(CControlHost &control, LPCWSTR lpszName);
LONG LowerBound(const VARIANT &var);

// The control's hidden instance windows on this thread, and a window's title.
std::vector<HWND> InstanceWindows();
std::wstring WindowTitle(HWND hWnd);
