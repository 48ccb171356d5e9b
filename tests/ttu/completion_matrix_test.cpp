// Every completion code that a command's handler treats specially, plus one
// it does not, injected at the virtual panel, and the events (and lines)
// that reach the host. Default registry settings: what no handler treats
// specially becomes FatalError through the error policy.
#include "TTUTestSupport.h"

#include "trcutil30.h"

namespace {

struct Row {
    HRESULT hr;                      // injected; 0 means the real work
    std::vector<std::string> events; // expected, in order
    const char *pszEventLine;        // expected EVENT line of the handler, or null
};

struct Command {
    DWORD dwCode;
    const char *pszName;     // request name in the events
    const char *pszHandler;  // trace function
    std::function<HRESULT(CTTUService &)> submit;
    Row success;
    std::vector<HRESULT> fatal;  // codes the handler reports as FatalError itself
    std::vector<HRESULT> policy; // further codes left to the error policy
};

const bool kRead = true;

std::vector<Row> RowsOf(const Command &c, bool bRead)
{
    std::vector<Row> rows = {c.success};
    auto name = [&](const char *pszEvent, HRESULT hr) {
        return std::string(pszEvent) + "(" + c.pszName + "," + std::to_string(hr) + ")";
    };
    for (HRESULT hr : c.fatal)
        rows.push_back({hr, {name("FatalError", hr)}, "FireFatalError {dwExecuteCode=%d, hResult=%d}"});
    rows.push_back({WFS_ERR_HARDWARE_ERROR, {name("DeviceError", -14)},
                    "FireDeviceError {dwExecuteCode=%d, hResult=%d}"});
    std::vector<HRESULT> policy = c.policy;
    policy.push_back(WFS_ERR_DEV_NOT_READY);
    if (bRead) {
        rows.push_back({WFS_ERR_TTU_KEYCANCELED, {"UserCancelled"}, "FireUserCancelled {dwExecuteCode=%d, hResult=%d}"});
        rows.push_back({WFS_ERR_TIMEOUT, {"Timeout"}, "FireTimeout {dwExecuteCode=%d, hResult=%d}"});
        rows.push_back({WFS_ERR_CANCELED, {"ReadCancelled"}, "FireReadCancelled {dwExecuteCode=%d, hResult=%d}"});
    }
    for (HRESULT hr : policy)
        rows.push_back({hr, {name("FatalError", hr)}, nullptr});
    return rows;
}

class CompletionMatrixTest : public PanelTest {
protected:
    void Run(const Command &command, bool bRead = false)
    {
        PanelInstance &instance = m_instances.empty() ? OpenedInstance() : *m_instances.front();
        CTTUService &service = instance.Service();
        for (const Row &row : RowsOf(command, bRead)) {
            SCOPED_TRACE(std::string(command.pszName) + " answered " + std::to_string(row.hr));
            // The panel as at power-on, and the service's status in step.
            ASSERT_EQ(0, TtuSimReset());
            ASSERT_EQ(WFS_SUCCESS, service.GetInfo(WFS_INF_TTU_STATUS, nullptr, 30000));
            instance.Events().clear();
            TrcCaptureClear();
            if (row.hr != WFS_SUCCESS || bRead) {
                ASSERT_EQ(0, TtuSimFailNext(FALSE, command.dwCode, 1, row.hr));
            }
            ASSERT_EQ(WFS_SUCCESS, command.submit(service));
            EXPECT_EQ(row.events, Settled(instance, row.events.size()));
            CheckLines(command, row);
        }
    }

