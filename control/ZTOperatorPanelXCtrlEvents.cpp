// The control's events and their guarded delivery.
#include "ZTOperatorPanelXCtrl.h"

#include <cstdio>

#include "AxSehGuard.h"
#include "Trace.h"

void CZTOperatorPanelXCtrl::DeliverGuarded(DISPID dispid, CAxEventDelivery &delivery)
{
    DWORD dwExceptionCode = 0;
    const BOOL bDelivered = AxCallGuarded(&CAxEventDelivery::DeliverThunk, &delivery, &dwExceptionCode);
    // A script handler's error comes back as an exception of the sink's
    // own; it is traced like a raised one, and the others still got the event.
    for (const CAxEventDelivery::SinkException &raised : delivery.GetSinkExceptions())
        TraceEventException(dispid, static_cast<DWORD>(raised.hrCode), raised.strSource.c_str(),
                            raised.strDescription.c_str());
    if (!bDelivered)
        TraceEventException(dispid, dwExceptionCode, nullptr, nullptr);
}

void CZTOperatorPanelXCtrl::TraceEventException(DISPID dispid, DWORD dwCode, LPCWSTR lpszSource,
                                                LPCWSTR lpszDescription)
{
    char szText[256];
    snprintf(szText, sizeof szText, "Exception raised in EventID = [%d] , Exception Code = [0x%08X]",
             static_cast<int>(dispid), static_cast<unsigned>(dwCode));
    if (lpszSource)
        TTU_TRACE_ERROR("Ctrl::FireEvent", "%s , Source = [%S] , Description = [%S]", szText, lpszSource,
                        lpszDescription);
    else
        TTU_TRACE_ERROR("Ctrl::FireEvent", szText);
    TTU_ERROR_EXCEPTION("42");
}

void CZTOperatorPanelXCtrl::FireFatalError(LPCWSTR lpszAction, LONG lResult)
{
    FireEvent(eventidFatalError, lpszAction, lResult);
}

void CZTOperatorPanelXCtrl::FireDeviceError(LPCWSTR lpszAction, LONG lResult)
{
    FireEvent(eventidDeviceError, lpszAction, lResult);
}

void CZTOperatorPanelXCtrl::FireLockGranted()
{
    FireEvent(eventidLockGranted);
}

void CZTOperatorPanelXCtrl::FireLockReleased()
{
    FireEvent(eventidLockReleased);
}

void CZTOperatorPanelXCtrl::FireLockTimeout()
{
    FireEvent(eventidLockTimeout);
}

void CZTOperatorPanelXCtrl::FireTimeout()
{
    FireEvent(eventidTimeout);
}

void CZTOperatorPanelXCtrl::FireReadFormComplete()
{
    FireEvent(eventidReadFormComplete);
}

void CZTOperatorPanelXCtrl::FireReadCancelled()
{
    FireEvent(eventidReadCancelled);
}

void CZTOperatorPanelXCtrl::FireUserCancelled()
{
    FireEvent(eventidUserCancelled);
}

void CZTOperatorPanelXCtrl::FireReadComplete(LPCWSTR lpszReadData)
{
    FireEvent(eventidReadComplete, lpszReadData);
}

void CZTOperatorPanelXCtrl::FireDeviceStatusChanged(LPCWSTR lpszValue)
{
    FireEvent(eventidDeviceStatusChanged, lpszValue);
}

void CZTOperatorPanelXCtrl::FireKeyboardStatusChanged(LPCWSTR lpszValue)
{
    FireEvent(eventidKeyboardStatusChanged, lpszValue);
}

void CZTOperatorPanelXCtrl::FireKeylockStatusChanged(LPCWSTR lpszValue)
{
    FireEvent(eventidKeylockStatusChanged, lpszValue);
}

void CZTOperatorPanelXCtrl::FireLEDStatusChanged(SHORT nLedIndex, LPCWSTR lpszValue)
{
    FireEvent(eventidLEDStatusChanged, nLedIndex, lpszValue);
}

void CZTOperatorPanelXCtrl::FireDisplaySizeXStatusChanged(SHORT nValue)
{
    FireEvent(eventidDisplaySizeXStatusChanged, nValue);
}

void CZTOperatorPanelXCtrl::FireDisplaySizeYStatusChanged(SHORT nValue)
{
    FireEvent(eventidDisplaySizeYStatusChanged, nValue);
}

void CZTOperatorPanelXCtrl::FireFieldError(LPCWSTR lpszFormName, LPCWSTR lpszFieldName, SHORT nFailureCode)
{
    FireEvent(eventidFieldError, lpszFormName, lpszFieldName, nFailureCode);
}

void CZTOperatorPanelXCtrl::FireFieldWarning(LPCWSTR lpszFormName, LPCWSTR lpszFieldName, SHORT nFailureCode)
{
    FireEvent(eventidFieldWarning, lpszFormName, lpszFieldName, nFailureCode);
}

void CZTOperatorPanelXCtrl::FireTTUKeyPressed(LPCWSTR lpszKey, SHORT wUNICODEKey, SHORT wCommandKey)
{
    FireEvent(eventidTTUKeyPressed, lpszKey, wUNICODEKey, wCommandKey);
}

void CZTOperatorPanelXCtrl::FireResetComplete()
{
    FireEvent(eventidResetComplete);
}

void CZTOperatorPanelXCtrl::FireBeepComplete()
{
    FireEvent(eventidBeepComplete);
}

void CZTOperatorPanelXCtrl::FireClearScreenComplete()
{
    FireEvent(eventidClearScreenComplete);
}

void CZTOperatorPanelXCtrl::FireDisplayLightComplete()
{
    FireEvent(eventidDisplayLightComplete);
}

void CZTOperatorPanelXCtrl::FireWriteComplete()
{
    FireEvent(eventidWriteComplete);
}

void CZTOperatorPanelXCtrl::FireWriteFormComplete()
{
    FireEvent(eventidWriteFormComplete);
}
