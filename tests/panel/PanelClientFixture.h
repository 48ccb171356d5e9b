// Every client test starts the manager on a panel at its power-on state and
// ends with the manager cleaned up and no XFS buffer left alive.
#ifndef ZT_TESTS_PANEL_PANELCLIENTFIXTURE_H
#define ZT_TESTS_PANEL_PANELCLIENTFIXTURE_H

#include <gtest/gtest.h>

#include "XfsClient.h"
#include "ttusim.h"
#include "xfsdiag.h"

class PanelClientTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(TtuSimReset(), WFS_SUCCESS);
        WFSVERSION version = {};
        ASSERT_EQ(WFSStartUp(0x00000003, &version), WFS_SUCCESS);
        EXPECT_EQ(LOBYTE(version.wVersion), 3); // a 3.x manager
    }
    void TearDown() override
    {
        EXPECT_EQ(WFSCleanUp(), WFS_SUCCESS);
        EXPECT_EQ(WFMDiagLiveBufferCount(), 0) << "XFS buffers leaked";
        TtuSimReset();
    }
};

#endif
