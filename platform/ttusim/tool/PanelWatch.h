/*
 * `ttupanel watch`: a live view of the panel that redraws whenever the
 * panel's change count moves, and presses the keys typed in the console.
 */
#ifndef ZT_TTUPANEL_PANELWATCH_H
#define ZT_TTUPANEL_PANELWATCH_H

// Returns the process exit code.
int RunWatch();

#endif
