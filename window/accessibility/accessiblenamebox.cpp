// SPDX-License-Identifier: MIT
#include "accessiblenamebox.h"

#include <QLineEdit>

namespace {

// Tools may send any number as an offset; one past the text's ends is refused rather than padded.
bool isOffset(int offset, int length)
{
    return 0 <= offset && offset <= length;
}

bool isRange(int start, int end, int length)
{
    return isOffset(start, length) && start <= end && end <= length;
}

} // namespace

AccessibleNameBox::AccessibleNameBox(QLineEdit *box)
    : QAccessibleWidget(box, QAccessible::EditableText)
{
}

QLineEdit *AccessibleNameBox::box() const
{
    return static_cast<QLineEdit *>(widget());
}

QString AccessibleNameBox::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return box()->text();
    return QAccessibleWidget::text(t);
}

void AccessibleNameBox::setText(QAccessible::Text t, const QString &text)
{
    if (t == QAccessible::Value)
        box()->setText(text);
    else
        QAccessibleWidget::setText(t, text);
}

QAccessible::State AccessibleNameBox::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = !box()->isReadOnly();
    state.readOnly = box()->isReadOnly();
    state.selectableText = true;
    return state;
}

void *AccessibleNameBox::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

void AccessibleNameBox::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    // Without a selection, -1 tells the tool to take the cursor's place.
    *startOffset = *endOffset = -1;
    if (selectionIndex != 0 || !box()->hasSelectedText())
        return;
    *startOffset = box()->selectionStart();
    *endOffset = box()->selectionEnd();
}

int AccessibleNameBox::selectionCount() const
{
    return box()->hasSelectedText() ? 1 : 0;
}

void AccessibleNameBox::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void AccessibleNameBox::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        box()->deselect();
}

void AccessibleNameBox::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    // A selection may run backwards, from its end to its start.
    if (selectionIndex == 0 && isOffset(startOffset, characterCount()) &&
        isOffset(endOffset, characterCount()))
        box()->setSelection(startOffset, endOffset - startOffset);
}

int AccessibleNameBox::cursorPosition() const
{
    return box()->cursorPosition();
}

void AccessibleNameBox::setCursorPosition(int position)
{
    if (isOffset(position, characterCount()))
        box()->setCursorPosition(position);
}

QString AccessibleNameBox::text(int startOffset, int endOffset) const
{
    if (startOffset < 0 || startOffset > endOffset)
        return QString();
    return box()->text().mid(startOffset, endOffset - startOffset);
}

QString AccessibleNameBox::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                            int *startOffset, int *endOffset) const
{
    return item(TextItem::Before, offset, boundaryType, startOffset, endOffset);
}

QString AccessibleNameBox::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                           int *startOffset, int *endOffset) const
{
    return item(TextItem::After, offset, boundaryType, startOffset, endOffset);
}

QString AccessibleNameBox::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                        int *startOffset, int *endOffset) const
{
    return item(TextItem::At, offset, boundaryType, startOffset, endOffset);
}

QString AccessibleNameBox::item(TextItem which, int offset, QAccessible::TextBoundaryType boundary,
                                int *startOffset, int *endOffset) const
{
    const QString text = box()->text();
    // Assistive tools ask at offset -2 for the text at the cursor.
    const TextRange range =
        textItem(text, boundary, which, offset == -2 ? cursorPosition() : offset);
    *startOffset = range.start;
    *endOffset = range.end;
    return range.start < 0 ? QString() : text.mid(range.start, range.end - range.start);
}

int AccessibleNameBox::characterCount() const
{
    return int(box()->text().size());
}

qreal AccessibleNameBox::xOf(int offset) const
{
    const QString text = box()->text();
    const Qt::LayoutDirection direction = box()->layoutDirection();
    if (layout.text() != text || layout.font() != box()->font() ||
        layout.textOption().textDirection() != direction || layout.lineCount() != 1) {
        QTextOption option;
        option.setTextDirection(direction);
        option.setFlags(QTextOption::IncludeTrailingSpaces);
        option.setWrapMode(QTextOption::NoWrap);
        layout.setText(text);
        layout.setFont(box()->font());
        layout.setTextOption(option);
        layout.setCacheEnabled(true);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
    }
    return layout.lineAt(0).cursorToX(offset);
}

QRect AccessibleNameBox::characterRect(int offset) const
{
    if (offset < 0 || offset >= characterCount())
        return QRect();
    // Measured from the cursor, whose place the box knows however far its text is scrolled.
    const QRect cursor = box()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const qreal from = cursor.x() - xOf(box()->cursorPosition());
    // Right to left, a character's end lies before its start.
    const int start = qRound(from + xOf(offset));
    const int end = qRound(from + xOf(offset + 1));
    const QRect character(qMin(start, end), cursor.y(), qAbs(end - start), cursor.height());
    return character.translated(box()->mapToGlobal(QPoint(0, 0)));
}

int AccessibleNameBox::offsetAtPoint(const QPoint &point) const
{
    return box()->cursorPositionAt(box()->mapFromGlobal(point));
}

void AccessibleNameBox::scrollToSubstring(int startIndex, int endIndex)
{
    if (!isRange(startIndex, endIndex, characterCount()))
        return;
    box()->setCursorPosition(endIndex);
    box()->setCursorPosition(startIndex);
}

QString AccessibleNameBox::attributes(int offset, int *startOffset, int *endOffset) const
{
    // The text has no attributes, so it is one run from its start to its end.
    if (offset == -1)
        offset = characterCount();
    if (offset < 0 || offset > characterCount()) {
        *startOffset = *endOffset = -1;
        return QString();
    }
    *startOffset = 0;
    *endOffset = characterCount();
    return QString();
}

// Workaround: Qt's QAccessibleLineEdit (6.4.2 to 6.8.2 at least) edits with QString, which pads a
// text with spaces to reach a position past its end, and the box then cuts a text longer than its
// maximum length; so an edit that cannot be made whole is not made at all. Can go when
// tst_windowlayout's everyTextRequestIsAnsweredAtOnce passes with Qt's own interface.
void AccessibleNameBox::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, QString());
}

void AccessibleNameBox::insertText(int offset, const QString &text)
{
    replaceText(offset, offset, text);
}

void AccessibleNameBox::replaceText(int startOffset, int endOffset, const QString &text)
{
    QString name = box()->text();
    if (!isRange(startOffset, endOffset, int(name.size())))
        return;
    name.replace(startOffset, endOffset - startOffset, text);
    if (name.size() <= box()->maxLength())
        box()->setText(name);
}
