// What the panel says about itself, its beeper, and the codes outside the
// TTU class.
#include <algorithm>
#include <string>
#include <vector>

#include "PanelTest.h"

namespace {

template <typename T> const T &Buffer(LPWFSRESULT lpResult) { return *static_cast<const T *>(lpResult->lpBuffer); }

// Status, capabilities and keys describe one device.
TEST_F(PanelTest, TheDeviceDescriptionsAgree)
{
    LPWFSRESULT lpCaps = Session().GetInfo(WFS_INF_TTU_CAPABILITIES);
    LPWFSRESULT lpStatus = Session().GetInfo(WFS_INF_TTU_STATUS);
    LPWFSRESULT lpKeys = Session().GetInfo(WFS_INF_TTU_KEY_DETAIL);
    for (LPWFSRESULT lpResult : {lpCaps, lpStatus, lpKeys})
        ASSERT_EQ(Session().Code(lpResult), WFS_SUCCESS);
    EXPECT_EQ(lpStatus->u.dwCommandCode, DWORD(WFS_INF_TTU_STATUS));
    const WFSTTUCAPS &caps = Buffer<WFSTTUCAPS>(lpCaps);
    const WFSTTUSTATUS &status = Buffer<WFSTTUSTATUS>(lpStatus);
    EXPECT_EQ(caps.wClass, WFS_SERVICE_CLASS_TTU);
    EXPECT_EQ(status.fwKeylock, caps.bKeyLock ? WFS_TTU_KBDLOCKOFF : WFS_TTU_KBDLOCKNA);
    // The display is at the first resolution listed; the list ends with null.
    ASSERT_TRUE(caps.lppResolutions && caps.lppResolutions[0] && caps.lppResolutions[1]);
    EXPECT_EQ(status.wDisplaySizeX, caps.lppResolutions[0]->wSizeX);
    EXPECT_EQ(status.wDisplaySizeY, caps.lppResolutions[0]->wSizeY);
    ASSERT_GE(caps.wNumOfLEDs, 1);
    for (WORD i = 0; i < WFS_TTU_LEDS_MAX; ++i)
        EXPECT_EQ(status.wLEDs[i], i < caps.wNumOfLEDs ? WFS_TTU_LEDOFF : WFS_TTU_LEDNA) << i;
    EXPECT_EQ(Entries(status.lpszExtra), (std::vector<std::string>{"Firmware=ZT-VP 1.0", "DisplayLight=ON"}));
    // Every key a read may name is one the panel can press, and no other.
    const WFSTTUKEYDETAIL &keys = Buffer<WFSTTUKEYDETAIL>(lpKeys);
    ASSERT_NE(keys.lpszKeys, nullptr);
    EXPECT_EQ(std::wstring(keys.lpszKeys, keys.lpszKeys + strlen(keys.lpszKeys)), keys.lpszUNICODEKeys);
    for (LPCSTR lpsz = keys.lpszKeys; *lpsz; ++lpsz)
        EXPECT_EQ(TtuSimPressKey(static_cast<WCHAR>(*lpsz), 0), WFS_SUCCESS) << *lpsz;
    std::vector<WORD> listed;
    for (LPWORD lpw = keys.lpwCommandKeys; *lpw; ++lpw)
        listed.push_back(*lpw);
    for (WORD wKey = WFS_TTU_CK_ENTER; wKey <= WFS_TTU_CK_FDK32; ++wKey) {
        const bool bListed = std::find(listed.begin(), listed.end(), wKey) != listed.end();
        EXPECT_EQ(TtuSimPressKey(0, wKey), bListed ? WFS_SUCCESS : WFS_ERR_INVALID_DATA) << wKey;
    }
}

TEST_F(PanelTest, BeepSoundsAndStopsAndRefusesUnknownTones)
{
    WFSTTUBEEP beep = {WFS_TTU_BEEPWARNING | WFS_TTU_BEEPCONTINUOUS};
    LPWFSRESULT lpResult = Session().Execute(WFS_CMD_TTU_BEEP, &beep);
    ASSERT_EQ(Session().Code(lpResult), WFS_SUCCESS);
    EXPECT_EQ(lpResult->u.dwCommandCode, (DWORD)WFS_CMD_TTU_BEEP);
    EXPECT_EQ(Snapshot().wLastBeep, WFS_TTU_BEEPWARNING | WFS_TTU_BEEPCONTINUOUS);
    EXPECT_TRUE(Snapshot().bBeeping);
    beep.wBeep = WFS_TTU_BEEPOFF;
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_BEEP, &beep), WFS_SUCCESS);
    EXPECT_FALSE(Snapshot().bBeeping);
    for (WORD wBeep : {WORD(WFS_TTU_BEEPWARNING | WFS_TTU_BEEPERROR), WORD(0)}) { // two tones, none
        beep.wBeep = wBeep;
        EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_BEEP, &beep), WFS_ERR_INVALID_DATA) << wBeep;
    }
}

// Codes outside the TTU class are no commands or categories at all; the
// session survives them. Commands that need data refuse none.
TEST_F(PanelTest, CodesOutsideTheClassAndMissingDataAreRefused)
{
    WFSTTUBEEP beep = {WFS_TTU_BEEPKEYPRESS};
    for (DWORD dwCommand : {0ul, 301ul, 700ul, DWORD(WFS_CMD_TTU_RESET + 1), 799ul, 0xFFFFFFFFul})
        EXPECT_EQ(Session().ExecuteCode(dwCommand, &beep), WFS_ERR_INVALID_COMMAND) << dwCommand;
    for (DWORD dwCategory : {0ul, 301ul, 700ul, DWORD(WFS_INF_TTU_KEY_DETAIL + 1), 799ul})
        EXPECT_EQ(Session().GetInfoCode(dwCategory), WFS_ERR_INVALID_CATEGORY) << dwCategory;
    for (DWORD dwCommand : {WFS_CMD_TTU_BEEP, WFS_CMD_TTU_WRITE, WFS_CMD_TTU_READ, WFS_CMD_TTU_SET_LED,
                            WFS_CMD_TTU_WRITE_FORM, WFS_CMD_TTU_READ_FORM, WFS_CMD_TTU_DISPLIGHT,
                            WFS_CMD_TTU_SET_RESOLUTION, WFS_CMD_TTU_CLEARSCREEN})
        EXPECT_EQ(Session().ExecuteCode(dwCommand, nullptr), WFS_ERR_INVALID_POINTER) << dwCommand;
    for (DWORD dwCategory : {WFS_INF_TTU_QUERY_FORM, WFS_INF_TTU_QUERY_FIELD})
        EXPECT_EQ(Session().GetInfoCode(dwCategory, nullptr), WFS_ERR_INVALID_POINTER);
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_BEEP, &beep), WFS_SUCCESS);
}

} // namespace
