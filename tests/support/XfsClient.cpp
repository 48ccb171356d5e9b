#include "XfsClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include <cstring>

namespace {

bool IsXfsMessage(UINT uMsg) { return uMsg >= WFS_OPEN_COMPLETE && uMsg <= WFS_SYSTEM_EVENT; }
bool IsCompletion(UINT uMsg) { return uMsg >= WFS_OPEN_COMPLETE && uMsg <= WFS_EXECUTE_COMPLETE; }

} // namespace

XfsWindow::XfsWindow()
{
    static ATOM atom = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = WndProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ZtXfsTestWindow";
        return RegisterClassW(&wc);
    }();
    (void)atom;
    m_hWnd = CreateWindowW(L"ZtXfsTestWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), this);
}

XfsWindow::~XfsWindow()
{
    // What was posted and not yet dispatched is ours to free too.
    MSG msg;
    while (PeekMessageW(&msg, m_hWnd, WFS_OPEN_COMPLETE, WFS_SYSTEM_EVENT, PM_REMOVE))
        DispatchMessageW(&msg);
    DestroyWindow(m_hWnd);
    FreeAll();
}

LRESULT CALLBACK XfsWindow::WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_NCCREATE) {
        auto *lpCreate = reinterpret_cast<CREATESTRUCTW *>(lParam);
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, (LONG_PTR)lpCreate->lpCreateParams);
    }
    auto *self = reinterpret_cast<XfsWindow *>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (self && IsXfsMessage(uMsg) && lParam) {
        self->m_messages.push_back({uMsg, reinterpret_cast<LPWFSRESULT>(lParam)});
        if (self->onMessage)
            self->onMessage(uMsg);
        return 0;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

LPWFSRESULT XfsWindow::Completion(REQUESTID id) const
{
    for (const Delivered &d : m_messages)
        if (IsCompletion(d.uMsg) && d.lpResult->RequestID == id)
            return d.lpResult;
    return nullptr;
}

size_t XfsWindow::CountCompletions(REQUESTID id) const
{
    return std::count_if(m_messages.begin(), m_messages.end(),
                         [&](const Delivered &d) { return IsCompletion(d.uMsg) && d.lpResult->RequestID == id; });
}

size_t XfsWindow::CountOf(UINT uMsg) const
{
    return std::count_if(m_messages.begin(), m_messages.end(), [&](const Delivered &d) { return d.uMsg == uMsg; });
}

std::vector<LPWFSRESULT> XfsWindow::Events(UINT uMsg, DWORD dwEventID) const
{
    std::vector<LPWFSRESULT> events;
    for (const Delivered &d : m_messages)
        if (d.uMsg == uMsg && d.lpResult->u.dwEventID == dwEventID)
            events.push_back(d.lpResult);
    return events;
}

void XfsWindow::FreeAll()
{
    for (const Delivered &d : m_messages)
        WFSFreeResult(d.lpResult);
    m_messages.clear();
}

XfsClient::XfsClient(const char *lpszService, DWORD dwSrvcVersions)
{
    WFSVERSION srvc, spi;
    REQUESTID id = 0;
    m_hrOpen = WFSAsyncOpen(const_cast<LPSTR>(lpszService), nullptr, nullptr, 0, 0, &m_hService,
                            Handle(), dwSrvcVersions, &srvc, &spi, &id);
    if (m_hrOpen == WFS_SUCCESS)
        m_hrOpen = Code(Wait(id));
    m_bOpen = m_hrOpen == WFS_SUCCESS;
}

XfsClient::~XfsClient()
{
    if (m_bOpen)
        Close();
}

REQUESTID XfsClient::Submitted(HRESULT hr, const REQUESTID &id)
{
    m_hrSubmit = hr;
    return hr == WFS_SUCCESS ? id : 0;
}

REQUESTID XfsClient::ExecuteAsync(DWORD dwCommand, LPVOID lpData, DWORD dwTimeOut)
{
    REQUESTID id = 0;
    return Submitted(WFSAsyncExecute(m_hService, dwCommand, lpData, dwTimeOut, Handle(), &id), id);
}

REQUESTID XfsClient::GetInfoAsync(DWORD dwCategory, LPVOID lpQuery, DWORD dwTimeOut)
{
    REQUESTID id = 0;
    return Submitted(WFSAsyncGetInfo(m_hService, dwCategory, lpQuery, dwTimeOut, Handle(), &id), id);
}

REQUESTID XfsClient::LockAsync(DWORD dwTimeOut)
{
    REQUESTID id = 0;
    return Submitted(WFSAsyncLock(m_hService, dwTimeOut, Handle(), &id), id);
}

LPWFSRESULT XfsClient::Wait(REQUESTID id, DWORD dwMilliseconds)
{
    if (!id)
        return nullptr;
    PumpUntil([&] { return m_window.Completion(id) != nullptr; }, dwMilliseconds);
    return m_window.Completion(id);
}

LPWFSRESULT XfsClient::Execute(DWORD dwCommand, LPVOID lpData, DWORD dwTimeOut)
{
    return Wait(ExecuteAsync(dwCommand, lpData, dwTimeOut));
}

LPWFSRESULT XfsClient::GetInfo(DWORD dwCategory, LPVOID lpQuery)
{
    return Wait(GetInfoAsync(dwCategory, lpQuery));
}

HRESULT XfsClient::Unlock()
{
    REQUESTID id = 0;
    return Code(Wait(Submitted(WFSAsyncUnlock(m_hService, Handle(), &id), id)));
}

HRESULT XfsClient::Register(DWORD dwEventClass)
{
    REQUESTID id = 0;
    return Code(Wait(Submitted(WFSAsyncRegister(m_hService, dwEventClass, Handle(), Handle(), &id), id)));
}

HRESULT XfsClient::Close()
{
    REQUESTID id = 0;
    m_bOpen = false;
    return Code(Wait(Submitted(WFSAsyncClose(m_hService, Handle(), &id), id)));
}

std::vector<std::wstring> PanelLines()
{
    TTUSIMSNAPSHOT snapshot = Snapshot();
    std::wstring strText((snapshot.wDisplaySizeX + 1u) * snapshot.wDisplaySizeY + 1u, L'\0');
    WORD wX = 0, wY = 0;
    std::vector<std::wstring> lines;
    if (TtuSimGetDisplay(&strText[0], static_cast<DWORD>(strText.size()), &wX, &wY) == WFS_SUCCESS)
        for (WORD y = 0; y < wY; ++y)
            lines.push_back(strText.substr(y * (wX + 1u), wX));
    return lines;
}

TTUSIMSNAPSHOT Snapshot()
{
    TTUSIMSNAPSHOT snapshot = {};
    TtuSimGetSnapshot(&snapshot);
    return snapshot;
}

bool PanelReadActive() { return Snapshot().bReadActive != FALSE; }

void SetHklmString(const std::string &strKey, const char *lpszName, const std::string &strValue)
{
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, strKey.c_str(), lpszName, REG_SZ, strValue.c_str(),
                    static_cast<DWORD>(strValue.size() + 1));
}

