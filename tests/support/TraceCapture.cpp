#include "TraceCapture.h"

#include <algorithm>

#include "trcutil30.h"

std::vector<std::string> CapturedTraceLines()
{
    DWORD cb = TrcCaptureGet(nullptr, 0);
    std::string strText(cb, '\0');
    TrcCaptureGet(&strText[0], cb);
    strText.resize(cb ? cb - 1 : 0);
    std::vector<std::string> lines;
    size_t nStart = 0;
    for (size_t nEnd; (nEnd = strText.find('\n', nStart)) != std::string::npos; nStart = nEnd + 1)
        lines.push_back(strText.substr(nStart, nEnd - nStart));
    return lines;
}

std::vector<std::string> CapturedTraceLinesWith(const std::string &strText)
{
    std::vector<std::string> lines = CapturedTraceLines();
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [&](const std::string &l) { return l.find(strText) == std::string::npos; }),
                lines.end());
    return lines;
}

bool HasCapturedTraceLine(const std::string &strLine)
{
    std::vector<std::string> lines = CapturedTraceLines();
    return std::find(lines.begin(), lines.end(), strLine) != lines.end();
}
