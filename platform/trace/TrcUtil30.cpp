// TrcUtil30.dll exports. Nothing here may fail its caller: every exception
// stops at this boundary and the line is lost instead.
#include <windows.h>

#include <cstdarg>
#include <initializer_list>
#include <string>

#include "TraceFormatter.h"
#include "TraceLog.h"
#include "include/trcutil30.h"

namespace {

// Shared body of the writing exports. A line of a level that is not written
// costs no formatting.
int WriteRecord(int nLevel, const char *pszKind, std::initializer_list<const char *> fields,
                const char *pszFormat, va_list args)
{
    try {
        CTraceLog *pLog = CTraceLog::Instance();
        if (!pLog)
            return 0;
        if (pLog->Wants(nLevel))
            pLog->Write(nLevel, pszKind, fields, pszFormat, args);
        return 1;
    } catch (...) {
        return 0;
    }
}

} // namespace

extern "C" int __cdecl WriteTrace(int nLevel, const char *pszModule, const char *pszComponent,
                                  const char *pszCategory, const char *pszFunction,
                                  const char *pszFormat, ...)
{
    char szKind[16] = "L";
    _itoa(nLevel, szKind + 1, 10);
    va_list args;
    va_start(args, pszFormat);
    int written = WriteRecord(nLevel, szKind, {pszModule, pszComponent, pszCategory, pszFunction},
                              pszFormat, args);
    va_end(args);
    return written;
}

extern "C" int __cdecl WriteErrorCode(const char *pszProduct, const char *pszLocation,
                                      const char *pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    // Error records are always written: they are what a field engineer
    // looks for first.
    int written = WriteRecord(0, "L0 ERRORCODE", {pszProduct, pszLocation}, pszFormat, args);
    va_end(args);
    return written;
}

extern "C" void WINAPI TrcCaptureStart(void)
{
    if (CTraceLog *pLog = CTraceLog::Instance())
        pLog->StartCapture();
}

extern "C" void WINAPI TrcCaptureStop(void)
{
    if (CTraceLog *pLog = CTraceLog::Instance())
        pLog->StopCapture();
}

extern "C" void WINAPI TrcCaptureClear(void)
{
    if (CTraceLog *pLog = CTraceLog::Instance())
        pLog->ClearCapture();
}

extern "C" DWORD WINAPI TrcCaptureGet(LPSTR lpBuffer, DWORD cbBuffer)
{
    try {
        CTraceLog *pLog = CTraceLog::Instance();
        std::string text = pLog ? pLog->Captured() : std::string();
        DWORD cbNeeded = static_cast<DWORD>(text.size() + 1);
        if (lpBuffer && cbBuffer > 0) {
            DWORD cbCopy = cbNeeded <= cbBuffer ? cbNeeded - 1 : cbBuffer - 1;
            CopyMemory(lpBuffer, text.data(), cbCopy);
            lpBuffer[cbCopy] = '\0';
        }
        return cbNeeded;
    } catch (...) {
        return 0;
    }
}

extern "C" DWORD WINAPI TrcGetLogPath(LPWSTR lpszPath, DWORD cchPath)
{
    try {
        CTraceLog *pLog = CTraceLog::Instance();
        std::wstring path = pLog ? pLog->CurrentPath() : std::wstring();
        DWORD cchNeeded = static_cast<DWORD>(path.size() + 1);
        if (lpszPath && cchPath >= cchNeeded)
            CopyMemory(lpszPath, path.c_str(), cchNeeded * sizeof(wchar_t));
        return cchNeeded;
    } catch (...) {
        return 0;
    }
}

extern "C" void WINAPI TrcReloadSettings(void)
{
    if (CTraceLog *pLog = CTraceLog::Instance())
        pLog->ReloadSettings();
}
