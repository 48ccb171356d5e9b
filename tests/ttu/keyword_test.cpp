// The tables of words the service takes from and gives to the host.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TTUKeywords.h"
#include "TTUService.h"
#include "trcutil30.h"

namespace {

TEST(RequestName, EveryRowAndTheGapsAroundThem)
{
    EXPECT_EQ(L"LOCK", CTTUService::GetRequestName(WFS_LOCK_COMPLETE, 12345));
    EXPECT_EQ(L"UNLOCK", CTTUService::GetRequestName(WFS_UNLOCK_COMPLETE, 0));
    const wchar_t *info[] = {L"INF_TTU_STATUS",     L"INF_TTU_CAPABILITIES", L"INF_TTU_FORM_LIST",
                             L"INF_TTU_QUERY_FORM", L"INF_TTU_QUERY_FIELD",  L"INF_TTU_KEY_DETAIL"};
    for (DWORD i = 0; i < 6; ++i)
        EXPECT_EQ(info[i], CTTUService::GetRequestName(WFS_GETINFO_COMPLETE, 701 + i));
    const wchar_t *commands[] = {
        L"CMD_TTU_BEEP",           L"CMD_TTU_CLEARSCREEN", L"CMD_TTU_DISPLIGHT", L"CMD_TTU_SET_LED",
        L"CMD_TTU_SET_RESOLUTION", L"CMD_TTU_WRITE_FORM",  L"CMD_TTU_READ_FORM", L"CMD_TTU_WRITE",
        L"CMD_TTU_READ",           L"CMD_TTU_RESET"};
    for (DWORD i = 0; i < 10; ++i)
        EXPECT_EQ(commands[i], CTTUService::GetRequestName(WFS_EXECUTE_COMPLETE, 701 + i));
    EXPECT_EQ(L"EXEE_TTU_FIELDERROR", CTTUService::GetRequestName(WFS_EXECUTE_EVENT, 701));
    EXPECT_EQ(L"EXEE_TTU_FIELDWARNING", CTTUService::GetRequestName(WFS_EXECUTE_EVENT, 702));
    EXPECT_EQ(L"EXEE_TTU_KEY", CTTUService::GetRequestName(WFS_EXECUTE_EVENT, 703));
    const wchar_t *system[] = {L"SYSE_UNDELIVERABLE_MSG", L"SYSE_HARDWARE_ERROR",
                               L"SYSE_VERSION_ERROR", L"SYSE_DEVICE_STATUS",
                               L"SYSE_APP_DISCONNECT"};
    for (DWORD i = 0; i < 5; ++i)
        EXPECT_EQ(system[i], CTTUService::GetRequestName(WFS_SYSTEM_EVENT, 1 + i));

    // Just outside each table, and a message that has no table.
    EXPECT_EQ(L"", CTTUService::GetRequestName(WFS_EXECUTE_COMPLETE, 711));
    EXPECT_EQ(L"", CTTUService::GetRequestName(WFS_EXECUTE_COMPLETE, 700));
    EXPECT_EQ(L"", CTTUService::GetRequestName(WFS_GETINFO_COMPLETE, 707));
    EXPECT_EQ(L"", CTTUService::GetRequestName(WFS_EXECUTE_EVENT, 704));
    EXPECT_EQ(L"", CTTUService::GetRequestName(WFS_SYSTEM_EVENT, 0));
    EXPECT_EQ(L"", CTTUService::GetRequestName(WFS_SYSTEM_EVENT, 6));
    EXPECT_EQ(L"", CTTUService::GetRequestName(WFS_OPEN_COMPLETE, 701));
}

std::string Str(LPCSTR lpsz)
{
    return lpsz ? lpsz : "(null)";
}

TEST(FieldKeywords, TablesAndTheValuesTheyDoNotKnow)
{
    EXPECT_EQ("TEXT", Str(CTTUService::GetString(0, 0)));
    EXPECT_EQ("PASSWORD", Str(CTTUService::GetString(0, 2)));
    EXPECT_EQ("(null)", Str(CTTUService::GetString(0, 3)));
    EXPECT_EQ("STATIC", Str(CTTUService::GetString(1, 1)));
    EXPECT_EQ("REQUIRED", Str(CTTUService::GetString(1, 2)));
    EXPECT_EQ("(null)", Str(CTTUService::GetString(2, 0))); // access 0
    EXPECT_EQ("READ", Str(CTTUService::GetString(2, 1)));
    EXPECT_EQ("READWRITE", Str(CTTUService::GetString(2, 3)));
    EXPECT_EQ("OVERWRITE", Str(CTTUService::GetString(3, 2)));
    EXPECT_EQ("(null)", Str(CTTUService::GetString(4, 0)));
    EXPECT_EQ("ASCII", Str(CTTUService::GetString(4, 1)));
    EXPECT_EQ("UNICODE", Str(CTTUService::GetString(4, 2)));
    EXPECT_EQ("UNICODE", Str(CTTUService::GetString(4, 3)));
    EXPECT_EQ("(null)", Str(CTTUService::GetString(4, 0x8001)));

    // Only a table number out of range is an error worth a trace.
    TrcCaptureClear();
    TrcCaptureStart();
    EXPECT_EQ(nullptr, CTTUService::GetString(1, 7));
    EXPECT_EQ(nullptr, CTTUService::GetString(5, 1));
    EXPECT_EQ(nullptr, CTTUService::GetString(-1, 1));
    TrcCaptureStop();
    DWORD cb = TrcCaptureGet(nullptr, 0);
    std::string text(cb, '\0');
    TrcCaptureGet(&text[0], cb);
    TrcCaptureClear();
    EXPECT_EQ(2u, std::count(text.begin(), text.end(), '\n') / 2) << text;
    EXPECT_NE(std::string::npos,
              text.find("L0 TTU ACTIVEX ERROR CTTUService::GetString No Matched Value\n"
                        "L0 ERRORCODE 27 6a "));
    EXPECT_NE(std::string::npos, text.find(":[5]\n"));
    EXPECT_NE(std::string::npos, text.find(":[-1]\n"));
}

TEST(CommandKeyText, NamesJoinedByCommas)
{
    const WORD keys[] = {1, 24, 55, 0};
    std::wstring str;
    EXPECT_TRUE(CTTUService::FormatCommandKeys(keys, str));
    EXPECT_EQ(L"ENTER,FDK01,FDK32", str);

    const WORD all[] = {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 23, 33, 0};
    str.clear();
    CTTUService::FormatCommandKeys(all, str);
    EXPECT_EQ(L"CANCEL,CLEAR,BACKSPACE,HELP,00,000,ARROWUP,ARROWDOWN,ARROWLEFT,ARROWRIGHT,"
              L"OEM1,OEM12,FDK10",
              str);

    // Unknown codes add nothing; an empty list gives the empty text, a
    // missing one "NoKey".
    const WORD unknown[] = {56, 1, 0xFFFF, 0};
    str.clear();
    CTTUService::FormatCommandKeys(unknown, str);
    EXPECT_EQ(L"ENTER", str);
    const WORD none[] = {0};
    str.clear();
    CTTUService::FormatCommandKeys(none, str);
    EXPECT_EQ(L"", str);
    str = L"old";
    CTTUService::FormatCommandKeys(nullptr, str);
    EXPECT_EQ(L"NoKey", str);
}

struct ParsedKeys {
    BOOL bValid;
    bool bNull;
    LONG lCount;
    std::vector<WORD> codes; // up to and including the terminating 0
};

ParsedKeys Parse(LPCWSTR lpszKeys)
{
    std::vector<WORD> array(CTTUService::MAX_COMMAND_KEYS + 1 + 4, 0xBEEF);
    LPWORD lpwKeys = array.data();
    ParsedKeys parsed{};
    parsed.lCount = -7;
    parsed.bValid = CTTUService::ParseCommandKeys(lpszKeys, &lpwKeys, &parsed.lCount);
    parsed.bNull = lpwKeys == nullptr;
    if (lpwKeys) {
        EXPECT_EQ(array.data(), lpwKeys);
        for (size_t i = 0; i < array.size() && array[i] != 0xBEEF; ++i) {
            parsed.codes.push_back(array[i]);
            if (array[i] == 0)
                break;
        }
        // Nothing beyond the array's 256 codes is ever touched.
        for (size_t i = CTTUService::MAX_COMMAND_KEYS + 1; i < array.size(); ++i)
            EXPECT_EQ(0xBEEF, array[i]);
    }
    return parsed;
}

TEST(CommandKeyList, NamesSeparatorsAndInvalidLists)
{
    ParsedKeys p = Parse(L"ENTER,CANCEL");
    EXPECT_TRUE(p.bValid);
    EXPECT_EQ((std::vector<WORD>{1, 2, 0}), p.codes);
    EXPECT_EQ(2, p.lCount);

    p = Parse(L"enter,, fdk01\nCLEAR ");
    EXPECT_TRUE(p.bValid);
    EXPECT_EQ((std::vector<WORD>{1, 24, 3, 0}), p.codes);
    EXPECT_EQ(3, p.lCount);

    p = Parse(L"oem01 OEM12 FDK32 00 000 ArrowRight ENTER ENTER");
    EXPECT_TRUE(p.bValid);
    EXPECT_EQ((std::vector<WORD>{12, 23, 55, 6, 7, 11, 1, 1, 0}), p.codes);

    // Absent: no array, the count untouched. Empty: no array, count 0.
    p = Parse(nullptr);
    EXPECT_TRUE(p.bValid);
    EXPECT_TRUE(p.bNull);
    EXPECT_EQ(-7, p.lCount);
    p = Parse(L"");
    EXPECT_TRUE(p.bValid);
    EXPECT_TRUE(p.bNull);
    EXPECT_EQ(0, p.lCount);

    // Nothing but separators.
    p = Parse(L" ,\n, ");
    EXPECT_FALSE(p.bValid);
    EXPECT_EQ(0, p.lCount);

    // An unknown name stops the list; what was known stays, terminated.
    for (LPCWSTR lpszBad : {L"ENTER;CANCEL", L"ENTER\tCANCEL", L"OEM1", L"FDK33", L"F1", L"FDK001",
                            L"OEM00", L"OEM13", L"\u00C9NTER"}) {
        p = Parse(lpszBad);
        EXPECT_FALSE(p.bValid) << lpszBad;
    }
    p = Parse(L"ENTER CLEAR HELPME CANCEL");
    EXPECT_FALSE(p.bValid);
    EXPECT_EQ((std::vector<WORD>{1, 3, 0}), p.codes);
    EXPECT_EQ(2, p.lCount);
}

// 255 names fill the array exactly; one more is refused without a write
// past it.
TEST(CommandKeyList, MoreKeysThanTheArrayHoldsAreRefused)
{
    std::wstring list;
    for (int i = 0; i < 255; ++i)
        list += i % 2 ? L"ENTER," : L"FDK07 ";
    ParsedKeys p = Parse(list.c_str());
    EXPECT_TRUE(p.bValid);
    EXPECT_EQ(255, p.lCount);
    ASSERT_EQ(256u, p.codes.size());
    EXPECT_EQ(30, p.codes[0]);
    EXPECT_EQ(0, p.codes[255]);

    list += L"CLEAR";
    p = Parse(list.c_str());
    EXPECT_FALSE(p.bValid);
    EXPECT_EQ(255, p.lCount);
    EXPECT_EQ(256u, p.codes.size());
}

TEST(Keywords, WholeWordWithoutRegardToCase)
{
    WORD w = 0;
    EXPECT_TRUE(LookupKeyword(g_BeepTypeKeywords, L"KeyPress", &w));
    EXPECT_EQ(WFS_TTU_BEEPKEYPRESS, w);
    EXPECT_TRUE(LookupKeyword(g_BeepTypeKeywords, L"critical", &w));
    EXPECT_EQ(WFS_TTU_BEEPCRITICAL, w);
    for (LPCWSTR lpszBad : {L" KEYPRESS", L"KEYPRESS ", L"", L"KEY", L"KEYPRESSES"})
        EXPECT_FALSE(LookupKeyword(g_BeepTypeKeywords, lpszBad, &w)) << lpszBad;
    EXPECT_FALSE(LookupKeyword(g_BeepTypeKeywords, nullptr, &w));

    EXPECT_EQ(0, TextAttributeFromKeyword(L"UNDERLINE|FLASHING"));
    EXPECT_EQ(WFS_TTU_TEXTINVERTED, TextAttributeFromKeyword(L"inverted"));
    EXPECT_EQ(0, TextAttributeFromKeyword(nullptr));
    EXPECT_EQ(WFS_TTU_ECHOPASSWORD, EchoModeFromKeyword(L"password"));
    EXPECT_EQ(WFS_TTU_ECHOINVISIBLE, EchoModeFromKeyword(L"Invisible"));
    EXPECT_EQ(WFS_TTU_ECHOTEXT, EchoModeFromKeyword(L"HIDDEN"));
}

TEST(StatusKeywords, DeviceKeyboardAndLEDWords)
{
    EXPECT_STREQ(L"DEVONLINE", DeviceStatusKeyword(0));
    EXPECT_STREQ(L"DEVBUSY", DeviceStatusKeyword(6));
    EXPECT_STREQ(L"FATAL", DeviceStatusKeyword(7));
    EXPECT_STREQ(L"FATAL", DeviceStatusKeyword(0xFFFF));
    EXPECT_STREQ(L"NOTAVAILABLE", KeyboardStatusKeyword(0));
    EXPECT_STREQ(L"ON", KeyboardStatusKeyword(1));
    EXPECT_STREQ(L"OFF", KeyboardStatusKeyword(2));
    EXPECT_STREQ(L"NOTAVAILABLE", KeyboardStatusKeyword(3));
    EXPECT_STREQ(L"NOTAVAILABLE", LEDStateKeyword(0));
    EXPECT_STREQ(L"MEDIUM", LEDStateKeyword(4));
    EXPECT_STREQ(L"CONTINUOUS", LEDStateKeyword(0x80));
    EXPECT_STREQ(L"", LEDStateKeyword(3));
    EXPECT_STREQ(L"", LEDStateKeyword(0x82));
}

} // namespace
