#include "SharedPanel.h"

#include <cstring>
#include <mutex>

#include "ProviderRegistry.h"

namespace {

constexpr DWORD kMagic = 0x5A545402; // "ZTT" and the layout's version
const wchar_t kMutexName[] = L"Local\\ZTVirtualPanel.Mutex";
const wchar_t kMappingName[] = L"Local\\ZTVirtualPanel.State";

/* The panel outlives the processes that use it, as a device does: its
   state is backed by a file, so a tool started after the application has
   ended still sees what the application left on the display. */
HANDLE OpenStateFile()
{
    wchar_t szTemp[MAX_PATH];
    DWORD n = GetTempPathW(MAX_PATH, szTemp);
    std::wstring strPath = std::wstring(szTemp, n) + L"ZTVirtualPanel.state";
    return CreateFileW(strPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::wstring ChangeEventName(DWORD dwPid)
{
    return L"Local\\ZTVirtualPanel.Changed." + std::to_wstring(dwPid);
}

std::mutex g_attachMutex;
HANDLE g_hChangeEvent = nullptr;

/* A listener lives exactly as long as its change event: the event is made
   before the listener takes its slot and goes only with its process. Its
   PID alone proves nothing, since a dead process's PID is soon handed to
   another one, and a slot kept for such a stranger would cost every change
   a failed wake-up and, once all slots are taken, shut new listeners out. */
bool ListenerAlive(DWORD dwPid)
{
    if (dwPid == GetCurrentProcessId())
        return g_hChangeEvent != nullptr;
    HANDLE hEvent = OpenEventW(SYNCHRONIZE, FALSE, ChangeEventName(dwPid).c_str());
    if (!hEvent)
        return false;
    CloseHandle(hEvent);
    return true;
}

/* Whether a process still has a session on the panel (its worker listens
   for changes). */
bool PanelInUse(const CPanelState &state)
{
    for (DWORD dwPid : state.listenerPids)
        if (dwPid && ListenerAlive(dwPid))
            return true;
    return false;
}

} // namespace

CPanelState *CSharedPanel::s_pState = nullptr;
HANDLE CSharedPanel::s_hMutex = nullptr;

bool ProcessAlive(DWORD dwPid)
{
    if (dwPid == GetCurrentProcessId())
        return true;
    HANDLE hProcess = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwPid);
    if (!hProcess)
        return false;
    DWORD dwExit = 0;
    bool bAlive = GetExitCodeProcess(hProcess, &dwExit) && dwExit == STILL_ACTIVE;
    CloseHandle(hProcess);
    return bAlive;
}

HRESULT CSharedPanel::Attach(const CPanelDescription *lpDescription, std::string &strError)
{
    {
        std::lock_guard<std::mutex> guard(g_attachMutex);
        if (!s_pState) {
            HANDLE hMutex = CreateMutexW(nullptr, FALSE, kMutexName);
            HANDLE hFile = OpenStateFile();
            HANDLE hMapping = CreateFileMappingW(hFile, nullptr, PAGE_READWRITE, 0,
                                                 sizeof(CPanelState), kMappingName);
            if (hFile != INVALID_HANDLE_VALUE)
                CloseHandle(hFile); // the mapping keeps the file open
            void *pView = hMapping ? MapViewOfFile(hMapping, FILE_MAP_ALL_ACCESS, 0, 0,
                                                   sizeof(CPanelState))
                                   : nullptr;
            if (!hMutex || !pView) {
                strError = "the shared panel cannot be created (error " +
                           std::to_string(GetLastError()) + ")";
                if (hMutex)
                    CloseHandle(hMutex);
                if (hMapping)
                    CloseHandle(hMapping);
                return WFS_ERR_INTERNAL_ERROR;
            }
            // The mapping stays open for the life of the process: the panel
            // must outlive every session and injection call made here.
            s_hMutex = hMutex;
            s_pState = static_cast<CPanelState *>(pView);
        }
    }

    Access state;
    bool bFresh = state->dwMagic != kMagic || state->dwLayoutSize != sizeof(CPanelState);
    if (!bFresh && lpDescription &&
        memcmp(&state->description, lpDescription, sizeof(CPanelDescription)) != 0) {
        if (PanelInUse(*state)) {
            strError = "the panel already runs as another device (display sizes, LEDs, key "
                       "lock, display light, cursor or keys differ from this configuration)";
            return WFS_ERR_HARDWARE_ERROR;
        }
        bFresh = true; // nobody uses it: it becomes the device now configured
    }
    if (bFresh) {
        CPanelConfig config;
        if (!lpDescription) {
            std::wstring strPath;
            if (!FindOwnConfigPath(strPath, strError))
                return WFS_ERR_INTERNAL_ERROR;
            if (!LoadPanelConfig(strPath, config, strError))
                return WFS_ERR_INTERNAL_ERROR;
            lpDescription = &config.description;
        }
        DWORD listenerPids[kMaxListeners];
        memcpy(listenerPids, state->listenerPids, sizeof listenerPids);
        memset(&*state, 0, sizeof(CPanelState));
        memcpy(state->listenerPids, listenerPids, sizeof listenerPids);
        state->description = *lpDescription;
        PowerOn(*state);
        state->dwMagic = kMagic;
        state->dwLayoutSize = sizeof(CPanelState);
        state.Changed();
    }
    return WFS_SUCCESS;
}

namespace {
thread_local int t_nAccessDepth = 0;
thread_local bool t_bAccessChanged = false;
thread_local bool t_bQuietHere = false;
} // namespace

CSharedPanel::Access::Access() : m_pState(s_pState)
{
    // An abandoned mutex (its owner died) still gives us ownership; the
    // state it guarded is whole because every change is a few stores.
    if (t_nAccessDepth++ == 0)
        WaitForSingleObject(s_hMutex, INFINITE);
}

void CSharedPanel::CountStatusChanges(CPanelState &state)
{
    WORD now[3 + WFS_TTU_LEDS_MAX] = {state.fwDevice, state.fwKeyboard, state.fwKeylock};
    memcpy(now + 3, state.wLEDs, sizeof state.wLEDs);
    for (int i = 0; i < 3; ++i)
        state.statusChanges[i] += now[i] != state.statusSeen[i];
    state.statusChanges[3] += memcmp(now + 3, state.statusSeen + 3, sizeof state.wLEDs) != 0;
    memcpy(state.statusSeen, now, sizeof now);
}

CSharedPanel::Access::~Access()
{
    t_bAccessChanged = t_bAccessChanged || m_bChanged;
    if (--t_nAccessDepth > 0)
        return;
    if (t_bAccessChanged) {
        t_bAccessChanged = false;
        ++m_pState->dwChangeCount;
        CountStatusChanges(*m_pState);
        DWORD dwSelf = t_bQuietHere ? GetCurrentProcessId() : 0;
        for (DWORD &dwPid : m_pState->listenerPids) {
            if (!dwPid || dwPid == dwSelf)
                continue;
            HANDLE hEvent = OpenEventW(EVENT_MODIFY_STATE, FALSE, ChangeEventName(dwPid).c_str());
            if (hEvent) {
                SetEvent(hEvent);
                CloseHandle(hEvent);
            } else {
                dwPid = 0; // the listener is gone (see ListenerAlive)
            }
        }
    }
    ReleaseMutex(s_hMutex);
}

CSharedPanel::QuietHere::QuietHere() { t_bQuietHere = true; }

CSharedPanel::QuietHere::~QuietHere() { t_bQuietHere = false; }

HANDLE CSharedPanel::StartListening()
{
    DWORD dwPid = GetCurrentProcessId();
    if (!g_hChangeEvent)
        g_hChangeEvent = CreateEventW(nullptr, FALSE, FALSE, ChangeEventName(dwPid).c_str());
    Access state;
    DWORD *lpFree = nullptr;
    for (DWORD &dwListener : state->listenerPids) {
        if (dwListener == dwPid)
            return g_hChangeEvent;
        if (!dwListener || !ListenerAlive(dwListener))
            lpFree = lpFree ? lpFree : &dwListener;
    }
    if (lpFree)
        *lpFree = dwPid;
    return g_hChangeEvent;
}

void CSharedPanel::StopListening()
{
    Access state;
    for (DWORD &dwListener : state->listenerPids)
        if (dwListener == GetCurrentProcessId())
            dwListener = 0;
}

void CSharedPanel::ResetOutputs(CPanelState &state)
{
    const CPanelDescription &d = state.description;
    SetResolution(state, d.resolutions[0].wSizeX, d.resolutions[0].wSizeY);
    state.fwDevice = WFS_TTU_DEVONLINE;
    for (int i = 0; i < WFS_TTU_LEDS_MAX; ++i)
        state.wLEDs[i] = i < d.wNumOfLEDs ? WFS_TTU_LEDOFF : WFS_TTU_LEDNA;
    state.bDisplayLight = d.bDisplayLight;
    state.wLastBeep = 0;
    state.bBeeping = FALSE;
}

void CSharedPanel::PowerOn(CPanelState &state)
{
    ResetOutputs(state);
    state.fwKeyboard = WFS_TTU_KBDON;
    state.fwKeylock = state.description.bKeyLock ? WFS_TTU_KBDLOCKOFF : WFS_TTU_KBDLOCKNA;
    state.dwKeysRead = state.dwKeysWritten;
    state.bReadActive = FALSE;
    memset(state.commandFaults, 0, sizeof state.commandFaults);
    memset(state.categoryFaults, 0, sizeof state.categoryFaults);
}

void CSharedPanel::SetResolution(CPanelState &state, WORD wSizeX, WORD wSizeY)
{
    state.wSizeX = wSizeX;
    state.wSizeY = wSizeY;
    ClearArea(state, 0, 0, kMaxColumns, kMaxRows);
    state.bCursorOn = FALSE;
}

void CSharedPanel::ClearArea(CPanelState &state, int x, int y, int cx, int cy)
{
    for (int row = y; row < y + cy && row < kMaxRows; ++row)
        for (int col = x; col < x + cx && col < kMaxColumns; ++col) {
            state.cells[row][col] = L' ';
            state.attributes[row][col] = 0;
        }
    state.wCursorX = (WORD)(x < state.wSizeX ? x : 0);
    state.wCursorY = (WORD)(y < state.wSizeY ? y : 0);
}

int CSharedPanel::PutText(CPanelState &state, int x, int y, const std::wstring &strText,
                          WORD fwAttr)
{
    for (WCHAR wc : strText) {
        if (x >= 0 && x < state.wSizeX && y >= 0 && y < state.wSizeY) {
            state.cells[y][x] = wc;
            state.attributes[y][x] = (BYTE)fwAttr;
        }
        ++x;
    }
    return x;
}

std::wstring CSharedPanel::DisplayText(const CPanelState &state)
{
    std::wstring str;
    for (int row = 0; row < state.wSizeY; ++row) {
        str.append(state.cells[row], state.wSizeX);
        str += L'\n';
    }
    return str;
}

void CSharedPanel::PushKey(CPanelState &state, CPanelKey key)
{
    // A full type-ahead buffer drops the new key, as a keyboard controller
    // whose buffer overflows does.
    if (state.dwKeysWritten - state.dwKeysRead >= (DWORD)kKeyBufferSize)
        return;
    state.keys[state.dwKeysWritten % kKeyBufferSize] = key;
    ++state.dwKeysWritten;
}

void CSharedPanel::PushSystemEvent(CPanelState &state, DWORD dwEventID)
{
    state.systemEvents[state.dwSystemEventCount % kSystemEventRing] = dwEventID;
    ++state.dwSystemEventCount;
}

void CSharedPanel::SetActiveKeys(CPanelState &state, const std::wstring &strKeys,
                                 const std::vector<WORD> &commandKeys)
{
    size_t n = 0;
    for (WCHAR wc : strKeys)
        if (n < (size_t)kMaxKeys && state.description.HasKey(wc))
            state.szActiveKeys[n++] = wc;
    state.szActiveKeys[n] = 0;
    n = 0;
    for (WORD wKey : commandKeys)
        if (n < (size_t)kMaxCommandKeys && state.description.HasCommandKey(wKey))
            state.wActiveCommandKeys[n++] = wKey;
    state.wActiveCommandKeys[n] = WFS_TTU_NOKEY;
}
