// SPDX-License-Identifier: MIT
// Build tool: turns a PNG into the plain-pixel file the program reads at start-up.
#include "window/pixelimage.h"

#include <QFile>
#include <QImage>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: makepixels in.png out.pixels\n");
        return 2;
    }
    QImage image(QString::fromLocal8Bit(argv[1]));
    if (image.isNull()) {
        std::fprintf(stderr, "makepixels: cannot read %s\n", argv[1]);
        return 1;
    }
    // The formats the window paints fastest: plain RGB for the picture, premultiplied for icons.
    image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                          : QImage::Format_RGB32);
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly) || out.write(pixelFile(image)) < 0) {
        std::fprintf(stderr, "makepixels: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
