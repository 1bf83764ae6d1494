#pragma once

#include <QString>

class BannerBrowser;
class QWidget;

// The web engine banner lives in a module of its own, loaded when the first
// banner browser is made: linked into the program, the engine's libraries
// and the GL context it shares were set up before the window could paint.
class WebEngineBannerModule {
public:
    // A browser from the module, or null when the module cannot be loaded
    // (errorString() says why).
    static BannerBrowser* create(QWidget* parent);
    static QString errorString();
};
