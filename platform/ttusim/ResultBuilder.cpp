#include "ResultBuilder.h"

#include <cstring>

#include "xfsadmin.h"

namespace {

typedef HRESULT(WINAPI *PFNALLOCATE)(ULONG, ULONG, LPVOID *);
typedef HRESULT(WINAPI *PFNMORE)(ULONG, LPVOID, LPVOID *);
typedef HRESULT(WINAPI *PFNFREE)(LPVOID);

struct CManagerFunctions {
    PFNALLOCATE pfnAllocate = nullptr;
    PFNMORE pfnMore = nullptr;
    PFNFREE pfnFree = nullptr;

    CManagerFunctions()
    {
        HMODULE hManager = GetModuleHandleW(L"msxfs.dll");
        if (!hManager)
            hManager = LoadLibraryW(L"msxfs.dll"); // kept for the life of the process
        if (!hManager)
            return;
        pfnAllocate = reinterpret_cast<PFNALLOCATE>(
            reinterpret_cast<void *>(GetProcAddress(hManager, "WFMAllocateBuffer")));
        pfnMore = reinterpret_cast<PFNMORE>(
            reinterpret_cast<void *>(GetProcAddress(hManager, "WFMAllocateMore")));
        pfnFree = reinterpret_cast<PFNFREE>(
            reinterpret_cast<void *>(GetProcAddress(hManager, "WFMFreeBuffer")));
    }
};

const CManagerFunctions &Manager()
{
    static CManagerFunctions functions;
    return functions;
}

} // namespace

HRESULT CXfsBuffers::Allocate(ULONG ulSize, LPVOID *lppvData)
{
    if (!Manager().pfnAllocate)
        return WFS_ERR_INTERNAL_ERROR;
    return Manager().pfnAllocate(ulSize, WFS_MEM_SHARE | WFS_MEM_ZEROINIT, lppvData);
}

HRESULT CXfsBuffers::More(ULONG ulSize, LPVOID lpvOriginal, LPVOID *lppvData)
{
    if (!Manager().pfnMore)
        return WFS_ERR_INTERNAL_ERROR;
    HRESULT hr = Manager().pfnMore(ulSize, lpvOriginal, lppvData);
    if (hr == WFS_SUCCESS)
        memset(*lppvData, 0, ulSize); // WFMAllocateMore has no zero-fill flag
    return hr;
}

HRESULT CXfsBuffers::Free(LPVOID lpvData)
{
    if (!Manager().pfnFree)
        return WFS_ERR_INTERNAL_ERROR;
    return Manager().pfnFree(lpvData);
}

static LPWFSRESULT NewResult(REQUESTID requestId, HSERVICE hService, DWORD dwCode,
                             HRESULT hResult)
{
    LPVOID lpv = nullptr;
    if (CXfsBuffers::Allocate(sizeof(WFSRESULT), &lpv) != WFS_SUCCESS || !lpv)
        return nullptr;
    LPWFSRESULT lpResult = static_cast<LPWFSRESULT>(lpv);
    lpResult->RequestID = requestId;
    lpResult->hService = hService;
    GetLocalTime(&lpResult->tsTimestamp);
    lpResult->hResult = hResult;
    lpResult->u.dwCommandCode = dwCode;
    return lpResult;
}

CResultBuilder::CResultBuilder(REQUESTID requestId, HSERVICE hService, DWORD dwCode,
                             HRESULT hResult)
    : m_requestId(requestId), m_hService(hService), m_dwCode(dwCode)
{
    m_lpResult = NewResult(requestId, hService, dwCode, hResult);
    m_bFailed = m_lpResult == nullptr;
}

CResultBuilder::~CResultBuilder()
{
    if (m_lpResult)
        CXfsBuffers::Free(m_lpResult);
}

void *CResultBuilder::Block(size_t cb)
{
    if (m_bFailed)
        return nullptr;
    LPVOID lpv = nullptr;
    if (CXfsBuffers::More((ULONG)(cb ? cb : 1), m_lpResult, &lpv) != WFS_SUCCESS || !lpv) {
        m_bFailed = true;
        return nullptr;
    }
    return lpv;
}

LPSTR CResultBuilder::String(const std::string &str)
{
    LPSTR lpsz = Add<CHAR>(str.size() + 1);
    if (lpsz)
        memcpy(lpsz, str.c_str(), str.size() + 1);
    return lpsz;
}

LPWSTR CResultBuilder::WideString(const std::wstring &str)
{
    LPWSTR lpsz = Add<WCHAR>(str.size() + 1);
    if (lpsz)
        memcpy(lpsz, str.c_str(), (str.size() + 1) * sizeof(WCHAR));
    return lpsz;
}

LPSTR CResultBuilder::MultiString(const std::vector<std::string> &entries)
{
    std::string strAll;
    for (const std::string &s : entries)
        strAll.append(s).push_back('\0');
    LPSTR lpsz = Add<CHAR>(strAll.size() + 1); // the zero-fill gives the final zero
    if (lpsz)
        memcpy(lpsz, strAll.data(), strAll.size());
    return lpsz;
}

LPWSTR CResultBuilder::WideMultiString(const std::vector<std::wstring> &entries)
{
    std::wstring strAll;
    for (const std::wstring &s : entries)
        strAll.append(s).push_back(L'\0');
    LPWSTR lpsz = Add<WCHAR>(strAll.size() + 1);
    if (lpsz)
        memcpy(lpsz, strAll.data(), strAll.size() * sizeof(WCHAR));
    return lpsz;
}

void CResultBuilder::SetBuffer(void *lpBuffer)
{
    if (m_lpResult)
        m_lpResult->lpBuffer = lpBuffer;
}

void CResultBuilder::SetResult(HRESULT hResult)
{
    if (m_lpResult)
        m_lpResult->hResult = hResult;
}

LPWFSRESULT CResultBuilder::Detach()
{
    LPWFSRESULT lpResult = m_lpResult;
    m_lpResult = nullptr;
    if (m_bFailed) {
        if (lpResult)
            CXfsBuffers::Free(lpResult);
        lpResult = NewResult(m_requestId, m_hService, m_dwCode, WFS_ERR_OUT_OF_MEMORY);
    }
    return lpResult;
}

void PostResult(HWND hWnd, UINT uMessage, LPWFSRESULT lpResult)
{
    if (lpResult && !PostMessageW(hWnd, uMessage, 0, reinterpret_cast<LPARAM>(lpResult)))
        CXfsBuffers::Free(lpResult);
}
