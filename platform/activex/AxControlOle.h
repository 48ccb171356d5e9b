// A control's embedding in a container: IOleObject, in-place activation
// (IOleInPlaceObject, IOleInPlaceActiveObject; the control's child window)
// and IOleControl. IOleObject in AxOleObject.cpp, the rest in AxInPlace.cpp.
#pragma once

#include <ocidl.h>

#include "AxControlBase.h"

class CAxControlOle : public IOleObject,
                      public IOleInPlaceObject,
                      public IOleInPlaceActiveObject,
                      public IOleControl {
public:
    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite *pClientSite) override;
    STDMETHODIMP GetClientSite(IOleClientSite **ppClientSite) override;
    STDMETHODIMP SetHostNames(LPCOLESTR szContainerApp, LPCOLESTR szContainerObj) override;
    STDMETHODIMP Close(DWORD dwSaveOption) override;
    STDMETHODIMP SetMoniker(DWORD dwWhichMoniker, IMoniker *pmk) override;
    STDMETHODIMP GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker **ppmk) override;
    STDMETHODIMP InitFromData(IDataObject *pDataObject, BOOL fCreation, DWORD dwReserved) override;
    STDMETHODIMP GetClipboardData(DWORD dwReserved, IDataObject **ppDataObject) override;
    STDMETHODIMP DoVerb(LONG iVerb, LPMSG lpmsg, IOleClientSite *pActiveSite, LONG lindex,
                        HWND hwndParent, LPCRECT lprcPosRect) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB **ppEnumOleVerb) override;
    STDMETHODIMP Update() override;
    STDMETHODIMP IsUpToDate() override;
    STDMETHODIMP GetUserClassID(CLSID *pClsid) override;
    STDMETHODIMP GetUserType(DWORD dwFormOfType, LPOLESTR *pszUserType) override;
    STDMETHODIMP SetExtent(DWORD dwDrawAspect, SIZEL *psizel) override;
    STDMETHODIMP GetExtent(DWORD dwDrawAspect, SIZEL *psizel) override;
    STDMETHODIMP Advise(IAdviseSink *pAdvSink, DWORD *pdwConnection) override;
    STDMETHODIMP Unadvise(DWORD dwConnection) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA **ppenumAdvise) override;
    STDMETHODIMP GetMiscStatus(DWORD dwAspect, DWORD *pdwStatus) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE *pLogpal) override;

    // IOleWindow (for both in-place interfaces)
    STDMETHODIMP GetWindow(HWND *phwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL fEnterMode) override;
    // IOleInPlaceObject
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT lprcPosRect, LPCRECT lprcClipRect) override;
    STDMETHODIMP ReactivateAndUndo() override;
    // IOleInPlaceActiveObject
    STDMETHODIMP TranslateAccelerator(LPMSG lpmsg) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL fActivate) override;
    STDMETHODIMP OnDocWindowActivate(BOOL fActivate) override;
    STDMETHODIMP ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow *pUIWindow, BOOL fFrameWindow) override;
    STDMETHODIMP EnableModeless(BOOL fEnable) override;

    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO *pCI) override;
    STDMETHODIMP OnMnemonic(MSG *pMsg) override;
    STDMETHODIMP OnAmbientPropertyChange(DISPID dispID) override;
    STDMETHODIMP FreezeEvents(BOOL bFreeze) override;

protected:
    explicit CAxControlOle(CAxControlBase &control);
    virtual ~CAxControlOle();

private:
    HRESULT ActivateInPlace(bool bUIActivate);
    HRESULT ConnectInPlaceSite(IOleInPlaceSite *pSite);

    CAxControlBase &m_control;
    IOleClientSite *m_pClientSite;
    IOleInPlaceSite *m_pInPlaceSite;
    IOleAdviseHolder *m_pOleAdviseHolder;
    bool m_bUIActive;
};
