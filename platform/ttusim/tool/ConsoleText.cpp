#include "ConsoleText.h"

void WriteText(HANDLE hOutput, const std::wstring &strText)
{
    DWORD dwMode = 0;
    DWORD dwWritten = 0;
    if (GetConsoleMode(hOutput, &dwMode)) {
        WriteConsoleW(hOutput, strText.data(), static_cast<DWORD>(strText.size()), &dwWritten,
                      nullptr);
        return;
    }
    if (strText.empty())
        return;
    const int cb = WideCharToMultiByte(CP_UTF8, 0, strText.data(), static_cast<int>(strText.size()),
                                       nullptr, 0, nullptr, nullptr);
    std::string strUtf8(static_cast<size_t>(cb), '\0');
    WideCharToMultiByte(CP_UTF8, 0, strText.data(), static_cast<int>(strText.size()), &strUtf8[0],
                        cb, nullptr, nullptr);
    WriteFile(hOutput, strUtf8.data(), static_cast<DWORD>(strUtf8.size()), &dwWritten, nullptr);
}

void WriteText(HANDLE hOutput, const std::string &strUtf8)
{
    const int cch = MultiByteToWideChar(CP_UTF8, 0, strUtf8.data(),
                                        static_cast<int>(strUtf8.size()), nullptr, 0);
    std::wstring strText(static_cast<size_t>(cch), L'\0');
    if (cch > 0)
        MultiByteToWideChar(CP_UTF8, 0, strUtf8.data(), static_cast<int>(strUtf8.size()),
                            &strText[0], cch);
    WriteText(hOutput, strText);
}
