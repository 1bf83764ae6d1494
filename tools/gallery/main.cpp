// skin-gallery --out DIR: renders every skinned control in every style, off
// screen, as PNG files for review. skin-gallery --styles: the names of the
// styles it renders, one a line (each has its DIR/NAME folder).
#include "GalleryPage.h"

#include "skin/theme/SkinStyleList.h"

#include <QApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("DECKVANE_BANNER", "offline");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.contains(QStringLiteral("--styles"))) {
        for (const SkinStyle& style : SkinStyleList::All())
            std::printf("%s\n", style.name);
        return 0;
    }
    const qsizetype at = args.indexOf(QStringLiteral("--out"));
    if (at < 0 || at + 1 >= args.size()) {
        std::fprintf(stderr, "usage: skin-gallery --out DIR | --styles\n");
        return 2;
    }
    const QString out = args[at + 1];
    if (!QDir().mkpath(out)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(out));
        return 1;
    }
    bool ok = true;
    for (const GalleryPage::Entry& page : GalleryPage::all()) {
        if (!page.render(out)) {
            std::fprintf(stderr, "%s: failed\n", page.name);
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
