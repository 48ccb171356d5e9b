#include "IniReader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace {

std::string Trim(const std::string &s)
{
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return std::string();
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

std::vector<std::string> Split(const std::string &s, char cSep)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(s);
    while (std::getline(in, part, cSep))
        parts.push_back(Trim(part));
    if (!s.empty() && s.back() == cSep)
        parts.push_back(std::string());
    return parts;
}

bool IEquals(const std::string &a, const char *b)
{
    return _stricmp(a.c_str(), b) == 0;
}

/* One syntax or value error, raised as an exception inside the parser only
   and turned into the "file(line): text" message at its edge. */
struct CConfigError {
    std::string strText;
};

[[noreturn]] void Fail(const std::string &strText)
{
    throw CConfigError{strText};
}

long ParseNumber(const std::string &s, long lMin, long lMax, const char *pszWhat)
{
    char *end = nullptr;
    long l = s.empty() ? -1 : strtol(s.c_str(), &end, 10);
    if (s.empty() || *end != '\0' || l < lMin || l > lMax)
        Fail(std::string(pszWhat) + " must be a number from " + std::to_string(lMin) + " to " +
             std::to_string(lMax) + ", not '" + s + "'");
    return l;
}

bool ParseYesNo(const std::string &s, const char *pszWhat)
{
    if (IEquals(s, "yes") || IEquals(s, "true") || s == "1")
        return true;
    if (IEquals(s, "no") || IEquals(s, "false") || s == "0")
        return false;
    Fail(std::string(pszWhat) + " must be yes or no, not '" + s + "'");
}

/* "20x4" */
void ParseSize(const std::string &s, WORD &wX, WORD &wY, const char *pszWhat)
{
    size_t x = s.find_first_of("xX");
    if (x == std::string::npos)
        Fail(std::string(pszWhat) + " must be WIDTHxHEIGHT, not '" + s + "'");
    wX = (WORD)ParseNumber(Trim(s.substr(0, x)), 1, kMaxColumns, "a width");
    wY = (WORD)ParseNumber(Trim(s.substr(x + 1)), 1, kMaxRows, "a height");
}

WORD ParseCharSupport(const std::string &s)
{
    WORD fw = 0;
    for (const std::string &part : Split(s, ',')) {
        if (IEquals(part, "ASCII"))
            fw |= WFS_TTU_AVAILASCII;
        else if (IEquals(part, "UNICODE"))
            fw |= WFS_TTU_AVAILUNICODE;
        else
            Fail("CharSupport takes ASCII, UNICODE or both, not '" + part + "'");
    }
    return fw;
}

WORD ParseStatusEvents(const std::string &s)
{
    static const char *const kNames[] = {"DEVICE", "KEYBOARD", "KEYLOCK", "LEDS"};
    static const WORD kValues[] = {kStatusDevice, kStatusKeyboard, kStatusKeylock, kStatusLEDs};
    WORD fw = 0;
    for (const std::string &part : Split(s, ',')) {
        int i = 0;
        while (i < 4 && !IEquals(part, kNames[i]))
            ++i;
        if (i == 4)
            Fail("StatusEvents lists DEVICE, KEYBOARD, KEYLOCK, LEDS (or nothing), not '" + part +
                 "'");
        fw |= kValues[i];
    }
    return fw;
}

/* Picks a keyword's value out of a table; pszWhat names the attribute. */
WORD ParseKeyword(const std::string &s, const char *const *names, const WORD *values, int n,
                  const char *pszWhat)
{
    for (int i = 0; i < n; ++i)
        if (IEquals(s, names[i]))
            return values[i];
    std::string strChoices;
    for (int i = 0; i < n; ++i)
        strChoices += (i ? ", " : "") + std::string(names[i]);
    Fail(std::string(pszWhat) + " takes " + strChoices + ", not '" + s + "'");
}

class CIniReader {
public:
    CIniReader(CPanelConfig &config) : m_config(config) {}

    void Line(const std::string &strRaw);
    void Finish();

private:
    enum class IniSection { None, Device, Keyboard, StatusExtra, CapsExtra, Form };

