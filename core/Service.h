// CService: the generic XFS client half of a control instance. It opens and
// closes the process's shared XFS session, issues lock, unlock, execute,
// get-info and cancel requests naming the context window, waits
// synchronously where needed (pumping the thread's messages), and turns each
// message routed back to its instance into a call of a virtual handler.
// A device class (the TTU service) derives from it and supplies the handlers,
// the logical name and the versions.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "xfsapi.h"

class CService {
public:
    // Size of the narrow buffer that GetLogicalName fills (zeroed first).
    static const size_t LOGICAL_NAME_SIZE = 1024;

    CService();

    // Virtual slots, in this order; only the destructor is implemented here.
    virtual ~CService();
    // After CloseSession has closed the session: back to "no device".
    virtual void ResetDeviceInfo() = 0;
    // After WFSAsyncExecute accepted a command; wTag is the builder's own.
    virtual void OnExecuteIssued(DWORD dwCommand, LPVOID *lppCmdData, WORD wTag,
                                 REQUESTID RequestID) = 0;
    // Handlers of routed messages: the XFS message number and the address of
    // the result pointer. The result is released by the caller afterwards.
    virtual void DoUserEvent(UINT uMsg, LPWFSRESULT *lppResult) = 0;
    virtual void DoServiceEvent(UINT uMsg, LPWFSRESULT *lppResult) = 0;
    virtual void DoExecuteEvent(UINT uMsg, LPWFSRESULT *lppResult) = 0;
    virtual void DoSystemEvent(UINT uMsg, LPWFSRESULT *lppResult) = 0;
    virtual void DoGetInfoComplete(UINT uMsg, LPWFSRESULT *lppResult) = 0;
    virtual void DoExecuteComplete(UINT uMsg, LPWFSRESULT *lppResult) = 0;
    virtual void DoUnlockComplete(UINT uMsg, LPWFSRESULT *lppResult) = 0;
    virtual void DoLockComplete(UINT uMsg, LPWFSRESULT *lppResult) = 0;
    // dwVersionsRequired of WFSStartUp.
    virtual DWORD GetVersionsRequired() = 0;
    // dwSrvcVersionsRequired of WFSAsyncOpen.
    virtual DWORD GetSrvcVersionsRequired() = 0;
    // Fills the logical service name into a zeroed buffer of
    // LOGICAL_NAME_SIZE bytes.
    virtual void GetLogicalName(LPSTR lpszLogicalName) = 0;

    CService(const CService &) = delete;
    CService &operator=(const CService &) = delete;

    // Session: open (start-up, open, register, capabilities and status) and
    // close (deregister, close) the process's shared session; both wait.
    HRESULT OpenSession(DWORD dwTimeOut);
    HRESULT CloseSession();

    // Requests; -39 (WFS_ERR_NOT_STARTED) without an XFS call while closed.
    // Lock, Unlock and Execute return at once; the completion reaches this
    // instance's handler. GetInfo waits until every instance saw the answer
    // and returns the code of WFSAsyncGetInfo. A status query without
    // details asked while another instance's is outstanding (see
    // CTTUContext::FindSharedStatusQuery) waits for that one's answer and
    // returns WFS_SUCCESS.
    HRESULT Lock(DWORD dwTimeOut);
    HRESULT Unlock();
    HRESULT Execute(DWORD dwCommand, LPVOID *lppCmdData, DWORD dwTimeOut, WORD wTag);
    HRESULT GetInfo(DWORD dwCategory, LPVOID *lppQueryDetails, DWORD dwTimeOut);
    HRESULT CancelRequests();

    // A status or capabilities query, then the value of key in the extra
    // list the handler parsed meanwhile (empty when absent).
    std::wstring GetExtraStatus(const std::wstring &strKey);
    std::wstring GetExtraCaps(const std::wstring &strKey);

    // Called by the instance window for every XFS message routed to it.
    void HandleMessage(UINT uMsg, LPWFSRESULT *lppResult);

    int GetInstanceNumber() const { return m_nInstance; }
    // Given by the control once its instance window exists.
    void SetInstanceNumber(int nInstance) { m_nInstance = nInstance; }

protected:
    // Splits an lpszExtra list ("key=value\0...\0\0") into m_mapExtra, for
    // GetExtraStatus and GetExtraCaps; the last entry of a key wins, an entry
    // without "=" is the empty key's. A null list empties it.
    void ParseExtra(LPSTR *lppszExtra);

    HRESULT m_hLastResult;
    int m_nInstance;
    std::map<std::wstring, std::wstring> m_mapExtra;
    CRITICAL_SECTION m_cs;

private:
    // FALSE when WM_QUIT ended the wait before the completion came.
    BOOL WaitForCompletion(REQUESTID RequestID, BOOL bHandshake);
    // Dispatches messages until RequestID has completed; FALSE on WM_QUIT.
    BOOL PumpUntilCompleted(REQUESTID RequestID, MSG *pQuit);
    // Waits for another instance's outstanding status query instead of
    // sending one; the answer reaches this instance's handler meanwhile.
    void JoinStatusQuery(REQUESTID RequestID);
    HRESULT OpenNewSession(DWORD dwTimeOut);
    HRESULT AsyncOpen(HAPP hApp, LPHSERVICE lphService, DWORD dwTimeOut);
    HRESULT Register(HSERVICE hService);
    HRESULT QueryInitialInfo(HSERVICE hService);
    HRESULT QueryAndWait(HSERVICE hService, DWORD dwCategory);
    HRESULT Deregister(HSERVICE hService);
    HRESULT Close(HSERVICE hService);
    std::wstring LookupExtra(const std::wstring &strKey) const;
    HRESULT RecordOwner(HRESULT hResult, REQUESTID RequestID);
};
