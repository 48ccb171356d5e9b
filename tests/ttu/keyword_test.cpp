// The tables of words the service takes from and gives to the host.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "TTUKeywords.h"
#include "TTUService.h"
#include "TraceCapture.h"
#include "trcutil30.h"

namespace {

// The first and last row of each table, and just outside each one.
TEST(RequestName, TableEndsAndTheGapsAroundThem)
{
    const struct {
        UINT uMsg;
        DWORD dwCode;
        const wchar_t *pszName;
    } rows[] = {
        {WFS_LOCK_COMPLETE, 12345, L"LOCK"},         {WFS_UNLOCK_COMPLETE, 0, L"UNLOCK"},
        {WFS_GETINFO_COMPLETE, 701, L"INF_TTU_STATUS"}, {WFS_GETINFO_COMPLETE, 706, L"INF_TTU_KEY_DETAIL"},
        {WFS_EXECUTE_COMPLETE, 701, L"CMD_TTU_BEEP"}, {WFS_EXECUTE_COMPLETE, 710, L"CMD_TTU_RESET"},
        {WFS_EXECUTE_EVENT, 701, L"EXEE_TTU_FIELDERROR"}, {WFS_EXECUTE_EVENT, 703, L"EXEE_TTU_KEY"},
        {WFS_SYSTEM_EVENT, 1, L"SYSE_UNDELIVERABLE_MSG"}, {WFS_SYSTEM_EVENT, 5, L"SYSE_APP_DISCONNECT"},
        {WFS_EXECUTE_COMPLETE, 711, L""}, {WFS_EXECUTE_COMPLETE, 700, L""},
        {WFS_GETINFO_COMPLETE, 707, L""}, {WFS_GETINFO_COMPLETE, 700, L""},
        {WFS_EXECUTE_EVENT, 704, L""},    {WFS_EXECUTE_EVENT, 700, L""},
        {WFS_SYSTEM_EVENT, 0, L""},       {WFS_SYSTEM_EVENT, 6, L""},
        {WFS_OPEN_COMPLETE, 701, L""},
    };
    for (const auto &row : rows)
        EXPECT_EQ(row.pszName, CTTUService::GetRequestName(row.uMsg, row.dwCode))
            << row.uMsg << " " << row.dwCode;
}

TEST(FieldKeywords, TablesAndTheValuesTheyDoNotKnow)
{
    const struct {
        int nTable;
        WORD wValue;
        const char *pszWord;
    } rows[] = {{0, 0, "TEXT"},      {0, 2, "PASSWORD"}, {0, 3, nullptr},   {1, 2, "REQUIRED"},
                {2, 0, nullptr},     {2, 3, "READWRITE"}, {3, 2, "OVERWRITE"}, {4, 0, nullptr},
                {4, 1, "ASCII"},     {4, 3, "UNICODE"},  {4, 0x8001, nullptr}, {1, 7, nullptr},
                {5, 1, nullptr},     {-1, 1, nullptr}};
    // Only a table number out of range is an error worth a trace.
    TrcCaptureClear();
    TrcCaptureStart();
    for (const auto &row : rows) {
        LPCSTR lpszWord = CTTUService::GetString(row.nTable, row.wValue);
        EXPECT_EQ(std::string(row.pszWord ? row.pszWord : "-"), lpszWord ? lpszWord : "-")
            << row.nTable << " " << row.wValue;
    }
    TrcCaptureStop();
    std::vector<std::string> lines = CapturedTraceLines();
    TrcCaptureClear();
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ(0u, lines[1].find("L0 ERRORCODE 27 6a "));
    EXPECT_EQ(":[-1]", lines[3].substr(lines[3].find(':')));
}

// Unknown codes add nothing; an empty list gives the empty text, a missing
// one "NoKey".
TEST(CommandKeyText, NamesJoinedByCommas)
{
    const WORD known[] = {1, 24, 55, 0}, more[] = {2, 12, 23, 0}, unknown[] = {56, 1, 0xFFFF, 0}, none[] = {0};
    const struct {
        const WORD *pwKeys;
        LPCWSTR lpszText;
    } cases[] = {{known, L"ENTER,FDK01,FDK32"}, {more, L"CANCEL,OEM1,OEM12"}, {unknown, L"ENTER"},
                 {none, L""}, {nullptr, L"NoKey"}};
    for (const auto &c : cases) {
        std::wstring str;
        CTTUService::FormatCommandKeys(c.pwKeys, str);
        EXPECT_EQ(c.lpszText, str);
    }
}

struct ParsedKeys {
    BOOL bValid;
    bool bNull;
    LONG lCount;
    std::vector<WORD> codes; // up to and including the terminating 0
    bool operator==(const ParsedKeys &o) const
    {
        return bValid == o.bValid && bNull == o.bNull && lCount == o.lCount && codes == o.codes;
    }
};

// Parses into an array of 256 codes followed by guards that must survive.
ParsedKeys Parse(LPCWSTR lpszKeys)
{
    std::vector<WORD> array(CTTUService::MAX_COMMAND_KEYS + 1 + 4, 0xBEEF);
    LPWORD lpwKeys = array.data();
    ParsedKeys parsed{};
    parsed.lCount = -7;
    parsed.bValid = CTTUService::ParseCommandKeys(lpszKeys, &lpwKeys, &parsed.lCount);
    parsed.bNull = lpwKeys == nullptr;
    for (size_t i = 0; lpwKeys && i < array.size() && array[i] != 0xBEEF; ++i) {
        parsed.codes.push_back(array[i]);
        if (array[i] == 0)
            break;
    }
    for (size_t i = CTTUService::MAX_COMMAND_KEYS + 1; i < array.size(); ++i)
        EXPECT_EQ(0xBEEF, array[i]);
    return parsed;
}

TEST(CommandKeyList, NamesSeparatorsInvalidAndOverlongLists)
{
    const struct {
        LPCWSTR lpszKeys;
        ParsedKeys expected;
    } cases[] = {
        {L"enter,, fdk01\nCLEAR ", {TRUE, false, 3, {1, 24, 3, 0}}},
        {L"oem01 OEM12 FDK32 00 000 ArrowRight ENTER", {TRUE, false, 7, {12, 23, 55, 6, 7, 11, 1, 0}}},
        // Absent: no array, the count untouched. Empty: no array, count 0.
        {nullptr, {TRUE, true, -7, {}}},
        {L"", {TRUE, true, 0, {}}},
        {L" ,\n, ", {FALSE, false, 0, {}}},
        // An unknown name stops the list; what was known stays, terminated.
        {L"ENTER CLEAR HELPME CANCEL", {FALSE, false, 2, {1, 3, 0}}},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_TRUE(cases[i].expected == Parse(cases[i].lpszKeys)) << "case " << i;
    for (LPCWSTR lpszBad : {L"ENTER;CANCEL", L"ENTER\tCANCEL", L"OEM1", L"FDK33", L"FDK001", L"OEM00",
                            L"OEM13", L"\u00C9NTER"})
        EXPECT_FALSE(Parse(lpszBad).bValid);

    // 255 names fill the array exactly; one more is refused.
    std::wstring list;
    for (int i = 0; i < 255; ++i)
        list += i % 2 ? L"ENTER," : L"FDK07 ";
    ParsedKeys p = Parse(list.c_str());
    EXPECT_EQ((std::tuple<BOOL, LONG, size_t, WORD>(TRUE, 255, 256u, 30)),
              std::make_tuple(p.bValid, p.lCount, p.codes.size(), p.codes[0]));
    p = Parse((list + L"CLEAR").c_str());
    EXPECT_EQ((std::tuple<BOOL, LONG, size_t>(FALSE, 255, 256u)), std::make_tuple(p.bValid, p.lCount, p.codes.size()));
}

TEST(Keywords, WholeWordWithoutRegardToCase)
{
    WORD w = 0, w2 = 0;
    EXPECT_TRUE(LookupKeyword(g_BeepTypeKeywords, L"KeyPress", &w) && LookupKeyword(g_BeepTypeKeywords, L"critical", &w2));
    EXPECT_EQ(std::make_pair(WORD(WFS_TTU_BEEPKEYPRESS), WORD(WFS_TTU_BEEPCRITICAL)), std::make_pair(w, w2));
    for (LPCWSTR lpszBad : {L" KEYPRESS", L"KEYPRESS ", L"", L"KEY", L"KEYPRESSES", static_cast<LPCWSTR>(nullptr)})
        EXPECT_FALSE(LookupKeyword(g_BeepTypeKeywords, lpszBad, &w));
    EXPECT_EQ((std::vector<WORD>{0, WFS_TTU_TEXTINVERTED, 0, WFS_TTU_ECHOPASSWORD, WFS_TTU_ECHOINVISIBLE,
                                 WFS_TTU_ECHOTEXT}),
              (std::vector<WORD>{TextAttributeFromKeyword(L"UNDERLINE|FLASHING"), TextAttributeFromKeyword(L"inverted"),
                                 TextAttributeFromKeyword(nullptr), EchoModeFromKeyword(L"password"),
                                 EchoModeFromKeyword(L"Invisible"), EchoModeFromKeyword(L"HIDDEN")}));
}

TEST(StatusKeywords, DeviceKeyboardAndLEDWordsAndTheirEnds)
{
    const struct {
        LPCWSTR (*word)(WORD);
        WORD wValue;
        const wchar_t *pszWord;
    } rows[] = {{DeviceStatusKeyword, 0, L"DEVONLINE"},      {DeviceStatusKeyword, 6, L"DEVBUSY"},
                {DeviceStatusKeyword, 7, L"FATAL"},          {DeviceStatusKeyword, 0xFFFF, L"FATAL"},
                {KeyboardStatusKeyword, 0, L"NOTAVAILABLE"}, {KeyboardStatusKeyword, 2, L"OFF"},
                {KeyboardStatusKeyword, 3, L"NOTAVAILABLE"}, {LEDStateKeyword, 0, L"NOTAVAILABLE"},
                {LEDStateKeyword, 0x80, L"CONTINUOUS"},      {LEDStateKeyword, 3, L""},
                {LEDStateKeyword, 0x82, L""}};
    for (const auto &row : rows)
        EXPECT_STREQ(row.pszWord, row.word(row.wValue)) << row.wValue;
}

} // namespace
