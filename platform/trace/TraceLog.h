// The daily log file shared by every process that traces, and the in-memory
// capture for tests.
#pragma once

#include <windows.h>

#include <string>

#include "TraceSettings.h"

class CTraceLog {
public:
    // Null only when even this small object could not be allocated.
    static CTraceLog *Instance();

    // Writes one line (level filtering included). body is what follows the
    // timestamp and the process and thread ids; beyond 4 KiB of UTF-8 it is
    // cut, ending "...[cut, N bytes]". Never throws, never waits
    // long: a file that cannot be written loses the line, not the caller.
    void Write(int nLevel, const std::wstring &body);

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
    void AppendToFile(const std::string &line);
    bool AcquireAppend();
    void ReleaseAppend();

    CRITICAL_SECTION m_cs;
    CTraceSettings m_settings;
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    // Orders appends across processes: a word in memory shared by every
    // process that traces, holding the writer's process id. Taking it free
    // costs no call into the system, unlike a named mutex; see AcquireAppend.
    HANDLE m_hAppendLock = nullptr;
    volatile LONG *m_plAppendOwner = nullptr;
    std::wstring m_strOpenPath;
    DWORD m_dwLastOpenFailure = 0;     // tick of the last failed open
    bool m_bOpenFailed = false;
    bool m_bCapturing = false;
    std::string m_strCapture;
};
