// An application's whole use of the operator panel through the XFS API
// alone: open, register, queries, every command, reads ended by the
// operator, by a cancel and by a time-out, forms, injected failures, locks
// between sessions, close.
#include "PanelClientFixture.h"

#include <cstring>
#include <string>

namespace {

const WORD kNoKey = WFS_TTU_NOKEY;

// The strings of a multi-string (each ended by a zero, the list by two).
std::vector<std::string> MultiString(LPCSTR lpsz)
{
    std::vector<std::string> entries;
    for (; lpsz && *lpsz; lpsz += std::strlen(lpsz) + 1)
        entries.emplace_back(lpsz);
    return entries;
}

template <typename T>
const T &Buffer(const Result &result)
{
    return *static_cast<const T *>(result->lpBuffer);
}

WFSTTUREAD NumericRead(WORD wNumOfChars, LPWORD lpwTerminateKeys)
{
    WFSTTUREAD read = {};
    read.wNumOfChars = wNumOfChars;
    read.wMode = WFS_TTU_POSABSOLUTE;
    read.wPosX = 0;
    read.wPosY = 1;
    read.fwEchoMode = WFS_TTU_ECHOTEXT;
    read.lpszActiveKeys = const_cast<LPSTR>("0123456789");
    read.lpwTerminateCommandKeys = lpwTerminateKeys;
    return read;
}

} // namespace

TEST_F(PanelClientTest, OpenRegisterAndTheDeviceDescriptionsAgree)
{
    XfsClient client;
    ASSERT_EQ(client.Open(), WFS_SUCCESS);
    ASSERT_EQ(client.Register(SERVICE_EVENTS | USER_EVENTS | SYSTEM_EVENTS | EXECUTE_EVENTS), WFS_SUCCESS);

    Result caps;
    ASSERT_EQ(client.GetInfo(WFS_INF_TTU_CAPABILITIES, nullptr, &caps), WFS_SUCCESS);
    EXPECT_EQ(caps->u.dwCommandCode, static_cast<DWORD>(WFS_INF_TTU_CAPABILITIES));
    const WFSTTUCAPS &capabilities = Buffer<WFSTTUCAPS>(caps);
    EXPECT_EQ(capabilities.wClass, WFS_SERVICE_CLASS_TTU);
    ASSERT_NE(capabilities.lppResolutions, nullptr);
    std::vector<std::pair<WORD, WORD>> resolutions;
    for (LPWFSTTURESOLUTION *lpp = capabilities.lppResolutions; *lpp; ++lpp)
        resolutions.emplace_back((*lpp)->wSizeX, (*lpp)->wSizeY);
    ASSERT_FALSE(resolutions.empty());
    EXPECT_TRUE(capabilities.bForms);
    EXPECT_GE(capabilities.wNumOfLEDs, 1);

    Result status;
    ASSERT_EQ(client.GetInfo(WFS_INF_TTU_STATUS, nullptr, &status), WFS_SUCCESS);
    const WFSTTUSTATUS &ttuStatus = Buffer<WFSTTUSTATUS>(status);
    EXPECT_EQ(ttuStatus.fwDevice, WFS_TTU_DEVONLINE);
    EXPECT_EQ(ttuStatus.fwKeyboard, WFS_TTU_KBDON);
    // The display is at the first resolution the capabilities list.
    EXPECT_EQ(std::make_pair(ttuStatus.wDisplaySizeX, ttuStatus.wDisplaySizeY), resolutions.front());
    for (WORD i = 0; i < capabilities.wNumOfLEDs; ++i)
        EXPECT_EQ(ttuStatus.wLEDs[i], WFS_TTU_LEDOFF) << "LED " << i;
    for (WORD i = capabilities.wNumOfLEDs; i < WFS_TTU_LEDS_MAX; ++i)
        EXPECT_EQ(ttuStatus.wLEDs[i], WFS_TTU_LEDNA) << "LED " << i;

    Result keys;
    ASSERT_EQ(client.GetInfo(WFS_INF_TTU_KEY_DETAIL, nullptr, &keys), WFS_SUCCESS);
    const WFSTTUKEYDETAIL &keyDetail = Buffer<WFSTTUKEYDETAIL>(keys);
    ASSERT_NE(keyDetail.lpszKeys, nullptr);
    EXPECT_NE(std::string(keyDetail.lpszKeys).find("0123456789"), std::string::npos);
    bool bHasEnter = false;
    for (LPWORD lpw = keyDetail.lpwCommandKeys; lpw && *lpw != kNoKey; ++lpw)
        bHasEnter = bHasEnter || *lpw == WFS_TTU_CK_ENTER;
    EXPECT_TRUE(bHasEnter);

    // The form list, and each form's header, answer for every listed form.
    Result forms;
    ASSERT_EQ(client.GetInfo(WFS_INF_TTU_FORM_LIST, nullptr, &forms), WFS_SUCCESS);
    const std::vector<std::string> formNames = MultiString(static_cast<LPCSTR>(forms->lpBuffer));
    ASSERT_FALSE(formNames.empty());
    for (const std::string &strForm : formNames) {
        Result header;
        ASSERT_EQ(client.GetInfo(WFS_INF_TTU_QUERY_FORM, const_cast<char *>(strForm.c_str()), &header),
                  WFS_SUCCESS)
            << strForm;
        EXPECT_EQ(std::string(Buffer<WFSTTUFRMHEADER>(header).lpszFormName), strForm);
        EXPECT_FALSE(MultiString(Buffer<WFSTTUFRMHEADER>(header).lpszFields).empty()) << strForm;
    }
    WFSTTUQUERYFIELD query = {const_cast<LPSTR>("PINENTRY"), const_cast<LPSTR>("PIN")};
    Result field;
    ASSERT_EQ(client.GetInfo(WFS_INF_TTU_QUERY_FIELD, &query, &field), WFS_SUCCESS);
    LPWFSTTUFRMFIELD *lppFields = static_cast<LPWFSTTUFRMFIELD *>(field->lpBuffer);
    ASSERT_NE(lppFields[0], nullptr);
    EXPECT_STREQ(lppFields[0]->lpszFieldName, "PIN");
    EXPECT_EQ(lppFields[1], nullptr);

    EXPECT_EQ(client.Close(), WFS_SUCCESS);
}

