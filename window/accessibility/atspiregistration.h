// SPDX-License-Identifier: MIT
#pragma once

// Keeps the program where screen readers find it: on the accessibility bus whenever a screen reader
// turns on, however long after the program it starts (call before the application is made), and
// listed again by an AT-SPI registry that has restarted (call once Qt's bridge has registered).
// Where there is no AT-SPI, both do nothing.
void reachScreenReadersStartedLater();
void rejoinRestartedRegistry();
