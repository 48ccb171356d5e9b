/*
 * `ttupanel gui`: the panel in a window, as the operator sees it. The
 * window redraws when the panel changes (whoever changed it) and while
 * something on it flashes; its keys are buttons that press the panel's key,
 * greyed while a read runs that does not take them. Keys typed on the PC's
 * keyboard are pressed as in `ttupanel watch`.
 */
#ifndef ZT_TTUPANEL_PANELWINDOW_H
#define ZT_TTUPANEL_PANELWINDOW_H

#include "PanelArguments.h"

#include <windows.h>

// The window, not yet shown, or null (the reason in GetLastError). It
// follows the panel while its thread dispatches messages. bMainWindow: its
// closing ends the thread's message loop.
HWND CreatePanelWindow(bool bMainWindow);

// The button of a key on the panel's window, null if the panel has none.
HWND FindKeyButton(HWND hPanelWindow, const CPanelKey &key);

// Returns the process exit code.
int RunGui();

#endif
