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

// Cuts the body, what follows cchStart in line.
void CapLine(std::string &line, size_t cchStart)
{
    const size_t cbBody = line.size() - cchStart;
    if (cbBody <= kMaxBodyBytes)
        return;
    char mark[64];
    std::snprintf(mark, sizeof mark, "...[cut, %lu bytes]", static_cast<unsigned long>(cbBody));
    size_t cut = cchStart + kMaxBodyBytes - std::strlen(mark);
    while (cut > cchStart && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
        --cut;
    line.resize(cut);
    line += mark;
}

void PutDecimal(char *p, unsigned value, int nDigits)
{
    for (int i = nDigits - 1; i >= 0; --i, value /= 10)
        p[i] = static_cast<char>('0' + value % 10);
}

void PutHex(char *p, DWORD value)
{
    for (int i = 7; i >= 0; --i, value >>= 4)
        p[i] = "0123456789ABCDEF"[value & 0xF];
}

// Appends text in UTF-8; plain ASCII without a conversion call.
void AppendUtf8(std::string &out, const std::wstring &text)
{
    size_t i = 0;
    while (i < text.size() && text[i] < 0x80)
        out += static_cast<char>(text[i++]);
    if (i < text.size())
        out += WideToUtf8(text.substr(i));
}

// A header field in UTF-8 and its blank, "-" for a null one.
void AppendField(std::string &line, const char *psz)
{
    if (!psz) {
        line += "- ";
        return;
    }
    const char *p = psz;
    while (*p != '\0' && static_cast<unsigned char>(*p) < 0x80)
        ++p;
    if (*p == '\0')
        line.append(psz, p);
    else
        line += WideToUtf8(AnsiToWide(psz));
    line += ' ';
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
    m_lMaxLevel = m_settings.nMaxLevel;
    m_hAppendLock = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                       sizeof(CAppendShared), L"Local\\ZTTrcUtil30.Append.2");
    if (m_hAppendLock)
        m_pShared = static_cast<CAppendShared *>(
            MapViewOfFile(m_hAppendLock, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0,
                          sizeof(CAppendShared)));
}

void CTraceLog::ReloadSettings()
{
    EnterCriticalSection(&m_cs);
    m_settings = CTraceSettings::Load();
    m_lMaxLevel = m_settings.nMaxLevel;
    CloseFile();
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

void CTraceLog::CloseFile()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
    if (m_hAppendOnly != INVALID_HANDLE_VALUE)
        CloseHandle(m_hAppendOnly);
    m_hFile = m_hAppendOnly = INVALID_HANDLE_VALUE;
    m_bAtEnd = false;
}

