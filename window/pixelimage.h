// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QImage>
#include <QPixmap>

// Pictures compiled in as plain pixels. Reading a PNG at start-up costs more than building the
// whole window, mostly for Qt's look-up of its image-format plugins on first use; plain pixels
// need no decoder at all. The build makes these files from the PNGs in resources/.

// The file for an image: a small header, then the pixel rows as QImage holds them.
QByteArray pixelFile(const QImage &image);

// The picture in such a file compiled into the program's resources, or a null pixmap.
QPixmap pixelPixmap(const QString &resourcePath);
