// The persistent state of a control in a stream: a version number first,
// then the control's properties in the order it exchanges them. One object
// serves both directions, so a control writes its exchange code once.
#pragma once

#include <objidl.h>

class CAxPropExchange {
public:
    // bLoading: read from pStream, else write to it (pStream may be null
    // when only the size is wanted, see GetSize).
    CAxPropExchange(IStream *pStream, bool bLoading);

    // Exchanges the state's version. Loading: *pdwVersion receives the stored
    // one (a control converts older states from it). Saving: writes dwCurrent.
    bool ExchangeVersion(DWORD *pdwVersion, DWORD dwCurrent);
    bool ExchangeLong(LONG *plValue);

    // The first failure of a read or write (S_OK while none failed).
    HRESULT GetResult() const { return m_hr; }
    // Bytes written or read so far.
    ULONG GetSize() const { return m_cbDone; }

private:
    bool Exchange(void *pv, ULONG cb);

    IStream *m_pStream;
    bool m_bLoading;
    HRESULT m_hr;
    ULONG m_cbDone;
};
