/*
 * The device side of the TTU commands: what each command does to the shared
 * panel and which code it answers. Commands that finish at once are methods
 * of PanelDevice; the two reads, which wait for keys, are KeyboardRead
 * objects fed key by key.
 */
#ifndef ZT_TTUSIM_PANELDEVICE_H
#define ZT_TTUSIM_PANELDEVICE_H

#include <memory>
#include <string>
#include <vector>

#include "CommandData.h"
#include "PanelConfig.h"
#include "ResultBuilder.h"
#include "SharedPanel.h"

/* An execute event that a command sends before its completion. */
struct CExecuteEvent {
    DWORD dwEventID = 0;  // WFS_EXEE_TTU_*
    std::string strForm;  // field error and warning
    std::string strField;
    WORD wFailure = 0;
    WFSTTUKEY key{};      // key event
};
typedef std::vector<CExecuteEvent> EventList;

class CPanelDevice {
public:
    explicit CPanelDevice(const CPanelConfig &config) : m_config(config) {}

    /* Runs a command that needs no keys. The device's status has been
       checked by the caller. */
    HRESULT Execute(CPanelState &state, DWORD dwCommand, const CCommandData &data,
                    EventList &events) const;

    /* The text of a write or a read's active keys in a character set the
       service supports; WFS_ERR_TTU_CHARSETDATA when it is given only in
       one it does not. */
    HRESULT ChooseText(const CTextPair &text, std::wstring &strOut) const;

private:
    HRESULT Beep(CPanelState &state, WORD wBeep) const;
    HRESULT ClearScreen(CPanelState &state, const WFSTTUCLEARSCREEN &area) const;
    HRESULT DispLight(CPanelState &state, BOOL bMode) const;
    HRESULT SetLed(CPanelState &state, const WFSTTUSETLEDS &led) const;
    HRESULT SetResolution(CPanelState &state, const WFSTTURESOLUTION &size) const;
    HRESULT Write(CPanelState &state, const CCommandData &data) const;
    HRESULT WriteForm(CPanelState &state, const CCommandData &data, EventList &events) const;
    HRESULT Reset(CPanelState &state) const;

    const CPanelConfig &m_config;
};

/* Where a write or read starts: absolute, or relative to the cursor.
   False when that lies outside the display. */
bool ResolvePosition(const CPanelState &state, WORD wMode, SHORT x, SHORT y, int &col, int &row);

/* A read in progress: a text read or a form read. */
class CKeyboardRead {
public:
    virtual ~CKeyboardRead() = default;
    /* Checks the request and shows where input goes. WFS_SUCCESS starts the
       read (which may already be over, see Finished). */
    virtual HRESULT Start(CPanelState &state, EventList &events) = 0;
    /* One key pressed; true when the read has ended, with its code in hr. */
    virtual bool OnKey(CPanelState &state, const CPanelKey &key, EventList &events,
                       HRESULT &hr) = 0;
    /* A read that needs no key at all (a form without readable fields). */
    virtual bool Finished() const { return false; }
    /* The completion data of a successful read. */
    virtual void BuildOutput(CResultBuilder &result) const = 0;
};

std::unique_ptr<CKeyboardRead> NewTextRead(const CPanelConfig &config, const CCommandData &data);
std::unique_ptr<CKeyboardRead> NewFormRead(const CPanelConfig &config, const CCommandData &data);

#endif
