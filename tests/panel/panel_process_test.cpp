// The panel shared between processes: what one process does through XFS is
// seen by ttupanel run as another process, and what ttupanel does (keys,
// status, faults, events) reaches this process's XFS session.
#include "PanelTest.h"

#include <string>

namespace {

struct ToolRun {
    DWORD dwExitCode = 0xFFFFFFFF;
    std::string strOutput; // standard output and error together
};

// Runs ttupanel.exe (beside this program) with the arguments and waits for
// it, dispatching this thread's messages meanwhile.
ToolRun RunTool(const std::wstring &strArguments)
{
    wchar_t szPath[MAX_PATH];
    GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    std::wstring strTool(szPath);
    strTool = strTool.substr(0, strTool.find_last_of(L"\\/") + 1) + L"ttupanel.exe";
    std::wstring strCommandLine = L"\"" + strTool + L"\" " + strArguments;
    SECURITY_ATTRIBUTES security = {sizeof security, nullptr, TRUE};
    HANDLE hRead = nullptr, hWrite = nullptr;
    ToolRun run;
    if (!CreatePipe(&hRead, &hWrite, &security, 0))
        return run;
    SetHandleInformation(hRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {sizeof startup};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = startup.hStdError = hWrite;
    PROCESS_INFORMATION process = {};
    const BOOL bStarted = CreateProcessW(strTool.c_str(), &strCommandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                         nullptr, &startup, &process);
    CloseHandle(hWrite);
    if (bStarted) {
        char buffer[4096];
        DWORD cbRead = 0;
        while (ReadFile(hRead, buffer, sizeof buffer, &cbRead, nullptr) && cbRead)
            run.strOutput.append(buffer, cbRead);
        PumpUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, 10000);
        GetExitCodeProcess(process.hProcess, &run.dwExitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(hRead);
    return run;
}

size_t EventCount(XfsClient &client, UINT uMsg, DWORD dwEventID)
{
    return client.Window().Events(uMsg, dwEventID).size();
}

} // namespace

using PanelProcessTest = PanelTest;

TEST_F(PanelProcessTest, TtupanelShowsWhatAnotherProcessDidAndItsKeysCompleteARead)
{
    WFSTTUWRITE write = {WFS_TTU_POSABSOLUTE, 3, 2, 0, const_cast<LPSTR>("FROM XFS"), nullptr};
    ASSERT_EQ(Session().ExecuteCode(WFS_CMD_TTU_WRITE, &write), WFS_SUCCESS);
    WFSTTUSETLEDS led = {2, WFS_TTU_LEDCONTINUOUS};
    ASSERT_EQ(Session().ExecuteCode(WFS_CMD_TTU_SET_LED, &led), WFS_SUCCESS);
    const ToolRun run = RunTool(L"show");
    EXPECT_EQ(run.dwExitCode, 0u) << run.strOutput;
    for (const char *pszShown : {"|   FROM XFS         |", "2:continuous", "Device:        online"})
        EXPECT_NE(run.strOutput.find(pszShown), std::string::npos) << run.strOutput;

    WORD terminateKeys[] = {WFS_TTU_CK_ENTER, WFS_TTU_NOKEY};
    WFSTTUREAD read = {8, 0, 0, 0, 0, 0, FALSE, FALSE, FALSE, const_cast<LPSTR>("0123456789"), nullptr, nullptr,
                       terminateKeys};
    const REQUESTID id = Session().ExecuteAsync(WFS_CMD_TTU_READ, &read);
    ASSERT_TRUE(PumpUntil(PanelReadActive));
    EXPECT_EQ(RunTool(L"press 1 2 ENTER").dwExitCode, 0u);
    LPWFSRESULT lpResult = Session().Wait(id);
    ASSERT_EQ(Session().Code(lpResult), WFS_SUCCESS);
    EXPECT_STREQ(static_cast<LPWFSTTUREADIN>(lpResult->lpBuffer)->lpszInput, "12");
    EXPECT_EQ(EventCount(Session(), WFS_EXECUTE_EVENT, WFS_EXEE_TTU_KEY), 3u);
}

TEST_F(PanelProcessTest, StatusChangedByAnotherProcessReachesTheRegisteredWindow)
{
    XfsClient unregistered;
    ASSERT_EQ(unregistered.OpenResult(), WFS_SUCCESS);
    ASSERT_EQ(Session().Register(SYSTEM_EVENTS), WFS_SUCCESS);
    ASSERT_EQ(RunTool(L"status device offline").dwExitCode, 0u);
    ASSERT_TRUE(PumpUntil([&] { return EventCount(Session(), WFS_SYSTEM_EVENT, WFS_SYSE_DEVICE_STATUS) == 1; }));
    EXPECT_EQ(Session().Window().Events(WFS_SYSTEM_EVENT, WFS_SYSE_DEVICE_STATUS)[0]->hService, Session().Service());
    EXPECT_EQ(Snapshot().fwDevice, WFS_TTU_DEVOFFLINE);
    ASSERT_EQ(RunTool(L"status device online").dwExitCode, 0u);
    EXPECT_TRUE(PumpUntil([&] { return EventCount(Session(), WFS_SYSTEM_EVENT, WFS_SYSE_DEVICE_STATUS) == 2; }));
    ASSERT_EQ(RunTool(L"event hardware").dwExitCode, 0u);
    EXPECT_TRUE(PumpUntil([&] { return EventCount(Session(), WFS_SYSTEM_EVENT, WFS_SYSE_HARDWARE_ERROR) == 1; }));
    // A session that did not register heard none of it, by the time a
    // request of its own completes.
    EXPECT_EQ(unregistered.GetInfoCode(WFS_INF_TTU_STATUS), WFS_SUCCESS);
    EXPECT_EQ(unregistered.Window().CountOf(WFS_SYSTEM_EVENT), 0u);
}

TEST_F(PanelProcessTest, FaultsInjectedByTtupanelReachTheApplicationAndBadArgumentsExitWithTwo)
{
    WFSTTUBEEP beep = {WFS_TTU_BEEPKEYPRESS};
    ASSERT_EQ(RunTool(L"fail command BEEP 1 HARDWARE_ERROR").dwExitCode, 0u);
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_BEEP, &beep), WFS_ERR_HARDWARE_ERROR);
    ASSERT_EQ(RunTool(L"fail category 701 1 -777").dwExitCode, 0u);
    EXPECT_EQ(Session().GetInfoCode(WFS_INF_TTU_STATUS), -777);
    // Held back far past the request's own time-out, until a reset.
    ASSERT_EQ(RunTool(L"delay command BEEP 600000").dwExitCode, 0u);
    EXPECT_EQ(Session().Code(Session().Execute(WFS_CMD_TTU_BEEP, &beep, 100)), WFS_ERR_TIMEOUT);
    ASSERT_EQ(RunTool(L"reset").dwExitCode, 0u);
    EXPECT_EQ(Session().Code(Session().Execute(WFS_CMD_TTU_BEEP, &beep, 5000)), WFS_SUCCESS);

    // Which arguments are refused is the parser's test; here: how.
    for (const wchar_t *pszArguments : {L"", L"status device sleepy"}) {
        const ToolRun run = RunTool(pszArguments);
        EXPECT_EQ(run.dwExitCode, 2u) << run.strOutput;
        EXPECT_NE(run.strOutput.find("usage: ttupanel"), std::string::npos) << run.strOutput;
    }
    const ToolRun help = RunTool(L"help");
    EXPECT_EQ(help.dwExitCode, 0u);
    EXPECT_NE(help.strOutput.find("fail command|category"), std::string::npos);
}
