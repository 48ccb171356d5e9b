// The field-values and field-names texts of the form commands: through the
// service's entry points for what they add (no list, empty list, storage),
// then every role a character can play through the parsers themselves.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FieldTextParser.h"
#include "TTUService.h"
#include "XfsClient.h"

namespace {

template <typename CharT> using Text = std::basic_string<CharT>;
template <typename CharT> using List = std::vector<Text<CharT>>;
template <typename CharT> using Parsed = std::optional<List<CharT>>;

// A parser run over the text into a buffer of exactly (length + 2)
// characters followed by guard characters, which must survive.
template <typename CharT, typename TParse> Parsed<CharT> RunGuarded(const Text<CharT> &text, TParse parse)
{
    std::vector<CharT> buffer(text.size() + 2 + 8, CharT(0x5A));
    bool bValid = parse(text.c_str(), buffer.data());
    for (size_t i = text.size() + 2; i < buffer.size(); ++i)
        EXPECT_EQ(CharT(0x5A), buffer[i]) << "overrun on a text of " << text.size();
    return bValid ? Parsed<CharT>(Entries(static_cast<const CharT *>(buffer.data()))) : std::nullopt;
}

// What a service entry point gives: nothing when invalid, the entries
// otherwise; *pbNull tells whether there was no list at all.
template <typename CharT>
Parsed<CharT> Service(HRESULT (*parse)(const CharT *, CharT **), const CharT *text, bool *pbNull = nullptr)
{
    CharT *lpList = reinterpret_cast<CharT *>(1);
    HRESULT hr = parse(text, &lpList);
    std::unique_ptr<CharT[]> owner(lpList);
    if (pbNull)
        *pbNull = lpList == nullptr;
    if (hr != 0)
        return std::nullopt;
    return Entries(static_cast<const CharT *>(lpList));
}

// Outputs of the service: how entries are stored, the empty, absent and
// blank texts, and characters beyond the ANSI code page.
TEST(FieldText, ThroughTheService)
{
    const auto values = CTTUService::ParseFieldValues;
    const auto names = CTTUService::ParseFieldNames;
    EXPECT_EQ((List<char>{"NAME=John,Smith", "AGE= 42"}), Service(values, "NAME=John,,Smith, AGE = 42"));
    EXPECT_FALSE(Service(values, "A=1,"));
    EXPECT_EQ((List<wchar_t>{L"L2=Gr\u00FC\u00DF \u65E5\u672C", L"L1=\u20AC 5"}),
              Service(CTTUService::ParseUnicodeFieldValues, L"L2=Gr\u00FC\u00DF \u65E5\u672C,L1=\u20AC 5"));
    EXPECT_FALSE(Service(CTTUService::ParseUnicodeFieldValues, L"N\u00C4ME=1"));
    EXPECT_EQ((List<char>{"A", "B", "C"}), Service(names, "A, B, C,   "));
    EXPECT_FALSE(Service(names, "A,,B"));

    // Empty or absent values: no list. Empty names: no list (all fields);
    // blanks only: an empty list, not null.
    bool bNull[4] = {};
    EXPECT_EQ(List<char>(), Service(values, static_cast<LPCSTR>(nullptr), &bNull[0]));
    EXPECT_EQ(List<wchar_t>(), Service(CTTUService::ParseUnicodeFieldValues, L"", &bNull[1]));
    EXPECT_EQ(List<char>(), Service(names, "", &bNull[2]));
    EXPECT_EQ(List<char>(), Service(names, "    ", &bNull[3]));
    EXPECT_EQ((std::vector<bool>{true, true, true, false}), std::vector<bool>(bNull, bNull + 4));
}

// Each name character at both ends of its range and its neighbours outside
// it, the index, blanks in every place, comma runs, and the text ending in
// every state.
TEST(FieldText, EveryCharacterRole)
{
    const std::optional<List<char>> bad;
    const struct {
        const char *pszText;
        std::optional<List<char>> values;
    } values[] = {
        {"AZaz09_-=", List<char>{"AZaz09_-="}},
        {" B[ 2 ] = x y ,C=a,,b", List<char>{"B[2]= x y ", "C=a,b"}},
        {"q[]=\xE9=[,,,,],r = \t,,,s=", List<char>{"q[]=\xE9=[,,]", "r= \t,", "s="}},
        {"A[ 0 9 ]=1", List<char>{"A[09]=1"}},
        {"", bad},    {" ", bad},     {"A", bad},      {"A ", bad},     {"A[1", bad},    {"A[1]", bad},
        {"A=1,", bad}, {"A=1,,,", bad}, {"A=1, =2", bad}, {"A=1,,,=2", bad}, {"A[x]=1", bad}, {"A[1]x=1", bad},
        {"A]=1", bad}, {"A B=1", bad}, {"A [1]=1", bad}, {"=1", bad},     {"@=1", bad},    {"[=1", bad},
        {"`=1", bad}, {"{=1", bad},   {":=1", bad},    {"/=1", bad},    {",=1", bad},    {"\xE9=1", bad},
        {"A\xE9=1", bad}, {"A[\xE9]=1", bad}, {"A[1]\t=1", bad}, {"A[/]=1", bad}, {"A[:]=1", bad},
    };
    for (const auto &v : values)
        EXPECT_EQ(v.values, RunGuarded<char>(v.pszText, FieldText::ParseValues<char>)) << "[" << v.pszText << "]";
    EXPECT_EQ((List<wchar_t>{L"a0=\u00C4,\u20AC"}),
              RunGuarded<wchar_t>(L"a0=\u00C4,,\u20AC", FieldText::ParseValues<wchar_t>));
    EXPECT_FALSE(RunGuarded<wchar_t>(L"a\u20AC=1", FieldText::ParseValues<wchar_t>));

    const struct {
        const char *pszText;
        std::optional<List<char>> names;
    } names[] = {
        {"AZaz09_-", List<char>{"AZaz09_-"}}, {"  a , Z9,", List<char>{"a", "Z9"}}, {"   ", List<char>{}},
        {"A,,B", bad}, {",A", bad}, {"A B", bad},  {"A,\n", bad}, {"A=", bad},  {"\xE9", bad}, {"@", bad},
        {"[", bad},    {"`", bad},  {"{", bad},    {":", bad},    {"/", bad},   {"A, ,B", bad},
    };
    for (const auto &n : names)
        EXPECT_EQ(n.names, RunGuarded<char>(n.pszText, FieldText::ParseNames<char>)) << "[" << n.pszText << "]";
}

} // namespace
