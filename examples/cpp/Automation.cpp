#include "Automation.h"

#include <stdexcept>
#include <vector>

namespace terminal {

long Variant::AsLong() const
{
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT *>(&m_v), 0, VT_I4)))
        throw std::runtime_error("result is not a number");
    return V_I4(&converted);
}

std::wstring Variant::AsText() const
{
    if (V_VT(&m_v) == VT_EMPTY)
        return L"";
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT *>(&m_v), VARIANT_ALPHABOOL, VT_BSTR)))
        return L"?";
    std::wstring strText(V_BSTR(&converted), SysStringLen(V_BSTR(&converted)));
    VariantClear(&converted);
    return strText;
}

std::string Utf8(const std::wstring &strText)
{
    if (strText.empty())
        return std::string();
    const int cb = WideCharToMultiByte(CP_UTF8, 0, strText.data(), static_cast<int>(strText.size()), nullptr,
                                       0, nullptr, nullptr);
    std::string strOut(cb, '\0');
    WideCharToMultiByte(CP_UTF8, 0, strText.data(), static_cast<int>(strText.size()), &strOut[0], cb, nullptr,
                        nullptr);
    return strOut;
}

std::string DescribeFailure(const std::wstring &strWhat, HRESULT hr)
{
    char szCode[16];
    wsprintfA(szCode, "0x%08lX", static_cast<unsigned long>(hr));
    return Utf8(strWhat) + " failed: " + szCode;
}

DispatchObject::DispatchObject(IDispatch *pDispatch) : m_pDispatch(pDispatch) {}

DispatchObject::~DispatchObject()
{
    if (m_pDispatch)
        m_pDispatch->Release();
}

IDispatch *DispatchObject::Create(const wchar_t *pszProgID)
{
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(pszProgID, &clsid);
    if (FAILED(hr))
        throw std::runtime_error(DescribeFailure(std::wstring(L"CLSIDFromProgID ") + pszProgID, hr));
    IDispatch *pDispatch = nullptr;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                          reinterpret_cast<void **>(&pDispatch));
    if (FAILED(hr))
        throw std::runtime_error(DescribeFailure(std::wstring(L"CoCreateInstance ") + pszProgID, hr));
    return pDispatch;
}

Variant DispatchObject::Call(const wchar_t *pszName, std::initializer_list<Variant> args)
{
    return Invoke(pszName, DISPATCH_METHOD, args);
}

Variant DispatchObject::Get(const wchar_t *pszName)
{
    return Invoke(pszName, DISPATCH_PROPERTYGET, {});
}

Variant DispatchObject::Invoke(const wchar_t *pszName, WORD wFlags, std::initializer_list<Variant> args)
{
    // A real host looks each name up once and keeps the DISPID; looking it
    // up per call keeps the example short.
    DISPID dispId = DISPID_UNKNOWN;
    LPOLESTR pszMember = const_cast<LPOLESTR>(pszName);
    HRESULT hr = m_pDispatch->GetIDsOfNames(IID_NULL, &pszMember, 1, LOCALE_USER_DEFAULT, &dispId);
    if (FAILED(hr))
        throw std::runtime_error(DescribeFailure(std::wstring(L"GetIDsOfNames ") + pszName, hr));

    // IDispatch takes the arguments last one first.
    std::vector<VARIANT> reversed;
    for (auto it = args.end(); it != args.begin();)
        reversed.push_back(*(--it)->get());
    DISPPARAMS params = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    Variant result;
    EXCEPINFO exception = {};
    hr = m_pDispatch->Invoke(dispId, IID_NULL, LOCALE_USER_DEFAULT, wFlags, &params, result.get(), &exception,
                             nullptr);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    if (FAILED(hr))
        throw std::runtime_error(DescribeFailure(pszName, hr));
    return result;
}

} // namespace terminal
