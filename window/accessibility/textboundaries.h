// SPDX-License-Identifier: MIT
#pragma once

#include <QAccessible>
#include <QString>

// What an assistive tool asks of a piece of text: the character, word, sentence or line at, before
// or after an offset. The items tile the text from its start to its end, so every offset lies in
// exactly one of them and the end lies just past the last; a question about anything outside the
// text is answered with nothing.
struct TextRange
{
    int start = -1;
    int end = -1;
};

enum class TextItem { Before, At, After };

// The offset -1 stands for the end of the text, as assistive tools use it.
TextRange textItem(const QString &text, QAccessible::TextBoundaryType boundary, TextItem which,
                   int offset);
