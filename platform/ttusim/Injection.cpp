/*
 * The operator's and the device's side of the panel (ttusim.h): what tests
 * and the console tool do to the shared panel from any process.
 */
#include <cstring>

#include "FaultTable.h"
#include "PanelTrace.h"
#include "SharedPanel.h"
#include "ttusim.h"

namespace {

/* The panel, attached (and powered on from the registry's configuration
   when no process runs it yet). */
bool Reachable()
{
    std::string strError;
    if (CSharedPanel::Attach(nullptr, strError) == WFS_SUCCESS)
        return true;
    TraceError("TtuSim", "the shared panel cannot be reached: " + strError);
    return false;
}

/* Runs a change on the reachable panel; a change that succeeds wakes
   every process that watches the panel. */
template <class Change> LONG ChangePanel(Change change)
{
    if (!Reachable())
        return WFS_ERR_INTERNAL_ERROR;
    CSharedPanel::Access state;
    LONG lResult = change(*state);
    if (lResult == WFS_SUCCESS)
        state.Changed();
    return lResult;
}

/* Keys reach a read only while the device is online and the keyboard is
   on; otherwise the press is lost, as on a real panel. */
bool KeyboardLive(const CPanelState &state)
{
    return state.fwDevice == WFS_TTU_DEVONLINE && state.fwKeyboard == WFS_TTU_KBDON;
}

/* Sets one of the panel's status words. A value above wHighest is no
   status at all; allowed(state) refuses one this panel cannot have. */
template <class Allowed>
LONG SetStatusWord(WORD CPanelState::*pWord, WORD wStatus, WORD wHighest, Allowed allowed)
{
    if (wStatus > wHighest)
        return WFS_ERR_INVALID_DATA;
    return ChangePanel([&](CPanelState &state) -> LONG {
        if (!allowed(state))
            return WFS_ERR_INVALID_DATA;
        state.*pWord = wStatus;
        return WFS_SUCCESS;
    });
}

bool AnyPanel(const CPanelState &) { return true; }

void FillSnapshot(const CPanelState &state, TTUSIMSNAPSHOT &s)
{
    memset(&s, 0, sizeof s);
    s.fwDevice = state.fwDevice;
    s.fwKeyboard = state.fwKeyboard;
    s.fwKeylock = state.fwKeylock;
    s.wNumOfLEDs = state.description.wNumOfLEDs;
    memcpy(s.wLEDs, state.wLEDs, sizeof s.wLEDs);
    s.bDisplayLight = state.bDisplayLight;
    s.wLastBeep = state.wLastBeep;
    s.bBeeping = state.bBeeping;
    s.bReadActive = state.bReadActive && ProcessAlive(state.dwReadOwnerPid);
    s.wCursorX = state.wCursorX;
    s.wCursorY = state.wCursorY;
    s.wDisplaySizeX = state.wSizeX;
    s.wDisplaySizeY = state.wSizeY;
    s.dwChangeCount = state.dwChangeCount;
}

} // namespace

