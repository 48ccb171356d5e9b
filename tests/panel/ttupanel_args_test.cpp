// ttupanel's command line and views, without a panel: what each verb
// accepts, how every refusal is worded, and how the panel is drawn.
#include <gtest/gtest.h>

#include "ConsoleKeys.h"
#include "PanelArguments.h"
#include "PanelCodes.h"
#include "PanelView.h"
#include "xfsttu.h"

#include <string>
#include <vector>

namespace {

CParseOutcome Parse(std::vector<std::wstring> args)
{
    return ParseArguments(args);
}

void ExpectRefused(std::vector<std::wstring> args, const std::string &strErrorPart)
{
    const CParseOutcome outcome = Parse(args);
    std::wstring strArgs;
    for (const auto &arg : args)
        strArgs += arg + L" ";
    EXPECT_FALSE(outcome.bOk) << Narrow(strArgs);
    EXPECT_NE(outcome.strError.find(strErrorPart), std::string::npos)
        << Narrow(strArgs) << " -> " << outcome.strError;
}

} // namespace

// Names in any case, FDK numbers with or without their zero; every name
// itself is checked by the round trip of PanelCodes below.
TEST(PanelArguments, PressTakesCharactersAndCommandKeyNames)
{
    const CParseOutcome outcome =
        Parse({L"press", L"1", L"a", L"enter", L"Clear", L"oem12", L"FDK1", L"FDK32", L" "});
    ASSERT_TRUE(outcome.bOk) << outcome.strError;
    EXPECT_EQ(outcome.request.verb, PanelVerb::Press);
    const std::vector<WORD> expectedCommandKeys = {0, 0, WFS_TTU_CK_ENTER, WFS_TTU_CK_CLEAR,
                                                   WFS_TTU_CK_OEM12, WFS_TTU_CK_FDK01, WFS_TTU_CK_FDK32, 0};
    ASSERT_EQ(outcome.request.keys.size(), expectedCommandKeys.size());
    for (size_t i = 0; i < expectedCommandKeys.size(); ++i)
        EXPECT_EQ(outcome.request.keys[i].wCommandKey, expectedCommandKeys[i]) << "key " << i;
    EXPECT_EQ(outcome.request.keys[0].wcKey, L'1');
    EXPECT_EQ(outcome.request.keys[1].wcKey, L'a');
    EXPECT_EQ(outcome.request.keys[2].wcKey, 0);
    EXPECT_EQ(outcome.request.keys.back().wcKey, L' ');
}

TEST(PanelArguments, PressRefusesKeysThePanelCannotHave)
{
    ExpectRefused({L"press"}, "at least one key");
    for (const wchar_t *pszKey : {L"OEM0", L"OEM13", L"FDK00", L"FDK33", L"FDK001", L"ENTERX",
                                  L"F1", L"", L"12", L"OEM", L"FDK-1"})
        ExpectRefused({L"press", L"1", pszKey}, "unknown key");
}

TEST(PanelArguments, TypeJoinsItsWordsAndRefusesNothingToType)
{
    const CParseOutcome outcome = Parse({L"type", L"hello", L"big world"});
    ASSERT_TRUE(outcome.bOk);
    EXPECT_EQ(outcome.request.strText, L"hello big world");
    ExpectRefused({L"type"}, "give the text");
    ExpectRefused({L"type", L""}, "empty");
}

