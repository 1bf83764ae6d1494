#include "app/conversion/PageCopy.h"

#include "app/automation/HtmlPublisher.h"
#include "platform/FileError.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"

#include <QHash>
#include <unistd.h>

namespace {

QByteArray encoded(const QString& name) {
    return LocalPath::toNative(name).toPercentEncoding();
}

bool isPage(const QString& name) {
    return name.endsWith(QLatin1String(".html"), Qt::CaseInsensitive) ||
           name.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive);
}

} // namespace

void PageCopy::publish(const QString& fromPage, const QString& outputPath,
                       const QString& sourcePath) {
    HtmlPublisher publisher(outputPath);
    const QString staged = publisher.stagingPage();
    const QString staging = staged.left(staged.lastIndexOf(QLatin1Char('/')));
    const QString fromName = LocalPath::fileName(fromPage);
    const QString fromFolderName = HtmlPublisher::companionFolderName(fromPage);
    const QString fromFolder = fromPage.left(fromPage.size() - fromName.size()) + fromFolderName;

    // Back to the links the export wrote, which the publishing step turns
    // into the new page's: companions beside the page, the page under its
    // staging name.
    QStringList companions;
    for (const QString& name : PosixFiles::names(fromFolder))
        if (!name.startsWith(QLatin1Char('.')))
            companions.append(name);
    QHash<QByteArray, QByteArray> down;
    for (const QString& name : companions)
        down.insert(encoded(fromFolderName) + '/' + encoded(name), encoded(name));
    const QHash<QByteArray, QByteArray> up{
        {"../" + encoded(fromName), encoded(LocalPath::fileName(staged))}};
    PosixFiles::writeAll(staged, HtmlPublisher::relink(PosixFiles::readAll(fromPage), down));
    for (const QString& name : companions) {
        const QString from = fromFolder + QLatin1Char('/') + name;
        const QString to = staging + QLatin1Char('/') + name;
        // Pictures are shared: a published file is only ever replaced by a
        // rename, never written in place.
        if (isPage(name) ||
            ::link(LocalPath::toNative(from).constData(), LocalPath::toNative(to).constData()) != 0)
            PosixFiles::writeAll(to, isPage(name)
                                         ? HtmlPublisher::relink(PosixFiles::readAll(from), up)
                                         : PosixFiles::readAll(from));
    }
    publisher.commit(sourcePath, HtmlPublisher::Staged::Published);
}
