#include "PanelTrace.h"

#include <windows.h>

#include "trcutil30.h"

namespace ttusim {

static void Write(int nLevel, const char *pszCategory, const char *pszFunction,
                  const std::string &strText)
{
    WriteTrace(nLevel, "TTU", "TTUSIM", pszCategory, pszFunction, "%s", strText.c_str());
    std::string strLine = std::string("ttusim: ") + pszFunction + ": " + strText + "\n";
    OutputDebugStringA(strLine.c_str());
}

void TraceError(const char *pszFunction, const std::string &strText)
{
    Write(0, "ERROR", pszFunction, strText);
}

void TraceInfo(const char *pszFunction, const std::string &strText)
{
    Write(1, "INFORMATION", pszFunction, strText);
}

} // namespace ttusim
