#include "PanelCodes.h"

#include "xfsttu.h"

#include <cerrno>
#include <cstdlib>
#include <cwctype>

namespace {

template <size_t N, size_t P>
constexpr CCodeTable MakeTable(const CNamedCode (&entries)[N], const char *const (&prefixes)[P])
{
    return CCodeTable{entries, N, prefixes, P};
}

const char *const kNoPrefixes[] = {""};

const CNamedCode kCommandEntries[] = {
    {"BEEP", WFS_CMD_TTU_BEEP},
    {"CLEARSCREEN", WFS_CMD_TTU_CLEARSCREEN},
    {"DISPLIGHT", WFS_CMD_TTU_DISPLIGHT},
    {"SET_LED", WFS_CMD_TTU_SET_LED},
    {"SET_RESOLUTION", WFS_CMD_TTU_SET_RESOLUTION},
    {"WRITE_FORM", WFS_CMD_TTU_WRITE_FORM},
    {"READ_FORM", WFS_CMD_TTU_READ_FORM},
    {"WRITE", WFS_CMD_TTU_WRITE},
    {"READ", WFS_CMD_TTU_READ},
    {"RESET", WFS_CMD_TTU_RESET},
};
const char *const kCommandPrefixes[] = {"", "WFS_CMD_TTU_", "CMD_TTU_"};

const CNamedCode kCategoryEntries[] = {
    {"STATUS", WFS_INF_TTU_STATUS},
    {"CAPABILITIES", WFS_INF_TTU_CAPABILITIES},
    {"FORM_LIST", WFS_INF_TTU_FORM_LIST},
    {"QUERY_FORM", WFS_INF_TTU_QUERY_FORM},
    {"QUERY_FIELD", WFS_INF_TTU_QUERY_FIELD},
    {"KEY_DETAIL", WFS_INF_TTU_KEY_DETAIL},
};
const char *const kCategoryPrefixes[] = {"", "WFS_INF_TTU_", "INF_TTU_"};

const CNamedCode kResultEntries[] = {
    {"SUCCESS", WFS_SUCCESS},
    {"ALREADY_STARTED", WFS_ERR_ALREADY_STARTED},
    {"API_VER_TOO_HIGH", WFS_ERR_API_VER_TOO_HIGH},
    {"API_VER_TOO_LOW", WFS_ERR_API_VER_TOO_LOW},
    {"CANCELED", WFS_ERR_CANCELED},
    {"DEV_NOT_READY", WFS_ERR_DEV_NOT_READY},
    {"HARDWARE_ERROR", WFS_ERR_HARDWARE_ERROR},
    {"INTERNAL_ERROR", WFS_ERR_INTERNAL_ERROR},
    {"INVALID_ADDRESS", WFS_ERR_INVALID_ADDRESS},
    {"INVALID_APP_HANDLE", WFS_ERR_INVALID_APP_HANDLE},
    {"INVALID_BUFFER", WFS_ERR_INVALID_BUFFER},
    {"INVALID_CATEGORY", WFS_ERR_INVALID_CATEGORY},
    {"INVALID_COMMAND", WFS_ERR_INVALID_COMMAND},
    {"INVALID_EVENT_CLASS", WFS_ERR_INVALID_EVENT_CLASS},
    {"INVALID_HSERVICE", WFS_ERR_INVALID_HSERVICE},
    {"INVALID_HPROVIDER", WFS_ERR_INVALID_HPROVIDER},
    {"INVALID_HWND", WFS_ERR_INVALID_HWND},
    {"INVALID_HWNDREG", WFS_ERR_INVALID_HWNDREG},
    {"INVALID_POINTER", WFS_ERR_INVALID_POINTER},
    {"INVALID_REQ_ID", WFS_ERR_INVALID_REQ_ID},
    {"INVALID_RESULT", WFS_ERR_INVALID_RESULT},
    {"INVALID_SERVPROV", WFS_ERR_INVALID_SERVPROV},
    {"INVALID_TRACELEVEL", WFS_ERR_INVALID_TRACELEVEL},
    {"LOCKED", WFS_ERR_LOCKED},
    {"NO_SERVPROV", WFS_ERR_NO_SERVPROV},
    {"NOT_LOCKED", WFS_ERR_NOT_LOCKED},
    {"NOT_STARTED", WFS_ERR_NOT_STARTED},
    {"NOT_REGISTERED", WFS_ERR_NOT_REGISTERED},
    {"OP_IN_PROGRESS", WFS_ERR_OP_IN_PROGRESS},
    {"OUT_OF_MEMORY", WFS_ERR_OUT_OF_MEMORY},
    {"SERVICE_NOT_FOUND", WFS_ERR_SERVICE_NOT_FOUND},
    {"SPI_VER_TOO_HIGH", WFS_ERR_SPI_VER_TOO_HIGH},
    {"SPI_VER_TOO_LOW", WFS_ERR_SPI_VER_TOO_LOW},
    {"SRVC_VER_TOO_HIGH", WFS_ERR_SRVC_VER_TOO_HIGH},
    {"SRVC_VER_TOO_LOW", WFS_ERR_SRVC_VER_TOO_LOW},
    {"TIMEOUT", WFS_ERR_TIMEOUT},
    {"UNSUPP_CATEGORY", WFS_ERR_UNSUPP_CATEGORY},
    {"UNSUPP_COMMAND", WFS_ERR_UNSUPP_COMMAND},
    {"INVALID_DATA", WFS_ERR_INVALID_DATA},
    {"SOFTWARE_ERROR", WFS_ERR_SOFTWARE_ERROR},
    {"CONNECTION_LOST", WFS_ERR_CONNECTION_LOST},
    {"TTU_FIELDERROR", WFS_ERR_TTU_FIELDERROR},
    {"TTU_FIELDINVALID", WFS_ERR_TTU_FIELDINVALID},
    {"TTU_FIELDNOTFOUND", WFS_ERR_TTU_FIELDNOTFOUND},
    {"TTU_FIELDSPECFAILURE", WFS_ERR_TTU_FIELDSPECFAILURE},
    {"TTU_FORMINVALID", WFS_ERR_TTU_FORMINVALID},
    {"TTU_FORMNOTFOUND", WFS_ERR_TTU_FORMNOTFOUND},
    {"TTU_INVALIDLED", WFS_ERR_TTU_INVALIDLED},
    {"TTU_KEYCANCELED", WFS_ERR_TTU_KEYCANCELED},
    {"TTU_MEDIAOVERFLOW", WFS_ERR_TTU_MEDIAOVERFLOW},
    {"TTU_RESNOTSUPP", WFS_ERR_TTU_RESNOTSUPP},
    {"TTU_CHARSETDATA", WFS_ERR_TTU_CHARSETDATA},
    {"TTU_KEYINVALID", WFS_ERR_TTU_KEYINVALID},
    {"TTU_KEYNOTSUPPORTED", WFS_ERR_TTU_KEYNOTSUPPORTED},
    {"TTU_NOACTIVEKEYS", WFS_ERR_TTU_NOACTIVEKEYS},
};
const char *const kResultPrefixes[] = {"", "WFS_ERR_", "WFS_"};

// The device keywords are the status words without their DEV prefix, as an
// operator would say them ("hwerror", not "devhwerror").
const CNamedCode kDeviceEntries[] = {
    {"online", WFS_TTU_DEVONLINE},     {"offline", WFS_TTU_DEVOFFLINE},
    {"poweroff", WFS_TTU_DEVPOWEROFF}, {"nodevice", WFS_TTU_DEVNODEVICE},
    {"hwerror", WFS_TTU_DEVHWERROR},   {"usererror", WFS_TTU_DEVUSERERROR},
    {"busy", WFS_TTU_DEVBUSY},
};

// Keyboard and key lock use the same three values.
static_assert(WFS_TTU_KBDON == WFS_TTU_KBDLOCKON && WFS_TTU_KBDOFF == WFS_TTU_KBDLOCKOFF &&
                  WFS_TTU_KBDNA == WFS_TTU_KBDLOCKNA,
              "keyboard and key-lock states differ");
const CNamedCode kSwitchEntries[] = {
    {"on", WFS_TTU_KBDON}, {"off", WFS_TTU_KBDOFF}, {"na", WFS_TTU_KBDNA}};

const CNamedCode kLedEntries[] = {
    {"n/a", WFS_TTU_LEDNA},
    {"off", WFS_TTU_LEDOFF},
    {"slow flash", WFS_TTU_LEDSLOWFLASH},
    {"medium flash", WFS_TTU_LEDMEDIUMFLASH},
    {"quick flash", WFS_TTU_LEDQUICKFLASH},
    {"continuous", WFS_TTU_LEDCONTINUOUS},
};

const CNamedCode kSystemEventEntries[] = {
    {"hardware", WFS_SYSE_HARDWARE_ERROR},
    {"disconnect", WFS_SYSE_APP_DISCONNECT},
};

const CNamedCode kCommandKeyEntries[] = {
    {"ENTER", WFS_TTU_CK_ENTER},       {"CANCEL", WFS_TTU_CK_CANCEL},
    {"CLEAR", WFS_TTU_CK_CLEAR},       {"BACKSPACE", WFS_TTU_CK_BACKSPACE},
    {"HELP", WFS_TTU_CK_HELP},         {"00", WFS_TTU_CK_00},
    {"000", WFS_TTU_CK_000},           {"UP", WFS_TTU_CK_ARROWUP},
    {"DOWN", WFS_TTU_CK_ARROWDOWN},    {"LEFT", WFS_TTU_CK_ARROWLEFT},
    {"RIGHT", WFS_TTU_CK_ARROWRIGHT},
};

bool EqualsIgnoreCase(const std::wstring &strLeft, const std::string &strRight)
{
    if (strLeft.size() != strRight.size())
        return false;
    for (size_t i = 0; i < strLeft.size(); ++i) {
        if (std::towupper(strLeft[i]) != std::towupper(static_cast<unsigned char>(strRight[i])))
            return false;
    }
    return true;
}

// "OEM7" -> 7 for prefix "OEM": the number after a case-insensitive prefix.
bool NumberAfterPrefix(const std::wstring &strName, const char *pszPrefix, long long *pllNumber)
{
    const std::string strPrefix(pszPrefix);
    if (strName.size() <= strPrefix.size() ||
        !EqualsIgnoreCase(strName.substr(0, strPrefix.size()), strPrefix))
        return false;
    const std::wstring strDigits = strName.substr(strPrefix.size());
    for (wchar_t ch : strDigits) {
        if (!std::iswdigit(ch))
            return false;
    }
    return strDigits.size() <= 2 && ParseInteger(strDigits, pllNumber);
}

} // namespace

