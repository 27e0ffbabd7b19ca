// SPDX-License-Identifier: MIT
#pragma once

class QWidget;

// When QVR_STOPWATCH_TICK_LOG names a file, each refresh of the window appends a line to it: the
// wall-clock time of the refresh in milliseconds since 1970 and the ending time it shows. It exists
// to measure how closely the display follows the clock; nothing is logged unless asked for.
void attachTickLog(QWidget *window);
