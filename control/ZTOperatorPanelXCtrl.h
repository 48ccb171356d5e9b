// CZTOperatorPanelXCtrl: the control object hosts create and script.
//
// - Dispatch: hosts see the pure dispinterface _DZTOperatorPanelX; calls go
//   through the type library (CAxDispatchTable) to the hidden vtable
//   interface IZTOperatorPanelXImpl below, one C++ member per DISPID.
// - Events: the 25 Fire... operations of CTTUEventSink, each a FireEvent
//   with the event's DISPID and typed arguments; FireEvent delivers to every
//   connected sink under a guard that records and absorbs any exception.
// - Per instance: a CTTUService (the device service, which fires the events
//   through CTTUEventSink) and a hidden CTTUMsgWnd registered in the
//   process's CTTUContext under the instance number.
#pragma once

#include <windows.h>

#include "AxControl.h"
#include "TTUEventSink.h"
#include "ZTEventSinkAccess.h"
#include "ZTOperatorPanelX_h.h"

class CTTUMsgWnd;
class CTTUService;

// DISPIDs of _DZTOperatorPanelXEvents.
enum ZTEventDispid : DISPID {
    eventidFatalError = 1,
    eventidDeviceError,
    eventidLockGranted,
    eventidLockReleased,
    eventidLockTimeout,
    eventidTimeout,
    eventidReadFormComplete,
    eventidReadCancelled,
    eventidUserCancelled,
    eventidReadComplete,
    eventidDeviceStatusChanged,
    eventidKeyboardStatusChanged,
    eventidKeylockStatusChanged,
    eventidLEDStatusChanged,
    eventidDisplaySizeXStatusChanged,
    eventidDisplaySizeYStatusChanged,
    eventidFieldError,
    eventidFieldWarning,
    eventidTTUKeyPressed,
    eventidResetComplete,
    eventidBeepComplete,
    eventidClearScreenComplete,
    eventidDisplayLightComplete,
    eventidWriteComplete,
    eventidWriteFormComplete,
};

