// Every completion code that a command's handler treats specially, plus one
// it does not, injected at the virtual panel, and the events (and lines)
// that reach the host. Default registry settings: what no handler treats
// specially becomes FatalError through the error policy.
#include "TTUTestSupport.h"

namespace {

struct Command {
    DWORD dwCode;
    const char *pszName;     // request name in the events
    const char *pszHandler;  // trace function
    const char *pszLocation; // error record
    std::function<HRESULT(CTTUService &)> submit;
};

struct Row {
    HRESULT hr;                      // injected; 0 means the real work
    std::vector<std::string> events; // expected, in order
    const char *pszEventLine;        // expected EVENT line of the handler, or null
};

class CompletionMatrixTest : public PanelTest {
protected:
    void Run(const Command &command, const std::vector<Row> &rows)
    {
        PanelInstance &instance = OpenedInstance();
        CTTUService &service = instance.Service();
        for (const Row &row : rows) {
            SCOPED_TRACE(std::string(command.pszName) + " answered " + std::to_string(row.hr));
            // The panel as at power-on, and the service's status in step.
            ASSERT_EQ(0, TtuSimReset());
            ASSERT_EQ(WFS_SUCCESS, service.GetInfo(WFS_INF_TTU_STATUS, nullptr, 30000));
            instance.m_sink.Clear();
            ClearTrace();
            if (row.hr != WFS_SUCCESS || IsRead(command.dwCode)) {
                ASSERT_EQ(0, TtuSimFailNext(FALSE, command.dwCode, 1, row.hr));
            }
            ASSERT_EQ(WFS_SUCCESS, command.submit(service));
            WaitIdle();
            EXPECT_EQ(row.events, instance.m_sink.m_events);
            CheckLines(command, row);
        }
    }

    static bool IsRead(DWORD dwCode)
    {
        return dwCode == WFS_CMD_TTU_READ || dwCode == WFS_CMD_TTU_READ_FORM;
    }

    void CheckLines(const Command &command, const Row &row)
    {
        std::string strHandler = std::string("L0 TTU ACTIVEX EVENT ") + command.pszHandler + " ";
        if (row.pszEventLine) {
            char szLine[160];
            snprintf(szLine, sizeof szLine, row.pszEventLine, static_cast<int>(command.dwCode),
                     static_cast<int>(row.hr));
            EXPECT_TRUE(HasTraceLine(strHandler + szLine)) << strHandler + szLine;
        }
        std::vector<std::string> errors = TraceLinesWith(" DoErrorStatus ==> Line = ");
        bool bPolicy =
            row.events.size() == 1 && row.events[0].find("FatalError(") == 0 && !row.pszEventLine;
        if (!bPolicy) {
            EXPECT_TRUE(errors.empty());
            return;
        }
        // Through the error policy: the handler's ERROR line and record,
        // then the policy's EVENT line.
        std::vector<std::string> lines = TraceLines();
        auto it = std::find_if(lines.begin(), lines.end(), [&](const std::string &l) {
            return l.find(std::string("ERROR ") + command.pszHandler +
                          " DoErrorStatus ==> Line = ") != std::string::npos;
        });
        ASSERT_TRUE(it != lines.end() && it + 2 < lines.end());
        int nLine = atoi(it->substr(it->rfind(' ') + 1).c_str());
        char szRecord[64];
        snprintf(szRecord, sizeof szRecord, "L0 ERRORCODE 27 %s %04d:[%d]", command.pszLocation,
                 nLine, static_cast<int>(row.hr));
        EXPECT_EQ(szRecord, *(it + 1));
        EXPECT_EQ(
            std::string("L0 TTU ACTIVEX EVENT CTTUService::DoErrorStatus FireFatalError{Command[") +
                command.pszName + "], hResult[" + std::to_string(row.hr) + "]}",
            *(it + 2));
    }

