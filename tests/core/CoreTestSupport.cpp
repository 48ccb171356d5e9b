#include "CoreTestSupport.h"

#include <map>

#include "xfsadmin.h"
#include "xfsdiag.h"
#include "xfsttu.h"

int RecordingService::Count(const std::string &strSlot, DWORD dwCode) const
{
    int nCount = 0;
    for (const HandlerCall &call : m_calls)
        nCount += call.strSlot == strSlot && (dwCode == 0 || call.dwCode == dwCode);
    return nCount;
}

void RecordingService::Record(const char *pszSlot, LPWFSRESULT *lppResult)
{
    LPWFSRESULT lpResult = *lppResult;
    m_calls.push_back({pszSlot, lpResult, lpResult->RequestID, lpResult->hResult,
                       lpResult->u.dwCommandCode});
    if (m_onCall)
        m_onCall();
}

InstanceWindow::InstanceWindow(CService &service)
{
    CTTUContext *pContext = CTTUContext::GetInstance();
    int nInstance = pContext->GetLastInstance() + 1;
    wchar_t szTitle[32];
    wsprintfW(szTitle, L"TTUMsgWnd%d", nInstance);
    m_pWnd.reset(new CTTUMsgWnd(&service));
    if (!m_pWnd->Create(szTitle))
        return;
    m_nInstance = nInstance;
    pContext->SetLastInstance(nInstance);
    pContext->AddInstanceWnd(nInstance, m_pWnd->GetSafeHwnd());
    service.SetInstanceNumber(nInstance);
}

void InstanceWindow::Destroy()
{
    if (!m_pWnd)
        return;
    m_pWnd.reset();
    CTTUContext::GetInstance()->RemoveInstanceWnd(m_nInstance);
}

namespace {
std::map<HWND, MessageSpy *> g_spies;
}

MessageSpy::MessageSpy(HWND hWnd) : m_hWnd(hWnd)
{
    g_spies[hWnd] = this;
    m_pfnOriginal = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MessageSpy::SpyProc)));
}

MessageSpy::~MessageSpy()
{
    if (IsWindow(m_hWnd))
        SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnOriginal));
    g_spies.erase(m_hWnd);
}

int MessageSpy::Count(UINT uMsg) const
{
    int nCount = 0;
    for (const Seen &seen : m_seen)
        nCount += seen.uMsg == uMsg;
    return nCount;
}

LRESULT CALLBACK MessageSpy::SpyProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    MessageSpy *pSpy = g_spies[hWnd];
    if ((uMsg >= WFS_OPEN_COMPLETE && uMsg <= WFS_SYSTEM_EVENT) || uMsg == WM_TTU_STATUS_REFRESH) {
        pSpy->m_seen.push_back({uMsg, wParam, lParam});
        if (pSpy->m_hook)
            pSpy->m_hook(uMsg, lParam);
    }
    return CallWindowProcW(pSpy->m_pfnOriginal, hWnd, uMsg, wParam, lParam);
}

LPWFSRESULT MakeResult(REQUESTID RequestID, DWORD dwCode, HRESULT hResult)
{
    LPVOID lpBuffer = nullptr;
    if (WFMAllocateBuffer(sizeof(WFSRESULT), WFS_MEM_SHARE | WFS_MEM_ZEROINIT, &lpBuffer) != 0)
        return nullptr;
    LPWFSRESULT lpResult = static_cast<LPWFSRESULT>(lpBuffer);
    lpResult->RequestID = RequestID;
    lpResult->hResult = hResult;
    lpResult->u.dwCommandCode = dwCode;
    return lpResult;
}

HRESULT SubmitBeep(CService &service, WORD wTag)
{
    LPVOID lpData = nullptr;
    HRESULT hResult = WFMAllocateBuffer(sizeof(WFSTTUBEEP), WFS_MEM_ZEROINIT, &lpData);
    if (hResult != WFS_SUCCESS)
        return hResult;
    static_cast<LPWFSTTUBEEP>(lpData)->wBeep = WFS_TTU_BEEPKEYPRESS;
    hResult = service.Execute(WFS_CMD_TTU_BEEP, &lpData, 0, wTag);
    WFMFreeBuffer(lpData);
    return hResult;
}

LONG AnyXfsCalls()
{
    LONG lTotal = 0;
    for (const char *pszFunction :
         {"WFSStartUp", "WFSCreateAppHandle", "WFSAsyncOpen", "WFSAsyncRegister", "WFMSetTraceLevel",
          "WFSAsyncLock", "WFSAsyncUnlock", "WFSAsyncExecute", "WFSAsyncGetInfo",
          "WFSCancelAsyncRequest", "WFSAsyncDeregister", "WFSAsyncClose"})
        lTotal += WFMDiagCallCount(pszFunction);
    return lTotal;
}

namespace {
const wchar_t kZentrik[] = L"SOFTWARE\\Zentrik";
const wchar_t kSaved[] = L"SOFTWARE\\ZentrikSavedByTests";

void CopyKey(LPCWSTR lpszFrom, LPCWSTR lpszTo)
{
    HKEY hFrom = nullptr, hTo = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, lpszFrom, 0, KEY_READ, &hFrom) != ERROR_SUCCESS)
        return;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, lpszTo, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hTo, nullptr);
    EXPECT_EQ(ERROR_SUCCESS, RegCopyTreeW(hFrom, nullptr, hTo));
    RegCloseKey(hTo);
    RegCloseKey(hFrom);
}
} // namespace

ZentrikSettings::ZentrikSettings()
{
    HKEY hKey = nullptr;
    m_bKeyExisted = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kZentrik, 0, KEY_READ, &hKey) == ERROR_SUCCESS;
    if (m_bKeyExisted) {
        RegCloseKey(hKey);
        CopyKey(kZentrik, kSaved);
    }
    RemoveAll();
}

ZentrikSettings::~ZentrikSettings()
{
    RemoveAll();
    if (m_bKeyExisted) {
        CopyKey(kSaved, kZentrik);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kSaved);
    }
}

void ZentrikSettings::Write(LPCWSTR lpszName, DWORD dwValue)
{
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kZentrik, 0, nullptr, 0, KEY_WRITE,
                                             nullptr, &hKey, nullptr));
    RegSetValueExW(hKey, lpszName, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&dwValue), sizeof dwValue);
    RegCloseKey(hKey);
}

void ZentrikSettings::RemoveAll()
{
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kZentrik);
}

void CoreTest::SetUp()
{
    ASSERT_NE(nullptr, Context()->GetWnd());
    ASSERT_EQ(0, WFMDiagLiveBufferCount());
    WFMDiagResetCallCounts();
}

void CoreTest::TearDown()
{
    if (Context()->GetOpened()) {
        TestInstance closer;
        EXPECT_EQ(WFS_SUCCESS, closer.m_service.CloseSession());
    }
    // Late completions of the test's requests are released by now.
    EXPECT_TRUE(PumpUntil([] { return WFMDiagLiveBufferCount() == 0; }));
    m_instances.clear();
    CTTUContext::ReleaseInstance();
}

TestInstance &CoreTest::AddInstance()
{
    m_instances.emplace_back(new TestInstance);
    return *m_instances.back();
}

TestInstance &CoreTest::OpenedInstance()
{
    TestInstance &instance = AddInstance();
    EXPECT_EQ(WFS_SUCCESS, instance.m_service.OpenSession(10000));
    return instance;
}
