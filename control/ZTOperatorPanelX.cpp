// The module ZTOperatorPanel30.ocx: its module object, its class table and
// the four exports of an in-process server.
#include "ZTOperatorPanelX.h"

#include "ComObject.h"
#include "TTUContext.h"
#include "ZTOperatorPanelXCtrl.h"
#include "ZTOperatorPanelXPropPage.h"

namespace {

const AxClassEntry kClasses[] = {
    {&CLSID_ZTOperatorPanelX, zt_com::CreateInstance<CZTOperatorPanelXCtrl>,
     CZTOperatorPanelXCtrl::UpdateRegistry},
    {&CLSID_ZTOperatorPanelXPropPage, zt_com::CreateInstance<CZTOperatorPanelXPropPage>,
     CZTOperatorPanelXPropPage::UpdateRegistry},
};

CZTOperatorPanelXApp theApp;

} // namespace

CZTOperatorPanelXApp::CZTOperatorPanelXApp() : CAxModule(kClasses, ARRAYSIZE(kClasses))
{
}

// The process's context (and its hidden "TTUContextWindow") exists from
// module load on, before any control is created.
BOOL CZTOperatorPanelXApp::InitInstance()
{
    const BOOL bInit = CAxModule::InitInstance();
    if (bInit)
        CTTUContext::GetInstance();
    return bInit;
}

// Releases the context without any XFS call; the session ends with the process.
int CZTOperatorPanelXApp::ExitInstance()
{
    CTTUContext::ReleaseInstance();
    return CAxModule::ExitInstance();
}

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    return theApp.DllMain(hInstance, dwReason);
}

STDAPI DllRegisterServer()
{
    return theApp.DllRegisterServer();
}

STDAPI DllUnregisterServer()
{
    return theApp.DllUnregisterServer();
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID *ppv)
{
    return theApp.DllGetClassObject(rclsid, riid, ppv);
}

STDAPI DllCanUnloadNow()
{
    return theApp.DllCanUnloadNow();
}