TEST_F(PanelClientTest, EveryCommandCompletesAndChangesThePanel)
{
    XfsClient client;
    ASSERT_EQ(client.Open(), WFS_SUCCESS);

    WFSTTUBEEP beep = {WFS_TTU_BEEPEXCLAMATION};
    EXPECT_EQ(client.Execute(WFS_CMD_TTU_BEEP, &beep), WFS_SUCCESS);
    TTUSIMSNAPSHOT snapshot = {};
    TtuSimGetSnapshot(&snapshot);
    EXPECT_EQ(snapshot.wLastBeep, WFS_TTU_BEEPEXCLAMATION);

    WFSTTUDISPLIGHT light = {FALSE};
    EXPECT_EQ(client.Execute(WFS_CMD_TTU_DISPLIGHT, &light), WFS_SUCCESS);
    WFSTTUSETLEDS led = {1, WFS_TTU_LEDQUICKFLASH};
    EXPECT_EQ(client.Execute(WFS_CMD_TTU_SET_LED, &led), WFS_SUCCESS);
    TtuSimGetSnapshot(&snapshot);
    EXPECT_FALSE(snapshot.bDisplayLight);
    EXPECT_EQ(snapshot.wLEDs[1], WFS_TTU_LEDQUICKFLASH);

    WFSTTUWRITE write = {WFS_TTU_POSABSOLUTE, 2, 1, 0, const_cast<LPSTR>("HELLO"), nullptr};
    Result written;
    EXPECT_EQ(client.Execute(WFS_CMD_TTU_WRITE, &write, &written), WFS_SUCCESS);
    EXPECT_EQ(written->u.dwCommandCode, static_cast<DWORD>(WFS_CMD_TTU_WRITE));
    EXPECT_EQ(PanelLines().at(1).substr(0, 8), L"  HELLO ");

    WFSTTUCLEARSCREEN clear = {2, 1, 2, 1}; // just "HE"
    EXPECT_EQ(client.Execute(WFS_CMD_TTU_CLEARSCREEN, &clear), WFS_SUCCESS);
    EXPECT_EQ(PanelLines().at(1).substr(0, 8), L"    LLO ");

    WFSTTURESOLUTION resolution = {40, 2};
    EXPECT_EQ(client.Execute(WFS_CMD_TTU_SET_RESOLUTION, &resolution), WFS_SUCCESS);
    Result status;
    ASSERT_EQ(client.GetInfo(WFS_INF_TTU_STATUS, nullptr, &status), WFS_SUCCESS);
    EXPECT_EQ(Buffer<WFSTTUSTATUS>(status).wDisplaySizeX, 40);
    EXPECT_EQ(Buffer<WFSTTUSTATUS>(status).wDisplaySizeY, 2);
    EXPECT_EQ(PanelLines().size(), 2u);

    // Reset takes no data and brings the power-on state back.
    EXPECT_EQ(client.Execute(WFS_CMD_TTU_RESET, nullptr), WFS_SUCCESS);
    TtuSimGetSnapshot(&snapshot);
    EXPECT_EQ(snapshot.wLEDs[1], WFS_TTU_LEDOFF);
    EXPECT_EQ(client.Close(), WFS_SUCCESS);
}

