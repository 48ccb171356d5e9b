/*
 * TrcUtil30.dll: the terminal's trace library.
 *
 * WriteTrace (ordinal 10) and WriteErrorCode (ordinal 13) are exported by
 * ordinal only, as a terminal's trace library is; import them through this
 * project's import library. Their results carry no meaning and are ignored.
 *
 * Format strings are narrow and printf-like: %s takes a narrow (ANSI code
 * page) string, %S a wide (UTF-16) string, %d a signed 32-bit integer; flags,
 * width and precision, %u %x %X %c %C %p %% and the h/l/ll/I64 sizes work as
 * in the Microsoft C library. The log is written in UTF-8.
 *
 * Where the lines go:
 *   folder    ZT_TRACE_DIR environment variable, else the REG_SZ value
 *             "Folder" of HKLM\SOFTWARE\Zentrik\Trace, else
 *             %TEMP%\ZTOperatorPanelX
 *   file      TTU_YYYYMMDD.log in that folder, one per day (local time)
 *   level     lines whose level is above ZT_TRACE_LEVEL (environment) or the
 *             DWORD "MaxLevel" of the same key are not written (default 9:
 *             everything); a negative ZT_TRACE_LEVEL writes nothing.
 *
 * The TrcCapture* exports are test support, not part of the trace library's
 * terminal interface: they keep, in memory, every line written from the
 * moment TrcCaptureStart is called, without the timestamp and process and
 * thread ids, so a test can check what a component traced.
 */
#ifndef ZT_TRCUTIL30_H
#define ZT_TRCUTIL30_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifdef ZT_BUILDING_TRCUTIL
#define TRCUTIL_API __declspec(dllexport)
#else
#define TRCUTIL_API __declspec(dllimport)
#endif

/* One line: level, module, component, category, function, then the text. */
TRCUTIL_API int __cdecl WriteTrace(int nLevel, const char *pszModule, const char *pszComponent,
                                   const char *pszCategory, const char *pszFunction,
                                   const char *pszFormat, ...);

/* One error-location record: product code, location code, then the record
   text ("%04d:[%d]", "%04d:[NULL]" or "%04d:[Exception]" and its values). */
TRCUTIL_API int __cdecl WriteErrorCode(const char *pszProduct, const char *pszLocation,
                                       const char *pszFormat, ...);

/* Test support: see above. */
TRCUTIL_API void WINAPI TrcCaptureStart(void);
TRCUTIL_API void WINAPI TrcCaptureStop(void);
/* Copies the captured lines (UTF-8, each ended by "\n", zero-terminated)
   into lpBuffer and returns the bytes needed including the zero, so a call
   with cbBuffer 0 asks for the size. */
TRCUTIL_API DWORD WINAPI TrcCaptureGet(LPSTR lpBuffer, DWORD cbBuffer);
TRCUTIL_API void WINAPI TrcCaptureClear(void);
/* Full path of the file the next line goes to (for tests and tools). */
TRCUTIL_API DWORD WINAPI TrcGetLogPath(LPWSTR lpszPath, DWORD cchPath);
/* Reads the folder and level settings again (tests change them). */
TRCUTIL_API void WINAPI TrcReloadSettings(void);

#ifdef __cplusplus
}
#endif

#endif /* ZT_TRCUTIL30_H */
