/*
 * The application handles WFSCreateAppHandle gave out and that are not
 * destroyed yet. The caller holds the manager's lock.
 */
#ifndef ZT_XFS_MANAGER_APPHANDLES_H
#define ZT_XFS_MANAGER_APPHANDLES_H

#include <xfsapi.h>

#include <set>

class CAppHandles {
public:
    HRESULT Create(LPHAPP lphApp);
    bool Destroy(HAPP hApp) { return m_handles.erase(hApp) != 0; }
    // A null handle is the standard's default application handle.
    bool Valid(HAPP hApp) const { return !hApp || m_handles.count(hApp); }
    void Clear() { m_handles.clear(); }

private:
    std::set<HAPP> m_handles;
    ULONG_PTR m_nLast = 0;
};

#endif