    // The rows every handler has: hardware error, and a code it leaves to
    // the error policy.
    static void AddCommonRows(const Command &c, std::vector<Row> &rows)
    {
        rows.push_back({WFS_ERR_HARDWARE_ERROR,
                        {std::string("DeviceError(") + c.pszName + ",-14)"},
                        "FireDeviceError {dwExecuteCode=%d, hResult=%d}"});
        rows.push_back(
            {WFS_ERR_DEV_NOT_READY, {std::string("FatalError(") + c.pszName + ",-13)"}, nullptr});
    }
    static Row Fatal(const Command &c, HRESULT hr)
    {
        return {hr,
                {std::string("FatalError(") + c.pszName + "," + std::to_string(hr) + ")"},
                "FireFatalError {dwExecuteCode=%d, hResult=%d}"};
    }
    // Time-outs and cancellations are the error policy's for every command
    // but the reads.
    static void AddPolicyRows(const Command &c, std::vector<Row> &rows)
    {
        for (HRESULT hr : {WFS_ERR_TIMEOUT, WFS_ERR_CANCELED, WFS_ERR_TTU_KEYCANCELED})
            rows.push_back(
                {hr,
                 {std::string("FatalError(") + c.pszName + "," + std::to_string(hr) + ")"},
                 nullptr});
    }
    static void AddReadRows(std::vector<Row> &rows)
    {
        rows.push_back({WFS_ERR_TTU_KEYCANCELED,
                        {"UserCancelled"},
                        "FireUserCancelled {dwExecuteCode=%d, hResult=%d}"});
        rows.push_back(
            {WFS_ERR_TIMEOUT, {"Timeout"}, "FireTimeout {dwExecuteCode=%d, hResult=%d}"});
        rows.push_back({WFS_ERR_CANCELED,
                        {"ReadCancelled"},
                        "FireReadCancelled {dwExecuteCode=%d, hResult=%d}"});
    }
};

TEST_F(CompletionMatrixTest, Beep)
{
    Command c = {WFS_CMD_TTU_BEEP, "CMD_TTU_BEEP", "CTTUService::HandleBeep", "6o",
                 [](CTTUService &s) { return s.Beep(L"KEYPRESS", 0); }};
    std::vector<Row> rows = {{0, {"BeepComplete"}, "FireBeepComplete"}};
    AddCommonRows(c, rows);
    AddPolicyRows(c, rows);
    Run(c, rows);
}

TEST_F(CompletionMatrixTest, ClearScreen)
{
    Command c = {WFS_CMD_TTU_CLEARSCREEN, "CMD_TTU_CLEARSCREEN", "CTTUService::HandleClearScreen",
                 "6p", [](CTTUService &s) { return s.ClearScreen(0, 0, 0, 0); }};
    std::vector<Row> rows = {{0, {"ClearScreenComplete"}, "FireClearScreenComplete"}};
    AddCommonRows(c, rows);
    Run(c, rows);
}

TEST_F(CompletionMatrixTest, DisplayLight)
{
    Command c = {WFS_CMD_TTU_DISPLIGHT, "CMD_TTU_DISPLIGHT", "CTTUService::HandleDispLight", "6q",
                 [](CTTUService &s) { return s.SetDisplayLight(L"ON"); }};
    std::vector<Row> rows = {{0, {"DisplayLightComplete"}, "FireDisplayLightComplete"}};
    AddCommonRows(c, rows);
    Run(c, rows);
}

// Success has no event of its own: the LED's new state arrives through the
// status query the handler makes.
TEST_F(CompletionMatrixTest, SetLed)
{
    Command c = {WFS_CMD_TTU_SET_LED, "CMD_TTU_SET_LED", "CTTUService::HandleSetLed", "6r",
                 [](CTTUService &s) { return s.SetLEDState(1, L"QUICK"); }};
    std::vector<Row> rows = {{0, {"LEDStatusChanged(1,QUICK)"}, nullptr},
                             Fatal(c, WFS_ERR_TTU_INVALIDLED)};
    AddCommonRows(c, rows);
    Run(c, rows);
}

TEST_F(CompletionMatrixTest, SetResolution)
{
    Command c = {WFS_CMD_TTU_SET_RESOLUTION, "CMD_TTU_SET_RESOLUTION",
                 "CTTUService::HandleSetResolution", "6s",
                 [](CTTUService &s) { return s.SelectScreenSize(40, 2); }};
    std::vector<Row> rows = {
        {0, {"DisplaySizeXStatusChanged(40)", "DisplaySizeYStatusChanged(2)"}, nullptr},
        Fatal(c, WFS_ERR_TTU_RESNOTSUPP)};
    AddCommonRows(c, rows);
    Run(c, rows);
}

TEST_F(CompletionMatrixTest, WriteForm)
{
    Command c = {WFS_CMD_TTU_WRITE_FORM, "CMD_TTU_WRITE_FORM", "CTTUService::HandleWriteForm", "6t",
                 [](CTTUService &s) { return s.WriteForm(L"PINENTRY", 1, L"PROMPT=Hello"); }};
    std::vector<Row> rows = {{0, {"WriteFormComplete"}, "FireWriteFormComplete"}};
    for (HRESULT hr : {-711, -709, -706, -705, -704, -701})
        rows.push_back(Fatal(c, hr));
    AddCommonRows(c, rows);
    AddPolicyRows(c, rows);
    Run(c, rows);
}

// A success answered without data: the read is complete, nothing stored.
TEST_F(CompletionMatrixTest, ReadForm)
{
    Command c = {WFS_CMD_TTU_READ_FORM, "CMD_TTU_READ_FORM", "CTTUService::HandleReadForm", "6u",
                 [](CTTUService &s) { return s.ReadForm(L"PINENTRY", L"", 5000); }};
    std::vector<Row> rows = {
        {0, {"ReadFormComplete"}, "FireReadFormComplete {dwExecuteCode=%d, hResult=%d}"}};
    for (HRESULT hr : {-706, -705, -704, -701})
        rows.push_back(Fatal(c, hr));
    AddReadRows(rows);
    AddCommonRows(c, rows);
    Run(c, rows);
}

TEST_F(CompletionMatrixTest, Write)
{
    Command c = {WFS_CMD_TTU_WRITE, "CMD_TTU_WRITE", "CTTUService::HandleWrite", "6v",
                 [](CTTUService &s) { return s.Write(0, 0, L"", L"HELLO"); }};
    std::vector<Row> rows = {{0, {"WriteComplete"}, "FireWriteComplete"},
                             Fatal(c, WFS_ERR_TTU_CHARSETDATA)};
    AddCommonRows(c, rows);
    // -709 is fatal for a form write only.
    rows.push_back({WFS_ERR_TTU_MEDIAOVERFLOW, {"FatalError(CMD_TTU_WRITE,-709)"}, nullptr});
    AddPolicyRows(c, rows);
    Run(c, rows);
}

// A success answered without data reads as an empty text.
TEST_F(CompletionMatrixTest, Read)
{
    Command c = {WFS_CMD_TTU_READ, "CMD_TTU_READ", "CTTUService::HandleRead", "6w",
                 [](CTTUService &s) {
                     return s.Read(0, 0, L"", L"TEXT", 4, 1, 0, 0, 5000, L"0123", L"", L"ENTER");
                 }};
    std::vector<Row> rows = {
        {0, {"ReadComplete()"}, "FireReadComplete {dwExecuteCode=%d, hResult=%d, Value=}"}};
    for (HRESULT hr : {-714, -713, -712})
        rows.push_back(Fatal(c, hr));
    AddReadRows(rows);
    AddCommonRows(c, rows);
    Run(c, rows);
}

// ResetComplete comes after the status the reset left.
TEST_F(CompletionMatrixTest, Reset)
{
    Command c = {WFS_CMD_TTU_RESET, "CMD_TTU_RESET", "CTTUService::HandleReset", "6x",
                 [](CTTUService &s) { return s.Reset(); }};
    std::vector<Row> rows = {{0, {"ResetComplete"}, "FireResetComplete"}};
    AddCommonRows(c, rows);
    AddPolicyRows(c, rows);
    Run(c, rows);
}

TEST_F(CompletionMatrixTest, ResetReportsTheStatusItLeftBeforeItsCompletion)
{
    PanelInstance &instance = OpenedInstance();
    CTTUService &service = instance.Service();
    ASSERT_EQ(WFS_SUCCESS, service.SetLEDState(2, L"SLOW"));
    WaitIdle();
    instance.m_sink.Clear();
    ASSERT_EQ(WFS_SUCCESS, service.Reset());
    WaitIdle();
    EXPECT_EQ((std::vector<std::string>{"LEDStatusChanged(2,OFF)", "ResetComplete"}),
              instance.m_sink.m_events);
}

} // namespace
