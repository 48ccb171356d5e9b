#include "TTUMsgWnd.h"

#include "Service.h"
#include "TTUContext.h"
#include "xfsttu.h"

namespace {
const DWORD kRefreshTimeOut = 30000;

bool IsRoutedMessage(UINT uMsg)
{
    return (uMsg >= WFS_OPEN_COMPLETE && uMsg <= WFS_DEREGISTER_COMPLETE) ||
           uMsg == WFS_EXECUTE_COMPLETE || uMsg == WFS_EXECUTE_EVENT;
}

bool IsBroadcastMessage(UINT uMsg)
{
    return uMsg == WFS_GETINFO_COMPLETE || uMsg == WFS_SERVICE_EVENT || uMsg == WFS_USER_EVENT ||
           uMsg == WFS_SYSTEM_EVENT;
}
} // namespace

CTTUMsgWnd::CTTUMsgWnd(CService *pService) : m_pService(pService), m_pOwner(nullptr) {}

CTTUMsgWnd::~CTTUMsgWnd()
{
    m_pService = nullptr;
    // Here rather than in the base destructor, so that WindowProc below still
    // sees WM_DESTROY.
    DestroyWindow();
}

LRESULT CTTUMsgWnd::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    IUnknown *pOwner = m_pOwner;
    if (!pOwner || uMsg == WM_DESTROY || uMsg == WM_NCDESTROY)
        return HandleMessage(uMsg, wParam, lParam);
    // The owner's last release may destroy this object: nothing of it is
    // touched afterwards.
    pOwner->AddRef();
    LRESULT lResult = HandleMessage(uMsg, wParam, lParam);
    pOwner->Release();
    return lResult;
}

LRESULT CTTUMsgWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    // What came through the queue is counted off first: a handler that
    // pumps may let the context hand the next message over directly. A
    // message handed over directly finds nothing counted.
    if (IsRoutedMessage(uMsg) || IsBroadcastMessage(uMsg) || uMsg == WM_TTU_STATUS_REFRESH)
        CTTUContext::GetInstance()->OnQueuedMessageTaken(m_hWnd);
    if (IsRoutedMessage(uMsg))
        HandleRouted(uMsg, reinterpret_cast<LPWFSRESULT>(lParam));
    else if (IsBroadcastMessage(uMsg))
        HandleBroadcast(uMsg, reinterpret_cast<LONG *>(wParam),
                        reinterpret_cast<LPWFSRESULT>(lParam));
    else if (uMsg == WM_TTU_STATUS_REFRESH)
        HandleStatusRefresh();
    else if (uMsg == WM_DESTROY)
        ReleaseQueuedResults();
    return CHiddenWindow::WindowProc(uMsg, wParam, lParam);
}

void CTTUMsgWnd::HandleRouted(UINT uMsg, LPWFSRESULT lpResult)
{
    if (m_pService)
        m_pService->HandleMessage(uMsg, &lpResult);
    // After the handler, before the release: other processes re-read the
    // status this command may have changed.
    if (uMsg == WFS_EXECUTE_COMPLETE || uMsg == WFS_EXECUTE_EVENT)
        NotifyOtherProcesses();
    if (lpResult)
        WFSFreeResult(lpResult);
}

void CTTUMsgWnd::HandleBroadcast(UINT uMsg, LONG *plCounter, LPWFSRESULT lpResult)
{
    if (m_pService)
        m_pService->HandleMessage(uMsg, &lpResult);
    CTTUContext *pContext = CTTUContext::GetInstance();
    // A broadcast without a counter has this window as its only receiver.
    if (plCounter && pContext->CountDownBroadcast(plCounter) != 0)
        return;
    // The last receiver: a synchronous get-info returns only now that every
    // instance has seen the answer.
    if (uMsg == WFS_GETINFO_COMPLETE && lpResult)
        pContext->RemovePending(lpResult->RequestID);
    CTTUContext::FreeBroadcastCounter(plCounter);
    if (lpResult)
        WFSFreeResult(lpResult);
}

void CTTUMsgWnd::HandleStatusRefresh()
{
    // A failing query traces itself; nothing else to do here.
    if (m_pService && CTTUContext::GetInstance()->GetRegistered())
        m_pService->GetInfo(WFS_INF_TTU_STATUS, nullptr, kRefreshTimeOut);
}

// Messages already routed to this window would be thrown away with it: a
// control destroyed while its requests are outstanding would leak their
// results, and a broadcast would never reach 0, so a get-info wait would
// never end. They are handled here as if dispatched, but without the
// service, which is being destroyed and must not fire events any more.
void CTTUMsgWnd::ReleaseQueuedResults()
{
    m_pService = nullptr;
    MSG msg;
    while (PeekMessageW(&msg, m_hWnd, WFS_OPEN_COMPLETE, WFS_SYSTEM_EVENT, PM_REMOVE)) {
        CTTUContext::GetInstance()->OnQueuedMessageTaken(m_hWnd);
        if (IsRoutedMessage(msg.message))
            HandleRouted(msg.message, reinterpret_cast<LPWFSRESULT>(msg.lParam));
        else if (IsBroadcastMessage(msg.message))
            HandleBroadcast(msg.message, reinterpret_cast<LONG *>(msg.wParam),
                            reinterpret_cast<LPWFSRESULT>(msg.lParam));
    }
}

// Only windows of the context class are listed (the class is compared by
// the window manager, not fetched window by window): this runs after every
// completion, with however many other windows the desktop holds.
void CTTUMsgWnd::NotifyOtherProcesses()
{
    CTTUContext *pContext = CTTUContext::GetInstance();
    if (!pContext->MayHaveOtherContexts())
        return;
    HWND hWnd = nullptr;
    while ((hWnd = FindWindowExW(nullptr, hWnd, pContext->GetWndClass(), nullptr)) != nullptr) {
        if (hWnd != pContext->GetWnd())
            PostMessageW(hWnd, WM_TTU_STATUS_REFRESH, 0, 0);
    }
}
