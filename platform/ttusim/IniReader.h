/*
 * The syntax of a panel configuration: sections, keys and their values.
 */
#ifndef ZT_TTUSIM_INIREADER_H
#define ZT_TTUSIM_INIREADER_H

#include "PanelConfig.h"

/* Parses the INI text into config. On failure nLine is the line at fault
   (0: the file as a whole) and strError says what is wrong. */
bool ParsePanelIni(const std::string &strText, CPanelConfig &config, int &nLine,
                   std::string &strError);

#endif
