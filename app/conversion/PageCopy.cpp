#include "app/conversion/PageCopy.h"

#include "app/automation/HtmlPublisher.h"
#include "platform/AnchoredFolder.h"
#include "platform/FileError.h"
#include "platform/LocalPath.h"

#include <QHash>
#include <fcntl.h>
#include <unistd.h>

namespace {

QByteArray encoded(const QString& name) {
    return LocalPath::toNative(name).toPercentEncoding();
}

// The path below the root, or the path itself when it is not below it.
QString below(const QString& root, const QString& path) {
    const QString inside = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
    return path.startsWith(inside) ? path.mid(inside.size()) : path;
}

} // namespace

void PageCopy::publish(const QString& outputRoot, const QString& fromPage,
                       const QString& outputPath, const QString& sourcePath,
                       const QString& noteName) {
    HtmlPublisher publisher(outputRoot, below(outputRoot, outputPath));
    const AnchoredFolder& staging = publisher.staging();
    const QString staged = LocalPath::fileName(publisher.stagingPage());
    const QString fromRelative = below(outputRoot, fromPage);
    const QString fromName = LocalPath::fileName(fromRelative);
    const QString fromFolderName = HtmlPublisher::companionFolderName(fromName);
    const qsizetype slash = fromRelative.lastIndexOf(QLatin1Char('/'));
    const AnchoredFolder from =
        AnchoredFolder(outputRoot).folder(slash < 0 ? QString() : fromRelative.left(slash));
    const AnchoredFolder fromFolder = from.folder(fromFolderName);

    // Back to the links the export wrote, which the publishing step turns
    // into the new page's: companions beside the page, the page under its
    // staging name.
    QStringList companions;
    for (const QString& name : fromFolder.names())
        if (!name.startsWith(QLatin1Char('.')))
            companions.append(name);
    QHash<QByteArray, QByteArray> down;
    for (const QString& name : companions)
        down.insert(encoded(fromFolderName) + '/' + encoded(name), encoded(name));
    const QHash<QByteArray, QByteArray> up{{"../" + encoded(fromName), encoded(staged)}};
    staging.write(staged, HtmlPublisher::relink(from.read(fromName), down));
    for (const QString& name : companions) {
        const bool page = HtmlPublisher::kindOf(name) == HtmlPublisher::Kind::Page;
        // Pictures are shared: a published file is only ever replaced by a
        // rename, never written in place. A link is linked as itself, and
        // the publishing step leaves it out.
        if (page || ::linkat(fromFolder.descriptor(), LocalPath::toNative(name).constData(),
                             staging.descriptor(), LocalPath::toNative(name).constData(), 0) != 0)
            staging.write(name, page ? HtmlPublisher::relink(fromFolder.read(name), up)
                                     : fromFolder.read(name));
    }
    // The reader's pages again, for this page's name and place.
    publisher.setReaderExport({});
    publisher.commit(sourcePath, noteName, HtmlPublisher::Staged::Published);
}
