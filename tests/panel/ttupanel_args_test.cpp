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

using Args = std::vector<std::wstring>;

std::string Joined(const Args &args)
{
    std::wstring strArgs;
    for (const auto &arg : args)
        strArgs += arg + L" ";
    return Narrow(strArgs);
}

CPanelRequest Accepted(const Args &args)
{
    const CParseOutcome outcome = ParseArguments(args);
    EXPECT_TRUE(outcome.bOk) << Joined(args) << "-> " << outcome.strError;
    return outcome.request;
}

} // namespace

// Names in any case, FDK numbers with or without their zero; every name
// itself is checked by the round trip of PanelCodes below.
TEST(PanelArguments, EachVerbTakesItsArguments)
{
    const CPanelRequest press = Accepted({L"press", L"1", L"a", L"enter", L"Clear", L"oem12", L"FDK1", L"FDK32", L" "});
    EXPECT_EQ(press.verb, PanelVerb::Press);
    const std::vector<WORD> expectedCommandKeys = {0, 0, WFS_TTU_CK_ENTER, WFS_TTU_CK_CLEAR,
                                                   WFS_TTU_CK_OEM12, WFS_TTU_CK_FDK01, WFS_TTU_CK_FDK32, 0};
    ASSERT_EQ(press.keys.size(), expectedCommandKeys.size());
    for (size_t i = 0; i < expectedCommandKeys.size(); ++i)
        EXPECT_EQ(press.keys[i].wCommandKey, expectedCommandKeys[i]) << "key " << i;
    EXPECT_EQ(press.keys[0].wcKey, L'1');
    EXPECT_EQ(press.keys[1].wcKey, L'a');
    EXPECT_EQ(press.keys[2].wcKey, 0);
    EXPECT_EQ(press.keys.back().wcKey, L' ');
    EXPECT_EQ(Accepted({L"type", L"hello", L"big world"}).strText, L"hello big world");

    // Each part takes its own words, in any case.
    const struct {
        const wchar_t *pszPart, *pszValue;
        StatusTarget target;
        WORD wExpected;
    } statuses[] = {{L"device", L"OFFLINE", StatusTarget::Device, WFS_TTU_DEVOFFLINE},
                    {L"device", L"busy", StatusTarget::Device, WFS_TTU_DEVBUSY},
                    {L"keyboard", L"off", StatusTarget::Keyboard, WFS_TTU_KBDOFF},
                    {L"KEYLOCK", L"na", StatusTarget::Keylock, WFS_TTU_KBDLOCKNA}};
    for (const auto &c : statuses) {
        const CPanelRequest status = Accepted({L"status", c.pszPart, c.pszValue});
        EXPECT_EQ(status.statusTarget, c.target);
        EXPECT_EQ(status.wStatus, c.wExpected) << Narrow(c.pszValue);
    }

    // Codes and results by name or number; hexadecimal and negative decimal
    // forms of one 32-bit code agree.
    CPanelRequest fail = Accepted({L"fail", L"command", L"BEEP", L"2", L"HARDWARE_ERROR"});
    EXPECT_FALSE(fail.bCategory);
    EXPECT_EQ(fail.dwCode, static_cast<DWORD>(WFS_CMD_TTU_BEEP));
    EXPECT_EQ(fail.nCount, 2);
    EXPECT_EQ(fail.hResult, WFS_ERR_HARDWARE_ERROR);
    fail = Accepted({L"fail", L"category", L"WFS_INF_TTU_KEY_DETAIL", L"1", L"wfs_err_ttu_keyinvalid"});
    EXPECT_TRUE(fail.bCategory);
    EXPECT_EQ(fail.dwCode, static_cast<DWORD>(WFS_INF_TTU_KEY_DETAIL));
    EXPECT_EQ(fail.hResult, WFS_ERR_TTU_KEYINVALID);
    fail = Accepted({L"fail", L"command", L"709", L"1", L"-12345"});
    EXPECT_EQ(fail.dwCode, static_cast<DWORD>(WFS_CMD_TTU_READ));
    EXPECT_EQ(fail.hResult, -12345);
    EXPECT_EQ(Accepted({L"fail", L"command", L"CMD_TTU_WRITE", L"1", L"0x80004005"}).hResult,
              static_cast<HRESULT>(0x80004005));
    EXPECT_EQ(Accepted({L"fail", L"command", L"WRITE", L"1", L"-2147467259"}).hResult,
              static_cast<HRESULT>(0x80004005));

    const CPanelRequest delay = Accepted({L"delay", L"category", L"STATUS", L"250"});
    EXPECT_TRUE(delay.bCategory);
    EXPECT_EQ(delay.dwCode, static_cast<DWORD>(WFS_INF_TTU_STATUS));
    EXPECT_EQ(delay.dwMilliseconds, 250u);
    EXPECT_EQ(Accepted({L"delay", L"command", L"READ", L"0"}).dwMilliseconds, 0u);

    EXPECT_EQ(Accepted({L"event", L"Hardware"}).dwEventID, static_cast<DWORD>(WFS_SYSE_HARDWARE_ERROR));
    EXPECT_EQ(Accepted({L"event", L"disconnect"}).dwEventID, static_cast<DWORD>(WFS_SYSE_APP_DISCONNECT));
    EXPECT_EQ(Accepted({L"SHOW"}).verb, PanelVerb::Show);
    EXPECT_EQ(Accepted({L"reset"}).verb, PanelVerb::Reset);
    EXPECT_EQ(Accepted({L"watch"}).verb, PanelVerb::Watch);
    EXPECT_EQ(Accepted({L"--help"}).verb, PanelVerb::Help);
    EXPECT_EQ(Accepted({L"/?"}).verb, PanelVerb::Help);
}

