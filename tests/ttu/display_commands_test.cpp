// The display and indicator commands as the virtual panel receives them, and
// the ways a builder refuses: -52 for an argument, -1 for an allocation, -39
// for a closed session.
#include "TTUTestSupport.h"

#include "trcutil30.h"
#include "xfsdiag.h"

namespace {

class DisplayCommandsTest : public PanelTest {
protected:
    // Submits, checks the result, and waits behind a status query (which
    // the panel answers after the command).
    void Submit(CTTUService &service, const std::function<HRESULT()> &build)
    {
        ASSERT_EQ(WFS_SUCCESS, build());
        ASSERT_EQ(WFS_SUCCESS, service.GetInfo(WFS_INF_TTU_STATUS, nullptr, 30000));
    }
    // The two lines of a refusal: the ERROR line and the record with its code.
    static void ExpectRefusal(const std::string &strLine, const char *pszLocation, HRESULT hr, size_t nAt = 0)
    {
        std::vector<std::string> lines = CapturedTraceLines();
        ASSERT_LE(nAt + 2, lines.size());
        EXPECT_EQ(0u, lines[nAt].find(strLine)) << lines[nAt];
        EXPECT_EQ(0u, lines[nAt + 1].find(std::string("L0 ERRORCODE 27 ") + pszLocation + " "));
        EXPECT_EQ(":[" + std::to_string(hr) + "]", lines[nAt + 1].substr(lines[nAt + 1].find(':')));
    }
};

TEST_F(DisplayCommandsTest, BeepTypesDisplayLightAndLEDs)
{
    PanelInstance &instance = OpenedInstance();
    CTTUService &service = instance.Service();
    const struct {
        LPCWSTR lpszType;
        BOOL bContinuous;
        WORD wBeep;
    } cases[] = {{L"keypress", 1, 0x0082}, {L"EXCLAMATION", 0, 0x0004}, {L"ERROR", -1, 0x0010},
                 {L"Error", 2, 0x0010},    {L"CRITICAL", 0, 0x0020},    {L"warning", 1, 0x0088}};
    for (const auto &c : cases) {
        Submit(service, [&] { return service.Beep(c.lpszType, c.bContinuous); });
        EXPECT_EQ(c.wBeep, Snapshot().wLastBeep) << Utf8(c.lpszType) << " " << c.bContinuous;
    }
    EXPECT_TRUE(Snapshot().bBeeping);
    Submit(service, [&] { return service.BeepOff(); });
    EXPECT_EQ(WFS_TTU_BEEPOFF, Snapshot().wLastBeep);
    EXPECT_FALSE(Snapshot().bBeeping);

    // Unknown words are refused without a line of their own.
    TrcCaptureClear();
    for (LPCWSTR lpszBad : {L" KEYPRESS", L"", L"BEEP", static_cast<LPCWSTR>(nullptr)})
        EXPECT_EQ(WFS_ERR_INVALID_DATA, service.Beep(lpszBad, 1));
    EXPECT_TRUE(CapturedTraceLines().empty());
    EXPECT_EQ(WFS_TTU_BEEPOFF, Snapshot().wLastBeep);

    Submit(service, [&] { return service.SetDisplayLight(L"on"); });
    EXPECT_TRUE(Snapshot().bDisplayLight);
    Submit(service, [&] { return service.SetDisplayLight(L"Off"); });
    EXPECT_FALSE(Snapshot().bDisplayLight);

    Submit(service, [&] { return service.SetLEDState(0, L"medium"); });
    EXPECT_EQ(WFS_TTU_LEDMEDIUMFLASH, Snapshot().wLEDs[0]);

    // The index is not checked here: the panel has 4 LEDs and says so.
    instance.Events().clear();
    ASSERT_EQ(WFS_SUCCESS, service.SetLEDState(99, L"quick"));
    EXPECT_EQ((std::vector<std::string>{"FatalError(CMD_TTU_SET_LED,-707)"}), Settled(instance, 1));
}

TEST_F(DisplayCommandsTest, ClearScreenAreasAndTheWholeDisplayFromTheLastStatus)
{
    PanelInstance &instance = OpenedInstance();
    CTTUService &service = instance.Service();
    // Positions are relative to the cursor, which starts at the top left.
    const std::wstring full(20, L'X');
    Submit(service, [&] { return service.Write(0, 0, L"", (full + L"\n" + full + L"\n" + full + L"\n" + full).c_str()); });
    ASSERT_EQ(full, PanelLines()[3]);

    // Areas go out as given: no width clears nothing.
    Submit(service, [&] { return service.ClearScreen(0, 0, 0, 5); });
    EXPECT_EQ(std::vector<std::wstring>(4, full), PanelLines());
    Submit(service, [&] { return service.ClearScreen(2, 1, 3, 2); });
    EXPECT_EQ(L"XX   XXXXXXXXXXXXXXX", PanelLines()[2]);
    EXPECT_EQ(full, PanelLines()[0]);

    // The whole display is the size of the last status: the statuses after
    // this change of resolution are lost, so 20 x 4 of the 40 x 2 go.
    ASSERT_EQ(0, TtuSimFailNext(TRUE, WFS_INF_TTU_STATUS, 3, WFS_ERR_TIMEOUT));
    Submit(service, [&] { return service.SelectScreenSize(40, 2); });
    const std::wstring wide(40, L'Y');
    Submit(service, [&] { return service.Write(0, 0, L"", (wide + L"\n" + wide).c_str()); });
    instance.Events().clear();
    Submit(service, [&] { return service.ClearScreen(0, 0, 0, 0); });
    EXPECT_EQ(std::wstring(20, L' ') + std::wstring(20, L'Y'), PanelLines()[1]);
    // Once a status reports the new size, all of 40 x 2 goes.
    Submit(service, [&] { return service.ClearScreen(0, 0, 0, 0); });
    EXPECT_EQ(std::vector<std::wstring>(2, std::wstring(40, L' ')), PanelLines());
    EXPECT_EQ((std::vector<std::string>{"ClearScreenComplete", "DisplaySizeXStatusChanged(40)",
                                        "DisplaySizeYStatusChanged(2)", "ClearScreenComplete"}),
              Settled(instance, 4));
}

// Positions are relative to the cursor on a device that has one, absolute on
// one without; Unicode text arrives as it is where the device takes it, in
// code-page form on one with only ASCII, not at all on one naming no
// character set (and so offering no forms). Attributes and a missing text
// change nothing of that.
TEST_F(DisplayCommandsTest, TextsAndPositionsFollowTheDevicesCharacterSetsAndCursor)
{
    std::string strAscii = ShippedPanelIni({{"Cursor=yes", "Cursor=no"},
                                            {"CharSupport=ASCII, UNICODE", "CharSupport=ASCII"},
                                            {"CharSupport=UNICODE", "CharSupport=ASCII"}});
    std::string strNone = ShippedPanelIni({{"Cursor=yes", "Cursor=no"},
                                           {"CharSupport=ASCII, UNICODE", "CharSupport="},
                                           {"Forms=yes", "Forms=no"}});
    strNone.erase(strNone.find("[Form "));
    const struct {
        std::string strIni;
        LPCWSTR lpszText;
        std::vector<std::wstring> top;
    } devices[] = {{ShippedPanelIni(), L"\u20AC\u65E5", {L"   ", L"  HELLO \u20AC\u65E5"}},
                   {strAscii, L"W\u00C4", {L" W\u00C4", L"  HELLO"}},
                   {strNone, L"W\u00C4", {L"   ", L"       "}}};
    for (const auto &device : devices) {
        ScopedPanelIni ini(device.strIni);
        ASSERT_EQ(0, TtuSimReset());
        PanelInstance &instance = OpenedInstance();
        CTTUService &service = instance.Service();
        Submit(service, [&] { return service.Write(2, 1, L"UNDERLINE|FLASHING", L"HELLO"); });
        Submit(service, [&] { return service.Write(1, 0, L"underline", device.lpszText); });
        Submit(service, [&] { return service.Write(0, 0, nullptr, nullptr); });
        EXPECT_EQ(device.top, (std::vector<std::wstring>{PanelLines()[0].substr(0, device.top[0].size()),
                                                         PanelLines()[1].substr(0, device.top[1].size())}));
        EXPECT_EQ(std::vector<std::string>(3, "WriteComplete"), Settled(instance, 3));
        ASSERT_EQ(WFS_SUCCESS, service.CloseSession());
    }
}

// Arguments refused with their lines; but the allocation comes before every
// check: a failing allocation gives -1 and only the allocation pair, even
// when the arguments are invalid too.
TEST_F(DisplayCommandsTest, ArgumentsRefusedAndFailingAllocationWinsOverThem)
{
    CTTUService &service = OpenedInstance().Service();
    // With the allocation there, invalid arguments are refused with their lines.
    TrcCaptureClear();
    EXPECT_EQ(WFS_ERR_INVALID_DATA, service.ClearScreen(-1, 0, 10, 10));
    EXPECT_EQ(WFS_ERR_INVALID_DATA, service.ClearScreen(0, 0, 0, -32768));
    EXPECT_EQ(WFS_ERR_INVALID_DATA, service.SetDisplayLight(L"BLINK"));
    EXPECT_EQ(WFS_ERR_INVALID_DATA, service.SetLEDState(1, L"FAST"));
    ASSERT_EQ(8u, CapturedTraceLines().size());
    ExpectRefusal("L0 TTU ACTIVEX ERROR CTTUService::ClearScreen Clear Screen Area is invalid "
                  "{TopLeftX[-1], TopLeftY[0], Width[10], Height[10]", "6L", -52);
    ExpectRefusal("L0 TTU ACTIVEX ERROR CTTUService::SetLEDState State[FAST]", "6N", -52, 6);

    const struct {
        const char *pszFunction;
        const char *pszLocation;
        std::function<HRESULT()> build;
    } cases[] = {
        {"Beep", "6J", [&] { return service.Beep(L"NOSUCH", 1); }},
        {"BeepOff", "6K", [&] { return service.BeepOff(); }},
        {"ClearScreen", "6L", [&] { return service.ClearScreen(-1, -1, -1, -1); }},
        {"SetDisplayLight", "6M", [&] { return service.SetDisplayLight(L"BLINK"); }},
        {"SetLEDState", "6N", [&] { return service.SetLEDState(0, L"FAST"); }},
        {"SelectScreenSize", "6O", [&] { return service.SelectScreenSize(40, 2); }},
    };
    LONG lExecutes = WFMDiagCallCount("WFSAsyncExecute");
    for (const auto &c : cases) {
        TrcCaptureClear();
        WFMDiagFailAllocation(1);
        EXPECT_EQ(-1, c.build()) << c.pszFunction;
        WFMDiagFailAllocation(0);
        ASSERT_EQ(2u, CapturedTraceLines().size()) << c.pszFunction;
        ExpectRefusal(std::string("L0 TTU ACTIVEX ERROR CTTUService::") + c.pszFunction +
                          " AllocateBuffer Failed[hResult = -42] ==> Line = ",
                      c.pszLocation, -42);
    }
    EXPECT_EQ(lExecutes, WFMDiagCallCount("WFSAsyncExecute"));
    EXPECT_EQ(0, WFMDiagLiveBufferCount());
}

// Arguments are checked before the session: a bad word while closed is -52.
TEST_F(DisplayCommandsTest, ClosedSessionStillChecksArguments)
{
    EXPECT_EQ(WFS_ERR_INVALID_DATA, AddInstance().Service().Beep(L"NOSUCH", 0));
}

} // namespace
