/*
 * XFS manager buffer functions. Every result a provider hands to an
 * application is allocated here: the WFSRESULT first, everything it points to
 * chained to it with WFMAllocateMore, so one WFSFreeResult releases it all.
 */
#ifndef ZT_XFSADMIN_H
#define ZT_XFSADMIN_H

#include "xfsapi.h"

#ifdef __cplusplus
extern "C" {
#endif

#define WFS_MEM_SHARE 0x00000001
#define WFS_MEM_ZEROINIT 0x00000002

XFSAPI_EXPORT HRESULT WINAPI WFMAllocateBuffer(ULONG ulSize, ULONG ulFlags, LPVOID *lppvData);
XFSAPI_EXPORT HRESULT WINAPI WFMAllocateMore(ULONG ulSize, LPVOID lpvOriginal, LPVOID *lppvData);
XFSAPI_EXPORT HRESULT WINAPI WFMFreeBuffer(LPVOID lpvData);

#ifdef __cplusplus
}
#endif

#endif /* ZT_XFSADMIN_H */
