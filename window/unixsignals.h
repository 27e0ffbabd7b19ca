// SPDX-License-Identifier: MIT
#pragma once

class QWidget;

// Makes SIGTERM, which a desktop session sends at logout, and SIGINT close the window and end the
// program with exit status 0. Does nothing where there are no such signals.
void closeOnTerminationSignals(QWidget *window);
