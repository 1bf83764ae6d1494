#include "skin/draw/PngResource.h"

#include <QImageReader>
#include <QPixmap>

QImage PngResource::read(const QString& path) {
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QIcon PngResource::icon(const QString& path) {
    return QIcon(QPixmap::fromImage(read(path)));
}