TEST_F(PanelClientTest, ReadCompletedByTheOperatorReportsEachKey)
{
    XfsClient client;
    ASSERT_EQ(client.Open(), WFS_SUCCESS);
    WORD terminateKeys[] = {WFS_TTU_CK_ENTER, kNoKey};
    WFSTTUREAD read = NumericRead(6, terminateKeys);
    REQUESTID requestID = 0;
    ASSERT_EQ(client.SubmitExecute(WFS_CMD_TTU_READ, &read, 0, &requestID), WFS_SUCCESS);
    ASSERT_TRUE(PumpUntil(PanelReadActive));
    EXPECT_EQ(TtuSimTypeText(L"42"), WFS_SUCCESS);
    EXPECT_EQ(TtuSimPressKey(L'7', 0), WFS_SUCCESS);
    EXPECT_EQ(TtuSimPressKey(0, WFS_TTU_CK_ENTER), WFS_SUCCESS);

    Result completion = client.Await(requestID);
    ASSERT_TRUE(completion);
    ASSERT_EQ(completion->hResult, WFS_SUCCESS);
    EXPECT_STREQ(Buffer<WFSTTUREADIN>(completion).lpszInput, "427");
    EXPECT_EQ(PanelLines().at(1).substr(0, 3), L"427"); // echoed where the read asked

    // Every key, ENTER included, came before the completion as an execute
    // event of this request.
    const std::vector<Result> keys = client.TakeEvents(WFS_EXECUTE_EVENT);
    ASSERT_EQ(keys.size(), 4u);
    const char expected[] = {'4', '2', '7', 0};
    for (size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(keys[i]->RequestID, requestID);
        EXPECT_EQ(keys[i]->u.dwEventID, static_cast<DWORD>(WFS_EXEE_TTU_KEY));
        const WFSTTUKEY &key = Buffer<WFSTTUKEY>(keys[i]);
        EXPECT_EQ(key.cKey, expected[i]) << i;
        EXPECT_EQ(key.wCommandKey, i == 3 ? WFS_TTU_CK_ENTER : kNoKey) << i;
    }
    EXPECT_EQ(client.Close(), WFS_SUCCESS);
}

