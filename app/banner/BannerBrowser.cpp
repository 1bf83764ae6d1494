#include "app/banner/BannerBrowser.h"

// Out of line, so the interface's type information lives in one library for
// the program and the module that implements it.
BannerBrowser::~BannerBrowser() = default;
