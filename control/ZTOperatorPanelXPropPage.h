// CZTOperatorPanelXPropPage: the control's one property page ("General",
// dialog 200). The control has no settable property, so the page shows its
// dialog and binds nothing.
#pragma once

#include "AxPropertyPage.h"

// {a9ba8a9f-fa32-40bd-bc14-a205f20eb2f5}
inline const CLSID CLSID_ZTOperatorPanelXPropPage = {
    0xa9ba8a9f, 0xfa32, 0x40bd, {0xbc, 0x14, 0xa2, 0x05, 0xf2, 0x0e, 0xb2, 0xf5}};

class CZTOperatorPanelXPropPage : public CAxPropertyPage {
public:
    static const WCHAR s_szProgID[];
    static HRESULT UpdateRegistry(HINSTANCE hInstance, BOOL bRegister);

    CZTOperatorPanelXPropPage();
};
