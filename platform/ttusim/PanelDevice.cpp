#include "PanelDevice.h"

#include <algorithm>

namespace {

constexpr WORD kAllTextAttributes =
    WFS_TTU_TEXTUNDERLINE | WFS_TTU_TEXTINVERTED | WFS_TTU_TEXTFLASH;

bool IsBeepTone(WORD wTone)
{
    return wTone == WFS_TTU_BEEPKEYPRESS || wTone == WFS_TTU_BEEPEXCLAMATION ||
           wTone == WFS_TTU_BEEPWARNING || wTone == WFS_TTU_BEEPERROR ||
           wTone == WFS_TTU_BEEPCRITICAL;
}

bool IsLedCommand(WORD fwCommand)
{
    return fwCommand == WFS_TTU_LEDOFF || fwCommand == WFS_TTU_LEDSLOWFLASH ||
           fwCommand == WFS_TTU_LEDMEDIUMFLASH || fwCommand == WFS_TTU_LEDQUICKFLASH ||
           fwCommand == WFS_TTU_LEDCONTINUOUS;
}

/* "NAME=value" or "NAME[2]=value": the name without its index, and
   whether the index (if any) is 0. */
bool SplitFieldEntry(const std::wstring &strEntry, std::string &strName, std::wstring &strValue,
                     bool &bFirstIndex)
{
    size_t eq = strEntry.find(L'=');
    if (eq == std::wstring::npos || eq == 0)
        return false;
    std::wstring strKey = strEntry.substr(0, eq);
    strValue = strEntry.substr(eq + 1);
    bFirstIndex = true;
    size_t bracket = strKey.find(L'[');
    if (bracket != std::wstring::npos) {
        if (strKey.back() != L']')
            return false;
        std::wstring strIndex = strKey.substr(bracket + 1, strKey.size() - bracket - 2);
        if (strIndex.find_first_not_of(L"0123456789") != std::wstring::npos)
            return false;
        // Fields of this panel occur once: only index 0 names them.
        bFirstIndex = strIndex.empty() || wcstoul(strIndex.c_str(), nullptr, 10) == 0;
        strKey.erase(bracket);
    }
    strName = Narrow(strKey);
    return true;
}

CExecuteEvent FieldEvent(DWORD dwEventID, const std::string &strForm, const std::string &strField,
                        WORD wFailure)
{
    CExecuteEvent event;
    event.dwEventID = dwEventID;
    event.strForm = strForm;
    event.strField = strField;
    event.wFailure = wFailure;
    return event;
}

/* What a field shows for a value: its type decides. */
std::wstring FieldEcho(const CFormField &field, const std::wstring &strValue)
{
    if (field.fwType == WFS_TTU_FIELDPASSWORD)
        return std::wstring(strValue.size(), L'*');
    if (field.fwType == WFS_TTU_FIELDINVISIBLE)
        return std::wstring(strValue.size(), L' ');
    return strValue;
}

} // namespace

bool ResolvePosition(const CPanelState &state, WORD wMode, SHORT x, SHORT y, int &col, int &row)
{
    col = x;
    row = y;
    if (wMode == WFS_TTU_POSRELATIVE) {
        col += state.wCursorX;
        row += state.wCursorY;
    }
    return col >= 0 && row >= 0 && col < state.wSizeX && row < state.wSizeY;
}

HRESULT CPanelDevice::ChooseText(const CTextPair &text, std::wstring &strOut) const
{
    strOut.clear();
    if (text.bWide && (m_config.fwCharSupport & WFS_TTU_AVAILUNICODE))
        strOut = text.strWide;
    else if (text.bAnsi && (m_config.fwCharSupport & WFS_TTU_AVAILASCII))
        strOut = Widen(text.strAnsi);
    else if (text.bWide || text.bAnsi)
        return WFS_ERR_TTU_CHARSETDATA;
    return WFS_SUCCESS;
}

HRESULT CPanelDevice::Execute(CPanelState &state, DWORD dwCommand, const CCommandData &data,
                             EventList &events) const
{
    switch (dwCommand) {
    case WFS_CMD_TTU_BEEP:
        return Beep(state, data.beep.wBeep);
    case WFS_CMD_TTU_CLEARSCREEN:
        return ClearScreen(state, data.clearScreen);
    case WFS_CMD_TTU_DISPLIGHT:
        return DispLight(state, data.dispLight.bMode);
    case WFS_CMD_TTU_SET_LED:
        return SetLed(state, data.setLed);
    case WFS_CMD_TTU_SET_RESOLUTION:
        return SetResolution(state, data.resolution);
    case WFS_CMD_TTU_WRITE:
        return Write(state, data);
    case WFS_CMD_TTU_WRITE_FORM:
        return WriteForm(state, data, events);
    case WFS_CMD_TTU_RESET:
        return Reset(state);
    default:
        return WFS_ERR_UNSUPP_COMMAND;
    }
}

