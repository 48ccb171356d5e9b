// The property pages a control names to its container (ISpecifyPropertyPages).
#pragma once

#include <ocidl.h>

#include "AxControlBase.h"

class CAxControlPages : public ISpecifyPropertyPages {
public:
    STDMETHODIMP GetPages(CAUUID *pPages) override;

protected:
    explicit CAxControlPages(const AxControlClassInfo &classInfo) : m_classInfo(classInfo) {}
    virtual ~CAxControlPages() = default;

private:
    const AxControlClassInfo &m_classInfo;
};