// Each part takes its own words, in any case; the words themselves are
// the product's table.
TEST(PanelArguments, StatusWordsForEachPart)
{
    struct Case {
        const wchar_t *pszPart;
        const wchar_t *pszValue;
        StatusTarget target;
        WORD wExpected;
    } cases[] = {
        {L"device", L"OFFLINE", StatusTarget::Device, WFS_TTU_DEVOFFLINE},
        {L"device", L"busy", StatusTarget::Device, WFS_TTU_DEVBUSY},
        {L"keyboard", L"off", StatusTarget::Keyboard, WFS_TTU_KBDOFF},
        {L"KEYLOCK", L"na", StatusTarget::Keylock, WFS_TTU_KBDLOCKNA},
    };
    for (const Case &c : cases) {
        const CParseOutcome outcome = Parse({L"status", c.pszPart, c.pszValue});
        ASSERT_TRUE(outcome.bOk) << outcome.strError;
        EXPECT_EQ(outcome.request.statusTarget, c.target);
        EXPECT_EQ(outcome.request.wStatus, c.wExpected) << Narrow(c.pszValue);
    }
    ExpectRefused({L"status", L"device", L"on"}, "hwerror"); // lists the device words
    ExpectRefused({L"status", L"keyboard", L"online"}, "on|off|na");
    ExpectRefused({L"status", L"printer", L"on"}, "unknown part");
    ExpectRefused({L"status", L"device"}, "status device|keyboard|keylock VALUE");
    ExpectRefused({L"status", L"device", L"online", L"now"}, "status device|keyboard|keylock VALUE");
}

TEST(PanelArguments, FailNamesCodesAndResultsByNameOrNumber)
{
    CParseOutcome outcome = Parse({L"fail", L"command", L"BEEP", L"2", L"HARDWARE_ERROR"});
    ASSERT_TRUE(outcome.bOk) << outcome.strError;
    EXPECT_FALSE(outcome.request.bCategory);
    EXPECT_EQ(outcome.request.dwCode, static_cast<DWORD>(WFS_CMD_TTU_BEEP));
    EXPECT_EQ(outcome.request.nCount, 2);
    EXPECT_EQ(outcome.request.hResult, WFS_ERR_HARDWARE_ERROR);

    outcome = Parse({L"fail", L"category", L"WFS_INF_TTU_KEY_DETAIL", L"1", L"wfs_err_ttu_keyinvalid"});
    ASSERT_TRUE(outcome.bOk) << outcome.strError;
    EXPECT_TRUE(outcome.request.bCategory);
    EXPECT_EQ(outcome.request.dwCode, static_cast<DWORD>(WFS_INF_TTU_KEY_DETAIL));
    EXPECT_EQ(outcome.request.hResult, WFS_ERR_TTU_KEYINVALID);

    outcome = Parse({L"fail", L"command", L"709", L"1", L"-12345"});
    ASSERT_TRUE(outcome.bOk) << outcome.strError;
    EXPECT_EQ(outcome.request.dwCode, static_cast<DWORD>(WFS_CMD_TTU_READ));
    EXPECT_EQ(outcome.request.hResult, -12345);

    // Hexadecimal and negative decimal forms of one 32-bit code agree.
    outcome = Parse({L"fail", L"command", L"CMD_TTU_WRITE", L"1", L"0x80004005"});
    ASSERT_TRUE(outcome.bOk) << outcome.strError;
    EXPECT_EQ(outcome.request.hResult, static_cast<HRESULT>(0x80004005));
    outcome = Parse({L"fail", L"command", L"WRITE", L"1", L"-2147467259"});
    ASSERT_TRUE(outcome.bOk) << outcome.strError;
    EXPECT_EQ(outcome.request.hResult, static_cast<HRESULT>(0x80004005));

    ExpectRefused({L"fail", L"command", L"BEEP", L"0", L"TIMEOUT"}, "COUNT");
    ExpectRefused({L"fail", L"command", L"BEEP", L"two", L"TIMEOUT"}, "COUNT");
    ExpectRefused({L"fail", L"command", L"BEEP", L"1", L"NO_SUCH_ERROR"}, "HRESULT");
    ExpectRefused({L"fail", L"command", L"BEEP", L"1", L"0x1FFFFFFFF"}, "HRESULT");
    ExpectRefused({L"fail", L"command", L"STATUS", L"1", L"TIMEOUT"}, "unknown command");
    ExpectRefused({L"fail", L"category", L"BEEP", L"1", L"TIMEOUT"}, "unknown category");
    ExpectRefused({L"fail", L"command", L"711", L"1", L"TIMEOUT"}, "unknown command");
    ExpectRefused({L"fail", L"event", L"BEEP", L"1", L"TIMEOUT"}, "'command' or 'category'");
    ExpectRefused({L"fail", L"command", L"BEEP", L"1"}, "fail command|category");
}

