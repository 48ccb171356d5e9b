// The test's side of the message loop: completions and events reach windows
// of the test's thread only while it dispatches messages.
#pragma once

#include <windows.h>

#include <functional>

// Dispatches this thread's messages until done() holds or dwMilliseconds
// pass; returns whether done() held. done() is also looked at every few
// milliseconds without a message, since some conditions (the shared panel's
// state, another process) arrive with none.
bool PumpUntil(const std::function<bool()> &done, DWORD dwMilliseconds = 5000);
