// What the control tests share: COM on the test thread, the control created
// by its ProgID, a recording event sink, late-bound calls and the trace capture.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "ZTOperatorPanelX_h.h"

extern const WCHAR kControlProgID[];

// CoInitialize for the life of a test.
class ComApartment {
public:
    ComApartment() { CoInitialize(nullptr); }
    ~ComApartment() { CoUninitialize(); }
};

// A new control through the ProgID, as a host would; null on failure.
IDispatch *CreateControl();

// One received event: DISPID and its arguments in parameter order.
struct ReceivedEvent {
    DISPID dispid;
    std::vector<VARTYPE> types;
    std::wstring text;  // the arguments rendered "a|b|c"
};

// An event sink that records what it receives and can be told to throw a
// C++ exception or to fault on a given DISPID.
class RecordingSink : public IDispatch {
public:
    enum Fault { None, ThrowCpp, AccessViolation };

    explicit RecordingSink(std::vector<std::pair<char, ReceivedEvent>> *pLog, char cName);

    void FaultOn(DISPID dispid, Fault fault) { m_faultDispid = dispid, m_fault = fault; }

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_cRef; }
    STDMETHODIMP_(ULONG) Release() override { return --m_cRef; }
    STDMETHODIMP GetTypeInfoCount(UINT *) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS *pParams, VARIANT *, EXCEPINFO *,
                        UINT *) override;

    LONG m_cRef = 1;

private:
    std::vector<std::pair<char, ReceivedEvent>> *m_pLog;
    char m_cName;
    DISPID m_faultDispid = 0;
    Fault m_fault = None;
};

// Connects a sink to the control's event connection point; returns the cookie (0 on failure).
DWORD ConnectSink(IDispatch *pControl, IUnknown *pSink);
void DisconnectSink(IDispatch *pControl, DWORD dwCookie);

// IDispatch::Invoke by DISPID with the arguments in parameter order.
HRESULT CallByDispid(IDispatch *pDisp, DISPID dispid, WORD wFlags, std::vector<VARIANT> args,
                     VARIANT *pResult = nullptr, EXCEPINFO *pExcepInfo = nullptr);

// The trace lines written since the last clear (TrcUtil30's capture).
std::string CapturedTrace();
