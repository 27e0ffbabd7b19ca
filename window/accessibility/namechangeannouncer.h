// SPDX-License-Identifier: MIT
#pragma once

// Qt 6.4 tells AT-SPI of a new accessible name by sending the object itself where the name belongs,
// which screen readers cannot use: a button's new caption goes unheard. From this call on, names
// are sent as AT-SPI defines them, as later Qt versions do. Where there is no AT-SPI, it does
// nothing.
void announceNameChangesWithTheName();
