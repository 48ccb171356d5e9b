#include "AxSehGuard.h"

// GCC has no __try/__except. On x64 the guard is a small assembly function
// whose unwind information names the system's __C_specific_handler with a
// one-entry scope table: the scope covers the call, its filter accepts every
// exception and records the code, and the target resumes after the call.
// That is exactly what an MSVC __try/__except compiles to, so the system
// unwinds the abandoned frames itself (RtlUnwindEx) and exceptions that a
// callee handles internally never reach the guard. A vectored handler was
// rejected because it sees first-chance exceptions a sink handles itself;
// mingw's __try1/__except1 macros were rejected because their fixed labels
// clash with GCC's own .seh_handler in C++ functions.
//
// A GCC C++ exception must not reach that frame: libgcc's unwinder does not
// expect a foreign handler to end its unwind (measured: it never returns).
// So the guarded call runs inside a catch (...) first, and the structured
// guard only ever sees what GCC's personality does not catch.
//
// Stack of AxSehCall: 56 bytes = 32 home space + 8 slot for the code pointer
// + alignment; the code pointer lives at 40(%rsp), which is the establisher
// frame + 40 when the filter runs.
#if defined(__x86_64__)
extern "C" BOOL AxSehCall(void (*pfnCall)(void *), void *pvContext, DWORD *pdwCode);

extern "C" LONG AxSehCallFilter(EXCEPTION_POINTERS *pPointers, void *pvEstablisherFrame)
{
    DWORD **ppdwCode = reinterpret_cast<DWORD **>(static_cast<char *>(pvEstablisherFrame) + 40);
    **ppdwCode = pPointers->ExceptionRecord->ExceptionCode;
    return EXCEPTION_EXECUTE_HANDLER;
}

__asm__(
    "    .text\n"
    "    .globl AxSehCall\n"
    "    .def AxSehCall; .scl 2; .type 32; .endef\n"
    "    .seh_proc AxSehCall\n"
    "AxSehCall:\n"
    "    subq $56, %rsp\n"
    "    .seh_stackalloc 56\n"
    "    .seh_endprologue\n"
    "    .seh_handler __C_specific_handler, @except\n"
    "    .seh_handlerdata\n"
    "    .long 1\n"
    "    .rva .LAxSehBegin, .LAxSehEnd, AxSehCallFilter, .LAxSehCaught\n"
    "    .text\n"
    "    movq %r8, 40(%rsp)\n"
    "    movq %rcx, %rax\n"
    "    movq %rdx, %rcx\n"
    ".LAxSehBegin:\n"
    "    callq *%rax\n"
    "    nop\n"
    ".LAxSehEnd:\n"
    "    movl $1, %eax\n"
    "    jmp .LAxSehDone\n"
    ".LAxSehCaught:\n"
    "    xorl %eax, %eax\n"
    ".LAxSehDone:\n"
    "    addq $56, %rsp\n"
    "    ret\n"
    "    .seh_endproc\n");
#else
// 32-bit builds (compiled, not run here) keep the C++ guard only: their
// frame-based handlers need a different mechanism that has not been tested.
static BOOL AxSehCall(void (*pfnCall)(void *), void *pvContext, DWORD *)
{
    pfnCall(pvContext);
    return TRUE;
}
#endif

namespace {

struct GuardedCall {
    void (*pfnCall)(void *);
    void *pvContext;
    bool bCppException;
};

void CallCatchingCpp(void *pv)
{
    GuardedCall *pCall = static_cast<GuardedCall *>(pv);
    try {
        pCall->pfnCall(pCall->pvContext);
    } catch (...) {
        pCall->bCppException = true;
    }
}

} // namespace

BOOL AxCallGuarded(void (*pfnCall)(void *), void *pvContext, DWORD *pdwExceptionCode)
{
    GuardedCall call = {pfnCall, pvContext, false};
    DWORD dwCode = 0;
    if (!AxSehCall(CallCatchingCpp, &call, &dwCode)) {
        *pdwExceptionCode = dwCode;
        return FALSE;
    }
    if (call.bCppException) {
        *pdwExceptionCode = AX_STATUS_CPP_EXCEPTION;
        return FALSE;
    }
    return TRUE;
}
