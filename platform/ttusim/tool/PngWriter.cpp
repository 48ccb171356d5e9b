#include "PngWriter.h"

#include <wincodec.h>

#include <vector>

namespace {

// Releases a COM interface when it goes.
template <class T> class CComRef {
public:
    CComRef() = default;
    ~CComRef()
    {
        if (m_p)
            m_p->Release();
    }
    CComRef(const CComRef &) = delete;
    CComRef &operator=(const CComRef &) = delete;
    T **operator&() { return &m_p; }
    T *operator->() const { return m_p; }
    T *Get() const { return m_p; }

private:
    T *m_p = nullptr;
};

// COM for this thread while it lives; a thread already in another
// apartment keeps it (WIC works in either).
class CComScope {
public:
    CComScope() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~CComScope()
    {
        if (SUCCEEDED(m_hr))
            CoUninitialize();
    }
    CComScope(const CComScope &) = delete;
    CComScope &operator=(const CComScope &) = delete;

private:
    HRESULT m_hr;
};

// The PNG encoder takes 24-bit blue-green-red rows.
std::vector<BYTE> ToBgr24(const DWORD *pPixels, int cx, int cy)
{
    std::vector<BYTE> bytes(static_cast<size_t>(cx) * cy * 3);
    BYTE *p = bytes.data();
    for (size_t i = 0; i < static_cast<size_t>(cx) * cy; ++i) {
        *p++ = static_cast<BYTE>(pPixels[i]);
        *p++ = static_cast<BYTE>(pPixels[i] >> 8);
        *p++ = static_cast<BYTE>(pPixels[i] >> 16);
    }
    return bytes;
}

HRESULT WriteFrame(IWICBitmapEncoder *pEncoder, const DWORD *pPixels, int cx, int cy)
{
    CComRef<IWICBitmapFrameEncode> frame;
    CComRef<IPropertyBag2> properties;
    HRESULT hr = pEncoder->CreateNewFrame(&frame, &properties);
    if (SUCCEEDED(hr))
        hr = frame->Initialize(properties.Get());
    if (SUCCEEDED(hr))
        hr = frame->SetSize(static_cast<UINT>(cx), static_cast<UINT>(cy));
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (SUCCEEDED(hr))
        hr = frame->SetPixelFormat(&format);
    if (SUCCEEDED(hr) && !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR))
        hr = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
    std::vector<BYTE> bytes = ToBgr24(pPixels, cx, cy);
    if (SUCCEEDED(hr))
        hr = frame->WritePixels(static_cast<UINT>(cy), static_cast<UINT>(cx) * 3,
                                static_cast<UINT>(bytes.size()), bytes.data());
    if (SUCCEEDED(hr))
        hr = frame->Commit();
    return hr;
}

} // namespace

HRESULT WritePng(const std::wstring &strPath, const DWORD *pPixels, int cx, int cy)
{
    if (!pPixels || cx <= 0 || cy <= 0 || strPath.empty())
        return E_INVALIDARG;
    CComScope com;
    CComRef<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, reinterpret_cast<void **>(&factory));
    CComRef<IWICStream> stream;
    if (SUCCEEDED(hr))
        hr = factory->CreateStream(&stream);
    if (SUCCEEDED(hr))
        hr = stream->InitializeFromFilename(strPath.c_str(), GENERIC_WRITE);
    CComRef<IWICBitmapEncoder> encoder;
    if (SUCCEEDED(hr))
        hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder);
    if (SUCCEEDED(hr))
        hr = encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr))
        hr = WriteFrame(encoder.Get(), pPixels, cx, cy);
    if (SUCCEEDED(hr))
        hr = encoder->Commit();
    return hr;
}
