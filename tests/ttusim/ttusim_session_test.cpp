// Opening the panel, its status and capabilities, its locks and the system
// events it sends when its state changes.
#include <algorithm>
#include <string>
#include <vector>

#include "PanelFixture.h"

namespace {

std::vector<std::string> MultiString(LPCSTR lpsz)
{
    std::vector<std::string> entries;
    for (; lpsz && *lpsz; lpsz += strlen(lpsz) + 1)
        entries.emplace_back(lpsz);
    return entries;
}

bool Has(const std::vector<std::string> &entries, const std::string &entry)
{
    return std::find(entries.begin(), entries.end(), entry) != entries.end();
}

TEST_F(PanelTest, StatusShowsThePowerOnPanelAndItsExtraEntries)
{
    LPWFSRESULT lpResult = Session().GetInfo(WFS_INF_TTU_STATUS);
    ASSERT_NE(lpResult, nullptr);
    ASSERT_EQ(lpResult->hResult, WFS_SUCCESS);
    EXPECT_EQ(lpResult->u.dwCommandCode, (DWORD)WFS_INF_TTU_STATUS);
    auto *lpStatus = static_cast<LPWFSTTUSTATUS>(lpResult->lpBuffer);
    ASSERT_NE(lpStatus, nullptr);
    EXPECT_EQ(lpStatus->fwDevice, WFS_TTU_DEVONLINE);
    EXPECT_EQ(lpStatus->fwKeyboard, WFS_TTU_KBDON);
    EXPECT_EQ(lpStatus->fwKeylock, WFS_TTU_KBDLOCKOFF);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(lpStatus->wLEDs[i], i < 4 ? WFS_TTU_LEDOFF : WFS_TTU_LEDNA) << i;
    EXPECT_EQ(lpStatus->wDisplaySizeX, 20);
    EXPECT_EQ(lpStatus->wDisplaySizeY, 4);
    std::vector<std::string> extra = MultiString(lpStatus->lpszExtra);
    EXPECT_TRUE(Has(extra, "Firmware=ZT-VP 1.0"));
    EXPECT_TRUE(Has(extra, "DisplayLight=ON"));
}

TEST_F(PanelTest, CapabilitiesListTheConfiguredDevice)
{
    LPWFSRESULT lpResult = Session().GetInfo(WFS_INF_TTU_CAPABILITIES);
    ASSERT_EQ(PanelSession::Code(lpResult), WFS_SUCCESS);
    auto *lpCaps = static_cast<LPWFSTTUCAPS>(lpResult->lpBuffer);
    ASSERT_NE(lpCaps, nullptr);
    EXPECT_EQ(lpCaps->wClass, WFS_SERVICE_CLASS_TTU);
    EXPECT_EQ(lpCaps->fwType, WFS_TTU_TYPEKEYBOARD | WFS_TTU_TYPEDISPLAY);
    ASSERT_NE(lpCaps->lppResolutions, nullptr);
    ASSERT_NE(lpCaps->lppResolutions[0], nullptr);
    ASSERT_NE(lpCaps->lppResolutions[1], nullptr);
    EXPECT_EQ(lpCaps->lppResolutions[2], nullptr);
    EXPECT_EQ(lpCaps->lppResolutions[0]->wSizeX, 20);
    EXPECT_EQ(lpCaps->lppResolutions[0]->wSizeY, 4);
    EXPECT_EQ(lpCaps->lppResolutions[1]->wSizeX, 40);
    EXPECT_EQ(lpCaps->lppResolutions[1]->wSizeY, 2);
    EXPECT_EQ(lpCaps->wNumOfLEDs, 4);
    EXPECT_TRUE(lpCaps->bKeyLock);
    EXPECT_TRUE(lpCaps->bDisplayLight);
    EXPECT_TRUE(lpCaps->bCursor);
    EXPECT_TRUE(lpCaps->bForms);
    EXPECT_EQ(lpCaps->fwCharSupport, WFS_TTU_AVAILASCII | WFS_TTU_AVAILUNICODE);
    std::vector<std::string> extra = MultiString(lpCaps->lpszExtra);
    EXPECT_EQ(extra, (std::vector<std::string>{"Model=ZT Virtual Panel", "Vendor=Zentrik"}));
}

TEST_F(PanelTest, KeyDetailNamesTheKeyboard)
{
    LPWFSRESULT lpResult = Session().GetInfo(WFS_INF_TTU_KEY_DETAIL);
    ASSERT_EQ(PanelSession::Code(lpResult), WFS_SUCCESS);
    auto *lpDetail = static_cast<LPWFSTTUKEYDETAIL>(lpResult->lpBuffer);
    EXPECT_STREQ(lpDetail->lpszKeys, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ.");
    EXPECT_STREQ(lpDetail->lpszUNICODEKeys, L"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ.");
    std::vector<WORD> keys;
    for (LPWORD p = lpDetail->lpwCommandKeys; *p; ++p)
        keys.push_back(*p);
    std::vector<WORD> expected = {WFS_TTU_CK_ENTER, WFS_TTU_CK_CANCEL, WFS_TTU_CK_CLEAR,
                                  WFS_TTU_CK_BACKSPACE};
    for (WORD w = WFS_TTU_CK_FDK01; w < WFS_TTU_CK_FDK01 + 8; ++w)
        expected.push_back(w);
    EXPECT_EQ(keys, expected);
}

TEST_F(PanelTest, BeepSoundsAndStopsAndRefusesUnknownTones)
{
    WFSTTUBEEP beep = {WFS_TTU_BEEPWARNING | WFS_TTU_BEEPCONTINUOUS};
    LPWFSRESULT lpResult = Session().Execute(WFS_CMD_TTU_BEEP, &beep);
    ASSERT_EQ(PanelSession::Code(lpResult), WFS_SUCCESS);
    EXPECT_EQ(lpResult->u.dwCommandCode, (DWORD)WFS_CMD_TTU_BEEP);
    TTUSIMSNAPSHOT s = Snapshot();
    EXPECT_EQ(s.wLastBeep, WFS_TTU_BEEPWARNING | WFS_TTU_BEEPCONTINUOUS);
    EXPECT_TRUE(s.bBeeping);

    beep.wBeep = WFS_TTU_BEEPOFF;
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_BEEP, &beep), WFS_SUCCESS);
    EXPECT_FALSE(Snapshot().bBeeping);

    beep.wBeep = WFS_TTU_BEEPWARNING | WFS_TTU_BEEPERROR; // two tones at once
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_BEEP, &beep), WFS_ERR_INVALID_DATA);
    beep.wBeep = 0;
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_BEEP, &beep), WFS_ERR_INVALID_DATA);
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_BEEP, nullptr), WFS_ERR_INVALID_POINTER);
}

TEST_F(PanelTest, UnknownCommandsAndCategoriesAreRefused)
{
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_RESET + 1, nullptr), WFS_ERR_INVALID_COMMAND);
    EXPECT_EQ(Session().ExecuteCode(301, nullptr), WFS_ERR_INVALID_COMMAND);
    EXPECT_EQ(Session().GetInfoCode(WFS_INF_TTU_KEY_DETAIL + 1), WFS_ERR_INVALID_CATEGORY);
    EXPECT_EQ(Session().GetInfoCode(0), WFS_ERR_INVALID_CATEGORY);
}

} // namespace
