// A hidden top-level window with a virtual window procedure: the small piece
// of a window framework that the session core needs (it plays the part of
// the framework's CWnd for CTTUMsgWnd). The window class is registered on
// the first Create and unregistered when the last window of the module is
// destroyed through DestroyWindow, so an in-process server that is unloaded and loaded again never
// leaves a class behind whose procedure points into freed code.
//
// Everything runs on the thread that creates the windows.
#pragma once

#include <windows.h>

class CHiddenWindow {
public:
    CHiddenWindow();
    // Destroys the window if it still exists. A derived class that needs its
    // own WindowProc to see WM_DESTROY destroys the window in its destructor.
    virtual ~CHiddenWindow();

    CHiddenWindow(const CHiddenWindow &) = delete;
    CHiddenWindow &operator=(const CHiddenWindow &) = delete;

    // Creates the window: class style CS_HREDRAW | CS_VREDRAW, no cursor, the
    // stock white brush, no icon; no extended style; WS_OVERLAPPEDWINDOW
    // without WS_VISIBLE; CW_USEDEFAULT position and size; no parent, no
    // menu. FALSE when the class or the window cannot be created (or the
    // object already has a window).
    BOOL Create(LPCWSTR lpszTitle);
    BOOL DestroyWindow();
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The module (DLL or EXE) that contains this code.
    static HINSTANCE GetModuleInstance();

    HWND m_hWnd;

protected:
    // Every message of the window; the default passes it to DefWindowProcW.
    virtual LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK StaticWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static BOOL RegisterWindowClass();
    static void UnregisterUnusedClass();

    // Windows of this class attached to an object, in this module.
    static LONG s_nLiveWindows;
};
