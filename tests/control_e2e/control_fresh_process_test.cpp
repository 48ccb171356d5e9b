// A process of its own, because what is checked depends on the process's
// history: first the properties of a process that has never opened the
// session, then a close that fails because the XFS session was taken away
// under the control (the process's session state cannot be repaired after
// that, so nothing may run after it).
#include <gtest/gtest.h>

#include "ControlHost.h"
#include "trcutil30.h"
#include "ttusim.h"
#include "xfsapi.h"
#include "xfsdiag.h"

namespace {

class FreshProcess : public ::testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }
    void SetUp() override { ASSERT_EQ(0, TtuSimReset()); }
    void TearDown() override
    {
        EXPECT_TRUE(PumpUntil([] { return WFMDiagLiveBufferCount() == 0; }, 10000));
    }
};

bool IsEmptyVariant(const VARIANT &var)
{
    return var.vt == VT_EMPTY;
}

TEST_F(FreshProcess, PropertiesOfAProcessThatNeverOpenedTheSession)
{
    CControlHost control;
    ASSERT_TRUE(control.Ok());

    EXPECT_EQ(L"DEVNODEVICE", control.GetString(L"DeviceStatus"));
    EXPECT_EQ(L"NOTAVAILABLE", control.GetString(L"KeyboardStatus"));
    EXPECT_EQ(0, control.GetLong(L"DisplaySizeX"));
    EXPECT_EQ(0, control.GetLong(L"DisplaySizeY"));
    EXPECT_FALSE(control.GetBool(L"KeyLockStatus"));
    VARIANT leds = control.Get(L"LEDStatus");
    EXPECT_TRUE(IsEmptyVariant(leds));
    EXPECT_FALSE(control.GetBool(L"HasKeyLock"));
    EXPECT_FALSE(control.GetBool(L"HasDisplayLigth"));
    EXPECT_FALSE(control.GetBool(L"CanSupportCursor"));
    EXPECT_FALSE(control.GetBool(L"CanSupportForms"));
    VARIANT sizes = control.Get(L"SupportedScreenSizeX");
    EXPECT_TRUE(IsEmptyVariant(sizes));
    sizes = control.Get(L"SupportedScreenSizeY");
    EXPECT_TRUE(IsEmptyVariant(sizes));
    EXPECT_EQ(L"ASCII", control.GetString(L"SupportedCharSets"));
    EXPECT_EQ(L"", control.GetString(L"Keys"));
    EXPECT_EQ(L"", control.GetString(L"CommandKeys"));
    EXPECT_EQ(0, control.GetLong(L"NumOfLEDs"));

    // Before any form or field query.
    EXPECT_EQ(L"", control.GetString(L"FormName"));
    EXPECT_EQ(0, control.GetLong(L"FormWidth"));
    EXPECT_EQ(0, control.GetLong(L"FormHeight"));
    EXPECT_EQ(0, control.GetLong(L"FormVersionMajor"));
    EXPECT_EQ(0, control.GetLong(L"FormVersionMinor"));
    EXPECT_EQ(L"ASCII", control.GetString(L"FormCharSet"));
    VARIANT fields = control.Get(L"FormFieldList");
    EXPECT_EQ(VT_ARRAY | VT_VARIANT, fields.vt);
    EXPECT_EQ(0, LowerBound(fields));
    EXPECT_TRUE(StringsOf(fields).empty());
    VariantClear(&fields);
    EXPECT_EQ(L"", control.GetString(L"FormFieldName"));
    EXPECT_EQ(L"", control.GetString(L"FormFieldFormat"));
    EXPECT_EQ(L"TEXT", control.GetString(L"FormFieldType"));
    EXPECT_EQ(L"STATIC", control.GetString(L"FormFieldClass"));
    EXPECT_EQ(L"READ", control.GetString(L"FormFieldAccess"));
    EXPECT_EQ(L"TERMINATE", control.GetString(L"FormFieldOverflow"));

    // Keys were marked as read while the session was closed: opening the
    // session does not fill them until a close clears the mark.
    ASSERT_EQ(0, control.Call(L"OpenSessionSync", {30000}));
    EXPECT_EQ(L"", control.GetString(L"Keys"));
    ASSERT_EQ(0, control.Call(L"CloseSessionSync"));
    ASSERT_EQ(0, control.Call(L"OpenSessionSync", {30000}));
    EXPECT_EQ(L"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ.", control.GetString(L"Keys"));
    ASSERT_EQ(0, control.Call(L"CloseSessionSync"));
}

TEST_F(FreshProcess, AFailedCloseStillMakesThePropertiesAskAgain)
{
    CControlHost control;
    ASSERT_TRUE(control.Ok());
    ASSERT_EQ(0, control.Call(L"OpenSessionSync", {30000}));
    EXPECT_TRUE(control.GetBool(L"HasKeyLock"));
    control.GetString(L"Keys");
    control.GetString(L"DeviceStatus");

    // Take the XFS session away: the only session of this process is the
    // control's, so the one handle that closes is its.
    bool bTaken = false;
    for (HSERVICE hService = 1; hService < 4096 && !bTaken; ++hService)
        bTaken = WFSClose(hService) == WFS_SUCCESS;
    ASSERT_TRUE(bTaken);

    WFMDiagResetCallCounts();
    TrcCaptureClear();
    TrcCaptureStart();
    EXPECT_NE(0, control.Call(L"CloseSessionSync"));
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncDeregister"));
    EXPECT_EQ((std::vector<std::string>{"L0 TTU ACTIVEX METHOD Ctrl::CloseSessionSync Invoked"}),
              CapturedLinesWith("Ctrl::"));
    TrcCaptureStop();

    // The failed close leaves the process closed; in the next session each
    // group asks again.
    ASSERT_EQ(0, control.Call(L"OpenSessionSync", {30000}));
    WFMDiagResetCallCounts();
    control.GetBool(L"HasKeyLock");
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncGetInfo"));
    control.GetString(L"Keys");
    EXPECT_EQ(2, WFMDiagCallCount("WFSAsyncGetInfo"));
    control.GetString(L"DeviceStatus");
    EXPECT_EQ(3, WFMDiagCallCount("WFSAsyncGetInfo"));
    // And once again asked, not again.
    control.GetBool(L"HasKeyLock");
    control.GetString(L"Keys");
    control.GetString(L"DeviceStatus");
    EXPECT_EQ(3, WFMDiagCallCount("WFSAsyncGetInfo"));
}

} // namespace
