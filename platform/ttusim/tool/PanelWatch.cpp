#include "PanelWatch.h"

#include "ConsoleKeys.h"
#include "ConsoleText.h"
#include "PanelActions.h"
#include "PanelView.h"
#include "xfsttu.h"

#include <string>

namespace {

// Checking the change count this often keeps the view current without
// busy-waiting; typed keys wake the loop at once.
const DWORD kPollMilliseconds = 50;

const wchar_t kFooter[] =
    L"\nKeys: characters, Enter, Esc=CANCEL, Backspace, Del=CLEAR, arrows, F1..F24=FDK01..FDK24."
    L"  q or Ctrl+C leaves.\n";

// Puts the console's input into raw mode for the life of the object: every
// key arrives as a record, Ctrl+C included, and nothing is echoed.
class CRawConsoleInput {
public:
    explicit CRawConsoleInput(HANDLE hInput) : m_hInput(hInput)
    {
        m_bConsole = GetConsoleMode(hInput, &m_dwSavedMode) != FALSE;
        if (m_bConsole)
            SetConsoleMode(hInput, m_dwSavedMode & ~(ENABLE_PROCESSED_INPUT | ENABLE_LINE_INPUT |
                                                     ENABLE_ECHO_INPUT));
    }
    ~CRawConsoleInput()
    {
        if (m_bConsole)
            SetConsoleMode(m_hInput, m_dwSavedMode);
    }
    CRawConsoleInput(const CRawConsoleInput &) = delete;
    CRawConsoleInput &operator=(const CRawConsoleInput &) = delete;

    bool IsConsole() const { return m_bConsole; }

private:
    HANDLE m_hInput;
    DWORD m_dwSavedMode = 0;
    bool m_bConsole = false;
};

// Redraws from the top left of the console window; when the output is not a
// console (redirected), each frame is simply appended.
void Redraw(HANDLE hOutput, const std::wstring &strFrame)
{
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(hOutput, &info)) {
        const COORD origin = {0, 0};
        const DWORD dwCells = static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y);
        DWORD dwWritten = 0;
        FillConsoleOutputCharacterW(hOutput, L' ', dwCells, origin, &dwWritten);
        FillConsoleOutputAttribute(hOutput, info.wAttributes, dwCells, origin, &dwWritten);
        SetConsoleCursorPosition(hOutput, origin);
    }
    WriteText(hOutput, strFrame);
}

class CPanelWatcher {
public:
    CPanelWatcher(HANDLE hInput, HANDLE hOutput) : m_hInput(hInput), m_hOutput(hOutput) {}

    int Run()
    {
        for (;;) {
            if (!RedrawIfChanged())
                return kExitRefused;
            if (WaitForSingleObject(m_hInput, kPollMilliseconds) != WAIT_OBJECT_0)
                continue;
            if (!HandleInput())
                return kExitDone;
        }
    }

private:
    bool RedrawIfChanged()
    {
        TTUSIMSNAPSHOT snapshot{};
        std::wstring strDisplay;
        const LONG lResult = ReadPanel(&snapshot, &strDisplay);
        if (lResult != WFS_SUCCESS) {
            WriteText(GetStdHandle(STD_ERROR_HANDLE),
                      "ttupanel: cannot read the panel: " + DescribeResult(lResult) + "\n");
            return false;
        }
        if (m_bDrawn && snapshot.dwChangeCount == m_dwShownChange && !m_bMessageChanged)
            return true;
        std::wstring strFrame = FormatPanel(snapshot, strDisplay) + kFooter;
        if (!m_strMessage.empty())
            strFrame += m_strMessage + L"\n";
        Redraw(m_hOutput, strFrame);
        m_bDrawn = true;
        m_bMessageChanged = false;
        m_dwShownChange = snapshot.dwChangeCount;
        return true;
    }

    // False when the user asked to leave.
    bool HandleInput()
    {
        INPUT_RECORD records[32];
        DWORD dwRead = 0;
        if (!ReadConsoleInputW(m_hInput, records, ARRAYSIZE(records), &dwRead))
            return false;
        for (DWORD i = 0; i < dwRead; ++i) {
            if (records[i].EventType != KEY_EVENT)
                continue;
            const KEY_EVENT_RECORD &event = records[i].Event.KeyEvent;
            const CWatchKey watchKey =
                MapConsoleKey(event.bKeyDown, event.wVirtualKeyCode, event.uChar.UnicodeChar,
                              event.dwControlKeyState);
            if (watchKey.action == WatchAction::Quit)
                return false;
            if (watchKey.action == WatchAction::Press)
                Press(watchKey.key);
        }
        return true;
    }

    void Press(const CPanelKey &key)
    {
        std::string strError;
        const std::wstring strMessage = PressKey(key, &strError) == WFS_SUCCESS
                                            ? L""
                                            : std::wstring(strError.begin(), strError.end());
        m_bMessageChanged = m_bMessageChanged || strMessage != m_strMessage;
        m_strMessage = strMessage;
    }

    HANDLE m_hInput;
    HANDLE m_hOutput;
    bool m_bDrawn = false;
    DWORD m_dwShownChange = 0;
    std::wstring m_strMessage; // the last refusal, shown under the frame
    bool m_bMessageChanged = false;
};

} // namespace

int RunWatch()
{
    const HANDLE hInput = GetStdHandle(STD_INPUT_HANDLE);
    CRawConsoleInput rawInput(hInput);
    if (!rawInput.IsConsole()) {
        WriteText(GetStdHandle(STD_ERROR_HANDLE),
                  "ttupanel: watch reads keys from a console; run it in a terminal "
                  "(wine ttupanel.exe watch)\n");
        return kExitUsage;
    }
    return CPanelWatcher(hInput, GetStdHandle(STD_OUTPUT_HANDLE)).Run();
}
