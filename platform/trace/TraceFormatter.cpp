#include "TraceFormatter.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>

// Plain ASCII, the bulk of every trace line, reads the same in every ANSI
// code page and in UTF-8: it is copied without a conversion call.
std::wstring AnsiToWide(const char *psz)
{
    if (psz == nullptr || *psz == '\0')
        return std::wstring();
    const char *p = psz;
    while (*p != '\0' && static_cast<unsigned char>(*p) < 0x80)
        ++p;
    if (*p == '\0')
        return std::wstring(psz, p);
    int cch = MultiByteToWideChar(CP_ACP, 0, psz, -1, nullptr, 0);
    if (cch <= 1)
        return std::wstring();
    std::wstring text(static_cast<size_t>(cch), L'\0');
    MultiByteToWideChar(CP_ACP, 0, psz, -1, &text[0], cch);
    text.resize(static_cast<size_t>(cch - 1));
    return text;
}

std::string WideToUtf8(const std::wstring &text)
{
    if (text.empty())
        return std::string();
    bool bAscii = true;
    for (wchar_t wc : text)
        bAscii = bAscii && wc < 0x80;
    if (bAscii)
        return std::string(text.begin(), text.end());
    int cb = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(cb), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], cb,
                        nullptr, nullptr);
    return out;
}

