#include <algorithm>

#include "PanelDevice.h"

namespace {

constexpr size_t kMaxInput = 1024; // a read without a character limit stops here
constexpr WORD kAllTextAttributes =
    WFS_TTU_TEXTUNDERLINE | WFS_TTU_TEXTINVERTED | WFS_TTU_TEXTFLASH;

CExecuteEvent KeyEvent(const CPanelKey &key)
{
    CExecuteEvent event;
    event.dwEventID = WFS_EXEE_TTU_KEY;
    event.key.wUNICODEKey = key.wcKey;
    event.key.wCommandKey = key.wCommandKey;
    if (key.wcKey) {
        // cKey is the ANSI form of the key, 0 where the code page has none.
        char c = 0;
        BOOL bDefault = FALSE;
        if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &key.wcKey, 1, &c, 1, nullptr,
                                &bDefault) == 1 &&
            !bDefault)
            event.key.cKey = c;
    }
    return event;
}

/* The input of one field and its echo on the display. */
class CEchoField {
public:
    void Place(CPanelState &state, int col, int row, size_t cchWidth, WORD fwEchoMode,
               WORD fwAttr, bool bCursor)
    {
        m_col = col;
        m_row = row;
        m_cchWidth = cchWidth;
        m_fwEchoMode = fwEchoMode;
        m_fwAttr = fwAttr;
        m_strText.clear();
        state.bCursorOn = bCursor;
        MoveCursor(state);
    }
    const std::wstring &Text() const { return m_strText; }
    void Append(CPanelState &state, WCHAR wc)
    {
        m_strText += wc;
        Show(state, m_strText.size() - 1);
    }
    void ReplaceLast(CPanelState &state, WCHAR wc)
    {
        m_strText.back() = wc;
        Show(state, m_strText.size() - 1);
    }
    void Erase(CPanelState &state, size_t from)
    {
        if (from >= m_strText.size())
            return;
        size_t n = m_strText.size() - from;
        m_strText.erase(from);
        if (m_fwEchoMode != WFS_TTU_ECHOINVISIBLE)
            CSharedPanel::PutText(state, m_col + (int)from, m_row, std::wstring(n, L' '), 0);
        MoveCursor(state);
    }

private:
    void Show(CPanelState &state, size_t i)
    {
        if (m_fwEchoMode != WFS_TTU_ECHOINVISIBLE && i < m_cchWidth) {
            WCHAR wc = m_fwEchoMode == WFS_TTU_ECHOPASSWORD ? L'*' : m_strText[i];
            CSharedPanel::PutText(state, m_col + (int)i, m_row, std::wstring(1, wc), m_fwAttr);
        }
        MoveCursor(state);
    }
    void MoveCursor(CPanelState &state) const
    {
        int col = m_col + (int)std::min(m_strText.size(), m_cchWidth);
        state.wCursorX = (WORD)std::min(col, state.wSizeX - 1);
        state.wCursorY = (WORD)m_row;
    }

    int m_col = 0, m_row = 0;
    size_t m_cchWidth = 0;
    WORD m_fwEchoMode = WFS_TTU_ECHOTEXT;
    WORD m_fwAttr = 0;
    std::wstring m_strText;
};

/* A keyboard check shared by both reads. */
HRESULT KeyboardReady(const CPanelState &state)
{
    return state.fwKeyboard == WFS_TTU_KBDON ? WFS_SUCCESS : WFS_ERR_DEV_NOT_READY;
}

HRESULT CheckCommandKeys(const CPanelDescription &d, const CKeyList &list)
{
    for (WORD wKey : list.keys)
        if (wKey > WFS_TTU_CK_FDK32)
            return WFS_ERR_TTU_KEYINVALID;
    for (WORD wKey : list.keys)
        if (!d.HasCommandKey(wKey))
            return WFS_ERR_TTU_KEYNOTSUPPORTED;
    return WFS_SUCCESS;
}

bool Contains(const std::vector<WORD> &keys, WORD wKey)
{
    return std::find(keys.begin(), keys.end(), wKey) != keys.end();
}

