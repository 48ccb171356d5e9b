// TrcUtil30.dll as the control uses it: line and record
// formats, level filtering, several processes appending to one daily file,
// and a folder that cannot be written.
#include <gtest/gtest.h>

#include <windows.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "Trace.h"
#include "TraceCapture.h"
#include "trcutil30.h"

namespace {

std::wstring LogPath()
{
    wchar_t path[MAX_PATH * 2];
    TrcGetLogPath(path, MAX_PATH * 2);
    return path;
}

// The log file's lines, read while the library may hold the file open.
std::vector<std::string> FileLines()
{
    HANDLE h = CreateFileW(LogPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    std::string text;
    char buffer[65536];
    DWORD cb = 0;
    while (h != INVALID_HANDLE_VALUE && ReadFile(h, buffer, sizeof buffer, &cb, nullptr) && cb > 0)
        text.append(buffer, cb);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line.substr(0, line.find_last_not_of('\r') + 1));
    return lines;
}

// Each test traces into a folder of its own.
class TraceLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_folder = std::wstring(temp) + L"zt-trace-test-" + std::to_wstring(GetCurrentProcessId()) +
                   L"-" + std::to_wstring(++s_counter);
        SetEnvironmentVariableW(L"ZT_TRACE_DIR", m_folder.c_str());
        SetEnvironmentVariableW(L"ZT_TRACE_LEVEL", nullptr);
        TrcReloadSettings();
        TrcCaptureClear();
        TrcCaptureStart();
    }
    void TearDown() override
    {
        TrcCaptureStop();
        TrcCaptureClear();
        DeleteFileW(LogPath().c_str());
        RemoveDirectoryW(m_folder.c_str());
        SetEnvironmentVariableW(L"ZT_TRACE_DIR", nullptr);
        SetEnvironmentVariableW(L"ZT_TRACE_LEVEL", nullptr);
        TrcReloadSettings();
    }
    std::wstring m_folder;
    static int s_counter;
};
int TraceLogTest::s_counter = 0;

TEST_F(TraceLogTest, LinesCarryEveryFieldAndFormatArguments)
{
    // Narrow text in the ANSI code page, as the control passes XFS strings.
    char narrow[64] = {};
    WideCharToMultiByte(CP_ACP, 0, L"Caf\u00e9", -1, narrow, sizeof narrow, nullptr, nullptr);
    TTU_TRACE_METHOD("Ctrl::Write", "Invoked[%S] [%s] [%d]", L"\u00c4rger \u20ac5 \u65e5\u672c",
                     narrow, -2147483647 - 1);
    TTU_TRACE(1, "INFORMATION", "CTTUService::GetLogicalName", "szLogicalName=%s", "OperatorPanel");

    std::vector<std::string> lines = CapturedTraceLines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("L0 TTU ACTIVEX METHOD Ctrl::Write Invoked[\xC3\x84rger \xE2\x82\xAC" "5 "
              "\xE6\x97\xA5\xE6\x9C\xAC] [Caf\xC3\xA9] [-2147483648]",
              lines[0]);
    EXPECT_EQ("L1 TTU ACTIVEX INFORMATION CTTUService::GetLogicalName szLogicalName=OperatorPanel",
              lines[1]);

    // The file has the same lines behind a millisecond timestamp and the
    // process and thread ids.
    std::vector<std::string> fileLines = FileLines();
    ASSERT_EQ(2u, fileLines.size());
    char ids[32];
    snprintf(ids, sizeof ids, "%08lX %08lX ", GetCurrentProcessId(), GetCurrentThreadId());
    std::regex stamp(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} [0-9A-F]{8} [0-9A-F]{8} )");
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_TRUE(std::regex_search(fileLines[i], stamp)) << fileLines[i];
        EXPECT_NE(std::string::npos, fileLines[i].find(ids)) << fileLines[i];
        EXPECT_EQ(lines[i], fileLines[i].substr(fileLines[i].size() - lines[i].size()));
    }
    EXPECT_NE(std::wstring::npos, LogPath().find(m_folder + L"\\TTU_"));
}