HRESULT CPanelDevice::Beep(CPanelState &state, WORD wBeep) const
{
    if (wBeep == WFS_TTU_BEEPOFF) {
        state.bBeeping = FALSE;
    } else {
        if (!IsBeepTone(wBeep & ~WFS_TTU_BEEPCONTINUOUS))
            return WFS_ERR_INVALID_DATA;
        state.bBeeping = (wBeep & WFS_TTU_BEEPCONTINUOUS) != 0;
    }
    state.wLastBeep = wBeep;
    return WFS_SUCCESS;
}

HRESULT CPanelDevice::ClearScreen(CPanelState &state, const WFSTTUCLEARSCREEN &area) const
{
    if (area.wPositionX == 0 && area.wPositionY == 0 && area.wWidth == 0 && area.wHeight == 0) {
        CSharedPanel::ClearArea(state, 0, 0, state.wSizeX, state.wSizeY);
        return WFS_SUCCESS;
    }
    if (area.wPositionX >= state.wSizeX || area.wPositionY >= state.wSizeY)
        return WFS_ERR_INVALID_DATA;
    // An area reaching past the edge is cleared up to the edge.
    int cx = std::min<int>(area.wWidth, state.wSizeX - area.wPositionX);
    int cy = std::min<int>(area.wHeight, state.wSizeY - area.wPositionY);
    CSharedPanel::ClearArea(state, area.wPositionX, area.wPositionY, cx, cy);
    return WFS_SUCCESS;
}

HRESULT CPanelDevice::DispLight(CPanelState &state, BOOL bMode) const
{
    if (!state.description.bDisplayLight)
        return WFS_ERR_UNSUPP_COMMAND;
    state.bDisplayLight = bMode ? TRUE : FALSE;
    return WFS_SUCCESS;
}

HRESULT CPanelDevice::SetLed(CPanelState &state, const WFSTTUSETLEDS &led) const
{
    if (led.wLED >= state.description.wNumOfLEDs)
        return WFS_ERR_TTU_INVALIDLED;
    if (!IsLedCommand(led.fwCommand))
        return WFS_ERR_INVALID_DATA;
    state.wLEDs[led.wLED] = led.fwCommand;
    return WFS_SUCCESS;
}

HRESULT CPanelDevice::SetResolution(CPanelState &state, const WFSTTURESOLUTION &size) const
{
    if (!state.description.HasResolution(size.wSizeX, size.wSizeY))
        return WFS_ERR_TTU_RESNOTSUPP;
    CSharedPanel::SetResolution(state, size.wSizeX, size.wSizeY);
    return WFS_SUCCESS;
}

/* Line feeds start a new line at column 0; everything that runs past the
   right or bottom edge is dropped (clipped), never wrapped. */
HRESULT CPanelDevice::Write(CPanelState &state, const CCommandData &data) const
{
    const WFSTTUWRITE &write = data.write;
    if (write.wMode > WFS_TTU_POSABSOLUTE || (write.fwTextAttr & ~kAllTextAttributes))
        return WFS_ERR_INVALID_DATA;
    std::wstring strText;
    HRESULT hr = ChooseText(data.text, strText);
    if (hr != WFS_SUCCESS)
        return hr;
    for (WCHAR wc : strText)
        if (wc < L' ' && wc != L'\n')
            return WFS_ERR_INVALID_DATA;
    int col, row;
    if (!ResolvePosition(state, write.wMode, write.wPosX, write.wPosY, col, row))
        return WFS_ERR_INVALID_DATA;

    size_t start = 0;
    for (;;) {
        size_t lf = strText.find(L'\n', start);
        std::wstring strLine = strText.substr(start, lf == std::wstring::npos ? lf : lf - start);
        col = CSharedPanel::PutText(state, col, row, strLine, write.fwTextAttr);
        if (lf == std::wstring::npos)
            break;
        start = lf + 1;
        col = 0;
        ++row;
    }
    // The cursor follows the text but never leaves the display.
    state.wCursorX = (WORD)std::min(col, state.wSizeX - 1);
    state.wCursorY = (WORD)std::min(row, state.wSizeY - 1);
    return WFS_SUCCESS;
}

