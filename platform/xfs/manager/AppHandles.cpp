#include "AppHandles.h"

#include <new>

HRESULT CAppHandles::Create(LPHAPP lphApp)
{
    // Handles are numbers with a recognisable high part, never 0 (the
    // default application handle) and never reused within the process.
    HAPP hApp = reinterpret_cast<HAPP>(static_cast<ULONG_PTR>(0x5A000000u + ++m_nLast));
    try {
        m_handles.insert(hApp);
    } catch (const std::bad_alloc &) {
        return WFS_ERR_OUT_OF_MEMORY;
    }
    *lphApp = hApp;
    return WFS_SUCCESS;
}
