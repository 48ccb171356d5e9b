// The process-wide last known status of the TTU device: one set of values
// shared by every CTTUService of the process. Each instance starts from it,
// every status answer handled by any instance writes its changes into it,
// and the control's status properties read it.
//
// Touched only from the host's user-interface thread, so no lock.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Variant.h"

extern std::wstring g_strDeviceStatus;           // "DEVNODEVICE" at process start
extern SHORT g_sDisplaySizeX;                    // 0
extern SHORT g_sDisplaySizeY;                    // 0
extern std::wstring g_strKeyboardStatus;         // "NOTAVAILABLE"
extern BOOL g_bKeyLockStatus;                    // 0
extern CVariant g_varLEDStatus;                  // empty
extern std::vector<std::wstring> g_arrLEDStatus; // empty
extern USHORT g_usNumOfLEDs;                     // wNumOfLEDs of the last capabilities
