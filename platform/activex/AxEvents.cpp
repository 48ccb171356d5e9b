#include "AxEvents.h"

#include <olectl.h>
#include <oleauto.h>

#include <algorithm>
#include <new>

namespace {

// IEnumConnections / IEnumConnectionPoints over a snapshot of items; each
// item handed out carries a reference of its own.
template <class Interface, class Item, const IID *piid, class Traits>
class CEnumerator final : public Interface {
public:
    explicit CEnumerator(std::vector<Item> items) : m_cRef(1), m_items(std::move(items)), m_nPos(0) {}

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, *piid)) {
            *ppv = static_cast<Interface *>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_cRef); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG cRef = InterlockedDecrement(&m_cRef);
        if (cRef == 0)
            delete this;
        return cRef;
    }

    STDMETHODIMP Next(ULONG cItems, Item *rgItems, ULONG *pcFetched) override
    {
        if (!rgItems || (cItems > 1 && !pcFetched))
            return E_POINTER;
        ULONG nFetched = 0;
        while (nFetched < cItems && m_nPos < m_items.size()) {
            rgItems[nFetched] = m_items[m_nPos++];
            Traits::AddRef(rgItems[nFetched]);
            ++nFetched;
        }
        if (pcFetched)
            *pcFetched = nFetched;
        return nFetched == cItems ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG cItems) override
    {
        const size_t nLeft = m_items.size() - m_nPos;
        m_nPos += std::min<size_t>(cItems, nLeft);
        return cItems <= nLeft ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override
    {
        m_nPos = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(Interface **ppEnum) override
    {
        if (!ppEnum)
            return E_POINTER;
        for (Item &item : m_items)
            Traits::AddRef(item);
        CEnumerator *pClone = new (std::nothrow) CEnumerator(m_items);
        if (!pClone) {
            for (Item &item : m_items)
                Traits::Release(item);
            *ppEnum = nullptr;
            return E_OUTOFMEMORY;
        }
        pClone->m_nPos = m_nPos;
        *ppEnum = pClone;
        return S_OK;
    }

private:
    ~CEnumerator()
    {
        for (Item &item : m_items)
            Traits::Release(item);
    }

    LONG m_cRef;
    std::vector<Item> m_items;  // each holds one reference of the enumerator
    size_t m_nPos;
};

struct ConnectDataTraits {
    static void AddRef(CONNECTDATA &data) { data.pUnk->AddRef(); }
    static void Release(CONNECTDATA &data) { data.pUnk->Release(); }
};

struct ConnectionPointTraits {
    static void AddRef(IConnectionPoint *pPoint) { pPoint->AddRef(); }
    static void Release(IConnectionPoint *pPoint) { pPoint->Release(); }
};

using CEnumConnections = CEnumerator<IEnumConnections, CONNECTDATA, &IID_IEnumConnections, ConnectDataTraits>;
using CEnumConnectionPoints =
    CEnumerator<IEnumConnectionPoints, IConnectionPoint *, &IID_IEnumConnectionPoints, ConnectionPointTraits>;

} // namespace

CAxConnectionPoint::CAxConnectionPoint(IConnectionPointContainer *pContainer, const IID &iid)
    : m_pContainer(pContainer), m_iid(iid), m_dwNextCookie(1)
{
}

CAxConnectionPoint::~CAxConnectionPoint()
{
    UnadviseAll();
}

STDMETHODIMP CAxConnectionPoint::QueryInterface(REFIID riid, void **ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IConnectionPoint)) {
        *ppv = static_cast<IConnectionPoint *>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CAxConnectionPoint::AddRef()
{
    return m_pContainer->AddRef();
}

STDMETHODIMP_(ULONG) CAxConnectionPoint::Release()
{
    return m_pContainer->Release();
}

STDMETHODIMP CAxConnectionPoint::GetConnectionInterface(IID *pIID)
{
    if (!pIID)
        return E_POINTER;
    *pIID = m_iid;
    return S_OK;
}

STDMETHODIMP CAxConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer **ppCPC)
{
    if (!ppCPC)
        return E_POINTER;
    m_pContainer->AddRef();
    *ppCPC = m_pContainer;
    return S_OK;
}

