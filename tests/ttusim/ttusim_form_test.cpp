// Forms: the lists and definitions the panel reports, and form writes and
// reads with their field events.
#include <string>
#include <tuple>
#include <vector>

#include "PanelTest.h"

namespace {

using FieldEvent = std::tuple<DWORD, std::string, std::string, WORD>; // event, form, field, failure
using Events = std::vector<FieldEvent>;
FieldEvent Error(const char *lpszForm, const char *lpszField, WORD wFailure)
{
    return FieldEvent(WFS_EXEE_TTU_FIELDERROR, lpszForm, lpszField, wFailure);
}

class FormTest : public PanelTest {
protected:
    // The field events so far, forgotten once looked at.
    std::vector<FieldEvent> FieldEvents()
    {
        std::vector<FieldEvent> events;
        for (const Delivered &d : Session().Window().Messages()) {
            if (d.uMsg != WFS_EXECUTE_EVENT || d.lpResult->u.dwEventID == WFS_EXEE_TTU_KEY)
                continue;
            auto *lpFail = static_cast<LPWFSTTUFIELDFAIL>(d.lpResult->lpBuffer);
            events.emplace_back(d.lpResult->u.dwEventID, lpFail->lpszFormName, lpFail->lpszFieldName,
                                lpFail->wFailure);
        }
        Session().Window().FreeAll();
        return events;
    }
    HRESULT WriteForm(LPCSTR lpszForm, LPCSTR lpszFields, LPCWSTR lpszWideFields = nullptr)
    {
        WFSTTUWRITEFORM form = {const_cast<LPSTR>(lpszForm), TRUE, const_cast<LPSTR>(lpszFields),
                                const_cast<LPWSTR>(lpszWideFields)};
        return Session().ExecuteCode(WFS_CMD_TTU_WRITE_FORM, &form);
    }
};

// A header's other details and one field's are checked through the control.
TEST_F(FormTest, FieldListsAndNamesNotFound)
{
    LPWFSRESULT lpResult = Session().GetInfo(WFS_INF_TTU_QUERY_FORM, const_cast<LPSTR>("GREETING"));
    ASSERT_EQ(Session().Code(lpResult), WFS_SUCCESS);
    EXPECT_EQ(Entries(static_cast<LPWFSTTUFRMHEADER>(lpResult->lpBuffer)->lpszFields),
              (std::vector<std::string>{"LINE1", "LINE2"}));
    EXPECT_EQ(Session().GetInfoCode(WFS_INF_TTU_QUERY_FORM, const_cast<LPSTR>("NONE")), WFS_ERR_TTU_FORMNOTFOUND);
    WFSTTUQUERYFIELD query = {const_cast<LPSTR>("TRANSFER"), nullptr};
    lpResult = Session().GetInfo(WFS_INF_TTU_QUERY_FIELD, &query);
    ASSERT_EQ(Session().Code(lpResult), WFS_SUCCESS);
    auto **lppFields = static_cast<LPWFSTTUFRMFIELD *>(lpResult->lpBuffer);
    ASSERT_NE(lppFields[2], nullptr);
    EXPECT_EQ(lppFields[3], nullptr);
    EXPECT_STREQ(lppFields[1]->lpszFieldName, "AMOUNT");
    EXPECT_EQ(lppFields[1]->fwOverflow, WFS_TTU_FIELDOVERWRITE);
    EXPECT_EQ(lppFields[1]->fwAccess, WFS_TTU_ACCESSREAD | WFS_TTU_ACCESSWRITE);
    EXPECT_STREQ(lppFields[1]->lpszFormat, "N.NN");
    EXPECT_EQ(lppFields[2]->lpszFormat, nullptr);
    query.lpszFieldName = const_cast<LPSTR>("NOPE");
    EXPECT_EQ(Session().GetInfoCode(WFS_INF_TTU_QUERY_FIELD, &query), WFS_ERR_TTU_FIELDNOTFOUND);
    query.lpszFormName = const_cast<LPSTR>("NOPE");
    EXPECT_EQ(Session().GetInfoCode(WFS_INF_TTU_QUERY_FIELD, &query), WFS_ERR_TTU_FORMNOTFOUND);
}

TEST_F(FormTest, WriteFormShowsFieldsAndStaticText)
{
    ASSERT_EQ(WriteForm("PINENTRY", "PROMPT=PLEASE ENTER YOUR PIN NOW\0"), WFS_SUCCESS);
    std::vector<std::wstring> lines = PanelLines();
    EXPECT_EQ(lines[0], L"PIN ENTRY           ");
    EXPECT_EQ(lines[1], L"PLEASE ENTER YOUR PI"); // truncated to the field
    EXPECT_EQ(FieldEvents(), (Events{{WFS_EXEE_TTU_FIELDWARNING, "PINENTRY", "PROMPT", WFS_TTU_FIELDOVERFLOW}}));
}

TEST_F(FormTest, WriteFormRefusesBadFieldsWithEvents)
{
    ASSERT_EQ(WriteForm("TRANSFER", "ACCOUNT=12\0"), WFS_SUCCESS);
    ASSERT_TRUE(FieldEvents().empty());
    EXPECT_EQ(WriteForm("TRANSFER", "ACCOUNT=99\0NOPE=1\0TITLE=X\0NOTE=123456789012345678901\0"),
              WFS_ERR_TTU_FIELDNOTFOUND);
    EXPECT_EQ(FieldEvents(), (Events{Error("TRANSFER", "NOPE", WFS_TTU_FIELDNOTFOUND),
                                     Error("TRANSFER", "TITLE", WFS_TTU_FIELDNOTFOUND),
                                     Error("TRANSFER", "NOTE", WFS_TTU_FIELDOVERFLOW)}));
    EXPECT_EQ(PanelLines()[0].substr(0, 3), L"12 "); // nothing of it was shown

    EXPECT_EQ(WriteForm("PINENTRY", "TITLE=X\0PIN=1234\0"), WFS_ERR_TTU_FIELDERROR);
    EXPECT_EQ(FieldEvents(), (Events{Error("PINENTRY", "TITLE", WFS_TTU_FIELDSTATICOVWR),
                                     Error("PINENTRY", "PIN", WFS_TTU_FIELDNOTWRITE)}));

    // UNICODE values for a form that takes ASCII only.
    EXPECT_EQ(WriteForm("TRANSFER", nullptr, L"NOTE=\u20AC\0"), WFS_ERR_TTU_CHARSETDATA);
    EXPECT_EQ(FieldEvents(), (Events{Error("TRANSFER", "NOTE", WFS_TTU_CHARSETFORM)}));
    EXPECT_EQ(WriteForm("NOFORM", "A=1\0"), WFS_ERR_TTU_FORMNOTFOUND);
    EXPECT_EQ(WriteForm("TRANSFER", "ACCOUNT\0"), WFS_ERR_TTU_FIELDINVALID);
    WFSTTUWRITEFORM noName = {};
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_WRITE_FORM, &noName), WFS_ERR_INVALID_POINTER);
    WFSTTURESOLUTION wide = {40, 2};
    ASSERT_EQ(Session().ExecuteCode(WFS_CMD_TTU_SET_RESOLUTION, &wide), WFS_SUCCESS);
    EXPECT_EQ(WriteForm("TRANSFER", "ACCOUNT=1\0"), WFS_ERR_TTU_MEDIAOVERFLOW); // 4 rows
}

