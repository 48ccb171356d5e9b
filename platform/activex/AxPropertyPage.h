// A property page object (IPropertyPage) showing a dialog resource as a
// modeless child of the property frame, created as zt_com::Object<page class>. A page that binds properties
// derives from it and overrides the hooks; the base alone shows the dialog
// and binds nothing, so it is never dirty.
#pragma once

#include <ocidl.h>

#include <vector>

#include "ComObject.h"

class CAxPropertyPage : public IPropertyPage {
public:
    // nDialogID: the page's dialog template (a child dialog);
    // nCaptionID: the string resource with the tab caption.
    CAxPropertyPage(UINT nDialogID, UINT nCaptionID);

    CAxPropertyPage(const CAxPropertyPage &) = delete;
    CAxPropertyPage &operator=(const CAxPropertyPage &) = delete;

    static const zt_com::InterfaceEntry *Interfaces();

    STDMETHODIMP SetPageSite(IPropertyPageSite *pPageSite) override;
    STDMETHODIMP Activate(HWND hWndParent, LPCRECT pRect, BOOL bModal) override;
    STDMETHODIMP Deactivate() override;
    STDMETHODIMP GetPageInfo(PROPPAGEINFO *pPageInfo) override;
    STDMETHODIMP SetObjects(ULONG cObjects, IUnknown **ppUnk) override;
    STDMETHODIMP Show(UINT nCmdShow) override;
    STDMETHODIMP Move(LPCRECT pRect) override;
    STDMETHODIMP IsPageDirty() override;
    STDMETHODIMP Apply() override;
    STDMETHODIMP Help(LPCOLESTR pszHelpDir) override;
    STDMETHODIMP TranslateAccelerator(MSG *pMsg) override;

protected:
    virtual ~CAxPropertyPage();

private:
    void ReleaseObjects();
    static INT_PTR CALLBACK PageDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

    UINT m_nDialogID;
    UINT m_nCaptionID;
    IPropertyPageSite *m_pPageSite;
    std::vector<IUnknown *> m_objects;
    HWND m_hWnd;
};
