/*
 * The virtual panel's configuration: what hardware the panel has (display
 * sizes, LEDs, key lock, keys) and what its service offers (character sets,
 * forms, extra status and capability entries), read from an INI file.
 */
#ifndef ZT_TTUSIM_PANELCONFIG_H
#define ZT_TTUSIM_PANELCONFIG_H

#include <windows.h>

#include <string>
#include <vector>

#include "xfsttu.h"

constexpr int kMaxColumns = 80;
constexpr int kMaxRows = 32;
constexpr int kMaxResolutions = 8;
constexpr int kMaxKeys = 128;
constexpr int kMaxCommandKeys = WFS_TTU_CK_FDK32; // every defined command key

/* The hardware part of the configuration. It lives in the shared panel too,
   so it is a plain, fixed-size structure: two configurations describe the
   same device exactly when these bytes are equal. */
struct CPanelDescription {
    WORD wNumResolutions;
    WFSTTURESOLUTION resolutions[kMaxResolutions]; // first = power-on size
    WORD wNumOfLEDs;
    BOOL bKeyLock;
    BOOL bDisplayLight;
    BOOL bCursor;
    WCHAR szKeys[kMaxKeys + 1];               // character keys
    WORD wCommandKeys[kMaxCommandKeys + 1];   // ends with WFS_TTU_NOKEY

    bool HasKey(WCHAR wc) const;
    bool HasCommandKey(WORD wKey) const;
    bool HasResolution(WORD wSizeX, WORD wSizeY) const;
};

struct CFormField {
    std::string strName;
    WORD fwType = WFS_TTU_FIELDTEXT;
    WORD fwClass = WFS_TTU_CLASSOPTIONAL;
    WORD fwAccess = WFS_TTU_ACCESSREAD | WFS_TTU_ACCESSWRITE;
    WORD fwOverflow = WFS_TTU_FIELDTRUNCATE;
    std::string strFormat;
    WORD wX = 0, wY = 0, wLength = 0;
    std::wstring strText; // shown when the form is written
};

struct CFormDefinition {
    std::string strName;
    WORD wWidth = 0, wHeight = 0;
    WORD wVersionMajor = 1, wVersionMinor = 0;
    WORD fwCharSupport = WFS_TTU_AVAILASCII;
    std::vector<CFormField> fields;

    const CFormField *FindField(const std::string &strName) const;
};

/* The status words whose changes the panel reports with
   WFS_SYSE_DEVICE_STATUS (the INI key StatusEvents). */
constexpr WORD kStatusDevice = 0x1;
constexpr WORD kStatusKeyboard = 0x2;
constexpr WORD kStatusKeylock = 0x4;
constexpr WORD kStatusLEDs = 0x8;

struct CPanelConfig {
    std::wstring strPath;
    CPanelDescription description{};
    WORD fwCharSupport = WFS_TTU_AVAILASCII;
    bool bForms = false;
    WORD fwStatusEvents = kStatusDevice; // XFS: a change of the device state only
    std::vector<std::string> statusExtra; // "key=value"
    std::vector<std::string> capsExtra;
    std::vector<CFormDefinition> forms;

    const CFormDefinition *FindForm(const std::string &strName) const;
};

/* Reads and checks an INI file. On failure strError names the file, the
   line and what is wrong with it, e.g. "C:\panel.ini(12): unknown key ...". */
bool LoadPanelConfig(const std::wstring &strPath, CPanelConfig &config, std::string &strError);

/* The command key's name as the INI file writes it ("ENTER", "FDK01"), or
   an empty string for a code that names no key. */
std::string CommandKeyName(WORD wKey);
/* The code of a command key name (case-insensitive), 0 if unknown. */
WORD CommandKeyFromName(const std::string &strName);

std::string Narrow(const std::wstring &str, UINT uCodePage = CP_ACP);
std::wstring Widen(const std::string &str, UINT uCodePage = CP_ACP);

#endif
