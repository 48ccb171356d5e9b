/*
 * The manager's own hidden window, one per thread that makes a synchronous
 * call (WFSOpen, WFSExecute, ...) or cleans up. For those requests the
 * manager is the application: the provider posts their completions and
 * execute events here, and the synchronous call's message loop dispatches
 * them. Requests an application makes asynchronously never pass through it:
 * the provider posts to the application's window itself.
 */
#ifndef ZT_XFS_MANAGER_MANAGERWINDOW_H
#define ZT_XFS_MANAGER_MANAGERWINDOW_H

#include <windows.h>

namespace ManagerWindow {
// The calling thread's window, created on first use; null when the window
// cannot be created.
HWND ForCurrentThread();
} // namespace ManagerWindow

#endif
