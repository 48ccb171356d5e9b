/*
 * XFS 3.0x Text Terminal Unit (TTU) service class: categories, commands,
 * events, codes and the byte-packed command and answer structures.
 */
#ifndef ZT_XFSTTU_H
#define ZT_XFSTTU_H

#include "xfsapi.h"

#ifdef __cplusplus
extern "C" {
#endif

#define WFS_SERVICE_CLASS_TTU 7
#define WFS_SERVICE_CLASS_NAME_TTU "TTU"
#define TTU_SERVICE_OFFSET (WFS_SERVICE_CLASS_TTU * 100)

/* Information categories. */
#define WFS_INF_TTU_STATUS (TTU_SERVICE_OFFSET + 1)
#define WFS_INF_TTU_CAPABILITIES (TTU_SERVICE_OFFSET + 2)
#define WFS_INF_TTU_FORM_LIST (TTU_SERVICE_OFFSET + 3)
#define WFS_INF_TTU_QUERY_FORM (TTU_SERVICE_OFFSET + 4)
#define WFS_INF_TTU_QUERY_FIELD (TTU_SERVICE_OFFSET + 5)
#define WFS_INF_TTU_KEY_DETAIL (TTU_SERVICE_OFFSET + 6)

/* Execute commands. */
#define WFS_CMD_TTU_BEEP (TTU_SERVICE_OFFSET + 1)
#define WFS_CMD_TTU_CLEARSCREEN (TTU_SERVICE_OFFSET + 2)
#define WFS_CMD_TTU_DISPLIGHT (TTU_SERVICE_OFFSET + 3)
#define WFS_CMD_TTU_SET_LED (TTU_SERVICE_OFFSET + 4)
#define WFS_CMD_TTU_SET_RESOLUTION (TTU_SERVICE_OFFSET + 5)
#define WFS_CMD_TTU_WRITE_FORM (TTU_SERVICE_OFFSET + 6)
#define WFS_CMD_TTU_READ_FORM (TTU_SERVICE_OFFSET + 7)
#define WFS_CMD_TTU_WRITE (TTU_SERVICE_OFFSET + 8)
#define WFS_CMD_TTU_READ (TTU_SERVICE_OFFSET + 9)
#define WFS_CMD_TTU_RESET (TTU_SERVICE_OFFSET + 10)

/* Execute events. */
#define WFS_EXEE_TTU_FIELDERROR (TTU_SERVICE_OFFSET + 1)
#define WFS_EXEE_TTU_FIELDWARNING (TTU_SERVICE_OFFSET + 2)
#define WFS_EXEE_TTU_KEY (TTU_SERVICE_OFFSET + 3)

/* Device class and type. */
#define WFS_TTU_TYPEKEYBOARD 0x0001
#define WFS_TTU_TYPEDISPLAY 0x0002

/* fwDevice */
#define WFS_TTU_DEVONLINE 0
#define WFS_TTU_DEVOFFLINE 1
#define WFS_TTU_DEVPOWEROFF 2
#define WFS_TTU_DEVNODEVICE 3
#define WFS_TTU_DEVHWERROR 4
#define WFS_TTU_DEVUSERERROR 5
#define WFS_TTU_DEVBUSY 6

/* fwKeyboard */
#define WFS_TTU_KBDNA 0
#define WFS_TTU_KBDON 1
#define WFS_TTU_KBDOFF 2

/* fwKeylock */
#define WFS_TTU_KBDLOCKNA 0
#define WFS_TTU_KBDLOCKON 1
#define WFS_TTU_KBDLOCKOFF 2

/* LED states and commands. */
#define WFS_TTU_LEDS_MAX 8
#define WFS_TTU_LEDNA 0x0000
#define WFS_TTU_LEDOFF 0x0001
#define WFS_TTU_LEDSLOWFLASH 0x0002
#define WFS_TTU_LEDMEDIUMFLASH 0x0004
#define WFS_TTU_LEDQUICKFLASH 0x0008
#define WFS_TTU_LEDCONTINUOUS 0x0080

/* fwCharSupport */
#define WFS_TTU_AVAILASCII 0x0001
#define WFS_TTU_AVAILUNICODE 0x0002

/* wMode of write and read. */
#define WFS_TTU_POSRELATIVE 0
#define WFS_TTU_POSABSOLUTE 1

/* fwTextAttr / fwEchoAttr */
#define WFS_TTU_TEXTUNDERLINE 0x0001
#define WFS_TTU_TEXTINVERTED 0x0002
#define WFS_TTU_TEXTFLASH 0x0004

/* fwEchoMode */
#define WFS_TTU_ECHOTEXT 0
#define WFS_TTU_ECHOINVISIBLE 1
#define WFS_TTU_ECHOPASSWORD 2

/* wBeep */
#define WFS_TTU_BEEPOFF 0x0001
#define WFS_TTU_BEEPKEYPRESS 0x0002
#define WFS_TTU_BEEPEXCLAMATION 0x0004
#define WFS_TTU_BEEPWARNING 0x0008
#define WFS_TTU_BEEPERROR 0x0010
#define WFS_TTU_BEEPCRITICAL 0x0020
#define WFS_TTU_BEEPCONTINUOUS 0x0080

/* Form field descriptions. */
#define WFS_TTU_FIELDTEXT 0
#define WFS_TTU_FIELDINVISIBLE 1
#define WFS_TTU_FIELDPASSWORD 2
#define WFS_TTU_CLASSOPTIONAL 0
#define WFS_TTU_CLASSSTATIC 1
#define WFS_TTU_CLASSREQUIRED 2
#define WFS_TTU_ACCESSREAD 0x0001
#define WFS_TTU_ACCESSWRITE 0x0002
#define WFS_TTU_FIELDTERMINATE 0
#define WFS_TTU_FIELDTRUNCATE 1
#define WFS_TTU_FIELDOVERWRITE 2

/* wFailure of a field error or warning. */
#define WFS_TTU_FIELDREQUIRED 0
#define WFS_TTU_FIELDSTATICOVWR 1
#define WFS_TTU_FIELDOVERFLOW 2
#define WFS_TTU_FIELDNOTFOUND 3
#define WFS_TTU_FIELDNOTREAD 4
#define WFS_TTU_FIELDNOTWRITE 5
#define WFS_TTU_FIELDTYPENOTSUPPORTED 6
#define WFS_TTU_CHARSETFORM 7

/* Command keys. */
#define WFS_TTU_NOKEY 0
#define WFS_TTU_CK_ENTER 1
#define WFS_TTU_CK_CANCEL 2
#define WFS_TTU_CK_CLEAR 3
#define WFS_TTU_CK_BACKSPACE 4
#define WFS_TTU_CK_HELP 5
#define WFS_TTU_CK_00 6
#define WFS_TTU_CK_000 7
#define WFS_TTU_CK_ARROWUP 8
#define WFS_TTU_CK_ARROWDOWN 9
#define WFS_TTU_CK_ARROWLEFT 10
#define WFS_TTU_CK_ARROWRIGHT 11
#define WFS_TTU_CK_OEM1 12  /* OEM1 .. OEM12 are 12 .. 23 */
#define WFS_TTU_CK_OEM12 23
#define WFS_TTU_CK_FDK01 24 /* FDK01 .. FDK32 are 24 .. 55 */
#define WFS_TTU_CK_FDK32 55

/* Error codes. */
#define WFS_ERR_TTU_FIELDERROR (-(TTU_SERVICE_OFFSET + 1))
#define WFS_ERR_TTU_FIELDINVALID (-(TTU_SERVICE_OFFSET + 2))
#define WFS_ERR_TTU_FIELDNOTFOUND (-(TTU_SERVICE_OFFSET + 3))
#define WFS_ERR_TTU_FIELDSPECFAILURE (-(TTU_SERVICE_OFFSET + 4))
#define WFS_ERR_TTU_FORMINVALID (-(TTU_SERVICE_OFFSET + 5))
#define WFS_ERR_TTU_FORMNOTFOUND (-(TTU_SERVICE_OFFSET + 6))
#define WFS_ERR_TTU_INVALIDLED (-(TTU_SERVICE_OFFSET + 7))
#define WFS_ERR_TTU_KEYCANCELED (-(TTU_SERVICE_OFFSET + 8))
#define WFS_ERR_TTU_MEDIAOVERFLOW (-(TTU_SERVICE_OFFSET + 9))
#define WFS_ERR_TTU_RESNOTSUPP (-(TTU_SERVICE_OFFSET + 10))
#define WFS_ERR_TTU_CHARSETDATA (-(TTU_SERVICE_OFFSET + 11))
#define WFS_ERR_TTU_KEYINVALID (-(TTU_SERVICE_OFFSET + 12))
#define WFS_ERR_TTU_KEYNOTSUPPORTED (-(TTU_SERVICE_OFFSET + 13))
#define WFS_ERR_TTU_NOACTIVEKEYS (-(TTU_SERVICE_OFFSET + 14))

#pragma pack(push, 1)

typedef struct _wfs_ttu_status {
    WORD fwDevice;
    WORD fwKeyboard;
    WORD fwKeylock;
    WORD wLEDs[WFS_TTU_LEDS_MAX];
    WORD wDisplaySizeX;
    WORD wDisplaySizeY;
    LPSTR lpszExtra;
} WFSTTUSTATUS, *LPWFSTTUSTATUS;

typedef struct _wfs_ttu_resolution {
    WORD wSizeX;
    WORD wSizeY;
} WFSTTURESOLUTION, *LPWFSTTURESOLUTION;

typedef struct _wfs_ttu_caps {
    WORD wClass;
    WORD fwType;
    LPWFSTTURESOLUTION *lppResolutions; /* ends with a null pointer */
    WORD wNumOfLEDs;
    BOOL bKeyLock;
    BOOL bDisplayLight;
    BOOL bCursor;
    BOOL bForms;
    WORD fwCharSupport;
    LPSTR lpszExtra;
} WFSTTUCAPS, *LPWFSTTUCAPS;

typedef struct _wfs_ttu_frm_header {
    LPSTR lpszFormName;
    WORD wWidth;
    WORD wHeight;
    WORD wVersionMajor;
    WORD wVersionMinor;
    WORD fwCharSupport;
    LPSTR lpszFields;
} WFSTTUFRMHEADER, *LPWFSTTUFRMHEADER;

typedef struct _wfs_ttu_query_field {
    LPSTR lpszFormName;
    LPSTR lpszFieldName;
} WFSTTUQUERYFIELD, *LPWFSTTUQUERYFIELD;

typedef struct _wfs_ttu_frm_field {
    LPSTR lpszFieldName;
    WORD fwType;
    WORD fwClass;
    WORD fwAccess;
    WORD fwOverflow;
    LPSTR lpszFormat;
} WFSTTUFRMFIELD, *LPWFSTTUFRMFIELD;

typedef struct _wfs_ttu_key_detail {
    LPSTR lpszKeys;
    LPWSTR lpszUNICODEKeys;
    LPWORD lpwCommandKeys; /* ends with WFS_TTU_NOKEY */
} WFSTTUKEYDETAIL, *LPWFSTTUKEYDETAIL;

typedef struct _wfs_ttu_beep {
    WORD wBeep;
} WFSTTUBEEP, *LPWFSTTUBEEP;

typedef struct _wfs_ttu_clear_screen {
    WORD wPositionX;
    WORD wPositionY;
    WORD wWidth;
    WORD wHeight;
} WFSTTUCLEARSCREEN, *LPWFSTTUCLEARSCREEN;

typedef struct _wfs_ttu_disp_light {
    BOOL bMode;
} WFSTTUDISPLIGHT, *LPWFSTTUDISPLIGHT;

typedef struct _wfs_ttu_set_leds {
    WORD wLED;
    WORD fwCommand;
} WFSTTUSETLEDS, *LPWFSTTUSETLEDS;

typedef struct _wfs_ttu_write_form {
    LPSTR lpszFormName;
    BOOL bClearScreen;
    LPSTR lpszFields;
    LPWSTR lpszUNICODEFields;
} WFSTTUWRITEFORM, *LPWFSTTUWRITEFORM;

typedef struct _wfs_ttu_read_form {
    LPSTR lpszFormName;
    LPSTR lpszFieldNames;
} WFSTTUREADFORM, *LPWFSTTUREADFORM;

typedef struct _wfs_ttu_read_form_out {
    LPSTR lpszFields;
    LPWSTR lpszUNICODEFields;
} WFSTTUREADFORMOUT, *LPWFSTTUREADFORMOUT;

typedef struct _wfs_ttu_write {
    WORD wMode;
    SHORT wPosX;
    SHORT wPosY;
    WORD fwTextAttr;
    LPSTR lpsText;
    LPWSTR lpsUNICODEText;
} WFSTTUWRITE, *LPWFSTTUWRITE;

typedef struct _wfs_ttu_read {
    WORD wNumOfChars;
    WORD wMode;
    SHORT wPosX;
    SHORT wPosY;
    WORD fwEchoMode;
    WORD fwEchoAttr;
    BOOL bCursor;
    BOOL bFlush;
    BOOL bAutoEnd;
    LPSTR lpszActiveKeys;
    LPWSTR lpszActiveUNICODEKeys;
    LPWORD lpwActiveCommandKeys;    /* ends with WFS_TTU_NOKEY */
    LPWORD lpwTerminateCommandKeys; /* ends with WFS_TTU_NOKEY */
} WFSTTUREAD, *LPWFSTTUREAD;

typedef struct _wfs_ttu_read_in {
    LPSTR lpszInput;
    LPWSTR lpszUNICODEInput;
} WFSTTUREADIN, *LPWFSTTUREADIN;

typedef struct _wfs_ttu_field_failure {
    LPSTR lpszFormName;
    LPSTR lpszFieldName;
    WORD wFailure;
} WFSTTUFIELDFAIL, *LPWFSTTUFIELDFAIL;

typedef struct _wfs_ttu_key {
    CHAR cKey;
    WORD wUNICODEKey;
    WORD wCommandKey;
} WFSTTUKEY, *LPWFSTTUKEY;

#pragma pack(pop)

#ifdef __cplusplus
}
#endif

#endif /* ZT_XFSTTU_H */
