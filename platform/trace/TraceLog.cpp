#include "TraceLog.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <new>

#include "TraceFormatter.h"

namespace {

// How long a writer waits for another process's append before writing
// without the lock: a stuck process must not stall every terminal task.
const DWORD kAppendWaitMs = 200;
// A folder or file that cannot be opened is not tried again on every line.
const DWORD kReopenDelayMs = 2000;
// The longest line body kept, in UTF-8 bytes: one call with a huge argument
// must not fill a terminal's disk. A longer one is cut at a character
// boundary and says so, with its full size.
const size_t kMaxBodyBytes = 4096;

void CapLine(std::string &body)
{
    if (body.size() <= kMaxBodyBytes)
        return;
    char mark[64];
    std::snprintf(mark, sizeof mark, "...[cut, %lu bytes]",
                  static_cast<unsigned long>(body.size()));
    size_t cut = kMaxBodyBytes - std::strlen(mark);
    while (cut > 0 && (static_cast<unsigned char>(body[cut]) & 0xC0) == 0x80)
        --cut;
    body.resize(cut);
    body += mark;
}

void CreateFolderPath(const std::wstring &folder)
{
    if (CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
        return;
    size_t slash = folder.find_last_of(L"\\/");
    if (slash == std::wstring::npos || slash < 3)
        return;
    CreateFolderPath(folder.substr(0, slash));
    CreateDirectoryW(folder.c_str(), nullptr);
}

} // namespace

CTraceLog *CTraceLog::Instance()
{
    // Constructed on first use and never destroyed: DLL detach order must
    // not matter to a late trace line.
    static CTraceLog *pLog = new (std::nothrow) CTraceLog();
    return pLog;
}

CTraceLog::CTraceLog()
{
    InitializeCriticalSection(&m_cs);
    m_settings = CTraceSettings::Load();
    m_hAppendLock = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG),
                                       L"Local\\ZTTrcUtil30.AppendOwner");
    if (m_hAppendLock)
        m_plAppendOwner = static_cast<volatile LONG *>(
            MapViewOfFile(m_hAppendLock, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
}

void CTraceLog::ReloadSettings()
{
    EnterCriticalSection(&m_cs);
    m_settings = CTraceSettings::Load();
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    m_strOpenPath.clear();
    m_bOpenFailed = false;
    LeaveCriticalSection(&m_cs);
}

std::wstring CTraceLog::PathFor(const SYSTEMTIME &now) const
{
    wchar_t name[32];
    std::swprintf(name, 32, L"\\TTU_%04u%02u%02u.log", now.wYear, now.wMonth, now.wDay);
    return m_settings.strFolder + name;
}

std::wstring CTraceLog::CurrentPath()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    EnterCriticalSection(&m_cs);
    std::wstring path = PathFor(now);
    LeaveCriticalSection(&m_cs);
    return path;
}

bool CTraceLog::EnsureFile(const SYSTEMTIME &now)
{
    std::wstring path = PathFor(now);
    if (m_hFile != INVALID_HANDLE_VALUE && path == m_strOpenPath)
        return true;
    if (m_bOpenFailed && path == m_strOpenPath &&
        GetTickCount() - m_dwLastOpenFailure < kReopenDelayMs)
        return false;

    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
    CreateFolderPath(m_settings.strFolder);
    // Append-only access: every write lands at the end of the file, whoever
    // else appended meanwhile.
    m_hFile = CreateFileW(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    m_strOpenPath = path;
    m_bOpenFailed = (m_hFile == INVALID_HANDLE_VALUE);
    if (m_bOpenFailed)
        m_dwLastOpenFailure = GetTickCount();
    return !m_bOpenFailed;
}

// True when the lock is this process's. Within the process m_cs is held
// already, so only another process can be the owner. An owner that died
// holding it is replaced at once; a live one that does not let go within
// kAppendWaitMs is written past, as a stuck process must not stall the rest.
bool CTraceLog::AcquireAppend()
{
    if (!m_plAppendOwner)
        return false;
    const LONG lSelf = static_cast<LONG>(GetCurrentProcessId());
    const DWORD dwStart = GetTickCount();
    for (unsigned nTry = 0;; ++nTry) {
        const LONG lOwner = InterlockedCompareExchange(m_plAppendOwner, lSelf, 0);
        if (lOwner == 0 || lOwner == lSelf)
            return true;
        if (nTry < 64) {
            YieldProcessor();
            continue;
        }
        HANDLE hOwner = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(lOwner));
        const bool bGone = hOwner ? WaitForSingleObject(hOwner, 0) == WAIT_OBJECT_0
                                  : GetLastError() == ERROR_INVALID_PARAMETER;
        if (hOwner)
            CloseHandle(hOwner);
        if (bGone && InterlockedCompareExchange(m_plAppendOwner, lSelf, lOwner) == lOwner)
            return true;
        if (GetTickCount() - dwStart >= kAppendWaitMs)
            return false;
        Sleep(nTry < 128 ? 0 : 1);
    }
}

void CTraceLog::ReleaseAppend()
{
    InterlockedCompareExchange(m_plAppendOwner, 0, static_cast<LONG>(GetCurrentProcessId()));
}

void CTraceLog::AppendToFile(const std::string &line)
{
    const bool bOwned = AcquireAppend();
    // One WriteFile per line, so a line is never split by another writer.
    DWORD cbWritten = 0;
    if (!WriteFile(m_hFile, line.data(), static_cast<DWORD>(line.size()), &cbWritten, nullptr)) {
        // The file went away or broke: open it afresh next time.
        CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
        m_strOpenPath.clear();
    }
    if (bOwned)
        ReleaseAppend();
}

void CTraceLog::Write(int nLevel, const std::wstring &body)
{
    SYSTEMTIME now;
    GetLocalTime(&now);

    EnterCriticalSection(&m_cs);
    if (m_settings.nMaxLevel >= 0 && nLevel <= m_settings.nMaxLevel) {
        std::string utf8Body = WideToUtf8(body);
        CapLine(utf8Body);
        if (m_bCapturing) {
            m_strCapture += utf8Body;
            m_strCapture += '\n';
        }
        char stamp[80];
        std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u %08lX %08lX ",
                      now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                      now.wMilliseconds, GetCurrentProcessId(), GetCurrentThreadId());
        bool bEnsure = EnsureFile(now);
        if (bEnsure)
            AppendToFile(stamp + utf8Body + "\r\n");
    }
    LeaveCriticalSection(&m_cs);
}

void CTraceLog::StartCapture()
{
    EnterCriticalSection(&m_cs);
    m_bCapturing = true;
    LeaveCriticalSection(&m_cs);
}

void CTraceLog::StopCapture()
{
    EnterCriticalSection(&m_cs);
    m_bCapturing = false;
    LeaveCriticalSection(&m_cs);
}

void CTraceLog::ClearCapture()
{
    EnterCriticalSection(&m_cs);
    m_strCapture.clear();
    LeaveCriticalSection(&m_cs);
}

std::string CTraceLog::Captured()
{
    EnterCriticalSection(&m_cs);
    std::string copy = m_strCapture;
    LeaveCriticalSection(&m_cs);
    return copy;
}
