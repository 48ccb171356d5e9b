// Registry entries of the framework's classes and of a module's type library.
//
// A control class is written under HKEY_CLASSES_ROOT as:
//   CLSID\{clsid}                  (default) = type name (string resource)
//     InprocServer32               (default) = module path, ThreadingModel
//     ProgID                       (default) = "<ProgID>"
//     VersionIndependentProgID     (default) = ProgID without its ".n" suffix
//     Control                      (present: hosts list the class as a control)
//     Insertable                   (only with AX_REG_INSERTABLE)
//     MiscStatus                   (default) = "0", MiscStatus\1 = misc status in decimal
//     ToolboxBitmap32              (default) = "<module path>, <bitmap id>"
//     TypeLib                      (default) = {libid}
//     Version                      (default) = "<major>.<minor>"
//   <ProgID>                       (default) = type name, CLSID = {clsid}
//   <VersionIndependentProgID>     (default) = type name, CLSID, CurVer = ProgID
// No safe-for-scripting or safe-for-initialization category is ever written.
#pragma once

#include <windows.h>

#include <string>

#include "InprocServer.h"

// Registration flags of a control class.
enum : DWORD {
    AX_REG_INSERTABLE = 0x1,            // also offered in "Insert Object" dialogs
    AX_REG_FREE_THREADING = 0x2,        // ThreadingModel "Free"
    AX_REG_APARTMENT_THREADING = 0x4,   // ThreadingModel "Apartment"
};

struct AxControlRegistration {
    const CLSID *pClsid;
    LPCWSTR pszProgID;      // versioned, e.g. "Vendor.Control.1"
    UINT nTypeNameID;       // string resource with the type name
    UINT nToolboxBitmapID;  // bitmap resource shown in tool boxes
    DWORD dwFlags;          // AX_REG_...
    DWORD dwMiscStatus;     // OLEMISC_... for DVASPECT_CONTENT
    const GUID *pLibID;
    WORD wVerMajor;
    WORD wVerMinor;
};

HRESULT AxRegisterControlClass(HINSTANCE hInstance, const AxControlRegistration &reg);
// A property page class: CLSID key with the type name, its in-process server
// (apartment threaded) and, when given, its ProgID keys.
HRESULT AxRegisterPropPageClass(HINSTANCE hInstance, REFCLSID clsid, LPCWSTR pszProgID,
                                UINT nTypeNameID);
// Removes the CLSID key and the ProgID keys (pszProgID may be null). Keys
// already absent are not an error.
HRESULT AxUnregisterClass(REFCLSID clsid, LPCWSTR pszProgID);

// The type library in hInstance's TYPELIB resource 1, registered with the
// module as its path, and removed again by its identifier, version and locale.
HRESULT AxUpdateTypeLib(HINSTANCE hInstance, BOOL bRegister);

// "{xxxxxxxx-...}"
inline std::wstring AxGuidString(REFGUID guid)
{
    return zt_com::GuidString(guid);
}
// A string resource of hInstance (empty when missing).
std::wstring AxLoadString(HINSTANCE hInstance, UINT nID);