// The file's name changes only with the day (the folder only with
// ReloadSettings, which closes it): the day alone says whether the open
// file is still the right one, without building its name for every line.
bool CTraceLog::EnsureFile(const SYSTEMTIME &now)
{
    const bool bSameDay = !m_strOpenPath.empty() && now.wDay == m_wOpenDay &&
                          now.wMonth == m_wOpenMonth && now.wYear == m_wOpenYear;
    if (m_hFile != INVALID_HANDLE_VALUE && bSameDay)
        return true;
    if (m_bOpenFailed && bSameDay && GetTickCount() - m_dwLastOpenFailure < kReopenDelayMs)
        return false;

    CloseFile();
    std::wstring path = PathFor(now);
    CreateFolderPath(m_settings.strFolder);
    m_hFile = CreateFileW(path.c_str(), FILE_WRITE_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    m_strOpenPath = path;
    m_wOpenYear = now.wYear;
    m_wOpenMonth = now.wMonth;
    m_wOpenDay = now.wDay;
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
    if (!m_pShared)
        return false;
    const LONG lSelf = static_cast<LONG>(GetCurrentProcessId());
    const DWORD dwStart = GetTickCount();
    for (unsigned nTry = 0;; ++nTry) {
        const LONG lOwner = InterlockedCompareExchange(&m_pShared->lOwner, lSelf, 0);
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
        if (bGone && InterlockedCompareExchange(&m_pShared->lOwner, lSelf, lOwner) == lOwner)
            return true;
        if (GetTickCount() - dwStart >= kAppendWaitMs)
            return false;
        Sleep(nTry < 128 ? 0 : 1);
    }
}

void CTraceLog::ReleaseAppend()
{
    InterlockedCompareExchange(&m_pShared->lOwner, 0, static_cast<LONG>(GetCurrentProcessId()));
}

// Every line is one WriteFile straight to the file, nothing is held back in
// memory: a process that ends abruptly loses no line it traced. The file is
// written at its position rather than opened for appending, because the
// system's own appending (a size query before every write) costs more than
// the rest of a line; the position is the file's end as long as no process
// wrote since our last line, which the shared generation tells: every line
// of every process grows it. Otherwise the position moves to the end first,
// under the append lock, so no line lands on another. A file cut short by
// hand while processes trace into it gets a run of zero bytes before their
// next lines: nothing is lost, and each writer finds the end again as soon
// as another process writes.
void CTraceLog::AppendToFile(const std::string &line)
{
    if (!AcquireAppend()) {
        if (!AppendPastLock(line))
            CloseFile();
        return;
    }
    if (!m_bAtEnd || m_pShared->lGeneration != m_lOwnGeneration) {
        LARGE_INTEGER zero = {};
        m_bAtEnd = SetFilePointerEx(m_hFile, zero, nullptr, FILE_END) != FALSE;
    }
    DWORD cbWritten = 0;
    const bool bWritten =
        m_bAtEnd &&
        WriteFile(m_hFile, line.data(), static_cast<DWORD>(line.size()), &cbWritten, nullptr);
    m_lOwnGeneration = InterlockedIncrement(&m_pShared->lGeneration);
    ReleaseAppend();
    // The file went away or broke: open it afresh next time.
    if (!bWritten)
        CloseFile();
}

// A writer that holds the lock too long is written past through a handle
// that can only append; the lock holders see the generation grow and find
// the end again.
bool CTraceLog::AppendPastLock(const std::string &line)
{
    if (m_hAppendOnly == INVALID_HANDLE_VALUE)
        m_hAppendOnly = CreateFileW(m_strOpenPath.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD cbWritten = 0;
    const bool bWritten =
        m_hAppendOnly != INVALID_HANDLE_VALUE &&
        WriteFile(m_hAppendOnly, line.data(), static_cast<DWORD>(line.size()), &cbWritten, nullptr);
    if (m_pShared)
        InterlockedIncrement(&m_pShared->lGeneration);
    m_bAtEnd = false;
    return bWritten;
}

void CTraceLog::Write(int nLevel, const char *pszKind, std::initializer_list<const char *> fields,
                      const char *pszFormat, va_list args)
{
    SYSTEMTIME now;
    GetLocalTime(&now);

    // Left also when an allocation throws.
    struct CHold {
        explicit CHold(CRITICAL_SECTION &cs) : m_cs(cs) { EnterCriticalSection(&m_cs); }
        ~CHold() { LeaveCriticalSection(&m_cs); }
        CRITICAL_SECTION &m_cs;
    } hold(m_cs);
    if (m_settings.nMaxLevel < 0 || nLevel > m_settings.nMaxLevel)
        return;
    // The timestamp and ids are written digit by digit: a printf per line
    // costs more than writing the line.
    std::string &line = m_strLine;
    line.assign("0000-00-00 00:00:00.000 00000000 00000000 ");
    char *p = &line[0];
    PutDecimal(p, now.wYear, 4);
    PutDecimal(p + 5, now.wMonth, 2);
    PutDecimal(p + 8, now.wDay, 2);
    PutDecimal(p + 11, now.wHour, 2);
    PutDecimal(p + 14, now.wMinute, 2);
    PutDecimal(p + 17, now.wSecond, 2);
    PutDecimal(p + 20, now.wMilliseconds, 3);
    PutHex(p + 24, GetCurrentProcessId());
    PutHex(p + 33, GetCurrentThreadId());
    const size_t cchStamp = line.size();
    line += pszKind;
    line += ' ';
    for (const char *pszField : fields)
        AppendField(line, pszField);
    FormatTextInto(m_strText, pszFormat, args);
    AppendUtf8(line, m_strText);
    CapLine(line, cchStamp);
    if (m_bCapturing) {
        m_strCapture.append(line, cchStamp, std::string::npos);
        m_strCapture += '\n';
    }
    line += "\r\n";
    if (EnsureFile(now))
        AppendToFile(line);
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
