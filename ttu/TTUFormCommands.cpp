// Form commands: writing a form with field values, reading fields of a form,
// the values of the last form read, the list of forms, and the two field
// texts the host names fields with.
#include <string.h>
#include <wchar.h>

#include <new>

#include "FieldTextParser.h"
#include "TTUService.h"
#include "TextConversion.h"
#include "TTUTrace.h"
#include "XfsBuffer.h"

namespace {

// The ANSI form of a host text in a zero-filled working buffer. A text whose
// ANSI form does not fit is refused (false) rather than cut: a cut name
// would name another form or field, a cut value would write other data.
class CFormText {
public:
    bool Assign(LPCWSTR lpszText)
    {
        memset(m_szText, 0, sizeof m_szText);
        if (!lpszText || !*lpszText)
            return true;
        if (AnsiLength(lpszText) > CTTUService::MAX_FORM_TEXT)
            return false;
        WideCharToMultiByte(CP_ACP, 0, lpszText, -1, m_szText, sizeof m_szText, nullptr, nullptr);
        return true;
    }
    LPSTR Get() { return m_szText; }

private:
    char m_szText[CTTUService::MAX_FORM_TEXT + 1];
};

template <typename CharT, typename TParse>
HRESULT ParseToList(const CharT *pText, CharT **ppList, TParse parse)
{
    *ppList = nullptr;
    if (!pText || !*pText)
        return WFS_SUCCESS;
    size_t cch = std::char_traits<CharT>::length(pText) + 2;
    *ppList = new (std::nothrow) CharT[cch];
    if (!*ppList)
        return -1;
    return parse(pText, *ppList) ? WFS_SUCCESS : -1;
}

} // namespace

HRESULT CTTUService::ParseFieldValues(LPCSTR lpszText, LPSTR *lppList)
{
    return ParseToList(lpszText, lppList, FieldText::ParseValues<char>);
}

// The Unicode list is parsed from the host's own wide text: a value keeps
// every character the host gave, also those the ANSI code page cannot
// hold. Names, indexes and separators are ASCII either way, so both lists
// accept and reject the same texts.
HRESULT CTTUService::ParseUnicodeFieldValues(LPCWSTR lpszText, LPWSTR *lppList)
{
    return ParseToList(lpszText, lppList, FieldText::ParseValues<wchar_t>);
}

HRESULT CTTUService::ParseFieldNames(LPCSTR lpszText, LPSTR *lppList)
{
    return ParseToList(lpszText, lppList, FieldText::ParseNames<char>);
}

HRESULT CTTUService::WriteForm(LPCWSTR FormName, BOOL ClearScreen, LPCWSTR FieldValues)
{
    if (!FormName) {
        TTU_TRACE_FAILURE("CTTUService::WriteForm", "6P", WFS_ERR_INVALID_POINTER,
                          "FormName is not assigned");
        return -1;
    }
    CFormText formName, fieldValues;
    if (!formName.Assign(FormName) || !fieldValues.Assign(FieldValues)) {
        TTU_TRACE_FAILURE("CTTUService::WriteForm", "6P", WFS_ERR_INVALID_DATA,
                          "FormName or FieldValues is longer than %d bytes",
                          static_cast<int>(MAX_FORM_TEXT));
        return WFS_ERR_INVALID_DATA;
    }
    // The answer records the form's character support while we wait; a
    // failed query leaves the header of the last successful one in force.
    LPVOID lpQuery = formName.Get();
    GetInfo(WFS_INF_TTU_QUERY_FORM, &lpQuery, COMMAND_TIMEOUT);

    CXfsBuffer data;
    HRESULT hAlloc = data.Allocate(sizeof(WFSTTUWRITEFORM), WFS_MEM_ZEROINIT);
    if (hAlloc != WFS_SUCCESS) {
        TTU_TRACE_BUFFER_FAILED("CTTUService::WriteForm", "6P", hAlloc);
        return -1;
    }
    LPWFSTTUWRITEFORM lpWriteForm = data.As<WFSTTUWRITEFORM>();
    lpWriteForm->lpszFormName = formName.Get();
    lpWriteForm->bClearScreen = ClearScreen == 1 ? TRUE : FALSE;

    std::unique_ptr<char[]> ansiList;
    std::unique_ptr<wchar_t[]> unicodeList;
    HRESULT hParse;
    if (m_fwFormCharSupport & WFS_TTU_AVAILUNICODE) {
        LPWSTR lpszList = nullptr;
        hParse = ParseUnicodeFieldValues(FieldValues, &lpszList);
        unicodeList.reset(lpszList);
        lpWriteForm->lpszUNICODEFields = lpszList;
    } else if (m_fwFormCharSupport & WFS_TTU_AVAILASCII) {
        LPSTR lpszList = nullptr;
        hParse = ParseFieldValues(fieldValues.Get(), &lpszList);
        ansiList.reset(lpszList);
        lpWriteForm->lpszFields = lpszList;
    } else {
        TTU_TRACE_ERROR(
            "CTTUService::WriteForm",
            "Character set supported by service provider is inconsistent with FieldsValue");
        TTU_ERROR_CODE("6P", WFS_ERR_TTU_CHARSETDATA);
        return WFS_ERR_TTU_CHARSETDATA;
    }
    if (hParse != WFS_SUCCESS) {
        TTU_TRACE_ERROR("CTTUService::WriteForm", "Field Vlaue[%s] Failure", fieldValues.Get());
        TTU_ERROR_CODE("6P", WFS_ERR_INVALID_DATA);
        return WFS_ERR_INVALID_DATA;
    }
    return Execute(WFS_CMD_TTU_WRITE_FORM, data.Address(), COMMAND_TIMEOUT, 0);
}

