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

// The accepted request as text: every field, whatever the verb.
std::string Accepted(const Args &args)
{
    const CParseOutcome outcome = ParseArguments(args);
    EXPECT_TRUE(outcome.bOk) << Joined(args) << "-> " << outcome.strError;
    const CPanelRequest &r = outcome.request;
    std::string strKeys;
    for (const CPanelKey &key : r.keys)
        strKeys += std::to_string(key.wcKey) + "/" + std::to_string(key.wCommandKey) + " ";
    return std::to_string(static_cast<int>(r.verb)) + " keys=" + strKeys + "text=" + Narrow(r.strText) +
           " status=" + std::to_string(static_cast<int>(r.statusTarget)) + ":" + std::to_string(r.wStatus) +
           " cat=" + std::to_string(r.bCategory) + " code=" + std::to_string(r.dwCode) + " n=" +
           std::to_string(r.nCount) + " hr=" + std::to_string(r.hResult) + " ms=" + std::to_string(r.dwMilliseconds) +
           " event=" + std::to_string(r.dwEventID);
}

} // namespace

// Names and words in any case, FDK numbers with or without their zero (every
// key name itself is checked by the round trip of PanelCodes below); codes
// and results by name or number, the hexadecimal and the negative decimal
// form of one 32-bit code alike.
TEST(PanelArguments, EachVerbTakesItsArguments)
{
    const std::string kNothing = " cat=0 code=0 n=0 hr=0 ms=0 event=0";
    const struct {
        Args args;
        std::string strExpected;
    } cases[] = {
        {{L"press", L"1", L"a", L"enter", L"Clear", L"oem12", L"FDK1", L"FDK32", L" "},
         "2 keys=49/0 97/0 0/1 0/3 0/23 0/24 0/55 32/0 text= status=0:0" + kNothing},
        {{L"type", L"hello", L"big world"}, "3 keys=text=hello big world status=0:0" + kNothing},
        {{L"status", L"device", L"OFFLINE"}, "4 keys=text= status=0:1" + kNothing},
        {{L"status", L"device", L"busy"}, "4 keys=text= status=0:6" + kNothing},
        {{L"status", L"keyboard", L"off"}, "4 keys=text= status=1:2" + kNothing},
        {{L"status", L"KEYLOCK", L"na"}, "4 keys=text= status=2:0" + kNothing},
        {{L"fail", L"command", L"BEEP", L"2", L"HARDWARE_ERROR"},
         "5 keys=text= status=0:0 cat=0 code=701 n=2 hr=-14 ms=0 event=0"},
        {{L"fail", L"category", L"WFS_INF_TTU_KEY_DETAIL", L"1", L"wfs_err_ttu_keyinvalid"},
         "5 keys=text= status=0:0 cat=1 code=706 n=1 hr=-712 ms=0 event=0"},
        {{L"fail", L"command", L"709", L"1", L"-12345"},
         "5 keys=text= status=0:0 cat=0 code=709 n=1 hr=-12345 ms=0 event=0"},
        {{L"fail", L"command", L"CMD_TTU_WRITE", L"1", L"0x80004005"},
         "5 keys=text= status=0:0 cat=0 code=708 n=1 hr=-2147467259 ms=0 event=0"},
        {{L"fail", L"command", L"WRITE", L"1", L"-2147467259"},
         "5 keys=text= status=0:0 cat=0 code=708 n=1 hr=-2147467259 ms=0 event=0"},
        {{L"delay", L"category", L"STATUS", L"250"}, "6 keys=text= status=0:0 cat=1 code=701 n=0 hr=0 ms=250 event=0"},
        {{L"delay", L"command", L"READ", L"0"}, "6 keys=text= status=0:0 cat=0 code=709 n=0 hr=0 ms=0 event=0"},
        {{L"event", L"Hardware"}, "7 keys=text= status=0:0 cat=0 code=0 n=0 hr=0 ms=0 event=2"},
        {{L"event", L"disconnect"}, "7 keys=text= status=0:0 cat=0 code=0 n=0 hr=0 ms=0 event=5"},
        {{L"SHOW"}, "1 keys=text= status=0:0" + kNothing},
        {{L"reset"}, "8 keys=text= status=0:0" + kNothing},
        {{L"watch"}, "9 keys=text= status=0:0" + kNothing},
        {{L"--help"}, "0 keys=text= status=0:0" + kNothing},
        {{L"/?"}, "0 keys=text= status=0:0" + kNothing},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.strExpected, Accepted(c.args)) << Joined(c.args);
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
