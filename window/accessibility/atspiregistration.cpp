// SPDX-License-Identifier: MIT
#include "atspiregistration.h"

#ifdef STOPWATCH_ATSPI

#include "qtatspibus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QVersionNumber>

void reachScreenReadersStartedLater()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
    // Workaround: Qt 6.4.2's bridge reads the session's accessibility status (ScreenReaderEnabled,
    // IsEnabled) once, as the program starts, and never follows it, so a screen reader started
    // afterwards never finds the program; 6.8.2 follows it. On a Qt before 6.8 the bridge is on
    // from the start, through Qt's own variable for sessions that set no status. It can go when
    // Qt 6.4 is no longer built with; until then the screen-reader test's row that starts Orca
    // after the program fails on Qt 6.4 without it.
    if (QVersionNumber::fromString(QString::fromLatin1(qVersion())) < QVersionNumber(6, 8))
        qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
#endif
}

void rejoinRestartedRegistry()
{
    // Workaround: Qt's bridge (6.4.2 to 6.8.2 at least) asks the registry to list the application
    // once, when accessibility turns on, so a registry that restarts lists it no more. Each new
    // registry is asked again, as GTK's bridge does. It can go when Qt's bridge follows the
    // registry itself: the `accessibility` test's registry-restart row then passes without it.
    static const QString Registry = QStringLiteral("org.a11y.atspi.Registry");
    static QDBusServiceWatcher *watcher = nullptr;
    const QDBusConnection bus(QtAtSpiConnection);
    if (watcher || !bus.isConnected())
        return;
    watcher = new QDBusServiceWatcher(Registry, bus, QDBusServiceWatcher::WatchForOwnerChange,
                                      QCoreApplication::instance());
    QObject::connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, watcher,
                     [bus](const QString &, const QString &, const QString &owner) {
                         if (owner.isEmpty())
                             return;
                         QDBusMessage embed = QDBusMessage::createMethodCall(
                             Registry, QtAtSpiObjects + QStringLiteral("/root"),
                             QStringLiteral("org.a11y.atspi.Socket"), QStringLiteral("Embed"));
                         embed << QVariant::fromValue(applicationReference(bus));
                         // The answer, the registry's own place, is not needed.
                         bus.send(embed);
                     });
}

#else

void reachScreenReadersStartedLater() {}
void rejoinRestartedRegistry() {}

#endif
