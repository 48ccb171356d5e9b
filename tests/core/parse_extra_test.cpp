// Splitting the extra list of a status or capabilities answer, seen through
// GetExtraStatus: with the session closed its query is refused and the
// lookup reads the list parsed last.
#include "CoreTestSupport.h"

namespace {

using Values = std::vector<std::wstring>;

Values ParseAndLookUp(RecordingService &service, std::string strList, const Values &keys)
{
    LPSTR lpszExtra = &strList[0];
    service.ParseExtra(&lpszExtra);
    Values values;
    for (const std::wstring &strKey : keys)
        values.push_back(service.GetExtraStatus(strKey));
    return values;
}

TEST(ParseExtraTest, SplitAtTheFirstEqualsSignTheLastOfAKeyWinsNoListEmpties)
{
    RecordingService service;
    EXPECT_EQ((Values{L"3", L"2", L""}),
              ParseAndLookUp(service, std::string("a=1\0b=2\0a=3\0", 13), {L"a", L"b", L"c"}));
    // No "=": the empty key. The list before is gone.
    EXPECT_EQ((Values{L"a=b", L"lead", L""}),
              ParseAndLookUp(service, std::string("url=a=b\0plain\0=lead\0", 21), {L"url", L"", L"a"}));
    // Text comes from the ANSI code page.
    char szValue[32] = {};
    ASSERT_GT(WideCharToMultiByte(CP_ACP, 0, L"Caf\u00e9", -1, szValue, sizeof szValue, nullptr, nullptr), 0);
    EXPECT_EQ(Values{L"Caf\u00e9"}, ParseAndLookUp(service, std::string("name=") + szValue + '\0' + '\0', {L"name"}));

    LPSTR lpszNone = nullptr;
    service.ParseExtra(&lpszNone);
    EXPECT_EQ(L"", service.GetExtraStatus(L"name"));
    ParseAndLookUp(service, std::string("k=v\0", 5), {});
    service.ParseExtra(nullptr);
    EXPECT_EQ(L"", service.GetExtraStatus(L"k"));
}

} // namespace
