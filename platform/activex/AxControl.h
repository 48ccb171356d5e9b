// The base class of an ActiveX control: everything a container or a script
// host needs from the object, with hooks the control class fills in.
//
// - IDispatch through the type library (CAxDispatchTable): the control
//   implements a hidden vtable interface and returns it from GetDispatchTarget.
// - The event connection point (IConnectionPointContainer) and
//   IProvideClassInfo2, for hosts that sink events.
// - Embedding: IOleObject, IOleInPlaceObject, IOleInPlaceActiveObject,
//   IOleControl and IViewObject2; in-place activation creates a child window
//   whose painting, like IViewObject::Draw, is the control's OnDraw.
// - IPersistStreamInit through DoPropExchange, ISpecifyPropertyPages.
// No IObjectSafety: a control built on this base is never marked safe for
// scripting or initialisation by a web page.
//
// Objects are not aggregatable, live on their creating (apartment) thread,
// and keep the module loaded while they exist.
#pragma once

#include <ocidl.h>
#include <olectl.h>

#include <cstdarg>

#include "AxDispatch.h"
#include "AxEvents.h"
#include "AxPropExchange.h"

// The fixed identity of a control class.
struct AxControlClassInfo {
    const CLSID *pClsid;
    const IID *pDispIID;    // the pure dispinterface hosts program against
    const IID *pVtblIID;    // the hidden vtable interface behind it
    const IID *pEventIID;   // the default source (event) dispinterface
    const GUID *pLibID;
    WORD wVerMajor;
    WORD wVerMinor;
    DWORD dwMiscStatus;     // OLEMISC_... reported by GetMiscStatus
    const CLSID *pPropPageClsids;
    ULONG cPropPages;
};

class CAxControl : public IDispatch,
                   public IConnectionPointContainer,
                   public IProvideClassInfo2,
                   public IOleObject,
                   public IOleInPlaceObject,
                   public IOleInPlaceActiveObject,
                   public IOleControl,
                   public IViewObject2,
                   public IPersistStreamInit,
                   public ISpecifyPropertyPages {
public:
    explicit CAxControl(const AxControlClassInfo &classInfo);

    CAxControl(const CAxControl &) = delete;
    CAxControl &operator=(const CAxControl &) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT *pctinfo) override;
    STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo **ppTInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR *rgszNames, UINT cNames, LCID lcid,
                               DISPID *rgDispId) override;
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS *pDispParams,
                        VARIANT *pVarResult, EXCEPINFO *pExcepInfo, UINT *puArgErr) override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints **ppEnum) override;
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint **ppCP) override;

    // IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo **ppTI) override;
    STDMETHODIMP GetGUID(DWORD dwGuidKind, GUID *pGUID) override;

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

    // IViewObject2
    STDMETHODIMP Draw(DWORD dwDrawAspect, LONG lindex, void *pvAspect, DVTARGETDEVICE *ptd,
                      HDC hdcTargetDev, HDC hdcDraw, LPCRECTL lprcBounds, LPCRECTL lprcWBounds,
                      BOOL(STDMETHODCALLTYPE *pfnContinue)(ULONG_PTR dwContinue),
                      ULONG_PTR dwContinue) override;
    STDMETHODIMP GetColorSet(DWORD dwDrawAspect, LONG lindex, void *pvAspect, DVTARGETDEVICE *ptd,
                             HDC hicTargetDev, LOGPALETTE **ppColorSet) override;
    STDMETHODIMP Freeze(DWORD dwDrawAspect, LONG lindex, void *pvAspect, DWORD *pdwFreeze) override;
    STDMETHODIMP Unfreeze(DWORD dwFreeze) override;
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD advf, IAdviseSink *pAdvSink) override;
    STDMETHODIMP GetAdvise(DWORD *pAspects, DWORD *pAdvf, IAdviseSink **ppAdvSink) override;
    STDMETHODIMP GetExtent(DWORD dwDrawAspect, LONG lindex, DVTARGETDEVICE *ptd, LPSIZEL lpsizel) override;

    // IPersistStreamInit
    STDMETHODIMP GetClassID(CLSID *pClassID) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(LPSTREAM pStm) override;
    STDMETHODIMP Save(LPSTREAM pStm, BOOL fClearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER *pCbSize) override;
    STDMETHODIMP InitNew() override;

    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID *pPages) override;

    HWND GetControlWindow() const { return m_hWnd; }
    bool AreEventsFrozen() const { return m_nFreezeEvents > 0; }

protected:
    virtual ~CAxControl();

    // The control's drawing, on the container's DC (IViewObject::Draw) or
    // its own window (WM_PAINT).
    virtual void OnDraw(HDC hdc, const RECT &rcBounds, const RECT &rcInvalid) = 0;
    // The control's persistent state; the base exchanges the stock state (the extent).
    virtual void DoPropExchange(CAxPropExchange &px);
    // Back to the state of a new control (IPersistStreamInit::InitNew).
    virtual void OnResetState();
    // The hidden vtable interface that Invoke calls through.
    virtual IUnknown *GetDispatchTarget() = 0;

    CAxConnectionPoint &EventPoint() { return m_eventPoint; }

private:
    HRESULT ActivateInPlace(bool bUIActivate);
    HRESULT CreateControlWindow(HWND hwndParent, const RECT &rcPos);
    void DestroyControlWindow();
    static LRESULT CALLBACK ControlWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    LONG m_cRef;
    const AxControlClassInfo &m_classInfo;
    CAxDispatchTable m_dispatch;
    CAxConnectionPoint m_eventPoint;
    IOleClientSite *m_pClientSite;
    IOleInPlaceSite *m_pInPlaceSite;
    IOleAdviseHolder *m_pOleAdviseHolder;
    IAdviseSink *m_pViewAdviseSink;
    DWORD m_dwViewAdviseAspects;
    DWORD m_dwViewAdviseFlags;
    HWND m_hWnd;
    bool m_bUIActive;
    bool m_bDirty;
    LONG m_nFreezeEvents;
    SIZEL m_sizeExtent;  // HIMETRIC
};
