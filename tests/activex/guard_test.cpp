#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "AxSehGuard.h"

namespace {

int *volatile g_pNull = nullptr;

void WriteThroughNull(void *)
{
    *g_pNull = 1;
}

void RaiseCustom(void *)
{
    RaiseException(0xE0001234, 0, 0, nullptr);
}

// The code the guard reports for the call; 0 when it returned normally (and
// left the code alone, as it only writes it for an exception).
DWORD Guarded(void (*pfnCall)(void *), void *pv = nullptr)
{
    DWORD dwCode = 0xFFFF;
    const BOOL bReturned = AxCallGuarded(pfnCall, pv, &dwCode);
    return bReturned ? (dwCode == 0xFFFF ? 0u : 0xBADu) : dwCode;
}

TEST(SehGuard, ReportsEachKindOfExceptionAndKeepsWorkingAfterwards)
{
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION), Guarded(WriteThroughNull));
        EXPECT_EQ(AX_STATUS_CPP_EXCEPTION, Guarded([](void *) {
                      std::string strOwned(64, 'x'); // a frame with a destructor to unwind
                      throw std::runtime_error(strOwned);
                  }));
        EXPECT_EQ(0xE0001234UL, Guarded(RaiseCustom));
    }

    // A guard inside a guarded call catches what is raised within it; the
    // outer guard then still catches what is raised after it (the inner one
    // must have put the exception handling back as it was).
    bool bInnerCaught = false;
    EXPECT_EQ(0xE0001234UL, Guarded(
                                [](void *pv) {
                                    *static_cast<bool *>(pv) = Guarded(WriteThroughNull) == EXCEPTION_ACCESS_VIOLATION;
                                    RaiseCustom(nullptr);
                                },
                                &bInnerCaught));
    EXPECT_TRUE(bInnerCaught);

    // A normal return, and an exception the callee handles itself, pass through.
    int nRan = 0;
    EXPECT_EQ(0u, Guarded([](void *pv) { ++*static_cast<int *>(pv); }, &nRan));
    EXPECT_EQ(0u, Guarded(
                      [](void *pv) {
                          try {
                              throw 42;
                          } catch (int) {
                              ++*static_cast<int *>(pv);
                          }
                      },
                      &nRan));
    EXPECT_EQ(2, nRan);
}

} // namespace
