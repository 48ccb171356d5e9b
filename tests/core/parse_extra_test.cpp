// Splitting the extra list of a status or capabilities answer.
#include "CoreTestSupport.h"

namespace {

using Entries = std::vector<std::wstring>;
using Map = std::map<std::wstring, std::wstring>;

void Parse(RecordingService &service, std::string strList)
{
    LPSTR lpszExtra = &strList[0];
    service.ParseExtra(&lpszExtra);
}

TEST(ParseExtraTest, EntriesAreKeptInOrderAndSplitAtTheFirstEqualsSign)
{
    RecordingService service;
    Parse(service, std::string("a=1\0b=2\0a=3\0", 13));
    EXPECT_EQ((Entries{L"a=1", L"b=2", L"a=3"}), service.GetExtraArray());
    EXPECT_EQ((Map{{L"a", L"3"}, {L"b", L"2"}}), service.GetExtraMap());

    // No "=": the empty key; a later entry under it replaces the value.
    Parse(service, std::string("url=a=b\0plain\0=lead\0", 21));
    EXPECT_EQ((Entries{L"url=a=b", L"plain", L"=lead"}), service.GetExtraArray());
    EXPECT_EQ((Map{{L"url", L"a=b"}, {L"", L"lead"}}), service.GetExtraMap());

    // A list that begins with two zero bytes is one empty entry.
    Parse(service, std::string("\0\0", 2));
    EXPECT_EQ((Entries{L""}), service.GetExtraArray());
    EXPECT_EQ((Map{{L"", L""}}), service.GetExtraMap());

    // Text comes from the ANSI code page.
    char szValue[32] = {};
    ASSERT_GT(WideCharToMultiByte(CP_ACP, 0, L"Caf\u00e9", -1, szValue, sizeof szValue, nullptr,
                                  nullptr),
              0);
    Parse(service, std::string("name=") + szValue + '\0' + '\0');
    EXPECT_EQ((Map{{L"name", L"Caf\u00e9"}}), service.GetExtraMap());
}

TEST(ParseExtraTest, NoListEmptiesWhatWasParsedBefore)
{
    RecordingService service;
    Parse(service, std::string("k=v\0", 5));
    ASSERT_EQ(1u, service.GetExtraArray().size());
    LPSTR lpszNone = nullptr;
    service.ParseExtra(&lpszNone);
    EXPECT_TRUE(service.GetExtraArray().empty());
    EXPECT_TRUE(service.GetExtraMap().empty());

    Parse(service, std::string("k=v\0", 5));
    service.ParseExtra(nullptr);
    EXPECT_TRUE(service.GetExtraMap().empty());
}

} // namespace