    // The handler's EVENT line of the row (the error policy's own line is
    // the policy test's).
    static void CheckLines(const Command &command, const Row &row)
    {
        if (!row.pszEventLine)
            return;
        char szLine[160];
        snprintf(szLine, sizeof szLine, row.pszEventLine, static_cast<int>(command.dwCode), static_cast<int>(row.hr));
        std::string strLine = std::string("L0 TTU ACTIVEX EVENT ") + command.pszHandler + " " + szLine;
        EXPECT_TRUE(HasCapturedTraceLine(strLine)) << strLine;
    }
};

// Time-outs and cancellations are the error policy's for every command but
// the reads.
const std::vector<HRESULT> kPolicy = {WFS_ERR_TIMEOUT, WFS_ERR_CANCELED, WFS_ERR_TTU_KEYCANCELED};

TEST_F(CompletionMatrixTest, DisplayCommands)
{
    Run({WFS_CMD_TTU_BEEP, "CMD_TTU_BEEP", "CTTUService::HandleBeep",
         [](CTTUService &s) { return s.Beep(L"KEYPRESS", 0); }, {0, {"BeepComplete"}, "FireBeepComplete"},
         {}, kPolicy});
    Run({WFS_CMD_TTU_CLEARSCREEN, "CMD_TTU_CLEARSCREEN", "CTTUService::HandleClearScreen",
         [](CTTUService &s) { return s.ClearScreen(0, 0, 0, 0); },
         {0, {"ClearScreenComplete"}, "FireClearScreenComplete"}, {}, {}});
    Run({WFS_CMD_TTU_DISPLIGHT, "CMD_TTU_DISPLIGHT", "CTTUService::HandleDispLight",
         [](CTTUService &s) { return s.SetDisplayLight(L"ON"); },
         {0, {"DisplayLightComplete"}, "FireDisplayLightComplete"}, {}, {}});
    // Success has no event of its own: the new state arrives through the
    // status query the handler makes.
    Run({WFS_CMD_TTU_SET_LED, "CMD_TTU_SET_LED", "CTTUService::HandleSetLed",
         [](CTTUService &s) { return s.SetLEDState(1, L"QUICK"); },
         {0, {"LEDStatusChanged(1,QUICK)"}, nullptr}, {WFS_ERR_TTU_INVALIDLED}, {}});
    Run({WFS_CMD_TTU_SET_RESOLUTION, "CMD_TTU_SET_RESOLUTION", "CTTUService::HandleSetResolution",
         [](CTTUService &s) { return s.SelectScreenSize(40, 2); },
         {0, {"DisplaySizeXStatusChanged(40)", "DisplaySizeYStatusChanged(2)"}, nullptr},
         {WFS_ERR_TTU_RESNOTSUPP}, {}});
    Run({WFS_CMD_TTU_RESET, "CMD_TTU_RESET", "CTTUService::HandleReset",
         [](CTTUService &s) { return s.Reset(); }, {0, {"ResetComplete"}, "FireResetComplete"}, {}, kPolicy});

    // ResetComplete comes after the status the reset left.
    PanelInstance &instance = *m_instances.front();
    instance.Events().clear();
    ASSERT_EQ(WFS_SUCCESS, instance.Service().SetLEDState(2, L"SLOW"));
    ASSERT_TRUE(WaitForEvents(instance, 1));
    ASSERT_EQ(WFS_SUCCESS, instance.Service().Reset());
    EXPECT_EQ((std::vector<std::string>{"LEDStatusChanged(2,SLOW)", "LEDStatusChanged(2,OFF)", "ResetComplete"}),
              Settled(instance, 3));
}

TEST_F(CompletionMatrixTest, TextAndFormCommands)
{
    Run({WFS_CMD_TTU_WRITE_FORM, "CMD_TTU_WRITE_FORM", "CTTUService::HandleWriteForm",
         [](CTTUService &s) { return s.WriteForm(L"PINENTRY", 1, L"PROMPT=Hello"); },
         {0, {"WriteFormComplete"}, "FireWriteFormComplete"}, {-711, -709, -706, -705, -704, -701}, kPolicy});
    // -709 is fatal for a form write only.
    std::vector<HRESULT> writePolicy = kPolicy;
    writePolicy.push_back(WFS_ERR_TTU_MEDIAOVERFLOW);
    Run({WFS_CMD_TTU_WRITE, "CMD_TTU_WRITE", "CTTUService::HandleWrite",
         [](CTTUService &s) { return s.Write(0, 0, L"", L"HELLO"); }, {0, {"WriteComplete"}, "FireWriteComplete"},
         {WFS_ERR_TTU_CHARSETDATA}, writePolicy});
    // A success answered without data: the read is complete, with an empty
    // text for a plain read.
    Run({WFS_CMD_TTU_READ_FORM, "CMD_TTU_READ_FORM", "CTTUService::HandleReadForm",
         [](CTTUService &s) { return s.ReadForm(L"PINENTRY", L"", 5000); },
         {0, {"ReadFormComplete"}, "FireReadFormComplete {dwExecuteCode=%d, hResult=%d}"}, {-706, -705, -704, -701},
         {}},
        kRead);
    Run({WFS_CMD_TTU_READ, "CMD_TTU_READ", "CTTUService::HandleRead",
         [](CTTUService &s) { return s.Read(0, 0, L"", L"TEXT", 4, 1, 0, 0, 5000, L"0123", L"", L"ENTER"); },
         {0, {"ReadComplete()"}, "FireReadComplete {dwExecuteCode=%d, hResult=%d, Value=}"}, {-714, -713, -712}, {}},
        kRead);
}

} // namespace