void AddReadIn(CResultBuilder &result, const std::wstring &strInput)
{
    LPWFSTTUREADIN lpReadIn = result.Add<WFSTTUREADIN>();
    if (!lpReadIn)
        return;
    // Both forms are given, whatever the character support: a client that
    // looks at only one of them still finds the input.
    lpReadIn->lpszInput = result.String(Narrow(strInput));
    lpReadIn->lpszUNICODEInput = result.WideString(strInput);
    result.SetBuffer(lpReadIn);
}

/* WFS_CMD_TTU_READ: one line of input with the request's active keys. */
class CTextRead : public CKeyboardRead {
public:
    CTextRead(const CPanelConfig &config, const CCommandData &data) : m_config(config), m_data(data)
    {
    }

    HRESULT Start(CPanelState &state, EventList &) override
    {
        const WFSTTUREAD &read = m_data.read;
        if (read.wMode > WFS_TTU_POSABSOLUTE || read.fwEchoMode > WFS_TTU_ECHOPASSWORD ||
            (read.fwEchoAttr & ~kAllTextAttributes))
            return WFS_ERR_INVALID_DATA;
        HRESULT hr = CPanelDevice(m_config).ChooseText(m_data.text, m_strActiveKeys);
        if (hr != WFS_SUCCESS)
            return hr;
        for (WCHAR wc : m_strActiveKeys)
            if (wc < L' ')
                return WFS_ERR_TTU_KEYINVALID;
        if ((hr = CheckCommandKeys(state.description, m_data.activeCommandKeys)) != WFS_SUCCESS ||
            (hr = CheckCommandKeys(state.description, m_data.terminateCommandKeys)) !=
                WFS_SUCCESS)
            return hr;
        for (WCHAR wc : m_strActiveKeys)
            if (!state.description.HasKey(wc))
                return WFS_ERR_TTU_KEYNOTSUPPORTED;
        if (m_strActiveKeys.empty() && m_data.activeCommandKeys.keys.empty() &&
            m_data.terminateCommandKeys.keys.empty())
            return WFS_ERR_TTU_NOACTIVEKEYS;
        int col, row;
        if (!ResolvePosition(state, read.wMode, read.wPosX, read.wPosY, col, row))
            return WFS_ERR_INVALID_DATA;
        if ((hr = KeyboardReady(state)) != WFS_SUCCESS)
            return hr;
        m_cchLimit = read.wNumOfChars ? read.wNumOfChars : kMaxInput;
        m_cchLimit = std::min(m_cchLimit, kMaxInput);
        m_field.Place(state, col, row, (size_t)(state.wSizeX - col), read.fwEchoMode,
                      read.fwEchoAttr, read.bCursor != FALSE);
        std::vector<WORD> commandKeys = m_data.activeCommandKeys.keys;
        commandKeys.insert(commandKeys.end(), m_data.terminateCommandKeys.keys.begin(),
                           m_data.terminateCommandKeys.keys.end());
        CSharedPanel::SetActiveKeys(state, m_strActiveKeys, commandKeys);
        return WFS_SUCCESS;
    }

    bool OnKey(CPanelState &state, const CPanelKey &key, EventList &events, HRESULT &hr) override
    {
        if (key.wcKey) {
            if (m_strActiveKeys.find(key.wcKey) == std::wstring::npos ||
                m_field.Text().size() >= m_cchLimit)
                return false;
            m_field.Append(state, key.wcKey);
            events.push_back(KeyEvent(key));
            if (m_data.read.bAutoEnd && m_field.Text().size() == m_cchLimit)
                return Finish(state, WFS_SUCCESS, hr);
            return false;
        }
        if (Contains(m_data.terminateCommandKeys.keys, key.wCommandKey)) {
            events.push_back(KeyEvent(key));
            return Finish(state,
                          key.wCommandKey == WFS_TTU_CK_CANCEL ? WFS_ERR_TTU_KEYCANCELED
                                                               : WFS_SUCCESS,
                          hr);
        }
        if (!Contains(m_data.activeCommandKeys.keys, key.wCommandKey))
            return false;
        events.push_back(KeyEvent(key));
        if (key.wCommandKey == WFS_TTU_CK_BACKSPACE && !m_field.Text().empty())
            m_field.Erase(state, m_field.Text().size() - 1);
        else if (key.wCommandKey == WFS_TTU_CK_CLEAR)
            m_field.Erase(state, 0);
        return false;
    }

