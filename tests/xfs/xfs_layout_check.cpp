// Compile-time checks of the XFS structure layouts: a 32-bit build must have
// the sizes and offsets applications and providers of other makers use, and
// a 64-bit build the same fields with 8-byte pointers.
#include <cstddef>

#include "xfsadmin.h"
#include "xfsapi.h"
#include "xfsspi.h"
#include "xfsttu.h"

#define CHECK_SIZE(type, size32, size64) \
    static_assert(sizeof(type) == (sizeof(void *) == 4 ? (size32) : (size64)), #type " size")
#define CHECK_OFFSET(type, field, off32, off64)                                        \
    static_assert(offsetof(type, field) == (sizeof(void *) == 4 ? (off32) : (off64)), \
                  #type "." #field " offset")

// Scalar types.
static_assert(sizeof(REQUESTID) == 4 && sizeof(HRESULT) == 4 && sizeof(BOOL) == 4, "32-bit scalars");
static_assert(sizeof(HSERVICE) == 2 && sizeof(WORD) == 2 && sizeof(SHORT) == 2, "16-bit scalars");

// Common structures.
CHECK_SIZE(WFSVERSION, 520, 520);
CHECK_SIZE(WFSRESULT, 34, 38);
CHECK_OFFSET(WFSRESULT, RequestID, 0, 0);
CHECK_OFFSET(WFSRESULT, hService, 4, 4);
CHECK_OFFSET(WFSRESULT, tsTimestamp, 6, 6);
CHECK_OFFSET(WFSRESULT, hResult, 22, 22);
CHECK_OFFSET(WFSRESULT, u.dwCommandCode, 26, 26);
CHECK_OFFSET(WFSRESULT, lpBuffer, 30, 30);

// TTU command data.
CHECK_SIZE(WFSTTUREAD, 40, 56);
// Where the 2-byte fields end, the BOOLs and then the pointers begin.
CHECK_OFFSET(WFSTTUREAD, fwEchoAttr, 10, 10);
CHECK_OFFSET(WFSTTUREAD, bCursor, 12, 12);
CHECK_OFFSET(WFSTTUREAD, bAutoEnd, 20, 20);
CHECK_OFFSET(WFSTTUREAD, lpszActiveKeys, 24, 24);
CHECK_OFFSET(WFSTTUREAD, lpszActiveUNICODEKeys, 28, 32);
CHECK_OFFSET(WFSTTUREAD, lpwTerminateCommandKeys, 36, 48);

CHECK_SIZE(WFSTTUWRITE, 16, 24);
CHECK_SIZE(WFSTTUWRITEFORM, 16, 28);
CHECK_SIZE(WFSTTUREADFORM, 8, 16);
CHECK_SIZE(WFSTTUREADFORMOUT, 8, 16);
CHECK_SIZE(WFSTTUQUERYFIELD, 8, 16);
CHECK_SIZE(WFSTTUBEEP, 2, 2);
CHECK_SIZE(WFSTTUCLEARSCREEN, 8, 8);
CHECK_SIZE(WFSTTUDISPLIGHT, 4, 4);
CHECK_SIZE(WFSTTUSETLEDS, 4, 4);
CHECK_SIZE(WFSTTURESOLUTION, 4, 4);

// TTU answers.
CHECK_SIZE(WFSTTUSTATUS, 30, 34);
CHECK_SIZE(WFSTTUCAPS, 32, 40);
CHECK_SIZE(WFSTTUFRMHEADER, 18, 26);
CHECK_SIZE(WFSTTUFRMFIELD, 16, 24);
CHECK_SIZE(WFSTTUKEYDETAIL, 12, 24);
CHECK_SIZE(WFSTTUREADIN, 8, 16);
CHECK_SIZE(WFSTTUFIELDFAIL, 10, 18);
CHECK_SIZE(WFSTTUKEY, 5, 5);

int main() { return 0; }
