// An XFS application's side for tests of the manager and the virtual panel:
// a hidden window that keeps every XFS message it receives, one session on
// a logical service, and requests that wait for their completion while the
// thread's messages are dispatched. Every result kept is freed with
// WFSFreeResult when the client goes, so the manager's live-buffer count
// shows whatever the manager or the provider leaked.
#pragma once

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

struct Delivered {
    UINT uMsg;
    LPWFSRESULT lpResult;
};

class XfsWindow {
public:
    XfsWindow();
    ~XfsWindow(); // frees every result still kept
    XfsWindow(const XfsWindow &) = delete;
    XfsWindow &operator=(const XfsWindow &) = delete;

    HWND Handle() const { return m_hWnd; }
    const std::vector<Delivered> &Messages() const { return m_messages; }
    LPWFSRESULT Completion(REQUESTID id) const; // null until it came
    size_t CountCompletions(REQUESTID id) const;
    size_t CountOf(UINT uMsg) const;
    std::vector<LPWFSRESULT> Events(UINT uMsg, DWORD dwEventID) const;
    void FreeAll();
    // Runs inside the window procedure for each XFS message.
    std::function<void(UINT)> onMessage;

private:
    static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
    HWND m_hWnd;
    std::vector<Delivered> m_messages;
};

class XfsClient {
public:
    // Opens the service (the manager must be started).
    explicit XfsClient(const char *lpszService = "OperatorPanel", DWORD dwSrvcVersions = 0x00000103);
    ~XfsClient(); // closes the session if it is open
    XfsClient(const XfsClient &) = delete;
    XfsClient &operator=(const XfsClient &) = delete;

    HRESULT OpenResult() const { return m_hrOpen; }
    HSERVICE Service() const { return m_hService; }
    XfsWindow &Window() { return m_window; }
    HWND Handle() const { return m_window.Handle(); }

    // The request id, 0 when the submission was refused (its code in
    // LastSubmit()).
    REQUESTID ExecuteAsync(DWORD dwCommand, LPVOID lpData, DWORD dwTimeOut = 0);
    REQUESTID GetInfoAsync(DWORD dwCategory, LPVOID lpQuery, DWORD dwTimeOut = 0);
    REQUESTID LockAsync(DWORD dwTimeOut);
    HRESULT LastSubmit() const { return m_hrSubmit; }
    // The completion of id, waited for; null when it did not come.
    LPWFSRESULT Wait(REQUESTID id, DWORD dwMilliseconds = 5000);

    LPWFSRESULT Execute(DWORD dwCommand, LPVOID lpData, DWORD dwTimeOut = 0);
    LPWFSRESULT GetInfo(DWORD dwCategory, LPVOID lpQuery = nullptr);
    HRESULT ExecuteCode(DWORD dwCommand, LPVOID lpData) { return Code(Execute(dwCommand, lpData)); }
    HRESULT GetInfoCode(DWORD dwCategory, LPVOID lpQuery = nullptr) { return Code(GetInfo(dwCategory, lpQuery)); }
    HRESULT Lock(DWORD dwTimeOut) { return Code(Wait(LockAsync(dwTimeOut))); }
    HRESULT Unlock();
    HRESULT Register(DWORD dwEventClass);
    HRESULT Close();

    // The submission's refusal, or the completion's code (1 when none came).
    HRESULT Code(LPWFSRESULT lpResult) const { return lpResult ? lpResult->hResult : m_hrSubmit ? m_hrSubmit : 1; }

private:
    // id is read after the call that sets it.
    REQUESTID Submitted(HRESULT hr, const REQUESTID &id);

    XfsWindow m_window;
    HSERVICE m_hService = 0;
    HRESULT m_hrOpen = 1;
    HRESULT m_hrSubmit = 0;
    bool m_bOpen = false;
};

// The shared panel as the operator sees it.
std::vector<std::wstring> PanelLines();
TTUSIMSNAPSHOT Snapshot();
bool PanelReadActive();

// Multi-strings (entries each ended by a zero, the list by one more).
template <class C>
std::vector<std::basic_string<C>> Entries(const C *lpsz)
{
    std::vector<std::basic_string<C>> entries;
    for (; lpsz && *lpsz; lpsz += std::char_traits<C>::length(lpsz) + 1)
        entries.emplace_back(lpsz);
    return entries;
}

// Writes a value under HKEY_LOCAL_MACHINE (creating the key).
void SetHklmString(const std::string &strKey, const char *lpszName, const std::string &strValue);

// The panel.ini shipped next to ttusim.dll, with each first occurrence of a
// pair's first text replaced by its second.
std::string ShippedPanelIni(const std::vector<std::pair<std::string, std::string>> &edits = {});

// While alive, the provider's "config" value names a temporary INI file
// with this text; the value and the file are put back afterwards. The panel
// reads it at the next open that powers it on.
class ScopedPanelIni {
public:
    ScopedPanelIni(const std::string &strText, const std::string &strProvider = "ZTVirtualPanel");
    ~ScopedPanelIni();
    ScopedPanelIni(const ScopedPanelIni &) = delete;
    ScopedPanelIni &operator=(const ScopedPanelIni &) = delete;

private:
    std::string m_strKey, m_strPath, m_strOldConfig;
};
