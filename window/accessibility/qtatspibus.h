// SPDX-License-Identifier: MIT
#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QString>

// Qt's own connection to the accessibility bus, and the path below which its bridge puts the
// program's objects there: /org/a11y/atspi/accessible/<id>, and .../root for the application.
inline const QString QtAtSpiConnection = QStringLiteral("a11y");
inline const QString QtAtSpiObjects = QStringLiteral("/org/a11y/atspi/accessible");

// The application as AT-SPI names an object: its bus name and its root's path.
inline QDBusArgument applicationReference(const QDBusConnection &bus)
{
    QDBusArgument application;
    application.beginStructure();
    application << bus.baseService() << QDBusObjectPath(QtAtSpiObjects + QStringLiteral("/root"));
    application.endStructure();
    return application;
}
