// Answers of the form-list, form and field queries: one form header, one
// field description and one form list at a time, each replaced by the next
// successful query of its kind.
#include <string.h>

#include "TTUService.h"
#include "TextConversion.h"
#include "TTUTrace.h"

namespace {

// An owned copy of a narrow string, of its exact length plus the
// terminator; null for null.
std::unique_ptr<char[]> CopyString(LPCSTR lpszText)
{
    if (!lpszText)
        return nullptr;
    size_t cb = strlen(lpszText) + 1;
    std::unique_ptr<char[]> copy(new char[cb]);
    memcpy(copy.get(), lpszText, cb);
    return copy;
}

// Bytes of a zero-terminated list of names up to its first empty name,
// each name counted with its terminator.
size_t NameListLength(LPCSTR lpszList)
{
    size_t cb = 0;
    for (LPCSTR lpszName = lpszList; *lpszName; lpszName += strlen(lpszName) + 1)
        cb += strlen(lpszName) + 1;
    return cb;
}

bool IsEmpty(LPCSTR lpszText)
{
    return !lpszText || !*lpszText;
}

} // namespace

// A successful answer the handler cannot use: its failure pair, then the
// error policy with the category and the code that stands for the fault.
#define REPORT_MALFORMED_ANSWER(function, location, category, hResult, text) \
    do {                                                                     \
        TTU_TRACE_FAILURE((function), (location), (hResult), text);          \
        DoErrorStatus(WFS_GETINFO_COMPLETE, (category), (hResult));          \
    } while (0)

void CTTUService::ClearFormInfo()
{
    m_lpszFormName.reset();
    m_lpszFormFields.reset();
    m_wFormWidth = m_wFormHeight = 0;
    m_wFormVersionMajor = m_wFormVersionMinor = 0;
    m_fwFormCharSupport = WFS_TTU_AVAILASCII;
}

void CTTUService::ClearFieldInfo()
{
    m_lpszFieldName.reset();
    m_lpszFieldFormat.reset();
    m_fwFieldType = WFS_TTU_FIELDTEXT;
    m_fwFieldClass = WFS_TTU_CLASSSTATIC;
    m_fwFieldAccess = WFS_TTU_ACCESSREAD;
    m_fwFieldOverflow = WFS_TTU_FIELDTERMINATE;
}

void CTTUService::HandleFormList(UINT uMsg, LPWFSRESULT *lppResult)
{
    LPWFSRESULT lpResult = *lppResult;
    if (!IsUsableAnswer(uMsg, lpResult))
        return;
    LPCSTR lpszList = static_cast<LPCSTR>(lpResult->lpBuffer);
    std::vector<std::wstring> names;
    if (lpszList)
        for (LPCSTR lpszName = lpszList; *lpszName; lpszName += strlen(lpszName) + 1)
            names.push_back(AnsiToWide(lpszName));
    SAFEARRAY *psa = CreateStringArray(names);
    if (!psa)
        return; // the previous list stays
    m_varFormList.AttachArray(psa);
}

// A malformed answer clears the held header before it is reported: the old
// header describes another form.
void CTTUService::HandleQueryForm(UINT uMsg, LPWFSRESULT *lppResult)
{
    LPWFSRESULT lpResult = *lppResult;
    if (!IsUsableAnswer(uMsg, lpResult))
        return;
    ClearFormInfo();
    const WFSTTUFRMHEADER *lpForm = static_cast<const WFSTTUFRMHEADER *>(lpResult->lpBuffer);
    if (!lpForm) {
        REPORT_MALFORMED_ANSWER("CTTUService::HandleQueryForm", "6l", WFS_INF_TTU_QUERY_FORM,
                                WFS_ERR_INTERNAL_ERROR, "lpForm is INVALID POINTER");
        return;
    }
    // A missing name is taken for an empty one.
    if (IsEmpty(lpForm->lpszFormName)) {
        REPORT_MALFORMED_ANSWER("CTTUService::HandleQueryForm", "6l", WFS_INF_TTU_QUERY_FORM,
                                WFS_ERR_INVALID_POINTER, "lpForm->lpszFormName is INVALID POINTER");
        return;
    }
    m_lpszFormName = CopyString(lpForm->lpszFormName);
    m_wFormWidth = lpForm->wWidth;
    m_wFormHeight = lpForm->wHeight;
    m_wFormVersionMajor = lpForm->wVersionMajor;
    m_wFormVersionMinor = lpForm->wVersionMinor;
    m_fwFormCharSupport = lpForm->fwCharSupport;
    if (lpForm->lpszFields) {
        size_t cb = NameListLength(lpForm->lpszFields);
        if (cb != 0) {
            m_lpszFormFields.reset(new char[cb + 1]);
            memcpy(m_lpszFormFields.get(), lpForm->lpszFields, cb);
            m_lpszFormFields[cb] = '\0';
        }
    }
}

// Only the first field of the answer is kept. An answer without fields
// leaves the held description; one whose field has no name clears it.
void CTTUService::HandleQueryField(UINT uMsg, LPWFSRESULT *lppResult)
{
    LPWFSRESULT lpResult = *lppResult;
    if (!IsUsableAnswer(uMsg, lpResult))
        return;
    const LPWFSTTUFRMFIELD *lppFields = static_cast<const LPWFSTTUFRMFIELD *>(lpResult->lpBuffer);
    if (!lppFields) {
        REPORT_MALFORMED_ANSWER("CTTUService::HandleQueryField", "6m", WFS_INF_TTU_QUERY_FIELD,
                                WFS_ERR_INTERNAL_ERROR, "lpResult->lpBuffer is INVALID POINTER");
        return;
    }
    const WFSTTUFRMFIELD *lpField = lppFields[0];
    if (!lpField) {
        REPORT_MALFORMED_ANSWER("CTTUService::HandleQueryField", "6m", WFS_INF_TTU_QUERY_FIELD,
                                WFS_ERR_INTERNAL_ERROR, "*lpResult->lpBuffer is INVALID POINTER");
        return;
    }
    ClearFieldInfo();
    if (IsEmpty(lpField->lpszFieldName)) {
        REPORT_MALFORMED_ANSWER("CTTUService::HandleQueryField", "6m", WFS_INF_TTU_QUERY_FIELD,
                                WFS_ERR_INVALID_POINTER,
                                "lpField->lpszFieldName is INVALID POINTER");
        return;
    }
    m_lpszFieldName = CopyString(lpField->lpszFieldName);
    m_fwFieldType = lpField->fwType;
    m_fwFieldClass = lpField->fwClass;
    m_fwFieldAccess = lpField->fwAccess;
    m_fwFieldOverflow = lpField->fwOverflow;
    if (!IsEmpty(lpField->lpszFormat))
        m_lpszFieldFormat = CopyString(lpField->lpszFormat);
}