extern "C" {

LONG WINAPI TtuSimPressKey(WCHAR wcKey, WORD wCommandKey)
{
    return ChangePanel([&](CPanelState &state) -> LONG {
        const CPanelDescription &d = state.description;
        bool bValid = wcKey ? wCommandKey == WFS_TTU_NOKEY && d.HasKey(wcKey)
                            : d.HasCommandKey(wCommandKey);
        if (!bValid)
            return WFS_ERR_INVALID_DATA; // the panel has no such key
        if (KeyboardLive(state))
            CSharedPanel::PushKey(state, CPanelKey{wcKey, wCommandKey});
        return WFS_SUCCESS;
    });
}

LONG WINAPI TtuSimTypeText(LPCWSTR lpszText)
{
    if (!lpszText)
        return WFS_ERR_INVALID_DATA;
    return ChangePanel([&](CPanelState &state) -> LONG {
        for (LPCWSTR p = lpszText; *p; ++p)
            if (!state.description.HasKey(*p))
                return WFS_ERR_INVALID_DATA;
        for (LPCWSTR p = lpszText; *p && KeyboardLive(state); ++p)
            CSharedPanel::PushKey(state, CPanelKey{*p, WFS_TTU_NOKEY});
        return WFS_SUCCESS;
    });
}

LONG WINAPI TtuSimSetDeviceStatus(WORD fwDevice)
{
    return SetStatusWord(&CPanelState::fwDevice, fwDevice, WFS_TTU_DEVBUSY, AnyPanel);
}

LONG WINAPI TtuSimSetKeyboardStatus(WORD fwKeyboard)
{
    return SetStatusWord(&CPanelState::fwKeyboard, fwKeyboard, WFS_TTU_KBDOFF, AnyPanel);
}

LONG WINAPI TtuSimSetKeylockStatus(WORD fwKeylock)
{
    // A panel without a key lock can only report it as not available.
    auto allowed = [&](const CPanelState &state) {
        return state.description.bKeyLock || fwKeylock == WFS_TTU_KBDLOCKNA;
    };
    return SetStatusWord(&CPanelState::fwKeylock, fwKeylock, WFS_TTU_KBDLOCKOFF, allowed);
}

LONG WINAPI TtuSimFailNext(BOOL bCategory, DWORD dwCode, LONG nCount, HRESULT hResult)
{
    if (!HasFaultEntry(bCategory, dwCode) || nCount < 0)
        return WFS_ERR_INVALID_DATA;
    return ChangePanel([&](CPanelState &state) -> LONG {
        CInjectedFault *lpFault = FindFault(state, bCategory, dwCode);
        lpFault->nCount = nCount;
        lpFault->hResult = hResult;
        return WFS_SUCCESS;
    });
}

LONG WINAPI TtuSimDelay(BOOL bCategory, DWORD dwCode, DWORD dwMilliseconds)
{
    if (!HasFaultEntry(bCategory, dwCode))
        return WFS_ERR_INVALID_DATA;
    return ChangePanel([&](CPanelState &state) -> LONG {
        FindFault(state, bCategory, dwCode)->dwDelay = dwMilliseconds;
        return WFS_SUCCESS;
    });
}

LONG WINAPI TtuSimSendSystemEvent(DWORD dwEventID)
{
    if (dwEventID < WFS_SYSE_UNDELIVERABLE_MSG || dwEventID > WFS_SYSE_APP_DISCONNECT)
        return WFS_ERR_INVALID_DATA;
    return ChangePanel([&](CPanelState &state) -> LONG {
        CSharedPanel::PushSystemEvent(state, dwEventID);
        return WFS_SUCCESS;
    });
}

LONG WINAPI TtuSimReset(void)
{
    return ChangePanel([](CPanelState &state) -> LONG {
        CSharedPanel::PowerOn(state);
        return WFS_SUCCESS;
    });
}

LONG WINAPI TtuSimGetDisplay(LPWSTR lpszBuffer, DWORD cchBuffer, LPWORD lpwSizeX, LPWORD lpwSizeY)
{
    if (!Reachable())
        return WFS_ERR_INTERNAL_ERROR;
    std::wstring strDisplay;
    {
        CSharedPanel::Access state;
        strDisplay = CSharedPanel::DisplayText(*state);
        if (lpwSizeX)
            *lpwSizeX = state->wSizeX;
        if (lpwSizeY)
            *lpwSizeY = state->wSizeY;
    }
    if (!lpszBuffer || cchBuffer < strDisplay.size() + 1)
        return WFS_ERR_INVALID_DATA;
    memcpy(lpszBuffer, strDisplay.c_str(), (strDisplay.size() + 1) * sizeof(WCHAR));
    return WFS_SUCCESS;
}

LONG WINAPI TtuSimGetSnapshot(LPTTUSIMSNAPSHOT lpSnapshot)
{
    if (!lpSnapshot)
        return WFS_ERR_INVALID_DATA;
    if (!Reachable())
        return WFS_ERR_INTERNAL_ERROR;
    CSharedPanel::Access state;
    FillSnapshot(*state, *lpSnapshot);
    return WFS_SUCCESS;
}

LONG WINAPI TtuSimGetPanelView(LPTTUSIMPANELVIEW lpView)
{
    static_assert(TTUSIM_MAX_ROWS == kMaxRows && TTUSIM_MAX_COLUMNS == kMaxColumns &&
                      TTUSIM_MAX_KEYS == kMaxKeys && TTUSIM_MAX_COMMAND_KEYS == kMaxCommandKeys,
                  "the view's sizes are the panel's");
    if (!lpView)
        return WFS_ERR_INVALID_DATA;
    if (!Reachable())
        return WFS_ERR_INTERNAL_ERROR;
    CSharedPanel::Access state;
    memset(lpView, 0, sizeof *lpView);
    FillSnapshot(*state, lpView->snapshot);
    lpView->bCursorOn = state->bCursorOn;
    memcpy(lpView->cells, state->cells, sizeof lpView->cells);
    memcpy(lpView->attributes, state->attributes, sizeof lpView->attributes);
    memcpy(lpView->szKeys, state->description.szKeys, sizeof lpView->szKeys);
    memcpy(lpView->wCommandKeys, state->description.wCommandKeys, sizeof lpView->wCommandKeys);
    if (lpView->snapshot.bReadActive) {
        memcpy(lpView->szActiveKeys, state->szActiveKeys, sizeof lpView->szActiveKeys);
        memcpy(lpView->wActiveCommandKeys, state->wActiveCommandKeys,
               sizeof lpView->wActiveCommandKeys);
    }
    return WFS_SUCCESS;
}

} // extern "C"
