// The control's events as the TTU service raises them. The control class
// implements this interface with its Fire... operations (each hands the
// event to the connected sinks through its guarded FireEvent); the service
// holds a plain pointer to it, so the TTU layer needs nothing of COM and can
// be exercised with a recording implementation.
#pragma once

#include <windows.h>

class CTTUEventSink {
public:
    virtual ~CTTUEventSink() = default;

    virtual void FireFatalError(LPCWSTR lpszAction, LONG lResult) = 0;              // 1
    virtual void FireDeviceError(LPCWSTR lpszAction, LONG lResult) = 0;             // 2
    virtual void FireLockGranted() = 0;                                              // 3
    virtual void FireLockReleased() = 0;                                             // 4
    virtual void FireLockTimeout() = 0;                                              // 5
    virtual void FireTimeout() = 0;                                                  // 6
    virtual void FireReadFormComplete() = 0;                                         // 7
    virtual void FireReadCancelled() = 0;                                            // 8
    virtual void FireUserCancelled() = 0;                                            // 9
    virtual void FireReadComplete(LPCWSTR lpszReadData) = 0;                         // 10
    virtual void FireDeviceStatusChanged(LPCWSTR lpszValue) = 0;                     // 11
    virtual void FireKeyboardStatusChanged(LPCWSTR lpszValue) = 0;                   // 12
    virtual void FireKeylockStatusChanged(LPCWSTR lpszValue) = 0;                    // 13
    virtual void FireLEDStatusChanged(SHORT nLedIndex, LPCWSTR lpszValue) = 0;       // 14
    virtual void FireDisplaySizeXStatusChanged(SHORT nValue) = 0;                    // 15
    virtual void FireDisplaySizeYStatusChanged(SHORT nValue) = 0;                    // 16
    virtual void FireFieldError(LPCWSTR lpszFormName, LPCWSTR lpszFieldName,
                                SHORT nFailureCode) = 0;                             // 17
    virtual void FireFieldWarning(LPCWSTR lpszFormName, LPCWSTR lpszFieldName,
                                  SHORT nFailureCode) = 0;                           // 18
    virtual void FireTTUKeyPressed(LPCWSTR lpszKey, SHORT wUNICODEKey,
                                   SHORT wCommandKey) = 0;                           // 19
    virtual void FireResetComplete() = 0;                                            // 20
    virtual void FireBeepComplete() = 0;                                             // 21
    virtual void FireClearScreenComplete() = 0;                                      // 22
    virtual void FireDisplayLightComplete() = 0;                                     // 23
    virtual void FireWriteComplete() = 0;                                            // 24
    virtual void FireWriteFormComplete() = 0;                                        // 25
};
