// Where the trace goes and how much of it: read from the environment, then
// the registry, then the defaults.
#pragma once

#include <string>

struct CTraceSettings {
    std::wstring strFolder;  // without a trailing backslash
    int nMaxLevel = 9;       // lines above it are not written; < 0 writes none

    static CTraceSettings Load();
};
