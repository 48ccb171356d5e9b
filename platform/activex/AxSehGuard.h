// Running a call so that nothing it raises escapes: a C++ exception or a
// structured exception (an access violation, a foreign runtime's throw...)
// ends the call and is reported to the caller with its exception code.
// Used where code of the host is called back and the caller must carry on
// whatever happens there (event delivery to connected sinks).
#pragma once

#include <windows.h>

// The structured exception code under which libgcc raises a C++ throw on
// x64 Windows ("GCC" in the code's bytes); reported for a C++ exception of
// any module built with GCC. A C++ exception of an MSVC-built host arrives
// as its own structured exception 0xE06D7363 and is reported with that.
#define AX_STATUS_CPP_EXCEPTION 0x20474343UL

// Calls pfnCall(pvContext). TRUE when it returned normally; FALSE when an
// exception ended it, with *pdwExceptionCode set to the exception's code.
// Frames abandoned by a structured exception do not run their destructors,
// so pfnCall should not own anything it must release.
BOOL AxCallGuarded(void (*pfnCall)(void *), void *pvContext, DWORD *pdwExceptionCode);
