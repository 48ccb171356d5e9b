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
#elif defined(__i386__)
// On i686 structured exceptions are dispatched through the chain of frame
// registrations at FS:[0], and GCC's i686 code takes no part in it (its C++
// exceptions use DWARF tables, registered nowhere at run time). So the guard
// registers a frame of its own for the duration of the call, as an MSVC
// __try/__except does. Its handler, for an exception that reaches it:
// records the code, lets RtlUnwind call the unwind handlers of the frames
// registered since and unlink them (an MSVC host's destructors run there),
// then continues after the call on the guard's own stack frame, abandoning
// the dispatcher's frames. An exception the callee handles in a frame of its
// own never gets here. A vectored handler was rejected as on x64: it runs
// before the callee's own handlers, so it would take exceptions a sink
// handles itself, and could only guess whether one belongs to the guard.
// The handler passes Windows' SafeSEH validation because the image has no
// load configuration (so no table of allowed handlers) and no NO_SEH flag.
//
// The registration, extended with what the handler needs, lies at
// -28(%ebp) of AxSehCall:
struct AxSehFrame {
    AxSehFrame *pNext;  // the previous FS:[0]
    void *pfnHandler;
    DWORD *pdwCode;
    void *pvEbp;        // AxSehCall's frame pointer, to continue there
};

extern "C" BOOL AxSehCall(void (*pfnCall)(void *), void *pvContext, DWORD *pdwCode);
extern "C" __attribute__((noreturn)) void AxSehResume(AxSehFrame *pFrame);

extern "C" EXCEPTION_DISPOSITION __cdecl AxSehHandler(EXCEPTION_RECORD *pRecord, void *pvFrame,
                                                        CONTEXT *, void *)
{
    if (pRecord->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
        return ExceptionContinueSearch;
    AxSehFrame *pFrame = static_cast<AxSehFrame *>(pvFrame);
    *pFrame->pdwCode = pRecord->ExceptionCode;
    RtlUnwind(pFrame, nullptr, pRecord, nullptr);
    AxSehResume(pFrame);
}

// The call is made with the stack aligned to 16 bytes, as GCC's code
// expects and a host's caller may not provide.
__asm__(
    "    .text\n"
    "    .globl _AxSehCall\n"
    "    .def _AxSehCall; .scl 2; .type 32; .endef\n"
    "_AxSehCall:\n"
    "    pushl %ebp\n"
    "    movl %esp, %ebp\n"
    "    pushl %ebx\n"
    "    pushl %esi\n"
    "    pushl %edi\n"
    "    pushl %ebp\n"
    "    pushl 16(%ebp)\n"
    "    pushl $_AxSehHandler\n"
    "    pushl %fs:0\n"
    "    movl %esp, %fs:0\n"
    "    andl $-16, %esp\n"
    "    subl $12, %esp\n"
    "    pushl 12(%ebp)\n"
    "    call *8(%ebp)\n"
    "    movl $1, %eax\n"
    ".LAxSehDone:\n"
    "    movl -28(%ebp), %ecx\n"
    "    movl %ecx, %fs:0\n"
    "    leal -12(%ebp), %esp\n"
    "    popl %edi\n"
    "    popl %esi\n"
    "    popl %ebx\n"
    "    popl %ebp\n"
    "    ret\n"
    "\n"
    "    .globl _AxSehResume\n"
    "    .def _AxSehResume; .scl 2; .type 32; .endef\n"
    "_AxSehResume:\n"
    "    movl 4(%esp), %ecx\n"
    "    movl 12(%ecx), %ebp\n"
    "    movl %ecx, %esp\n"
    "    xorl %eax, %eax\n"
    "    jmp .LAxSehDone\n");
#else
#error "no structured exception guard for this architecture"
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
