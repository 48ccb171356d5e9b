/*
 * The virtual operator panel's control interface: what a test (in process)
 * or the console tool ttupanel (from outside) uses to play the operator and
 * the device. Exported by the provider DLL ttusim.dll next to its SPI. All of
 * it acts on the one panel that every process on the machine shares.
 *
 * Every function returns 0 on success or an XFS error code
 * (WFS_ERR_INVALID_DATA for a bad argument, WFS_ERR_INTERNAL_ERROR when the
 * shared panel cannot be reached).
 */
#ifndef ZT_TTUSIM_H
#define ZT_TTUSIM_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifdef ZT_BUILDING_TTUSIM
#define TTUSIM_API __declspec(dllexport)
#else
#define TTUSIM_API __declspec(dllimport)
#endif

/* Operator input. wCommandKey is one of WFS_TTU_CK_* (0 for a character).
   A key the configured keyboard lacks gives WFS_ERR_INVALID_DATA; keys
   pressed while the device is not online or the keyboard is off are lost.
   Keys pressed while no read runs wait for the next read (type-ahead)
   unless it flushes. */
TTUSIM_API LONG WINAPI TtuSimPressKey(WCHAR wcKey, WORD wCommandKey);
TTUSIM_API LONG WINAPI TtuSimTypeText(LPCWSTR lpszText);

/* Device state set from outside; each change of fwDevice, fwKeyboard or
   fwKeylock sends WFS_SYSE_DEVICE_STATUS to every registered window. */
TTUSIM_API LONG WINAPI TtuSimSetDeviceStatus(WORD fwDevice);
TTUSIM_API LONG WINAPI TtuSimSetKeyboardStatus(WORD fwKeyboard);
TTUSIM_API LONG WINAPI TtuSimSetKeylockStatus(WORD fwKeylock);

/* Fault injection. dwCode is a command (WFS_CMD_TTU_*) or a category
   (WFS_INF_TTU_*): the next nCount completions of it answer hResult instead
   of doing the work. bCategory tells which of the two dwCode names. */
TTUSIM_API LONG WINAPI TtuSimFailNext(BOOL bCategory, DWORD dwCode, LONG nCount, HRESULT hResult);
/* Every completion of this command or category is held back dwMilliseconds
   (0 removes the delay). */
TTUSIM_API LONG WINAPI TtuSimDelay(BOOL bCategory, DWORD dwCode, DWORD dwMilliseconds);
/* Sends a system event (WFS_SYSE_HARDWARE_ERROR or WFS_SYSE_APP_DISCONNECT,
   ...) to every registered window of every session. */
TTUSIM_API LONG WINAPI TtuSimSendSystemEvent(DWORD dwEventID);
/* Back to the configured power-on state: display cleared, LEDs off, no
   injected faults or delays, no read in progress, status online. A read
   that was running completes with WFS_ERR_HARDWARE_ERROR; locks stay. */
TTUSIM_API LONG WINAPI TtuSimReset(void);

/* Reading the panel. The display is copied as wSizeY lines of wSizeX
   characters, each line ended by L'\n', into lpszBuffer (cchBuffer
   characters including the final zero). */
TTUSIM_API LONG WINAPI TtuSimGetDisplay(LPWSTR lpszBuffer, DWORD cchBuffer, LPWORD lpwSizeX,
                                        LPWORD lpwSizeY);

typedef struct _ttusim_snapshot {
    WORD fwDevice;
    WORD fwKeyboard;
    WORD fwKeylock;
    WORD wNumOfLEDs;
    WORD wLEDs[8];
    BOOL bDisplayLight;
    WORD wLastBeep;      /* wBeep of the last beep command, 0 if none */
    BOOL bBeeping;       /* a continuous beep is sounding */
    BOOL bReadActive;    /* a read or form read is waiting for keys */
    WORD wCursorX;
    WORD wCursorY;
    WORD wDisplaySizeX;
    WORD wDisplaySizeY;
    DWORD dwChangeCount; /* grows with every change of the panel's state */
} TTUSIMSNAPSHOT, *LPTTUSIMSNAPSHOT;

TTUSIM_API LONG WINAPI TtuSimGetSnapshot(LPTTUSIMSNAPSHOT lpSnapshot);

#define TTUSIM_MAX_ROWS 32
#define TTUSIM_MAX_COLUMNS 80
#define TTUSIM_MAX_KEYS 128
#define TTUSIM_MAX_COMMAND_KEYS 55 /* every key up to WFS_TTU_CK_FDK32 */

/* Everything an operator sees of the panel, read at one moment: what a
   window or a picture of the panel is drawn from. Rows and columns beyond
   the snapshot's display size are blank. */
typedef struct _ttusim_panel_view {
    TTUSIMSNAPSHOT snapshot;
    BOOL bCursorOn;                                          /* at wCursorX, wCursorY */
    WCHAR cells[TTUSIM_MAX_ROWS][TTUSIM_MAX_COLUMNS];
    BYTE attributes[TTUSIM_MAX_ROWS][TTUSIM_MAX_COLUMNS];    /* WFS_TTU_TEXT* */
    WCHAR szKeys[TTUSIM_MAX_KEYS + 1];                       /* the character keys */
    WORD wCommandKeys[TTUSIM_MAX_COMMAND_KEYS + 1];          /* ends with WFS_TTU_NOKEY */
    /* The keys the running read takes (meaningful while bReadActive). */
    WCHAR szActiveKeys[TTUSIM_MAX_KEYS + 1];
    WORD wActiveCommandKeys[TTUSIM_MAX_COMMAND_KEYS + 1];    /* ends with WFS_TTU_NOKEY */
} TTUSIMPANELVIEW, *LPTTUSIMPANELVIEW;

TTUSIM_API LONG WINAPI TtuSimGetPanelView(LPTTUSIMPANELVIEW lpView);

#ifdef __cplusplus
}
#endif

#endif /* ZT_TTUSIM_H */
