#include "TTUTestSupport.h"

#include <algorithm>

#include "trcutil30.h"
#include "xfsdiag.h"

std::string Utf8(LPCWSTR lpszText)
{
    if (!lpszText || !*lpszText)
        return std::string();
    int cb = WideCharToMultiByte(CP_UTF8, 0, lpszText, -1, nullptr, 0, nullptr, nullptr);
    std::string str(cb, '\0');
    WideCharToMultiByte(CP_UTF8, 0, lpszText, -1, &str[0], cb, nullptr, nullptr);
    str.resize(cb - 1);
    return str;
}

void RecordingSink::Record(const std::string &strEvent)
{
    m_events.push_back(strEvent);
    if (m_onEvent)
        m_onEvent(strEvent);
}

PanelInstance::PanelInstance() : m_pService(new CTTUService(&m_sink))
{
    CTTUContext *pContext = CTTUContext::GetInstance();
    int nInstance = pContext->GetLastInstance() + 1;
    wchar_t szTitle[32];
    wsprintfW(szTitle, L"TTUMsgWnd%d", nInstance);
    m_pWnd.reset(new CTTUMsgWnd(m_pService.get()));
    if (!m_pWnd->Create(szTitle))
        return;
    m_nInstance = nInstance;
    pContext->SetLastInstance(nInstance);
    pContext->AddInstanceWnd(nInstance, m_pWnd->GetSafeHwnd());
    m_pService->SetInstanceNumber(nInstance);
}

PanelInstance::~PanelInstance()
{
    m_pWnd.reset();
    CTTUContext::GetInstance()->RemoveInstanceWnd(m_nInstance);
    m_pService.reset();
}

void PanelTest::SetUp()
{
    ASSERT_NE(nullptr, Context()->GetWnd());
    ASSERT_EQ(0, TtuSimReset());
    ASSERT_EQ(0, WFMDiagLiveBufferCount());
    TrcCaptureClear();
    TrcCaptureStart();
}

void PanelTest::TearDown()
{
    if (Context()->GetOpened() && !m_instances.empty()) {
        EXPECT_EQ(WFS_SUCCESS, m_instances.front()->Service().CloseSession());
    }
    // Late completions of the test's requests are released by now.
    PumpFor(30);
    m_instances.clear();
    CTTUContext::ReleaseInstance();
    TrcCaptureStop();
    TrcCaptureClear();
    TtuSimReset();
    EXPECT_EQ(0, WFMDiagLiveBufferCount());
}

PanelInstance &PanelTest::AddInstance()
{
    m_instances.emplace_back(new PanelInstance);
    return *m_instances.back();
}

PanelInstance &PanelTest::OpenedInstance()
{
    PanelInstance &instance = AddInstance();
    EXPECT_EQ(WFS_SUCCESS, instance.Service().OpenSession(10000));
    return instance;
}

void PanelTest::WaitIdle(DWORD dwTimeOut)
{
    EXPECT_TRUE(PumpUntil([this] { return Context()->GetRequestOwnerCount() == 0; }, dwTimeOut))
        << "requests still outstanding";
}

bool PanelTest::WaitForEvents(const RecordingSink &sink, size_t n, DWORD dwTimeOut)
{
    return PumpUntil([&] { return sink.m_events.size() >= n; }, dwTimeOut);
}

std::vector<std::string> PanelTest::TraceLines() const
{
    return CapturedTraceLines();
}

void PanelTest::ClearTrace() const
{
    TrcCaptureClear();
}

std::vector<std::string> PanelTest::TraceLinesWith(const std::string &strText) const
{
    std::vector<std::string> lines = TraceLines();
    lines.erase(
        std::remove_if(lines.begin(), lines.end(),
                       [&](const std::string &l) { return l.find(strText) == std::string::npos; }),
        lines.end());
    return lines;
}

bool PanelTest::HasTraceLine(const std::string &strLine) const
{
    std::vector<std::string> lines = TraceLines();
    return std::find(lines.begin(), lines.end(), strLine) != lines.end();
}

TTUSIMSNAPSHOT PanelTest::Snapshot() const
{
    TTUSIMSNAPSHOT snapshot{};
    EXPECT_EQ(0, TtuSimGetSnapshot(&snapshot));
    return snapshot;
}

std::vector<std::wstring> PanelTest::Display() const
{
    wchar_t szDisplay[4096] = {};
    WORD wSizeX = 0, wSizeY = 0;
    EXPECT_EQ(0, TtuSimGetDisplay(szDisplay, 4096, &wSizeX, &wSizeY));
    std::vector<std::wstring> lines;
    std::wstring strAll = szDisplay;
    size_t nStart = 0;
    for (size_t nEnd; (nEnd = strAll.find(L'\n', nStart)) != std::wstring::npos; nStart = nEnd + 1)
        lines.push_back(strAll.substr(nStart, nEnd - nStart));
    return lines;
}
