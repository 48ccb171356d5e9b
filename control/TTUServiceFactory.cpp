#include "TTUServiceFactory.h"

#include <new>

#ifdef ZT_HAVE_TTU_SERVICE
#include "TTUService.h"

CTTUService *CreateTTUService(CTTUEventSink *pCtrl)
{
    return new (std::nothrow) CTTUService(pCtrl);
}

void DeleteTTUService(CTTUService *pService)
{
    delete pService;
}

CService *GetServiceSession(CTTUService *pService)
{
    return pService;
}
#else
CTTUService *CreateTTUService(CTTUEventSink *)
{
    return nullptr;
}

void DeleteTTUService(CTTUService *)
{
}

CService *GetServiceSession(CTTUService *)
{
    return nullptr;
}
#endif
