// terminal.exe: a small terminal application on the operator panel, as a C++
// host of the ZTOperatorPanelX control.
//
//   terminal.exe [READ-TIMEOUT-MS]
//
// It opens the session, lights the LEDs, reads a PIN with hidden echo, offers
// an amount on the function keys, shows the choice in the TRANSFER form and
// closes the session, printing every event of the control as it arrives.
// The last line is "terminal: finished" and the exit code 0 when it ran to
// its end; anything else prints "terminal: FAILED ..." and exits 1.
//
// The control is used the way any automation host uses it: created by ProgID
// with CoCreateInstance, called late-bound through IDispatch (GetIDsOfNames
// and Invoke, see Automation.cpp), its events received by an IDispatch sink
// advised on its connection point (EventPrinter.cpp). The thread is a
// single-threaded apartment that dispatches its messages while it waits:
// every completion reaches the control as a window message.
#include "Automation.h"
#include "EventPrinter.h"

#include <cstdlib>
#include <stdexcept>

namespace terminal {
namespace {

const wchar_t kProgID[] = L"ZTOPERATORPANELX.ZTOperatorPanelXCtrl.1";
// A command completes within the control's own 30 s time-out; a read may
// take the whole time the operator is given.
const DWORD kCommandWait = 35000;

struct Position {
    long x, y;
};

class Terminal {
public:
    Terminal(IDispatch *pControl, long lReadTimeout) : m_panel(pControl), m_lReadTimeout(lReadTimeout) {}

    void Run()
    {
        m_events.Connect(m_panel.get());
        Issue(L"OpenSessionSync", m_panel.CallLong(L"OpenSessionSync", {30000}));
        Say("device " + Utf8(m_panel.Get(L"DeviceStatus").AsText()) + ", display " +
            std::to_string(m_panel.Get(L"DisplaySizeX").AsLong()) + "x" +
            std::to_string(m_panel.Get(L"DisplaySizeY").AsLong()) + ", " +
            std::to_string(m_panel.Get(L"NumOfLEDs").AsLong()) + " LEDs");
        // An LED command has no completion event of its own: a change shows
        // as LEDStatusChanged, a failure as DeviceError or FatalError.
        Issue(L"SetLEDState 0", m_panel.CallLong(L"SetLEDState", {0, L"CONTINUOUS"}));

        const std::wstring strAmount = ServeCustomer();
        if (!strAmount.empty()) {
            Say("amount chosen: " + Utf8(strAmount));
            Command(L"WriteForm TRANSFER",
                    m_panel.CallLong(L"WriteForm", {L"TRANSFER", 1,
                                                    L"ACCOUNT=4711000042,AMOUNT=" + strAmount + L",NOTE=THANK YOU"}),
                    L"WriteFormComplete");
        } else {
            Say("cancelled by the customer");
            Command(L"WriteForm GREETING", m_panel.CallLong(L"WriteForm", {L"GREETING", 1, L"LINE1=GOODBYE"}),
                    L"WriteFormComplete");
        }
        Issue(L"CloseSessionSync", m_panel.CallLong(L"CloseSessionSync"));
        m_events.Disconnect();
    }

    // The session is shared by every control of the process; leave it closed.
    void Abandon()
    {
        try {
            m_panel.Call(L"CloseSessionSync");
        } catch (const std::exception &) {
        }
        m_events.Disconnect();
    }

private:
    // Returns the amount chosen, or "" when the customer cancelled.
    std::wstring ServeCustomer()
    {
        Position at = ShowScreen(L"ZT BANK\nENTER PIN: ");
        Issue(L"SetLEDState 1", m_panel.CallLong(L"SetLEDState", {1, L"SLOW"}));
        m_events.HideKeys(true);
        std::wstring strOutcome =
            ReadKeys(at, L"PASSWORD", 6, L"0123456789", L"CLEAR,BACKSPACE", L"ENTER,CANCEL");
        m_events.HideKeys(false);
        if (strOutcome == L"UserCancelled")
            return L"";
        Say("PIN entered");

        at = ShowScreen(L"SELECT AMOUNT\nF1  20.00 F2  50.00\nF3 100.00\nCANCEL TO END ");
        strOutcome = ReadKeys(at, L"TEXT", 0, L"", L"", L"FDK01,FDK02,FDK03,CANCEL");
        Issue(L"SetLEDState 1", m_panel.CallLong(L"SetLEDState", {1, L"OFF"}));
        if (strOutcome == L"UserCancelled")
            return L"";
        switch (m_events.LastCommandKey()) { // FDK01..FDK03
        case 24: return L"20.00";
        case 25: return L"50.00";
        case 26: return L"100.00";
        default: throw std::runtime_error("the read ended without a function key");
        }
    }

