// SPDX-License-Identifier: MIT
#pragma once

class QWidget;

// When QVR_STOPWATCH_TICK_LOG names a file, each refresh of the window appends a line to it: the
// wall-clock time of the refresh in milliseconds since 1970, the ending time and the total it shows.
// It exists to measure how closely the display follows the clock, and to read the window where no
// accessibility bus reaches it; nothing is logged unless asked for.
void attachTickLog(QWidget *window);
