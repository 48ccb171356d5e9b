// Form commands and form queries end to end on the virtual panel, and the
// answers the panel cannot give (malformed or unusual ones) handed to the
// service's message handling directly.
#include "TTUTestSupport.h"

#include "ControlHost.h"

#include "TTULastKnownStatus.h"
#include "trcutil30.h"
#include "xfsdiag.h"

namespace {

using FormTest = PanelTest;
using WStrings = std::vector<std::wstring>;

TEST_F(FormTest, FormListFormAndField)
{
    PanelInstance &instance = OpenedInstance();
    CTTUService &service = instance.Service();
    // The list; a time-out keeps it, an answer without one empties it.
    for (HRESULT hr : {1, WFS_ERR_TIMEOUT, 0}) {
        if (hr != 1) {
            ASSERT_EQ(0, TtuSimFailNext(TRUE, WFS_INF_TTU_FORM_LIST, 1, hr));
        }
        VARIANT list;
        VariantInit(&list);
        EXPECT_EQ(WFS_SUCCESS, service.QueryFormList(&list));
        EXPECT_EQ(0, LowerBound(list));
        EXPECT_EQ((hr ? WStrings{L"PINENTRY", L"TRANSFER", L"GREETING"} : WStrings()), StringsOf(list)) << hr;
        VariantClear(&list);
    }

    char szForm[] = "PINENTRY";
    LPVOID lpQuery = szForm;
    ASSERT_EQ(WFS_SUCCESS, service.GetInfo(WFS_INF_TTU_QUERY_FORM, &lpQuery, 30000));

    // A query that fails keeps what the last successful one left.
    char szNoSuch[] = "NOSUCH";
    lpQuery = szNoSuch;
    ASSERT_EQ(0, TtuSimFailNext(TRUE, WFS_INF_TTU_QUERY_FORM, 1, WFS_ERR_TIMEOUT));
    ASSERT_EQ(WFS_SUCCESS, service.GetInfo(WFS_INF_TTU_QUERY_FORM, &lpQuery, 30000));
    EXPECT_STREQ("PINENTRY", service.GetFormName());
    EXPECT_TRUE(instance.Events().empty());
    ASSERT_EQ(WFS_SUCCESS, service.GetInfo(WFS_INF_TTU_QUERY_FORM, &lpQuery, 30000));
    EXPECT_EQ((std::vector<std::string>{"FatalError(INF_TTU_QUERY_FORM,-706)"}), instance.Events());
}

// The ASCII forms are the example scenarios'; a Unicode one takes the wide text.
TEST_F(FormTest, WriteFormToAUnicodeForm)
{
    PanelInstance &instance = OpenedInstance();
    CTTUService &service = instance.Service();
    ASSERT_EQ(WFS_SUCCESS, service.WriteForm(L"GREETING", 1, L"LINE1=Gr\u00FC\u00DF \u20AC\u65E5"));
    EXPECT_EQ((std::vector<std::string>{"WriteFormComplete"}), Settled(instance, 1));
    EXPECT_EQ(WFS_TTU_AVAILUNICODE, service.GetFormCharSupport());
    EXPECT_EQ((WStrings{L"Gr\u00FC\u00DF \u20AC\u65E5", L"Gr\u00FC\u00DF Gott"}),
              (WStrings{PanelLines()[0].substr(0, 7), PanelLines()[1].substr(0, 9)}));
}

TEST_F(FormTest, WriteFormRefusals)
{
    PanelInstance &instance = OpenedInstance();
    CTTUService &service = instance.Service();
    LONG lQueries = WFMDiagCallCount("WFSAsyncGetInfo");
    TrcCaptureClear();
    // No form name: -1, the record says -26; nothing queried.
    EXPECT_EQ(-1, service.WriteForm(nullptr, 0, L"A=1"));
    EXPECT_EQ(lQueries, WFMDiagCallCount("WFSAsyncGetInfo"));
    ASSERT_EQ(2u, CapturedTraceLines().size());
    EXPECT_EQ(0u, CapturedTraceLines()[1].find("L0 ERRORCODE 27 6P "));
    EXPECT_NE(std::string::npos, CapturedTraceLines()[1].find(":[-26]"));

    EXPECT_EQ(WFS_ERR_INVALID_DATA, service.WriteForm(L"PINENTRY", 0, L"A=1,"));

    // Texts longer than 255 ANSI bytes are refused, not cut.
    std::wstring strLong = L"PROMPT=" + std::wstring(249, L'x');
    EXPECT_EQ(WFS_ERR_INVALID_DATA, service.WriteForm(L"PINENTRY", 0, strLong.c_str()));
    EXPECT_EQ(WFS_ERR_INVALID_DATA, service.WriteForm(std::wstring(256, L'F').c_str(), 0, L""));
    strLong.pop_back();
    EXPECT_EQ(WFS_SUCCESS, service.WriteForm(L"PINENTRY", 0, strLong.c_str()));
    Settled(instance, 1);

    // A form whose header names neither character set: -711, nothing sent.
    // The panel has no such form, so the header comes as an answer of our
    // own, and the write's own query of it times out.
    char szName[] = "ODDFORM";
    WFSTTUFRMHEADER header = {szName, 20, 4, 1, 0, 0, nullptr};
    Deliver(service, WFS_GETINFO_COMPLETE, WFS_INF_TTU_QUERY_FORM, WFS_SUCCESS, &header);
    EXPECT_EQ(0, service.GetFormCharSupport());
    ASSERT_EQ(0, TtuSimFailNext(TRUE, WFS_INF_TTU_QUERY_FORM, 1, WFS_ERR_TIMEOUT));
    LONG lExecutes = WFMDiagCallCount("WFSAsyncExecute");
    EXPECT_EQ(WFS_ERR_TTU_CHARSETDATA, service.WriteForm(L"ODDFORM", 0, L"A=1"));
    EXPECT_EQ(lExecutes, WFMDiagCallCount("WFSAsyncExecute"));
    EXPECT_EQ(0, WFMDiagLiveBufferCount());
}

TEST_F(FormTest, ReadFormAndTheFieldValues)
{
    PanelInstance &instance = OpenedInstance();
    CTTUService &service = instance.Service();
    ASSERT_EQ(WFS_SUCCESS, service.ReadForm(L"TRANSFER", L"ACCOUNT", 10000));
    ASSERT_TRUE(PumpUntil([&] { return Snapshot().bReadActive != FALSE; }));
    // While the host handles ReadFormComplete, the values are not yet there.
    VARIANT value;
    VariantInit(&value);
    bool bSeenDuringEvent = true;
    instance.m_sink.m_onEvent = [&](const std::string &strEvent) {
        if (strEvent == "ReadFormComplete")
            bSeenDuringEvent = service.GetFieldValue(L"ACCOUNT", &value) != FALSE;
    };
    ASSERT_EQ(0, TtuSimTypeText(L"12345"));
    ASSERT_EQ(0, TtuSimPressKey(0, WFS_TTU_CK_ENTER));
    ASSERT_TRUE(PumpUntil([&] {
        return !instance.Events().empty() && instance.Events().back() == "ReadFormComplete";
    }));
    EXPECT_FALSE(bSeenDuringEvent);
    ASSERT_TRUE(service.GetFieldValue(L"ACCOUNT", &value));
    EXPECT_STREQ(L"12345", value.bstrVal);
    // Case-sensitive; a miss leaves the VARIANT as it was.
    EXPECT_FALSE(service.GetFieldValue(L"Account", &value));
    EXPECT_STREQ(L"12345", value.bstrVal);
    VariantClear(&value);

    // An invalid field list: -52, and the values of the last read are gone.
    EXPECT_EQ(WFS_ERR_INVALID_DATA, service.ReadForm(L"TRANSFER", L"ACCOUNT,,AMOUNT", 1000));
    EXPECT_FALSE(service.GetFieldValue(L"ACCOUNT", &value));
    EXPECT_EQ(-1, service.ReadForm(nullptr, L"", 1000));
}

// A field that is not in the form is a field error; an empty required
// field confirmed with ENTER a field warning.
TEST_F(FormTest, FieldErrorsAndWarningsOfAFormRead)
{
    PanelInstance &instance = OpenedInstance();
    CTTUService &service = instance.Service();
    ASSERT_EQ(WFS_SUCCESS, service.ReadForm(L"PINENTRY", L"PIN, NOSUCH", 5000));
    EXPECT_EQ((std::vector<std::string>{"FieldError(PINENTRY,NOSUCH,3)", "FatalError(CMD_TTU_READ_FORM,-703)"}),
              Settled(instance, 2));
    instance.Events().clear();
    ASSERT_EQ(WFS_SUCCESS, service.ReadForm(L"PINENTRY", L"PIN", 5000));
    ASSERT_TRUE(PumpUntil([&] { return Snapshot().bReadActive != FALSE; }));
    ASSERT_EQ(0, TtuSimPressKey(0, WFS_TTU_CK_ENTER));
    ASSERT_TRUE(WaitForEvents(instance, 2));
    ASSERT_EQ(WFS_SUCCESS, service.CancelRead());
    EXPECT_EQ((std::vector<std::string>{"TTUKeyPressed(,0,1)", "FieldWarning(PINENTRY,PIN,0)", "ReadCancelled"}),
              Settled(instance, 3));
}

// Answers the panel cannot give. A read's field values: entries up to the
// first one without "="; only the first "=" splits; the name is stored as
// given, index included; a new instance takes the narrow list (ASCII until
// capabilities say otherwise). Then malformed form and field query answers.
TEST_F(FormTest, AnswersHandedToTheService)
{
    PanelInstance &instance = AddInstance();
    CTTUService &service = instance.Service();
    char szValues[] = "NAME=JOHN\0CITY=A=B\0F[1]=x\0NOVALUE\0X=1\0";
    WFSTTUREADFORMOUT out = {szValues, nullptr};
    Deliver(service, WFS_EXECUTE_COMPLETE, WFS_CMD_TTU_READ_FORM, WFS_SUCCESS, &out);
    EXPECT_EQ((std::vector<std::string>{"ReadFormComplete"}), instance.Events());
    const std::pair<LPCWSTR, LPCWSTR> lookups[] = {
        {L"CITY", L"A=B"}, {L"F[1]", L"x"}, {L"F", nullptr}, {L"X", nullptr}, {L"NOVALUE", nullptr}};
    for (const auto &lookup : lookups) {
        VARIANT value;
        VariantInit(&value);
        EXPECT_EQ(lookup.second != nullptr, service.GetFieldValue(lookup.first, &value) != FALSE);
        EXPECT_EQ(std::wstring(lookup.second ? lookup.second : L""), value.vt == VT_BSTR ? value.bstrVal : L"");
        VariantClear(&value);
    }

    instance.Events().clear();
    char szName[] = "F";
    char szFields[] = "F1\0F2\0\0";
    WFSTTUFRMHEADER header = {szName, 10, 2, 3, 4, 2, szFields};
    Deliver(service, WFS_GETINFO_COMPLETE, WFS_INF_TTU_QUERY_FORM, WFS_SUCCESS, &header);
    EXPECT_EQ(0, memcmp("F1\0F2\0\0", service.GetFormFields(), 7));
    char szEmpty[] = "";
    header.lpszFormName = szEmpty;
    Deliver(service, WFS_GETINFO_COMPLETE, WFS_INF_TTU_QUERY_FORM, WFS_SUCCESS, &header);
    EXPECT_EQ(nullptr, service.GetFormName()); // cleared, not kept
    EXPECT_EQ(WFS_TTU_AVAILASCII, service.GetFormCharSupport());
    Deliver(service, WFS_GETINFO_COMPLETE, WFS_INF_TTU_QUERY_FORM, WFS_SUCCESS, nullptr);
    EXPECT_EQ((std::vector<std::string>{"FatalError(INF_TTU_QUERY_FORM,-26)",
                                        "FatalError(INF_TTU_QUERY_FORM,-15)"}),
              instance.Events());

    instance.Events().clear();
    char szField[] = "PIN";
    WFSTTUFRMFIELD field = {szField, 2, 2, 3, 1, szEmpty};
    LPWFSTTUFRMFIELD fields[] = {&field, nullptr};
    Deliver(service, WFS_GETINFO_COMPLETE, WFS_INF_TTU_QUERY_FIELD, WFS_SUCCESS, fields);
    EXPECT_STREQ("PIN", service.GetFieldName());
    EXPECT_EQ(nullptr, service.GetFieldFormat()); // an empty format is none
    LPWFSTTUFRMFIELD none[] = {nullptr};
    Deliver(service, WFS_GETINFO_COMPLETE, WFS_INF_TTU_QUERY_FIELD, WFS_SUCCESS, none);
    EXPECT_STREQ("PIN", service.GetFieldName()); // kept
    field.lpszFieldName = nullptr;
    Deliver(service, WFS_GETINFO_COMPLETE, WFS_INF_TTU_QUERY_FIELD, WFS_SUCCESS, fields);
    EXPECT_EQ(nullptr, service.GetFieldName()); // cleared
    EXPECT_EQ(WFS_TTU_CLASSSTATIC, service.GetFieldClass());
    EXPECT_EQ((std::vector<std::string>{"FatalError(INF_TTU_QUERY_FIELD,-15)",
                                        "FatalError(INF_TTU_QUERY_FIELD,-26)"}),
              instance.Events());

}

// Capabilities the panel cannot send: more LEDs than a status carries, no
// resolution list.
TEST_F(FormTest, CapabilitiesBeyondWhatTheStatusCarries)
{
    CTTUService &service = OpenedInstance().Service();
    WFSTTUCAPS caps = {};
    caps.wNumOfLEDs = 12;
    caps.fwCharSupport = WFS_TTU_AVAILUNICODE;
    Deliver(service, WFS_GETINFO_COMPLETE, WFS_INF_TTU_CAPABILITIES, WFS_SUCCESS, &caps);
    EXPECT_EQ(WStrings(), StringsOf(service.GetSupportedScreenSizeX().Get()));
    WFSTTUSTATUS status = {};
    for (WORD &wLED : status.wLEDs)
        wLED = WFS_TTU_LEDQUICKFLASH;
    status.wDisplaySizeX = 40;
    Deliver(service, WFS_GETINFO_COMPLETE, WFS_INF_TTU_STATUS, WFS_SUCCESS, &status);
    EXPECT_EQ(8u, g_arrLEDStatus.size());
    // A successful answer without data changes nothing.
    Deliver(service, WFS_GETINFO_COMPLETE, WFS_INF_TTU_STATUS, WFS_SUCCESS, nullptr);
    Deliver(service, WFS_GETINFO_COMPLETE, WFS_INF_TTU_CAPABILITIES, WFS_SUCCESS, nullptr);
    EXPECT_EQ(40, g_sDisplaySizeX);
    EXPECT_EQ(WFS_TTU_AVAILUNICODE, service.GetCharSupport());
}

} // namespace
