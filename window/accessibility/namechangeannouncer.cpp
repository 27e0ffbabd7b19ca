// SPDX-License-Identifier: MIT
#include "namechangeannouncer.h"

#include <QAccessible>

#if defined(STOPWATCH_ATSPI) && QT_VERSION < QT_VERSION_CHECK(6, 7, 0)

#include "qtatspibus.h"

#include <QDBusMessage>
#include <QDBusVariant>

namespace {

// The property-change event as Qt sends it, with the name as its data.
bool sendName(QAccessibleInterface *object)
{
    QDBusConnection bus(QtAtSpiConnection);
    if (!bus.isConnected() || !object->isValid() || object->role() == QAccessible::Application)
        return false;
    QDBusMessage event = QDBusMessage::createSignal(
        QtAtSpiObjects + u'/' + QString::number(QAccessible::uniqueId(object)),
        QStringLiteral("org.a11y.atspi.Event.Object"), QStringLiteral("PropertyChange"));
    event << QStringLiteral("accessible-name") << 0 << 0
          << QVariant::fromValue(QDBusVariant(object->text(QAccessible::Name)))
          << QVariant::fromValue(applicationReference(bus));
    return bus.send(event);
}

void update(QAccessibleEvent *event)
{
    QAccessibleInterface *object = event->accessibleInterface();
    if (event->type() == QAccessible::NameChanged && object && sendName(object))
        return;
    // Everything else reaches Qt's own bridge as it would without this handler.
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(update);
}

} // namespace

void announceNameChangesWithTheName()
{
    QAccessible::installUpdateHandler(update);
}

#else

void announceNameChangesWithTheName() {}

#endif
