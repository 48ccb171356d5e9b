// ttupanel.exe: the virtual operator panel seen and driven from a console
// (or its own window).
#include "ConsoleText.h"
#include "PanelActions.h"
#include "PanelArguments.h"
#include "PanelSnapshot.h"
#include "PanelWatch.h"
#include "PanelWindow.h"

#include <shellapi.h>

#include <string>
#include <vector>

namespace {

std::vector<std::wstring> CommandLineArguments()
{
    std::vector<std::wstring> args;
    int nArgs = 0;
    LPWSTR *ppszArgs = CommandLineToArgvW(GetCommandLineW(), &nArgs);
    if (ppszArgs == nullptr)
        return args;
    for (int i = 1; i < nArgs; ++i)
        args.emplace_back(ppszArgs[i]);
    LocalFree(ppszArgs);
    return args;
}

} // namespace

int main()
{
    const CParseOutcome outcome = ParseArguments(CommandLineArguments());
    if (!outcome.bOk) {
        const HANDLE hError = GetStdHandle(STD_ERROR_HANDLE);
        WriteText(hError, "ttupanel: " + outcome.strError + "\n\n");
        WriteText(hError, UsageText());
        return kExitUsage;
    }
    switch (outcome.request.verb) {
    case PanelVerb::Help:
        WriteText(GetStdHandle(STD_OUTPUT_HANDLE), UsageText());
        return kExitDone;
    case PanelVerb::Watch:
        return RunWatch();
    case PanelVerb::Gui:
        return RunGui();
    case PanelVerb::Snapshot:
        return RunSnapshot(outcome.request.strPath);
    default:
        return RunRequest(outcome.request);
    }
}
