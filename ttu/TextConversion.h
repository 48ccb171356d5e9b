// Conversions between the host's wide strings and the service's narrow
// strings, in the system ANSI code page (CP_ACP, no flags, no default
// character). Null in, empty out.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

// The narrow text as a new zero-terminated wide buffer of (length + 1)
// characters; null only when the buffer cannot be allocated.
std::unique_ptr<wchar_t[]> AnsiToWideBuffer(LPCSTR lpszText);
std::wstring AnsiToWide(LPCSTR lpszText);
std::wstring AnsiToWide(LPCSTR lpszText, size_t cchText);
std::string WideToAnsi(LPCWSTR lpszText);
// Bytes the ANSI form of the text takes, without its terminator.
size_t AnsiLength(LPCWSTR lpszText);