const CCodeTable g_Commands = MakeTable(kCommandEntries, kCommandPrefixes);
const CCodeTable g_Categories = MakeTable(kCategoryEntries, kCategoryPrefixes);
const CCodeTable g_Results = MakeTable(kResultEntries, kResultPrefixes);
const CCodeTable g_DeviceStates = MakeTable(kDeviceEntries, kNoPrefixes);
const CCodeTable g_SwitchStates = MakeTable(kSwitchEntries, kNoPrefixes);
const CCodeTable g_LedStates = MakeTable(kLedEntries, kNoPrefixes);
const CCodeTable g_SystemEvents = MakeTable(kSystemEventEntries, kNoPrefixes);

bool FindCode(const CCodeTable &table, const std::wstring &strName, LONG *plValue)
{
    for (size_t p = 0; p < table.cPrefixes; ++p) {
        const std::string strPrefix(table.ppszPrefixes[p]);
        if (strName.size() <= strPrefix.size() ||
            !EqualsIgnoreCase(strName.substr(0, strPrefix.size()), strPrefix))
            continue;
        const std::wstring strRest = strName.substr(strPrefix.size());
        for (size_t i = 0; i < table.cEntries; ++i) {
            if (EqualsIgnoreCase(strRest, table.pEntries[i].pszName)) {
                *plValue = table.pEntries[i].lValue;
                return true;
            }
        }
    }
    return false;
}

