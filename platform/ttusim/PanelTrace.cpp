#include "PanelTrace.h"

#include <windows.h>

#include "trcutil30.h"

void TraceError(const char *pszFunction, const std::string &strText)
{
    WriteTrace(0, "TTU", "TTUSIM", "ERROR", pszFunction, "%s", strText.c_str());
    std::string strLine = std::string("ttusim: ") + pszFunction + ": " + strText + "\n";
    OutputDebugStringA(strLine.c_str());
}
