/* Scoped ownership of a critical section. */
#ifndef ZT_XFS_MANAGER_LOCK_H
#define ZT_XFS_MANAGER_LOCK_H

#include <windows.h>

class CLock {
public:
    explicit CLock(CRITICAL_SECTION &cs) : m_cs(cs) { EnterCriticalSection(&m_cs); }
    ~CLock() { LeaveCriticalSection(&m_cs); }
    CLock(const CLock &) = delete;
    CLock &operator=(const CLock &) = delete;

private:
    CRITICAL_SECTION &m_cs;
};

#endif
