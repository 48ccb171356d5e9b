// Splitting the extra list of a status or capabilities answer.
#include "CoreTestSupport.h"

namespace {

std::vector<std::wstring> Entries(std::initializer_list<const wchar_t *> entries)
{
    return std::vector<std::wstring>(entries.begin(), entries.end());
}

TEST(ParseExtraTest, LaterKeysReplaceEarlierOnesAndEveryEntryIsKept)
{
    RecordingService service;
    char szExtra[] = "a=1\0b=2\0a=3\0";
    LPSTR lpszExtra = szExtra;
    service.ParseExtra(&lpszExtra);

    EXPECT_EQ(Entries({L"a=1", L"b=2", L"a=3"}), service.GetExtraArray());
    ASSERT_EQ(2u, service.GetExtraMap().size());
    EXPECT_EQ(L"3", service.GetExtraMap().at(L"a"));
    EXPECT_EQ(L"2", service.GetExtraMap().at(L"b"));
}

TEST(ParseExtraTest, EntriesSplitAtTheFirstEqualsSignOrGoUnderTheEmptyKey)
{
    RecordingService service;
    char szExtra[] = "url=a=b\0plain\0=lead\0";
    LPSTR lpszExtra = szExtra;
    service.ParseExtra(&lpszExtra);

    EXPECT_EQ(Entries({L"url=a=b", L"plain", L"=lead"}), service.GetExtraArray());
    ASSERT_EQ(2u, service.GetExtraMap().size());
    EXPECT_EQ(L"a=b", service.GetExtraMap().at(L"url"));
    // "plain" went under the empty key first, then "=lead" replaced it.
    EXPECT_EQ(L"lead", service.GetExtraMap().at(L""));
}

TEST(ParseExtraTest, ListStartingWithTwoZerosIsOneEmptyEntry)
{
    RecordingService service;
    char szExtra[] = "\0\0";
    LPSTR lpszExtra = szExtra;
    service.ParseExtra(&lpszExtra);

    EXPECT_EQ(Entries({L""}), service.GetExtraArray());
    ASSERT_EQ(1u, service.GetExtraMap().size());
    EXPECT_EQ(L"", service.GetExtraMap().at(L""));
}

TEST(ParseExtraTest, NullListEmptiesWhatWasParsedBefore)
{
    RecordingService service;
    char szExtra[] = "k=v\0";
    LPSTR lpszExtra = szExtra;
    service.ParseExtra(&lpszExtra);
    ASSERT_EQ(1u, service.GetExtraArray().size());

    LPSTR lpszNone = nullptr;
    service.ParseExtra(&lpszNone);
    EXPECT_TRUE(service.GetExtraArray().empty());
    EXPECT_TRUE(service.GetExtraMap().empty());
    service.ParseExtra(&lpszExtra);
    service.ParseExtra(nullptr);
    EXPECT_TRUE(service.GetExtraMap().empty());
}

TEST(ParseExtraTest, TextIsConvertedFromTheAnsiCodePage)
{
    RecordingService service;
    char szValue[32] = {};
    ASSERT_GT(WideCharToMultiByte(CP_ACP, 0, L"Caf\u00e9", -1, szValue, sizeof szValue, nullptr,
                                  nullptr),
              0);
    std::string strList = std::string("name=") + szValue + '\0' + '\0';
    LPSTR lpszExtra = &strList[0];
    service.ParseExtra(&lpszExtra);
    EXPECT_EQ(L"Caf\u00e9", service.GetExtraMap().at(L"name"));
}

} // namespace