TEST(PanelArguments, DelayAcceptsZeroAndRefusesNegativeOrHugeTimes)
{
    CParseOutcome outcome = Parse({L"delay", L"category", L"STATUS", L"250"});
    ASSERT_TRUE(outcome.bOk) << outcome.strError;
    EXPECT_TRUE(outcome.request.bCategory);
    EXPECT_EQ(outcome.request.dwCode, static_cast<DWORD>(WFS_INF_TTU_STATUS));
    EXPECT_EQ(outcome.request.dwMilliseconds, 250u);
    outcome = Parse({L"delay", L"command", L"READ", L"0"});
    ASSERT_TRUE(outcome.bOk);
    EXPECT_EQ(outcome.request.dwMilliseconds, 0u);
    ExpectRefused({L"delay", L"command", L"READ", L"-1"}, "MS");
    ExpectRefused({L"delay", L"command", L"READ", L"99999999999"}, "MS");
    ExpectRefused({L"delay", L"command", L"READ", L"1.5"}, "MS");
    ExpectRefused({L"delay", L"command", L"READ"}, "delay command|category CODE MS");
}

TEST(PanelArguments, EventsVerbsWithoutArgumentsAndUnknownVerbs)
{
    CParseOutcome outcome = Parse({L"event", L"Hardware"});
    ASSERT_TRUE(outcome.bOk);
    EXPECT_EQ(outcome.request.dwEventID, static_cast<DWORD>(WFS_SYSE_HARDWARE_ERROR));
    outcome = Parse({L"event", L"disconnect"});
    ASSERT_TRUE(outcome.bOk);
    EXPECT_EQ(outcome.request.dwEventID, static_cast<DWORD>(WFS_SYSE_APP_DISCONNECT));
    ExpectRefused({L"event", L"status"}, "hardware|disconnect");

    EXPECT_EQ(Parse({L"SHOW"}).request.verb, PanelVerb::Show);
    EXPECT_EQ(Parse({L"reset"}).request.verb, PanelVerb::Reset);
    EXPECT_EQ(Parse({L"watch"}).request.verb, PanelVerb::Watch);
    EXPECT_EQ(Parse({L"--help"}).request.verb, PanelVerb::Help);
    EXPECT_TRUE(Parse({L"/?"}).bOk);
    ExpectRefused({L"show", L"now"}, "takes no arguments");
    ExpectRefused({}, "no command");
    ExpectRefused({L"blink"}, "unknown command 'blink'");
}

