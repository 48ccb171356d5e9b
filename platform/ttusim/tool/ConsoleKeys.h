/*
 * What a key typed in `ttupanel watch` means: a panel key to press, the
 * request to leave, or nothing (shift, modifiers, key releases, keys the
 * panel has no counterpart for).
 */
#ifndef ZT_TTUPANEL_CONSOLEKEYS_H
#define ZT_TTUPANEL_CONSOLEKEYS_H

#include "PanelArguments.h"

enum class WatchAction { Ignore, Press, Quit };

struct CWatchKey {
    WatchAction action;
    CPanelKey key; // meaningful for Press
};

// From a console KEY_EVENT_RECORD's fields.
CWatchKey MapConsoleKey(BOOL bKeyDown, WORD wVirtualKeyCode, WCHAR wcChar, DWORD dwControlKeyState);

#endif