    void EnterSection(const std::string &strName);
    void DeviceEntry(const std::string &strKey, const std::string &strValue);
    void KeyboardEntry(const std::string &strKey, const std::string &strValue);
    void FormEntry(const std::string &strKey, const std::string &strValue);
    CFormField ParseField(const std::string &strValue) const;
    void Once(const std::string &strKey);

    CPanelConfig &m_config;
    IniSection m_section = IniSection::None;
    std::vector<std::string> m_seen; // keys of the current section
    bool m_bResolutions = false;
};

void CIniReader::Line(const std::string &strRaw)
{
    std::string strLine = Trim(strRaw);
    if (strLine.empty() || strLine[0] == ';' || strLine[0] == '#')
        return;
    if (strLine[0] == '[') {
        if (strLine.back() != ']')
            Fail("a section header must end with ']'");
        EnterSection(Trim(strLine.substr(1, strLine.size() - 2)));
        return;
    }
    size_t eq = strLine.find('=');
    if (eq == std::string::npos)
        Fail("expected KEY=VALUE, found '" + strLine + "'");
    std::string strKey = Trim(strLine.substr(0, eq));
    std::string strValue = Trim(strLine.substr(eq + 1));
    if (strKey.empty())
        Fail("a key name is missing before '='");
    switch (m_section) {
    case IniSection::None:
        Fail("'" + strKey + "' stands before the first section");
    case IniSection::Device:
        DeviceEntry(strKey, strValue);
        break;
    case IniSection::Keyboard:
        KeyboardEntry(strKey, strValue);
        break;
    case IniSection::StatusExtra:
    case IniSection::CapsExtra:
        Once(strKey);
        (m_section == IniSection::StatusExtra ? m_config.statusExtra : m_config.capsExtra)
            .push_back(strKey + "=" + strValue);
        break;
    case IniSection::Form:
        FormEntry(strKey, strValue);
        break;
    }
}

void CIniReader::Once(const std::string &strKey)
{
    for (const std::string &s : m_seen)
        if (_stricmp(s.c_str(), strKey.c_str()) == 0)
            Fail("'" + strKey + "' is given twice in this section");
    m_seen.push_back(strKey);
}

void CIniReader::EnterSection(const std::string &strName)
{
    m_seen.clear();
    if (IEquals(strName, "Device"))
        m_section = IniSection::Device;
    else if (IEquals(strName, "Keyboard"))
        m_section = IniSection::Keyboard;
    else if (IEquals(strName, "StatusExtra"))
        m_section = IniSection::StatusExtra;
    else if (IEquals(strName, "CapsExtra"))
        m_section = IniSection::CapsExtra;
    else if (strName.size() > 5 && _strnicmp(strName.c_str(), "Form ", 5) == 0) {
        std::string strForm = Trim(strName.substr(5));
        if (m_config.FindForm(strForm))
            Fail("form '" + strForm + "' is defined twice");
        m_section = IniSection::Form;
        m_config.forms.emplace_back();
        m_config.forms.back().strName = strForm;
    } else
        Fail("unknown section [" + strName + "]");
}

void CIniReader::DeviceEntry(const std::string &strKey, const std::string &strValue)
{
    CPanelDescription &d = m_config.description;
    Once(strKey);
    if (IEquals(strKey, "Resolutions")) {
        std::vector<std::string> sizes = Split(strValue, ',');
        if (sizes.empty() || sizes.size() > (size_t)kMaxResolutions)
            Fail("Resolutions lists 1 to " + std::to_string(kMaxResolutions) + " sizes");
        d.wNumResolutions = 0;
        for (const std::string &s : sizes) {
            WFSTTURESOLUTION &r = d.resolutions[d.wNumResolutions];
            ParseSize(s, r.wSizeX, r.wSizeY, "a resolution");
            if (d.HasResolution(r.wSizeX, r.wSizeY))
                Fail("resolution '" + s + "' is listed twice");
            ++d.wNumResolutions;
        }
        m_bResolutions = true;
    } else if (IEquals(strKey, "LEDs"))
        d.wNumOfLEDs = (WORD)ParseNumber(strValue, 0, WFS_TTU_LEDS_MAX, "LEDs");
    else if (IEquals(strKey, "KeyLock"))
        d.bKeyLock = ParseYesNo(strValue, "KeyLock");
    else if (IEquals(strKey, "DisplayLight"))
        d.bDisplayLight = ParseYesNo(strValue, "DisplayLight");
    else if (IEquals(strKey, "Cursor"))
        d.bCursor = ParseYesNo(strValue, "Cursor");
    else if (IEquals(strKey, "Forms"))
        m_config.bForms = ParseYesNo(strValue, "Forms");
    else if (IEquals(strKey, "CharSupport"))
        m_config.fwCharSupport = ParseCharSupport(strValue);
    else if (IEquals(strKey, "StatusEvents"))
        m_config.fwStatusEvents = ParseStatusEvents(strValue);
    else
        Fail("unknown key '" + strKey + "' in [Device]");
}

