/*
 * A service provider for the manager's tests, whose behaviour each test
 * sets: complete at once, hold a request until released, fail the SPI call,
 * or never complete; post execute events, and events to registered windows.
 * It posts only to the windows it is handed, as a maker's provider does.
 * Its completions carry a chained lpBuffer, so freeing a result exercises
 * the buffer chains.
 */
#ifndef ZT_TESTS_FAKE_PROVIDER_H
#define ZT_TESTS_FAKE_PROVIDER_H

#include <xfsapi.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifdef ZT_BUILDING_FAKE_PROVIDER
#define FAKE_API __declspec(dllexport)
#else
#define FAKE_API __declspec(dllimport)
#endif

/* The request kinds, indexes of the behaviour table. */
enum FakeKind { FAKE_OPEN, FAKE_CLOSE, FAKE_LOCK, FAKE_UNLOCK, FAKE_REGISTER, FAKE_DEREGISTER,
                FAKE_EXECUTE, FAKE_GETINFO, FAKE_KIND_COUNT };

enum FakeAction {
    FAKE_COMPLETE_NOW, /* post the completion inside the SPI call, with hResult */
    FAKE_HOLD,         /* keep it until FakeReleaseHeld (or a cancel) */
    FAKE_FAIL_CALL,    /* the SPI call returns hResult; nothing is posted */
    FAKE_NEVER         /* accept and forget: no completion ever */
};

/* What the last SPI call received. */
typedef struct _fake_call {
    HSERVICE hService;
    HWND hWnd;
    HWND hWndReg;
    REQUESTID RequestID;
    DWORD dwCode;          /* command, category, event class or trace level */
    DWORD dwTimeOut;
    LPVOID lpData;
    DWORD dwSPIVersionsRequired;
    DWORD dwSrvcVersionsRequired;
    HPROVIDER hProvider;
} FAKECALL;

FAKE_API void WINAPI FakeReset(void);
FAKE_API void WINAPI FakeSetBehaviour(int nKind, int nAction, HRESULT hResult);
/* Execute events posted before each execute completion. */
FAKE_API void WINAPI FakeSetExecuteEvents(int nCount);
/* WFPCancelAsyncRequest completes held requests with WFS_ERR_CANCELED. */
FAKE_API void WINAPI FakeSetHonourCancel(BOOL bHonour);
/* Completes every held request in order; returns how many. */
FAKE_API int WINAPI FakeReleaseHeld(void);
FAKE_API int WINAPI FakeHeldCount(void);
/* Posts an event (WFS_SERVICE_EVENT, ...) to every registered window. */
FAKE_API int WINAPI FakePostEvent(UINT uMsg, HSERVICE hService, DWORD dwEventID);
FAKE_API void WINAPI FakeGetLastCall(FAKECALL *lpCall);
/* Calls of one SPI function ("WFPOpen", ...) since FakeReset. */
FAKE_API LONG WINAPI FakeCallCount(LPCSTR lpszFunction);

#ifdef __cplusplus
}
#endif

#endif