TEST_F(TraceLogTest, ErrorRecordsInTheirThreeFormats)
{
    TTU_TRACE_BUFFER_FAILED("CTTUService::Beep", "08", -42);
    TTU_TRACE_ALLOC_FAILED("CTTUService::Write", "21");
    TTU_ERROR_EXCEPTION("64");
    int line = __LINE__ - 3;

    const char *formats[] = {
        "L0 TTU ACTIVEX ERROR CTTUService::Beep AllocateBuffer Failed[hResult = -42] ==> Line = %d",
        "L0 ERRORCODE 27 08 %04d:[-42]",
        "L0 TTU ACTIVEX ERROR CTTUService::Write Internal memory allocation fail. ==> Line = %d",
        "L0 ERRORCODE 27 21 %04d:[NULL]", "L0 ERRORCODE 27 64 %04d:[Exception]"};
    const int lines[] = {line, line, line + 1, line + 1, line + 2};
    std::vector<std::string> captured = CapturedTraceLines();
    ASSERT_EQ(5u, captured.size());
    for (size_t i = 0; i < 5; ++i) {
        char expected[160];
        snprintf(expected, sizeof expected, formats[i], lines[i]);
        EXPECT_EQ(expected, captured[i]);
    }
}

TEST_F(TraceLogTest, MaximumLevelFiltersLines)
{
    SetEnvironmentVariableW(L"ZT_TRACE_LEVEL", L"1");
    TrcReloadSettings();
    for (int level = 0; level <= 2; ++level)
        TTU_TRACE(level, "INFORMATION", "Test::Level", "level %d", level);
    std::vector<std::string> fileLines = FileLines();
    ASSERT_EQ(2u, fileLines.size());
    EXPECT_NE(std::string::npos, fileLines[1].find("level 1"));
    EXPECT_EQ(2u, CapturedTraceLines().size());

    // A negative level silences the library entirely.
    SetEnvironmentVariableW(L"ZT_TRACE_LEVEL", L"-1");
    TrcReloadSettings();
    TTU_TRACE(0, "INFORMATION", "Test::Level", "silenced");
    EXPECT_EQ(2u, FileLines().size());
}

TEST_F(TraceLogTest, TwoProcessesAppendWholeLinesToOneFile)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring writer(self);
    writer = writer.substr(0, writer.find_last_of(L'\\') + 1) + L"trace_writer.exe";

    const int kLines = 5000;
    std::vector<PROCESS_INFORMATION> children;
    for (const wchar_t *tag : {L"A", L"B"}) {
        std::wstring cmd = L"\"" + writer + L"\" " + tag + L" " + std::to_wstring(kLines);
        STARTUPINFOW si = {sizeof si};
        PROCESS_INFORMATION pi = {};
        ASSERT_TRUE(CreateProcessW(writer.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &si, &pi));
        children.push_back(pi);
    }
    for (PROCESS_INFORMATION &pi : children) {
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 120000));
        DWORD code = 1;
        GetExitCodeProcess(pi.hProcess, &code);
        EXPECT_EQ(0u, code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }

    std::vector<std::string> lines = FileLines();
    ASSERT_EQ(static_cast<size_t>(2 * kLines), lines.size());
    std::regex whole(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} [0-9A-F]{8} [0-9A-F]{8} L0 TTU ACTIVEX INFORMATION Writer::Run writer=([AB]) line=(\d{5}) payload=abcdefghijklmnopqrstuvwxyz0123456789abcdefghijklmnopqrstuvwxyz$)");
    std::vector<int> next = {0, 0};
    for (const std::string &line : lines) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, whole)) << line;
        int writerIndex = m[1] == "A" ? 0 : 1;
        // Each writer's lines arrive in its own order, none lost or doubled.
        EXPECT_EQ(next[writerIndex]++, std::stoi(m[2]));
    }
    EXPECT_EQ(kLines, next[0]);
    EXPECT_EQ(kLines, next[1]);
}

TEST_F(TraceLogTest, UnwritableFolderLosesLinesNotTheCaller)
{
    // A folder below an existing file can never be created.
    std::wstring blocker = m_folder + L"-file";
    HANDLE h = CreateFileW(blocker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    CloseHandle(h);
    std::wstring impossible = blocker + L"\\sub";
    SetEnvironmentVariableW(L"ZT_TRACE_DIR", impossible.c_str());
    TrcReloadSettings();

    for (int i = 0; i < 1000; ++i)
        EXPECT_EQ(1, WriteTrace(0, "TTU", "ACTIVEX", "INFORMATION", "Test::Lost", "line %d", i));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(impossible.c_str()));
    // The capture still sees every line: only the file is missing.
    EXPECT_EQ(1000u, CapturedTraceLines().size());
    DeleteFileW(blocker.c_str());

    // Null arguments are survivable too.
    EXPECT_EQ(1, WriteTrace(0, nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(1, WriteErrorCode(nullptr, nullptr, nullptr));
}

} // namespace
