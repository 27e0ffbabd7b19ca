// SPDX-License-Identifier: MIT
#pragma once

#include "textboundaries.h"

#include <QAccessibleWidget>
#include <QTextLayout>

class QLineEdit;

// Workaround: the name box as assistive tools see it, an editable line of text. Qt's own answer
// (6.4.2 to 6.8.2 at least) loops for ever when a screen reader asks for the word or sentence at
// the end of the text, which would stop the stopwatch with it, and reports the text's one attribute
// run as empty, which makes a screen reader drop the last letter; this one answers every question
// at once and reports the run whole. Can go when tst_windowlayout's
// everyTextRequestIsAnsweredAtOnce passes with Qt's own QLineEdit interface.
class AccessibleNameBox : public QAccessibleWidget,
                          public QAccessibleTextInterface,
                          public QAccessibleEditableTextInterface
{
public:
    explicit AccessibleNameBox(QLineEdit *box);

    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text t, const QString &text) override;
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int *startOffset, int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int *startOffset, int *endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                         int *endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString &text) override;
    void replaceText(int startOffset, int endOffset, const QString &text) override;

private:
    QLineEdit *box() const;
    QString item(TextItem which, int offset, QAccessible::TextBoundaryType boundary,
                 int *startOffset, int *endOffset) const;
    qreal xOf(int offset) const;

    // The name laid out on one line as the box lays it out, kept until the name, its font or its
    // direction changes: a character's place is then read off it, where measuring the text before
    // it each time would cost a second a request for a name of a few thousand characters.
    mutable QTextLayout layout;
};
