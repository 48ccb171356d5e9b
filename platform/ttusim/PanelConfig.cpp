#include "PanelConfig.h"

#include "IniReader.h"

#include <cstring>

bool CPanelDescription::HasKey(WCHAR wc) const
{
    return wc != 0 && wcschr(szKeys, wc) != nullptr;
}

bool CPanelDescription::HasCommandKey(WORD wKey) const
{
    for (int i = 0; i < kMaxCommandKeys && wCommandKeys[i] != WFS_TTU_NOKEY; ++i)
        if (wCommandKeys[i] == wKey)
            return true;
    return false;
}

bool CPanelDescription::HasResolution(WORD wSizeX, WORD wSizeY) const
{
    for (int i = 0; i < wNumResolutions; ++i)
        if (resolutions[i].wSizeX == wSizeX && resolutions[i].wSizeY == wSizeY)
            return true;
    return false;
}

const CFormField *CFormDefinition::FindField(const std::string &strFieldName) const
{
    for (const CFormField &field : fields)
        if (field.strName == strFieldName)
            return &field;
    return nullptr;
}

const CFormDefinition *CPanelConfig::FindForm(const std::string &strName) const
{
    for (const CFormDefinition &form : forms)
        if (form.strName == strName)
            return &form;
    return nullptr;
}

std::string Narrow(const std::wstring &str, UINT uCodePage)
{
    if (str.empty())
        return std::string();
    int n = WideCharToMultiByte(uCodePage, 0, str.c_str(), (int)str.size(), nullptr, 0, nullptr,
                                nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(uCodePage, 0, str.c_str(), (int)str.size(), &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring Widen(const std::string &str, UINT uCodePage)
{
    if (str.empty())
        return std::wstring();
    int n = MultiByteToWideChar(uCodePage, 0, str.c_str(), (int)str.size(), nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(uCodePage, 0, str.c_str(), (int)str.size(), &out[0], n);
    return out;
}

static const char *const kFixedKeyNames[] = {"", "ENTER", "CANCEL", "CLEAR", "BACKSPACE", "HELP",
                                             "00", "000", "ARROWUP", "ARROWDOWN", "ARROWLEFT",
                                             "ARROWRIGHT"};

std::string CommandKeyName(WORD wKey)
{
    char sz[8];
    if (wKey >= WFS_TTU_CK_ENTER && wKey <= WFS_TTU_CK_ARROWRIGHT)
        return kFixedKeyNames[wKey];
    if (wKey >= WFS_TTU_CK_OEM1 && wKey <= WFS_TTU_CK_OEM12) {
        snprintf(sz, sizeof sz, "OEM%02d", wKey - WFS_TTU_CK_OEM1 + 1);
        return sz;
    }
    if (wKey >= WFS_TTU_CK_FDK01 && wKey <= WFS_TTU_CK_FDK32) {
        snprintf(sz, sizeof sz, "FDK%02d", wKey - WFS_TTU_CK_FDK01 + 1);
        return sz;
    }
    return std::string();
}

WORD CommandKeyFromName(const std::string &strName)
{
    for (WORD wKey = WFS_TTU_CK_ENTER; wKey <= WFS_TTU_CK_FDK32; ++wKey)
        if (_stricmp(CommandKeyName(wKey).c_str(), strName.c_str()) == 0)
            return wKey;
    return WFS_TTU_NOKEY;
}

bool LoadPanelConfig(const std::wstring &strPath, CPanelConfig &config, std::string &strError)
{
    config = CPanelConfig();
    config.strPath = strPath;
    // Descriptions are compared byte by byte: padding must be zero too.
    memset(&config.description, 0, sizeof config.description);
    std::string strFile = Narrow(strPath);

    HANDLE hFile = CreateFileW(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        strError = strFile + ": cannot open the panel configuration (error " +
                   std::to_string(GetLastError()) + ")";
        return false;
    }
    std::string strText;
    char buf[4096];
    DWORD cb = 0;
    while (ReadFile(hFile, buf, sizeof buf, &cb, nullptr) && cb > 0)
        strText.append(buf, cb);
    CloseHandle(hFile);
    if (strText.compare(0, 3, "\xEF\xBB\xBF") == 0) // UTF-8 byte order mark
        strText.erase(0, 3);

    int nLine = 0;
    if (!ParsePanelIni(strText, config, nLine, strError)) {
        strError = strFile + (nLine ? "(" + std::to_string(nLine) + ")" : std::string()) + ": " +
                   strError;
        return false;
    }
    return true;
}