    void BuildOutput(CResultBuilder &result) const override { AddReadIn(result, m_field.Text()); }

private:
    bool Finish(CPanelState &state, HRESULT hrEnd, HRESULT &hr)
    {
        state.bCursorOn = FALSE;
        hr = hrEnd;
        return true;
    }

    const CPanelConfig &m_config;
    const CCommandData &m_data;
    std::wstring m_strActiveKeys;
    size_t m_cchLimit = kMaxInput;
    CEchoField m_field;
};

/* WFS_CMD_TTU_READ_FORM: the operator fills the form's fields one after
   another; ENTER moves on (and ends the read after the last field), CANCEL
   ends it, BACKSPACE and CLEAR edit the field. */
class CFormRead : public CKeyboardRead {
public:
    CFormRead(const CPanelConfig &config, const CCommandData &data) : m_config(config), m_data(data)
    {
    }

    HRESULT Start(CPanelState &state, EventList &events) override
    {
        m_lpForm = m_config.FindForm(m_data.strFormName);
        if (!m_lpForm)
            return WFS_ERR_TTU_FORMNOTFOUND;
        if (m_lpForm->wWidth > state.wSizeX || m_lpForm->wHeight > state.wSizeY)
            return WFS_ERR_TTU_MEDIAOVERFLOW;
        HRESULT hr = WFS_SUCCESS;
        if (m_data.bAllFields) {
            for (const CFormField &field : m_lpForm->fields)
                if (field.fwAccess & WFS_TTU_ACCESSREAD)
                    m_fields.push_back(&field);
        }
        for (const std::string &strName : m_data.fieldNames) {
            const CFormField *lpField = m_lpForm->FindField(strName);
            WORD wFailure = !lpField ? WFS_TTU_FIELDNOTFOUND
                            : !(lpField->fwAccess & WFS_TTU_ACCESSREAD) ? WFS_TTU_FIELDNOTREAD
                                                                        : 0xFFFF;
            if (wFailure == 0xFFFF) {
                m_fields.push_back(lpField);
                continue;
            }
            CExecuteEvent event;
            event.dwEventID = WFS_EXEE_TTU_FIELDERROR;
            event.strForm = m_lpForm->strName;
            event.strField = strName;
            event.wFailure = wFailure;
            events.push_back(event);
            if (hr == WFS_SUCCESS || wFailure == WFS_TTU_FIELDNOTFOUND)
                hr = wFailure == WFS_TTU_FIELDNOTFOUND ? WFS_ERR_TTU_FIELDNOTFOUND
                                                       : WFS_ERR_TTU_FIELDERROR;
        }
        if (hr != WFS_SUCCESS)
            return hr;
        if ((hr = KeyboardReady(state)) != WFS_SUCCESS)
            return hr;
        if (!m_fields.empty())
            PlaceField(state);
        CSharedPanel::SetActiveKeys(state, state.description.szKeys,
                                    {WFS_TTU_CK_ENTER, WFS_TTU_CK_CANCEL, WFS_TTU_CK_BACKSPACE,
                                     WFS_TTU_CK_CLEAR});
        return WFS_SUCCESS;
    }

    bool Finished() const override { return m_fields.empty(); }

