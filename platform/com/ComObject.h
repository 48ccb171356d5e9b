// IUnknown for every object of the project, from a table of what it answers.
//
// An object class derives from its interfaces, leaves IUnknown's three
// methods alone and lists its interfaces in a table it returns from
// Interfaces() (a static function, or a member one where the answer depends
// on the object):
//
//   const zt_com::InterfaceEntry *CThing::Interfaces()
//   {
//       static const zt_com::InterfaceEntry s_table[] = {
//           zt_com::Entry<CThing, IThing>(IID_IThing),
//           zt_com::Entry<CThing, IDispatch>(IID_IDispatch),
//           zt_com::EndOfTable(),
//       };
//       return s_table;
//   }
//
// IUnknown is answered with the first entry's interface. Object<T> is the
// class actually created: it counts the references, holds a module lock for
// the object's life and deletes it with the last Release.
#pragma once

#include <ole2.h>

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

#include "ComModule.h"

namespace zt_com {

struct InterfaceEntry {
    const IID *piid;           // null: a link to pNext, or the end of the table
    std::ptrdiff_t offset;     // from the object to the interface (or to pNext's object)
    const InterfaceEntry *pNext;
};

// Where Itf lies within an Obj. No object is touched: the conversion is
// worked out on a made-up address, as the layout is the same for them all.
template <class Obj, class Itf>
std::ptrdiff_t OffsetOf()
{
    const std::uintptr_t base = 0x10000;
    Obj *pObject = reinterpret_cast<Obj *>(base);
    return reinterpret_cast<std::uintptr_t>(static_cast<Itf *>(pObject)) - base;
}

template <class Obj, class Itf>
InterfaceEntry Entry(const IID &iid)
{
    return {&iid, OffsetOf<Obj, Itf>(), nullptr};
}

// The rest of the table is Base's, for a class that adds to what its base answers.
template <class Obj, class Base>
InterfaceEntry BaseEntries(const InterfaceEntry *pBaseTable)
{
    return {nullptr, OffsetOf<Obj, Base>(), pBaseTable};
}

inline InterfaceEntry EndOfTable()
{
    return {nullptr, 0, nullptr};
}

// QueryInterface over a table: E_POINTER for a null ppv; E_NOINTERFACE with
// *ppv null for an interface the table does not list.
HRESULT QueryTable(void *pObject, const InterfaceEntry *pTable, REFIID riid, void **ppv);

namespace detail {
// Object's own state, a base constructed before the object and destroyed after it.
struct ObjectState {
    ModuleLock objectLock;
    LONG cObjectRefs = 1;
};
} // namespace detail

template <class T>
class Object final : private detail::ObjectState, public T {
public:
    template <class... Args>
    explicit Object(Args &&...args) : T(std::forward<Args>(args)...)
    {
    }

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        return QueryTable(static_cast<T *>(this), this->Interfaces(), riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&this->cObjectRefs)); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG nRefs = InterlockedDecrement(&this->cObjectRefs);
        if (nRefs == 0)
            delete this;
        return static_cast<ULONG>(nRefs);
    }

private:
    ~Object() = default;
};

namespace detail {
template <class T>
auto Initialize(T &object, int) -> decltype(object.Initialize())
{
    return object.Initialize();
}
template <class T>
HRESULT Initialize(T &, long)
{
    return S_OK;
}
} // namespace detail

// A new T, queried for riid. A T with an HRESULT Initialize() has it run
// first; the object is not handed out when it fails.
template <class T, class... Args>
HRESULT CreateInstance(REFIID riid, void **ppv, Args &&...args)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    Object<T> *pObject = new (std::nothrow) Object<T>(std::forward<Args>(args)...);
    if (!pObject)
        return E_OUTOFMEMORY;
    HRESULT hr = detail::Initialize<T>(*pObject, 0);
    if (SUCCEEDED(hr))
        hr = pObject->QueryInterface(riid, ppv);
    pObject->Release();
    return hr;
}

} // namespace zt_com
