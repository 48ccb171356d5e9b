#include "AxEvents.h"

#include <olectl.h>
#include <oleauto.h>

#include <algorithm>
#include <new>

#include "ComObject.h"

namespace {

// IEnumConnections / IEnumConnectionPoints over a snapshot of items; each
// item handed out carries a reference of its own.
template <class Interface, class Item, const IID *piid, class Traits>
class CEnumerator : public Interface {
public:
    explicit CEnumerator(std::vector<Item> items) : m_items(std::move(items)), m_nPos(0) {}

    static const zt_com::InterfaceEntry *Interfaces()
    {
        static const zt_com::InterfaceEntry s_table[] = {
            zt_com::Entry<CEnumerator, Interface>(*piid),
            zt_com::EndOfTable(),
        };
        return s_table;
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
        return Create(m_items, m_nPos, ppEnum);
    }

    // Takes over the items' references, also when it fails.
    static HRESULT Create(std::vector<Item> items, size_t nPos, Interface **ppEnum)
    {
        auto *pEnum = new (std::nothrow) zt_com::Object<CEnumerator>(items);
        *ppEnum = pEnum;
        if (!pEnum) {
            for (Item &item : items)
                Traits::Release(item);
            return E_OUTOFMEMORY;
        }
        pEnum->m_nPos = nPos;
        return S_OK;
    }

protected:
    ~CEnumerator()
    {
        for (Item &item : m_items)
            Traits::Release(item);
    }

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
    static const zt_com::InterfaceEntry s_table[] = {
        zt_com::Entry<CAxConnectionPoint, IConnectionPoint>(IID_IConnectionPoint),
        zt_com::EndOfTable(),
    };
    return zt_com::QueryTable(this, s_table, riid, ppv);
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
    return CEnumConnections::Create(std::move(items), 0, ppEnum);
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
    return CEnumConnectionPoints::Create(std::move(items), 0, ppEnum);
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
