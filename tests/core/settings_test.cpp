// The two registry settings that choose how fatal errors are reported, read
// once when the context is created.
#include "CoreTestSupport.h"

namespace {

// A context created now, as at module load.
std::pair<int, int> FreshSettings()
{
    CTTUContext::ReleaseInstance();
    return {CTTUContext::GetInstance()->GetSrvMode(), CTTUContext::GetInstance()->GetErrHandle()};
}

TEST(SettingsTest, DefaultsWithoutTheKeyOrAValueAndReadOnlyOnce)
{
    ZentrikSettings settings;
    EXPECT_EQ(std::make_pair(0, 1), FreshSettings()) << "no key";
    settings.Write(L"SrvMode", 1);
    EXPECT_EQ(std::make_pair(1, 1), FreshSettings()) << "only SrvMode";
    settings.RemoveAll();
    settings.Write(L"ErrHandle", 0);
    EXPECT_EQ(std::make_pair(0, 0), FreshSettings()) << "only ErrHandle";

    settings.Write(L"SrvMode", 2);
    settings.Write(L"ErrHandle", 7);
    EXPECT_EQ(std::make_pair(2, 7), FreshSettings());
    // Changing the registry later does not reach the living context.
    settings.Write(L"SrvMode", 0);
    EXPECT_EQ(2, CTTUContext::GetInstance()->GetSrvMode());
    EXPECT_EQ(std::make_pair(0, 7), FreshSettings());
    CTTUContext::ReleaseInstance();
}

} // namespace
