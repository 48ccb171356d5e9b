#include "CoreTestSupport.h"

#include <map>

#include "trcutil30.h"
#include "xfsdiag.h"
#include "xfsttu.h"

int RecordingService::Count(const std::string &strSlot, DWORD dwCode) const
{
    int nCount = 0;
    for (const HandlerCall &call : m_calls)
        if (call.strSlot == strSlot && (dwCode == 0 || call.dwCode == dwCode))
            ++nCount;
    return nCount;
}

void RecordingService::Record(const char *pszSlot, UINT uMsg, LPWFSRESULT *lppResult)
{
    LPWFSRESULT lpResult = *lppResult;
    m_calls.push_back({pszSlot, uMsg, lpResult, lpResult->RequestID, lpResult->hResult,
                       lpResult->u.dwCommandCode});
    if (m_onCall)
        m_onCall(m_calls.back());
}

TestInstance::TestInstance()
{
    CTTUContext *pContext = CTTUContext::GetInstance();
    int nInstance = pContext->GetLastInstance() + 1;
    wchar_t szTitle[32];
    wsprintfW(szTitle, L"TTUMsgWnd%d", nInstance);
    m_pWnd.reset(new CTTUMsgWnd(&m_service));
    if (!m_pWnd->Create(szTitle))
        return;
    m_nInstance = nInstance;
    pContext->SetLastInstance(nInstance);
    pContext->AddInstanceWnd(nInstance, m_pWnd->GetSafeHwnd());
    m_service.SetInstanceNumber(nInstance);
}

TestInstance::~TestInstance()
{
    DestroyWindowAndUnregister();
}

void TestInstance::DestroyWindowAndUnregister()
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
            pSpy->m_hook(uMsg, wParam, lParam);
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
    GetLocalTime(&lpResult->tsTimestamp);
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

LONG XfsCalls(std::initializer_list<const char *> functions)
{
    LONG lTotal = 0;
    for (const char *pszFunction : functions)
        lTotal += WFMDiagCallCount(pszFunction);
    return lTotal;
}

LONG AnyXfsCalls()
{
    return XfsCalls({"WFSStartUp", "WFSCreateAppHandle", "WFSAsyncOpen", "WFSAsyncRegister",
                     "WFMSetTraceLevel", "WFSAsyncLock", "WFSAsyncUnlock", "WFSAsyncExecute",
                     "WFSAsyncGetInfo", "WFSCancelAsyncRequest", "WFSAsyncDeregister",
                     "WFSAsyncClose"});
}

std::vector<std::string> CapturedTraceLines()
{
    DWORD cb = TrcCaptureGet(nullptr, 0);
    std::string strText(cb, '\0');
    TrcCaptureGet(&strText[0], cb);
    strText.resize(cb ? cb - 1 : 0);
    std::vector<std::string> lines;
    size_t nStart = 0;
    for (size_t nEnd; (nEnd = strText.find('\n', nStart)) != std::string::npos; nStart = nEnd + 1)
        lines.push_back(strText.substr(nStart, nEnd - nStart));
    return lines;
}

void CoreTest::SetUp()
{
    ASSERT_NE(nullptr, CTTUContext::GetInstance()->GetWnd());
    ASSERT_EQ(0, WFMDiagLiveBufferCount());
}

void CoreTest::TearDown()
{
    CTTUContext *pContext = CTTUContext::GetInstance();
    if (pContext->GetOpened()) {
        TestInstance closer;
        EXPECT_EQ(WFS_SUCCESS, closer.m_service.CloseSession());
    }
    // Late completions of the test's requests are released by now.
    PumpFor(50);
    m_instances.clear();
    CTTUContext::ReleaseInstance();
    EXPECT_EQ(0, WFMDiagLiveBufferCount());
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
