// The service's own failure pair: an ERROR line ending "==> Line = %d" and
// its error record carrying a result code, both with the line of the one
// statement that reports the failure.
#pragma once

#include "Trace.h"

// TTU_TRACE_FAILURE("CTTUService::ReadForm", "6Q", -26, "FormName is not assigned")
// The text may carry printf arguments of its own before the line number:
// TTU_TRACE_FAILURE(fn, loc, hr, "Invalid Keys[%S]", lpszKeys)
#define TTU_TRACE_FAILURE(function, location, hResult, text, ...)                         \
    do {                                                                                  \
        TTU_TRACE_ERROR((function), text " ==> Line = %d", ##__VA_ARGS__, (int)__LINE__); \
        TTU_ERROR_CODE((location), (hResult));                                            \
    } while (0)
