/*
 * XFS 3.0x application programming interface: the types, messages, codes and
 * functions shared by every service class. Written for this project; every
 * structure is byte-packed as the XFS standard lays it out.
 */
#ifndef ZT_XFSAPI_H
#define ZT_XFSAPI_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifdef ZT_BUILDING_XFS_MANAGER
#define XFSAPI_EXPORT __declspec(dllexport)
#else
#define XFSAPI_EXPORT __declspec(dllimport)
#endif

#pragma pack(push, 1)

typedef ULONG REQUESTID;
typedef REQUESTID *LPREQUESTID;
typedef HANDLE HAPP;
typedef HAPP *LPHAPP;
typedef USHORT HSERVICE;
typedef HSERVICE *LPHSERVICE;
typedef HANDLE HPROVIDER;
typedef HPROVIDER *LPHPROVIDER;

/* Text lengths of WFSVERSION. */
#define WFSDDESCRIPTION_LEN 256
#define WFSDSYSSTATUS_LEN 256

typedef struct _wfsversion {
    WORD wVersion;
    WORD wLowVersion;
    WORD wHighVersion;
    CHAR szDescription[WFSDDESCRIPTION_LEN + 1];
    CHAR szSystemStatus[WFSDSYSSTATUS_LEN + 1];
} WFSVERSION, *LPWFSVERSION;

typedef struct _wfs_result {
    REQUESTID RequestID;
    HSERVICE hService;
    SYSTEMTIME tsTimestamp;
    HRESULT hResult;
    union {
        DWORD dwCommandCode;
        DWORD dwEventID;
    } u;
    LPVOID lpBuffer;
} WFSRESULT, *LPWFSRESULT;

#pragma pack(pop)

/* Completion and event messages posted to the application's window. */
#define WFS_OPEN_COMPLETE (WM_USER + 1)
#define WFS_CLOSE_COMPLETE (WM_USER + 2)
#define WFS_LOCK_COMPLETE (WM_USER + 3)
#define WFS_UNLOCK_COMPLETE (WM_USER + 4)
#define WFS_REGISTER_COMPLETE (WM_USER + 5)
#define WFS_DEREGISTER_COMPLETE (WM_USER + 6)
#define WFS_GETINFO_COMPLETE (WM_USER + 7)
#define WFS_EXECUTE_COMPLETE (WM_USER + 8)
#define WFS_EXECUTE_EVENT (WM_USER + 20)
#define WFS_SERVICE_EVENT (WM_USER + 21)
#define WFS_USER_EVENT (WM_USER + 22)
#define WFS_SYSTEM_EVENT (WM_USER + 23)

/* Event classes of WFSAsyncRegister/WFSAsyncDeregister. */
#define SERVICE_EVENTS 1
#define USER_EVENTS 2
#define SYSTEM_EVENTS 4
#define EXECUTE_EVENTS 8

/* System events. */
#define WFS_SYSE_UNDELIVERABLE_MSG 1
#define WFS_SYSE_HARDWARE_ERROR 2
#define WFS_SYSE_VERSION_ERROR 3
#define WFS_SYSE_DEVICE_STATUS 4
#define WFS_SYSE_APP_DISCONNECT 5

#define WFS_INDEFINITE_WAIT 0

/* Result codes. */
#define WFS_SUCCESS 0
#define WFS_ERR_ALREADY_STARTED (-1)
#define WFS_ERR_API_VER_TOO_HIGH (-2)
#define WFS_ERR_API_VER_TOO_LOW (-3)
#define WFS_ERR_CANCELED (-4)
#define WFS_ERR_DEV_NOT_READY (-13)
#define WFS_ERR_HARDWARE_ERROR (-14)
#define WFS_ERR_INTERNAL_ERROR (-15)
#define WFS_ERR_INVALID_ADDRESS (-16)
#define WFS_ERR_INVALID_APP_HANDLE (-17)
#define WFS_ERR_INVALID_BUFFER (-18)
#define WFS_ERR_INVALID_CATEGORY (-19)
#define WFS_ERR_INVALID_COMMAND (-20)
#define WFS_ERR_INVALID_EVENT_CLASS (-21)
#define WFS_ERR_INVALID_HSERVICE (-22)
#define WFS_ERR_INVALID_HPROVIDER (-23)
#define WFS_ERR_INVALID_HWND (-24)
#define WFS_ERR_INVALID_HWNDREG (-25)
#define WFS_ERR_INVALID_POINTER (-26)
#define WFS_ERR_INVALID_REQ_ID (-27)
#define WFS_ERR_INVALID_RESULT (-28)
#define WFS_ERR_INVALID_SERVPROV (-29)
#define WFS_ERR_INVALID_TRACELEVEL (-31)
#define WFS_ERR_LOCKED (-32)
#define WFS_ERR_NO_SERVPROV (-34)
#define WFS_ERR_NOT_LOCKED (-37)
#define WFS_ERR_NOT_STARTED (-39)
#define WFS_ERR_NOT_REGISTERED (-40)
#define WFS_ERR_OP_IN_PROGRESS (-41)
#define WFS_ERR_OUT_OF_MEMORY (-42)
#define WFS_ERR_SERVICE_NOT_FOUND (-43)
#define WFS_ERR_SPI_VER_TOO_HIGH (-44)
#define WFS_ERR_SPI_VER_TOO_LOW (-45)
#define WFS_ERR_SRVC_VER_TOO_HIGH (-46)
#define WFS_ERR_SRVC_VER_TOO_LOW (-47)
#define WFS_ERR_TIMEOUT (-48)
#define WFS_ERR_UNSUPP_CATEGORY (-49)
#define WFS_ERR_UNSUPP_COMMAND (-50)
#define WFS_ERR_INVALID_DATA (-52)
#define WFS_ERR_SOFTWARE_ERROR (-53)
#define WFS_ERR_CONNECTION_LOST (-54)

