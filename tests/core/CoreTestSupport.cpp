#include "CoreTestSupport.h"

#include <algorithm>

#include "xfsadmin.h"
#include "xfsttu.h"

int RecordingService::Count(const std::string &strSlot, DWORD dwCode) const
{
    return std::count_if(m_calls.begin(), m_calls.end(), [&](const HandlerCall &call) {
        return call.strSlot == strSlot && (dwCode == 0 || call.dwCode == dwCode);
    });
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

MessageSpy::MessageSpy(HWND hWnd) : m_hWnd(hWnd)
{
    SetWindowSubclass(hWnd, SpyProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

int MessageSpy::Count(UINT uMsg) const
{
    return std::count_if(m_seen.begin(), m_seen.end(), [&](const Seen &seen) { return seen.uMsg == uMsg; });
}

LRESULT CALLBACK MessageSpy::SpyProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR dwSpy)
{
    MessageSpy *pSpy = reinterpret_cast<MessageSpy *>(dwSpy);
    if ((uMsg >= WFS_OPEN_COMPLETE && uMsg <= WFS_SYSTEM_EVENT) || uMsg == WM_TTU_STATUS_REFRESH) {
        pSpy->m_seen.push_back({uMsg, wParam, lParam});
        if (pSpy->m_hook)
            pSpy->m_hook(uMsg, lParam);
    }
    return DefSubclassProc(hWnd, uMsg, wParam, lParam);
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
