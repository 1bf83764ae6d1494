// libFuzzer target: a fuzzed theme file given to a real skinned window (form,
// title bar, push button, check box, image panel) that then paints itself.
// Whatever the numbers in the file, nothing may overflow, allocate without
// bound or crash.

#include "skin/controls/TskButton.h"
#include "skin/controls/TskCheckBox.h"
#include "skin/controls/TskImagePanel.h"
#include "skin/form/TskForm.h"
#include "skin/theme/TskFileTheme.h"
#include "skin/theme/TskSkinError.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

QApplication& application() {
    static int argc = 1;
    static char name[] = "theme-form-fuzz";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    application();
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fuzzed.vsk"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    QWidget window;
    window.resize(320, 200);
    auto* form = new TskForm(&window);
    auto* theme = new TskFileTheme(&window);
    try {
        theme->SetThemeFile(path);
    } catch (const TskSkinError&) {
        return 0; // not a theme file, or an image past its end
    }
    form->SetFileTheme(theme);
    form->SetUIStyle(TskUIStyle::FromThemeFile);
    for (QWidget* control : std::initializer_list<QWidget*>{
             new TskButton(form), new TskCheckBox(form), new TskImagePanel(form)}) {
        control->setGeometry(10, 40, 80, 27);
        control->setProperty("FileTheme", QVariant::fromValue(theme));
        control->setProperty("UIStyle", QVariant::fromValue(TskUIStyle::FromThemeFile));
    }
    // Painted whole: frame, title bar and the controls, off screen.
    if (window.width() > 4096 || window.height() > 4096)
        __builtin_trap();
    (void)window.grab();
    return 0;
}
