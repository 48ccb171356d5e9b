// The fixture of tests that drive the registered control on the virtual
// panel from this process: a fresh panel, call counts and trace capture for
// each test; afterwards the process's session closed again, the panel reset
// and no XFS buffer left behind.
#pragma once

#include <gtest/gtest.h>

#include "ControlHost.h"
#include "trcutil30.h"
#include "ttusim.h"
#include "xfsdiag.h"

class CControlHostTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }

    void SetUp() override
    {
        ASSERT_EQ(0, TtuSimReset());
        WFMDiagResetCallCounts();
        TrcCaptureClear();
        TrcCaptureStart();
    }

    void TearDown() override
    {
        {
            CControlHost closer;
            EXPECT_EQ(0, closer.Call(L"CloseSessionSync"));
        }
        TrcCaptureStop();
        TrcCaptureClear();
        TtuSimReset();
        // Late answers (of a lost or abandoned session) are released as they come.
        EXPECT_TRUE(PumpUntil([] { return WFMDiagLiveBufferCount() == 0; }, 10000));
    }

    // A Beep and its completion: every answer the device sent before it has
    // been handled once it is back.
    static void Barrier(CControlHost &control)
    {
        control.ClearEvents();
        ASSERT_EQ(0, control.Call(L"Beep", {L"KEYPRESS", 0}));
        ASSERT_TRUE(control.WaitForEvent(L"BeepComplete"));
    }
};
