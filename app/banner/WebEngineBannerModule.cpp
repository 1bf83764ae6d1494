#include "app/banner/WebEngineBannerModule.h"

#include "platform/InstallLayout.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QOpenGLContext>

// Qt's own modules set the context every other one shares through this
// function; the application object does it at construction only when it
// is asked to before it exists.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace {

using CreateFunction = BannerBrowser* (*)(QWidget*);

struct Module {
    CreateFunction create = nullptr;
    QString error;
};

// The engine's GL contexts, and the window's once it composes the engine's
// frames, share with one global context. Before the first banner nothing in
// the program uses GL, so making it here is as good as at start-up, where
// it would cost the first paint tens of milliseconds.
void ensureGlobalShareContext() {
    if (QOpenGLContext::globalShareContext())
        return;
    auto* context = new QOpenGLContext;
    context->create(); // an invalid context makes the engine draw without GL
    qt_gl_set_global_share_context(context);
    // Gone, as Qt's own would be, before the application takes down the
    // window system connection.
    qAddPostRoutine([] {
        QOpenGLContext* context = QOpenGLContext::globalShareContext();
        qt_gl_set_global_share_context(nullptr);
        delete context;
    });
}

// In a build the module sits next to the program; an installed copy keeps it
// in the helper folder beside bin/; test programs, which live apart, find it
// where the build put it.
QString modulePath() {
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString name = QLatin1String(DECKVANE_WEBBANNER_FILE_NAME);
    for (const QString& candidate :
         {programDir + QLatin1Char('/') + name, programDir + QLatin1String("/../") +
                                                    QLatin1String(InstallLayout::kHelperFolder) +
                                                    QLatin1Char('/') + name}) {
        if (QFileInfo::exists(candidate))
            return candidate;
    }
    return QStringLiteral(DECKVANE_WEBBANNER_BUILD_PATH);
}

const Module& module() {
    static const Module loaded = [] {
        Module m;
        ensureGlobalShareContext();
        QLibrary library(modulePath());
        m.create =
            reinterpret_cast<CreateFunction>(library.resolve("deckvane_create_webengine_banner"));
        if (!m.create)
            m.error = library.errorString();
        return m;
    }();
    return loaded;
}

} // namespace

BannerBrowser* WebEngineBannerModule::create(QWidget* parent) {
    return module().create ? module().create(parent) : nullptr;
}

QString WebEngineBannerModule::errorString() {
    return module().error;
}
