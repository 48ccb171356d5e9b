#include "PanelArguments.h"

#include "PanelCodes.h"

#include <climits>
#include <cwctype>

namespace {

bool SameWord(const std::wstring &strArgument, const wchar_t *pszWord)
{
    return lstrcmpiW(strArgument.c_str(), pszWord) == 0;
}

// One argument of `press`: a single character, or a command-key name.
bool ParseKey(const std::wstring &strArgument, CPanelKey *pKey)
{
    if (strArgument.size() == 1) {
        *pKey = CPanelKey{strArgument[0], 0};
        return true;
    }
    WORD wCommandKey = 0;
    if (!FindCommandKey(strArgument, &wCommandKey))
        return false;
    *pKey = CPanelKey{0, wCommandKey};
    return true;
}

// Each verb's parser fills the request or says what is wrong.
class CArgumentReader {
public:
    explicit CArgumentReader(const std::vector<std::wstring> &args) : m_args(args) {}

    CParseOutcome Parse()
    {
        if (m_args.empty())
            return Fail("no command given");
        const std::wstring &strVerb = m_args[0];
        if (SameWord(strVerb, L"help") || SameWord(strVerb, L"-h") ||
            SameWord(strVerb, L"--help") || SameWord(strVerb, L"/?"))
            return Simple(PanelVerb::Help);
        if (SameWord(strVerb, L"show"))
            return Simple(PanelVerb::Show);
        if (SameWord(strVerb, L"reset"))
            return Simple(PanelVerb::Reset);
        if (SameWord(strVerb, L"watch"))
            return Simple(PanelVerb::Watch);
        if (SameWord(strVerb, L"gui"))
            return Simple(PanelVerb::Gui);
        if (SameWord(strVerb, L"snapshot"))
            return Snapshot();
        if (SameWord(strVerb, L"press"))
            return Press();
        if (SameWord(strVerb, L"type"))
            return Type();
        if (SameWord(strVerb, L"status"))
            return Status();
        if (SameWord(strVerb, L"fail"))
            return FailNext();
        if (SameWord(strVerb, L"delay"))
            return Delay();
        if (SameWord(strVerb, L"event"))
            return Event();
        return Fail("unknown command '" + Narrow(strVerb) + "'");
    }

private:
    CParseOutcome Simple(PanelVerb verb)
    {
        if (m_args.size() != 1)
            return Fail("'" + Narrow(m_args[0]) + "' takes no arguments");
        return Done(verb);
    }

    CParseOutcome Press()
    {
        if (m_args.size() < 2)
            return Fail("press: name at least one key");
        for (size_t i = 1; i < m_args.size(); ++i) {
            CPanelKey key{};
            if (!ParseKey(m_args[i], &key))
                return Fail("press: unknown key '" + Narrow(m_args[i]) +
                            "' (a character, ENTER, CANCEL, CLEAR, BACKSPACE, HELP, 00, 000, UP, "
                            "DOWN, LEFT, RIGHT, OEM1-OEM12 or FDK01-FDK32)");
            m_outcome.request.keys.push_back(key);
        }
        return Done(PanelVerb::Press);
    }

    // The words after `type` are typed joined by single spaces, as a shell
    // user who forgot the quotes would expect.
    CParseOutcome Type()
    {
        if (m_args.size() < 2)
            return Fail("type: give the text to type");
        std::wstring strText;
        for (size_t i = 1; i < m_args.size(); ++i) {
            if (i > 1)
                strText += L' ';
            strText += m_args[i];
        }
        if (strText.empty())
            return Fail("type: the text is empty");
        m_outcome.request.strText = strText;
        return Done(PanelVerb::Type);
    }

    CParseOutcome Status()
    {
        if (m_args.size() != 3)
            return Fail("status: use 'status device|keyboard|keylock VALUE'");
        CPanelRequest &request = m_outcome.request;
        const CCodeTable *pTable = &g_SwitchStates;
        if (SameWord(m_args[1], L"device")) {
            request.statusTarget = StatusTarget::Device;
            pTable = &g_DeviceStates;
        } else if (SameWord(m_args[1], L"keyboard")) {
            request.statusTarget = StatusTarget::Keyboard;
        } else if (SameWord(m_args[1], L"keylock")) {
            request.statusTarget = StatusTarget::Keylock;
        } else {
            return Fail("status: unknown part '" + Narrow(m_args[1]) +
                        "' (device, keyboard or keylock)");
        }
        LONG lValue = 0;
        if (!FindCode(*pTable, m_args[2], &lValue))
            return Fail("status " + Narrow(m_args[1]) + ": unknown value '" + Narrow(m_args[2]) +
                        "' (" + ListNames(*pTable) + ")");
        request.wStatus = static_cast<WORD>(lValue);
        return Done(PanelVerb::Status);
    }

    CParseOutcome FailNext()
    {
        if (m_args.size() != 5)
            return Fail("fail: use 'fail command|category CODE COUNT HRESULT'");
        if (!ReadTarget())
            return m_outcome;
        long long llCount = 0;
        if (!ParseInteger(m_args[3], &llCount) || llCount < 1 || llCount > LONG_MAX)
            return Fail("fail: COUNT must be a whole number from 1, not '" + Narrow(m_args[3]) +
                        "'");
        m_outcome.request.nCount = static_cast<LONG>(llCount);
        LONG lResult = 0;
        long long llResult = 0;
        if (FindCode(g_Results, m_args[4], &lResult)) {
            m_outcome.request.hResult = lResult;
        } else if (ParseInteger(m_args[4], &llResult) && llResult >= LONG_MIN &&
                   llResult <= static_cast<long long>(ULONG_MAX)) {
            // 0x80004005 and -2147467259 both name the same 32-bit code.
            m_outcome.request.hResult = static_cast<HRESULT>(static_cast<ULONG>(llResult));
        } else {
            return Fail("fail: HRESULT must be a number or a result name such as HARDWARE_ERROR, "
                        "not '" + Narrow(m_args[4]) + "'");
        }
        return Done(PanelVerb::Fail);
    }

