/*
 * ttupanel's command line, parsed into one PanelRequest without touching the
 * panel, so that every refusal of a bad argument can be tested on its own.
 */
#ifndef ZT_TTUPANEL_PANELARGUMENTS_H
#define ZT_TTUPANEL_PANELARGUMENTS_H

#include <windows.h>

#include <string>
#include <vector>

enum class PanelVerb { Help, Show, Press, Type, Status, Fail, Delay, Event, Reset, Watch, Gui, Snapshot };
enum class StatusTarget { Device, Keyboard, Keylock };

// One key of the panel: a character (wCommandKey 0) or a command key.
struct CPanelKey {
    WCHAR wcKey;
    WORD wCommandKey;
};

struct CPanelRequest {
    PanelVerb verb = PanelVerb::Help;
    std::vector<CPanelKey> keys;     // press
    std::wstring strText;           // type
    StatusTarget statusTarget = StatusTarget::Device;
    WORD wStatus = 0;               // status
    BOOL bCategory = FALSE;         // fail, delay
    DWORD dwCode = 0;               // fail, delay
    LONG nCount = 0;                // fail
    HRESULT hResult = 0;            // fail
    DWORD dwMilliseconds = 0;       // delay
    DWORD dwEventID = 0;            // event
    std::wstring strPath;           // snapshot: the PNG file to write
};

struct CParseOutcome {
    bool bOk = false;
    CPanelRequest request;
    std::string strError; // why the arguments were refused, for the user
};

// args: the arguments after the program name.
CParseOutcome ParseArguments(const std::vector<std::wstring> &args);

const char *UsageText();

#endif
