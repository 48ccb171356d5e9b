// The field-values and field-names texts of the form commands, checked
// against a reference model written differently: the model first turns comma
// runs into literal commas and separators and splits the text into entries,
// then checks each entry on its own; the service runs one state machine over
// the characters. Listed cases first, then seeded random texts.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "FieldTextParser.h"
#include "TTUService.h"

namespace {

template <typename CharT> using Text = std::basic_string<CharT>;
template <typename CharT> using List = std::vector<Text<CharT>>;

template <typename CharT> bool ModelNameChar(CharT c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-';
}

// "NAME[ 1 ]  " (everything before the first "=") as NAME[1], or nothing.
template <typename CharT> std::optional<Text<CharT>> ModelHead(const Text<CharT> &head)
{
    size_t i = head.find_first_not_of(CharT(' '));
    if (i == Text<CharT>::npos)
        return std::nullopt;
    size_t nameEnd = i;
    while (nameEnd < head.size() && ModelNameChar(head[nameEnd]))
        ++nameEnd;
    if (nameEnd == i)
        return std::nullopt;
    Text<CharT> out = head.substr(i, nameEnd - i);
    size_t rest = nameEnd;
    if (rest < head.size() && head[rest] == CharT('[')) {
        size_t close = head.find(CharT(']'), rest);
        if (close == Text<CharT>::npos)
            return std::nullopt;
        out += CharT('[');
        for (size_t k = rest + 1; k < close; ++k) {
            if (head[k] >= CharT('0') && head[k] <= CharT('9'))
                out += head[k];
            else if (head[k] != CharT(' '))
                return std::nullopt;
        }
        out += CharT(']');
        rest = close + 1;
    }
    for (; rest < head.size(); ++rest)
        if (head[rest] != CharT(' '))
            return std::nullopt;
    return out;
}

// The entries name=value of a field-values text, or nothing when invalid.
template <typename CharT> std::optional<List<CharT>> ModelValues(const Text<CharT> &text)
{
    const CharT kSeparator = CharT(1); // never generated below
    Text<CharT> marked;
    for (size_t i = 0; i < text.size();) {
        if (text[i] != CharT(',')) {
            marked += text[i++];
            continue;
        }
        size_t run = 0;
        while (i < text.size() && text[i] == CharT(','))
            ++run, ++i;
        marked.append(run / 2, CharT(','));
        if (run % 2)
            marked += kSeparator;
    }
    List<CharT> entries;
    size_t start = 0;
    for (;;) {
        size_t end = marked.find(kSeparator, start);
        Text<CharT> entry = marked.substr(start, end == Text<CharT>::npos ? end : end - start);
        size_t equals = entry.find(CharT('='));
        if (equals == Text<CharT>::npos)
            return std::nullopt;
        std::optional<Text<CharT>> head = ModelHead(entry.substr(0, equals));
        if (!head)
            return std::nullopt;
        entries.push_back(*head + entry.substr(equals));
        if (end == Text<CharT>::npos)
            return entries;
        start = end + 1;
    }
}

// The names of a field-names text, or nothing when invalid.
std::optional<List<char>> ModelNames(const std::string &text)
{
    List<char> names;
    std::vector<std::string> pieces;
    size_t start = 0;
    for (size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1)
        pieces.push_back(text.substr(start, comma - start));
    pieces.push_back(text.substr(start));
    for (size_t i = 0; i < pieces.size(); ++i) {
        size_t first = pieces[i].find_first_not_of(' ');
        if (first == std::string::npos) {
            // Only the piece after the last comma may be blank (a trailing
            // comma, or a text of blanks only).
            if (i + 1 != pieces.size())
                return std::nullopt;
            continue;
        }
        std::string name = pieces[i].substr(first, pieces[i].find_last_not_of(' ') - first + 1);
        for (char c : name)
            if (!ModelNameChar(c))
                return std::nullopt;
        names.push_back(name);
    }
    return names;
}

// The entries of a zero-terminated multi-string, up to its first empty one.
template <typename CharT> List<CharT> Entries(const CharT *pList)
{
    List<CharT> entries;
    for (const CharT *p = pList; *p; p += Text<CharT>(p).size() + 1)
        entries.push_back(p);
    return entries;
}

// Runs a parser over the text into a buffer of exactly (length + 2)
// characters followed by guard characters, which must survive.
template <typename CharT, typename TParse>
std::optional<List<CharT>> RunGuarded(const Text<CharT> &text, TParse parse)
{
    const size_t kGuard = 8;
    std::vector<CharT> buffer(text.size() + 2 + kGuard, CharT(0x5A));
    bool bValid = parse(text.c_str(), buffer.data());
    for (size_t i = text.size() + 2; i < buffer.size(); ++i)
        EXPECT_EQ(CharT(0x5A), buffer[i]) << "overrun on a text of " << text.size();
    if (!bValid)
        return std::nullopt;
    return Entries(buffer.data());
}

// What the service's own entry points give: nothing when invalid, the
// entries otherwise (empty for an empty text).
std::optional<List<char>> ServiceValues(const std::string &text)
{
    LPSTR lpszList = nullptr;
    HRESULT hr = CTTUService::ParseFieldValues(text.c_str(), &lpszList);
    std::unique_ptr<char[]> owner(lpszList);
    if (hr != 0)
        return std::nullopt;
    return lpszList ? Entries<char>(lpszList) : List<char>();
}

std::optional<List<wchar_t>> ServiceUnicodeValues(const std::wstring &text)
{
    LPWSTR lpszList = nullptr;
    HRESULT hr = CTTUService::ParseUnicodeFieldValues(text.c_str(), &lpszList);
    std::unique_ptr<wchar_t[]> owner(lpszList);
    if (hr != 0)
        return std::nullopt;
    return lpszList ? Entries<wchar_t>(lpszList) : List<wchar_t>();
}

std::optional<List<char>> ServiceNames(const std::string &text, bool *pbNull = nullptr)
{
    LPSTR lpszList = nullptr;
    HRESULT hr = CTTUService::ParseFieldNames(text.c_str(), &lpszList);
    std::unique_ptr<char[]> owner(lpszList);
    if (pbNull)
        *pbNull = lpszList == nullptr;
    if (hr != 0)
        return std::nullopt;
    return lpszList ? Entries<char>(lpszList) : List<char>();
}

// Outputs the model does not spell out: how entries are stored, the
// empty, absent and blank texts, and characters beyond the ANSI code page.
TEST(FieldText, ListedCases)
{
    EXPECT_EQ((List<char>{"NAME=John,Smith", "AGE= 42"}), ServiceValues("NAME=John,,Smith, AGE = 42"));
    EXPECT_EQ((List<char>{"B[2]= x y ", "C=a,b"}), ServiceValues("B[ 2 ] = x y ,C=a,,b"));
    EXPECT_EQ((List<char>{"A=1,", "B=2"}), ServiceValues("A=1,,,B=2"));
    EXPECT_FALSE(ServiceValues("A=1,"));
    EXPECT_EQ((List<wchar_t>{L"L2=Gr\u00FC\u00DF \u65E5\u672C", L"L1=\u20AC 5"}),
              ServiceUnicodeValues(L"L2=Gr\u00FC\u00DF \u65E5\u672C,L1=\u20AC 5"));
    EXPECT_FALSE(ServiceUnicodeValues(L"N\u00C4ME=1"));
    EXPECT_EQ((List<char>{"A", "B", "C"}), ServiceNames("A, B, C,   "));
    EXPECT_FALSE(ServiceNames("A,,B"));

    // Empty or absent values: no list. Empty names: no list (all fields);
    // blanks only: an empty list, not null.
    LPSTR lpszList = reinterpret_cast<LPSTR>(1);
    EXPECT_EQ(0, CTTUService::ParseFieldValues(nullptr, &lpszList));
    EXPECT_EQ(nullptr, lpszList);
    LPWSTR lpszWide = reinterpret_cast<LPWSTR>(1);
    EXPECT_EQ(0, CTTUService::ParseUnicodeFieldValues(L"", &lpszWide));
    EXPECT_EQ(nullptr, lpszWide);
    bool bNull = false;
    ASSERT_TRUE(ServiceNames("", &bNull));
    EXPECT_TRUE(bNull);
    std::optional<List<char>> blanks = ServiceNames("    ", &bNull);
    ASSERT_TRUE(blanks);
    EXPECT_FALSE(bNull);
    EXPECT_TRUE(blanks->empty());
}

// Random texts over the characters that matter, built half the time from
// entries so that valid texts are common, then mutated.
template <typename CharT> class TextGenerator {
public:
    explicit TextGenerator(unsigned seed) : m_rng(seed) {}

    Text<CharT> Next()
    {
        Text<CharT> text = Pick(2) ? Structured() : Noise(Pick(24));
        for (int n = Pick(3); n > 0 && !text.empty(); --n)
            text[Pick(static_cast<int>(text.size()))] = Char();
        return text;
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    CharT Char()
    {
        static const char kAscii[] = "aZ09_-  ,,==[]\t\n";
        if (Pick(12) == 0) {
            // Non-ASCII: a Latin-1 letter (a byte above 0x7F in the narrow
            // text), and in wide text also characters beyond Latin-1.
            static const wchar_t kWide[] = {0x00E9, 0x00C4, 0x20AC, 0x65E5};
            return sizeof(CharT) == 1 ? CharT(0xE9) : CharT(kWide[Pick(4)]);
        }
        return CharT(kAscii[Pick(sizeof kAscii - 1)]);
    }
    Text<CharT> Noise(int n)
    {
        Text<CharT> text;
        for (int i = 0; i < n; ++i)
            text += Char();
        return text;
    }
    Text<CharT> Name()
    {
        static const char kName[] = "AZaz09_-";
        Text<CharT> name;
        for (int i = 0, n = 1 + Pick(5); i < n; ++i)
            name += CharT(kName[Pick(sizeof kName - 1)]);
        return name;
    }
    Text<CharT> Structured()
    {
        Text<CharT> text;
        for (int i = 0, n = 1 + Pick(4); i < n; ++i) {
            if (i)
                text += CharT(',');
            text.append(Pick(3), CharT(' '));
            text += Name();
            if (Pick(3) == 0) {
                text += CharT('[');
                text.append(Pick(2), CharT(' '));
                text += CharT('0' + Pick(10));
                text += CharT(']');
            }
            text.append(Pick(2), CharT(' '));
            if (Pick(8))
                text += CharT('=');
            text += Noise(Pick(6));
        }
        return text;
    }

    std::mt19937 m_rng;
};

const int kRandomTexts = 100000;

template <typename CharT, typename TService>
void CheckRandomValues(unsigned seed, TService service)
{
    TextGenerator<CharT> generator(seed);
    int nValid = 0;
    for (int i = 0; i < kRandomTexts; ++i) {
        Text<CharT> text = generator.Next();
        std::optional<List<CharT>> model = text.empty() ? List<CharT>() : ModelValues(text);
        ASSERT_EQ(model, service(text)) << "text #" << i;
        if (!text.empty()) {
            ASSERT_EQ(model, RunGuarded(text, FieldText::ParseValues<CharT>)) << "text #" << i;
        }
        nValid += model.has_value();
    }
    // Both outcomes are exercised in quantity.
    EXPECT_GT(nValid, kRandomTexts / 10);
    EXPECT_LT(nValid, kRandomTexts * 9 / 10);
}

TEST(FieldValuesText, AgreesWithTheModelOnRandomTexts)
{
    CheckRandomValues<char>(20240611, ServiceValues);
    CheckRandomValues<wchar_t>(7, ServiceUnicodeValues);
}

TEST(FieldNamesText, AgreesWithTheModelOnRandomTexts)
{
    TextGenerator<char> generator(99);
    std::mt19937 rng(5);
    int nValid = 0;
    for (int i = 0; i < kRandomTexts; ++i) {
        std::string text = generator.Next();
        // Field-names texts have no "="; drop most of them so names lists
        // are valid often enough.
        for (char &c : text)
            if (c == '=' && rng() % 4)
                c = ',';
        std::optional<List<char>> model = text.empty() ? List<char>() : ModelNames(text);
        ASSERT_EQ(model, ServiceNames(text)) << "text #" << i << ": [" << text << "]";
        if (!text.empty()) {
            ASSERT_EQ(model, RunGuarded(text, FieldText::ParseNames<char>)) << text;
        }
        nValid += model.has_value();
    }
    EXPECT_GT(nValid, kRandomTexts / 20);
    EXPECT_LT(nValid, kRandomTexts * 9 / 10);
}

} // namespace
