// The formatter's conversions, one table of cases.
#include <gtest/gtest.h>

#include <climits>
#include <cstdarg>

#include "TraceFormatter.h"

namespace {

std::wstring Format(const char *pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    std::wstring text = FormatText(pszFormat, args);
    va_end(args);
    return text;
}

TEST(TraceFormat, ConversionsFollowTheMicrosoftMeaningsAndUnknownOnesStayAsWritten)
{
    EXPECT_EQ(L"wide [Gr\u00fc\u00dfe \u20ac] narrow [abc]",
              Format("wide [%S] narrow [%s]", L"Gr\u00fc\u00dfe \u20ac", "abc"));
    EXPECT_EQ(L"-2147483648 2147483647 0 -52", Format("%d %d %d %d", INT_MIN, INT_MAX, 0, -52));
    EXPECT_EQ(L"0042:[-701]", Format("%04d:[%d]", 42, -701));
    EXPECT_EQ(L"[0x0000ABCD] [ff] [4294967295]",
              Format("[0x%08X] [%x] [%u]", 0xABCDu, 255u, UINT_MAX));
    EXPECT_EQ(L"[  ab] [ab  ] [a]", Format("[%4s] [%-4s] [%.1s]", "ab", "ab", "abc"));
    EXPECT_EQ(L"[%] [x] [\u00e9]", Format("[%%] [%c] [%C]", 'x', L'\u00e9'));
    EXPECT_EQ(L"[wide] [narrow]", Format("[%ls] [%hs]", L"wide", "narrow"));
    EXPECT_EQ(L"12345678901", Format("%I64d", 12345678901LL));
    EXPECT_EQ(L"[(null)] [(null)]", Format("[%s] [%S]", static_cast<char *>(nullptr),
                                          static_cast<wchar_t *>(nullptr)));
    EXPECT_EQ(L"[  -7] [-7  ]", Format("[%*d] [%-*d]", 4, -7, 4, -7));
    EXPECT_EQ(L"[007] [    00ab] [0000000000ABCD12]",
              Format("[%.3d] [%8.4x] [%p]", 7, 0xABu, reinterpret_cast<void *>(0xABCD12)));
    EXPECT_EQ(L"-1 255 -32768 -9223372036854775808 18446744073709551615 18446744073709551615",
              Format("%hhd %hhu %hd %lld %llu %zu", 0x1FF, 0x1FFu, 0x18000, LLONG_MIN, ULLONG_MAX,
                     static_cast<size_t>(-1)));
    // Malformed formats neither crash nor consume arguments.
    EXPECT_EQ(L"(null)", Format(nullptr));
    EXPECT_EQ(L"value %q then 5", Format("value %q then %d", 5));
    EXPECT_EQ(L"ends with %", Format("ends with %"));
    EXPECT_EQ(L"", Format(""));
}

} // namespace
