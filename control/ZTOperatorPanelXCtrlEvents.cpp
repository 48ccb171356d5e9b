// The control's events and their guarded delivery.
#include "ZTOperatorPanelXCtrl.h"

#include <cstdio>

#include "AxSehGuard.h"
#include "Trace.h"

void CZTOperatorPanelXCtrl::FireEvent(DISPID dispid, const char *pszTypes, ...)
{
    if (AreEventsFrozen())
        return;
    va_list args;
    va_start(args, pszTypes);
    CAxEventDelivery delivery(EventPoint(), dispid, pszTypes, args);
    va_end(args);

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
    FireEvent(eventidFatalError, AX_VTS_BSTR AX_VTS_I4, lpszAction, lResult);
}

void CZTOperatorPanelXCtrl::FireDeviceError(LPCWSTR lpszAction, LONG lResult)
{
    FireEvent(eventidDeviceError, AX_VTS_BSTR AX_VTS_I4, lpszAction, lResult);
}

void CZTOperatorPanelXCtrl::FireLockGranted()
{
    FireEvent(eventidLockGranted, AX_VTS_NONE);
}

void CZTOperatorPanelXCtrl::FireLockReleased()
{
    FireEvent(eventidLockReleased, AX_VTS_NONE);
}

void CZTOperatorPanelXCtrl::FireLockTimeout()
{
    FireEvent(eventidLockTimeout, AX_VTS_NONE);
}

void CZTOperatorPanelXCtrl::FireTimeout()
{
    FireEvent(eventidTimeout, AX_VTS_NONE);
}

void CZTOperatorPanelXCtrl::FireReadFormComplete()
{
    FireEvent(eventidReadFormComplete, AX_VTS_NONE);
}

void CZTOperatorPanelXCtrl::FireReadCancelled()
{
    FireEvent(eventidReadCancelled, AX_VTS_NONE);
}

void CZTOperatorPanelXCtrl::FireUserCancelled()
{
    FireEvent(eventidUserCancelled, AX_VTS_NONE);
}

void CZTOperatorPanelXCtrl::FireReadComplete(LPCWSTR lpszReadData)
{
    FireEvent(eventidReadComplete, AX_VTS_BSTR, lpszReadData);
}

void CZTOperatorPanelXCtrl::FireDeviceStatusChanged(LPCWSTR lpszValue)
{
    FireEvent(eventidDeviceStatusChanged, AX_VTS_BSTR, lpszValue);
}

void CZTOperatorPanelXCtrl::FireKeyboardStatusChanged(LPCWSTR lpszValue)
{
    FireEvent(eventidKeyboardStatusChanged, AX_VTS_BSTR, lpszValue);
}

void CZTOperatorPanelXCtrl::FireKeylockStatusChanged(LPCWSTR lpszValue)
{
    FireEvent(eventidKeylockStatusChanged, AX_VTS_BSTR, lpszValue);
}

void CZTOperatorPanelXCtrl::FireLEDStatusChanged(SHORT nLedIndex, LPCWSTR lpszValue)
{
    FireEvent(eventidLEDStatusChanged, AX_VTS_I2 AX_VTS_BSTR, nLedIndex, lpszValue);
}

void CZTOperatorPanelXCtrl::FireDisplaySizeXStatusChanged(SHORT nValue)
{
    FireEvent(eventidDisplaySizeXStatusChanged, AX_VTS_I2, nValue);
}

void CZTOperatorPanelXCtrl::FireDisplaySizeYStatusChanged(SHORT nValue)
{
    FireEvent(eventidDisplaySizeYStatusChanged, AX_VTS_I2, nValue);
}

void CZTOperatorPanelXCtrl::FireFieldError(LPCWSTR lpszFormName, LPCWSTR lpszFieldName, SHORT nFailureCode)
{
    FireEvent(eventidFieldError, AX_VTS_BSTR AX_VTS_BSTR AX_VTS_I2, lpszFormName, lpszFieldName, nFailureCode);
}

void CZTOperatorPanelXCtrl::FireFieldWarning(LPCWSTR lpszFormName, LPCWSTR lpszFieldName, SHORT nFailureCode)
{
    FireEvent(eventidFieldWarning, AX_VTS_BSTR AX_VTS_BSTR AX_VTS_I2, lpszFormName, lpszFieldName, nFailureCode);
}

void CZTOperatorPanelXCtrl::FireTTUKeyPressed(LPCWSTR lpszKey, SHORT wUNICODEKey, SHORT wCommandKey)
{
    FireEvent(eventidTTUKeyPressed, AX_VTS_BSTR AX_VTS_I2 AX_VTS_I2, lpszKey, wUNICODEKey, wCommandKey);
}

void CZTOperatorPanelXCtrl::FireResetComplete()
{
    FireEvent(eventidResetComplete, AX_VTS_NONE);
}

void CZTOperatorPanelXCtrl::FireBeepComplete()
{
    FireEvent(eventidBeepComplete, AX_VTS_NONE);
}

void CZTOperatorPanelXCtrl::FireClearScreenComplete()
{
    FireEvent(eventidClearScreenComplete, AX_VTS_NONE);
}

void CZTOperatorPanelXCtrl::FireDisplayLightComplete()
{
    FireEvent(eventidDisplayLightComplete, AX_VTS_NONE);
}

void CZTOperatorPanelXCtrl::FireWriteComplete()
{
    FireEvent(eventidWriteComplete, AX_VTS_NONE);
}

void CZTOperatorPanelXCtrl::FireWriteFormComplete()
{
    FireEvent(eventidWriteFormComplete, AX_VTS_NONE);
}
