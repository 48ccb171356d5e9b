#include "AxPropertyPage.h"

#include "AxRegistry.h"

namespace {

// The size of a dialog template in pixels, from its dialog units and the
// system font's base units (the page dialogs use the system font).
SIZE DialogTemplateSize(HINSTANCE hInstance, UINT nDialogID)
{
    SIZE size = {0, 0};
    HRSRC hResource = FindResourceW(hInstance, MAKEINTRESOURCEW(nDialogID), MAKEINTRESOURCEW(5));  // RT_DIALOG
    HGLOBAL hTemplate = hResource ? LoadResource(hInstance, hResource) : nullptr;
    const WORD *pTemplate = hTemplate ? static_cast<const WORD *>(LockResource(hTemplate)) : nullptr;
    if (!pTemplate)
        return size;
    short cx = 0, cy = 0;
    if (pTemplate[0] == 1 && pTemplate[1] == 0xFFFF) {  // DLGTEMPLATEEX: cx, cy are words 11 and 12
        cx = static_cast<short>(pTemplate[11]);
        cy = static_cast<short>(pTemplate[12]);
    } else {
        const DLGTEMPLATE *pDlg = reinterpret_cast<const DLGTEMPLATE *>(pTemplate);
        cx = pDlg->cx;
        cy = pDlg->cy;
    }
    const LONG lBase = GetDialogBaseUnits();
    size.cx = MulDiv(cx, LOWORD(lBase), 4);
    size.cy = MulDiv(cy, HIWORD(lBase), 8);
    return size;
}

} // namespace

CAxPropertyPage::CAxPropertyPage(UINT nDialogID, UINT nCaptionID)
    : m_nDialogID(nDialogID), m_nCaptionID(nCaptionID), m_pPageSite(nullptr), m_hWnd(nullptr)
{
}

CAxPropertyPage::~CAxPropertyPage()
{
    Deactivate();
    ReleaseObjects();
    if (m_pPageSite)
        m_pPageSite->Release();
}

const zt_com::InterfaceEntry *CAxPropertyPage::Interfaces()
{
    static const zt_com::InterfaceEntry s_table[] = {
        zt_com::Entry<CAxPropertyPage, IPropertyPage>(IID_IPropertyPage),
        zt_com::EndOfTable(),
    };
    return s_table;
}

STDMETHODIMP CAxPropertyPage::SetPageSite(IPropertyPageSite *pPageSite)
{
    if (pPageSite && m_pPageSite)
        return E_UNEXPECTED;
    if (pPageSite)
        pPageSite->AddRef();
    if (m_pPageSite)
        m_pPageSite->Release();
    m_pPageSite = pPageSite;
    return S_OK;
}

STDMETHODIMP CAxPropertyPage::Activate(HWND hWndParent, LPCRECT pRect, BOOL)
{
    if (!pRect)
        return E_POINTER;
    if (m_hWnd)
        return E_UNEXPECTED;
    m_hWnd = CreateDialogParamW(zt_com::ThisModule(), MAKEINTRESOURCEW(m_nDialogID), hWndParent, PageDlgProc,
                                reinterpret_cast<LPARAM>(this));
    if (!m_hWnd)
        return E_OUTOFMEMORY;
    Move(pRect);
    return S_OK;
}

STDMETHODIMP CAxPropertyPage::Deactivate()
{
    if (m_hWnd) {
        DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
    }
    return S_OK;
}

STDMETHODIMP CAxPropertyPage::GetPageInfo(PROPPAGEINFO *pPageInfo)
{
    if (!pPageInfo)
        return E_POINTER;
    const HINSTANCE hInstance = zt_com::ThisModule();
    const std::wstring strCaption = AxLoadString(hInstance, m_nCaptionID);
    const size_t cb = (strCaption.size() + 1) * sizeof(WCHAR);
    LPOLESTR pszTitle = static_cast<LPOLESTR>(CoTaskMemAlloc(cb));
    if (!pszTitle)
        return E_OUTOFMEMORY;
    memcpy(pszTitle, strCaption.c_str(), cb);
    pPageInfo->cb = sizeof *pPageInfo;
    pPageInfo->pszTitle = pszTitle;
    pPageInfo->size = DialogTemplateSize(hInstance, m_nDialogID);
    pPageInfo->pszDocString = nullptr;
    pPageInfo->pszHelpFile = nullptr;
    pPageInfo->dwHelpContext = 0;
    return S_OK;
}

STDMETHODIMP CAxPropertyPage::SetObjects(ULONG cObjects, IUnknown **ppUnk)
{
    if (cObjects && !ppUnk)
        return E_POINTER;
    ReleaseObjects();
    for (ULONG i = 0; i < cObjects; ++i) {
        if (ppUnk[i]) {
            ppUnk[i]->AddRef();
            m_objects.push_back(ppUnk[i]);
        }
    }
    return S_OK;
}

STDMETHODIMP CAxPropertyPage::Show(UINT nCmdShow)
{
    if (!m_hWnd)
        return E_UNEXPECTED;
    ShowWindow(m_hWnd, nCmdShow);
    return S_OK;
}

STDMETHODIMP CAxPropertyPage::Move(LPCRECT pRect)
{
    if (!pRect)
        return E_POINTER;
    if (!m_hWnd)
        return E_UNEXPECTED;
    MoveWindow(m_hWnd, pRect->left, pRect->top, pRect->right - pRect->left, pRect->bottom - pRect->top, TRUE);
    return S_OK;
}

STDMETHODIMP CAxPropertyPage::IsPageDirty()
{
    return S_FALSE;
}

STDMETHODIMP CAxPropertyPage::Apply()
{
    return S_OK;
}

STDMETHODIMP CAxPropertyPage::Help(LPCOLESTR)
{
    return E_NOTIMPL;  // the page has no help file
}

STDMETHODIMP CAxPropertyPage::TranslateAccelerator(MSG *pMsg)
{
    if (!pMsg)
        return E_POINTER;
    return (m_hWnd && IsDialogMessageW(m_hWnd, pMsg)) ? S_OK : S_FALSE;
}

void CAxPropertyPage::ReleaseObjects()
{
    for (IUnknown *pUnk : m_objects)
        pUnk->Release();
    m_objects.clear();
}

INT_PTR CALLBACK CAxPropertyPage::PageDlgProc(HWND, UINT uMsg, WPARAM, LPARAM)
{
    return uMsg == WM_INITDIALOG ? TRUE : FALSE;
}