    bool OnKey(CPanelState &state, const CPanelKey &key, EventList &events, HRESULT &hr) override
    {
        const CFormField &field = *m_fields[m_values.size()];
        if (key.wcKey) {
            if (m_field.Text().size() < field.wLength)
                m_field.Append(state, key.wcKey);
            else if (field.fwOverflow == WFS_TTU_FIELDOVERWRITE)
                m_field.ReplaceLast(state, key.wcKey);
            else {
                events.push_back(Warning(field, WFS_TTU_FIELDOVERFLOW));
                return false;
            }
            events.push_back(KeyEvent(key));
            if (field.fwOverflow == WFS_TTU_FIELDTERMINATE &&
                m_field.Text().size() == field.wLength)
                return NextField(state, hr);
            return false;
        }
        switch (key.wCommandKey) {
        case WFS_TTU_CK_ENTER:
            events.push_back(KeyEvent(key));
            if (field.fwClass == WFS_TTU_CLASSREQUIRED && m_field.Text().empty()) {
                events.push_back(Warning(field, WFS_TTU_FIELDREQUIRED));
                return false;
            }
            return NextField(state, hr);
        case WFS_TTU_CK_CANCEL:
            events.push_back(KeyEvent(key));
            state.bCursorOn = FALSE;
            hr = WFS_ERR_TTU_KEYCANCELED;
            return true;
        case WFS_TTU_CK_BACKSPACE:
        case WFS_TTU_CK_CLEAR:
            events.push_back(KeyEvent(key));
            if (!m_field.Text().empty())
                m_field.Erase(state,
                              key.wCommandKey == WFS_TTU_CK_CLEAR ? 0 : m_field.Text().size() - 1);
            return false;
        default:
            return false;
        }
    }

    void BuildOutput(CResultBuilder &result) const override
    {
        std::vector<std::string> ansi;
        std::vector<std::wstring> wide;
        for (size_t i = 0; i < m_values.size(); ++i) {
            std::wstring strEntry = Widen(m_fields[i]->strName) + L"=" + m_values[i];
            wide.push_back(strEntry);
            ansi.push_back(Narrow(strEntry));
        }
        LPWFSTTUREADFORMOUT lpOut = result.Add<WFSTTUREADFORMOUT>();
        if (!lpOut)
            return;
        // Both lists, as for a text read.
        lpOut->lpszFields = result.MultiString(ansi);
        lpOut->lpszUNICODEFields = result.WideMultiString(wide);
        result.SetBuffer(lpOut);
    }

private:
    CExecuteEvent Warning(const CFormField &field, WORD wFailure) const
    {
        CExecuteEvent event;
        event.dwEventID = WFS_EXEE_TTU_FIELDWARNING;
        event.strForm = m_lpForm->strName;
        event.strField = field.strName;
        event.wFailure = wFailure;
        return event;
    }

    void PlaceField(CPanelState &state)
    {
        const CFormField &field = *m_fields[m_values.size()];
        WORD fwEcho = field.fwType == WFS_TTU_FIELDPASSWORD    ? WFS_TTU_ECHOPASSWORD
                      : field.fwType == WFS_TTU_FIELDINVISIBLE ? WFS_TTU_ECHOINVISIBLE
                                                               : WFS_TTU_ECHOTEXT;
        m_field.Place(state, field.wX, field.wY, field.wLength, fwEcho, 0, true);
    }

    bool NextField(CPanelState &state, HRESULT &hr)
    {
        m_values.push_back(m_field.Text());
        if (m_values.size() < m_fields.size()) {
            PlaceField(state);
            return false;
        }
        state.bCursorOn = FALSE;
        hr = WFS_SUCCESS;
        return true;
    }

    const CPanelConfig &m_config;
    const CCommandData &m_data;
    const CFormDefinition *m_lpForm = nullptr;
    std::vector<const CFormField *> m_fields; // in the order they are read
    std::vector<std::wstring> m_values;      // of the fields done so far
    CEchoField m_field;
};

} // namespace

std::unique_ptr<CKeyboardRead> NewTextRead(const CPanelConfig &config, const CCommandData &data)
{
    return std::unique_ptr<CKeyboardRead>(new CTextRead(config, data));
}

std::unique_ptr<CKeyboardRead> NewFormRead(const CPanelConfig &config, const CCommandData &data)
{
    return std::unique_ptr<CKeyboardRead>(new CFormRead(config, data));
}
