#include "InfoAnswers.h"

namespace {

LPSTR ExtraList(CResultBuilder &result, const std::vector<std::string> &entries)
{
    return entries.empty() ? nullptr : result.MultiString(entries);
}

HRESULT Status(const CPanelState &state, const CPanelConfig &config, CResultBuilder &result)
{
    LPWFSTTUSTATUS lpStatus = result.Add<WFSTTUSTATUS>();
    if (!lpStatus)
        return WFS_SUCCESS;
    lpStatus->fwDevice = state.fwDevice;
    lpStatus->fwKeyboard = state.fwKeyboard;
    lpStatus->fwKeylock = state.fwKeylock;
    for (int i = 0; i < WFS_TTU_LEDS_MAX; ++i)
        lpStatus->wLEDs[i] = state.wLEDs[i];
    lpStatus->wDisplaySizeX = state.wSizeX;
    lpStatus->wDisplaySizeY = state.wSizeY;
    // The status structure has no place for the display light: it is
    // reported as an extra entry next to the configured ones.
    std::vector<std::string> extra = config.statusExtra;
    if (state.description.bDisplayLight)
        extra.push_back(std::string("DisplayLight=") + (state.bDisplayLight ? "ON" : "OFF"));
    lpStatus->lpszExtra = ExtraList(result, extra);
    result.SetBuffer(lpStatus);
    return WFS_SUCCESS;
}

HRESULT Capabilities(const CPanelState &state, const CPanelConfig &config, CResultBuilder &result)
{
    const CPanelDescription &d = state.description;
    LPWFSTTUCAPS lpCaps = result.Add<WFSTTUCAPS>();
    LPWFSTTURESOLUTION *lppResolutions = result.Add<LPWFSTTURESOLUTION>(d.wNumResolutions + 1);
    LPWFSTTURESOLUTION lpSizes = result.Add<WFSTTURESOLUTION>(d.wNumResolutions);
    if (!lpCaps || !lppResolutions || !lpSizes)
        return WFS_SUCCESS;
    for (int i = 0; i < d.wNumResolutions; ++i) {
        lpSizes[i] = d.resolutions[i];
        lppResolutions[i] = &lpSizes[i];
    }
    lpCaps->wClass = WFS_SERVICE_CLASS_TTU;
    lpCaps->fwType = WFS_TTU_TYPEKEYBOARD | WFS_TTU_TYPEDISPLAY;
    lpCaps->lppResolutions = lppResolutions;
    lpCaps->wNumOfLEDs = d.wNumOfLEDs;
    lpCaps->bKeyLock = d.bKeyLock;
    lpCaps->bDisplayLight = d.bDisplayLight;
    lpCaps->bCursor = d.bCursor;
    lpCaps->bForms = config.bForms;
    lpCaps->fwCharSupport = config.fwCharSupport;
    lpCaps->lpszExtra = ExtraList(result, config.capsExtra);
    result.SetBuffer(lpCaps);
    return WFS_SUCCESS;
}

HRESULT FormList(const CPanelConfig &config, CResultBuilder &result)
{
    std::vector<std::string> names;
    for (const CFormDefinition &form : config.forms)
        names.push_back(form.strName);
    result.SetBuffer(result.MultiString(names));
    return WFS_SUCCESS;
}

HRESULT QueryForm(const CPanelConfig &config, const CCommandData &query, CResultBuilder &result)
{
    const CFormDefinition *lpForm = config.FindForm(query.strFormName);
    if (!lpForm)
        return WFS_ERR_TTU_FORMNOTFOUND;
    LPWFSTTUFRMHEADER lpHeader = result.Add<WFSTTUFRMHEADER>();
    if (!lpHeader)
        return WFS_SUCCESS;
    std::vector<std::string> fieldNames;
    for (const CFormField &field : lpForm->fields)
        fieldNames.push_back(field.strName);
    lpHeader->lpszFormName = result.String(lpForm->strName);
    lpHeader->wWidth = lpForm->wWidth;
    lpHeader->wHeight = lpForm->wHeight;
    lpHeader->wVersionMajor = lpForm->wVersionMajor;
    lpHeader->wVersionMinor = lpForm->wVersionMinor;
    lpHeader->fwCharSupport = lpForm->fwCharSupport;
    lpHeader->lpszFields = result.MultiString(fieldNames);
    result.SetBuffer(lpHeader);
    return WFS_SUCCESS;
}

HRESULT QueryField(const CPanelConfig &config, const CCommandData &query, CResultBuilder &result)
{
    const CFormDefinition *lpForm = config.FindForm(query.strFormName);
    if (!lpForm)
        return WFS_ERR_TTU_FORMNOTFOUND;
    std::vector<const CFormField *> fields;
    if (query.bAllFields) {
        for (const CFormField &field : lpForm->fields)
            fields.push_back(&field);
    } else {
        const CFormField *lpField = lpForm->FindField(query.fieldNames[0]);
        if (!lpField)
            return WFS_ERR_TTU_FIELDNOTFOUND;
        fields.push_back(lpField);
    }
    LPWFSTTUFRMFIELD *lppFields = result.Add<LPWFSTTUFRMFIELD>(fields.size() + 1);
    for (size_t i = 0; lppFields && i < fields.size(); ++i) {
        LPWFSTTUFRMFIELD lpField = result.Add<WFSTTUFRMFIELD>();
        if (!lpField)
            break;
        lpField->lpszFieldName = result.String(fields[i]->strName);
        lpField->fwType = fields[i]->fwType;
        lpField->fwClass = fields[i]->fwClass;
        lpField->fwAccess = fields[i]->fwAccess;
        lpField->fwOverflow = fields[i]->fwOverflow;
        lpField->lpszFormat =
            fields[i]->strFormat.empty() ? nullptr : result.String(fields[i]->strFormat);
        lppFields[i] = lpField;
    }
    result.SetBuffer(lppFields);
    return WFS_SUCCESS;
}

HRESULT KeyDetail(const CPanelState &state, const CPanelConfig &config, CResultBuilder &result)
{
    const CPanelDescription &d = state.description;
    LPWFSTTUKEYDETAIL lpDetail = result.Add<WFSTTUKEYDETAIL>();
    if (!lpDetail)
        return WFS_SUCCESS;
    std::wstring strKeys = d.szKeys;
    if (config.fwCharSupport & WFS_TTU_AVAILASCII)
        lpDetail->lpszKeys = result.String(Narrow(strKeys));
    if (config.fwCharSupport & WFS_TTU_AVAILUNICODE)
        lpDetail->lpszUNICODEKeys = result.WideString(strKeys);
    size_t nKeys = 0;
    while (nKeys < (size_t)kMaxCommandKeys && d.wCommandKeys[nKeys] != WFS_TTU_NOKEY)
        ++nKeys;
    LPWORD lpwKeys = result.Add<WORD>(nKeys + 1);
    for (size_t i = 0; lpwKeys && i < nKeys; ++i)
        lpwKeys[i] = d.wCommandKeys[i];
    lpDetail->lpwCommandKeys = lpwKeys;
    result.SetBuffer(lpDetail);
    return WFS_SUCCESS;
}

bool IsFormCategory(DWORD dwCategory)
{
    return dwCategory == WFS_INF_TTU_FORM_LIST || dwCategory == WFS_INF_TTU_QUERY_FORM ||
           dwCategory == WFS_INF_TTU_QUERY_FIELD;
}

} // namespace

HRESULT AnswerInfo(const CPanelConfig &config, const CPanelState &state, DWORD dwCategory,
                   const CCommandData &query, CResultBuilder &result)
{
    if (IsFormCategory(dwCategory) && !config.bForms)
        return WFS_ERR_UNSUPP_CATEGORY;
    if (query.hrUnusable != WFS_SUCCESS)
        return query.hrUnusable;
    switch (dwCategory) {
    case WFS_INF_TTU_STATUS:
        return Status(state, config, result);
    case WFS_INF_TTU_CAPABILITIES:
        return Capabilities(state, config, result);
    case WFS_INF_TTU_FORM_LIST:
        return FormList(config, result);
    case WFS_INF_TTU_QUERY_FORM:
        return QueryForm(config, query, result);
    case WFS_INF_TTU_QUERY_FIELD:
        return QueryField(config, query, result);
    case WFS_INF_TTU_KEY_DETAIL:
        return KeyDetail(state, config, result);
    default:
        // Outside the TTU class: no category at all.
        return WFS_ERR_INVALID_CATEGORY;
    }
}
