/*
 * The answers to the six TTU information categories.
 */
#ifndef ZT_TTUSIM_INFOANSWERS_H
#define ZT_TTUSIM_INFOANSWERS_H

#include "CommandData.h"
#include "PanelConfig.h"
#include "ResultBuilder.h"
#include "SharedPanel.h"

/* Fills the result's buffer for dwCategory and returns the code the
   request completes with (the buffer stays null on failure). */
HRESULT AnswerInfo(const CPanelConfig &config, const CPanelState &state, DWORD dwCategory,
                   const CCommandData &query, CResultBuilder &result);

#endif
