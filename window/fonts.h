// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>

// Sizes are in pixels so that text and the pixel layout scale together on any screen.
QFont sansFont(int pixelSize, QFont::Weight weight = QFont::Normal);
QFont fixedPitchFont(int pixelSize, QFont::Weight weight = QFont::Normal);
