// CTTUService: the TTU device service of one control instance.
//
// The sending side turns the control's keyword, number and text arguments
// into TTU command data and submits it asynchronously (Beep ... ReadForm);
// the receiving side (the CService handler slots) turns every completion,
// execute event and system event routed to this instance into the control's
// events, fired through m_pCtrl, and keeps the status, capability, key and
// form snapshots that the control's properties read.
//
// Everything runs on the host's user-interface thread. Synchronous queries
// pump that thread's messages, so events may be fired (and the host may call
// back into any instance) before a query returns.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "Service.h"
#include "TTUEventSink.h"
#include "Variant.h"
#include "xfsapi.h"
#include "xfsttu.h"

class CTTUService : public CService {
public:
    // Time-out of every command but the reads, and of the service's own
    // status and form queries.
    static const DWORD COMMAND_TIMEOUT = 30000;
    // Capacity of a read's command-key arrays: 255 codes and the final 0.
    static const size_t MAX_COMMAND_KEYS = 255;
    // Bytes a form name, field-values or field-names text may take in the
    // ANSI code page.
    static const size_t MAX_FORM_TEXT = 255;

    explicit CTTUService(CTTUEventSink *pCtrl);
    ~CTTUService() override;

    // CService slots.
    void ResetDeviceInfo() override;
    void OnExecuteIssued(DWORD dwCommand, LPVOID *lppCmdData, WORD wTag,
                         REQUESTID RequestID) override;
    void DoUserEvent(UINT uMsg, LPWFSRESULT *lppResult) override;
    void DoServiceEvent(UINT uMsg, LPWFSRESULT *lppResult) override;
    void DoExecuteEvent(UINT uMsg, LPWFSRESULT *lppResult) override;
    void DoSystemEvent(UINT uMsg, LPWFSRESULT *lppResult) override;
    void DoGetInfoComplete(UINT uMsg, LPWFSRESULT *lppResult) override;
    void DoExecuteComplete(UINT uMsg, LPWFSRESULT *lppResult) override;
    void DoUnlockComplete(UINT uMsg, LPWFSRESULT *lppResult) override;
    void DoLockComplete(UINT uMsg, LPWFSRESULT *lppResult) override;
    DWORD GetVersionsRequired() override;
    DWORD GetSrvcVersionsRequired() override;
    void GetLogicalName(LPSTR lpszLogicalName) override;

    // Display and indicator commands. Each returns 0 once the XFS manager
    // accepted the request, -1 when the command data could not be
    // allocated, -52 for an argument it refuses, -39 while the session is
    // closed, or the code WFSAsyncExecute returned.
    HRESULT Beep(LPCWSTR BeepType, BOOL Continuous);
    HRESULT BeepOff();
    HRESULT ClearScreen(SHORT TopLeftX, SHORT TopLeftY, SHORT Width, SHORT Height);
    HRESULT SetDisplayLight(LPCWSTR LightAction);
    HRESULT SetLEDState(SHORT Index, LPCWSTR State);
    HRESULT SelectScreenSize(SHORT Width, SHORT Height);
    HRESULT Reset();

    // Keyboard text input and output.
    HRESULT Write(SHORT x, SHORT y, LPCWSTR TextAttribute, LPCWSTR Text);
    HRESULT Read(SHORT x, SHORT y, LPCWSTR TextAttribute, LPCWSTR EchoMode, SHORT Length,
                 BOOL CursorOn, BOOL Flush, BOOL AutoEnd, DWORD Timeout, LPCWSTR ActiveKeys,
                 LPCWSTR ActiveCommandKeys, LPCWSTR TerminateCommandKeys);
    HRESULT CancelRead();
    // Key names separated by blanks, commas and line feeds into *lppwKeys
    // (the caller's array of MAX_COMMAND_KEYS + 1 codes), 0-terminated.
    // 1 when every name is known; a null or empty list sets *lppwKeys to
    // null. *plCount gets the number of codes written.
    static BOOL ParseCommandKeys(LPCWSTR Keys, LPWORD *lppwKeys, LONG *plCount);

    // Form commands.
    HRESULT WriteForm(LPCWSTR FormName, BOOL ClearScreen, LPCWSTR FieldValues);
    HRESULT ReadForm(LPCWSTR FormName, LPCWSTR Fields, SHORT Timeout);
    BOOL GetFieldValue(LPCWSTR FieldName, VARIANT *FieldValue);
    HRESULT QueryFormList(VARIANT *FormList);
    // The field texts as lists: 0 and the list in *lppList (null for an
    // empty or absent text), or -1 when the text is invalid or the list
    // cannot be allocated. A list (also one left by a failure) is the
    // caller's, to be released with delete[].
    static HRESULT ParseFieldValues(LPCSTR lpszText, LPSTR *lppList);
    static HRESULT ParseUnicodeFieldValues(LPCWSTR lpszText, LPWSTR *lppList);
    static HRESULT ParseFieldNames(LPCSTR lpszText, LPSTR *lppList);

