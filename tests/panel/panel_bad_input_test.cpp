// Bad input through the XFS API gets the standard's codes, and nothing
// crashes or leaks: null pointers, handles that name nothing, commands and
// categories outside the TTU class, and command data the panel cannot carry
// out.
#include "PanelClientFixture.h"

#include <string>

using PanelBadInputTest = PanelClientTest;

TEST_F(PanelBadInputTest, PointersAndHandlesThatNameNothing)
{
    XfsClient client;
    ASSERT_EQ(client.Open(), WFS_SUCCESS);
    WFSTTUBEEP beep = {WFS_TTU_BEEPKEYPRESS};
    REQUESTID requestID = 0;
    EXPECT_EQ(WFSAsyncExecute(client.Service(), WFS_CMD_TTU_BEEP, &beep, 0, client.Window(), nullptr),
              WFS_ERR_INVALID_POINTER);
    EXPECT_EQ(WFSAsyncExecute(client.Service(), WFS_CMD_TTU_BEEP, &beep, 0, nullptr, &requestID),
              WFS_ERR_INVALID_HWND);
    for (HSERVICE hService : {HSERVICE(0), HSERVICE(client.Service() + 100)}) {
        EXPECT_EQ(WFSAsyncExecute(hService, WFS_CMD_TTU_BEEP, &beep, 0, client.Window(), &requestID),
                  WFS_ERR_INVALID_HSERVICE);
        EXPECT_EQ(WFSAsyncGetInfo(hService, WFS_INF_TTU_STATUS, nullptr, 0, client.Window(), &requestID),
                  WFS_ERR_INVALID_HSERVICE);
    }
    EXPECT_EQ(WFSAsyncGetInfo(client.Service(), WFS_INF_TTU_STATUS, nullptr, 0, client.Window(), nullptr),
              WFS_ERR_INVALID_POINTER);
    HSERVICE hService = 0;
    EXPECT_EQ(WFSAsyncOpen(const_cast<LPSTR>("OperatorPanel"), nullptr, nullptr, 0, 0, &hService, client.Window(),
                           0x00000003, nullptr, nullptr, nullptr),
              WFS_ERR_INVALID_POINTER);
    EXPECT_EQ(WFSAsyncOpen(const_cast<LPSTR>("NoSuchPanel"), nullptr, nullptr, 0, 0, &hService, client.Window(),
                           0x00000003, nullptr, nullptr, &requestID) == WFS_SUCCESS
                  ? client.Await(requestID)->hResult
                  : WFS_ERR_SERVICE_NOT_FOUND,
              WFS_ERR_SERVICE_NOT_FOUND);
    EXPECT_EQ(WFSCancelAsyncRequest(client.Service(), 987654), WFS_ERR_INVALID_REQ_ID);
    EXPECT_EQ(client.Close(), WFS_SUCCESS);
    EXPECT_EQ(WFSAsyncClose(client.Service(), client.Window(), &requestID), WFS_ERR_INVALID_HSERVICE);
}

// Codes outside the TTU class are not commands or categories of this
// service class at all (INVALID_...), unlike a TTU command the device lacks
// (UNSUPP_...).
TEST_F(PanelBadInputTest, CommandsAndCategoriesOutsideTheClass)
{
    XfsClient client;
    ASSERT_EQ(client.Open(), WFS_SUCCESS);
    WFSTTUBEEP beep = {WFS_TTU_BEEPKEYPRESS};
    for (DWORD dwCommand : {DWORD(0), DWORD(301), DWORD(700), DWORD(711), DWORD(799), DWORD(0xFFFFFFFF)})
        EXPECT_EQ(client.Execute(dwCommand, &beep), WFS_ERR_INVALID_COMMAND) << "command " << dwCommand;
    for (DWORD dwCategory : {DWORD(0), DWORD(301), DWORD(700), DWORD(707), DWORD(799)})
        EXPECT_EQ(client.GetInfo(dwCategory, nullptr), WFS_ERR_INVALID_CATEGORY) << "category " << dwCategory;
    EXPECT_EQ(client.Execute(WFS_CMD_TTU_BEEP, &beep), WFS_SUCCESS) << "the session survives";
    EXPECT_EQ(client.Close(), WFS_SUCCESS);
}

