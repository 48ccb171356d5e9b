// CTTUMsgWnd: the hidden message window of one control instance. The
// context window posts to it the XFS messages of this instance and the
// broadcasts to all instances; it hands each to its CService and then
// releases the result: it is the only place where results are released.
// After an execute completion or execute event it also tells the context
// windows of every other process that uses the control to refresh their
// status (WM_TTU_STATUS_REFRESH).
//
// Use by the control: new CTTUMsgWnd(pService); Create(L"TTUMsgWnd<n>");
// on success CTTUContext::AddInstanceWnd(n, GetSafeHwnd()) and
// pService->SetInstanceNumber(n). On destruction: delete the window object
// (its destructor destroys the window), then RemoveInstanceWnd(n).
#pragma once

#include <unknwn.h>

#include "HiddenWindow.h"
#include "xfsapi.h"

class CService;

class CTTUMsgWnd : public CHiddenWindow {
public:
    explicit CTTUMsgWnd(CService *pService);
    ~CTTUMsgWnd() override;

    CService *GetService() const { return m_pService; }
    // The object that owns the service and this window (the control). It is
    // held while a message is handled, since a handler (the host's event
    // code) may release the last reference; the release then takes effect
    // once the handling is over. Cleared by the owner before it destroys
    // the window.
    void SetOwner(IUnknown *pOwner) { m_pOwner = pOwner; }

    // Posts WM_TTU_STATUS_REFRESH to every "TTUContextWindow" on the desktop
    // except this process's own.
    static void NotifyOtherProcesses();

protected:
    LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    void HandleRouted(UINT uMsg, LPWFSRESULT lpResult);
    void HandleBroadcast(UINT uMsg, LONG *plCounter, LPWFSRESULT lpResult);
    void HandleStatusRefresh();
    void ReleaseQueuedResults();

    CService *m_pService;
    IUnknown *m_pOwner;
};
