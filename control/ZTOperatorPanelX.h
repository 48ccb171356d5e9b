// CZTOperatorPanelXApp: the module object of ZTOperatorPanel30.ocx.
#pragma once

#include "AxModule.h"

class CZTOperatorPanelXApp : public CAxModule {
public:
    CZTOperatorPanelXApp();

    BOOL InitInstance() override;
    int ExitInstance() override;
};
