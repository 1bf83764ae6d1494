// The skinned controls in every built-in style: push button states, check
// boxes and radio buttons, image panels, and the sheet of all built-in images.
#include "GalleryPage.h"

#include "skin/controls/TskButton.h"
#include "skin/controls/TskCheckBox.h"
#include "skin/controls/TskImagePanel.h"
#include "skin/controls/TskRadioButton.h"
#include "skin/theme/SkinStyleList.h"
#include "skin/theme/SkinThemes.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

namespace {

bool save(const QImage& image, const QString& path) {
    if (image.save(path))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

// A window holding one panel in the style's form colour, so each control is
// shown on the ground it is meant for and its transparent parts show it.
struct Stage {
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    TskImagePanel* panel;
    explicit Stage(TskUIStyle style) : panel(new TskImagePanel(window.get())) {
        panel->SetColor(GetBuiltinColor(style, ThemeKey::FormBackgroundColor));
    }
    void fit(QWidget* control, int margin) {
        control->move(margin, margin);
        panel->resize(control->width() + 2 * margin, control->height() + 2 * margin);
        window->resize(panel->size());
    }
    QImage shot() { return panel->grab().toImage(); }
};

void sendMouse(QWidget* target, QEvent::Type type, QPoint at) {
    QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

bool renderButtons(TskUIStyle style, const QString& dir) {
    const std::pair<const char*, std::function<void(Stage&, TskButton*)>> states[] = {
        {"normal", [](Stage&, TskButton*) {}},
        {"hover",
         [](Stage&, TskButton* b) {
             QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), b->mapToGlobal(QPointF(5, 5)));
             QApplication::sendEvent(b, &enter);
         }},
        {"pressed",
         [](Stage&, TskButton* b) {
             QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), b->mapToGlobal(QPointF(5, 5)));
             QApplication::sendEvent(b, &enter);
             sendMouse(b, QEvent::MouseButtonPress, QPoint(5, 5));
         }},
        {"disabled", [](Stage&, TskButton* b) { b->setEnabled(false); }},
        {"focused",
         [](Stage& stage, TskButton* b) {
             stage.window->show();
             stage.window->activateWindow();
             QApplication::setActiveWindow(stage.window.get());
             b->setFocus();
             QCoreApplication::processEvents();
         }},
    };
    bool ok = true;
    for (const auto& [name, prepare] : states) {
        Stage stage(style);
        auto* button = new TskButton(stage.panel);
        button->SetUIStyle(style);
        button->resize(80, 27);
        button->SetCaption(QStringLiteral("Begin"));
        stage.fit(button, 8);
        prepare(stage, button);
        if (std::strcmp(name, "focused") == 0 && !button->hasFocus()) {
            std::fprintf(stderr, "the button did not take the focus\n");
            ok = false;
        }
        ok = save(stage.shot(), dir + QStringLiteral("/button-%1.png").arg(name)) && ok;
    }
    return ok;
}

template <class Box> bool renderBoxes(TskUIStyle style, const QString& dir, const char* prefix) {
    bool ok = true;
    for (const bool disabled : {false, true}) {
        for (const bool checked : {true, false}) {
            Stage stage(style);
            auto* box = new Box(stage.panel);
            box->SetUIStyle(style);
            box->SetTransparent(true);
            box->SetCaption(QStringLiteral("html"));
            box->SetAutoSize(true);
            box->SetChecked(checked);
            box->setEnabled(!disabled);
            stage.fit(box, 6);
            const QString name =
                QStringLiteral("%1-%2%3.png")
                    .arg(QLatin1String(prefix),
                         checked ? QLatin1String("checked") : QLatin1String("unchecked"),
                         disabled ? QLatin1String("-disabled") : QLatin1String(""));
            ok = save(stage.shot(), dir + QLatin1Char('/') + name) && ok;
        }
    }
    return ok;
}

// A 16 x 16 picture whose edges show where each copy starts.
QImage samplePicture() {
    QImage picture(16, 16, QImage::Format_RGB32);
    QPainter p(&picture);
    p.fillRect(picture.rect(), QColor(0x3B, 0x6E, 0xB4));
    p.fillRect(QRect(0, 0, 16, 2), QColor(0xF2, 0xB1, 0x34));
    p.fillRect(QRect(0, 0, 2, 16), QColor(0xF2, 0xB1, 0x34));
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xFF, 0xFF, 0xFF));
    p.drawEllipse(QRectF(5, 5, 8, 8));
    return picture;
}

bool renderPanels(TskUIStyle style, const QString& dir) {
    bool ok = true;
    for (const auto& [name, drawStyle] :
         {std::pair{"normal", TskDrawStyle::skNormal},
          std::pair{"stretch", TskDrawStyle::skStretch}, std::pair{"tile", TskDrawStyle::skTile}}) {
        Stage stage(style);
        auto* panel = new TskImagePanel(stage.panel);
        panel->SetColor(GetBuiltinColor(style, ThemeKey::ControlBackgroundColor));
        panel->resize(120, 60);
        panel->SetPicture(samplePicture());
        panel->SetDrawStyle(drawStyle);
        stage.fit(panel, 0);
        ok = save(stage.shot(), dir + QStringLiteral("/panel-%1.png").arg(name)) && ok;
    }
    return ok;
}

// The sheet of every built-in image is drawn by the skin's own review tool,
// built next to this one.
bool renderImageSheet(const QString& out) {
    const QString tool = QCoreApplication::applicationDirPath() + QStringLiteral("/skin-sheet");
    if (!QFileInfo(tool).isExecutable()) {
        std::fprintf(stderr, "%s is missing\n", qPrintable(tool));
        return false;
    }
    QProcess sheet;
    sheet.start(tool, {out + QStringLiteral("/images.png")});
    if (!sheet.waitForFinished(120000) || sheet.exitStatus() != QProcess::NormalExit ||
        sheet.exitCode() != 0) {
        sheet.kill();
        std::fprintf(stderr, "skin-sheet failed: %s\n", sheet.readAllStandardError().constData());
        return false;
    }
    return true;
}

bool render(const QString& out) {
    bool ok = true;
    for (const SkinStyle& record : SkinStyleList::All()) {
        const TskUIStyle style = record.style;
        const QString dir = out + QLatin1Char('/') + QLatin1String(record.name);
        if (!QDir().mkpath(dir)) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(dir));
            return false;
        }
        ok = renderButtons(style, dir) && ok;
        ok = renderBoxes<TskCheckBox>(style, dir, "checkbox") && ok;
        ok = renderBoxes<TskRadioButton>(style, dir, "radio") && ok;
        ok = renderPanels(style, dir) && ok;
    }
    return renderImageSheet(out) && ok;
}

const GalleryPage page("controls", 10, render);

} // namespace
