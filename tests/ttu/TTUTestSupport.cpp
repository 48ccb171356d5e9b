#include "TTUTestSupport.h"

#include "trcutil30.h"
#include "xfsdiag.h"

std::string Utf8(LPCWSTR lpszText)
{
    char sz[1024] = "";
    if (lpszText)
        WideCharToMultiByte(CP_UTF8, 0, lpszText, -1, sz, sizeof sz, nullptr, nullptr);
    return sz;
}

void RecordingSink::Add(const char *pszName, std::initializer_list<std::string> args)
{
    std::string strEvent = pszName;
    for (const std::string &arg : args)
        strEvent += (&arg == args.begin() ? "(" : ",") + arg;
    if (args.size())
        strEvent += ")";
    m_events.push_back(strEvent);
    if (m_onEvent)
        m_onEvent(strEvent);
}

void PanelTest::SetUp()
{
    ASSERT_EQ(0, TtuSimReset());
    TrcCaptureClear();
    TrcCaptureStart();
    InstanceTest::SetUp();
}

void PanelTest::TearDown()
{
    InstanceTest::TearDown();
    TrcCaptureStop();
    TrcCaptureClear();
    TtuSimReset();
}

bool PanelTest::WaitForEvents(PanelInstance &instance, size_t n)
{
    return PumpUntil([&] { return instance.Events().size() >= n; }, 10000);
}

std::vector<std::string> PanelTest::Settled(PanelInstance &instance, size_t n)
{
    EXPECT_TRUE(WaitForEvents(instance, n)) << "events so far: " << instance.Events().size();
    EXPECT_EQ(WFS_SUCCESS, instance.Service().GetInfo(WFS_INF_TTU_STATUS, nullptr, 30000));
    return instance.Events();
}

void PanelTest::Deliver(CTTUService &service, UINT uMsg, DWORD dwCode, HRESULT hr, LPVOID lpBuffer)
{
    WFSRESULT result = {};
    result.hService = CTTUContext::GetInstance()->GetService();
    result.hResult = hr;
    result.u.dwCommandCode = dwCode;
    result.lpBuffer = lpBuffer;
    LPWFSRESULT lpResult = &result;
    service.HandleMessage(uMsg, &lpResult);
}