namespace {

/* Why a value cannot be written to the field (0xFFFF: it can); bWarning
   when it is written all the same. */
WORD WriteFailure(const CFormField *lpField, std::wstring &strValue, bool &bWarning)
{
    if (!lpField)
        return WFS_TTU_FIELDNOTFOUND;
    if (!(lpField->fwAccess & WFS_TTU_ACCESSWRITE))
        return WFS_TTU_FIELDNOTWRITE;
    if (lpField->fwClass == WFS_TTU_CLASSSTATIC)
        return WFS_TTU_FIELDSTATICOVWR;
    if (strValue.size() <= lpField->wLength)
        return 0xFFFF;
    // Truncate: shown cut to the field, with a warning. Overwrite: runs on
    // over the display. Terminate: refused.
    bWarning = lpField->fwOverflow != WFS_TTU_FIELDTERMINATE;
    if (lpField->fwOverflow == WFS_TTU_FIELDTRUNCATE)
        strValue.resize(lpField->wLength);
    return WFS_TTU_FIELDOVERFLOW;
}

} // namespace

HRESULT CPanelDevice::WriteForm(CPanelState &state, const CCommandData &data,
                               EventList &events) const
{
    const CFormDefinition *lpForm = m_config.FindForm(data.strFormName);
    if (!lpForm)
        return WFS_ERR_TTU_FORMNOTFOUND;
    if (lpForm->wWidth > state.wSizeX || lpForm->wHeight > state.wSizeY)
        return WFS_ERR_TTU_MEDIAOVERFLOW;

    // ASCII values are accepted by a UNICODE form (they widen without
    // loss); UNICODE values given to an ASCII-only form are refused.
    std::vector<std::wstring> entries;
    if (data.fields.bWide && (lpForm->fwCharSupport & WFS_TTU_AVAILUNICODE))
        entries = data.fields.wide;
    else if (data.fields.bAnsi)
        for (const std::string &s : data.fields.ansi)
            entries.push_back(Widen(s));
    else if (data.fields.bWide) {
        for (const std::wstring &s : data.fields.wide) {
            std::string strName;
            std::wstring strValue;
            bool bFirst;
            if (SplitFieldEntry(s, strName, strValue, bFirst))
                events.push_back(FieldEvent(WFS_EXEE_TTU_FIELDERROR, lpForm->strName, strName,
                                            WFS_TTU_CHARSETFORM));
        }
        return WFS_ERR_TTU_CHARSETDATA;
    }

    struct CPlacement {
        const CFormField *lpField;
        std::wstring strShown;
    };
    std::vector<CPlacement> placements;
    HRESULT hr = WFS_SUCCESS;
    for (const std::wstring &strEntry : entries) {
        std::string strName;
        std::wstring strValue;
        bool bFirstIndex;
        if (!SplitFieldEntry(strEntry, strName, strValue, bFirstIndex))
            return WFS_ERR_TTU_FIELDINVALID;
        const CFormField *lpField = bFirstIndex ? lpForm->FindField(strName) : nullptr;
        bool bWarning = false;
        WORD wFailure = WriteFailure(lpField, strValue, bWarning);
        if (wFailure != 0xFFFF) {
            events.push_back(FieldEvent(bWarning ? WFS_EXEE_TTU_FIELDWARNING
                                                 : WFS_EXEE_TTU_FIELDERROR,
                                        lpForm->strName, strName, wFailure));
            if (!bWarning) {
                if (hr == WFS_SUCCESS || wFailure == WFS_TTU_FIELDNOTFOUND)
                    hr = wFailure == WFS_TTU_FIELDNOTFOUND ? WFS_ERR_TTU_FIELDNOTFOUND
                                                           : WFS_ERR_TTU_FIELDERROR;
                continue;
            }
        }
        placements.push_back({lpField, FieldEcho(*lpField, strValue)});
    }
    // A form with a bad field is not shown at all.
    if (hr != WFS_SUCCESS)
        return hr;

    if (data.bClearScreen)
        CSharedPanel::ClearArea(state, 0, 0, state.wSizeX, state.wSizeY);
    for (const CFormField &field : lpForm->fields)
        if (!field.strText.empty())
            CSharedPanel::PutText(state, field.wX, field.wY, FieldEcho(field, field.strText), 0);
    for (const CPlacement &p : placements) {
        std::wstring strShown = p.strShown;
        if (strShown.size() < p.lpField->wLength)
            strShown.resize(p.lpField->wLength, L' ');
        CSharedPanel::PutText(state, p.lpField->wX, p.lpField->wY, strShown, 0);
    }
    return WFS_SUCCESS;
}

/* A reset clears what a fault left behind (hardware or user error) and
   brings display, LEDs, beeper and light back to their power-on state; the
   keyboard and key-lock switches stay as they are. */
HRESULT CPanelDevice::Reset(CPanelState &state) const
{
    CSharedPanel::ResetOutputs(state);
    return WFS_SUCCESS;
}
