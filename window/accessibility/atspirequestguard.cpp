// SPDX-License-Identifier: MIT
#include "atspirequestguard.h"

#include <QAccessible>

#ifdef STOPWATCH_ATSPI

#include "atspiregistration.h"
#include "qtatspibus.h"

#include <QClipboard>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QGuiApplication>
#include <QHash>
#include <QRect>
#include <QTimer>
#include <QXmlStreamReader>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString AtSpi = QStringLiteral("org.a11y.atspi.");
const QString Properties = QStringLiteral("org.freedesktop.DBus.Properties");
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

// An object's interfaces as the bridge describes them (its D-Bus introspection, built from the
// same list that GetInterfaces reports), each with the arguments its methods take.
using Description = QHash<QString, QHash<QString, QString>>;

Description read(const QString &introspection)
{
    Description description;
    QHash<QString, QString> *methods = nullptr;
    QString *arguments = nullptr;
    // The introspection is a run of <interface> elements without a root.
    QXmlStreamReader xml("<node>"_L1 + introspection + "</node>"_L1);
    while (xml.readNext() != QXmlStreamReader::Invalid && !xml.atEnd()) {
        if (xml.isEndElement() && xml.name() == "method"_L1)
            arguments = nullptr;
        if (!xml.isStartElement())
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == "interface"_L1)
            methods = &description[attributes.value("name"_L1).toString()];
        else if (methods && xml.name() == "method"_L1)
            arguments = &(*methods)[attributes.value("name"_L1).toString()];
        else if (arguments && xml.name() == "arg"_L1 &&
                 attributes.value("direction"_L1) != "out"_L1)
            arguments->append(attributes.value("type"_L1));
    }
    return description;
}

// The bridge builds each object's introspection from a few fixed parts, one for each interface, so
// few distinct ones arise: each is read once.
const Description &describe(const QString &introspection)
{
    static QHash<QString, Description> read_;
    auto found = read_.constFind(introspection);
    if (found == read_.cend())
        found = read_.insert(introspection, read(introspection));
    return *found;
}

// Workaround: Qt's bridge goes by the interface a request names, not by what its object offers, and
// reads the arguments it expects without a look at what came. From Qt 6.4.2 to 6.8.2 at least, an
// edit sent to a button or a label is made on the object's text at positions nothing checks (a
// length of -2^31 ends the program, a position of 2^31 - 1 pads the text with gigabytes), and a
// request with fewer arguments than its method takes reads past their end and ends the program. So
// a request for an AT-SPI interface reaches the bridge only when the object lists that interface,
// and, for a method it lists, only with the arguments listed: anything else is refused as D-Bus
// refuses a method an object does not have. A property's request names its interface in its
// arguments. Can go when the accessibility test passes with the guard left out, on every Qt we
// build with.
std::optional<QDBusMessage> refusal(const QDBusVirtualObject &bridge, const QDBusMessage &request)
{
    QString interface = request.interface();
    QString method = request.member();
    const QString signature = request.signature();
    const auto refuse = [&](const QString &what) {
        return request.createErrorReply(
            QDBusError::UnknownMethod,
            QStringLiteral("No %1 at object path '%2'").arg(what, request.path()));
    };
    if (interface == Properties) {
        // Get(interface, property) and Set(interface, property, value).
        if (!(method == "Get"_L1 && signature == "ss"_L1) &&
            !(method == "Set"_L1 && signature == "ssv"_L1))
            return refuse(QStringLiteral("method '%1' with signature '%2' in interface '%3'")
                              .arg(method, signature, interface));
        interface = request.arguments().constFirst().toString();
        method.clear();
    }
    if (!interface.startsWith(AtSpi))
        return std::nullopt;
    // Workaround: GCC 14 (Debian 13's) warns with -Wdangling-reference when describe() is given the
    // temporary straight, though its answer lives in a static table. Can go when the sanitizer
    // build of Debian 13's GCC compiles describe(bridge.introspect(request.path())) cleanly.
    const QString introspection = bridge.introspect(request.path());
    const Description &description = describe(introspection);
    const auto methods = description.constFind(interface);
    if (methods == description.cend())
        return refuse(QStringLiteral("interface '%1'").arg(interface));
    const auto arguments = methods->constFind(method);
    if (arguments != methods->cend() && *arguments != signature)
        return refuse(QStringLiteral("method '%1' with signature '%2' in interface '%3'")
                          .arg(method, signature, interface));
    return std::nullopt;
}

constexpr int WindowCoordinates = 1; // ATSPI_COORD_TYPE_WINDOW

// The window's place on the screen, from which window coordinates count. The window is the nearest
// frame or dialog, as the bridge finds it.
QPoint windowOrigin(QAccessibleInterface *object)
{
    QAccessibleInterface *window = object;
    while (window && window->role() != QAccessible::Window && window->role() != QAccessible::Dialog)
        window = window->parent();
    return window ? window->rect().topLeft() : QPoint();
}

#if QT_VERSION < QT_VERSION_CHECK(6, 5, 4) || QT_VERSION == QT_VERSION_CHECK(6, 6, 0)
#define STOPWATCH_WINDOW_EXTENTS
// Workaround: until Qt 6.5.4, and in 6.6.0, the bridge moves only the top-left corner of an
// object's rectangle into window coordinates (QTBUG-106527), which leaves its size too large by the
// window's place on the screen. Can go when Qt 6.4 is no longer built with; until then the
// accessibility test's window-extents rows fail there.
const QString Component = QStringLiteral("org.a11y.atspi.Component");