    // The common reaction to a failed request, chosen by the registry
    // settings SrvMode and ErrHandle.
    void DoErrorStatus(UINT uMsg, DWORD dwCode, HRESULT hResult);
    // "CMD_TTU_BEEP", "INF_TTU_STATUS", "SYSE_APP_DISCONNECT", ...; empty for
    // a pair that names nothing.
    static std::wstring GetRequestName(UINT uMsg, DWORD dwCode);
    // A field or form keyword (tables 0 to 4: type, class, access, overflow,
    // character set); null for a value the table does not know.
    static LPCSTR GetString(int nTable, WORD wValue);
    // Appends the names of the 0-terminated command keys, separated by
    // commas, to strKeys; "NoKey" for a null list.
    static BOOL FormatCommandKeys(const WORD *lpwCommandKeys, std::wstring &strKeys);

    void ClearFormInfo();
    void ClearFieldInfo();

    // What the control's properties read. The three flags say whether the
    // status, capabilities and key detail have been queried since the last
    // clear.
    BOOL IsStatusValid() const { return m_bStatusValid; }
    void SetStatusValid(BOOL bValid) { m_bStatusValid = bValid; }
    BOOL IsCapsValid() const { return m_bCapsValid; }
    void SetCapsValid(BOOL bValid) { m_bCapsValid = bValid; }
    BOOL IsKeyDetailValid() const { return m_bKeyDetailValid; }
    void SetKeyDetailValid(BOOL bValid) { m_bKeyDetailValid = bValid; }

    const std::wstring &GetDeviceStatus() const { return m_strDeviceStatus; }
    const std::wstring &GetKeyboardStatus() const { return m_strKeyboardStatus; }
    BOOL GetKeyLockStatus() const { return m_bKeyLockStatus; }

    BOOL HasKeyLock() const { return m_bHasKeyLock; }
    BOOL HasDisplayLight() const { return m_bHasDisplayLight; }
    BOOL CanSupportCursor() const { return m_bCanSupportCursor; }
    BOOL CanSupportForms() const { return m_bCanSupportForms; }
    const CVariant &GetSupportedScreenSizeX() const { return m_varSupportedScreenSizeX; }
    const CVariant &GetSupportedScreenSizeY() const { return m_varSupportedScreenSizeY; }
    WORD GetCharSupport() const { return m_fwCharSupport; }
    const std::wstring &GetKeys() const { return m_strKeys; }
    const std::wstring &GetCommandKeys() const { return m_strCommandKeys; }

    LPCSTR GetFormName() const { return m_lpszFormName.get(); }
    WORD GetFormWidth() const { return m_wFormWidth; }
    WORD GetFormHeight() const { return m_wFormHeight; }
    WORD GetFormVersionMajor() const { return m_wFormVersionMajor; }
    WORD GetFormVersionMinor() const { return m_wFormVersionMinor; }
    WORD GetFormCharSupport() const { return m_fwFormCharSupport; }
    // Field names, each ended by a zero byte, the list by one more; or null.
    LPCSTR GetFormFields() const { return m_lpszFormFields.get(); }
    LPCSTR GetFieldName() const { return m_lpszFieldName.get(); }
    WORD GetFieldType() const { return m_fwFieldType; }
    WORD GetFieldClass() const { return m_fwFieldClass; }
    WORD GetFieldAccess() const { return m_fwFieldAccess; }
    WORD GetFieldOverflow() const { return m_fwFieldOverflow; }
    LPCSTR GetFieldFormat() const { return m_lpszFieldFormat.get(); }

protected:
    // Completions of the ten commands.
    void HandleBeep(UINT uMsg, LPWFSRESULT *lppResult);
    void HandleClearScreen(UINT uMsg, LPWFSRESULT *lppResult);
    void HandleDispLight(UINT uMsg, LPWFSRESULT *lppResult);
    void HandleSetLed(UINT uMsg, LPWFSRESULT *lppResult);
    void HandleSetResolution(UINT uMsg, LPWFSRESULT *lppResult);
    void HandleWriteForm(UINT uMsg, LPWFSRESULT *lppResult);
    void HandleReadForm(UINT uMsg, LPWFSRESULT *lppResult);
    void HandleWrite(UINT uMsg, LPWFSRESULT *lppResult);
    void HandleRead(UINT uMsg, LPWFSRESULT *lppResult);
    void HandleReset(UINT uMsg, LPWFSRESULT *lppResult);

