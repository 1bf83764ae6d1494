#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

// The program's own pictures are all PNG. Reading one as such skips the
// reader's search through every image plugin, which loads each plugin's
// library (and its decoder's) before a window can first be painted.
class PngResource {
public:
    // A null image when the file is missing or is not a PNG picture.
    static QImage read(const QString& path);
    static QIcon icon(const QString& path);
};
