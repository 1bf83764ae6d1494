#include "app/conversion/OutputLayout.h"

#include "app/conversion/ConversionEngine.h"
#include "platform/LocalPath.h"

#include <sys/stat.h>

QString OutputLayout::relativePath(const QString& sourcePath) const {
    if (sourcePath.size() > m_walked.size() + 1 && sourcePath.startsWith(m_walked) &&
        sourcePath.at(m_walked.size()) == QLatin1Char('/'))
        return sourcePath.mid(m_walked.size() + 1);
    return sourcePath;
}

QString OutputLayout::folderFor(const QString& sourcePath) const {
    if (!m_tree)
        return m_output;
    const QString relative = relativePath(sourcePath);
    const qsizetype slash = relative.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? m_output : m_output + QLatin1Char('/') + relative.left(slash);
}

QString OutputLayout::pageFor(const QString& sourcePath) const {
    return folderFor(sourcePath) + QLatin1Char('/') +
           ConversionEngine::baseName(LocalPath::fileName(sourcePath)) + QStringLiteral(".htm");
}

bool OutputLayout::isUpToDate(const QString& sourcePath, const QString& pagePath) {
    struct stat source {};
    struct stat page {};
    if (::stat(LocalPath::toNative(sourcePath).constData(), &source) != 0 ||
        ::stat(LocalPath::toNative(pagePath).constData(), &page) != 0 || !S_ISREG(page.st_mode))
        return false;
    if (page.st_mtim.tv_sec != source.st_mtim.tv_sec)
        return page.st_mtim.tv_sec > source.st_mtim.tv_sec;
    return page.st_mtim.tv_nsec > source.st_mtim.tv_nsec;
}
