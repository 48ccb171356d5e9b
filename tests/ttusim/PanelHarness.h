/*
 * A test's view of the virtual panel through the real XFS manager: a hidden
 * window that keeps every XFS message it gets, a message loop that waits for
 * one, and a session on a logical service with request helpers.
 */
#ifndef ZT_TESTS_TTUSIM_PANELHARNESS_H
#define ZT_TESTS_TTUSIM_PANELHARNESS_H

#include "MessagePump.h"
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ttusim.h"
#include "xfsadmin.h"
#include "xfsapi.h"
#include "xfsdiag.h"
#include "xfsttu.h"

extern char kPanelService[]; // "OperatorPanel"
constexpr DWORD kMaxDisplayText = 81 * 32 + 1;

struct Delivered {
    UINT uMsg;
    LPWFSRESULT lpResult;
};


class MessageWindow {
public:
    MessageWindow();
    ~MessageWindow(); // frees every result still kept
    HWND Handle() const { return m_hWnd; }
    const std::vector<Delivered> &Messages() const { return m_messages; }
    /* The completion of a request (null when it has not come). */
    LPWFSRESULT Completion(REQUESTID id) const;
    size_t CountCompletions(REQUESTID id) const;
    std::vector<LPWFSRESULT> Events(UINT uMsg, DWORD dwEventID) const;
    void FreeAll();

private:
    static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
    HWND m_hWnd;
    std::vector<Delivered> m_messages;
};

class PanelSession {
public:
    /* Starts the manager (once per process) and opens the service. */
    explicit PanelSession(const char *lpszLogicalName = kPanelService);
    ~PanelSession(); // closes the session if it is open

    HRESULT OpenResult() const { return m_hrOpen; }
    HSERVICE Service() const { return m_hService; }
    MessageWindow &Window() { return m_window; }

    /* Submits and returns the request id (0 when the submission failed,
       with the code in LastSubmit()). */
    REQUESTID ExecuteAsync(DWORD dwCommand, LPVOID lpData, DWORD dwTimeOut = 0);
    REQUESTID GetInfoAsync(DWORD dwCategory, LPVOID lpQuery, DWORD dwTimeOut = 0);
    REQUESTID LockAsync(DWORD dwTimeOut);
    /* Waits for the completion of id and returns it (null on time-out). */
    LPWFSRESULT Wait(REQUESTID id, DWORD dwMilliseconds = 3000);

    LPWFSRESULT Execute(DWORD dwCommand, LPVOID lpData, DWORD dwTimeOut = 0);
    LPWFSRESULT GetInfo(DWORD dwCategory, LPVOID lpQuery = nullptr);
    HRESULT ExecuteCode(DWORD dwCommand, LPVOID lpData) { return Code(Execute(dwCommand, lpData)); }
    HRESULT GetInfoCode(DWORD dwCategory, LPVOID lpQuery = nullptr) { return Code(GetInfo(dwCategory, lpQuery)); }
    HRESULT Lock(DWORD dwTimeOut);
    HRESULT Unlock();
    HRESULT Register(DWORD dwEventClass);
    HRESULT Close();
    HRESULT LastSubmit() const { return m_hrSubmit; }

    static HRESULT Code(LPWFSRESULT lpResult) { return lpResult ? lpResult->hResult : 1; }

private:
    REQUESTID Submitted(HRESULT hr, REQUESTID id);

    MessageWindow m_window;
    HSERVICE m_hService = 0;
    HRESULT m_hrOpen = 1;
    HRESULT m_hrSubmit = 0;
    bool m_bOpen = false;
};

/* The display as lines (without the line feeds). */
std::vector<std::wstring> DisplayLines();
TTUSIMSNAPSHOT Snapshot();

#endif
