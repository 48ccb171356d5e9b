/*
 * Completion and event data for the application. Everything is allocated
 * through the XFS manager of this process (WFMAllocateBuffer for the
 * WFSRESULT, WFMAllocateMore for each block it points to), so one
 * WFSFreeResult releases all of it.
 */
#ifndef ZT_TTUSIM_RESULTBUILDER_H
#define ZT_TTUSIM_RESULTBUILDER_H

#include <string>
#include <vector>

#include "xfsapi.h"

/* The manager's buffer functions, looked up in msxfs.dll when first used:
   the provider always runs inside a process whose manager loaded it, while
   a process that only injects keys never needs them (and need not carry the
   manager at all). */
class CXfsBuffers {
public:
    static HRESULT Allocate(ULONG ulSize, LPVOID *lppvData);
    static HRESULT More(ULONG ulSize, LPVOID lpvOriginal, LPVOID *lppvData);
    static HRESULT Free(LPVOID lpvData);
};

class CResultBuilder {
public:
    CResultBuilder(REQUESTID requestId, HSERVICE hService, DWORD dwCode, HRESULT hResult);
    ~CResultBuilder();
    CResultBuilder(const CResultBuilder &) = delete;
    CResultBuilder &operator=(const CResultBuilder &) = delete;

    /* A zero-filled block chained to the result; null once any allocation
       failed. */
    void *Block(size_t cb);
    template <class T> T *Add(size_t nCount = 1)
    {
        return static_cast<T *>(Block(sizeof(T) * nCount));
    }
    LPSTR String(const std::string &str);
    LPWSTR WideString(const std::wstring &str);
    /* Entries each ended by a zero, the list by one more. */
    LPSTR MultiString(const std::vector<std::string> &entries);
    LPWSTR WideMultiString(const std::vector<std::wstring> &entries);

    void SetBuffer(void *lpBuffer);
    void SetResult(HRESULT hResult);
    /* The finished result, handed over to the caller. When a block could
       not be allocated the partial result is freed and a bare one that
       answers WFS_ERR_OUT_OF_MEMORY takes its place; null when not even
       that can be allocated. */
    LPWFSRESULT Detach();

private:
    LPWFSRESULT m_lpResult = nullptr;
    bool m_bFailed = false;
    REQUESTID m_requestId;
    HSERVICE m_hService;
    DWORD m_dwCode;
};

/* Posts a result; when the window is gone the result is freed, not lost. */
void PostResult(HWND hWnd, UINT uMessage, LPWFSRESULT lpResult);

#endif
