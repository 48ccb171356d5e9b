#include "TextConversion.h"

#include <new>

std::unique_ptr<wchar_t[]> AnsiToWideBuffer(LPCSTR lpszText)
{
    LPCSTR lpszSource = lpszText ? lpszText : "";
    size_t cch = lstrlenA(lpszSource) + 1;
    std::unique_ptr<wchar_t[]> buffer(new (std::nothrow) wchar_t[cch]);
    if (!buffer)
        return nullptr;
    buffer[0] = L'\0';
    MultiByteToWideChar(CP_ACP, 0, lpszSource, -1, buffer.get(), static_cast<int>(cch));
    return buffer;
}

std::wstring AnsiToWide(LPCSTR lpszText, size_t cchText)
{
    if (!lpszText || cchText == 0)
        return std::wstring();
    int cch = MultiByteToWideChar(CP_ACP, 0, lpszText, static_cast<int>(cchText), nullptr, 0);
    std::wstring str(cch, L'\0');
    MultiByteToWideChar(CP_ACP, 0, lpszText, static_cast<int>(cchText), &str[0], cch);
    return str;
}

std::wstring AnsiToWide(LPCSTR lpszText)
{
    return AnsiToWide(lpszText, lpszText ? lstrlenA(lpszText) : 0);
}

std::string WideToAnsi(LPCWSTR lpszText)
{
    if (!lpszText || !*lpszText)
        return std::string();
    int cb = WideCharToMultiByte(CP_ACP, 0, lpszText, -1, nullptr, 0, nullptr, nullptr);
    if (cb <= 1)
        return std::string();
    std::string str(cb, '\0');
    WideCharToMultiByte(CP_ACP, 0, lpszText, -1, &str[0], cb, nullptr, nullptr);
    str.resize(cb - 1);
    return str;
}

size_t AnsiLength(LPCWSTR lpszText)
{
    if (!lpszText || !*lpszText)
        return 0;
    int cb = WideCharToMultiByte(CP_ACP, 0, lpszText, -1, nullptr, 0, nullptr, nullptr);
    return cb > 0 ? static_cast<size_t>(cb - 1) : 0;
}