QRect inWindowCoordinates(QAccessibleInterface *object)
{
    return object->rect().translated(-windowOrigin(object));
}
#endif

// Workaround: the bridge (Qt 6.4.2 to 6.8.2 at least) answers true to every edit, made or not, and
// pads the text to insert to whatever length the client gives, with up to 4 GB. The edit is made
// here instead, whole or not at all, and the answer is true only when the text has changed into
// what the request asked for. Can go with the guard as a whole (see refusal above).
std::optional<QDBusMessage> edit(QAccessibleInterface *object, const QDBusMessage &request)
{
    QAccessibleEditableTextInterface *editable = object->editableTextInterface();
    QAccessibleTextInterface *text = object->textInterface();
    if (!editable || !text)
        return std::nullopt;
    const QString &method = request.member();
    const QList<QVariant> arguments = request.arguments();
    const auto argument = [&arguments](int i) { return arguments.value(i).toInt(); };
    const QString before = text->text(0, text->characterCount());
    const auto isOffset = [&before](int offset) { return 0 <= offset && offset <= before.size(); };
    const auto isRange = [&](int start, int end) {
        return isOffset(start) && start <= end && isOffset(end);
    };

    // The text the request asks for, where it is possible at all.
    std::optional<QString> wanted;
    if (method == "InsertText"_L1 || method == "PasteText"_L1) {
        // The first `length` characters of the text go in at the position.
        const bool paste = method == "PasteText"_L1;
        const QString given =
            paste ? QGuiApplication::clipboard()->text() : arguments.value(1).toString();
        const int position = argument(0);
        const int length = paste ? int(given.size()) : argument(2);
        if (isOffset(position) && 0 <= length && length <= given.size()) {
            wanted = QString(before).insert(position, given.left(length));
            editable->insertText(position, given.left(length));
        }
    } else if (method == "DeleteText"_L1 || method == "CutText"_L1) {
        const int start = argument(0);
        const int end = argument(1);
        if (isRange(start, end)) {
            wanted = QString(before).remove(start, end - start);
            editable->deleteText(start, end);
        }
    } else if (method == "SetTextContents"_L1) {
        wanted = arguments.value(0).toString();
        editable->replaceText(0, int(before.size()), *wanted);
    } else {
        return std::nullopt;
    }
    const QString after = text->text(0, text->characterCount());
    const bool made = wanted && after != before && after == *wanted;
    if (made && method == "CutText"_L1)
        QGuiApplication::clipboard()->setText(before.mid(argument(0), argument(1) - argument(0)));
    return request.createReply(made);
}

// Workaround: the answer to a request that Qt's bridge would get wrong, or nothing for one it gets
// right. From Qt 6.4.2 to 6.8.2 at least, the bridge asks for the place of every offset in a range
// the client names, up to 2^32 of them, one past the range's end included, and sends no reply to
// GetBoundedRanges, for want of a D-Bus type for the empty list. Can go with the guard as a whole
// (see refusal above).
std::optional<QDBusMessage> answer(const QDBusVirtualObject &bridge, const QDBusMessage &request)
{
    if (std::optional<QDBusMessage> refused = refusal(bridge, request))
        return refused;
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

    if (request.interface() == EditableText)
        return edit(object, request);

    if (request.interface() == Text && object->textInterface()) {
        QAccessibleTextInterface *text = object->textInterface();
        if (method == "GetBoundedRanges"_L1)
            return request.createReply(QVariant::fromValue(QList<TextRange>()));
        if (method == "GetRangeExtents"_L1) {
            const int length = text->characterCount();
            const int start = argument(0);
            const int end = argument(1) == -1 ? length : argument(1);
            if (!(0 <= start && start < end && end <= length))
                // What the bridge answers for an empty range.
                return request.createReply(QList<QVariant>{-1, -1, 0, 0});
            if (object->state().multiLine)
                return std::nullopt;
            // On one line, a range reaches from its first character to its last: measuring each
            // character between them, as the bridge does, would take minutes for a long name.
            QRect range = text->characterRect(start) | text->characterRect(end - 1);
            if (argument(2) == WindowCoordinates)
                range.translate(-windowOrigin(object));
            return request.createReply(
                QList<QVariant>{range.x(), range.y(), range.width(), range.height()});
        }
    }

#ifdef STOPWATCH_WINDOW_EXTENTS
    if (request.interface() == Component) {
        if (method == "GetExtents"_L1 && argument(0) == WindowCoordinates)
            return request.createReply(QVariant::fromValue(inWindowCoordinates(object)));
        if (method == "Contains"_L1 && argument(2) == WindowCoordinates)
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
        if (const std::optional<QDBusMessage> reply = answer(*bridge, message))
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

void bridgeRegistered()
{
    guardBridge();
    rejoinRestartedRegistry();
}

class BridgeWatch : public QAccessible::ActivationObserver
{
    void accessibilityActiveChanged(bool active) override
    {
        // Called just before the bridge registers itself.
        if (active)
            QTimer::singleShot(0, bridgeRegistered);
    }
};

} // namespace

void guardAssistiveRequests()
{
    static BridgeWatch watch;
    QAccessible::installActivationObserver(&watch);
    if (QAccessible::isActive())
        bridgeRegistered();
}

#else

void guardAssistiveRequests() {}

#endif