const char *FindName(const CCodeTable &table, LONG lValue)
{
    for (size_t i = 0; i < table.cEntries; ++i) {
        if (table.pEntries[i].lValue == lValue)
            return table.pEntries[i].pszName;
    }
    return nullptr;
}

std::string ListNames(const CCodeTable &table)
{
    std::string strList;
    for (size_t i = 0; i < table.cEntries; ++i) {
        if (i)
            strList += '|';
        strList += table.pEntries[i].pszName;
    }
    return strList;
}

bool FindCommandKey(const std::wstring &strName, WORD *pwCommandKey)
{
    for (const CNamedCode &entry : kCommandKeyEntries) {
        if (EqualsIgnoreCase(strName, entry.pszName)) {
            *pwCommandKey = static_cast<WORD>(entry.lValue);
            return true;
        }
    }
    long long llNumber = 0;
    if (NumberAfterPrefix(strName, "OEM", &llNumber) && llNumber >= 1 &&
        llNumber <= WFS_TTU_CK_OEM12 - WFS_TTU_CK_OEM1 + 1) {
        *pwCommandKey = static_cast<WORD>(WFS_TTU_CK_OEM1 + llNumber - 1);
        return true;
    }
    if (NumberAfterPrefix(strName, "FDK", &llNumber) && llNumber >= 1 &&
        llNumber <= WFS_TTU_CK_FDK32 - WFS_TTU_CK_FDK01 + 1) {
        *pwCommandKey = static_cast<WORD>(WFS_TTU_CK_FDK01 + llNumber - 1);
        return true;
    }
    return false;
}