TEST_F(PanelBadInputTest, CommandDataThePanelCannotCarryOut)
{
    XfsClient client;
    ASSERT_EQ(client.Open(), WFS_SUCCESS);
    for (DWORD dwCommand : {WFS_CMD_TTU_BEEP, WFS_CMD_TTU_WRITE, WFS_CMD_TTU_READ, WFS_CMD_TTU_SET_LED})
        EXPECT_EQ(client.Execute(dwCommand, nullptr), WFS_ERR_INVALID_POINTER) << "command " << dwCommand;

    // A read naming command keys the keyboard does not have.
    WORD helpKey[] = {WFS_TTU_CK_HELP, WFS_TTU_NOKEY};
    WORD lastFdk[] = {WFS_TTU_CK_FDK32, WFS_TTU_NOKEY};
    WORD enter[] = {WFS_TTU_CK_ENTER, WFS_TTU_NOKEY};
    for (LPWORD lpwKeys : {helpKey, lastFdk}) {
        WFSTTUREAD read = {};
        read.wNumOfChars = 4;
        read.lpszActiveKeys = const_cast<LPSTR>("0123");
        read.lpwActiveCommandKeys = lpwKeys;
        read.lpwTerminateCommandKeys = enter;
        const HRESULT hr = client.Execute(WFS_CMD_TTU_READ, &read);
        EXPECT_TRUE(hr == WFS_ERR_TTU_KEYNOTSUPPORTED || hr == WFS_ERR_TTU_KEYINVALID) << hr;
        read.lpwActiveCommandKeys = enter;
        read.lpwTerminateCommandKeys = lpwKeys;
        const HRESULT hrTerminate = client.Execute(WFS_CMD_TTU_READ, &read);
        EXPECT_TRUE(hrTerminate == WFS_ERR_TTU_KEYNOTSUPPORTED || hrTerminate == WFS_ERR_TTU_KEYINVALID)
            << hrTerminate;
    }

    // Positions outside the display; text that runs past the edge is cut.
    for (SHORT x : {SHORT(20), SHORT(-1), SHORT(500)}) {
        WFSTTUWRITE write = {WFS_TTU_POSABSOLUTE, x, 0, 0, const_cast<LPSTR>("X"), nullptr};
        EXPECT_EQ(client.Execute(WFS_CMD_TTU_WRITE, &write), WFS_ERR_INVALID_DATA) << "x " << x;
    }
    WFSTTUWRITE below = {WFS_TTU_POSABSOLUTE, 0, 4, 0, const_cast<LPSTR>("X"), nullptr};
    EXPECT_EQ(client.Execute(WFS_CMD_TTU_WRITE, &below), WFS_ERR_INVALID_DATA);
    WFSTTUWRITE edge = {WFS_TTU_POSABSOLUTE, 16, 0, 0, const_cast<LPSTR>("ABCDEFG"), nullptr};
    EXPECT_EQ(client.Execute(WFS_CMD_TTU_WRITE, &edge), WFS_SUCCESS);
    const std::vector<std::wstring> lines = PanelLines();
    EXPECT_EQ(lines.at(0), L"                ABCD");
    EXPECT_EQ(lines.at(1), std::wstring(20, L' ')) << "clipped text must not wrap";

    // LEDs the device lacks, resolutions it does not offer.
    for (WORD wLed : {WORD(4), WORD(7), WORD(8), WORD(0xFFFF)}) {
        WFSTTUSETLEDS led = {wLed, WFS_TTU_LEDCONTINUOUS};
        EXPECT_EQ(client.Execute(WFS_CMD_TTU_SET_LED, &led), WFS_ERR_TTU_INVALIDLED) << "LED " << wLed;
    }
    for (WFSTTURESOLUTION resolution : {WFSTTURESOLUTION{80, 25}, WFSTTURESOLUTION{20, 2}}) {
        EXPECT_EQ(client.Execute(WFS_CMD_TTU_SET_RESOLUTION, &resolution), WFS_ERR_TTU_RESNOTSUPP)
            << resolution.wSizeX << "x" << resolution.wSizeY;
    }
    EXPECT_EQ(client.Close(), WFS_SUCCESS);
}
