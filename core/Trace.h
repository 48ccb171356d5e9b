// How the control writes its trace. Every line goes to TrcUtil30.dll's
// WriteTrace (ordinal 10) with module "TTU" and component "ACTIVEX"; every
// failure is an "ERROR" line ending "==> Line = %d" followed by an
// error-location record from WriteErrorCode (ordinal 13) under product "27".
// Both are imported by ordinal, so a terminal's own trace library can stand
// in for ours. Tracing never changes an operation's outcome.
#pragma once

#include "trcutil30.h"

#define TTU_TRACE_MODULE "TTU"
#define TTU_TRACE_COMPONENT "ACTIVEX"
#define TTU_TRACE_PRODUCT "27"

// One trace line: TTU_TRACE(level, "METHOD", "Ctrl::Beep", "Invoked...", ...)
#define TTU_TRACE(level, category, function, ...)                                          \
    ((void)::WriteTrace((level), TTU_TRACE_MODULE, TTU_TRACE_COMPONENT, (category),       \
                        (function), __VA_ARGS__))

#define TTU_TRACE_METHOD(function, ...) TTU_TRACE(0, "METHOD", (function), __VA_ARGS__)
#define TTU_TRACE_PROPERTY(function, ...) TTU_TRACE(0, "PROPERTY", (function), __VA_ARGS__)
#define TTU_TRACE_EVENT(function, ...) TTU_TRACE(0, "EVENT", (function), __VA_ARGS__)
#define TTU_TRACE_INFO(function, ...) TTU_TRACE(0, "INFORMATION", (function), __VA_ARGS__)
#define TTU_TRACE_ERROR(function, ...) TTU_TRACE(0, "ERROR", (function), __VA_ARGS__)

// Error-location records, written right after the ERROR line they belong to.
#define TTU_ERROR_CODE(location, hResult)                                                   \
    ((void)::WriteErrorCode(TTU_TRACE_PRODUCT, (location), "%04d:[%d]", (int)__LINE__,     \
                            (int)(hResult)))
#define TTU_ERROR_NULL(location)                                                            \
    ((void)::WriteErrorCode(TTU_TRACE_PRODUCT, (location), "%04d:[NULL]", (int)__LINE__))
#define TTU_ERROR_EXCEPTION(location)                                                       \
    ((void)::WriteErrorCode(TTU_TRACE_PRODUCT, (location), "%04d:[Exception]",             \
                            (int)__LINE__))

// The two standard failure pairs.
// An allocation that returned nothing.
#define TTU_TRACE_ALLOC_FAILED(function, location)                                          \
    do {                                                                                    \
        TTU_TRACE_ERROR((function), "Internal memory allocation fail. ==> Line = %d",       \
                        (int)__LINE__);                                                     \
        TTU_ERROR_NULL(location);                                                           \
    } while (0)

// A WFMAllocateBuffer/WFMAllocateMore that failed with hResult.
#define TTU_TRACE_BUFFER_FAILED(function, location, hResult)                                \
    do {                                                                                    \
        TTU_TRACE_ERROR((function), "AllocateBuffer Failed[hResult = %d] ==> Line = %d",    \
                        (int)(hResult), (int)__LINE__);                                     \
        TTU_ERROR_CODE((location), (hResult));                                              \
    } while (0)