// Every refusal says what is wrong.
TEST(PanelArguments, RefusalsNameWhatIsWrong)
{
    const struct {
        Args args;
        const char *pszError;
    } cases[] = {
        {{}, "no command"}, {{L"blink"}, "unknown command 'blink'"}, {{L"show", L"now"}, "takes no arguments"},
        {{L"press"}, "at least one key"}, {{L"type"}, "give the text"}, {{L"type", L""}, "empty"},
        {{L"status", L"device", L"on"}, "hwerror"}, // lists the device words
        {{L"status", L"keyboard", L"online"}, "on|off|na"}, {{L"status", L"printer", L"on"}, "unknown part"},
        {{L"status", L"device"}, "status device|keyboard|keylock VALUE"},
        {{L"status", L"device", L"online", L"now"}, "status device|keyboard|keylock VALUE"},
        {{L"fail", L"command", L"BEEP", L"0", L"TIMEOUT"}, "COUNT"},
        {{L"fail", L"command", L"BEEP", L"two", L"TIMEOUT"}, "COUNT"},
        {{L"fail", L"command", L"BEEP", L"1", L"NO_SUCH_ERROR"}, "HRESULT"},
        {{L"fail", L"command", L"BEEP", L"1", L"0x1FFFFFFFF"}, "HRESULT"},
        {{L"fail", L"command", L"STATUS", L"1", L"TIMEOUT"}, "unknown command"},
        {{L"fail", L"category", L"BEEP", L"1", L"TIMEOUT"}, "unknown category"},
        {{L"fail", L"command", L"711", L"1", L"TIMEOUT"}, "unknown command"},
        {{L"fail", L"event", L"BEEP", L"1", L"TIMEOUT"}, "'command' or 'category'"},
        {{L"fail", L"command", L"BEEP", L"1"}, "fail command|category"},
        {{L"delay", L"command", L"READ", L"-1"}, "MS"}, {{L"delay", L"command", L"READ", L"99999999999"}, "MS"},
        {{L"delay", L"command", L"READ", L"1.5"}, "MS"},
        {{L"delay", L"command", L"READ"}, "delay command|category CODE MS"},
        {{L"event", L"status"}, "hardware|disconnect"},
    };
    for (const auto &c : cases) {
        const CParseOutcome outcome = ParseArguments(c.args);
        EXPECT_FALSE(outcome.bOk) << Joined(c.args);
        EXPECT_NE(outcome.strError.find(c.pszError), std::string::npos) << Joined(c.args) << "-> " << outcome.strError;
    }
    for (const wchar_t *pszKey : {L"OEM0", L"OEM13", L"FDK00", L"FDK33", L"FDK001", L"ENTERX", L"F1", L"", L"12",
                                  L"OEM", L"FDK-1"})
        EXPECT_NE(ParseArguments({L"press", L"1", pszKey}).strError.find("unknown key"), std::string::npos)
            << Narrow(pszKey);
}

TEST(PanelView, DrawsTheDisplayFramedAndEveryIndicator)
{
    // LED 2 has a value with no name; a read is active; the last beep sounded.
    TTUSIMSNAPSHOT snapshot = {WFS_TTU_DEVHWERROR, WFS_TTU_KBDON, WFS_TTU_KBDLOCKOFF, 3,
                               {WFS_TTU_LEDOFF, WFS_TTU_LEDCONTINUOUS, 0x0042}, TRUE, WFS_TTU_BEEPKEYPRESS, FALSE,
                               TRUE, 2, 1, 5, 3, 0};
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
