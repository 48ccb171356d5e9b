#include "ConsoleKeys.h"

#include "xfsttu.h"

namespace {

CWatchKey Press(WCHAR wcKey, WORD wCommandKey)
{
    return CWatchKey{WatchAction::Press, CPanelKey{wcKey, wCommandKey}};
}

constexpr CWatchKey kIgnore{WatchAction::Ignore, CPanelKey{0, 0}};
constexpr CWatchKey kQuit{WatchAction::Quit, CPanelKey{0, 0}};

// Keys of the console keyboard that stand for a command key of the panel.
constexpr WORD kCommandKeys[][2] = {
    {VK_RETURN, WFS_TTU_CK_ENTER},    {VK_ESCAPE, WFS_TTU_CK_CANCEL},
    {VK_BACK, WFS_TTU_CK_BACKSPACE},  {VK_DELETE, WFS_TTU_CK_CLEAR},
    {VK_UP, WFS_TTU_CK_ARROWUP},      {VK_DOWN, WFS_TTU_CK_ARROWDOWN},
    {VK_LEFT, WFS_TTU_CK_ARROWLEFT},  {VK_RIGHT, WFS_TTU_CK_ARROWRIGHT},
};

} // namespace

CWatchKey MapConsoleKey(BOOL bKeyDown, WORD wVirtualKeyCode, WCHAR wcChar, DWORD dwControlKeyState)
{
    if (!bKeyDown)
        return kIgnore;
    const bool bCtrl = (dwControlKeyState & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) != 0;
    // With processed input off, Ctrl+C arrives as a key like any other.
    if ((bCtrl && wVirtualKeyCode == 'C') || wcChar == 0x03 || wcChar == L'q')
        return kQuit;

    for (const auto &entry : kCommandKeys)
        if (entry[0] == wVirtualKeyCode)
            return Press(0, entry[1]);
    // F1..F24 are the first 24 function-descriptor keys (the keyboard has no
    // more function keys to map to FDK25..FDK32).
    if (wVirtualKeyCode >= VK_F1 && wVirtualKeyCode <= VK_F24)
        return Press(0, static_cast<WORD>(WFS_TTU_CK_FDK01 + (wVirtualKeyCode - VK_F1)));
    if (!bCtrl && wcChar >= L' ' && wcChar != 0x7F)
        return Press(wcChar, 0);
    return kIgnore;
}