// The values of the previous read are dropped as soon as a new read is
// asked for, before its field names are checked.
HRESULT CTTUService::ReadForm(LPCWSTR FormName, LPCWSTR Fields, SHORT Timeout)
{
    if (!FormName) {
        TTU_TRACE_FAILURE("CTTUService::ReadForm", "6Q", WFS_ERR_INVALID_POINTER,
                          "FormName is not assigned");
        return -1;
    }
    CXfsBuffer data;
    HRESULT hAlloc = data.Allocate(sizeof(WFSTTUREADFORM), WFS_MEM_ZEROINIT);
    if (hAlloc != WFS_SUCCESS) {
        TTU_TRACE_BUFFER_FAILED("CTTUService::ReadForm", "6Q", hAlloc);
        return -1;
    }
    m_mapFieldValues.clear();

    CFormText formName, fields;
    if (!formName.Assign(FormName) || !fields.Assign(Fields)) {
        TTU_TRACE_FAILURE("CTTUService::ReadForm", "6Q", WFS_ERR_INVALID_DATA,
                          "FormName or Fields is longer than %d bytes",
                          static_cast<int>(MAX_FORM_TEXT));
        return WFS_ERR_INVALID_DATA;
    }
    LPSTR lpszList = nullptr;
    HRESULT hParse = ParseFieldNames(fields.Get(), &lpszList);
    std::unique_ptr<char[]> nameList(lpszList);
    if (hParse != WFS_SUCCESS) {
        TTU_TRACE_ERROR("CTTUService::ReadForm", "Invalid Fields Name[%S]", Fields ? Fields : L"");
        TTU_ERROR_CODE("6Q", WFS_ERR_INVALID_DATA);
        return WFS_ERR_INVALID_DATA;
    }
    LPWFSTTUREADFORM lpReadForm = data.As<WFSTTUREADFORM>();
    lpReadForm->lpszFormName = formName.Get();
    lpReadForm->lpszFieldNames = lpszList;
    // Sign-extended: a negative time-out becomes a very long one.
    DWORD dwTimeOut = static_cast<DWORD>(static_cast<LONG>(Timeout));
    return Execute(WFS_CMD_TTU_READ_FORM, data.Address(), dwTimeOut, 0);
}

BOOL CTTUService::GetFieldValue(LPCWSTR FieldName, VARIANT *FieldValue)
{
    auto it = m_mapFieldValues.find(FieldName ? FieldName : L"");
    if (it == m_mapFieldValues.end())
        return FALSE;
    VariantClear(FieldValue);
    FieldValue->vt = VT_BSTR;
    FieldValue->bstrVal = SysAllocString(it->second.c_str());
    return TRUE;
}

HRESULT CTTUService::QueryFormList(VARIANT *FormList)
{
    LPVOID lpNoQuery = nullptr;
    HRESULT hResult = GetInfo(WFS_INF_TTU_FORM_LIST, &lpNoQuery, COMMAND_TIMEOUT);
    if (hResult == WFS_ERR_NOT_STARTED)
        m_varFormList.AttachArray(CreateVariantArray(0));
    m_varFormList.CopyTo(FormList);
    return hResult;
}
