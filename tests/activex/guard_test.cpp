#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "AxSehGuard.h"

namespace {

int *volatile g_pNull = nullptr;
int g_nCalls = 0;

void WriteThroughNull(void *)
{
    ++g_nCalls;
    *g_pNull = 1;
}

void ThrowCpp(void *)
{
    ++g_nCalls;
    std::string strOwned(64, 'x');  // a frame with a destructor to unwind
    throw std::runtime_error(strOwned);
}

void RaiseCustom(void *)
{
    RaiseException(0xE0001234, 0, 0, nullptr);
}

// An exception the callee handles itself must never reach the guard.
void HandleOwnException(void *pv)
{
    try {
        throw 42;
    } catch (int) {
        *static_cast<bool *>(pv) = true;
    }
}

// A guard inside a guarded call catches what is raised within it; the outer
// guard then still catches what is raised after it (the inner one must have
// put the exception handling back as it was).
void InnerGuardThenRaise(void *pv)
{
    DWORD dwInner = 0;
    *static_cast<bool *>(pv) =
        !AxCallGuarded(WriteThroughNull, nullptr, &dwInner) && dwInner == EXCEPTION_ACCESS_VIOLATION;
    RaiseCustom(nullptr);
}

void Nothing(void *pv)
{
    *static_cast<bool *>(pv) = true;
}

TEST(SehGuard, ReportsEachKindOfExceptionAndKeepsWorkingAfterwards)
{
    for (int round = 0; round < 3; ++round) {
        DWORD dwCode = 0;
        EXPECT_FALSE(AxCallGuarded(WriteThroughNull, nullptr, &dwCode));
        EXPECT_EQ(static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION), dwCode);

        dwCode = 0;
        EXPECT_FALSE(AxCallGuarded(ThrowCpp, nullptr, &dwCode));
        EXPECT_EQ(AX_STATUS_CPP_EXCEPTION, dwCode);

        dwCode = 0;
        EXPECT_FALSE(AxCallGuarded(RaiseCustom, nullptr, &dwCode));
        EXPECT_EQ(0xE0001234UL, dwCode);
    }
    EXPECT_EQ(6, g_nCalls);

    bool bInnerCaught = false;
    DWORD dwCode = 0;
    EXPECT_FALSE(AxCallGuarded(InnerGuardThenRaise, &bInnerCaught, &dwCode));
    EXPECT_TRUE(bInnerCaught);
    EXPECT_EQ(0xE0001234UL, dwCode);
}

TEST(SehGuard, NormalReturnAndInternallyHandledExceptionsPassThrough)
{
    bool bRan = false;
    DWORD dwCode = 0xFFFF;
    EXPECT_TRUE(AxCallGuarded(Nothing, &bRan, &dwCode));
    EXPECT_TRUE(bRan);
    EXPECT_EQ(0xFFFFu, dwCode) << "the code is only written for an exception";

    bool bHandled = false;
    EXPECT_TRUE(AxCallGuarded(HandleOwnException, &bHandled, &dwCode));
    EXPECT_TRUE(bHandled);
}

} // namespace
