// SPDX-License-Identifier: MIT
#pragma once

// Makes the window, its labels and its name box known to assistive tools as a screen reader user
// needs them: the window as a frame with its title, each label by its own text alone, and a name
// box that answers every question about its text. Safe to call more than once.
void installAccessibility();
