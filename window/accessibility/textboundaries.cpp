// SPDX-License-Identifier: MIT
#include "textboundaries.h"

#include <QList>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace {

// Where the items of the given kind begin and end, from 0 to the length of the text. Asked to go
// past the end, the finder answers -1, which ends the walk.
QList<int> itemBoundaries(const QString &text, QTextBoundaryFinder::BoundaryType type)
{
    QList<int> boundaries{0};
    QTextBoundaryFinder finder(type, text);
    while (finder.toNextBoundary() > 0) {
        const auto reasons = finder.boundaryReasons();
        if (reasons & (QTextBoundaryFinder::StartOfItem | QTextBoundaryFinder::EndOfItem))
            boundaries.append(finder.position());
    }
    if (boundaries.back() != text.size())
        boundaries.append(text.size());
    return boundaries;
}

} // namespace

TextRange textItem(const QString &text, QAccessible::TextBoundaryType boundary, TextItem which,
                   int offset)
{
    const int length = int(text.size());
    if (offset == -1)
        offset = length;
    if (text.isEmpty() || offset < 0 || offset > length)
        return {};

    QTextBoundaryFinder::BoundaryType type;
    switch (boundary) {
    case QAccessible::CharBoundary:
        type = QTextBoundaryFinder::Grapheme;
        break;
    case QAccessible::WordBoundary:
        type = QTextBoundaryFinder::Word;
        break;
    case QAccessible::SentenceBoundary:
        type = QTextBoundaryFinder::Sentence;
        break;
    default:
        // Lines, paragraphs and the whole text are all the one line of a single-line box.
        return which == TextItem::At ? TextRange{0, length} : TextRange{};
    }

    // Item i runs from boundaries[i] to boundaries[i + 1]; the end of the text, past the last item,
    // holds none.
    const QList<int> boundaries = itemBoundaries(text, type);
    const qsizetype at =
        std::upper_bound(boundaries.begin(), boundaries.end(), offset) - boundaries.begin() - 1;
    const qsizetype wanted = at + (which == TextItem::Before  ? -1
                                   : which == TextItem::After ? 1
                                                              : 0);
    if (wanted < 0 || wanted + 1 >= boundaries.size())
        return {};
    return {boundaries[wanted], boundaries[wanted + 1]};
}