std::string ShippedPanelIni(const std::vector<std::pair<std::string, std::string>> &edits)
{
    char szIni[MAX_PATH];
    GetModuleFileNameA(GetModuleHandleA("ttusim.dll"), szIni, MAX_PATH);
    strcpy(strrchr(szIni, '\\') + 1, "panel.ini");
    std::ifstream shipped(szIni, std::ios::binary);
    std::string strIni((std::istreambuf_iterator<char>(shipped)), std::istreambuf_iterator<char>());
    for (const auto &edit : edits) {
        const size_t at = strIni.find(edit.first);
        EXPECT_NE(std::string::npos, at) << edit.first;
        if (at != std::string::npos)
            strIni.replace(at, edit.first.size(), edit.second);
    }
    return strIni;
}

ScopedPanelIni::ScopedPanelIni(const std::string &strText, const std::string &strProvider)
    : m_strKey("SOFTWARE\\XFS\\SERVICE_PROVIDERS\\" + strProvider)
{
    char szTemp[MAX_PATH], szOld[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, szTemp);
    m_strPath = std::string(szTemp) + "zt_test_" + strProvider + ".ini";
    std::ofstream(m_strPath.c_str(), std::ios::binary) << strText;
    DWORD cb = sizeof szOld;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, m_strKey.c_str(), "config", RRF_RT_REG_SZ, nullptr, szOld, &cb) ==
        ERROR_SUCCESS)
        m_strOldConfig = szOld;
    SetHklmString(m_strKey, "config", m_strPath);
}

ScopedPanelIni::~ScopedPanelIni()
{
    if (m_strOldConfig.empty())
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, m_strKey.c_str(), "config");
    else
        SetHklmString(m_strKey, "config", m_strOldConfig);
    DeleteFileA(m_strPath.c_str());
}
