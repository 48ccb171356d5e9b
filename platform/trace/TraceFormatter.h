// printf-style formatting of trace text into UTF-16, with the Microsoft
// meanings of %s (narrow, ANSI code page) and %S (wide) whatever mode the C
// library was built in.
#pragma once

#include <cstdarg>
#include <string>

// Formats pszFormat with its arguments. A null format gives "(null)"; an
// unknown conversion is copied as it stands and consumes no argument.
std::wstring FormatText(const char *pszFormat, va_list args);
// The same into out, whose memory is reused.
void FormatTextInto(std::wstring &out, const char *pszFormat, va_list args);

// ANSI code page text to UTF-16 and UTF-16 to UTF-8.
std::wstring AnsiToWide(const char *psz);
std::string WideToUtf8(const std::wstring &text);
