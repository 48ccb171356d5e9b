// Text written to the display and keyboard reads, end to end on the virtual
// panel: keys typed, their events, the text read, and the ways a read ends.
#include "TTUTestSupport.h"

#include <algorithm>

#include "trcutil30.h"
#include "xfsdiag.h"

namespace {

class KeyboardTest : public PanelTest {
protected:
    // A read of up to 8 digits at the top left, ended by ENTER.
    HRESULT StartRead(CTTUService &service, LPCWSTR lpszEcho = L"TEXT", DWORD dwTimeOut = 10000,
                      LPCWSTR lpszActive = L"CLEAR,BACKSPACE",
                      LPCWSTR lpszTerminate = L"ENTER CANCEL FDK01")
    {
        HRESULT hr = service.Read(0, 0, L"", lpszEcho, 8, 1, 1, 0, dwTimeOut, L"0123456789",
                                  lpszActive, lpszTerminate);
        if (hr == WFS_SUCCESS) {
            EXPECT_TRUE(PumpUntil([&] { return Snapshot().bReadActive != FALSE; }));
        }
        return hr;
    }
};

TEST_F(KeyboardTest, KeysTypedBecomeOneEventEachAndTheTextRead)
{
    PanelInstance &instance = OpenedInstance();
    ASSERT_EQ(WFS_SUCCESS, StartRead(instance.Service()));
    ASSERT_EQ(0, TtuSimTypeText(L"4711"));
    ASSERT_EQ(0, TtuSimPressKey(L'A', 0)); // not an active key: ignored
    ASSERT_EQ(0, TtuSimPressKey(0, WFS_TTU_CK_ENTER));
    EXPECT_EQ((std::vector<std::string>{"TTUKeyPressed(4,52,0)", "TTUKeyPressed(7,55,0)",
                                        "TTUKeyPressed(1,49,0)", "TTUKeyPressed(1,49,0)",
                                        "TTUKeyPressed(,0,1)", "ReadComplete(4711)"}),
              Settled(instance, 6));
    EXPECT_TRUE(HasCapturedTraceLine("L0 TTU ACTIVEX EVENT CTTUService::DoExecuteEvent FireTTUKeyPressed(4, 52, 0)"));
    EXPECT_TRUE(HasCapturedTraceLine("L0 TTU ACTIVEX EVENT CTTUService::DoExecuteEvent FireTTUKeyPressed(, 0, 1)"));
    EXPECT_TRUE(HasCapturedTraceLine("L0 TTU ACTIVEX EVENT CTTUService::HandleRead "
                             "FireReadComplete {dwExecuteCode=709, hResult=0, Value=4711}"));
    EXPECT_EQ(L"4711", Display()[0].substr(0, 4));
}

TEST_F(KeyboardTest, ActiveAndTerminateKeysAsSubmitted)
{
    PanelInstance &instance = OpenedInstance();
    ASSERT_EQ(WFS_SUCCESS, StartRead(instance.Service()));
    ASSERT_EQ(0, TtuSimTypeText(L"12"));
    ASSERT_EQ(0, TtuSimPressKey(0, WFS_TTU_CK_CLEAR)); // active: edits
    ASSERT_EQ(0, TtuSimTypeText(L"98"));
    ASSERT_EQ(0, TtuSimPressKey(0, WFS_TTU_CK_BACKSPACE));
    ASSERT_EQ(0, TtuSimPressKey(0, WFS_TTU_CK_FDK01 + 1)); // in neither list: ignored
    ASSERT_EQ(0, TtuSimPressKey(0, WFS_TTU_CK_FDK01));     // terminates
    std::vector<std::string> events = Settled(instance, 8);
    EXPECT_EQ("TTUKeyPressed(,0,3)", events[2]);
    EXPECT_EQ("TTUKeyPressed(,0,4)", events[5]);
    EXPECT_EQ("TTUKeyPressed(,0,24)", events[6]);
    EXPECT_EQ("ReadComplete(9)", events[7]);
    EXPECT_EQ(8u, events.size());
}

TEST_F(KeyboardTest, EchoModesOnTheDisplay)
{
    PanelInstance &instance = OpenedInstance();
    struct Case {
        LPCWSTR lpszEcho;
        std::wstring shown;
    };
    const Case cases[] = {{L"text", L"123 "},
                          {L"Password", L"*** "},
                          {L"INVISIBLE", L"    "},
                          {L"whatever", L"123 "}};
    for (const Case &c : cases) {
        ASSERT_EQ(0, TtuSimReset());
        ASSERT_EQ(WFS_SUCCESS, StartRead(instance.Service(), c.lpszEcho));
        instance.Events().clear();
        ASSERT_EQ(0, TtuSimTypeText(L"123"));
        // Invisible echo leaves the display as it was: wait for the three key
        // events too, so the keys have really been taken before ENTER.
        ASSERT_TRUE(PumpUntil(
            [&] {
                const std::vector<std::string> &events = instance.Events();
                return std::count_if(events.begin(), events.end(),
                                     [](const std::string &e) {
                                         return e.rfind("TTUKeyPressed", 0) == 0;
                                     }) == 3 &&
                       Display()[0].substr(0, 4) == c.shown;
            },
            2000))
            << Utf8(c.lpszEcho) << ": [" << Utf8(Display()[0].c_str()) << "]";
        instance.Events().clear();
        ASSERT_EQ(0, TtuSimPressKey(0, WFS_TTU_CK_ENTER));
        ASSERT_TRUE(WaitForEvents(instance, 2));
        EXPECT_EQ("ReadComplete(123)", instance.Events().back());
    }
}

TEST_F(KeyboardTest, CancelKeyTimeoutAndCancelledRead)
{
    PanelInstance &instance = OpenedInstance();
    CTTUService &service = instance.Service();
    ASSERT_EQ(WFS_SUCCESS, StartRead(service));
    ASSERT_EQ(0, TtuSimPressKey(0, WFS_TTU_CK_CANCEL));
    EXPECT_EQ((std::vector<std::string>{"TTUKeyPressed(,0,2)", "UserCancelled"}), Settled(instance, 2));

    instance.Events().clear();
    ASSERT_EQ(WFS_SUCCESS, StartRead(service, L"TEXT", 100));
    EXPECT_EQ((std::vector<std::string>{"Timeout"}), Settled(instance, 1));

    // The cancel takes every outstanding request of the session with it: a
    // beep held back by the panel is cancelled too.
    instance.Events().clear();
    ASSERT_EQ(0, TtuSimDelay(FALSE, WFS_CMD_TTU_BEEP, 2000));
    ASSERT_EQ(WFS_SUCCESS, StartRead(service));
    ASSERT_EQ(WFS_SUCCESS, service.Beep(L"KEYPRESS", 0));
    TrcCaptureClear();
    ASSERT_EQ(WFS_SUCCESS, service.CancelRead());
    std::vector<std::string> events = Settled(instance, 2);
    std::sort(events.begin(), events.end());
    EXPECT_EQ((std::vector<std::string>{"FatalError(CMD_TTU_BEEP,-4)", "ReadCancelled"}), events);
    EXPECT_FALSE(Snapshot().bReadActive);
    EXPECT_TRUE(CapturedTraceLinesWith("CTTUService::CancelRead").empty());
}

TEST_F(KeyboardTest, InvalidKeyListsStopTheReadBeforeItIsSubmitted)
{
    PanelInstance &instance = OpenedInstance();
    CTTUService &service = instance.Service();
    LONG lExecutes = WFMDiagCallCount("WFSAsyncExecute");
    TrcCaptureClear();
    EXPECT_EQ(WFS_ERR_INVALID_DATA,
              service.Read(0, 0, L"", L"", 4, 0, 0, 0, 0, L"1", L" , ", L"NOSUCH"));
    EXPECT_EQ(WFS_ERR_INVALID_DATA,
              service.Read(0, 0, L"", L"", 4, 0, 0, 0, 0, L"1", L"ENTER", L"ENTER\tCANCEL"));
    std::vector<std::string> lines = CapturedTraceLines();
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ(
        0u,
        lines[0].find(
            "L0 TTU ACTIVEX ERROR CTTUService::Read Invalid ActiveCommandKeys[ , ] ==> Line = "));
    EXPECT_EQ(0u, lines[1].find("L0 ERRORCODE 27 6U "));
    EXPECT_EQ(lines[0].substr(lines[0].rfind(' ') + 1),
              std::to_string(atoi(lines[1].substr(19).c_str())));
    EXPECT_EQ(
        0u,
        lines[2].find(
            "L0 TTU ACTIVEX ERROR CTTUService::Read Invalid TerminateCommandKeys[ENTER\tCANCEL]"));
    EXPECT_EQ(lExecutes, WFMDiagCallCount("WFSAsyncExecute"));

    // Every allocation comes before the checks.
    for (LONG nth = 1; nth <= 4; ++nth) {
        TrcCaptureClear();
        WFMDiagFailAllocation(nth);
        EXPECT_EQ(-1, service.Read(0, 0, L"", L"", 4, 0, 0, 0, 0, L"1", L"NOSUCH", L"")) << nth;
        WFMDiagFailAllocation(0);
        lines = CapturedTraceLines();
        ASSERT_EQ(2u, lines.size()) << nth;
        EXPECT_NE(std::string::npos,
                  lines[0].find("CTTUService::Read AllocateBuffer Failed[hResult = -42]"));
        EXPECT_EQ(0u, lines[1].find("L0 ERRORCODE 27 6U "));
    }
    for (LONG nth = 1; nth <= 2; ++nth) {
        TrcCaptureClear();
        WFMDiagFailAllocation(nth);
        EXPECT_EQ(-1, service.Write(0, 0, L"", L"TEXT")) << nth;
        WFMDiagFailAllocation(0);
        lines = CapturedTraceLines();
        ASSERT_EQ(2u, lines.size()) << nth;
        EXPECT_EQ(0u, lines[1].find("L0 ERRORCODE 27 6T "));
    }
    EXPECT_EQ(lExecutes, WFMDiagCallCount("WFSAsyncExecute"));
    EXPECT_EQ(0, WFMDiagLiveBufferCount());
}

// Attributes by keyword (one per call; anything else is plain), positions
// relative to the cursor on a panel that has one, and text in the
// character set the service takes (here Unicode, so characters beyond the
// ANSI code page arrive).
TEST_F(KeyboardTest, WriteTextAttributesAndUnicode)
{
    PanelInstance &instance = OpenedInstance();
    CTTUService &service = instance.Service();
    EXPECT_EQ(WFS_TTU_AVAILASCII | WFS_TTU_AVAILUNICODE, service.GetCharSupport());
    ASSERT_EQ(WFS_SUCCESS, service.Write(0, 0, L"underline", L"Gr\u00FC\u00DF \u20AC\u65E5"));
    ASSERT_EQ(WFS_SUCCESS, service.Write(2, 1, L"UNDERLINE|FLASHING", L"AB"));
    ASSERT_EQ(WFS_SUCCESS, service.Write(0, 0, nullptr, nullptr));
    EXPECT_EQ((std::vector<std::string>{"WriteComplete", "WriteComplete", "WriteComplete"}),
              Settled(instance, 3));
    std::vector<std::wstring> display = Display();
    EXPECT_EQ(L"Gr\u00FC\u00DF \u20AC\u65E5", display[0].substr(0, 7));
    // The cursor stood after the first text: (2, 1) from there.
    EXPECT_EQ(L"AB", display[1].substr(9, 2));
}

} // namespace
