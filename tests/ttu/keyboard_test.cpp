// Text written to the display and keyboard reads, end to end on the virtual
// panel: keys typed, their events, the text read, and the ways a read ends.
#include "TTUTestSupport.h"

#include <algorithm>
#include <functional>

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
    EXPECT_EQ(L"4711", PanelLines()[0].substr(0, 4));
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

// The echo word reaches the panel (the words themselves are the keyword
// table's): a password read shows stars.
TEST_F(KeyboardTest, EchoModeOnTheDisplay)
{
    PanelInstance &instance = OpenedInstance();
    ASSERT_EQ(WFS_SUCCESS, StartRead(instance.Service(), L"Password"));
    ASSERT_EQ(0, TtuSimTypeText(L"123"));
    ASSERT_TRUE(PumpUntil([&] { return PanelLines()[0].substr(0, 4) == L"*** "; }));
    ASSERT_EQ(0, TtuSimPressKey(0, WFS_TTU_CK_ENTER));
    EXPECT_EQ("ReadComplete(123)", Settled(instance, 5).back());
}

// The cancel key ends the read as the user's; the time-out and the
// cancelled read are the completion table's.
TEST_F(KeyboardTest, CancelKeyAndCancelledRead)
{
    PanelInstance &instance = OpenedInstance();
    CTTUService &service = instance.Service();
    ASSERT_EQ(WFS_SUCCESS, StartRead(service));
    ASSERT_EQ(0, TtuSimPressKey(0, WFS_TTU_CK_CANCEL));
    EXPECT_EQ((std::vector<std::string>{"TTUKeyPressed(,0,2)", "UserCancelled"}), Settled(instance, 2));

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
    EXPECT_EQ(0u, lines[0].find("L0 TTU ACTIVEX ERROR CTTUService::Read Invalid ActiveCommandKeys[ , ] ==> Line = "));
    EXPECT_EQ(0u, lines[1].find("L0 ERRORCODE 27 6U "));
    EXPECT_EQ(0u, lines[2].find("L0 TTU ACTIVEX ERROR CTTUService::Read Invalid TerminateCommandKeys[ENTER\tCANCEL]"));
    EXPECT_EQ(lExecutes, WFMDiagCallCount("WFSAsyncExecute"));

    // Every allocation comes before the checks: a failing one gives -1 and
    // only the allocation pair.
    const struct {
        LONG nth;
        std::function<HRESULT()> build;
    } allocations[] = {{1, [&] { return service.Read(0, 0, L"", L"", 4, 0, 0, 0, 0, L"1", L"NOSUCH", L""); }},
                       {4, [&] { return service.Read(0, 0, L"", L"", 4, 0, 0, 0, 0, L"1", L"NOSUCH", L""); }},
                       {1, [&] { return service.Write(0, 0, L"", L"TEXT"); }},
                       {2, [&] { return service.Write(0, 0, L"", L"TEXT"); }}};
    for (const auto &a : allocations) {
        TrcCaptureClear();
        WFMDiagFailAllocation(a.nth);
        EXPECT_EQ(-1, a.build()) << a.nth;
        WFMDiagFailAllocation(0);
        ASSERT_EQ(2u, CapturedTraceLines().size()) << a.nth;
        EXPECT_NE(std::string::npos, CapturedTraceLines()[0].find("AllocateBuffer Failed[hResult = -42]"));
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
    std::vector<std::wstring> display = PanelLines();
    EXPECT_EQ(L"Gr\u00FC\u00DF \u20AC\u65E5", display[0].substr(0, 7));
    // The cursor stood after the first text: (2, 1) from there.
    EXPECT_EQ(L"AB", display[1].substr(9, 2));
}

} // namespace
