#pragma once

#include "app/conversion/ArchiveSearch.h"
#include "platform/PosixFiles.h"

#include <QMap>
#include <QStringList>

// The pages an archive's search data holds, segment by segment, oldest
// first, each as its path below the output folder; a page a segment takes
// out of older ones (gone from the disk) is prefixed "-".
inline QList<QStringList> IndexedSegments(const QString& outputFolder) {
    QList<QStringList> result;
    const QString data = outputFolder + "/index-search/";
    for (const ArchiveSearch::Segment& segment :
         ArchiveSearch::parseManifest(PosixFiles::readAll(data + "manifest.js"))) {
        QStringList pages;
        for (const QByteArray& line : PosixFiles::readAll(data + segment.id + "/pages").split('\n'))
            if (!line.isEmpty())
                pages << (line.endsWith("\t-") ? "-" : "") +
                             QString::fromUtf8(
                                 QByteArray::fromPercentEncoding(line.left(line.indexOf('\t'))));
        result.append(pages);
    }
    return result;
}

// The pages the front page lists: a newer segment's word on a page wins.
inline QStringList IndexedPages(const QString& outputFolder) {
    QMap<QString, bool> pages;
    for (const QStringList& segment : IndexedSegments(outputFolder))
        for (const QString& page : segment)
            pages.insert(page.startsWith('-') ? page.mid(1) : page, !page.startsWith('-'));
    QStringList result;
    for (auto it = pages.cbegin(); it != pages.cend(); ++it)
        if (it.value())
            result << it.key();
    return result;
}
