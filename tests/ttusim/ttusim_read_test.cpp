// Keyboard reads: keys injected as the operator would press them, their
// key events and echo, and every way a read ends.
#include <string>
#include <vector>

#include "PanelTest.h"

namespace {

WORD kEnterCancel[] = {WFS_TTU_CK_ENTER, WFS_TTU_CK_CANCEL, 0};
WORD kBackspace[] = {WFS_TTU_CK_BACKSPACE, WFS_TTU_CK_CLEAR, 0};

/* A read of digits at (0,1) ended by ENTER or CANCEL. */
WFSTTUREAD DigitRead(WORD wNumOfChars, WORD fwEchoMode = WFS_TTU_ECHOTEXT)
{
    return {wNumOfChars, WFS_TTU_POSABSOLUTE, 0, 1, fwEchoMode, 0, TRUE, TRUE, FALSE,
            const_cast<LPSTR>("0123456789"), nullptr, kBackspace, kEnterCancel};
}

class ReadTest : public PanelTest {
protected:
    /* Starts a read and waits until the panel's keyboard belongs to it. */
    REQUESTID StartRead(WFSTTUREAD &read, DWORD dwTimeOut = 0)
    {
        REQUESTID id = Session().ExecuteAsync(WFS_CMD_TTU_READ, &read, dwTimeOut);
        EXPECT_NE(id, 0u);
        EXPECT_TRUE(PumpUntil([] { return Snapshot().bReadActive != FALSE; }));
        return id;
    }
    // A later request: whatever was posted before its completion has come.
    void Barrier() { ASSERT_EQ(Session().GetInfoCode(WFS_INF_TTU_STATUS), WFS_SUCCESS); }
    std::vector<WFSTTUKEY> KeyEvents()
    {
        std::vector<WFSTTUKEY> keys;
        for (LPWFSRESULT lpEvent : Session().Window().Events(WFS_EXECUTE_EVENT, WFS_EXEE_TTU_KEY))
            keys.push_back(*static_cast<LPWFSTTUKEY>(lpEvent->lpBuffer));
        return keys;
    }
};

TEST_F(ReadTest, KeysAreEchoedReportedAndEndedByEnter)
{
    WFSTTUREAD read = DigitRead(4);
    REQUESTID id = StartRead(read);
    ASSERT_EQ(TtuSimTypeText(L"12A9"), WFS_SUCCESS); // A is on the panel, but not active
    ASSERT_EQ(TtuSimPressKey(0, WFS_TTU_CK_BACKSPACE), WFS_SUCCESS);
    ASSERT_EQ(TtuSimPressKey(0, WFS_TTU_CK_FDK01), WFS_SUCCESS); // not active either
    ASSERT_EQ(TtuSimTypeText(L"3"), WFS_SUCCESS);
    EXPECT_TRUE(PumpUntil([&] { return PanelLines()[1].substr(0, 4) == L"123 "; }));
    EXPECT_EQ(Snapshot().wCursorX, 3);
    ASSERT_EQ(TtuSimPressKey(0, WFS_TTU_CK_ENTER), WFS_SUCCESS);

    LPWFSRESULT lpResult = Session().Wait(id);
    ASSERT_EQ(Session().Code(lpResult), WFS_SUCCESS);
    auto *lpReadIn = static_cast<LPWFSTTUREADIN>(lpResult->lpBuffer);
    EXPECT_STREQ(lpReadIn->lpszInput, "123");
    EXPECT_STREQ(lpReadIn->lpszUNICODEInput, L"123");

    // Each key's fields are checked through the control's key events.
    std::vector<WFSTTUKEY> keys = KeyEvents();
    ASSERT_EQ(keys.size(), 6u); // 1 2 9 BACKSPACE 3 ENTER
    EXPECT_EQ(keys[2].cKey, '9');
    EXPECT_EQ(keys[3].wCommandKey, WFS_TTU_CK_BACKSPACE);
    // The key events came before the completion, to the request's window.
    EXPECT_EQ(Session().Window().Messages().back().lpResult, lpResult);
    EXPECT_FALSE(Snapshot().bReadActive);
}

TEST_F(ReadTest, PasswordEchoAutoEndAndTypeAhead)
{
    WFSTTUREAD read = DigitRead(3, WFS_TTU_ECHOPASSWORD);
    read.bAutoEnd = TRUE;
    REQUESTID id = StartRead(read);
    ASSERT_EQ(TtuSimTypeText(L"98765"), WFS_SUCCESS);
    LPWFSRESULT lpResult = Session().Wait(id);
    ASSERT_EQ(Session().Code(lpResult), WFS_SUCCESS);
    EXPECT_STREQ(static_cast<LPWFSTTUREADIN>(lpResult->lpBuffer)->lpszInput, "987");
    EXPECT_EQ(PanelLines()[1].substr(0, 4), L"*** ");
    EXPECT_EQ(KeyEvents().size(), 3u);

    // The two keys left over wait for the next read, unless it flushes.
    read = DigitRead(2, WFS_TTU_ECHOINVISIBLE);
    read.bAutoEnd = TRUE;
    read.bFlush = FALSE;
    lpResult = Session().Execute(WFS_CMD_TTU_READ, &read);
    ASSERT_EQ(Session().Code(lpResult), WFS_SUCCESS);
    EXPECT_STREQ(static_cast<LPWFSTTUREADIN>(lpResult->lpBuffer)->lpszInput, "65");
    EXPECT_EQ(PanelLines()[1].substr(0, 4), L"*** "); // invisible echo shows nothing
}

TEST_F(ReadTest, ReadEndsByTimeOutAndCancelledRequest)
{
    WFSTTUREAD read = DigitRead(4);
    REQUESTID id = StartRead(read, 100);
    EXPECT_EQ(Session().Code(Session().Wait(id)), WFS_ERR_TIMEOUT);
    EXPECT_FALSE(Snapshot().bReadActive);

    id = StartRead(read);
    ASSERT_EQ(WFSCancelAsyncRequest(Session().Service(), id), WFS_SUCCESS);
    EXPECT_EQ(Session().Code(Session().Wait(id)), WFS_ERR_CANCELED);
    EXPECT_FALSE(Snapshot().bReadActive);
    Barrier();
    EXPECT_EQ(Session().Window().CountCompletions(id), 1u);
    EXPECT_EQ(WFSCancelAsyncRequest(Session().Service(), id), WFS_ERR_INVALID_REQ_ID);
}

TEST_F(ReadTest, KeysTheReadCannotUseAreRefused)
{
    WFSTTUREAD read = DigitRead(4);
    WORD fdk09[] = {WFS_TTU_CK_FDK01 + 8, 0};
    read.lpwActiveCommandKeys = fdk09;
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_READ, &read), WFS_ERR_TTU_KEYNOTSUPPORTED);
    WORD invalid[] = {WFS_TTU_CK_FDK32 + 1, 0};
    read.lpwActiveCommandKeys = invalid;
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_READ, &read), WFS_ERR_TTU_KEYINVALID);
    read = DigitRead(4);
    read.lpszActiveKeys = const_cast<LPSTR>("12a"); // no lower-case keys on this panel
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_READ, &read), WFS_ERR_TTU_KEYNOTSUPPORTED);
    read.lpszActiveKeys = nullptr;
    read.lpwActiveCommandKeys = nullptr;
    read.lpwTerminateCommandKeys = nullptr;
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_READ, &read), WFS_ERR_TTU_NOACTIVEKEYS);
    read = DigitRead(4);
    read.wPosY = 4;
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_READ, &read), WFS_ERR_INVALID_DATA);
    read = DigitRead(4);
    read.fwEchoMode = 3;
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_READ, &read), WFS_ERR_INVALID_DATA);

    ASSERT_EQ(TtuSimSetKeyboardStatus(WFS_TTU_KBDOFF), WFS_SUCCESS);
    read = DigitRead(4);
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_READ, &read), WFS_ERR_DEV_NOT_READY);
    // Keys the panel does not have cannot be pressed.
    EXPECT_EQ(TtuSimPressKey(L'a', 0), WFS_ERR_INVALID_DATA);
    EXPECT_EQ(TtuSimPressKey(0, WFS_TTU_CK_HELP), WFS_ERR_INVALID_DATA);
    EXPECT_EQ(TtuSimPressKey(L'1', WFS_TTU_CK_ENTER), WFS_ERR_INVALID_DATA);
    EXPECT_EQ(TtuSimTypeText(L"12a"), WFS_ERR_INVALID_DATA);
}

TEST_F(ReadTest, DeviceFailureOrPanelResetEndsARead)
{
    WFSTTUREAD read = DigitRead(4);
    REQUESTID id = StartRead(read);
    ASSERT_EQ(TtuSimSetDeviceStatus(WFS_TTU_DEVHWERROR), WFS_SUCCESS);
    EXPECT_EQ(Session().Code(Session().Wait(id)), WFS_ERR_HARDWARE_ERROR);
    ASSERT_EQ(TtuSimReset(), WFS_SUCCESS);
    id = StartRead(read);
    ASSERT_EQ(TtuSimReset(), WFS_SUCCESS);
    EXPECT_EQ(Session().Code(Session().Wait(id)), WFS_ERR_HARDWARE_ERROR);
}

} // namespace
