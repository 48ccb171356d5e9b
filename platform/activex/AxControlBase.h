// What every part of a control shares (see AxControl.h): its class identity,
// its window, its extent and dirty flag, the containers' event freeze, and
// the drawing each part may ask for.
#pragma once

#include <ole2.h>

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

class CAxControlBase {
public:
    HWND GetControlWindow() const { return m_hWnd; }
    bool AreEventsFrozen() const { return m_nFreezeEvents > 0; }

protected:
    friend class CAxControlOle;
    friend class CAxControlView;
    friend class CAxControlPersist;

    explicit CAxControlBase(const AxControlClassInfo &classInfo);
    virtual ~CAxControlBase();

    CAxControlBase(const CAxControlBase &) = delete;
    CAxControlBase &operator=(const CAxControlBase &) = delete;

    // The control's drawing, on the container's DC (IViewObject::Draw) or
    // its own window (WM_PAINT).
    virtual void OnDraw(HDC hdc, const RECT &rcBounds, const RECT &rcInvalid) = 0;

    // The child window of in-place activation; painted by OnDraw.
    HRESULT CreateControlWindow(HWND hwndParent, const RECT &rcPos);
    void DestroyControlWindow();

    // The extent, asked for through IOleObject or IViewObject2.
    HRESULT GetContentExtent(DWORD dwDrawAspect, SIZEL *psizel) const;

    const AxControlClassInfo &m_classInfo;
    HWND m_hWnd;
    bool m_bDirty;
    LONG m_nFreezeEvents;
    SIZEL m_sizeExtent;  // HIMETRIC

    // A new control starts 5 cm by 2.5 cm, in HIMETRIC.
    static const SIZEL s_defaultExtent;

private:
    static LRESULT CALLBACK ControlWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
};

// Releases what p holds, clearing p before the release (which may call back).
template <class T>
void AxReleaseAndClear(T *&p)
{
    if (p) {
        T *pOld = p;
        p = nullptr;
        pOld->Release();
    }
}
