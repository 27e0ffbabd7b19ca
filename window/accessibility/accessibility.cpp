// SPDX-License-Identifier: MIT
#include "accessibility.h"

#include "accessiblenamebox.h"
#include "atspirequestguard.h"
#include "namechangeannouncer.h"

#include <QAccessibleWidget>
#include <QLabel>
#include <QLineEdit>

namespace {

// Workaround: Qt (6.4.2 to 6.8.2 at least) names an empty label after the caption whose buddy it
// is, so an empty time would be heard as its caption a second time; here a label is known by its
// own text. Can go when the screen-reader test's flat-review row passes without this class.
class AccessibleLabel : public QAccessibleWidget
{
public:
    explicit AccessibleLabel(QLabel *label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return label()->text();
        return QAccessibleWidget::text(t);
    }

    QList<QPair<QAccessibleInterface *, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override
    {
        auto relations = QAccessibleWidget::relations(match);
        if (match & QAccessible::Labelled) {
            if (QAccessibleInterface *labelled =
                    QAccessible::queryAccessibleInterface(label()->buddy()))
                relations.append({labelled, QAccessible::Labelled});
        }
        return relations;
    }

private:
    QLabel *label() const { return static_cast<QLabel *>(widget()); }
};

QAccessibleInterface *createInterface(const QString &className, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget)
        return nullptr;
    // Workaround: Qt (6.4.2 to 6.8.2 at least) makes a window that is a plain widget a filler,
    // where screen readers look for a frame to read the title of. Can go when the accessibility
    // test's "window role" row passes without this line.
    if (className == QLatin1StringView("frmStopWatch"))
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (className == QLatin1StringView("QLabel"))
        return new AccessibleLabel(static_cast<QLabel *>(widget));
    if (className == QLatin1StringView("QLineEdit"))
        return new AccessibleNameBox(static_cast<QLineEdit *>(widget));
    return nullptr;
}

} // namespace

void installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(createInterface);
        announceNameChangesWithTheName();
        guardAssistiveRequests();
        return true;
    }();
    Q_UNUSED(installed);
}
