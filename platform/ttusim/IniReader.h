/*
 * The syntax of a panel configuration: sections, keys and their values.
 */
#ifndef ZT_TTUSIM_INIREADER_H
#define ZT_TTUSIM_INIREADER_H

#include "PanelConfig.h"

namespace ttusim {

/* Parses the INI text into config. On failure nLine is the line at fault
   (0: the file as a whole) and strError says what is wrong. */
bool ParsePanelIni(const std::string &strText, PanelConfig &config, int &nLine,
                   std::string &strError);

} // namespace ttusim

#endif