std::string CommandKeyName(WORD wCommandKey)
{
    for (const CNamedCode &entry : kCommandKeyEntries) {
        if (entry.lValue == wCommandKey)
            return entry.pszName;
    }
    char szName[8];
    if (wCommandKey >= WFS_TTU_CK_OEM1 && wCommandKey <= WFS_TTU_CK_OEM12) {
        wsprintfA(szName, "OEM%d", wCommandKey - WFS_TTU_CK_OEM1 + 1);
        return szName;
    }
    if (wCommandKey >= WFS_TTU_CK_FDK01 && wCommandKey <= WFS_TTU_CK_FDK32) {
        wsprintfA(szName, "FDK%02d", wCommandKey - WFS_TTU_CK_FDK01 + 1);
        return szName;
    }
    return std::string();
}

bool ParseInteger(const std::wstring &strText, long long *pllValue)
{
    if (strText.empty() || std::iswspace(strText[0]))
        return false;
    const bool bHex = strText.size() > 2 && strText[0] == L'0' &&
                      (strText[1] == L'x' || strText[1] == L'X');
    wchar_t *pEnd = nullptr;
    errno = 0;
    const long long llValue =
        bHex ? static_cast<long long>(std::wcstoull(strText.c_str() + 2, &pEnd, 16))
             : std::wcstoll(strText.c_str(), &pEnd, 10);
    if (errno == ERANGE || pEnd == nullptr || *pEnd != L'\0' ||
        (bHex && pEnd == strText.c_str() + 2))
        return false;
    *pllValue = llValue;
    return true;
}

std::string Narrow(const std::wstring &strText)
{
    if (strText.empty())
        return std::string();
    const int cb = WideCharToMultiByte(CP_UTF8, 0, strText.data(), static_cast<int>(strText.size()),
                                       nullptr, 0, nullptr, nullptr);
    std::string strResult(static_cast<size_t>(cb), '\0');
    WideCharToMultiByte(CP_UTF8, 0, strText.data(), static_cast<int>(strText.size()), &strResult[0],
                        cb, nullptr, nullptr);
    return strResult;
}
