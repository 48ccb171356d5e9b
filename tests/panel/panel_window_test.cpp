// The panel's window and its picture, drawn without a screen: lamps, text
// and the display light as the operator would see them, a click on a key's
// button reaching an application's read, and the PNG file of the picture.
#include "PanelTest.h"
#include "PanelPicture.h"
#include "PanelSnapshot.h"
#include "PanelWindow.h"

#include <fstream>
#include <iterator>

namespace {

TTUSIMPANELVIEW View()
{
    TTUSIMPANELVIEW view{};
    EXPECT_EQ(TtuSimGetPanelView(&view), WFS_SUCCESS);
    return view;
}

COLORREF Centre(const CPanelCanvas &canvas, const RECT &rc)
{
    return canvas.Pixel((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
}

// How many pixels of a cell are not the glass.
int Ink(const CPanelCanvas &canvas, const RECT &rc, COLORREF glass)
{
    int n = 0;
    for (LONG y = rc.top; y < rc.bottom; ++y)
        for (LONG x = rc.left; x < rc.right; ++x)
            n += canvas.Pixel(x, y) != glass;
    return n;
}

HRESULT Write(XfsClient &client, SHORT x, SHORT y, WORD fwAttr, const char *pszText)
{
    WFSTTUWRITE write{WFS_TTU_POSABSOLUTE, x, y, fwAttr, const_cast<LPSTR>(pszText), nullptr};
    return client.ExecuteCode(WFS_CMD_TTU_WRITE, &write);
}

} // namespace

using PanelWindowTest = PanelTest;

TEST_F(PanelWindowTest, PictureShowsLampsTextAndTheDisplayLight)
{
    XfsClient &client = Session();
    EXPECT_FALSE(PanelFlashes(View()));
    for (WFSTTUSETLEDS led : {WFSTTUSETLEDS{0, WFS_TTU_LEDCONTINUOUS}, WFSTTUSETLEDS{2, WFS_TTU_LEDQUICKFLASH}})
        ASSERT_EQ(client.ExecuteCode(WFS_CMD_TTU_SET_LED, &led), WFS_SUCCESS);
    EXPECT_TRUE(PanelFlashes(View()));
    ASSERT_EQ(Write(client, 3, 1, 0, "X"), WFS_SUCCESS);
    ASSERT_EQ(Write(client, 6, 1, WFS_TTU_TEXTINVERTED, " "), WFS_SUCCESS);
    ASSERT_EQ(Write(client, 8, 1, WFS_TTU_TEXTUNDERLINE, " "), WFS_SUCCESS);
    ASSERT_EQ(Write(client, 10, 1, WFS_TTU_TEXTFLASH, "Z"), WFS_SUCCESS);

    CPanelLayout layout;
    const auto lit = RenderPanel(View(), 0, &layout);
    const auto dark = RenderPanel(View(), 625); // the dark half of quick and text flashes
    ASSERT_TRUE(lit && dark);
    // Four lines: FDK01..04 beside them on the left, FDK05..08 on the right.
    for (const CKeyPlace &place : layout.keys)
        if (place.key.wCommandKey == WFS_TTU_CK_FDK01 || place.key.wCommandKey == WFS_TTU_CK_FDK01 + 4) {
            EXPECT_EQ(place.rc.right <= layout.rcDisplay.left, place.key.wCommandKey == WFS_TTU_CK_FDK01);
        }
    ASSERT_GE(layout.leds.size(), 3u);
    const struct {
        const CPanelCanvas &canvas;
        size_t uLed;
        COLORREF expected;
    } lamps[] = {{*lit, 0, PanelColours::Lamp(0)}, {*lit, 1, PanelColours::kLampOff},
                 {*lit, 2, PanelColours::Lamp(2)}, {*dark, 2, PanelColours::kLampOff},
                 {*dark, 0, PanelColours::Lamp(0)}};
    for (const auto &lamp : lamps)
        EXPECT_EQ(Centre(lamp.canvas, layout.leds[lamp.uLed]), lamp.expected) << "LED" << lamp.uLed;

    const COLORREF glass = PanelColours::kGlassLit;
    EXPECT_GT(Ink(*lit, layout.CellRect(3, 1), glass), 0) << "the X";
    EXPECT_EQ(Ink(*lit, layout.CellRect(4, 1), glass), 0) << "a blank cell";
    EXPECT_EQ(Ink(*lit, layout.CellRect(3, 0), glass), 0) << "the cell above the X";
    EXPECT_EQ(Centre(*lit, layout.CellRect(6, 1)), PanelColours::kInkLit) << "an inverted blank";
    EXPECT_GT(Ink(*lit, layout.CellRect(8, 1), glass), 0) << "an underlined blank";
    EXPECT_GT(Ink(*lit, layout.CellRect(10, 1), glass), 0) << "flashing text, lit";
    EXPECT_EQ(Ink(*dark, layout.CellRect(10, 1), glass), 0) << "flashing text, dark";

    WFSTTUDISPLIGHT light{FALSE};
    ASSERT_EQ(client.ExecuteCode(WFS_CMD_TTU_DISPLIGHT, &light), WFS_SUCCESS);
    const auto unlit = RenderPanel(View(), 0);
    ASSERT_TRUE(unlit);
    EXPECT_EQ(Centre(*unlit, layout.CellRect(4, 1)), PanelColours::kGlassDark);
    EXPECT_NE(Ink(*lit, layout.rcStatus, PanelColours::kBody),
              Ink(*unlit, layout.rcStatus, PanelColours::kBody)) << "the status line says light off";
}

TEST_F(PanelWindowTest, ClickedKeysReachTheReadAndKeysItDoesNotTakeAreGreyed)
{
    XfsClient &client = Session();
    const HWND hPanel = CreatePanelWindow(false);
    ASSERT_NE(hPanel, nullptr);
    const HWND hFive = FindKeyButton(hPanel, CPanelKey{L'5', 0});
    const HWND hLetter = FindKeyButton(hPanel, CPanelKey{L'A', 0});
    const HWND hEnter = FindKeyButton(hPanel, CPanelKey{0, WFS_TTU_CK_ENTER});
    const HWND hCancel = FindKeyButton(hPanel, CPanelKey{0, WFS_TTU_CK_CANCEL});
    ASSERT_TRUE(hFive && hLetter && hEnter && hCancel);
    EXPECT_TRUE(IsWindowEnabled(hLetter)) << "no read runs: every key counts";

    WORD terminateKeys[] = {WFS_TTU_CK_ENTER, WFS_TTU_NOKEY};
    WFSTTUREAD read{4, 0, 0, 0, WFS_TTU_ECHOTEXT, 0, TRUE, FALSE, FALSE, const_cast<LPSTR>("0123456789"),
                    nullptr, nullptr, terminateKeys};
    const REQUESTID requestID = client.ExecuteAsync(WFS_CMD_TTU_READ, &read);
    ASSERT_NE(requestID, 0u) << client.LastSubmit();
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowEnabled(hLetter); }));
    EXPECT_TRUE(IsWindowEnabled(hFive));
    EXPECT_TRUE(IsWindowEnabled(hEnter));
    EXPECT_FALSE(IsWindowEnabled(hCancel));
    CPanelLayout layout;
    const auto picture = RenderPanel(View(), 0, &layout);
    ASSERT_TRUE(picture);
    EXPECT_GT(Ink(*picture, layout.CellRect(0, 0), PanelColours::kGlassLit), 0) << "the cursor";
    EXPECT_EQ(Ink(*picture, layout.CellRect(1, 0), PanelColours::kGlassLit), 0);

    SendMessageW(hFive, BM_CLICK, 0, 0);
    SendMessageW(hEnter, BM_CLICK, 0, 0);
    LPWFSRESULT completion = client.Wait(requestID);
    ASSERT_TRUE(completion);
    ASSERT_EQ(completion->hResult, WFS_SUCCESS);
    EXPECT_STREQ(static_cast<const WFSTTUREADIN *>(completion->lpBuffer)->lpszInput, "5");
    ASSERT_TRUE(PumpUntil([&] { return IsWindowEnabled(hLetter) != FALSE; })) << "the read is over";
    EXPECT_TRUE(DestroyWindow(hPanel));
}

TEST_F(PanelWindowTest, SnapshotIsAPngOfThePicturesSize)
{
    wchar_t szTemp[MAX_PATH];
    GetTempPathW(MAX_PATH, szTemp);
    const std::wstring strPath = std::wstring(szTemp) + L"panel_window_test.png";
    ASSERT_EQ(RunSnapshot(strPath), 0);
    CPanelLayout layout;
    ASSERT_TRUE(RenderPanel(View(), 0, &layout));

    std::ifstream file(strPath.c_str(), std::ios::binary);
    const std::string strPng((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    file.close();
    DeleteFileW(strPath.c_str());
    ASSERT_GE(strPng.size(), 24u);
    EXPECT_EQ(strPng.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(strPng.substr(12, 4), "IHDR");
    auto bigEndian = [&](size_t i) {
        LONG l = 0;
        for (size_t n = i; n < i + 4; ++n)
            l = l << 8 | static_cast<unsigned char>(strPng[n]);
        return l;
    };
    EXPECT_EQ(bigEndian(16), layout.size.cx);
    EXPECT_EQ(bigEndian(20), layout.size.cy);
    EXPECT_NE(RunSnapshot(std::wstring(szTemp) + L"no such folder\\panel.png"), 0);
}
