#include "app/automation/HtmlPublisher.h"

#include "app/automation/AutomationError.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"

#include <QRegularExpression>
#include <cerrno>
#include <cstdlib>

namespace {
const QString kStagedPage = QStringLiteral("page.htm");
const QString kStagedCompanions = QStringLiteral("companions");
const QString kReplaced = QStringLiteral("replaced");

QByteArray encoded(const QString& name) {
    return LocalPath::toNative(name).toPercentEncoding();
}
} // namespace

HtmlPublisher::HtmlPublisher(QString outputPath) : outputPath_(std::move(outputPath)) {
    const qsizetype slash = outputPath_.lastIndexOf(QLatin1Char('/'));
    folder_ = slash >= 0 ? outputPath_.left(slash) : QStringLiteral(".");
    if (folder_.isEmpty())
        folder_ = QStringLiteral("/");
    QByteArray pattern = LocalPath::toNative(folder_) + "/.deckvane-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw AutomationError(QStringLiteral("Cannot write in the output folder '%1': %2")
                                  .arg(folder_, PosixFiles::errorText(errno)));
    staging_ = LocalPath::fromNative(pattern);
}

HtmlPublisher::~HtmlPublisher() {
    PosixFiles::removeTree(staging_);
}

QString HtmlPublisher::stagingPage() const {
    return staging_ + QLatin1Char('/') + kStagedPage;
}

QString HtmlPublisher::companionFolderName(const QString& outputPath) {
    QString name = LocalPath::fileName(outputPath);
    if (name.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive))
        name.chop(4);
    return name + QLatin1String("_files");
}

QByteArray HtmlPublisher::relink(const QByteArray& html,
                                 const QHash<QByteArray, QByteArray>& targets) {
    static const QRegularExpression attribute(
        QStringLiteral(R"(((?:href|src)\s*=\s*)(["'])([^"'#?]*)([^"']*)\2)"),
        QRegularExpression::CaseInsensitiveOption);
    // The exporter writes ASCII markup with escaped text, so the page is
    // searched as Latin-1: every byte stays what it was.
    const QString text = QString::fromLatin1(html);
    QString out;
    out.reserve(text.size() + 64);
    qsizetype last = 0;
    auto it = attribute.globalMatch(text);
    while (it.hasNext()) {
        const auto match = it.next();
        const auto target = targets.constFind(match.captured(3).toLatin1());
        if (target == targets.constEnd())
            continue;
        out += QStringView(text).mid(last, match.capturedStart(3) - last);
        out += QString::fromLatin1(target.value());
        last = match.capturedEnd(3);
    }
    out += QStringView(text).mid(last);
    return out.toLatin1();
}

void HtmlPublisher::commit() {
    QStringList companions = PosixFiles::names(staging_);
    companions.removeAll(kStagedPage);
    const QString pageName = LocalPath::fileName(outputPath_);
    const QString folderName = companionFolderName(outputPath_);
    const QString stagedFolder = staging_ + QLatin1Char('/') + kStagedCompanions;
    if (!PosixFiles::exists(stagingPage()))
        throw AutomationError(QStringLiteral("LibreOffice wrote no page"));
    if (!PosixFiles::makePath(stagedFolder))
        throw AutomationError(QStringLiteral("Cannot create the companion folder"));

    // The page finds its companions in "<name>_files/"; they find the page
    // one level up under its final name.
    QHash<QByteArray, QByteArray> down;
    for (const QString& name : companions)
        down.insert(encoded(name), encoded(folderName) + '/' + encoded(name));
    const QHash<QByteArray, QByteArray> up{{kStagedPage.toLatin1(), "../" + encoded(pageName)}};
    PosixFiles::writeAll(stagingPage(), relink(PosixFiles::readAll(stagingPage()), down));
    for (const QString& name : companions) {
        const QString from = staging_ + QLatin1Char('/') + name;
        if (name.endsWith(QLatin1String(".html"), Qt::CaseInsensitive) ||
            name.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive))
            PosixFiles::writeAll(from, relink(PosixFiles::readAll(from), up));
        PosixFiles::rename(from, stagedFolder + QLatin1Char('/') + name);
    }

    // Swap in the companions first, then the page, keeping the old
    // companions until the page is in place so a failure can put them back.
    const QString finalFolder = folder_ + QLatin1Char('/') + folderName;
    const QString replaced = staging_ + QLatin1Char('/') + kReplaced;
    const bool hadOld = PosixFiles::exists(finalFolder);
    if (hadOld)
        PosixFiles::rename(finalFolder, replaced);
    try {
        PosixFiles::rename(stagedFolder, finalFolder);
        try {
            PosixFiles::rename(stagingPage(), outputPath_);
        } catch (const AutomationError&) {
            PosixFiles::rename(finalFolder, stagedFolder);
            throw;
        }
    } catch (const AutomationError&) {
        if (hadOld)
            PosixFiles::rename(replaced, finalFolder);
        throw;
    }
}