TEST(PanelView, DrawsTheDisplayFramedAndEveryIndicator)
{
    TTUSIMSNAPSHOT snapshot{};
    snapshot.wDisplaySizeX = 5;
    snapshot.wDisplaySizeY = 3;
    snapshot.wNumOfLEDs = 3;
    snapshot.wLEDs[0] = WFS_TTU_LEDOFF;
    snapshot.wLEDs[1] = WFS_TTU_LEDCONTINUOUS;
    snapshot.wLEDs[2] = 0x0042; // a value with no name still shows
    snapshot.bDisplayLight = TRUE;
    snapshot.fwKeylock = WFS_TTU_KBDLOCKOFF;
    snapshot.fwKeyboard = WFS_TTU_KBDON;
    snapshot.fwDevice = WFS_TTU_DEVHWERROR;
    snapshot.bReadActive = TRUE;
    snapshot.wLastBeep = WFS_TTU_BEEPKEYPRESS;
    snapshot.wCursorX = 2;
    snapshot.wCursorY = 1;
    // A short row, a row with a control character, a row too long.
    const std::wstring strView = FormatPanel(snapshot, L"AB\nC\tD  \nEFGHIJK\n");
    const std::wstring strExpected = L"Display 5x3, cursor at 2,1\n"
                                     L"+-----+\n"
                                     L"|AB   |\n"
                                     L"|C D  |\n"
                                     L"|EFGHI|\n"
                                     L"+-----+\n"
                                     L"LEDs:          0:off 1:continuous 2:66\n"
                                     L"Display light: on\n"
                                     L"Key lock:      off\n"
                                     L"Keyboard:      on\n"
                                     L"Device:        hwerror\n"
                                     L"Read:          waiting for keys\n"
                                     L"Last beep:     0x0002\n";
    EXPECT_EQ(Narrow(strView), Narrow(strExpected));

    // A display text missing rows still gets its full frame.
    snapshot.wNumOfLEDs = 0;
    const std::wstring strShort = FormatPanel(snapshot, L"X\n");
    EXPECT_NE(strShort.find(L"|X    |\n|     |\n|     |\n+-----+"), std::wstring::npos)
        << Narrow(strShort);
    EXPECT_NE(strShort.find(L"LEDs:          none"), std::wstring::npos);
}

TEST(ConsoleKeys, TypedKeysBecomePanelKeys)
{
    auto press = [](WORD vk, WCHAR ch, DWORD state = 0) { return MapConsoleKey(TRUE, vk, ch, state); };
    EXPECT_EQ(press('7', L'7').action, WatchAction::Press);
    EXPECT_EQ(press('7', L'7').key.wcKey, L'7');
    EXPECT_EQ(press('A', L'A', SHIFT_PRESSED).key.wcKey, L'A');
    EXPECT_EQ(press(VK_RETURN, L'\r').key.wCommandKey, WFS_TTU_CK_ENTER);
    EXPECT_EQ(press(VK_F1, 0).key.wCommandKey, WFS_TTU_CK_FDK01);
    EXPECT_EQ(press(VK_F24, 0).key.wCommandKey, WFS_TTU_CK_FDK01 + 23);
    EXPECT_EQ(press(VK_F1, 0).key.wcKey, 0);

    EXPECT_EQ(press('Q', L'q').action, WatchAction::Quit);
    EXPECT_EQ(press('C', 0x03, LEFT_CTRL_PRESSED).action, WatchAction::Quit);
    EXPECT_EQ(press('C', 0x03, RIGHT_CTRL_PRESSED).action, WatchAction::Quit);

    EXPECT_EQ(MapConsoleKey(FALSE, '7', L'7', 0).action, WatchAction::Ignore); // release
    EXPECT_EQ(press(VK_SHIFT, 0, SHIFT_PRESSED).action, WatchAction::Ignore);
    EXPECT_EQ(press('X', 0x18, LEFT_CTRL_PRESSED).action, WatchAction::Ignore);
    EXPECT_EQ(press(VK_TAB, L'\t').action, WatchAction::Ignore);
}

TEST(PanelCodes, EveryCommandKeyNameRoundTrips)
{
    for (WORD wKey = WFS_TTU_CK_ENTER; wKey <= WFS_TTU_CK_FDK32; ++wKey) {
        const std::string strName = CommandKeyName(wKey);
        ASSERT_FALSE(strName.empty()) << wKey;
        WORD wParsed = 0;
        EXPECT_TRUE(FindCommandKey(std::wstring(strName.begin(), strName.end()), &wParsed)) << strName;
        EXPECT_EQ(wParsed, wKey) << strName;
    }
    EXPECT_TRUE(CommandKeyName(0).empty());
    EXPECT_TRUE(CommandKeyName(WFS_TTU_CK_FDK32 + 1).empty());
}
