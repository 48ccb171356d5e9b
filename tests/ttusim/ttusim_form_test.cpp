// Forms: the lists and definitions the panel reports, and form writes and
// reads with their field events.
#include <string>
#include <vector>

#include "PanelTest.h"

namespace {

struct FieldEvent {
    DWORD dwEventID;
    std::string strForm, strField;
    WORD wFailure;
    bool operator==(const FieldEvent &o) const
    {
        return dwEventID == o.dwEventID && strForm == o.strForm && strField == o.strField &&
               wFailure == o.wFailure;
    }
};

class FormTest : public PanelTest {
protected:
    std::vector<FieldEvent> FieldEvents()
    {
        std::vector<FieldEvent> events;
        for (const Delivered &d : Session().Window().Messages()) {
            if (d.uMsg != WFS_EXECUTE_EVENT || d.lpResult->u.dwEventID == WFS_EXEE_TTU_KEY)
                continue;
            auto *lpFail = static_cast<LPWFSTTUFIELDFAIL>(d.lpResult->lpBuffer);
            events.push_back({d.lpResult->u.dwEventID, lpFail->lpszFormName,
                              lpFail->lpszFieldName, lpFail->wFailure});
        }
        return events;
    }
    HRESULT WriteForm(LPCSTR lpszForm, LPCSTR lpszFields, LPCWSTR lpszWideFields = nullptr)
    {
        WFSTTUWRITEFORM form = {const_cast<LPSTR>(lpszForm), TRUE, const_cast<LPSTR>(lpszFields),
                                const_cast<LPWSTR>(lpszWideFields)};
        return Session().ExecuteCode(WFS_CMD_TTU_WRITE_FORM, &form);
    }
};

TEST_F(FormTest, FormListHeaderAndFields)
{
    LPWFSRESULT lpResult = Session().GetInfo(WFS_INF_TTU_QUERY_FORM, const_cast<LPSTR>("GREETING"));
    ASSERT_EQ(Session().Code(lpResult), WFS_SUCCESS);
    auto *lpHeader = static_cast<LPWFSTTUFRMHEADER>(lpResult->lpBuffer);
    EXPECT_STREQ(lpHeader->lpszFormName, "GREETING");
    EXPECT_EQ(lpHeader->wWidth, 20);
    EXPECT_EQ(lpHeader->wHeight, 2);
    EXPECT_EQ(lpHeader->wVersionMajor, 2);
    EXPECT_EQ(lpHeader->wVersionMinor, 0);
    EXPECT_EQ(lpHeader->fwCharSupport, WFS_TTU_AVAILUNICODE);
    EXPECT_EQ(Entries(lpHeader->lpszFields), (std::vector<std::string>{"LINE1", "LINE2"}));
    EXPECT_EQ(Session().GetInfoCode(WFS_INF_TTU_QUERY_FORM, const_cast<LPSTR>("NONE")),
              WFS_ERR_TTU_FORMNOTFOUND);

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

    query = {const_cast<LPSTR>("PINENTRY"), const_cast<LPSTR>("PIN")};
    lpResult = Session().GetInfo(WFS_INF_TTU_QUERY_FIELD, &query);
    ASSERT_EQ(Session().Code(lpResult), WFS_SUCCESS);
    lppFields = static_cast<LPWFSTTUFRMFIELD *>(lpResult->lpBuffer);
    EXPECT_EQ(lppFields[0]->fwType, WFS_TTU_FIELDPASSWORD);
    EXPECT_EQ(lppFields[0]->fwClass, WFS_TTU_CLASSREQUIRED);
    EXPECT_EQ(lppFields[1], nullptr);
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
    EXPECT_EQ(FieldEvents(), (std::vector<FieldEvent>{{WFS_EXEE_TTU_FIELDWARNING, "PINENTRY",
                                                        "PROMPT", WFS_TTU_FIELDOVERFLOW}}));

    ASSERT_EQ(WriteForm("GREETING", nullptr, L"LINE1=Sch\u00F6nen Tag\0"), WFS_SUCCESS);
    lines = PanelLines();
    EXPECT_EQ(lines[0].substr(0, 11), L"Sch\u00F6nen Tag");
    EXPECT_EQ(lines[1].substr(0, 9), L"Gr\u00FC\u00DF Gott");
}

TEST_F(FormTest, WriteFormRefusesBadFieldsWithEvents)
{
    ASSERT_EQ(WriteForm("TRANSFER", "ACCOUNT=12\0"), WFS_SUCCESS);
    Session().Window().FreeAll();
    EXPECT_EQ(WriteForm("TRANSFER", "ACCOUNT=99\0NOPE=1\0TITLE=X\0NOTE=123456789012345678901\0"),
              WFS_ERR_TTU_FIELDNOTFOUND);
    EXPECT_EQ(FieldEvents(),
              (std::vector<FieldEvent>{
                  {WFS_EXEE_TTU_FIELDERROR, "TRANSFER", "NOPE", WFS_TTU_FIELDNOTFOUND},
                  {WFS_EXEE_TTU_FIELDERROR, "TRANSFER", "TITLE", WFS_TTU_FIELDNOTFOUND},
                  {WFS_EXEE_TTU_FIELDERROR, "TRANSFER", "NOTE", WFS_TTU_FIELDOVERFLOW}}));
    EXPECT_EQ(PanelLines()[0].substr(0, 3), L"12 "); // nothing of it was shown
    Session().Window().FreeAll();

    EXPECT_EQ(WriteForm("PINENTRY", "TITLE=X\0PIN=1234\0"), WFS_ERR_TTU_FIELDERROR);
    EXPECT_EQ(FieldEvents(),
              (std::vector<FieldEvent>{
                  {WFS_EXEE_TTU_FIELDERROR, "PINENTRY", "TITLE", WFS_TTU_FIELDSTATICOVWR},
                  {WFS_EXEE_TTU_FIELDERROR, "PINENTRY", "PIN", WFS_TTU_FIELDNOTWRITE}}));
    Session().Window().FreeAll();

    // UNICODE values for a form that takes ASCII only.
    EXPECT_EQ(WriteForm("TRANSFER", nullptr, L"NOTE=\u20AC\0"), WFS_ERR_TTU_CHARSETDATA);
    EXPECT_EQ(FieldEvents(), (std::vector<FieldEvent>{{WFS_EXEE_TTU_FIELDERROR, "TRANSFER",
                                                        "NOTE", WFS_TTU_CHARSETFORM}}));
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
    EXPECT_EQ(Entries(lpOut->lpszFields),
              (std::vector<std::string>{"ACCOUNT=42", "AMOUNT=1.500007"}));
    EXPECT_EQ(Entries(lpOut->lpszUNICODEFields),
              (std::vector<std::wstring>{L"ACCOUNT=42", L"AMOUNT=1.500007"}));
    EXPECT_EQ(FieldEvents(), (std::vector<FieldEvent>{{WFS_EXEE_TTU_FIELDWARNING, "TRANSFER",
                                                        "ACCOUNT", WFS_TTU_FIELDREQUIRED}}));
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

    read.lpszFieldNames = const_cast<LPSTR>("PIN\0NOTE\0");
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_READ_FORM, &read), WFS_ERR_TTU_FIELDNOTFOUND);
    read.lpszFormName = const_cast<LPSTR>("TRANSFER");
    read.lpszFieldNames = const_cast<LPSTR>("ACCOUNT\0NOTE\0");
    Session().Window().FreeAll();
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_READ_FORM, &read), WFS_ERR_TTU_FIELDERROR);
    EXPECT_EQ(FieldEvents(), (std::vector<FieldEvent>{{WFS_EXEE_TTU_FIELDERROR, "TRANSFER",
                                                        "NOTE", WFS_TTU_FIELDNOTREAD}}));
}

} // namespace
