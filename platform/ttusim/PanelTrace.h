/*
 * The virtual panel's trace lines: written to the trace library (module
 * "TTU", component "TTUSIM") and to the debugger's output.
 */
#ifndef ZT_TTUSIM_PANELTRACE_H
#define ZT_TTUSIM_PANELTRACE_H

#include <string>

void TraceError(const char *pszFunction, const std::string &strText);

#endif
