#include "ExecuteRequest.h"

#include "EventFanOut.h"
#include "FaultTable.h"
#include "ResultBuilder.h"

namespace {

/* What the device's status lets a command do. */
HRESULT DeviceReady(const CPanelState &state, DWORD dwCommand)
{
    switch (state.fwDevice) {
    case WFS_TTU_DEVONLINE:
        return WFS_SUCCESS;
    case WFS_TTU_DEVHWERROR:
    case WFS_TTU_DEVUSERERROR:
        // A reset is how an application recovers the device.
        return dwCommand == WFS_CMD_TTU_RESET ? WFS_SUCCESS
               : state.fwDevice == WFS_TTU_DEVHWERROR ? WFS_ERR_HARDWARE_ERROR
                                                     : WFS_ERR_DEV_NOT_READY;
    default:
        return WFS_ERR_DEV_NOT_READY;
    }
}

bool IsRead(DWORD dwCommand)
{
    return dwCommand == WFS_CMD_TTU_READ || dwCommand == WFS_CMD_TTU_READ_FORM;
}

bool IsFormCommand(DWORD dwCommand)
{
    return dwCommand == WFS_CMD_TTU_WRITE_FORM || dwCommand == WFS_CMD_TTU_READ_FORM;
}

/* Runs a command that has come to the head of the queue. True when it is
   over at once; false while a read has started (or waits for the keyboard
   that a read of another process holds). */
bool StartExecute(CProviderRequest &request, const CPanelConfig &config, EventList &events,
                  HRESULT &hr)
{
    CSharedPanel::Access state;
    if (TakeFault(*state, false, request.dwCode, hr)) {
        state.Changed();
        return true;
    }
    // A code outside the TTU class is no command at all; a TTU command this
    // panel was configured without is one it does not support.
    if (request.dwCode < WFS_CMD_TTU_BEEP || request.dwCode > WFS_CMD_TTU_RESET) {
        hr = WFS_ERR_INVALID_COMMAND;
        return true;
    }
    if (IsFormCommand(request.dwCode) && !config.bForms) {
        hr = WFS_ERR_UNSUPP_COMMAND;
        return true;
    }
    if (LockedByOther(*state, request.hService)) {
        hr = WFS_ERR_LOCKED;
        return true;
    }
    if (request.data.hrUnusable != WFS_SUCCESS) {
        hr = request.data.hrUnusable;
        return true;
    }
    if ((hr = DeviceReady(*state, request.dwCode)) != WFS_SUCCESS)
        return true;
    if (!IsRead(request.dwCode)) {
        hr = CPanelDevice(config).Execute(*state, request.dwCode, request.data, events);
        state.Changed();
        return true;
    }

    if (state->bReadActive && ProcessAlive(state->dwReadOwnerPid)) {
        hr = WFS_SUCCESS;
        return false; // the keyboard is busy with another process's read
    }
    state.Changed();
    std::unique_ptr<CKeyboardRead> read = request.dwCode == WFS_CMD_TTU_READ
                                             ? NewTextRead(config, request.data)
                                             : NewFormRead(config, request.data);
    if ((hr = read->Start(*state, events)) != WFS_SUCCESS)
        return true;
    if (read->Finished()) {
        request.read = std::move(read); // answers its (empty) output
        return true;
    }
    if (request.dwCode == WFS_CMD_TTU_READ ? request.data.read.bFlush : FALSE)
        state->dwKeysRead = state->dwKeysWritten;
    state->bReadActive = TRUE;
    state->dwReadOwnerPid = GetCurrentProcessId();
    state->dwReadToken = ++state->dwNextToken;
    request.dwReadToken = state->dwReadToken;
    request.read = std::move(read);
    return false;
}

/* Feeds the keys pressed since the last pass to the read. */
bool ProgressRead(CProviderRequest &request, EventList &events, HRESULT &hr)
{
    CSharedPanel::Access state;
    if (!state->bReadActive || state->dwReadToken != request.dwReadToken) {
        hr = WFS_ERR_HARDWARE_ERROR; // the panel was reset under the read
        return true;
    }
    if (state->fwDevice != WFS_TTU_DEVONLINE) {
        ReleaseRead(request);
        hr = state->fwDevice == WFS_TTU_DEVHWERROR ? WFS_ERR_HARDWARE_ERROR
                                                   : WFS_ERR_DEV_NOT_READY;
        return true;
    }
    bool bDone = false;
    while (!bDone && state->dwKeysRead != state->dwKeysWritten) {
        CPanelKey key = state->keys[state->dwKeysRead % kKeyBufferSize];
        ++state->dwKeysRead;
        bDone = request.read->OnKey(*state, key, events, hr);
        state.Changed();
    }
    if (bDone)
        state->bReadActive = FALSE;
    return bDone;
}

void CompleteExecute(const CProviderRequest &request, HRESULT hr)
{
    CResultBuilder result(request.id, request.hService, request.dwCode, hr);
    if (hr == WFS_SUCCESS && request.read)
        request.read->BuildOutput(result);
    PostResult(request.hWnd, WFS_EXECUTE_COMPLETE, result.Detach());
}

} // namespace

bool ProgressExecute(CProviderRequest &request, const CPanelConfig &config, DWORD dwNow,
                     DWORD &dwWait)
{
    EventList events;
    HRESULT hr = WFS_SUCCESS;
    bool bDone;
    if (!request.read) {
        if (CompleteIfTimedOut(request, dwNow, dwWait))
            return true;
        if (!DelayOver(request, false, dwNow, dwWait))
            return false;
        bDone = StartExecute(request, config, events, hr);
    } else {
        bDone = ProgressRead(request, events, hr);
        if (!bDone && TimedOut(request, dwNow, dwWait)) {
            ReleaseRead(request);
            hr = WFS_ERR_TIMEOUT;
            bDone = true;
        }
    }
    CEventFanOut::PostExecuteEvents(request, events);
    if (bDone)
        CompleteExecute(request, hr);
    return bDone;
}

void ReleaseRead(CProviderRequest &request)
{
    if (!request.read)
        return;
    CSharedPanel::Access state;
    if (state->bReadActive && state->dwReadToken == request.dwReadToken) {
        state->bReadActive = FALSE;
        state->bCursorOn = FALSE;
        state.Changed();
    }
}
