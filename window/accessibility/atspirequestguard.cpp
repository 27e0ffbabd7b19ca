// SPDX-License-Identifier: MIT
#include "atspirequestguard.h"

#include <QAccessible>

#ifdef STOPWATCH_ATSPI

#include "qtatspibus.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QRect>
#include <QTimer>

#include <optional>

namespace {

const QString Text = QStringLiteral("org.a11y.atspi.Text");
const QString EditableText = QStringLiteral("org.a11y.atspi.EditableText");

// An item of Text.GetBoundedRanges's answer, which Qt cannot send for want of this type.
struct TextRange
{
    int start = 0;
    int end = 0;
    QString text;
    QDBusVariant data;
};

QDBusArgument &operator<<(QDBusArgument &argument, const TextRange &range)
{
    argument.beginStructure();
    argument << range.start << range.end << range.text << range.data;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, TextRange &range)
{
    argument.beginStructure();
    argument >> range.start >> range.end >> range.text >> range.data;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(TextRange)

namespace {

QAccessibleInterface *objectAt(const QString &path)
{
    // The application, .../root, has no text or extents.
    bool isId = false;
    const QAccessible::Id id = path.section(u'/', -1).toUInt(&isId);
    QAccessibleInterface *object = isId ? QAccessible::accessibleInterface(id) : nullptr;
    return object && object->isValid() ? object : nullptr;
}

#if QT_VERSION < QT_VERSION_CHECK(6, 5, 4) || QT_VERSION == QT_VERSION_CHECK(6, 6, 0)
#define STOPWATCH_WINDOW_EXTENTS
// Until Qt 6.5.4, and in 6.6.0, the bridge moves only the top-left corner of an object's rectangle
// into window coordinates (QTBUG-106527), which leaves its size too large by the window's place on
// the screen. The window is the nearest frame or dialog, as the bridge finds it.
const QString Component = QStringLiteral("org.a11y.atspi.Component");
constexpr int WindowCoordinates = 1; // ATSPI_COORD_TYPE_WINDOW

QRect inWindowCoordinates(QAccessibleInterface *object)
{
    QAccessibleInterface *window = object;
    while (window && window->role() != QAccessible::Window && window->role() != QAccessible::Dialog)
        window = window->parent();
    const QRect rect = object->rect();
    return window ? rect.translated(-window->rect().topLeft()) : rect;
}
#endif

// The answer to a request that Qt's bridge would get wrong, or nothing for one it gets right. From
// Qt 6.4.2 to 6.8.2 at least, the bridge asks for the place of every offset in a range the client
// names, up to 2^32 of them; pads the text to insert to whatever length the client gives, with up
// to 4 GB; and sends no reply to GetBoundedRanges, for want of a D-Bus type for the empty list.
std::optional<QDBusMessage> answer(const QDBusMessage &request)
{
    // Requests of other interfaces go to the bridge without a look at their object.
    const bool mayGuard = request.interface() == Text || request.interface() == EditableText
#ifdef STOPWATCH_WINDOW_EXTENTS
                          || request.interface() == Component
#endif
        ;
    QAccessibleInterface *object = mayGuard ? objectAt(request.path()) : nullptr;
    if (!object)
        return std::nullopt;
    const QString &method = request.member();
    const QList<QVariant> arguments = request.arguments();
    const auto argument = [&arguments](int i) { return arguments.value(i).toInt(); };

    if (request.interface() == Text && object->textInterface()) {
        QAccessibleTextInterface *text = object->textInterface();
        if (method == QLatin1StringView("GetBoundedRanges"))
            return request.createReply(QVariant::fromValue(QList<TextRange>()));
        if (method == QLatin1StringView("GetRangeExtents")) {
            const int length = text->characterCount();
            const int start = argument(0);
            const int end = argument(1) == -1 ? length : argument(1);
            if (0 <= start && start <= end && end <= length)
                return std::nullopt;
            // What the bridge answers for an empty range.
            return request.createReply(QList<QVariant>{-1, -1, 0, 0});
        }
    }

    if (request.interface() == EditableText && method == QLatin1StringView("InsertText") &&
        object->editableTextInterface() && object->textInterface()) {
        // The first `length` characters of the text go in at the position.
        const int position = argument(0);
        const QString text = arguments.value(1).toString();
        const int length = argument(2);
        const int before = object->textInterface()->characterCount();
        const bool possible =
            0 <= position && position <= before && 0 <= length && length <= text.size();
        if (possible)
            object->editableTextInterface()->insertText(position, text.left(length));
        return request.createReply(possible &&
                                   object->textInterface()->characterCount() == before + length);
    }

#ifdef STOPWATCH_WINDOW_EXTENTS
    if (request.interface() == Component) {
        if (method == QLatin1StringView("GetExtents") && argument(0) == WindowCoordinates)
            return request.createReply(QVariant::fromValue(inWindowCoordinates(object)));
        if (method == QLatin1StringView("Contains") && argument(2) == WindowCoordinates)
            return request.createReply(
                inWindowCoordinates(object).contains(argument(0), argument(1)));
    }
#endif
    return std::nullopt;
}

class RequestGuard : public QDBusVirtualObject
{
public:
    explicit RequestGuard(QDBusVirtualObject *bridge) : QDBusVirtualObject(bridge), bridge(bridge)
    {
    }

    QString introspect(const QString &path) const override { return bridge->introspect(path); }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        if (const std::optional<QDBusMessage> reply = answer(message))
            return connection.send(*reply);
        return bridge->handleMessage(message, connection);
    }

private:
    QDBusVirtualObject *bridge;
};

// Qt registers its bridge when a screen reader turns accessibility on; the guard takes its place,
// handing on to it what it does not answer.
void guardBridge()
{
    QDBusConnection bus(QtAtSpiConnection);
    auto *bridge = qobject_cast<QDBusVirtualObject *>(bus.objectRegisteredAt(QtAtSpiObjects));
    if (!bridge || dynamic_cast<RequestGuard *>(bridge))
        return;
    qDBusRegisterMetaType<TextRange>();
    qDBusRegisterMetaType<QList<TextRange>>();
    auto *guard = new RequestGuard(bridge);
    bus.unregisterObject(QtAtSpiObjects, QDBusConnection::UnregisterTree);
    if (!bus.registerVirtualObject(QtAtSpiObjects, guard, QDBusConnection::SubPath)) {
        // Better the bridge alone than no answers at all.
        delete guard;
        bus.registerVirtualObject(QtAtSpiObjects, bridge, QDBusConnection::SubPath);
    }
}

class BridgeWatch : public QAccessible::ActivationObserver
{
    void accessibilityActiveChanged(bool active) override
    {
        // Called just before the bridge registers itself.
        if (active)
            QTimer::singleShot(0, guardBridge);
    }
};

} // namespace

void guardAssistiveRequests()
{
    static BridgeWatch watch;
    QAccessible::installActivationObserver(&watch);
    if (QAccessible::isActive())
        guardBridge();
}

#else

void guardAssistiveRequests() {}

#endif
