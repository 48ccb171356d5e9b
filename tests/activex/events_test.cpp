#include <gtest/gtest.h>

#include <olectl.h>

#include <string>
#include <vector>

#include "AxEvents.h"

namespace {

const IID IID_TestEvents = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};

// A container that only counts references: the point shares them.
class CountingContainer : public IConnectionPointContainer {
public:
    LONG m_cRef = 1;
    STDMETHODIMP QueryInterface(REFIID, void **ppv) override { return *ppv = nullptr, E_NOINTERFACE; }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_cRef; }
    STDMETHODIMP_(ULONG) Release() override { return --m_cRef; }
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints **) override { return E_NOTIMPL; }
    STDMETHODIMP FindConnectionPoint(REFIID, IConnectionPoint **) override { return E_NOTIMPL; }
};

// Records every call: its DISPID and the types of its arguments in
// parameter order (the values are checked through the control's events).
class RecordingSink : public IDispatch {
public:
    explicit RecordingSink(std::vector<std::string> *pLog, const char *pszName, bool bAnswerEventIID = true)
        : m_pLog(pLog), m_strName(pszName), m_bAnswerEventIID(bAnswerEventIID)
    {
    }
    LONG m_cRef = 1;
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        *ppv = riid == IID_IUnknown || riid == IID_IDispatch || (m_bAnswerEventIID && riid == IID_TestEvents) ? this
                                                                                                           : nullptr;
        return *ppv ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_cRef; }
    STDMETHODIMP_(ULONG) Release() override { return --m_cRef; }
    STDMETHODIMP GetTypeInfoCount(UINT *) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD wFlags, DISPPARAMS *p, VARIANT *, EXCEPINFO *pEI,
                        UINT *) override
    {
        std::string s = m_strName + ":" + std::to_string(id) + (wFlags == DISPATCH_METHOD ? "" : " flags?");
        for (UINT i = p->cArgs; i-- > 0;)
            s += " " + std::to_string(V_VT(&p->rgvarg[i]));
        m_pLog->push_back(s);
        // A sink may report an error; the delivery must free what it filled.
        pEI->bstrDescription = SysAllocString(L"sink complaint");
        return DISP_E_EXCEPTION;
    }

private:
    std::vector<std::string> *m_pLog;
    std::string m_strName;
    bool m_bAnswerEventIID;
};

// What the sinks answered with.
template <class... Args>
std::vector<CAxEventDelivery::SinkException> Fire(CAxConnectionPoint &point, DISPID dispid, Args... args)
{
    CAxEventDelivery delivery(point, dispid, args...);
    delivery.Deliver();
    return delivery.GetSinkExceptions();
}

TEST(ConnectionPoint, DeliversToEverySinkInConnectionOrderWithTypedArguments)
{
    CountingContainer container;
    std::vector<std::string> log;
    RecordingSink first(&log, "A"), second(&log, "B", false /* IDispatch only */);
    {
        CAxConnectionPoint point(&container, IID_TestEvents);
        DWORD dwFirst = 0, dwSecond = 0;
        ASSERT_EQ(S_OK, point.Advise(&first, &dwFirst));
        ASSERT_EQ(S_OK, point.Advise(&second, &dwSecond));
        EXPECT_NE(dwFirst, dwSecond);
        EXPECT_EQ(2, first.m_cRef);

        Fire(point, 17, L"FORM1", static_cast<SHORT>(-2));
        Fire(point, 1, -14L, true);
        EXPECT_EQ((std::vector<std::string>{"A:17 8 2", "B:17 8 2", "A:1 3 11", "B:1 3 11"}), log);
        const auto raised = Fire(point, 22);
        ASSERT_EQ(2u, raised.size()) << "each sink's complaint is kept";
        EXPECT_EQ(DISP_E_EXCEPTION, raised[1].hrCode);
        EXPECT_EQ(L"sink complaint", raised[1].strDescription);
        EXPECT_EQ(2, first.m_cRef) << "the delivery releases what it took";

        log.clear();
        ASSERT_EQ(S_OK, point.Unadvise(dwFirst));
        EXPECT_EQ(CONNECT_E_NOCONNECTION, point.Unadvise(dwFirst));
        Fire(point, 3);
        EXPECT_EQ(std::vector<std::string>{"B:3"}, log);
        EXPECT_EQ(1, first.m_cRef);
    }
    EXPECT_EQ(1, second.m_cRef) << "the point releases its sinks when it goes";
    EXPECT_EQ(1, container.m_cRef);
}

TEST(ConnectionPoint, RefusesSinksWithoutDispatchAndEnumeratesConnections)
{
    CountingContainer container;
    CAxConnectionPoint point(&container, IID_TestEvents);
    DWORD dwCookie = 0;
    EXPECT_EQ(CONNECT_E_CANNOTCONNECT, point.Advise(&container, &dwCookie));
    EXPECT_EQ(0u, dwCookie);
    EXPECT_EQ(E_POINTER, point.Advise(nullptr, &dwCookie));

    std::vector<std::string> log;
    RecordingSink a(&log, "A"), b(&log, "B");
    DWORD dwA = 0, dwB = 0;
    point.Advise(&a, &dwA);
    point.Advise(&b, &dwB);

    IEnumConnections *pEnum = nullptr;
    ASSERT_EQ(S_OK, point.EnumConnections(&pEnum));
    CONNECTDATA data[3] = {};
    ULONG nFetched = 0;
    EXPECT_EQ(S_FALSE, pEnum->Next(3, data, &nFetched));
    ASSERT_EQ(2u, nFetched);
    EXPECT_EQ(dwA, data[0].dwCookie);
    EXPECT_EQ(dwB, data[1].dwCookie);
    EXPECT_EQ(static_cast<IUnknown *>(&a), data[0].pUnk);
    data[0].pUnk->Release();
    data[1].pUnk->Release();

    IEnumConnections *pClone = nullptr;
    ASSERT_EQ(S_OK, pEnum->Reset());
    ASSERT_EQ(S_OK, pEnum->Skip(1));
    ASSERT_EQ(S_OK, pEnum->Clone(&pClone));
    EXPECT_EQ(S_OK, pClone->Next(1, data, nullptr));
    EXPECT_EQ(dwB, data[0].dwCookie);
    data[0].pUnk->Release();
    EXPECT_EQ(S_FALSE, pClone->Skip(1));
    pClone->Release();
    pEnum->Release();
    EXPECT_EQ(2, a.m_cRef);
    EXPECT_EQ(2, b.m_cRef);

    IID iid = {};
    EXPECT_EQ(S_OK, point.GetConnectionInterface(&iid));
    EXPECT_TRUE(IsEqualIID(IID_TestEvents, iid));
}

} // namespace