STDMETHODIMP CAxConnectionPoint::Advise(IUnknown *pUnkSink, DWORD *pdwCookie)
{
    if (!pdwCookie)
        return E_POINTER;
    *pdwCookie = 0;
    if (!pUnkSink)
        return E_POINTER;
    IDispatch *pSink = nullptr;
    if (FAILED(pUnkSink->QueryInterface(m_iid, reinterpret_cast<void **>(&pSink))) &&
        FAILED(pUnkSink->QueryInterface(IID_IDispatch, reinterpret_cast<void **>(&pSink))))
        return CONNECT_E_CANNOTCONNECT;
    try {
        m_sinks.push_back({m_dwNextCookie, pSink});
    } catch (const std::bad_alloc &) {
        pSink->Release();
        return E_OUTOFMEMORY;
    }
    *pdwCookie = m_dwNextCookie++;
    return S_OK;
}

STDMETHODIMP CAxConnectionPoint::Unadvise(DWORD dwCookie)
{
    const auto it = std::find_if(m_sinks.begin(), m_sinks.end(),
                                 [dwCookie](const Connection &c) { return c.dwCookie == dwCookie; });
    if (it == m_sinks.end())
        return CONNECT_E_NOCONNECTION;
    IDispatch *pSink = it->pSink;
    m_sinks.erase(it);
    pSink->Release();  // last: the sink's destructor may call back into us
    return S_OK;
}

STDMETHODIMP CAxConnectionPoint::EnumConnections(IEnumConnections **ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    std::vector<CONNECTDATA> items;
    for (const Connection &c : m_sinks) {
        c.pSink->AddRef();
        items.push_back({c.pSink, c.dwCookie});
    }
    *ppEnum = new (std::nothrow) CEnumConnections(std::move(items));
    return *ppEnum ? S_OK : E_OUTOFMEMORY;
}

std::vector<IDispatch *> CAxConnectionPoint::GetSinks() const
{
    std::vector<IDispatch *> sinks;
    sinks.reserve(m_sinks.size());
    for (const Connection &c : m_sinks) {
        c.pSink->AddRef();
        sinks.push_back(c.pSink);
    }
    return sinks;
}

void CAxConnectionPoint::UnadviseAll()
{
    std::vector<Connection> sinks;
    sinks.swap(m_sinks);
    for (const Connection &c : sinks)
        c.pSink->Release();
}

HRESULT AxCreateConnectionPointEnum(IConnectionPoint *const *ppPoints, size_t nPoints,
                                    IEnumConnectionPoints **ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    std::vector<IConnectionPoint *> items(ppPoints, ppPoints + nPoints);
    for (IConnectionPoint *pPoint : items)
        pPoint->AddRef();
    *ppEnum = new (std::nothrow) CEnumConnectionPoints(std::move(items));
    return *ppEnum ? S_OK : E_OUTOFMEMORY;
}

CAxEventDelivery::~CAxEventDelivery()
{
    for (IDispatch *pSink : m_sinks)
        pSink->Release();
    for (VARIANT &arg : m_args)
        VariantClear(&arg);
}

void CAxEventDelivery::Deliver()
{
    DISPPARAMS params = {m_args.data(), nullptr, static_cast<UINT>(m_args.size()), 0};
    for (size_t i = 0; i < m_sinks.size(); ++i) {
        EXCEPINFO excepInfo = {};
        const HRESULT hr = m_sinks[i]->Invoke(m_dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                              &params, nullptr, &excepInfo, nullptr);
        // An event has no result, and a sink may well not handle this one;
        // any other failure is the handler's error.
        if (FAILED(hr) && hr != DISP_E_MEMBERNOTFOUND && hr != DISP_E_UNKNOWNNAME && hr != E_NOTIMPL) {
            if (hr == DISP_E_EXCEPTION && excepInfo.pfnDeferredFillIn)
                excepInfo.pfnDeferredFillIn(&excepInfo);
            m_sinkExceptions.push_back({hr == DISP_E_EXCEPTION && excepInfo.scode ? excepInfo.scode : hr,
                                        excepInfo.bstrSource ? excepInfo.bstrSource : L"",
                                        excepInfo.bstrDescription ? excepInfo.bstrDescription : L""});
        }
        SysFreeString(excepInfo.bstrSource);
        SysFreeString(excepInfo.bstrDescription);
        SysFreeString(excepInfo.bstrHelpFile);
    }
}

void CAxEventDelivery::DeliverThunk(void *pvDelivery)
{
    static_cast<CAxEventDelivery *>(pvDelivery)->Deliver();
}
