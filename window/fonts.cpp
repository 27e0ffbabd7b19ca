// SPDX-License-Identifier: MIT
#include "fonts.h"

#include <QStringList>

namespace {

QFont font(const QStringList &families, QFont::StyleHint hint, int pixelSize, QFont::Weight weight)
{
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(hint);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

} // namespace

// Where the Windows faces are missing, the Liberation faces stand in with the same metrics.
QFont sansFont(int pixelSize, QFont::Weight weight)
{
    return font({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                 QStringLiteral("Liberation Sans"), QStringLiteral("Arial")},
                QFont::SansSerif, pixelSize, weight);
}

QFont fixedPitchFont(int pixelSize, QFont::Weight weight)
{
    QFont result = font({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                         QStringLiteral("DejaVu Sans Mono")},
                        QFont::TypeWriter, pixelSize, weight);
    result.setFixedPitch(true);
    return result;
}