    // Answers of the six queries.
    void HandleStatus(UINT uMsg, LPWFSRESULT *lppResult);
    void HandleCapabilities(UINT uMsg, LPWFSRESULT *lppResult);
    void HandleKeyDetail(UINT uMsg, LPWFSRESULT *lppResult);
    void HandleFormList(UINT uMsg, LPWFSRESULT *lppResult);
    void HandleQueryForm(UINT uMsg, LPWFSRESULT *lppResult);
    void HandleQueryField(UINT uMsg, LPWFSRESULT *lppResult);

private:
    struct CommandFamily;
    struct FormatArgs;

    // The common part of the ten command handlers.
    void HandleCommandCompletion(const CommandFamily &family, UINT uMsg, LPWFSRESULT lpResult);
    void QueryStatus();
    void DeliverInput(DWORD dwCode, HRESULT hResult, LPVOID lpBuffer);
    void DeliverFormFields(DWORD dwCode, HRESULT hResult, LPVOID lpBuffer);
    void StoreNarrowFields(LPCSTR lpszFields);
    void StoreWideFields(LPCWSTR lpszFields);

    // Shared start of the query handlers: true when the answer is to be
    // used; false after a time-out or cancellation (nothing to do) or an
    // error (handed to DoErrorStatus).
    bool IsUsableAnswer(UINT uMsg, LPWFSRESULT lpResult);

    void FireFieldFailure(LPWFSRESULT lpResult, bool bError);
    void FireKeyPressed(LPWFSRESULT lpResult);
    void HandleAppDisconnect(UINT uMsg, LPWFSRESULT lpResult);

    void ResizeLEDArrays();
    bool UpdateLEDStatus(const WORD *pwLEDs, bool bFire, HSERVICE hService);
    void CopyLastKnownStatus();

    // Submits one fixed-size command: allocates the data, lets fill check
    // the arguments and fill it (fill returns 0 or -52), submits, frees.
    template <typename TData, typename TFill>
    HRESULT SubmitCommand(DWORD dwCommand, ULONG ulFlags, const char *pszFunction,
                          const char *pszLocation, TFill fill);
    // The text block of a write or the active keys of a read, in the
    // character set the service takes.
    HRESULT AddTextBlock(class CXfsBuffer &data, LPCWSTR lpszText, LPSTR *lppszAnsi,
                         LPWSTR *lppszUnicode, const char *pszFunction, const char *pszLocation);
    WORD PositionMode() const;

    BOOL m_bStatusValid;
    BOOL m_bCapsValid;
    BOOL m_bKeyDetailValid;
    std::unique_ptr<char[]> m_lpszFormName;
    WORD m_wFormWidth, m_wFormHeight, m_wFormVersionMajor, m_wFormVersionMinor;
    WORD m_fwFormCharSupport;
    std::unique_ptr<char[]> m_lpszFormFields;
    std::unique_ptr<char[]> m_lpszFieldName;
    WORD m_fwFieldType;
    WORD m_fwFieldClass, m_fwFieldAccess;
    WORD m_fwFieldOverflow;
    std::unique_ptr<char[]> m_lpszFieldFormat;
    CTTUEventSink *m_pCtrl;
    std::wstring m_strDeviceStatus;
    SHORT m_sDisplaySizeX, m_sDisplaySizeY;
    std::wstring m_strKeyboardStatus;
    BOOL m_bKeyLockStatus;
    CVariant m_varLEDStatus;
    std::vector<std::wstring> m_arrLEDStatus;
    std::wstring m_strPrevDeviceStatus;
    SHORT m_sPrevDisplaySizeX, m_sPrevDisplaySizeY;
    std::wstring m_strPrevKeyboardStatus;
    BOOL m_bPrevKeyLockStatus;
    std::vector<std::wstring> m_arrPrevLEDStatus;
    BOOL m_bHasKeyLock, m_bHasDisplayLight, m_bCanSupportCursor, m_bCanSupportForms;
    CVariant m_varSupportedScreenSizeX, m_varSupportedScreenSizeY;
    WORD m_fwCharSupport;
    std::wstring m_strKeys, m_strCommandKeys;
    USHORT m_usNumResolutions;
    std::unordered_map<std::wstring, std::wstring> m_mapFieldValues;
    CVariant m_varFormList;
};
