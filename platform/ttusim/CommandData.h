/*
 * Private copies of the data an application passes with a command or a
 * query. The caller may free its buffers as soon as the SPI call returns,
 * while the request completes later, so everything is copied at once.
 */
#ifndef ZT_TTUSIM_COMMANDDATA_H
#define ZT_TTUSIM_COMMANDDATA_H

#include <string>
#include <vector>

#include "xfsttu.h"

/* A text given in the ANSI field, the UNICODE field, both or neither. */
struct CTextPair {
    bool bAnsi = false, bWide = false;
    std::string strAnsi;
    std::wstring strWide;
};

/* A name=value list given as an ANSI and/or a UNICODE multi-string. */
struct CListPair {
    bool bAnsi = false, bWide = false;
    std::vector<std::string> ansi;
    std::vector<std::wstring> wide;
};

struct CKeyList {
    bool bGiven = false;
    std::vector<WORD> keys; // without the terminating WFS_TTU_NOKEY
};

struct CCommandData {
    /* Non-zero when the data cannot be used at all (a null pointer where
       the command needs data): the request completes with this code. */
    HRESULT hrUnusable = WFS_SUCCESS;

    WFSTTUBEEP beep{};
    WFSTTUCLEARSCREEN clearScreen{};
    WFSTTUDISPLIGHT dispLight{};
    WFSTTUSETLEDS setLed{};
    WFSTTURESOLUTION resolution{};

    WFSTTUWRITE write{};  // its pointers are cleared; the texts are below
    WFSTTUREAD read{};    // the same
    CTextPair text;        // write text, or a read's active keys
    CKeyList activeCommandKeys;
    CKeyList terminateCommandKeys;

    std::string strFormName; // form commands and queries
    bool bClearScreen = false;
    CListPair fields;         // field values of a form write
    bool bAllFields = true;  // form read / field query without names
    std::vector<std::string> fieldNames;
};

CCommandData CopyCommandData(DWORD dwCommand, const void *lpCmdData);
CCommandData CopyQueryDetails(DWORD dwCategory, const void *lpQueryDetails);

#endif