void CIniReader::KeyboardEntry(const std::string &strKey, const std::string &strValue)
{
    CPanelDescription &d = m_config.description;
    Once(strKey);
    if (IEquals(strKey, "Keys")) {
        std::wstring strKeys = Widen(strValue, CP_UTF8);
        if (strKeys.size() > (size_t)kMaxKeys)
            Fail("Keys holds at most " + std::to_string(kMaxKeys) + " characters");
        for (size_t i = 0; i < strKeys.size(); ++i)
            if (strKeys.find(strKeys[i]) != i)
                Fail("key '" + Narrow(strKeys.substr(i, 1), CP_UTF8) + "' is listed twice");
        wcscpy(d.szKeys, strKeys.c_str());
    } else if (IEquals(strKey, "CommandKeys")) {
        int n = 0;
        for (const std::string &strName : Split(strValue, ',')) {
            WORD wKey = CommandKeyFromName(strName);
            if (wKey == WFS_TTU_NOKEY)
                Fail("unknown command key '" + strName + "'");
            if (d.HasCommandKey(wKey))
                Fail("command key '" + strName + "' is listed twice");
            d.wCommandKeys[n++] = wKey;
        }
    } else
        Fail("unknown key '" + strKey + "' in [Keyboard]");
}

CFormField CIniReader::ParseField(const std::string &strValue) const
{
    static const char *const kTypes[] = {"TEXT", "INVISIBLE", "PASSWORD"};
    static const WORD kTypeValues[] = {WFS_TTU_FIELDTEXT, WFS_TTU_FIELDINVISIBLE,
                                       WFS_TTU_FIELDPASSWORD};
    static const char *const kClasses[] = {"OPTIONAL", "STATIC", "REQUIRED"};
    static const WORD kClassValues[] = {WFS_TTU_CLASSOPTIONAL, WFS_TTU_CLASSSTATIC,
                                        WFS_TTU_CLASSREQUIRED};
    static const char *const kAccess[] = {"READ", "WRITE", "READWRITE"};
    static const WORD kAccessValues[] = {WFS_TTU_ACCESSREAD, WFS_TTU_ACCESSWRITE,
                                         WFS_TTU_ACCESSREAD | WFS_TTU_ACCESSWRITE};
    static const char *const kOverflow[] = {"TERMINATE", "TRUNCATE", "OVERWRITE"};
    static const WORD kOverflowValues[] = {WFS_TTU_FIELDTERMINATE, WFS_TTU_FIELDTRUNCATE,
                                           WFS_TTU_FIELDOVERWRITE};

    std::vector<std::string> parts = Split(strValue, ';');
    CFormField field;
    field.strName = parts.empty() ? std::string() : parts[0];
    if (field.strName.empty() ||
        field.strName.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                        "0123456789_-") != std::string::npos)
        Fail("a field needs a name of letters, digits, '_' and '-', not '" + field.strName + "'");
    bool bPosition = false;
    for (size_t i = 1; i < parts.size(); ++i) {
        size_t eq = parts[i].find('=');
        if (eq == std::string::npos)
            Fail("field attribute '" + parts[i] + "' needs the form NAME=VALUE");
        std::string strName = Trim(parts[i].substr(0, eq));
        std::string strAttr = Trim(parts[i].substr(eq + 1));
        if (IEquals(strName, "Type"))
            field.fwType = ParseKeyword(strAttr, kTypes, kTypeValues, 3, "Type");
        else if (IEquals(strName, "Class"))
            field.fwClass = ParseKeyword(strAttr, kClasses, kClassValues, 3, "Class");
        else if (IEquals(strName, "Access"))
            field.fwAccess = ParseKeyword(strAttr, kAccess, kAccessValues, 3, "Access");
        else if (IEquals(strName, "Overflow"))
            field.fwOverflow = ParseKeyword(strAttr, kOverflow, kOverflowValues, 3, "Overflow");
        else if (IEquals(strName, "Format"))
            field.strFormat = strAttr;
        else if (IEquals(strName, "Text"))
            field.strText = Widen(strAttr, CP_UTF8);
        else if (IEquals(strName, "Length"))
            field.wLength = (WORD)ParseNumber(strAttr, 1, kMaxColumns, "Length");
        else if (IEquals(strName, "Position")) {
            std::vector<std::string> xy = Split(strAttr, ',');
            if (xy.size() != 2)
                Fail("Position must be X,Y, not '" + strAttr + "'");
            field.wX = (WORD)ParseNumber(xy[0], 0, kMaxColumns - 1, "a column");
            field.wY = (WORD)ParseNumber(xy[1], 0, kMaxRows - 1, "a row");
            bPosition = true;
        } else
            Fail("unknown field attribute '" + strName + "'");
    }
    if (!bPosition || field.wLength == 0)
        Fail("field '" + field.strName + "' needs a Position and a Length");
    return field;
}

