// Display, LEDs, light, resolution and reset; and the system events the
// panel sends when its status changes.
#include <string>

#include "PanelTest.h"

namespace {

HRESULT Write(XfsClient &session, WORD wMode, SHORT x, SHORT y, LPCWSTR lpszText,
              WORD fwAttr = 0)
{
    WFSTTUWRITE write = {wMode, x, y, fwAttr, nullptr, const_cast<LPWSTR>(lpszText)};
    return session.ExecuteCode(WFS_CMD_TTU_WRITE, &write);
}

HRESULT Clear(XfsClient &session, WORD x, WORD y, WORD cx, WORD cy)
{
    WFSTTUCLEARSCREEN area = {x, y, cx, cy};
    return session.ExecuteCode(WFS_CMD_TTU_CLEARSCREEN, &area);
}

HRESULT SetLed(XfsClient &session, WORD wLED, WORD fwCommand)
{
    WFSTTUSETLEDS led = {wLED, fwCommand};
    return session.ExecuteCode(WFS_CMD_TTU_SET_LED, &led);
}

using DisplayTest = PanelTest;

TEST_F(DisplayTest, WriteClipsAtTheEdgesAndFollowsTheCursor)
{
    ASSERT_EQ(Write(Session(), WFS_TTU_POSABSOLUTE, 2, 1, L"HELLO"), WFS_SUCCESS);
    // Relative to the cursor, which stands after the text.
    ASSERT_EQ(Write(Session(), WFS_TTU_POSRELATIVE, 1, 0, L"W"), WFS_SUCCESS);
    EXPECT_EQ(PanelLines()[1], L"  HELLO W           ");
    // Past the right edge the rest of the line is dropped; a line feed
    // goes on at column 0 of the next line; below the bottom nothing shows.
    ASSERT_EQ(Write(Session(), WFS_TTU_POSABSOLUTE, 17, 2, L"ABCDEFG\nNEXT\nGONE"), WFS_SUCCESS);
    std::vector<std::wstring> lines = PanelLines();
    EXPECT_EQ(lines[2], L"                 ABC");
    EXPECT_EQ(lines[3], L"NEXT                ");
    TTUSIMSNAPSHOT s = Snapshot();
    EXPECT_EQ(s.wCursorY, 3); // never below the last line
    // With both texts given the UNICODE one is shown; ASCII text alone
    // is shown too.
    WFSTTUWRITE write = {WFS_TTU_POSABSOLUTE, 0, 0, WFS_TTU_TEXTINVERTED,
                         const_cast<LPSTR>("ignored"), const_cast<LPWSTR>(L"Gr\u00FC\u00DF")};
    ASSERT_EQ(Session().ExecuteCode(WFS_CMD_TTU_WRITE, &write), WFS_SUCCESS);
    EXPECT_EQ(PanelLines()[0].substr(0, 4), L"Gr\u00FC\u00DF");
    write.lpsUNICODEText = nullptr;
    ASSERT_EQ(Session().ExecuteCode(WFS_CMD_TTU_WRITE, &write), WFS_SUCCESS);
    EXPECT_EQ(PanelLines()[0].substr(0, 7), L"ignored");
}

TEST_F(DisplayTest, WriteAndClearRefusePositionsOutsideAndBadText)
{
    EXPECT_EQ(Write(Session(), WFS_TTU_POSABSOLUTE, 20, 0, L"X"), WFS_ERR_INVALID_DATA);
    EXPECT_EQ(Write(Session(), WFS_TTU_POSABSOLUTE, 0, 4, L"X"), WFS_ERR_INVALID_DATA);
    EXPECT_EQ(Write(Session(), WFS_TTU_POSABSOLUTE, -1, 0, L"X"), WFS_ERR_INVALID_DATA);
    EXPECT_EQ(Write(Session(), WFS_TTU_POSABSOLUTE, 500, 0, L"X"), WFS_ERR_INVALID_DATA);
    ASSERT_EQ(Write(Session(), WFS_TTU_POSABSOLUTE, 18, 3, L"X"), WFS_SUCCESS);
    EXPECT_EQ(Write(Session(), WFS_TTU_POSRELATIVE, 0, 1, L"X"), WFS_ERR_INVALID_DATA);
    EXPECT_EQ(Write(Session(), WFS_TTU_POSABSOLUTE, 0, 0, L"X", 0x0008), WFS_ERR_INVALID_DATA);
    EXPECT_EQ(Write(Session(), 2, 0, 0, L"X"), WFS_ERR_INVALID_DATA);
    EXPECT_EQ(Write(Session(), WFS_TTU_POSABSOLUTE, 0, 0, L"A\tB"), WFS_ERR_INVALID_DATA);
    // Clearing is clipped to the display (checked through the control), but
    // must start on it.
    EXPECT_EQ(Clear(Session(), 20, 0, 1, 1), WFS_ERR_INVALID_DATA);
    EXPECT_EQ(Clear(Session(), 0, 4, 1, 1), WFS_ERR_INVALID_DATA);
    // Nothing of the refused writes reached the display.
    for (const std::wstring &line : PanelLines())
        EXPECT_EQ(line.find_first_not_of(L" X"), std::wstring::npos);
}

TEST_F(DisplayTest, ResolutionLedsAndLight)
{
    ASSERT_EQ(Write(Session(), WFS_TTU_POSABSOLUTE, 0, 0, L"OLD"), WFS_SUCCESS);
    WFSTTURESOLUTION size = {40, 2};
    ASSERT_EQ(Session().ExecuteCode(WFS_CMD_TTU_SET_RESOLUTION, &size), WFS_SUCCESS);
    std::vector<std::wstring> lines = PanelLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::wstring(40, L' ')); // a new size starts empty
    for (WFSTTURESOLUTION other : {WFSTTURESOLUTION{30, 3}, WFSTTURESOLUTION{20, 2}})
        EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_SET_RESOLUTION, &other), WFS_ERR_TTU_RESNOTSUPP);
    LPWFSRESULT lpStatus = Session().GetInfo(WFS_INF_TTU_STATUS);
    ASSERT_EQ(Session().Code(lpStatus), WFS_SUCCESS);
    EXPECT_EQ(static_cast<LPWFSTTUSTATUS>(lpStatus->lpBuffer)->wDisplaySizeX, 40);

    EXPECT_EQ(SetLed(Session(), 3, WFS_TTU_LEDQUICKFLASH), WFS_SUCCESS);
    for (WORD wLed : {4, 8, 0xFFFF})
        EXPECT_EQ(SetLed(Session(), wLed, WFS_TTU_LEDOFF), WFS_ERR_TTU_INVALIDLED) << wLed;
    EXPECT_EQ(SetLed(Session(), 0, 0x0003), WFS_ERR_INVALID_DATA);
    EXPECT_EQ(Snapshot().wLEDs[3], WFS_TTU_LEDQUICKFLASH);

    WFSTTUDISPLIGHT light = {FALSE};
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_DISPLIGHT, &light), WFS_SUCCESS);
    EXPECT_FALSE(Snapshot().bDisplayLight);

    // A reset brings all of it back to the power-on state.
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_RESET, nullptr), WFS_SUCCESS);
    TTUSIMSNAPSHOT s = Snapshot();
    EXPECT_EQ(s.wDisplaySizeX, 20);
    EXPECT_EQ(s.wLEDs[3], WFS_TTU_LEDOFF);
    EXPECT_TRUE(s.bDisplayLight);
}

TEST_F(DisplayTest, DeviceStatusDecidesAndResetRecoversAHardwareError)
{
    WFSTTUBEEP beep = {WFS_TTU_BEEPKEYPRESS};
    ASSERT_EQ(TtuSimSetDeviceStatus(WFS_TTU_DEVOFFLINE), WFS_SUCCESS);
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_BEEP, &beep), WFS_ERR_DEV_NOT_READY);
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_RESET, nullptr), WFS_ERR_DEV_NOT_READY);
    // Information is given whatever the device does.
    EXPECT_EQ(Session().GetInfoCode(WFS_INF_TTU_STATUS), WFS_SUCCESS);

    ASSERT_EQ(TtuSimSetDeviceStatus(WFS_TTU_DEVHWERROR), WFS_SUCCESS);
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_BEEP, &beep), WFS_ERR_HARDWARE_ERROR);
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_RESET, nullptr), WFS_SUCCESS);
    EXPECT_EQ(Snapshot().fwDevice, WFS_TTU_DEVONLINE);
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_BEEP, &beep), WFS_SUCCESS);
    EXPECT_EQ(TtuSimSetDeviceStatus(7), WFS_ERR_INVALID_DATA);
}

} // namespace
