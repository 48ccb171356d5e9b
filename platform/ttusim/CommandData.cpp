#include "CommandData.h"

#include <cstring>
#include <cwchar>

namespace {

// Bounds for lists that a broken caller might not terminate.
constexpr size_t kMaxListEntries = 1024;
constexpr size_t kMaxCommandKeyList = 256;

template <class Char> std::vector<std::basic_string<Char>> CopyMulti(const Char *lpsz)
{
    std::vector<std::basic_string<Char>> entries;
    while (lpsz && *lpsz && entries.size() < kMaxListEntries) {
        entries.emplace_back(lpsz);
        lpsz += entries.back().size() + 1;
    }
    return entries;
}

CKeyList CopyKeys(const WORD *lpwKeys)
{
    CKeyList list;
    list.bGiven = lpwKeys != nullptr;
    for (size_t i = 0; lpwKeys && lpwKeys[i] != WFS_TTU_NOKEY && i < kMaxCommandKeyList; ++i)
        list.keys.push_back(lpwKeys[i]);
    return list;
}

CTextPair CopyText(LPCSTR lpsz, LPCWSTR lpwsz)
{
    CTextPair text;
    text.bAnsi = lpsz != nullptr;
    text.bWide = lpwsz != nullptr;
    if (lpsz)
        text.strAnsi = lpsz;
    if (lpwsz)
        text.strWide = lpwsz;
    return text;
}

} // namespace

CCommandData CopyCommandData(DWORD dwCommand, const void *lpCmdData)
{
    CCommandData data;
    if (!lpCmdData) {
        if (dwCommand != WFS_CMD_TTU_RESET)
            data.hrUnusable = WFS_ERR_INVALID_POINTER;
        return data;
    }
    switch (dwCommand) {
    case WFS_CMD_TTU_BEEP:
        data.beep = *static_cast<const WFSTTUBEEP *>(lpCmdData);
        break;
    case WFS_CMD_TTU_CLEARSCREEN:
        data.clearScreen = *static_cast<const WFSTTUCLEARSCREEN *>(lpCmdData);
        break;
    case WFS_CMD_TTU_DISPLIGHT:
        data.dispLight = *static_cast<const WFSTTUDISPLIGHT *>(lpCmdData);
        break;
    case WFS_CMD_TTU_SET_LED:
        data.setLed = *static_cast<const WFSTTUSETLEDS *>(lpCmdData);
        break;
    case WFS_CMD_TTU_SET_RESOLUTION:
        data.resolution = *static_cast<const WFSTTURESOLUTION *>(lpCmdData);
        break;
    case WFS_CMD_TTU_WRITE: {
        const WFSTTUWRITE *lpWrite = static_cast<const WFSTTUWRITE *>(lpCmdData);
        data.write = *lpWrite;
        data.text = CopyText(lpWrite->lpsText, lpWrite->lpsUNICODEText);
        data.write.lpsText = nullptr;
        data.write.lpsUNICODEText = nullptr;
        break;
    }
    case WFS_CMD_TTU_READ: {
        const WFSTTUREAD *lpRead = static_cast<const WFSTTUREAD *>(lpCmdData);
        data.read = *lpRead;
        data.text = CopyText(lpRead->lpszActiveKeys, lpRead->lpszActiveUNICODEKeys);
        data.activeCommandKeys = CopyKeys(lpRead->lpwActiveCommandKeys);
        data.terminateCommandKeys = CopyKeys(lpRead->lpwTerminateCommandKeys);
        data.read.lpszActiveKeys = nullptr;
        data.read.lpszActiveUNICODEKeys = nullptr;
        data.read.lpwActiveCommandKeys = nullptr;
        data.read.lpwTerminateCommandKeys = nullptr;
        break;
    }
    case WFS_CMD_TTU_WRITE_FORM: {
        const WFSTTUWRITEFORM *lpForm = static_cast<const WFSTTUWRITEFORM *>(lpCmdData);
        if (!lpForm->lpszFormName) {
            data.hrUnusable = WFS_ERR_INVALID_POINTER;
            break;
        }
        data.strFormName = lpForm->lpszFormName;
        data.bClearScreen = lpForm->bClearScreen != FALSE;
        data.fields.bAnsi = lpForm->lpszFields != nullptr;
        data.fields.bWide = lpForm->lpszUNICODEFields != nullptr;
        data.fields.ansi = CopyMulti(lpForm->lpszFields);
        data.fields.wide = CopyMulti(lpForm->lpszUNICODEFields);
        break;
    }
    case WFS_CMD_TTU_READ_FORM: {
        const WFSTTUREADFORM *lpForm = static_cast<const WFSTTUREADFORM *>(lpCmdData);
        if (!lpForm->lpszFormName) {
            data.hrUnusable = WFS_ERR_INVALID_POINTER;
            break;
        }
        data.strFormName = lpForm->lpszFormName;
        data.bAllFields = lpForm->lpszFieldNames == nullptr;
        data.fieldNames = CopyMulti(lpForm->lpszFieldNames);
        break;
    }
    default:
        break;
    }
    return data;
}

CCommandData CopyQueryDetails(DWORD dwCategory, const void *lpQueryDetails)
{
    CCommandData data;
    if (dwCategory == WFS_INF_TTU_QUERY_FORM) {
        if (!lpQueryDetails)
            data.hrUnusable = WFS_ERR_INVALID_POINTER;
        else
            data.strFormName = static_cast<LPCSTR>(lpQueryDetails);
    } else if (dwCategory == WFS_INF_TTU_QUERY_FIELD) {
        const WFSTTUQUERYFIELD *lpQuery = static_cast<const WFSTTUQUERYFIELD *>(lpQueryDetails);
        if (!lpQuery || !lpQuery->lpszFormName) {
            data.hrUnusable = WFS_ERR_INVALID_POINTER;
        } else {
            data.strFormName = lpQuery->lpszFormName;
            data.bAllFields = lpQuery->lpszFieldName == nullptr;
            if (lpQuery->lpszFieldName)
                data.fieldNames.push_back(lpQuery->lpszFieldName);
        }
    }
    return data;
}
