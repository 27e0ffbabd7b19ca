// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Qt's own connection to the accessibility bus, and the path below which its bridge puts the
// program's objects there: /org/a11y/atspi/accessible/<id>, and .../root for the application.
inline const QString QtAtSpiConnection = QStringLiteral("a11y");
inline const QString QtAtSpiObjects = QStringLiteral("/org/a11y/atspi/accessible");