void CIniReader::FormEntry(const std::string &strKey, const std::string &strValue)
{
    CFormDefinition &form = m_config.forms.back();
    if (IEquals(strKey, "Field")) {
        CFormField field = ParseField(strValue);
        if (form.FindField(field.strName))
            Fail("field '" + field.strName + "' is defined twice");
        if (form.wWidth == 0)
            Fail("Size must come before the first Field");
        if (field.wX + field.wLength > form.wWidth || field.wY >= form.wHeight)
            Fail("field '" + field.strName + "' does not fit the form's size");
        if ((WORD)field.strText.size() > field.wLength)
            Fail("the Text of field '" + field.strName + "' is longer than its Length");
        form.fields.push_back(field);
        return;
    }
    Once(strKey);
    if (IEquals(strKey, "Size"))
        ParseSize(strValue, form.wWidth, form.wHeight, "Size");
    else if (IEquals(strKey, "Version")) {
        std::vector<std::string> v = Split(strValue, '.');
        if (v.size() != 2)
            Fail("Version must be MAJOR.MINOR, not '" + strValue + "'");
        form.wVersionMajor = (WORD)ParseNumber(v[0], 0, 65535, "a major version");
        form.wVersionMinor = (WORD)ParseNumber(v[1], 0, 65535, "a minor version");
    } else if (IEquals(strKey, "CharSupport"))
        form.fwCharSupport = ParseCharSupport(strValue);
    else
        Fail("unknown key '" + strKey + "' in a form section");
}

void CIniReader::Finish()
{
    CPanelDescription &d = m_config.description;
    if (!m_bResolutions)
        Fail("[Device] needs Resolutions");
    if (d.szKeys[0] == 0 && d.wCommandKeys[0] == WFS_TTU_NOKEY)
        Fail("[Keyboard] needs Keys or CommandKeys");
    for (const CFormDefinition &form : m_config.forms) {
        if (form.wWidth == 0)
            Fail("form '" + form.strName + "' needs a Size");
        if ((form.fwCharSupport & m_config.fwCharSupport) == 0)
            Fail("form '" + form.strName + "' uses a character set the panel does not support");
    }
    if (!m_config.forms.empty() && !m_config.bForms)
        Fail("forms are defined but [Device] says Forms=no");
}

} // namespace

bool ParsePanelIni(const std::string &strText, CPanelConfig &config, int &nLine,
                   std::string &strError)
{
    CIniReader reader(config);
    nLine = 0;
    try {
        std::istringstream in(strText);
        std::string strLine;
        while (std::getline(in, strLine)) {
            ++nLine;
            reader.Line(strLine);
        }
        nLine = 0; // errors found at the end belong to the whole file
        reader.Finish();
    } catch (const CConfigError &e) {
        strError = e.strText;
        return false;
    }
    return true;
}
