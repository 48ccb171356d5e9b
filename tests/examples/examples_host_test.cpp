// The C++ example host's two parts, late-bound calls and the printing event
// sink, against the registered control and the virtual panel. (How the sink
// masks the PIN and keeps the command key shows in the example scenarios.)
#include "Automation.h"
#include "EventPrinter.h"

#include "ttusim.h"
#include "xfsapi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

using terminal::DispatchObject;
using terminal::EventPrinter;

namespace {

const wchar_t kProgID[] = L"ZTOPERATORPANELX.ZTOperatorPanelXCtrl.1";

class ExampleHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        ASSERT_EQ(TtuSimReset(), WFS_SUCCESS);
        m_pPanel = new DispatchObject(DispatchObject::Create(kProgID));
        m_pEvents = new EventPrinter([this](const std::string &strLine) { m_lines.push_back(strLine); });
    }

    void TearDown() override
    {
        if (m_bOpened)
            m_pPanel->Call(L"CloseSessionSync");
        delete m_pEvents;
        delete m_pPanel;
        OleUninitialize();
    }

    void Open()
    {
        m_pEvents->Connect(m_pPanel->get());
        ASSERT_EQ(m_pPanel->CallLong(L"OpenSessionSync", {30000}), WFS_SUCCESS);
        m_bOpened = true;
    }

    bool Printed(const std::string &strLine) const
    {
        return std::find(m_lines.begin(), m_lines.end(), strLine) != m_lines.end();
    }

    DispatchObject *m_pPanel = nullptr;
    EventPrinter *m_pEvents = nullptr;
    std::vector<std::string> m_lines;
    bool m_bOpened = false;
};

std::string ThrownBy(void (*pfnCall)(DispatchObject &), DispatchObject &object)
{
    try {
        pfnCall(object);
    } catch (const std::runtime_error &e) {
        return e.what();
    }
    return std::string();
}

TEST_F(ExampleHostTest, CallsByNameReachTheControlWithTheirArgumentsInOrder)
{
    // Before the session is open: a property read and a refused method.
    EXPECT_EQ(m_pPanel->Get(L"DeviceStatus").AsText(), L"DEVNODEVICE");
    EXPECT_EQ(m_pPanel->CallLong(L"Beep", {L"KEYPRESS", 0}), WFS_ERR_NOT_STARTED);
    Open();
    EXPECT_EQ(m_pPanel->Get(L"DeviceStatus").AsText(), L"DEVONLINE");
    // Index first, State second: swapped, "QUICK" would not pass as a short.
    EXPECT_EQ(m_pPanel->CallLong(L"SetLEDState", {2, L"QUICK"}), WFS_SUCCESS);
    EXPECT_EQ(m_pPanel->CallLong(L"SetLEDState", {2, L"BLINKING"}), WFS_ERR_INVALID_DATA);
    EXPECT_EQ(m_pEvents->WaitFor({L"LEDStatusChanged"}, 5000), L"LEDStatusChanged");
    EXPECT_TRUE(Printed("  event LEDStatusChanged(2, QUICK)"));

    // Unknown names and objects are errors that say what failed.
    EXPECT_NE(ThrownBy([](DispatchObject &panel) { panel.Call(L"NoSuchMethod"); }, *m_pPanel)
                  .find("GetIDsOfNames NoSuchMethod failed: 0x80020006"),
              std::string::npos);
    EXPECT_NE(ThrownBy([](DispatchObject &panel) { panel.Call(L"SetLEDState", {1}); }, *m_pPanel)
                  .find("SetLEDState failed: 0x8002000E"), // DISP_E_BADPARAMCOUNT
              std::string::npos);
    try {
        DispatchObject::Create(L"ZT.NoSuchControl.1");
        ADD_FAILURE() << "an unknown ProgID was created";
    } catch (const std::runtime_error &e) {
        EXPECT_NE(std::string(e.what()).find("CLSIDFromProgID ZT.NoSuchControl.1 failed"), std::string::npos);
    }
}

// Each arrival is waited for once, an ended wait says what was missing, and
// a disconnected printer hears nothing: once the one still connected has
// the completions, the other would have them too.
TEST_F(ExampleHostTest, EachArrivalIsWaitedForOnceAndADisconnectedPrinterHearsNothing)
{
    Open();
    std::vector<std::string> heard;
    EventPrinter other([&heard](const std::string &strLine) { heard.push_back(strLine); });
    other.Connect(m_pPanel->get());
    m_pEvents->Disconnect();
    m_pEvents->Disconnect(); // a second time does nothing
    ASSERT_EQ(m_pPanel->CallLong(L"Write", {0, 0, L"", L"A"}), WFS_SUCCESS);
    ASSERT_EQ(m_pPanel->CallLong(L"Write", {0, 0, L"", L"B"}), WFS_SUCCESS);
    EXPECT_EQ(other.WaitFor({L"BeepComplete", L"WriteComplete"}, 5000), L"WriteComplete");
    EXPECT_EQ(other.WaitFor({L"WriteComplete"}, 5000), L"WriteComplete");
    try {
        other.WaitFor({L"WriteComplete", L"BeepComplete"}, 100);
        ADD_FAILURE() << "a third WriteComplete was waited for";
    } catch (const std::runtime_error &e) {
        EXPECT_STREQ(e.what(), "no WriteComplete or BeepComplete within 100 ms");
    }
    EXPECT_EQ(heard, (std::vector<std::string>(2, "  event WriteComplete()")));
    EXPECT_TRUE(m_lines.empty());
    other.Disconnect();
}

} // namespace
