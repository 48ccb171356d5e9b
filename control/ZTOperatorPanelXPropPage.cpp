#include "ZTOperatorPanelXPropPage.h"

#include "AxRegistry.h"
#include "resource.h"

const WCHAR CZTOperatorPanelXPropPage::s_szProgID[] = L"ZTOPERATORPANELX.ZTOperatorPanelXPropPage.1";

CZTOperatorPanelXPropPage::CZTOperatorPanelXPropPage()
    : CAxPropertyPage(IDD_PROPPAGE_ZTOPERATORPANELX, IDS_ZTOPERATORPANELX_PPG_CAPTION)
{
}

HRESULT CZTOperatorPanelXPropPage::UpdateRegistry(HINSTANCE hInstance, BOOL bRegister)
{
    if (!bRegister)
        return AxUnregisterClass(CLSID_ZTOperatorPanelXPropPage, s_szProgID);
    return AxRegisterPropPageClass(hInstance, CLSID_ZTOperatorPanelXPropPage, s_szProgID,
                                   IDS_ZTOPERATORPANELX_PPG);
}