    CParseOutcome Delay()
    {
        if (m_args.size() != 4)
            return Fail("delay: use 'delay command|category CODE MS'");
        if (!ReadTarget())
            return m_outcome;
        long long llMilliseconds = 0;
        if (!ParseInteger(m_args[3], &llMilliseconds) || llMilliseconds < 0 ||
            llMilliseconds > 24LL * 60 * 60 * 1000)
            return Fail("delay: MS must be a whole number of milliseconds (0 to 86400000), not '" +
                        Narrow(m_args[3]) + "'");
        m_outcome.request.dwMilliseconds = static_cast<DWORD>(llMilliseconds);
        return Done(PanelVerb::Delay);
    }

    CParseOutcome Snapshot()
    {
        if (m_args.size() != 2 || m_args[1].empty())
            return Fail("snapshot: use 'snapshot FILE.png'");
        m_outcome.request.strPath = m_args[1];
        return Done(PanelVerb::Snapshot);
    }

    CParseOutcome Event()
    {
        if (m_args.size() != 2)
            return Fail("event: use 'event " + ListNames(g_SystemEvents) + "'");
        LONG lEventID = 0;
        if (!FindCode(g_SystemEvents, m_args[1], &lEventID))
            return Fail("event: unknown event '" + Narrow(m_args[1]) + "' (" +
                        ListNames(g_SystemEvents) + ")");
        m_outcome.request.dwEventID = static_cast<DWORD>(lEventID);
        return Done(PanelVerb::Event);
    }

    // "command CODE" or "category CODE" of fail and delay, by name or number.
    bool ReadTarget()
    {
        const std::string strVerb = Narrow(m_args[0]);
        const CCodeTable *pTable = nullptr;
        if (SameWord(m_args[1], L"command")) {
            pTable = &g_Commands;
        } else if (SameWord(m_args[1], L"category")) {
            pTable = &g_Categories;
        } else {
            Fail(strVerb + ": say 'command' or 'category', not '" + Narrow(m_args[1]) + "'");
            return false;
        }
        LONG lCode = 0;
        long long llCode = 0;
        if (!FindCode(*pTable, m_args[2], &lCode)) {
            // A number is accepted only when it names a code of the table:
            // injecting into a code the panel never completes does nothing.
            if (!ParseInteger(m_args[2], &llCode) || llCode < 0 || llCode > LONG_MAX ||
                FindName(*pTable, static_cast<LONG>(llCode)) == nullptr) {
                Fail(strVerb + ": unknown " + Narrow(m_args[1]) + " '" + Narrow(m_args[2]) +
                     "' (" + ListNames(*pTable) + " or its number)");
                return false;
            }
            lCode = static_cast<LONG>(llCode);
        }
        m_outcome.request.bCategory = pTable == &g_Categories;
        m_outcome.request.dwCode = static_cast<DWORD>(lCode);
        return true;
    }

    CParseOutcome Done(PanelVerb verb)
    {
        m_outcome.bOk = true;
        m_outcome.request.verb = verb;
        return m_outcome;
    }

    CParseOutcome Fail(const std::string &strError)
    {
        m_outcome.bOk = false;
        m_outcome.strError = strError;
        return m_outcome;
    }

    const std::vector<std::wstring> &m_args;
    CParseOutcome m_outcome;
};

} // namespace

CParseOutcome ParseArguments(const std::vector<std::wstring> &args)
{
    return CArgumentReader(args).Parse();
}

const char *UsageText()
{
    return "ttupanel: the virtual operator panel, seen and driven from outside.\n"
           "\n"
           "usage: ttupanel COMMAND [ARGUMENTS]\n"
           "  show                        the display, LEDs, display light, key lock,\n"
           "                              keyboard and device status\n"
           "  watch                       live view; typed keys are pressed on the panel\n"
           "                              (Enter, Esc = CANCEL, Backspace, F1.. = FDK01..,\n"
           "                              arrows, Del = CLEAR; q or Ctrl+C leaves)\n"
           "  gui                         the panel in a window: click its keys or type them\n"
           "                              as in watch\n"
           "  snapshot FILE.png           the picture of that window, written as a PNG file\n"
           "  press KEY...                press keys: a character, or ENTER CANCEL CLEAR\n"
           "                              BACKSPACE HELP 00 000 UP DOWN LEFT RIGHT\n"
           "                              OEM1..OEM12 FDK01..FDK32\n"
           "  type TEXT...                type the characters of TEXT (words joined by spaces)\n"
           "  status device VALUE         online offline poweroff nodevice hwerror usererror busy\n"
           "  status keyboard|keylock V   on off na\n"
           "  fail command|category CODE COUNT HRESULT\n"
           "                              the next COUNT completions of CODE (BEEP, READ, ...,\n"
           "                              STATUS, KEY_DETAIL, ... or 701..710) answer HRESULT\n"
           "                              (a number or a name such as HARDWARE_ERROR)\n"
           "  delay command|category CODE MS\n"
           "                              hold every completion of CODE back MS milliseconds\n"
           "                              (0 removes the delay)\n"
           "  event hardware|disconnect   send a system event to every registered window\n"
           "  reset                       power-on state: display cleared, LEDs off, no faults\n"
           "\n"
           "exit status: 0 done, 1 the panel refused or cannot be reached, 2 bad arguments\n";
}
