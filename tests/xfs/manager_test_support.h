/*
 * What the manager's tests share: the XFS configuration they write into the
 * registry, a window that records the messages the manager delivers, and a
 * fixture that starts the manager, resets the fake provider and checks at
 * the end that no buffer is left behind.
 */
#ifndef ZT_TESTS_MANAGER_TEST_SUPPORT_H
#define ZT_TESTS_MANAGER_TEST_SUPPORT_H

#include "MessagePump.h"
#include "fake_provider.h"

#include <xfsadmin.h>
#include <xfsapi.h>
#include <xfsdiag.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

// Logical services the tests configure for themselves.
extern char kFakeService[];       // served by fake_provider.dll
extern char kMissingDllService[]; // its provider's DLL does not exist
extern char kNoSpiService[];      // its provider's DLL exports no SPI
extern char kNoProviderService[]; // names a provider that is not configured
extern char kUnknownService[];    // not configured at all

void WriteTestConfiguration();
void RemoveTestConfiguration();

struct CDelivered {
    HWND hWnd;
    UINT uMsg;
    LPWFSRESULT lpResult;
};

// A hidden window that keeps every XFS message it receives (and frees the
// results when it is destroyed).
class CRecorderWindow {
public:
    CRecorderWindow();
    ~CRecorderWindow();
    HWND Handle() const { return m_hWnd; }
    const std::vector<CDelivered> &Messages() const { return m_messages; }
    size_t CountOf(UINT uMsg) const;
    void FreeAll();
    // The one message for this request; fails the test when there is not
    // exactly one.
    LPWFSRESULT OnlyResultFor(REQUESTID RequestID, UINT uMsg) const;
    // Optional hook run inside the window procedure for each XFS message.
    std::function<void(UINT, LPWFSRESULT)> onMessage;

private:
    static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
    HWND m_hWnd;
    std::vector<CDelivered> m_messages;
};


class ManagerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Opens the fake service on the recorder window and pumps until the
    // open completed; returns the session handle.
    HSERVICE OpenFakeSession();
    void CloseSession(HSERVICE hService);

    CRecorderWindow m_recorder;
    bool m_bStarted = false;
};

#endif
