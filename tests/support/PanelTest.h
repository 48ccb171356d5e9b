// Every test of the manager and the panel starts the manager on a panel at
// its power-on state and ends with the manager cleaned up and no XFS buffer
// left alive.
#pragma once

#include <gtest/gtest.h>

#include "XfsClient.h"

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(TtuSimReset(), WFS_SUCCESS);
        WFMDiagFailAllocation(0);
        WFSVERSION version;
        ASSERT_EQ(WFSStartUp(0x00000003, &version), WFS_SUCCESS);
        m_session = new XfsClient();
        ASSERT_EQ(Session().OpenResult(), WFS_SUCCESS);
    }
    void TearDown() override
    {
        delete m_session;
        WFSCleanUp();
        // Closes the manager made itself complete to its window, which frees them.
        EXPECT_TRUE(PumpUntil([] { return WFMDiagLiveBufferCount() == 0; })) << WFMDiagLiveBufferCount()
                                                                              << " XFS buffers leaked";
        TtuSimReset();
    }
    XfsClient &Session() { return *m_session; }

    XfsClient *m_session = nullptr;
};
