// SPDX-License-Identifier: MIT
#include "pixelimage.h"

#include <QResource>

#include <cstring>

namespace {

struct Header
{
    quint32 width;
    quint32 height;
    quint32 bytesPerLine;
    quint32 format;
};

} // namespace

QByteArray pixelFile(const QImage &image)
{
    const Header header{quint32(image.width()), quint32(image.height()),
                        quint32(image.bytesPerLine()), quint32(image.format())};
    QByteArray file(reinterpret_cast<const char *>(&header), sizeof header);
    file.append(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes());
    return file;
}

QPixmap pixelPixmap(const QString &resourcePath)
{
    const QByteArray file = QResource(resourcePath).uncompressedData();
    Header header;
    if (file.size() < qsizetype(sizeof header))
        return {};
    std::memcpy(&header, file.constData(), sizeof header);
    if (file.size() != qsizetype(sizeof header + qsizetype(header.bytesPerLine) * header.height))
        return {};
    const auto *pixels = reinterpret_cast<const uchar *>(file.constData()) + sizeof header;
    // The image holds on to the file's buffer for as long as anything, the pixmap included,
    // shares its pixels.
    const QImage image(
        pixels, int(header.width), int(header.height), int(header.bytesPerLine),
        QImage::Format(header.format),
        [](void *buffer) { delete static_cast<QByteArray *>(buffer); }, new QByteArray(file));
    return QPixmap::fromImage(image);
}
