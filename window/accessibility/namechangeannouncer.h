// SPDX-License-Identifier: MIT
#pragma once

// Workaround: Qt 6.4 tells AT-SPI of a new accessible name by sending the object itself where the
// name belongs, which screen readers cannot use: a button's new caption goes unheard. From this
// call on, names are sent as AT-SPI defines them, as later Qt versions do. Qt 6.7 does so itself
// (the change came in 6.5 or 6.6, we could not tell which; sending the name ourselves there does
// what Qt does); from 6.7 on, and where there is no AT-SPI, this does nothing. Can go when Qt 6.7
// is the oldest Qt we build with.
void announceNameChangesWithTheName();
