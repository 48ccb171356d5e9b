#include "manager_test_support.h"

#include <string>

char kFakeService[] = "ZtMgrTestFake";
char kMissingDllService[] = "ZtMgrTestMissingDll";
char kNoSpiService[] = "ZtMgrTestNoSpi";
char kNoProviderService[] = "ZtMgrTestNoProvider";
char kUnknownService[] = "ZtMgrTestUnknown";

namespace {

const char kLogical[] = "SOFTWARE\\XFS\\LOGICAL_SERVICES\\";
const char kProviders[] = "SOFTWARE\\XFS\\SERVICE_PROVIDERS\\";

void SetString(const std::string &strKey, const char *lpszName, const std::string &strValue)
{
    HKEY hKey = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, strKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &hKey, nullptr),
              ERROR_SUCCESS)
        << strKey;
    RegSetValueExA(hKey, lpszName, 0, REG_SZ, reinterpret_cast<const BYTE *>(strValue.c_str()),
                   static_cast<DWORD>(strValue.size() + 1));
    RegCloseKey(hKey);
}

void Configure(const char *lpszService, const std::string &strProvider, const char *lpszDll)
{
    SetString(kLogical + std::string(lpszService), "class", "TTU");
    SetString(kLogical + std::string(lpszService), "provider", strProvider);
    if (lpszDll)
        SetString(kProviders + strProvider, "dllname", lpszDll);
}

std::string FakeProviderPath()
{
    char szPath[MAX_PATH] = "";
    GetModuleFileNameA(GetModuleHandleA("fake_provider.dll"), szPath, MAX_PATH);
    return szPath;
}

const char *const kServices[] = {kFakeService, kMissingDllService, kNoSpiService,
                                 kNoProviderService};
const char *const kProviderNames[] = {"ZtMgrTestFakeSP", "ZtMgrTestMissingSP", "ZtMgrTestNoSpiSP"};

} // namespace

void WriteTestConfiguration()
{
    Configure(kFakeService, kProviderNames[0], FakeProviderPath().c_str());
    Configure(kMissingDllService, kProviderNames[1], "C:\\nowhere\\zt_missing_provider.dll");
    Configure(kNoSpiService, kProviderNames[2], "kernel32.dll");
    Configure(kNoProviderService, "ZtMgrTestUnconfiguredSP", nullptr);
}

void RemoveTestConfiguration()
{
    for (const char *lpszService : kServices)
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (kLogical + std::string(lpszService)).c_str());
    for (const char *lpszProvider : kProviderNames)
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (kProviders + std::string(lpszProvider)).c_str());
}

// --- recorder window --------------------------------------------------------

CRecorderWindow::CRecorderWindow()
{
    static ATOM atom = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = WndProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ZtMgrTestRecorder";
        return RegisterClassW(&wc);
    }();
    (void)atom;
    m_hWnd = CreateWindowExW(0, L"ZtMgrTestRecorder", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             GetModuleHandleW(nullptr), this);
}

CRecorderWindow::~CRecorderWindow()
{
    DestroyWindow(m_hWnd);
    FreeAll();
}

void CRecorderWindow::FreeAll()
{
    for (const CDelivered &message : m_messages)
        EXPECT_EQ(WFSFreeResult(message.lpResult), WFS_SUCCESS) << "delivered twice?";
    m_messages.clear();
}

LRESULT CALLBACK CRecorderWindow::WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_NCCREATE) {
        auto *pCreate = reinterpret_cast<CREATESTRUCTW *>(lParam);
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pCreate->lpCreateParams));
    }
    auto *pThis = reinterpret_cast<CRecorderWindow *>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (pThis && uMsg >= WFS_OPEN_COMPLETE && uMsg <= WFS_SYSTEM_EVENT) {
        auto lpResult = reinterpret_cast<LPWFSRESULT>(lParam);
        pThis->m_messages.push_back(CDelivered{hWnd, uMsg, lpResult});
        if (pThis->onMessage)
            pThis->onMessage(uMsg, lpResult);
        return 0;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

size_t CRecorderWindow::CountOf(UINT uMsg) const
{
    size_t n = 0;
    for (const CDelivered &message : m_messages)
        n += message.uMsg == uMsg;
    return n;
}

LPWFSRESULT CRecorderWindow::OnlyResultFor(REQUESTID RequestID, UINT uMsg) const
{
    LPWFSRESULT lpFound = nullptr;
    int nFound = 0;
    for (const CDelivered &message : m_messages) {
        if (message.lpResult->RequestID == RequestID && message.uMsg == uMsg) {
            lpFound = message.lpResult;
            ++nFound;
        }
    }
    EXPECT_EQ(nFound, 1) << "messages " << uMsg << " for request " << RequestID;
    return nFound == 1 ? lpFound : nullptr;
}

// --- fixture ----------------------------------------------------------------

void ManagerTest::SetUpTestSuite() { WriteTestConfiguration(); }

void ManagerTest::TearDownTestSuite() { RemoveTestConfiguration(); }

void ManagerTest::SetUp()
{
    FakeReset();
    WFMDiagFailAllocation(0);
    WFMDiagResetCallCounts();
    ASSERT_EQ(WFMDiagLiveBufferCount(), 0) << "an earlier test leaked";
    WFSVERSION version;
    ASSERT_EQ(WFSStartUp(0x00000003, &version), WFS_SUCCESS);
    m_bStarted = true;
}

void ManagerTest::TearDown()
{
    if (m_bStarted)
        WFSCleanUp();
    FakeReleaseHeld();
    PumpFor(20);
    m_recorder.FreeAll();
    EXPECT_EQ(WFMDiagLiveBufferCount(), 0);
    EXPECT_EQ(WFMDiagLiveBufferBytes(), 0);
}

HSERVICE ManagerTest::OpenFakeSession()
{
    HSERVICE hService = 0;
    WFSVERSION srvcVersion, spiVersion;
    REQUESTID RequestID = 0;
    EXPECT_EQ(WFSAsyncOpen(kFakeService, nullptr, nullptr, 0, 0, &hService, m_recorder.Handle(),
                           0x00000003, &srvcVersion, &spiVersion, &RequestID),
              WFS_SUCCESS);
    EXPECT_TRUE(PumpUntil([&] { return m_recorder.CountOf(WFS_OPEN_COMPLETE) > 0; }));
    return hService;
}

void ManagerTest::CloseSession(HSERVICE hService)
{
    REQUESTID RequestID = 0;
    size_t nBefore = m_recorder.CountOf(WFS_CLOSE_COMPLETE);
    ASSERT_EQ(WFSAsyncClose(hService, m_recorder.Handle(), &RequestID), WFS_SUCCESS);
    ASSERT_TRUE(PumpUntil([&] { return m_recorder.CountOf(WFS_CLOSE_COMPLETE) > nBefore; }));
}
