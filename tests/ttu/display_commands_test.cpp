// The display and indicator commands as the virtual panel receives them, and
// the ways a builder refuses: -52 for an argument, -1 for an allocation, -39
// for a closed session.
#include "TTUTestSupport.h"

#include "trcutil30.h"
#include "xfsdiag.h"

namespace {

class DisplayCommandsTest : public PanelTest {
protected:
    // Submits, checks the result, and waits for the completion.
    void Submit(const std::function<HRESULT()> &build, HRESULT hExpected = WFS_SUCCESS)
    {
        ASSERT_EQ(hExpected, build());
        WaitIdle();
    }
};

TEST_F(DisplayCommandsTest, BeepTypesAndTheContinuousBit)
{
    CTTUService &service = OpenedInstance().Service();
    struct Case {
        LPCWSTR lpszType;
        BOOL bContinuous;
        WORD wBeep;
    };
    const Case cases[] = {
        {L"keypress", 1, 0x0082}, {L"KeyPress", 0, 0x0002}, {L"EXCLAMATION", 0, 0x0004},
        {L"warning", 1, 0x0088},  {L"ERROR", 1, 0x0090},    {L"ERROR", -1, 0x0010},
        {L"Error", 2, 0x0010},    {L"CRITICAL", 0, 0x0020}, {L"exclamation", 1, 0x0084},
    };
    for (const Case &c : cases) {
        Submit([&] { return service.Beep(c.lpszType, c.bContinuous); });
        EXPECT_EQ(c.wBeep, Snapshot().wLastBeep) << Utf8(c.lpszType) << " " << c.bContinuous;
    }
    EXPECT_TRUE(Snapshot().bBeeping);
    Submit([&] { return service.BeepOff(); });
    EXPECT_EQ(WFS_TTU_BEEPOFF, Snapshot().wLastBeep);
    EXPECT_FALSE(Snapshot().bBeeping);

    // Unknown words are refused without a line of their own; nothing
    // reaches the panel.
    ClearTrace();
    LONG lExecutes = WFMDiagCallCount("WFSAsyncExecute");
    for (LPCWSTR lpszBad : {L" KEYPRESS", L"KEYPRESS ", L"", L"BEEP"})
        EXPECT_EQ(WFS_ERR_INVALID_DATA, service.Beep(lpszBad, 1)) << Utf8(lpszBad);
    EXPECT_EQ(WFS_ERR_INVALID_DATA, service.Beep(nullptr, 0));
    EXPECT_EQ(lExecutes, WFMDiagCallCount("WFSAsyncExecute"));
    EXPECT_TRUE(TraceLines().empty());
    EXPECT_EQ(WFS_TTU_BEEPOFF, Snapshot().wLastBeep);
}

TEST_F(DisplayCommandsTest, ClearScreenWholeDisplayFromTheLastStatus)
{
    PanelInstance &instance = OpenedInstance();
    CTTUService &service = instance.Service();
    // Positions are relative to the cursor on this panel, which starts at
    // the top left: one text with line feeds fills the display.
    const std::wstring full(20, L'X');
    Submit([&] {
        return service.Write(0, 0, L"",
                             (full + L"\n" + full + L"\n" + full + L"\n" + full).c_str());
    });
    EXPECT_EQ(full, Display()[0]);
    EXPECT_EQ(full, Display()[3]);

    // An area as given.
    Submit([&] { return service.ClearScreen(2, 1, 3, 2); });
    EXPECT_EQ(L"XX   XXXXXXXXXXXXXXX", Display()[1]);
    EXPECT_EQ(L"XX   XXXXXXXXXXXXXXX", Display()[2]);
    EXPECT_EQ(full, Display()[0]);

    // An area larger than the display is not checked here.
    Submit([&] { return service.ClearScreen(18, 3, 100, 100); });
    EXPECT_EQ(L"XXXXXXXXXXXXXXXXXX  ", Display()[3]);

    // The whole display is the size of the last status, not whatever the
    // panel has now: the status after this change of resolution is lost
    // (timed out), so the service still believes in 20 x 4 and clears just
    // that much of the 40 x 2 display.
    ASSERT_EQ(0, TtuSimFailNext(TRUE, WFS_INF_TTU_STATUS, 1, WFS_ERR_TIMEOUT));
    Submit([&] { return service.SelectScreenSize(40, 2); });
    EXPECT_EQ(20, service.GetDisplaySizeX());
    const std::wstring wide(40, L'Y');
    Submit([&] { return service.Write(0, 0, L"", (wide + L"\n" + wide).c_str()); });
    Submit([&] { return service.ClearScreen(0, 0, 0, 0); });
    EXPECT_EQ(std::wstring(20, L' ') + std::wstring(20, L'Y'), Display()[0]);
    EXPECT_EQ(std::wstring(20, L' ') + std::wstring(20, L'Y'), Display()[1]);

    // Once a status reports the new size, the whole 40 x 2 goes.
    ASSERT_EQ(WFS_SUCCESS, service.GetInfo(WFS_INF_TTU_STATUS, nullptr, 30000));
    EXPECT_EQ(40, service.GetDisplaySizeX());
    EXPECT_EQ(2, service.GetDisplaySizeY());
    instance.m_sink.Clear();
    Submit([&] { return service.ClearScreen(0, 0, 0, 0); });
    EXPECT_EQ(std::wstring(40, L' '), Display()[0]);
    EXPECT_EQ(std::wstring(40, L' '), Display()[1]);
    EXPECT_EQ((std::vector<std::string>{"ClearScreenComplete"}), instance.m_sink.m_events);
}

TEST_F(DisplayCommandsTest, ClearScreenRefusesNegativeValuesWithTheirLine)
{
    CTTUService &service = OpenedInstance().Service();
    ClearTrace();
    EXPECT_EQ(WFS_ERR_INVALID_DATA, service.ClearScreen(-1, 0, 10, 10));
    EXPECT_EQ(WFS_ERR_INVALID_DATA, service.ClearScreen(0, 0, 0, -32768));
    std::vector<std::string> lines = TraceLines();
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ("L0 TTU ACTIVEX ERROR CTTUService::ClearScreen Clear Screen Area is invalid "
              "{TopLeftX[-1], TopLeftY[0], Width[10], Height[10]",
              lines[0]);
    EXPECT_EQ(0u, lines[1].find("L0 ERRORCODE 27 6L ")) << lines[1];
    EXPECT_EQ(":[-52]", lines[1].substr(lines[1].find(':')));
    EXPECT_NE(std::string::npos, lines[2].find("Height[-32768]"));
}

TEST_F(DisplayCommandsTest, DisplayLightLEDsAndResolution)
{
    PanelInstance &instance = OpenedInstance();
    CTTUService &service = instance.Service();
    Submit([&] { return service.SetDisplayLight(L"on"); });
    EXPECT_TRUE(Snapshot().bDisplayLight);
    Submit([&] { return service.SetDisplayLight(L"Off"); });
    EXPECT_FALSE(Snapshot().bDisplayLight);

    ClearTrace();
    EXPECT_EQ(WFS_ERR_INVALID_DATA, service.SetDisplayLight(L"BLINK"));
    EXPECT_EQ(WFS_ERR_INVALID_DATA, service.SetLEDState(1, L"FAST"));
    std::vector<std::string> lines = TraceLines();
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ(
        "L0 TTU ACTIVEX ERROR CTTUService::SetDisplayLight LightAction[BLINK] is undefined value",
        lines[0]);
    EXPECT_EQ(0u, lines[1].find("L0 ERRORCODE 27 6M ")) << lines[1];
    EXPECT_EQ("L0 TTU ACTIVEX ERROR CTTUService::SetLEDState State[FAST] is undefined value",
              lines[2]);
    EXPECT_EQ(0u, lines[3].find("L0 ERRORCODE 27 6N ")) << lines[3];
    EXPECT_EQ(":[-52]", lines[3].substr(lines[3].find(':')));

    const WORD commands[] = {WFS_TTU_LEDSLOWFLASH, WFS_TTU_LEDMEDIUMFLASH, WFS_TTU_LEDQUICKFLASH,
                             WFS_TTU_LEDCONTINUOUS};
    const LPCWSTR words[] = {L"slow", L"MEDIUM", L"Quick", L"continuous"};
    for (SHORT i = 0; i < 4; ++i) {
        Submit([&] { return service.SetLEDState(i, words[i]); });
        EXPECT_EQ(commands[i], Snapshot().wLEDs[i]);
    }
    Submit([&] { return service.SetLEDState(0, L"OFF"); });
    EXPECT_EQ(WFS_TTU_LEDOFF, Snapshot().wLEDs[0]);

    // The index is not checked here: the panel has 4 LEDs and says so.
    instance.m_sink.Clear();
    Submit([&] { return service.SetLEDState(99, L"quick"); });
    EXPECT_EQ((std::vector<std::string>{"FatalError(CMD_TTU_SET_LED,-707)"}),
              instance.m_sink.m_events);

    Submit([&] { return service.SelectScreenSize(40, 2); });
    EXPECT_EQ(40, Snapshot().wDisplaySizeX);
    EXPECT_EQ(2, Snapshot().wDisplaySizeY);
    Submit([&] { return service.SelectScreenSize(20, 4); });
    EXPECT_EQ(20, Snapshot().wDisplaySizeX);
}

// The allocation comes before every check: a failing allocation gives -1
// and only the allocation pair, even when the arguments are invalid too.
TEST_F(DisplayCommandsTest, FailingAllocationWinsOverInvalidArguments)
{
    CTTUService &service = OpenedInstance().Service();
    struct Case {
        const char *pszFunction;
        const char *pszLocation;
        std::function<HRESULT()> build;
    };
    const Case cases[] = {
        {"Beep", "6J", [&] { return service.Beep(L"NOSUCH", 1); }},
        {"BeepOff", "6K", [&] { return service.BeepOff(); }},
        {"ClearScreen", "6L", [&] { return service.ClearScreen(-1, -1, -1, -1); }},
        {"SetDisplayLight", "6M", [&] { return service.SetDisplayLight(L"BLINK"); }},
        {"SetLEDState", "6N", [&] { return service.SetLEDState(0, L"FAST"); }},
        {"SelectScreenSize", "6O", [&] { return service.SelectScreenSize(40, 2); }},
    };
    LONG lExecutes = WFMDiagCallCount("WFSAsyncExecute");
    for (const Case &c : cases) {
        ClearTrace();
        WFMDiagFailAllocation(1);
        EXPECT_EQ(-1, c.build()) << c.pszFunction;
        WFMDiagFailAllocation(0);
        std::vector<std::string> lines = TraceLines();
        ASSERT_EQ(2u, lines.size()) << c.pszFunction;
        std::string strPrefix = std::string("L0 TTU ACTIVEX ERROR CTTUService::") + c.pszFunction +
                                " AllocateBuffer Failed[hResult = -42] ==> Line = ";
        EXPECT_EQ(0u, lines[0].find(strPrefix)) << lines[0];
        std::string strLine = lines[0].substr(strPrefix.size());
        char szRecord[64];
        snprintf(szRecord, sizeof szRecord, "L0 ERRORCODE 27 %s %04d:[-42]", c.pszLocation,
                 atoi(strLine.c_str()));
        EXPECT_EQ(szRecord, lines[1]);
    }
    EXPECT_EQ(lExecutes, WFMDiagCallCount("WFSAsyncExecute"));
    EXPECT_EQ(0, WFMDiagLiveBufferCount());
}

// While closed every builder still allocates, fills and frees its data and
// answers -39; checks come first, so a bad argument still gives -52.
TEST_F(DisplayCommandsTest, ClosedSessionGivesNotStartedWithoutAnyXfsCall)
{
    PanelInstance &instance = AddInstance();
    CTTUService &service = instance.Service();
    LONG lExecutes = WFMDiagCallCount("WFSAsyncExecute");
    EXPECT_EQ(WFS_ERR_NOT_STARTED, service.Beep(L"KEYPRESS", 0));
    EXPECT_EQ(WFS_ERR_NOT_STARTED, service.BeepOff());
    EXPECT_EQ(WFS_ERR_NOT_STARTED, service.ClearScreen(0, 0, 0, 0));
    EXPECT_EQ(WFS_ERR_NOT_STARTED, service.SetDisplayLight(L"ON"));
    EXPECT_EQ(WFS_ERR_NOT_STARTED, service.SetLEDState(0, L"OFF"));
    EXPECT_EQ(WFS_ERR_NOT_STARTED, service.SelectScreenSize(20, 4));
    EXPECT_EQ(WFS_ERR_NOT_STARTED, service.Reset());
    EXPECT_EQ(WFS_ERR_INVALID_DATA, service.Beep(L"NOSUCH", 0));
    EXPECT_EQ(lExecutes, WFMDiagCallCount("WFSAsyncExecute"));
    EXPECT_EQ(0, WFMDiagLiveBufferCount());
}

// A command submitted while another is outstanding goes out as it is; each
// completes on its own.
TEST_F(DisplayCommandsTest, CommandsDoNotWaitForEachOther)
{
    PanelInstance &instance = OpenedInstance();
    CTTUService &service = instance.Service();
    ASSERT_EQ(0, TtuSimDelay(FALSE, WFS_CMD_TTU_BEEP, 100));
    EXPECT_EQ(WFS_SUCCESS, service.Beep(L"KEYPRESS", 0));
    EXPECT_EQ(WFS_SUCCESS, service.Beep(L"ERROR", 0));
    EXPECT_EQ(WFS_SUCCESS, service.Reset());
    ASSERT_TRUE(WaitForEvents(instance.m_sink, 3));
    WaitIdle();
    std::vector<std::string> events = instance.m_sink.m_events;
    std::sort(events.begin(), events.end());
    EXPECT_EQ((std::vector<std::string>{"BeepComplete", "BeepComplete", "ResetComplete"}), events);
}

} // namespace
