#include <gtest/gtest.h>

#include <ole2.h>

#include "AxPropExchange.h"

namespace {

TEST(PropExchange, RoundTripsVersionAndValuesAndReportsShortStreams)
{
    IStream *pStream = nullptr;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &pStream));
    {
        CAxPropExchange px(pStream, false);
        DWORD dwVersion = 0;
        LONG cx = 1234, cy = -5;
        px.ExchangeVersion(&dwVersion, 0x00010000);
        px.ExchangeLong(&cx);
        px.ExchangeLong(&cy);
        EXPECT_EQ(S_OK, px.GetResult());
        EXPECT_EQ(12u, px.GetSize());
    }
    LARGE_INTEGER zero = {};
    pStream->Seek(zero, STREAM_SEEK_SET, nullptr);
    {
        CAxPropExchange px(pStream, true);
        DWORD dwVersion = 0;
        LONG cx = 0, cy = 0, extra = 7;
        px.ExchangeVersion(&dwVersion, 0x00020000);
        px.ExchangeLong(&cx);
        px.ExchangeLong(&cy);
        EXPECT_EQ(0x00010000u, dwVersion) << "loading reports the stored version";
        EXPECT_EQ(1234, cx);
        EXPECT_EQ(-5, cy);
        EXPECT_FALSE(px.ExchangeLong(&extra)) << "nothing more in the stream";
        EXPECT_EQ(STG_E_READFAULT, px.GetResult());
        EXPECT_EQ(7, extra);
    }
    pStream->Release();
}

} // namespace
