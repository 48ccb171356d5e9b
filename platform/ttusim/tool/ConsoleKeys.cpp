#include "ConsoleKeys.h"

#include "xfsttu.h"

namespace {

CWatchKey Press(WCHAR wcKey, WORD wCommandKey)
{
    return CWatchKey{WatchAction::Press, CPanelKey{wcKey, wCommandKey}};
}

constexpr CWatchKey kIgnore{WatchAction::Ignore, CPanelKey{0, 0}};
constexpr CWatchKey kQuit{WatchAction::Quit, CPanelKey{0, 0}};

} // namespace

CWatchKey MapConsoleKey(BOOL bKeyDown, WORD wVirtualKeyCode, WCHAR wcChar, DWORD dwControlKeyState)
{
    if (!bKeyDown)
        return kIgnore;
    const bool bCtrl = (dwControlKeyState & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) != 0;
    // With processed input off, Ctrl+C arrives as a key like any other.
    if ((bCtrl && wVirtualKeyCode == 'C') || wcChar == 0x03 || wcChar == L'q')
        return kQuit;

    switch (wVirtualKeyCode) {
    case VK_RETURN:
        return Press(0, WFS_TTU_CK_ENTER);
    case VK_ESCAPE:
        return Press(0, WFS_TTU_CK_CANCEL);
    case VK_BACK:
        return Press(0, WFS_TTU_CK_BACKSPACE);
    case VK_DELETE:
        return Press(0, WFS_TTU_CK_CLEAR);
    case VK_UP:
        return Press(0, WFS_TTU_CK_ARROWUP);
    case VK_DOWN:
        return Press(0, WFS_TTU_CK_ARROWDOWN);
    case VK_LEFT:
        return Press(0, WFS_TTU_CK_ARROWLEFT);
    case VK_RIGHT:
        return Press(0, WFS_TTU_CK_ARROWRIGHT);
    default:
        break;
    }
    // F1..F24 are the first 24 function-descriptor keys (the keyboard has no
    // more function keys to map to FDK25..FDK32).
    if (wVirtualKeyCode >= VK_F1 && wVirtualKeyCode <= VK_F24)
        return Press(0, static_cast<WORD>(WFS_TTU_CK_FDK01 + (wVirtualKeyCode - VK_F1)));
    if (!bCtrl && wcChar >= L' ' && wcChar != 0x7F)
        return Press(wcChar, 0);
    return kIgnore;
}