namespace {

// One conversion directive, as parsed from the format.
struct CDirective {
    bool bLeft = false;
    std::string flags;  // flags other than '-', kept for numeric output
    int nWidth = -1;
    int nPrecision = -1;
    enum Size { Default, Short, Char, Long, LongLong, SizeT } size = Default;
};

void Pad(std::wstring &out, const std::wstring &field, const CDirective &directive)
{
    size_t width = directive.nWidth > 0 ? static_cast<size_t>(directive.nWidth) : 0;
    size_t fill = field.size() < width ? width - field.size() : 0;
    if (!directive.bLeft)
        out.append(fill, L' ');
    out += field;
    if (directive.bLeft)
        out.append(fill, L' ');
}

// Integers and pointers go through the C library with a rebuilt narrow
// directive: digits look the same in every mode.
std::wstring FormatNumber(const CDirective &directive, char conversion, long long value,
                          bool bSigned)
{
    // The plain %d and %u of nearly every trace line need no C library.
    if (!directive.bLeft && directive.flags.empty() && directive.nWidth < 0 &&
        directive.nPrecision < 0 && (conversion == 'd' || conversion == 'u')) {
        wchar_t digits[24];
        wchar_t *p = digits + 24;
        const bool bNegative = bSigned && value < 0;
        unsigned long long magnitude = static_cast<unsigned long long>(value);
        if (bNegative)
            magnitude = 0ull - magnitude;
        do {
            *--p = static_cast<wchar_t>(L'0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude);
        if (bNegative)
            *--p = L'-';
        return std::wstring(p, digits + 24);
    }
    std::string fmt = "%";
    if (directive.bLeft)
        fmt += '-';
    fmt += directive.flags;
    if (directive.nWidth >= 0)
        fmt += std::to_string(directive.nWidth);
    if (directive.nPrecision >= 0)
        fmt += "." + std::to_string(directive.nPrecision);
    fmt += "ll";
    fmt += conversion;
    char buffer[96];
    if (bSigned)
        std::snprintf(buffer, sizeof buffer, fmt.c_str(), value);
    else
        std::snprintf(buffer, sizeof buffer, fmt.c_str(), static_cast<unsigned long long>(value));
    return AnsiToWide(buffer);
}

long long TakeSigned(const CDirective &directive, va_list &args)
{
    switch (directive.size) {
    case CDirective::LongLong:
        return va_arg(args, long long);
    case CDirective::SizeT:
        return static_cast<long long>(va_arg(args, ptrdiff_t));
    case CDirective::Short:
        return static_cast<short>(va_arg(args, int));
    case CDirective::Char:
        return static_cast<signed char>(va_arg(args, int));
    default:  // int and long are both 32 bits on Windows
        return va_arg(args, int);
    }
}

long long TakeUnsigned(const CDirective &directive, va_list &args)
{
    switch (directive.size) {
    case CDirective::LongLong:
        return static_cast<long long>(va_arg(args, unsigned long long));
    case CDirective::SizeT:
        return static_cast<long long>(va_arg(args, size_t));
    case CDirective::Short:
        return static_cast<unsigned short>(va_arg(args, unsigned int));
    case CDirective::Char:
        return static_cast<unsigned char>(va_arg(args, unsigned int));
    default:
        return va_arg(args, unsigned int);
    }
}

std::wstring Truncated(std::wstring text, const CDirective &directive)
{
    if (directive.nPrecision >= 0 && text.size() > static_cast<size_t>(directive.nPrecision))
        text.resize(static_cast<size_t>(directive.nPrecision));
    return text;
}

int TakeNumberOrStar(const char *&p, va_list &args)
{
    if (*p == '*') {
        ++p;
        return va_arg(args, int);
    }
    int n = 0;
    while (*p >= '0' && *p <= '9')
        n = n * 10 + (*p++ - '0');
    return n;
}

void ParseFlags(const char *&p, CDirective &directive)
{
    for (;; ++p) {
        if (*p == '-')
            directive.bLeft = true;
        else if (*p == '0' || *p == '+' || *p == ' ' || *p == '#')
            directive.flags += *p;
        else
            return;
    }
}

CDirective::Size ParseSize(const char *&p)
{
    if (p[0] == 'h' && p[1] == 'h') {
        p += 2;
        return CDirective::Char;
    }
    if (p[0] == 'l' && p[1] == 'l') {
        p += 2;
        return CDirective::LongLong;
    }
    if (p[0] == 'I' && p[1] == '6' && p[2] == '4') {
        p += 3;
        return CDirective::LongLong;
    }
    switch (*p) {
    case 'h': ++p; return CDirective::Short;
    case 'l': ++p; return CDirective::Long;
    case 'z':
    case 'I': ++p; return CDirective::SizeT;
    default: return CDirective::Default;
    }
}

// Flags, width, precision and size of the directive p points into (after
// its '%'); p is left on the conversion character.
CDirective ParseDirective(const char *&p, va_list &args)
{
    CDirective directive;
    ParseFlags(p, directive);
    if ((*p >= '0' && *p <= '9') || *p == '*') {
        directive.nWidth = TakeNumberOrStar(p, args);
        if (directive.nWidth < 0) {
            directive.bLeft = true;
            directive.nWidth = -directive.nWidth;
        }
    }
    if (*p == '.') {
        ++p;
        directive.nPrecision = TakeNumberOrStar(p, args);
    }
    directive.size = ParseSize(p);
    return directive;
}

void FormatPointer(std::wstring &out, const CDirective &directive, va_list &args)
{
    wchar_t buffer[32];
    std::swprintf(
        buffer, 32, L"%016llX",
        static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(va_arg(args, void *))));
    Pad(out, buffer, directive);
}

void FormatChar(std::wstring &out, char conversion, const CDirective &directive, va_list &args)
{
    int ch = va_arg(args, int);
    bool bWide = (conversion == 'C' && directive.size != CDirective::Short) ||
                 (conversion == 'c' && directive.size == CDirective::Long);
    if (bWide) {
        Pad(out, std::wstring(1, static_cast<wchar_t>(ch)), directive);
    } else {
        char narrow[2] = {static_cast<char>(ch), '\0'};
        Pad(out, AnsiToWide(narrow), directive);
    }
}

// %s is narrow unless %ls; %S is wide unless %hs.
void FormatString(std::wstring &out, char conversion, const CDirective &directive, va_list &args)
{
    bool bWide = (conversion == 'S' && directive.size != CDirective::Short) ||
                 (conversion == 's' && directive.size == CDirective::Long);
    std::wstring text;
    if (bWide) {
        const wchar_t *psz = va_arg(args, const wchar_t *);
        if (psz && directive.nWidth < 0 && directive.nPrecision < 0) {
            out += psz; // the common case needs no copy
            return;
        }
        text = psz ? std::wstring(psz) : std::wstring(L"(null)");
    } else {
        const char *psz = va_arg(args, const char *);
        text = psz ? AnsiToWide(psz) : std::wstring(L"(null)");
    }
    Pad(out, Truncated(text, directive), directive);
}

// False for a conversion this formatter does not know.
bool FormatConversion(std::wstring &out, char conversion, const CDirective &directive,
                      va_list &args)
{
    switch (conversion) {
    case 'd':
    case 'i':
        out += FormatNumber(directive, 'd', TakeSigned(directive, args), true);
        return true;
    case 'u':
    case 'x':
    case 'X':
    case 'o':
        out += FormatNumber(directive, conversion, TakeUnsigned(directive, args), false);
        return true;
    case 'p':
        FormatPointer(out, directive, args);
        return true;
    case 'c':
    case 'C':
        FormatChar(out, conversion, directive, args);
        return true;
    case 's':
    case 'S':
        FormatString(out, conversion, directive, args);
        return true;
    default:
        return false;
    }
}

} // namespace

std::wstring FormatText(const char *pszFormat, va_list args)
{
    std::wstring out;
    FormatTextInto(out, pszFormat, args);
    return out;
}

void FormatTextInto(std::wstring &out, const char *pszFormat, va_list argsIn)
{
    out.clear();
    if (pszFormat == nullptr) {
        out = L"(null)";
        return;
    }
    va_list args;
    va_copy(args, argsIn);

    std::string literal;  // narrow run, converted in one piece (multi-byte safe)
    const char *p = pszFormat;
    while (*p) {
        // ASCII reads the same in every ANSI code page: copied as it is.
        if (literal.empty() && *p != '%' && static_cast<unsigned char>(*p) < 0x80) {
            out += static_cast<wchar_t>(*p++);
            continue;
        }
        if (*p != '%' || p[1] == '%') {
            literal += *p;
            p += *p == '%' ? 2 : 1;
            continue;
        }
        const char *start = p++;
        CDirective directive = ParseDirective(p, args);
        out += AnsiToWide(literal.c_str());
        literal.clear();
        char conversion = *p ? *p++ : '\0';
        // Not a conversion we know: show it as written.
        if (!FormatConversion(out, conversion, directive, args))
            out += AnsiToWide(std::string(start, static_cast<size_t>(p - start)).c_str());
    }
    out += AnsiToWide(literal.c_str());
    va_end(args);
}