    // On a panel with a cursor the control places text relative to the
    // cursor, elsewhere at absolute positions. Each screen is therefore
    // written in one piece onto a cleared display (which puts the cursor at
    // 0,0), and input is read where the screen's text ended: offset 0,0 from
    // the cursor, or that end as an absolute position.
    Position ShowScreen(const std::wstring &strText)
    {
        Command(L"ClearScreen", m_panel.CallLong(L"ClearScreen", {0, 0, 0, 0}), L"ClearScreenComplete");
        Command(L"Write", m_panel.CallLong(L"Write", {0, 0, L"", strText}), L"WriteComplete");
        if (m_panel.Get(L"CanSupportCursor").AsLong() != 0)
            return Position{0, 0};
        const size_t uLastLine = strText.rfind(L'\n') + 1; // 0 when there is one line
        long lRow = 0;
        for (wchar_t ch : strText)
            lRow += ch == L'\n';
        return Position{static_cast<long>(strText.size() - uLastLine), lRow};
    }

    // The cursor is on and the keyboard flushed, so that keys pressed before
    // the prompt do not count; a terminate key ends the read (no AutoEnd).
    // Flags are passed as 1 or 0: the type library declares them long, and
    // a Boolean true would arrive as -1.
    std::wstring ReadKeys(Position at, const wchar_t *pszEcho, long lLength, const wchar_t *pszActiveKeys,
                          const wchar_t *pszActiveCommandKeys, const wchar_t *pszTerminateKeys)
    {
        Issue(std::wstring(L"Read ") + pszEcho,
              m_panel.CallLong(L"Read", {at.x, at.y, L"UNDERLINE", pszEcho, lLength, 1, 1, 0, m_lReadTimeout,
                                         pszActiveKeys, pszActiveCommandKeys, pszTerminateKeys}));
        return m_events.WaitFor({L"ReadComplete", L"UserCancelled"}, static_cast<DWORD>(m_lReadTimeout) + 5000);
    }

    // A method's result only says whether the request was accepted (0); its
    // outcome is the event.
    static void Issue(const std::wstring &strWhat, long lResult)
    {
        Say(Utf8(strWhat) + " -> " + std::to_string(lResult));
        if (lResult != 0)
            throw std::runtime_error(Utf8(strWhat) + " refused with " + std::to_string(lResult));
    }

    void Command(const std::wstring &strWhat, long lResult, const wchar_t *pszCompletion)
    {
        Issue(strWhat, lResult);
        m_events.WaitFor({pszCompletion}, kCommandWait);
    }

    static void Say(const std::string &strLine) { EventPrinter::PrintLine(strLine); }

    DispatchObject m_panel;
    EventPrinter m_events;
    long m_lReadTimeout;
};

int Main(int argc, char **argv)
{
    const long lReadTimeout = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 20000;
    IDispatch *pControl = nullptr;
    try {
        pControl = DispatchObject::Create(kProgID);
    } catch (const std::exception &e) {
        EventPrinter::PrintLine(std::string("terminal: FAILED ") + e.what());
        return 1;
    }
    Terminal terminal(pControl, lReadTimeout);
    try {
        terminal.Run();
    } catch (const std::exception &e) {
        EventPrinter::PrintLine(std::string("terminal: FAILED ") + e.what());
        terminal.Abandon();
        return 1;
    }
    EventPrinter::PrintLine("terminal: finished");
    return 0;
}

} // namespace
} // namespace terminal

int main(int argc, char **argv)
{
    // The control lives in this thread's single-threaded apartment.
    if (FAILED(OleInitialize(nullptr))) {
        terminal::EventPrinter::PrintLine("terminal: FAILED OleInitialize");
        return 1;
    }
    const int nExit = terminal::Main(argc, argv);
    OleUninitialize();
    return nExit;
}
