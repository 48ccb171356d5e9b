// The daily log file shared by every process that traces, and the in-memory
// capture for tests.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <initializer_list>
#include <string>

#include "TraceSettings.h"

class CTraceLog {
public:
    // Null only when even this small object could not be allocated.
    static CTraceLog *Instance();

    // Writes one line (level filtering included): the timestamp, process
    // and thread ids, then the body: kind, each field ("-" when null) and
    // the formatted text, separated by blanks. Beyond 4 KiB of UTF-8 the
    // body is cut, ending "...[cut, N bytes]". Never waits long: a file that
    // cannot be written loses the line, not the caller. Throws only
    // std::bad_alloc.
    void Write(int nLevel, const char *pszKind, std::initializer_list<const char *> fields,
               const char *pszFormat, va_list args);
    // Whether a line of this level is written at all; asked before anything
    // is formatted. A level changed by ReloadSettings meanwhile is seen by
    // Write, which asks again.
    bool Wants(int nLevel) const
    {
        const LONG lMax = m_lMaxLevel;
        return lMax >= 0 && nLevel <= lMax;
    }

    void StartCapture();
    void StopCapture();
    void ClearCapture();
    std::string Captured();

    std::wstring CurrentPath();
    void ReloadSettings();

private:
    CTraceLog();
    ~CTraceLog() = delete;  // lives as long as the process

    std::wstring PathFor(const SYSTEMTIME &now) const;
    bool EnsureFile(const SYSTEMTIME &now);
    void CloseFile();
    void AppendToFile(const std::string &line);
    bool AppendPastLock(const std::string &line);
    bool AcquireAppend();
    void ReleaseAppend();

    // Shared by every process that traces (see AcquireAppend).
    struct CAppendShared {
        volatile LONG lOwner;      // the appending process's id, 0 when free
        volatile LONG lGeneration; // grows with every line any process writes
    };

    CRITICAL_SECTION m_cs;
    CTraceSettings m_settings;
    volatile LONG m_lMaxLevel = -1;
    // The day's file, opened for plain writes: a line goes where the last
    // one ended, as long as no other process wrote in between (see
    // AppendToFile).
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    HANDLE m_hAppendOnly = INVALID_HANDLE_VALUE; // opened only past a stuck writer
    bool m_bAtEnd = false;      // the file position is the end of the file
    LONG m_lOwnGeneration = 0;  // the generation our last line made
    HANDLE m_hAppendLock = nullptr;
    CAppendShared *m_pShared = nullptr;
    std::wstring m_strOpenPath;
    WORD m_wOpenYear = 0, m_wOpenMonth = 0, m_wOpenDay = 0; // the day of m_strOpenPath
    DWORD m_dwLastOpenFailure = 0;     // tick of the last failed open
    bool m_bOpenFailed = false;
    bool m_bCapturing = false;
    std::string m_strCapture;
    std::string m_strLine;  // the line being written, its memory reused
    std::wstring m_strText; // its formatted text, likewise
};
