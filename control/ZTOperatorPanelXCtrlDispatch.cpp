// The dispatch members of the control. Those not yet served answer
// E_NOTIMPL, which hosts see as the exception of a failed call.
#include "ZTOperatorPanelXCtrl.h"

STDMETHODIMP CZTOperatorPanelXCtrl::get_DeviceStatus(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_DisplaySizeX(short *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_DisplaySizeY(short *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_KeyLockStatus(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_LEDStatus(VARIANT *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_HasKeyLock(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_HasDisplayLigth(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_CanSupportCursor(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_CanSupportForms(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_SupportedScreenSizeX(VARIANT *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_SupportedScreenSizeY(VARIANT *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_Keys(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_CommandKeys(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_SupportedCharSets(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_FormWidth(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_FormHeight(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_FormVersionMajor(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_FormVersionMinor(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_FormCharSet(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_FormFieldType(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_FormFieldClass(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_FormFieldAccess(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_FormFieldOverflow(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_FormFieldFormat(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_FormName(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_FormFieldName(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_FormFieldList(VARIANT *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_NumOfLEDs(short *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::get_KeyboardStatus(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::OpenSessionSync(LONG, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::CloseSessionSync(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::RequestLock(LONG, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::ReleaseLock(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::GetExtraStatus(BSTR, BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::GetExtraCaps(BSTR, BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::Beep(BSTR, LONG, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::BeepOff(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::ClearScreen(short, short, short, short, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::SetDisplayLight(BSTR, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::SetLEDState(short, BSTR, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::SelectScreenSize(short, short, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::WriteForm(BSTR, LONG, BSTR, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::ReadForm(BSTR, BSTR, short, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::CancelRead(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::GetFieldValue(BSTR, VARIANT *, VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::Write(short, short, BSTR, BSTR, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::Read(short, short, BSTR, BSTR, short, LONG, LONG, LONG, LONG, BSTR, BSTR, BSTR, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::QueryFormList(VARIANT *, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::Reset(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::QueryForm(BSTR, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CZTOperatorPanelXCtrl::QueryField(BSTR, LONG *) { return E_NOTIMPL; }
