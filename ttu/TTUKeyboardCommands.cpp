// Text on the display and keyboard reads: the write and read commands, the
// cancel, and the command-key lists a read carries.
#include <string.h>

#include <new>

#include "TTUKeywords.h"
#include "TTUService.h"
#include "TextConversion.h"
#include "TTUTrace.h"
#include "XfsBuffer.h"

namespace {
// One command-key array: MAX_COMMAND_KEYS codes and the terminating 0.
const ULONG kKeyArrayBytes = (CTTUService::MAX_COMMAND_KEYS + 1) * sizeof(WORD);
const char kKeySeparators[] = " ,\n";
} // namespace

// A cursor position relative to the cursor is asked for where the device
// has a cursor; otherwise positions are absolute.
WORD CTTUService::PositionMode() const
{
    return m_bCanSupportCursor == 1 ? WFS_TTU_POSRELATIVE : WFS_TTU_POSABSOLUTE;
}

// The text goes in the field of the character set the service takes
// (Unicode first), chained to the command data. A service that names
// neither set gets neither field, which is not an error. An absent text is
// sent as an empty one.
HRESULT CTTUService::AddTextBlock(CXfsBuffer &data, LPCWSTR lpszText, LPSTR *lppszAnsi,
                                  LPWSTR *lppszUnicode, const char *pszFunction,
                                  const char *pszLocation)
{
    LPCWSTR lpszSource = lpszText ? lpszText : L"";
    LPVOID lpBlock = nullptr;
    if (m_fwCharSupport & WFS_TTU_AVAILUNICODE) {
        ULONG cb = static_cast<ULONG>((wcslen(lpszSource) + 1) * sizeof(WCHAR));
        HRESULT hAlloc = data.AllocateMore(cb, &lpBlock);
        if (hAlloc != WFS_SUCCESS) {
            TTU_TRACE_BUFFER_FAILED(pszFunction, pszLocation, hAlloc);
            return -1;
        }
        memcpy(lpBlock, lpszSource, cb);
        *lppszUnicode = static_cast<LPWSTR>(lpBlock);
    } else if (m_fwCharSupport & WFS_TTU_AVAILASCII) {
        ULONG cb = static_cast<ULONG>(AnsiLength(lpszSource) + 1);
        HRESULT hAlloc = data.AllocateMore(cb, &lpBlock);
        if (hAlloc != WFS_SUCCESS) {
            TTU_TRACE_BUFFER_FAILED(pszFunction, pszLocation, hAlloc);
            return -1;
        }
        LPSTR lpszAnsi = static_cast<LPSTR>(lpBlock);
        lpszAnsi[0] = '\0';
        WideCharToMultiByte(CP_ACP, 0, lpszSource, -1, lpszAnsi, static_cast<int>(cb), nullptr,
                            nullptr);
        *lppszAnsi = lpszAnsi;
    }
    return WFS_SUCCESS;
}

HRESULT CTTUService::Write(SHORT x, SHORT y, LPCWSTR TextAttribute, LPCWSTR Text)
{
    CXfsBuffer data;
    HRESULT hAlloc = data.Allocate(sizeof(WFSTTUWRITE), WFS_MEM_ZEROINIT);
    if (hAlloc != WFS_SUCCESS) {
        TTU_TRACE_BUFFER_FAILED("CTTUService::Write", "6T", hAlloc);
        return -1;
    }
    LPWFSTTUWRITE lpWrite = data.As<WFSTTUWRITE>();
    lpWrite->wMode = PositionMode();
    lpWrite->wPosX = x;
    lpWrite->wPosY = y;
    lpWrite->fwTextAttr = TextAttributeFromKeyword(TextAttribute);
    if (AddTextBlock(data, Text, &lpWrite->lpsText, &lpWrite->lpsUNICODEText, "CTTUService::Write",
                     "6T") != WFS_SUCCESS)
        return -1;
    return Execute(WFS_CMD_TTU_WRITE, data.Address(), COMMAND_TIMEOUT, 0);
}