// Every completion comes through the client's own loop, posted to its
// window: none is sent past the queue, none comes twice.
TEST_F(PanelClientTest, ALoopOnTheQueueGetsEveryCompletionAndCancelEndsARead)
{
    XfsClient client;
    ASSERT_EQ(client.Open(), WFS_SUCCESS);
    ASSERT_EQ(client.Register(SYSTEM_EVENTS | EXECUTE_EVENTS), WFS_SUCCESS);
    ASSERT_EQ(client.Lock(0), WFS_SUCCESS);
    EXPECT_EQ(client.GetInfo(WFS_INF_TTU_STATUS, nullptr), WFS_SUCCESS);
    WORD terminateKeys[] = {WFS_TTU_CK_ENTER, kNoKey};
    WFSTTUREAD read = NumericRead(4, terminateKeys);

    REQUESTID requestID = 0;
    ASSERT_EQ(client.SubmitExecute(WFS_CMD_TTU_READ, &read, 0, &requestID), WFS_SUCCESS);
    EXPECT_EQ(WFSCancelAsyncRequest(client.Service(), requestID), WFS_SUCCESS);
    Result cancelled = client.Await(requestID);
    ASSERT_TRUE(cancelled);
    EXPECT_EQ(cancelled->hResult, WFS_ERR_CANCELED);

    const ULONGLONG ullStart = GetTickCount64();
    Result timedOut;
    EXPECT_EQ(client.Execute(WFS_CMD_TTU_READ, &read, &timedOut, 200), WFS_ERR_TIMEOUT);
    EXPECT_GE(GetTickCount64() - ullStart, 200u);
    EXPECT_EQ(timedOut->u.dwCommandCode, static_cast<DWORD>(WFS_CMD_TTU_READ));

    // Neither left a read behind: the panel takes a new one at once.
    EXPECT_FALSE(PanelReadActive());
    EXPECT_EQ(client.Unlock(), WFS_SUCCESS);
    EXPECT_EQ(client.Close(), WFS_SUCCESS);
    EXPECT_EQ(client.Unclaimed(), 0u);
    EXPECT_EQ(client.ThroughWindowProc(), 0u);
}

TEST_F(PanelClientTest, FormWrittenThenReadBackFromTheKeyboard)
{
    XfsClient client;
    ASSERT_EQ(client.Open(), WFS_SUCCESS);
    // Field values as NAME=VALUE entries of a multi-string.
    const char fields[] = "ACCOUNT=1234\0NOTE=PLEASE CHECK\0";
    WFSTTUWRITEFORM writeForm = {const_cast<LPSTR>("TRANSFER"), TRUE, const_cast<LPSTR>(fields), nullptr};
    ASSERT_EQ(client.Execute(WFS_CMD_TTU_WRITE_FORM, &writeForm), WFS_SUCCESS);
    const std::vector<std::wstring> lines = PanelLines();
    EXPECT_EQ(lines.at(0).substr(0, 4), L"1234");
    EXPECT_EQ(lines.at(3).substr(0, 12), L"PLEASE CHECK");

    const char fieldNames[] = "ACCOUNT\0AMOUNT\0";
    WFSTTUREADFORM readForm = {const_cast<LPSTR>("TRANSFER"), const_cast<LPSTR>(fieldNames)};
    REQUESTID requestID = 0;
    ASSERT_EQ(client.SubmitExecute(WFS_CMD_TTU_READ_FORM, &readForm, 0, &requestID), WFS_SUCCESS);
    ASSERT_TRUE(PumpUntil(PanelReadActive));
    TtuSimTypeText(L"5555");
    TtuSimPressKey(0, WFS_TTU_CK_ENTER);
    TtuSimTypeText(L"9.50");
    TtuSimPressKey(0, WFS_TTU_CK_ENTER);
    Result completion = client.Await(requestID);
    ASSERT_TRUE(completion);
    ASSERT_EQ(completion->hResult, WFS_SUCCESS);
    const std::vector<std::string> values = MultiString(Buffer<WFSTTUREADFORMOUT>(completion).lpszFields);
    EXPECT_EQ(values, (std::vector<std::string>{"ACCOUNT=5555", "AMOUNT=9.50"}));
    EXPECT_EQ(client.Close(), WFS_SUCCESS);
}

