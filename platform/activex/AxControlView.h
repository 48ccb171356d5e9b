// A control's drawing on a container's DC: IViewObject2, and the one view
// advise sink a container may set.
#pragma once

#include <ole2.h>

#include "AxControlBase.h"

class CAxControlView : public IViewObject2 {
public:
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

protected:
    explicit CAxControlView(CAxControlBase &control);
    virtual ~CAxControlView();

private:
    CAxControlBase &m_control;
    IAdviseSink *m_pViewAdviseSink;
    DWORD m_dwViewAdviseAspects;
    DWORD m_dwViewAdviseFlags;
};
