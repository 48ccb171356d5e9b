#include "AxPropExchange.h"

CAxPropExchange::CAxPropExchange(IStream *pStream, bool bLoading)
    : m_pStream(pStream), m_bLoading(bLoading), m_hr(S_OK), m_cbDone(0)
{
}

bool CAxPropExchange::Exchange(void *pv, ULONG cb)
{
    if (FAILED(m_hr))
        return false;
    if (m_pStream) {
        ULONG cbDone = 0;
        HRESULT hr = m_bLoading ? m_pStream->Read(pv, cb, &cbDone) : m_pStream->Write(pv, cb, &cbDone);
        if (SUCCEEDED(hr) && cbDone != cb)
            hr = m_bLoading ? STG_E_READFAULT : STG_E_WRITEFAULT;
        if (FAILED(hr)) {
            m_hr = hr;
            return false;
        }
    }
    m_cbDone += cb;
    return true;
}

bool CAxPropExchange::ExchangeVersion(DWORD *pdwVersion, DWORD dwCurrent)
{
    if (!m_bLoading)
        *pdwVersion = dwCurrent;
    return Exchange(pdwVersion, sizeof *pdwVersion);
}

bool CAxPropExchange::ExchangeLong(LONG *plValue)
{
    return Exchange(plValue, sizeof *plValue);
}