TEST_F(PanelClientTest, InjectedFailuresComeBackUnchanged)
{
    XfsClient client;
    ASSERT_EQ(client.Open(), WFS_SUCCESS);
    WFSTTUBEEP beep = {WFS_TTU_BEEPKEYPRESS};
    // Standard codes and one no manager or provider would ever make.
    for (HRESULT hrInjected : {HRESULT(WFS_ERR_HARDWARE_ERROR), HRESULT(WFS_ERR_TTU_MEDIAOVERFLOW), HRESULT(-12345)}) {
        ASSERT_EQ(TtuSimFailNext(FALSE, WFS_CMD_TTU_BEEP, 1, hrInjected), WFS_SUCCESS);
        Result failed;
        EXPECT_EQ(client.Execute(WFS_CMD_TTU_BEEP, &beep, &failed), hrInjected);
        EXPECT_EQ(failed->u.dwCommandCode, static_cast<DWORD>(WFS_CMD_TTU_BEEP));
        EXPECT_EQ(failed->lpBuffer, nullptr);
    }
    EXPECT_EQ(client.Execute(WFS_CMD_TTU_BEEP, &beep), WFS_SUCCESS) << "the fault outlived its count";

    ASSERT_EQ(TtuSimFailNext(TRUE, WFS_INF_TTU_STATUS, 2, WFS_ERR_DEV_NOT_READY), WFS_SUCCESS);
    EXPECT_EQ(client.GetInfo(WFS_INF_TTU_STATUS, nullptr), WFS_ERR_DEV_NOT_READY);
    EXPECT_EQ(client.GetInfo(WFS_INF_TTU_CAPABILITIES, nullptr), WFS_SUCCESS); // other categories unaffected
    EXPECT_EQ(client.GetInfo(WFS_INF_TTU_STATUS, nullptr), WFS_ERR_DEV_NOT_READY);
    EXPECT_EQ(client.GetInfo(WFS_INF_TTU_STATUS, nullptr), WFS_SUCCESS);
    EXPECT_EQ(client.Close(), WFS_SUCCESS);
}

TEST_F(PanelClientTest, LockOfOneSessionKeepsAnotherOutUntilUnlocked)
{
    XfsClient holder;
    XfsClient other;
    ASSERT_EQ(holder.Open(), WFS_SUCCESS);
    ASSERT_EQ(other.Open(), WFS_SUCCESS);
    ASSERT_NE(holder.Service(), other.Service());
    ASSERT_EQ(holder.Lock(0), WFS_SUCCESS);

    WFSTTUBEEP beep = {WFS_TTU_BEEPKEYPRESS};
    EXPECT_EQ(other.Execute(WFS_CMD_TTU_BEEP, &beep), WFS_ERR_LOCKED);
    EXPECT_EQ(holder.Execute(WFS_CMD_TTU_BEEP, &beep), WFS_SUCCESS);
    const HRESULT hrOtherLock = other.Lock(200);
    EXPECT_TRUE(hrOtherLock == WFS_ERR_TIMEOUT || hrOtherLock == WFS_ERR_LOCKED) << hrOtherLock;
    EXPECT_EQ(other.Unlock(), WFS_ERR_NOT_LOCKED);

    ASSERT_EQ(holder.Unlock(), WFS_SUCCESS);
    EXPECT_EQ(other.Execute(WFS_CMD_TTU_BEEP, &beep), WFS_SUCCESS);
    EXPECT_EQ(other.Lock(0), WFS_SUCCESS);
    EXPECT_EQ(holder.Execute(WFS_CMD_TTU_BEEP, &beep), WFS_ERR_LOCKED);
    // Closing the session that holds the lock lets it go.
    EXPECT_EQ(other.Close(), WFS_SUCCESS);
    EXPECT_EQ(holder.Execute(WFS_CMD_TTU_BEEP, &beep), WFS_SUCCESS);
    EXPECT_EQ(holder.Close(), WFS_SUCCESS);
}
