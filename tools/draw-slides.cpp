// draw-slides OUTDIR PDF...: the slide pictures of every PDF, drawn as a
// conversion draws them, each PDF into a folder of its own under OUTDIR.
// Prints the pages drawn and the processor time of this process alone (the
// reading, halving, scaling and encoding; not the drawing program's), for
// bench/drawing.sh.
#include "app/automation/AutomationError.h"
#include "app/automation/SlideRasterizer.h"
#include "platform/AnchoredFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <sys/resource.h>

namespace {

double seconds(const rusage& usage) {
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: draw-slides OUTDIR PDF...\n");
        return 2;
    }
    int pages = 0;
    int failed = 0;
    for (int i = 2; i < args.size(); ++i) {
        const QString folder = args[1] + QStringLiteral("/") + QString::number(i - 2);
        QDir().mkpath(folder);
        try {
            pages += SlideRasterizer::draw(args[i], AnchoredFolder(folder), 100000);
        } catch (const AutomationError& error) {
            ++failed;
            std::fprintf(stderr, "%s: %s\n", qPrintable(args[i]), qPrintable(error.message()));
        }
    }
    rusage self{};
    ::getrusage(RUSAGE_SELF, &self);
    std::printf("pages %d failed %d self %.3f\n", pages, failed, seconds(self));
    return failed == 0 ? 0 : 1;
}
