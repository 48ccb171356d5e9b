/*
 * Every panel test starts from a panel at power-on, with one session open
 * on it, and ends by checking that no XFS buffer is left behind.
 */
#ifndef ZT_TESTS_TTUSIM_PANELFIXTURE_H
#define ZT_TESTS_TTUSIM_PANELFIXTURE_H

#include <memory>

#include <gtest/gtest.h>

#include "PanelHarness.h"

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(TtuSimReset(), WFS_SUCCESS);
        m_session = std::make_unique<PanelSession>();
        ASSERT_EQ(m_session->OpenResult(), WFS_SUCCESS);
    }
    void TearDown() override
    {
        m_session.reset();
        PumpFor(20); // results the manager frees for windows already gone
        EXPECT_EQ(WFMDiagLiveBufferCount(), 0);
    }
    PanelSession &Session() { return *m_session; }

    std::unique_ptr<PanelSession> m_session;
};

#endif