TEST_F(FormTest, ReadFormCollectsFieldsInTurn)
{
    WFSTTUREADFORM read = {const_cast<LPSTR>("TRANSFER"), const_cast<LPSTR>("ACCOUNT\0AMOUNT\0")};
    REQUESTID id = Session().ExecuteAsync(WFS_CMD_TTU_READ_FORM, &read);
    ASSERT_TRUE(PumpUntil([] { return Snapshot().bReadActive != FALSE; }));
    ASSERT_EQ(TtuSimPressKey(0, WFS_TTU_CK_ENTER), WFS_SUCCESS); // ACCOUNT is required
    ASSERT_EQ(TtuSimTypeText(L"42"), WFS_SUCCESS);
    ASSERT_EQ(TtuSimPressKey(0, WFS_TTU_CK_ENTER), WFS_SUCCESS);
    // AMOUNT overwrites its last character once full.
    ASSERT_EQ(TtuSimTypeText(L"1.5000007"), WFS_SUCCESS);
    ASSERT_EQ(TtuSimPressKey(0, WFS_TTU_CK_ENTER), WFS_SUCCESS);
    LPWFSRESULT lpResult = Session().Wait(id);
    ASSERT_EQ(Session().Code(lpResult), WFS_SUCCESS);
    auto *lpOut = static_cast<LPWFSTTUREADFORMOUT>(lpResult->lpBuffer);
    EXPECT_EQ(Entries(lpOut->lpszFields), (std::vector<std::string>{"ACCOUNT=42", "AMOUNT=1.500007"}));
    EXPECT_EQ(Entries(lpOut->lpszUNICODEFields), (std::vector<std::wstring>{L"ACCOUNT=42", L"AMOUNT=1.500007"}));
    EXPECT_EQ(FieldEvents(), (Events{{WFS_EXEE_TTU_FIELDWARNING, "TRANSFER", "ACCOUNT", WFS_TTU_FIELDREQUIRED}}));
    EXPECT_EQ(PanelLines()[1].substr(0, 8), L"1.500007");
}

TEST_F(FormTest, ReadFormOfAllFieldsEndsWhenThePasswordFieldIsFull)
{
    WFSTTUREADFORM read = {const_cast<LPSTR>("PINENTRY"), nullptr};
    REQUESTID id = Session().ExecuteAsync(WFS_CMD_TTU_READ_FORM, &read);
    ASSERT_EQ(TtuSimTypeText(L"123456"), WFS_SUCCESS);
    LPWFSRESULT lpResult = Session().Wait(id);
    ASSERT_EQ(Session().Code(lpResult), WFS_SUCCESS);
    EXPECT_EQ(Entries(static_cast<LPWFSTTUREADFORMOUT>(lpResult->lpBuffer)->lpszFields),
              (std::vector<std::string>{"PIN=123456"}));
    EXPECT_EQ(PanelLines()[2].substr(0, 7), L"****** ");
    EXPECT_EQ(Session().Window().Events(WFS_EXECUTE_EVENT, WFS_EXEE_TTU_KEY).size(), 6u);

    id = Session().ExecuteAsync(WFS_CMD_TTU_READ_FORM, &read);
    ASSERT_EQ(TtuSimPressKey(0, WFS_TTU_CK_CANCEL), WFS_SUCCESS);
    EXPECT_EQ(Session().Code(Session().Wait(id)), WFS_ERR_TTU_KEYCANCELED);

    read.lpszFormName = const_cast<LPSTR>("TRANSFER");
    read.lpszFieldNames = const_cast<LPSTR>("ACCOUNT\0NOTE\0");
    FieldEvents();
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_READ_FORM, &read), WFS_ERR_TTU_FIELDERROR);
    EXPECT_EQ(FieldEvents(), (Events{Error("TRANSFER", "NOTE", WFS_TTU_FIELDNOTREAD)}));
}

} // namespace
