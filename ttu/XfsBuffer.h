// CXfsBuffer: command data that belongs to one submission. The XFS manager
// hands out the memory (WFMAllocateBuffer, with blocks chained to it by
// WFMAllocateMore); the destructor gives it back on every way out of a
// command builder, exceptions included, so no builder needs a free of its own.
#pragma once

#include <windows.h>

#include "xfsadmin.h"
#include "xfsapi.h"

class CXfsBuffer {
public:
    CXfsBuffer() = default;
    ~CXfsBuffer()
    {
        if (m_lpData)
            WFMFreeBuffer(m_lpData);
    }
    CXfsBuffer(const CXfsBuffer &) = delete;
    CXfsBuffer &operator=(const CXfsBuffer &) = delete;

    // The manager's code: 0 on success, the buffer then zero-filled when
    // ulFlags asks for it.
    HRESULT Allocate(ULONG ulSize, ULONG ulFlags)
    {
        return WFMAllocateBuffer(ulSize, ulFlags, &m_lpData);
    }
    // A block freed together with this buffer.
    HRESULT AllocateMore(ULONG ulSize, LPVOID *lppBlock)
    {
        return WFMAllocateMore(ulSize, m_lpData, lppBlock);
    }

    template <typename T> T *As() const { return static_cast<T *>(m_lpData); }
    LPVOID Get() const { return m_lpData; }
    // What CService::Execute takes: the address of the data pointer.
    LPVOID *Address() { return &m_lpData; }

private:
    LPVOID m_lpData = nullptr;
};
