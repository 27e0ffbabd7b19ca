// SPDX-License-Identifier: MIT
#pragma once

// Stands in front of Qt's AT-SPI bridge and answers at once, itself, the few requests that the
// bridge would turn into a frozen window, an allocation the size of a number the client sent, no
// reply at all, or a wrong size; every other request reaches the bridge unchanged. Where there is
// no AT-SPI, it does nothing.
void guardAssistiveRequests();