/* Session management. */
XFSAPI_EXPORT HRESULT WINAPI WFSStartUp(DWORD dwVersionsRequired, LPWFSVERSION lpWFSVersion);
XFSAPI_EXPORT HRESULT WINAPI WFSCleanUp(void);
XFSAPI_EXPORT HRESULT WINAPI WFSCreateAppHandle(LPHAPP lphApp);
XFSAPI_EXPORT HRESULT WINAPI WFSDestroyAppHandle(HAPP hApp);

/* Asynchronous requests: each returns at once; one completion message follows. */
XFSAPI_EXPORT HRESULT WINAPI WFSAsyncOpen(LPSTR lpszLogicalName, HAPP hApp, LPSTR lpszAppID,
                                          DWORD dwTraceLevel, DWORD dwTimeOut,
                                          LPHSERVICE lphService, HWND hWnd,
                                          DWORD dwSrvcVersionsRequired,
                                          LPWFSVERSION lpSrvcVersion,
                                          LPWFSVERSION lpSPIVersion, LPREQUESTID lpRequestID);
XFSAPI_EXPORT HRESULT WINAPI WFSAsyncClose(HSERVICE hService, HWND hWnd, LPREQUESTID lpRequestID);
XFSAPI_EXPORT HRESULT WINAPI WFSAsyncRegister(HSERVICE hService, DWORD dwEventClass, HWND hWndReg,
                                              HWND hWnd, LPREQUESTID lpRequestID);
XFSAPI_EXPORT HRESULT WINAPI WFSAsyncDeregister(HSERVICE hService, DWORD dwEventClass,
                                                HWND hWndReg, HWND hWnd,
                                                LPREQUESTID lpRequestID);
XFSAPI_EXPORT HRESULT WINAPI WFSAsyncLock(HSERVICE hService, DWORD dwTimeOut, HWND hWnd,
                                          LPREQUESTID lpRequestID);
XFSAPI_EXPORT HRESULT WINAPI WFSAsyncUnlock(HSERVICE hService, HWND hWnd, LPREQUESTID lpRequestID);
XFSAPI_EXPORT HRESULT WINAPI WFSAsyncExecute(HSERVICE hService, DWORD dwCommand, LPVOID lpCmdData,
                                             DWORD dwTimeOut, HWND hWnd,
                                             LPREQUESTID lpRequestID);
XFSAPI_EXPORT HRESULT WINAPI WFSAsyncGetInfo(HSERVICE hService, DWORD dwCategory,
                                             LPVOID lpQueryDetails, DWORD dwTimeOut, HWND hWnd,
                                             LPREQUESTID lpRequestID);
XFSAPI_EXPORT HRESULT WINAPI WFSCancelAsyncRequest(HSERVICE hService, REQUESTID RequestID);
XFSAPI_EXPORT HRESULT WINAPI WFSFreeResult(LPWFSRESULT lpResult);
XFSAPI_EXPORT HRESULT WINAPI WFMSetTraceLevel(HSERVICE hService, DWORD dwTraceLevel);

/* Synchronous forms: the same requests, the result returned through lppResult. */
XFSAPI_EXPORT HRESULT WINAPI WFSOpen(LPSTR lpszLogicalName, HAPP hApp, LPSTR lpszAppID,
                                     DWORD dwTraceLevel, DWORD dwTimeOut,
                                     DWORD dwSrvcVersionsRequired, LPWFSVERSION lpSrvcVersion,
                                     LPWFSVERSION lpSPIVersion, LPHSERVICE lphService);
XFSAPI_EXPORT HRESULT WINAPI WFSClose(HSERVICE hService);
XFSAPI_EXPORT HRESULT WINAPI WFSRegister(HSERVICE hService, DWORD dwEventClass, HWND hWndReg);
XFSAPI_EXPORT HRESULT WINAPI WFSDeregister(HSERVICE hService, DWORD dwEventClass, HWND hWndReg);
XFSAPI_EXPORT HRESULT WINAPI WFSLock(HSERVICE hService, DWORD dwTimeOut, LPWFSRESULT *lppResult);
XFSAPI_EXPORT HRESULT WINAPI WFSUnlock(HSERVICE hService);
XFSAPI_EXPORT HRESULT WINAPI WFSExecute(HSERVICE hService, DWORD dwCommand, LPVOID lpCmdData,
                                        DWORD dwTimeOut, LPWFSRESULT *lppResult);
XFSAPI_EXPORT HRESULT WINAPI WFSGetInfo(HSERVICE hService, DWORD dwCategory,
                                        LPVOID lpQueryDetails, DWORD dwTimeOut,
                                        LPWFSRESULT *lppResult);

#ifdef __cplusplus
}
#endif

#endif /* ZT_XFSAPI_H */
