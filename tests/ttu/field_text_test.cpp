// The field-values and field-names texts of the form commands, checked
// against a reference model written differently: the model first turns comma
// runs into literal commas and separators and splits the text into entries,
// then checks each entry on its own; the service runs one state machine over
// the characters. Listed cases through the service first, then every short
// text through the parsers.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <functional>
#include <string>
#include <vector>

#include "FieldTextParser.h"
#include "TTUService.h"
#include "XfsClient.h"

namespace {

template <typename CharT> using Text = std::basic_string<CharT>;
template <typename CharT> using List = std::vector<Text<CharT>>;
template <typename CharT> using Parsed = std::optional<List<CharT>>;

template <typename CharT> bool ModelNameChar(CharT c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-';
}

template <typename CharT> bool AllBlank(const Text<CharT> &text, size_t from = 0)
{
    return text.find_first_not_of(CharT(' '), from) == Text<CharT>::npos;
}

// "NAME[ 1 ]  " (everything before the first "=") as NAME[1], or nothing.
template <typename CharT> std::optional<Text<CharT>> ModelHead(const Text<CharT> &head)
{
    size_t i = head.find_first_not_of(CharT(' ')), end = i;
    while (end < head.size() && ModelNameChar(head[end]))
        ++end;
    if (i == Text<CharT>::npos || end == i)
        return std::nullopt;
    Text<CharT> out = head.substr(i, end - i);
    if (end < head.size() && head[end] == CharT('[')) {
        size_t close = head.find(CharT(']'), end);
        if (close == Text<CharT>::npos)
            return std::nullopt;
        out += CharT('[');
        for (size_t k = end + 1; k < close; ++k) {
            if (head[k] >= CharT('0') && head[k] <= CharT('9'))
                out += head[k];
            else if (head[k] != CharT(' '))
                return std::nullopt;
        }
        out += CharT(']');
        end = close + 1;
    }
    return AllBlank(head, end) ? std::optional<Text<CharT>>(out) : std::nullopt;
}

// The entries name=value of a field-values text, or nothing when invalid.
template <typename CharT> Parsed<CharT> ModelValues(const Text<CharT> &text)
{
    const CharT kSeparator = CharT(1); // never generated below
    Text<CharT> marked;
    for (size_t i = 0; i < text.size();) {
        size_t run = 0;
        for (; i < text.size() && text[i] == CharT(','); ++i)
            ++run;
        if (run == 0) {
            marked += text[i++];
            continue;
        }
        marked.append(run / 2, CharT(','));
        if (run % 2)
            marked += kSeparator;
    }
    List<CharT> entries;
    for (size_t start = 0, end = 0; end != Text<CharT>::npos; start = end + 1) {
        end = marked.find(kSeparator, start);
        Text<CharT> entry = marked.substr(start, end == Text<CharT>::npos ? end : end - start);
        size_t equals = entry.find(CharT('='));
        std::optional<Text<CharT>> head;
        if (equals == Text<CharT>::npos || !(head = ModelHead(entry.substr(0, equals))))
            return std::nullopt;
        entries.push_back(*head + entry.substr(equals));
    }
    return entries;
}

// The names of a field-names text, or nothing when invalid. Only the piece
// after the last comma may be blank (a trailing comma, or only blanks).
Parsed<char> ModelNames(const std::string &text)
{
    List<char> names;
    for (size_t start = 0, comma = 0; comma != std::string::npos; start = comma + 1) {
        comma = text.find(',', start);
        std::string piece = text.substr(start, comma == std::string::npos ? comma : comma - start);
        if (AllBlank(piece)) {
            if (comma != std::string::npos)
                return std::nullopt;
            continue;
        }
        piece = piece.substr(piece.find_first_not_of(' '));
        piece.erase(piece.find_last_not_of(' ') + 1);
        for (char c : piece)
            if (!ModelNameChar(c))
                return std::nullopt;
        names.push_back(piece);
    }
    return names;
}

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

// Outputs the model does not spell out: how entries are stored, the
// empty, absent and blank texts, and characters beyond the ANSI code page.
TEST(FieldText, ListedCases)
{
    const auto values = CTTUService::ParseFieldValues;
    const auto names = CTTUService::ParseFieldNames;
    EXPECT_EQ((List<char>{"NAME=John,Smith", "AGE= 42"}), Service(values, "NAME=John,,Smith, AGE = 42"));
    EXPECT_EQ((List<char>{"B[2]= x y ", "C=a,b"}), Service(values, "B[ 2 ] = x y ,C=a,,b"));
    EXPECT_FALSE(Service(values, "A=1,"));
    EXPECT_EQ((List<wchar_t>{L"L2=Gr\u00FC\u00DF \u65E5\u672C", L"L1=\u20AC 5"}),
              Service(CTTUService::ParseUnicodeFieldValues, L"L2=Gr\u00FC\u00DF \u65E5\u672C,L1=\u20AC 5"));
    EXPECT_FALSE(Service(CTTUService::ParseUnicodeFieldValues, L"N\u00C4ME=1"));
    EXPECT_EQ((List<char>{"A", "B", "C"}), Service(names, "A, B, C,   "));
    EXPECT_FALSE(Service(names, "A,,B"));

    // Empty or absent values: no list. Empty names: no list (all fields);
    // blanks only: an empty list, not null.
    bool bNull = false;
    EXPECT_EQ(List<char>(), Service(values, static_cast<LPCSTR>(nullptr), &bNull));
    EXPECT_TRUE(bNull);
    EXPECT_EQ(List<wchar_t>(), Service(CTTUService::ParseUnicodeFieldValues, L"", &bNull));
    EXPECT_TRUE(bNull);
    EXPECT_EQ(List<char>(), Service(names, "", &bNull));
    EXPECT_TRUE(bNull);
    EXPECT_EQ(List<char>(), Service(names, "    ", &bNull));
    EXPECT_FALSE(bNull);
}

// Every text up to a few characters long over the characters that matter
// (name characters, the separators, blanks, non-ASCII), through the model
// and the parser; both outcomes must occur in quantity.
template <typename CharT, typename TModel, typename TParse>
void AgreeOnEveryShortText(const Text<CharT> &alphabet, size_t nMaxLength, TModel model, TParse parse)
{
    Text<CharT> text;
    int nValid = 0, nChecked = 0;
    std::function<void()> extend = [&] {
        if (!text.empty()) {
            Parsed<CharT> expected = model(text);
            ASSERT_EQ(expected, RunGuarded(text, parse)) << "text #" << nChecked;
            nValid += expected.has_value();
            ++nChecked;
        }
        for (size_t i = 0; text.size() < nMaxLength && i < alphabet.size() && !::testing::Test::HasFatalFailure(); ++i) {
            text.push_back(alphabet[i]);
            extend();
            text.pop_back();
        }
    };
    extend();
    EXPECT_GT(nValid, nChecked / 100);
    EXPECT_LT(nValid, nChecked / 2);
}

TEST(FieldText, ParsersAgreeWithTheModelOnEveryShortText)
{
    AgreeOnEveryShortText<char>("Az9_-=,[] \t\xE9", 6, ModelValues<char>, FieldText::ParseValues<char>);
    AgreeOnEveryShortText<wchar_t>(L"a0=,[] \u00C4\u20AC", 5, ModelValues<wchar_t>,
                                   FieldText::ParseValues<wchar_t>);
    AgreeOnEveryShortText<char>("AZ09_-, =\n\xE9", 6, ModelNames, FieldText::ParseNames<char>);
}

} // namespace
