// The entry point of the web engine banner module.

#include "app/banner/WebEngineBannerBrowser.h"

#include <QQuickWindow>

extern "C" Q_DECL_EXPORT BannerBrowser* deckvane_create_webengine_banner(QWidget* parent) {
    // Loaded after the application object exists, the engine cannot pick
    // its scene graph back end itself; it draws only through OpenGL.
    if (QQuickWindow::graphicsApi() != QSGRendererInterface::OpenGLRhi)
        QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGLRhi);
    return new WebEngineBannerBrowser(parent);
}