// The three buffers are allocated before anything is checked, so a failing
// allocation is reported as -1 even when a key list is invalid too. An
// invalid active-key list stops the read before the terminate list is
// looked at.
HRESULT CTTUService::Read(SHORT x, SHORT y, LPCWSTR TextAttribute, LPCWSTR EchoMode, SHORT Length,
                          BOOL CursorOn, BOOL Flush, BOOL AutoEnd, DWORD Timeout,
                          LPCWSTR ActiveKeys, LPCWSTR ActiveCommandKeys,
                          LPCWSTR TerminateCommandKeys)
{
    CXfsBuffer data, activeKeys, terminateKeys;
    HRESULT hAlloc = data.Allocate(sizeof(WFSTTUREAD), WFS_MEM_ZEROINIT);
    if (hAlloc == WFS_SUCCESS)
        hAlloc = activeKeys.Allocate(kKeyArrayBytes, WFS_MEM_ZEROINIT);
    if (hAlloc == WFS_SUCCESS)
        hAlloc = terminateKeys.Allocate(kKeyArrayBytes, WFS_MEM_ZEROINIT);
    if (hAlloc != WFS_SUCCESS) {
        TTU_TRACE_BUFFER_FAILED("CTTUService::Read", "6U", hAlloc);
        return -1;
    }
    LPWFSTTUREAD lpRead = data.As<WFSTTUREAD>();
    lpRead->wNumOfChars = static_cast<WORD>(Length);
    lpRead->wMode = PositionMode();
    lpRead->wPosX = x;
    lpRead->wPosY = y;
    lpRead->fwEchoMode = EchoModeFromKeyword(EchoMode);
    lpRead->fwEchoAttr = TextAttributeFromKeyword(TextAttribute);
    lpRead->bCursor = CursorOn;
    lpRead->bFlush = Flush;
    lpRead->bAutoEnd = AutoEnd;
    if (AddTextBlock(data, ActiveKeys, &lpRead->lpszActiveKeys, &lpRead->lpszActiveUNICODEKeys,
                     "CTTUService::Read", "6U") != WFS_SUCCESS)
        return -1;

    LONG lCount = 0;
    lpRead->lpwActiveCommandKeys = activeKeys.As<WORD>();
    if (ParseCommandKeys(ActiveCommandKeys, &lpRead->lpwActiveCommandKeys, &lCount) != TRUE) {
        TTU_TRACE_FAILURE("CTTUService::Read", "6U", WFS_ERR_INVALID_DATA,
                          "Invalid ActiveCommandKeys[%S]",
                          ActiveCommandKeys ? ActiveCommandKeys : L"");
        return WFS_ERR_INVALID_DATA;
    }
    lpRead->lpwTerminateCommandKeys = terminateKeys.As<WORD>();
    if (ParseCommandKeys(TerminateCommandKeys, &lpRead->lpwTerminateCommandKeys, &lCount) != TRUE) {
        TTU_TRACE_FAILURE("CTTUService::Read", "6U", WFS_ERR_INVALID_DATA,
                          "Invalid TerminateCommandKeys[%S]",
                          TerminateCommandKeys ? TerminateCommandKeys : L"");
        return WFS_ERR_INVALID_DATA;
    }
    return Execute(WFS_CMD_TTU_READ, data.Address(), Timeout, 0);
}

// Request 0 cancels every outstanding request of the shared session, not
// only the read.
HRESULT CTTUService::CancelRead()
{
    return CancelRequests();
}

// A list of more than MAX_COMMAND_KEYS names is refused like an unknown
// name: the codes that fit are kept, terminated, and nothing is written past
// the array.
BOOL CTTUService::ParseCommandKeys(LPCWSTR Keys, LPWORD *lppwKeys, LONG *plCount)
{
    if (!Keys) {
        *lppwKeys = nullptr;
        return TRUE;
    }
    if (!*Keys) {
        *lppwKeys = nullptr;
        *plCount = 0;
        return TRUE;
    }
    size_t cb = AnsiLength(Keys) + 1;
    std::unique_ptr<char[]> names(new (std::nothrow) char[cb]);
    if (!names) {
        TTU_TRACE_ALLOC_FAILED("CTTUService::ParseCommandKeys", "74");
        return FALSE;
    }
    names[0] = '\0';
    WideCharToMultiByte(CP_ACP, 0, Keys, -1, names.get(), static_cast<int>(cb), nullptr, nullptr);

    LPWORD lpwKeys = *lppwKeys;
    size_t nKeys = 0;
    BOOL bValid = TRUE;
    bool bAnyName = false;
    char *pszContext = nullptr;
    for (char *pszName = strtok_s(names.get(), kKeySeparators, &pszContext); pszName;
         pszName = strtok_s(nullptr, kKeySeparators, &pszContext)) {
        bAnyName = true;
        WORD wKey = CommandKeyFromName(pszName);
        if (wKey == WFS_TTU_NOKEY || nKeys == MAX_COMMAND_KEYS) {
            bValid = FALSE;
            break;
        }
        lpwKeys[nKeys++] = wKey;
    }
    if (!bAnyName) {
        *plCount = 0;
        return FALSE;
    }
    lpwKeys[nKeys] = WFS_TTU_NOKEY;
    *plCount = static_cast<LONG>(nKeys);
    return bValid;
}
