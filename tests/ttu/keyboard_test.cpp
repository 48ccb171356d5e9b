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
    HRESULT StartRead(CTTUService &service, LPCWSTR lpszEcho = L"TEXT")
    {
        HRESULT hr = service.Read(0, 0, L"", lpszEcho, 8, 1, 1, 0, 10000, L"0123456789", L"CLEAR,BACKSPACE",
                                  L"ENTER CANCEL FDK01");
        if (hr == WFS_SUCCESS) {
            EXPECT_TRUE(PumpUntil([&] { return Snapshot().bReadActive != FALSE; }));
        }
        return hr;
    }
};

// Digits, the active keys editing, keys in neither list ignored, and the
// terminate key ending the read; a password read shows stars. Then a read
// cancelled with a command outstanding.
TEST_F(KeyboardTest, KeysTypedBecomeOneEventEachAndTheTextRead)
{
    PanelInstance &instance = OpenedInstance();
    CTTUService &service = instance.Service();
    ASSERT_EQ(WFS_SUCCESS, StartRead(service, L"Password"));
    ASSERT_EQ(0, TtuSimTypeText(L"12"));
    ASSERT_EQ(0, TtuSimPressKey(0, WFS_TTU_CK_CLEAR));
    ASSERT_EQ(0, TtuSimTypeText(L"98"));
    ASSERT_EQ(0, TtuSimPressKey(0, WFS_TTU_CK_BACKSPACE));
    ASSERT_EQ(0, TtuSimPressKey(L'A', 0));
    ASSERT_EQ(0, TtuSimPressKey(0, WFS_TTU_CK_FDK01 + 1));
    ASSERT_EQ(0, TtuSimTypeText(L"47"));
    ASSERT_TRUE(PumpUntil([&] { return PanelLines()[0].substr(0, 4) == L"*** "; }));
    ASSERT_EQ(0, TtuSimPressKey(0, WFS_TTU_CK_FDK01));
    EXPECT_EQ((std::vector<std::string>{"TTUKeyPressed(1,49,0)", "TTUKeyPressed(2,50,0)", "TTUKeyPressed(,0,3)",
                                        "TTUKeyPressed(9,57,0)", "TTUKeyPressed(8,56,0)", "TTUKeyPressed(,0,4)",
                                        "TTUKeyPressed(4,52,0)", "TTUKeyPressed(7,55,0)", "TTUKeyPressed(,0,24)",
                                        "ReadComplete(947)"}),
              Settled(instance, 10));
    EXPECT_TRUE(HasCapturedTraceLine("L0 TTU ACTIVEX EVENT CTTUService::DoExecuteEvent FireTTUKeyPressed(4, 52, 0)"));
    EXPECT_TRUE(HasCapturedTraceLine("L0 TTU ACTIVEX EVENT CTTUService::DoExecuteEvent FireTTUKeyPressed(, 0, 24)"));
    EXPECT_TRUE(HasCapturedTraceLine("L0 TTU ACTIVEX EVENT CTTUService::HandleRead "
                             "FireReadComplete {dwExecuteCode=709, hResult=0, Value=947}"));

    // The cancel takes every outstanding request of the session with it: a
    // beep held back by the panel is cancelled too. (The cancel key is the
    // example scenarios', time-outs the completion table's.)
    instance.Events().clear();
    ASSERT_EQ(0, TtuSimDelay(FALSE, WFS_CMD_TTU_BEEP, 2000));
    ASSERT_EQ(WFS_SUCCESS, StartRead(service));
    // The beep goes out at once, not after the read.
    LONG lExecutes = WFMDiagCallCount("WFSAsyncExecute");
    ASSERT_EQ(WFS_SUCCESS, service.Beep(L"KEYPRESS", 0));
    EXPECT_EQ(lExecutes + 1, WFMDiagCallCount("WFSAsyncExecute"));
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

} // namespace
