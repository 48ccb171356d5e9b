/*
 * An application's side of the XFS API, nothing else: one hidden window
 * named in every request, a message loop of its own that takes the
 * window's XFS messages out of the thread's queue (as an XFS application's
 * wait loop does, PeekMessage filtered by window and message range) and
 * dispatches everything else, and one session on a logical service. Every result handed out is owned (freed with
 * WFSFreeResult when dropped), so the manager's live-buffer count tells
 * whether anything leaked.
 */
#ifndef ZT_TESTS_PANEL_XFSCLIENT_H
#define ZT_TESTS_PANEL_XFSCLIENT_H

#include "MessagePump.h"
#include "xfsapi.h"
#include "xfsttu.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct ResultFree {
    void operator()(LPWFSRESULT lpResult) const { WFSFreeResult(lpResult); }
};
using Result = std::unique_ptr<WFSRESULT, ResultFree>;


class XfsClient {
public:
    XfsClient();
    ~XfsClient(); // closes an open session, frees what was never taken
    XfsClient(const XfsClient &) = delete;
    XfsClient &operator=(const XfsClient &) = delete;

    HWND Window() const { return m_hWnd; }
    HSERVICE Service() const { return m_hService; }

    HRESULT Open(const char *lpszLogicalName = "OperatorPanel");
    HRESULT Register(DWORD dwEventClass);
    HRESULT Lock(DWORD dwTimeOut);
    HRESULT Unlock();
    HRESULT Close();

    // The submission's own refusal, or 0 with *lpRequestID set.
    HRESULT SubmitExecute(DWORD dwCommand, LPVOID lpData, DWORD dwTimeOut, LPREQUESTID lpRequestID);
    // The completion of a request (null when it has not come in time).
    Result Await(REQUESTID requestID, DWORD dwMilliseconds = 5000);

    // A whole request: its refusal at submission or its completion's code;
    // the completion goes to *pResult when asked for.
    HRESULT Execute(DWORD dwCommand, LPVOID lpData, Result *pResult = nullptr, DWORD dwTimeOut = 0);
    HRESULT GetInfo(DWORD dwCategory, LPVOID lpQuery, Result *pResult = nullptr);

    // Event messages of one kind received so far, in order, taken out.
    std::vector<Result> TakeEvents(UINT uMsg);
    // Waits for an event of this kind and identifier.
    Result AwaitEvent(UINT uMsg, DWORD dwEventID, DWORD dwMilliseconds = 5000);

    // XFS messages received and not taken yet.
    size_t Unclaimed() const { return m_inbox.size(); }
    // XFS messages that reached the window procedure instead (another loop
    // dispatched them, or they were sent, not posted).
    size_t ThroughWindowProc() const { return m_nThroughWindowProc; }

private:
    // Moves this window's queued XFS messages into the inbox; dispatches
    // the thread's other messages.
    void Collect();
    // The first message kept that matches, waited for.
    Result TakeFirst(const std::function<bool(const WFSRESULT &, UINT)> &matches, DWORD dwMilliseconds);
    HRESULT Finish(HRESULT hrSubmit, REQUESTID requestID, Result *pResult);
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    struct Posted {
        UINT uMsg;
        LPWFSRESULT lpResult;
    };
    HWND m_hWnd = nullptr;
    HSERVICE m_hService = 0;
    bool m_bOpen = false;
    std::deque<Posted> m_inbox;
    size_t m_nThroughWindowProc = 0;
};

// A read or form read of the panel is waiting for keys.
bool PanelReadActive();

// The display as its lines, through the panel's inspection API.
std::vector<std::wstring> PanelLines();

#endif