class CZTOperatorPanelXCtrl : public CAxControl,
                              public IZTOperatorPanelXImpl,
                              public IZTEventSinkAccess,
                              public CTTUEventSink {
public:
    // The identity the module registers and the framework reports.
    static const AxControlClassInfo s_classInfo;
    static const WCHAR s_szProgID[];
    // Class table hook (see ZTOperatorPanelX.cpp); objects are created as
    // zt_com::Object<CZTOperatorPanelXCtrl>.
    static HRESULT UpdateRegistry(HINSTANCE hInstance, BOOL bRegister);

    CZTOperatorPanelXCtrl();

    // What QueryInterface answers: the dispinterface and the event sink
    // access, then the framework's interfaces.
    static const zt_com::InterfaceEntry *Interfaces();

    // IZTOperatorPanelXImpl: the dispatch members, DISPIDs 1 to 51 and
    // AboutBox. Properties in ZTOperatorPanelXCtrlProperties.cpp, methods
    // in ZTOperatorPanelXCtrlDispatch.cpp.
    STDMETHODIMP get_DeviceStatus(BSTR *pValue) override;
    STDMETHODIMP get_DisplaySizeX(short *pValue) override;
    STDMETHODIMP get_DisplaySizeY(short *pValue) override;
    STDMETHODIMP get_KeyLockStatus(VARIANT_BOOL *pValue) override;
    STDMETHODIMP get_LEDStatus(VARIANT *pValue) override;
    STDMETHODIMP get_HasKeyLock(VARIANT_BOOL *pValue) override;
    STDMETHODIMP get_HasDisplayLigth(VARIANT_BOOL *pValue) override;
    STDMETHODIMP get_CanSupportCursor(VARIANT_BOOL *pValue) override;
    STDMETHODIMP get_CanSupportForms(VARIANT_BOOL *pValue) override;
    STDMETHODIMP get_SupportedScreenSizeX(VARIANT *pValue) override;
    STDMETHODIMP get_SupportedScreenSizeY(VARIANT *pValue) override;
    STDMETHODIMP get_Keys(BSTR *pValue) override;
    STDMETHODIMP get_CommandKeys(BSTR *pValue) override;
    STDMETHODIMP get_SupportedCharSets(BSTR *pValue) override;
    STDMETHODIMP get_FormWidth(LONG *pValue) override;
    STDMETHODIMP get_FormHeight(LONG *pValue) override;
    STDMETHODIMP get_FormVersionMajor(LONG *pValue) override;
    STDMETHODIMP get_FormVersionMinor(LONG *pValue) override;
    STDMETHODIMP get_FormCharSet(BSTR *pValue) override;
    STDMETHODIMP get_FormFieldType(BSTR *pValue) override;
    STDMETHODIMP get_FormFieldClass(BSTR *pValue) override;
    STDMETHODIMP get_FormFieldAccess(BSTR *pValue) override;
    STDMETHODIMP get_FormFieldOverflow(BSTR *pValue) override;
    STDMETHODIMP get_FormFieldFormat(BSTR *pValue) override;
    STDMETHODIMP get_FormName(BSTR *pValue) override;
    STDMETHODIMP get_FormFieldName(BSTR *pValue) override;
    STDMETHODIMP get_FormFieldList(VARIANT *pValue) override;
    STDMETHODIMP get_NumOfLEDs(short *pValue) override;
    STDMETHODIMP get_KeyboardStatus(BSTR *pValue) override;
    STDMETHODIMP OpenSessionSync(LONG Timeout, LONG *pResult) override;
    STDMETHODIMP CloseSessionSync(LONG *pResult) override;
    STDMETHODIMP RequestLock(LONG Timeout, LONG *pResult) override;
    STDMETHODIMP ReleaseLock(LONG *pResult) override;
    STDMETHODIMP GetExtraStatus(BSTR KeyName, BSTR *pResult) override;
    STDMETHODIMP GetExtraCaps(BSTR KeyName, BSTR *pResult) override;
    STDMETHODIMP Beep(BSTR BeepType, VARIANT_BOOL Continuous, LONG *pResult) override;
    STDMETHODIMP BeepOff(LONG *pResult) override;
    STDMETHODIMP ClearScreen(short TopLeftX, short TopLeftY, short Width, short Height, LONG *pResult) override;
    STDMETHODIMP SetDisplayLight(BSTR LightAction, LONG *pResult) override;
    STDMETHODIMP SetLEDState(short Index, BSTR State, LONG *pResult) override;
    STDMETHODIMP SelectScreenSize(short Width, short Height, LONG *pResult) override;
    STDMETHODIMP WriteForm(BSTR FormName, VARIANT_BOOL ClearScreen, BSTR FieldValues, LONG *pResult) override;
    STDMETHODIMP ReadForm(BSTR FormName, BSTR Fields, short Timeout, LONG *pResult) override;
    STDMETHODIMP CancelRead(LONG *pResult) override;
    STDMETHODIMP GetFieldValue(BSTR FieldName, VARIANT *FieldValue, VARIANT_BOOL *pResult) override;
    STDMETHODIMP Write(short x, short y, BSTR TextAttribute, BSTR Text, LONG *pResult) override;
    STDMETHODIMP Read(short x, short y, BSTR TextAttribute, BSTR EchoMode, short Length, VARIANT_BOOL CursorOn, VARIANT_BOOL Flush, VARIANT_BOOL AutoEnd, LONG Timeout, BSTR ActiveKeys, BSTR ActiveCommandKeys, BSTR TerminateCommandKeys, LONG *pResult) override;
    STDMETHODIMP QueryFormList(VARIANT *FormList, LONG *pResult) override;
    STDMETHODIMP Reset(LONG *pResult) override;
    STDMETHODIMP QueryForm(BSTR FormName, LONG *pResult) override;
    STDMETHODIMP QueryField(BSTR FieldName, LONG *pResult) override;
    STDMETHODIMP AboutBox() override;

    // IZTEventSinkAccess
    CTTUEventSink *STDMETHODCALLTYPE GetEventSink() override { return this; }

    // CTTUEventSink: the control's events.
    void FireFatalError(LPCWSTR lpszAction, LONG lResult) override;
    void FireDeviceError(LPCWSTR lpszAction, LONG lResult) override;
    void FireLockGranted() override;
    void FireLockReleased() override;
    void FireLockTimeout() override;
    void FireTimeout() override;
    void FireReadFormComplete() override;
    void FireReadCancelled() override;
    void FireUserCancelled() override;
    void FireReadComplete(LPCWSTR lpszReadData) override;
    void FireDeviceStatusChanged(LPCWSTR lpszValue) override;
    void FireKeyboardStatusChanged(LPCWSTR lpszValue) override;
    void FireKeylockStatusChanged(LPCWSTR lpszValue) override;
    void FireLEDStatusChanged(SHORT nLedIndex, LPCWSTR lpszValue) override;
    void FireDisplaySizeXStatusChanged(SHORT nValue) override;
    void FireDisplaySizeYStatusChanged(SHORT nValue) override;
    void FireFieldError(LPCWSTR lpszFormName, LPCWSTR lpszFieldName, SHORT nFailureCode) override;
    void FireFieldWarning(LPCWSTR lpszFormName, LPCWSTR lpszFieldName, SHORT nFailureCode) override;
    void FireTTUKeyPressed(LPCWSTR lpszKey, SHORT wUNICODEKey, SHORT wCommandKey) override;
    void FireResetComplete() override;
    void FireBeepComplete() override;
    void FireClearScreenComplete() override;
    void FireDisplayLightComplete() override;
    void FireWriteComplete() override;
    void FireWriteFormComplete() override;

protected:
    ~CZTOperatorPanelXCtrl() override;

    void OnDraw(HDC hdc, const RECT &rcBounds, const RECT &rcInvalid) override;
    void DoPropExchange(CAxPropExchange &px) override;
    IUnknown *GetDispatchTarget() override { return static_cast<IZTOperatorPanelXImpl *>(this); }

private:
    // Raises one event to every connected sink, each argument typed as
    // CAxEventArg maps it. An exception raised while it is delivered ends the
    // delivery and is traced; it never reaches the caller. An exception a
    // sink answers with (a script handler's error) is traced with its
    // source and description, and the other sinks still get the event.
    template <class... Args>
    void FireEvent(DISPID dispid, Args... args)
    {
        if (AreEventsFrozen())
            return;
        CAxEventDelivery delivery(EventPoint(), dispid, args...);
        DeliverGuarded(dispid, delivery);
    }
    static void DeliverGuarded(DISPID dispid, CAxEventDelivery &delivery);
    // The ERROR line and "[Exception]" record of one exception in an event;
    // lpszSource null for a raised one, which has no source.
    static void TraceEventException(DISPID dispid, DWORD dwCode, LPCWSTR lpszSource, LPCWSTR lpszDescription);
    void CreateInstanceWindow();
    // The service, when the control has both its service and its instance
    // window; null otherwise (see ZTOperatorPanelXCtrlDispatch.cpp).
    CTTUService *GetUsableService() const;

    CTTUService *m_pTTUService;  // owned; see TTUServiceFactory.h
    CTTUMsgWnd *m_pMsgWnd;       // owned
    HWND m_hMsgWnd;
};
