/*
 * The manager's hidden window, one per thread that issues requests. Every
 * request hands the provider this window, never the application's: the
 * completions and execute events come back here first, so the manager sees
 * each request end and can keep its promise of exactly one completion per
 * accepted request (a late or duplicate completion is freed, a session
 * closed under outstanding requests cancels them).
 *
 * The window lives on the issuing thread so that the application's own
 * message loop dispatches the provider's messages: that thread must pump
 * messages (it must anyway, to receive its completions), and a loop that
 * filters GetMessage by the application's window would never see them.
 */
#ifndef ZT_XFS_MANAGER_RELAYWINDOW_H
#define ZT_XFS_MANAGER_RELAYWINDOW_H

#include <windows.h>

namespace RelayWindow {
// The calling thread's relay window, created on first use; null when the
// window cannot be created.
HWND ForCurrentThread();
} // namespace RelayWindow

#endif
