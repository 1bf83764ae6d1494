// Draws the program's own pictures: drive and folder icons, the application
// icon and the offline banner. Run it after changing a drawing and commit the
// images it writes:   make-app-images <resources folder>
// (icons/hicolor/ holds the application icon as installed for the desktop).
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>

namespace {

QImage canvas(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

void begin(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
}

// A drive seen from the front: a rounded metal box with a lamp.
void driveBox(QPainter& p, const QRectF& r, const QColor& body, const QColor& lamp) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, body.lighter(150));
    g.setColorAt(0.5, body);
    g.setColorAt(1, body.darker(140));
    p.setPen(QPen(body.darker(220), 1));
    p.setBrush(g);
    p.drawRoundedRect(r, 1.5, 1.5);
    p.setPen(QPen(QColor(255, 255, 255, 120), 1));
    p.drawLine(QPointF(r.left() + 1.5, r.top() + 1.5), QPointF(r.right() - 1.5, r.top() + 1.5));
    p.setPen(Qt::NoPen);
    p.setBrush(lamp);
    p.drawEllipse(QPointF(r.right() - 3, r.bottom() - 2.5), 1.2, 1.2);
}

QImage hardIcon() {
    QImage img = canvas(16, 11);
    QPainter p(&img);
    begin(p);
    driveBox(p, QRectF(0.5, 2.5, 15, 7), QColor(150, 156, 166), QColor(60, 220, 90));
    return img;
}

QImage networkIcon() {
    QImage img = canvas(16, 11);
    QPainter p(&img);
    begin(p);
    driveBox(p, QRectF(0.5, 0.5, 15, 6), QColor(120, 140, 170), QColor(90, 200, 255));
    p.setPen(QPen(QColor(40, 70, 120), 1.2));
    p.drawLine(QPointF(8, 6.5), QPointF(8, 9.5));
    p.drawLine(QPointF(2, 9.5), QPointF(14, 9.5));
    return img;
}

QImage floppyIcon() {
    // Removable media: a memory stick with its plug to the right.
    QImage img = canvas(16, 11);
    QPainter p(&img);
    begin(p);
    p.setPen(QPen(QColor(110, 110, 120), 1));
    p.setBrush(QColor(215, 215, 222));
    p.drawRect(QRectF(11.5, 3.5, 4, 4));
    QLinearGradient g(0, 1, 0, 10);
    g.setColorAt(0, QColor(90, 150, 235));
    g.setColorAt(1, QColor(20, 70, 160));
    p.setPen(QPen(QColor(15, 45, 110), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 1.5, 11.5, 8), 2, 2);
    p.setPen(QPen(QColor(255, 255, 255, 140), 1));
    p.drawLine(QPointF(2.5, 3), QPointF(9.5, 3));
    return img;
}

QImage cdromIcon() {
    QImage img = canvas(16, 11);
    QPainter p(&img);
    begin(p);
    const QPointF c(8, 5.5);
    QRadialGradient g(c, 5.5);
    g.setColorAt(0, QColor(250, 250, 255));
    g.setColorAt(0.6, QColor(200, 215, 235));
    g.setColorAt(0.8, QColor(230, 200, 240));
    g.setColorAt(1, QColor(170, 180, 200));
    p.setPen(QPen(QColor(110, 120, 140), 0.8));
    p.setBrush(g);
    p.drawEllipse(c, 5.2, 5.2);
    p.setBrush(Qt::white);
    p.drawEllipse(c, 1.4, 1.4);
    return img;
}

QImage ramIcon() {
    QImage img = canvas(16, 11);
    QPainter p(&img);
    begin(p);
    p.setPen(QPen(QColor(20, 90, 40), 1));
    p.setBrush(QColor(40, 150, 70));
    p.drawRect(QRectF(0.5, 2.5, 15, 6));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 35));
    for (int i = 0; i < 3; ++i)
        p.drawRect(QRectF(2 + i * 4.5, 3.5, 3, 4));
    p.setBrush(QColor(230, 190, 60));
    for (int x = 1; x < 15; x += 2)
        p.drawRect(QRectF(x, 8.5, 1, 2));
    return img;
}

void folderBack(QPainter& p, const QColor& c) {
    QPainterPath back;
    back.moveTo(0.5, 2.5);
    back.lineTo(5.5, 2.5);
    back.lineTo(7, 4);
    back.lineTo(14.5, 4);
    back.lineTo(14.5, 13.5);
    back.lineTo(0.5, 13.5);
    back.closeSubpath();
    p.setPen(QPen(c.darker(200), 1));
    p.setBrush(c.darker(115));
    p.drawPath(back);
}

QImage closedFolder() {
    QImage img = canvas(16, 15);
    QPainter p(&img);
    begin(p);
    const QColor c(245, 200, 80);
    folderBack(p, c);
    QLinearGradient g(0, 5, 0, 14);
    g.setColorAt(0, c.lighter(120));
    g.setColorAt(1, c);
    p.setBrush(g);
    p.drawRect(QRectF(0.5, 5.5, 14, 8));
    return img;
}

QImage openFolder(const QColor& c, bool marked) {
    QImage img = canvas(16, 15);
    QPainter p(&img);
    begin(p);
    folderBack(p, c);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 5, 10, 6));
    QPainterPath flap;
    flap.moveTo(3, 7.5);
    flap.lineTo(15.5, 7.5);
    flap.lineTo(13, 13.5);
    flap.lineTo(0.5, 13.5);
    flap.closeSubpath();
    QLinearGradient g(0, 7, 0, 14);
    g.setColorAt(0, c.lighter(125));
    g.setColorAt(1, c);
    p.setPen(QPen(c.darker(200), 1));
    p.setBrush(g);
    p.drawPath(flap);
    if (marked) {
        // The folder being converted from: a small blue arrow into it.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 100, 220));
        QPainterPath arrow;
        arrow.moveTo(7.5, 0.5);
        arrow.lineTo(11.5, 0.5);
        arrow.lineTo(11.5, 3);
        arrow.lineTo(13.5, 3);
        arrow.lineTo(9.5, 7);
        arrow.lineTo(5.5, 3);
        arrow.lineTo(7.5, 3);
        arrow.closeSubpath();
        p.drawPath(arrow);
    }
    return img;
}

// A slide with a chart turning into a page: what the program does.
QImage mainIcon(int size) {
    QImage img = canvas(size, size);
    QPainter p(&img);
    begin(p);
    p.scale(size / 64.0, size / 64.0);
    QLinearGradient page(0, 10, 0, 60);
    page.setColorAt(0, QColor(255, 255, 255));
    page.setColorAt(1, QColor(222, 230, 242));
    p.setPen(QPen(QColor(70, 90, 130), 2));
    p.setBrush(page);
    p.drawRoundedRect(QRectF(18, 14, 42, 46), 4, 4);
    p.setPen(QPen(QColor(60, 120, 210), 3, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(25, 28 + i * 7), QPointF(i % 2 ? 46 : 53, 28 + i * 7));
    QLinearGradient slide(0, 4, 0, 36);
    slide.setColorAt(0, QColor(255, 150, 60));
    slide.setColorAt(1, QColor(215, 70, 30));
    p.setPen(QPen(QColor(140, 40, 15), 2));
    p.setBrush(slide);
    p.drawRoundedRect(QRectF(3, 4, 36, 27), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 245, 230));
    for (int i = 0; i < 3; ++i)
        p.drawRect(QRectF(10 + i * 8, 23 - i * 5, 5, 4 + i * 5));
    p.setBrush(QColor(30, 160, 90));
    QPainterPath arrow;
    arrow.moveTo(22, 40);
    arrow.lineTo(34, 40);
    arrow.lineTo(34, 35);
    arrow.lineTo(44, 45);
    arrow.lineTo(34, 55);
    arrow.lineTo(34, 50);
    arrow.lineTo(22, 50);
    arrow.closeSubpath();
    p.setPen(QPen(QColor(15, 100, 55), 1.5));
    p.drawPath(arrow);
    return img;
}

QImage banner() {
    QImage img(825, 101, QImage::Format_RGB32);
    QPainter p(&img);
    begin(p);
    QLinearGradient g(0, 0, 825, 101);
    g.setColorAt(0, QColor(18, 36, 72));
    g.setColorAt(0.6, QColor(24, 82, 128));
    g.setColorAt(1, QColor(30, 128, 140));
    p.fillRect(img.rect(), g);
    // Stacked slides fanning out on the right.
    for (int i = 0; i < 5; ++i) {
        p.save();
        p.translate(700 + i * 18, 55);
        p.rotate(-14 + i * 7);
        p.setPen(QPen(QColor(255, 255, 255, 90), 1));
        p.setBrush(QColor(255, 255, 255, 28 + i * 14));
        p.drawRoundedRect(QRectF(-38, -26, 76, 52), 4, 4);
        p.restore();
    }
    p.drawImage(QRectF(22, 18, 64, 64), mainIcon(128));
    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(34);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QPointF(102, 52), QStringLiteral("Deckvane"));
    QFont tag(QStringLiteral("DejaVu Sans"));
    tag.setPixelSize(14);
    p.setFont(tag);
    p.setPen(QColor(200, 225, 245));
    p.drawText(
        QPointF(104, 76),
        QStringLiteral("Whole folders of presentations to web pages, in one press of a button."));
    return img;
}

bool save(const QImage& img, const QString& path) {
    if (img.save(path))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-app-images RESOURCES_DIR\n");
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    root.mkpath("icons");
    root.mkpath("banner");
    const QString icons = root.filePath("icons/");
    bool ok = save(hardIcon(), icons + "HARD.png") && save(networkIcon(), icons + "NETWORK.png") &&
              save(floppyIcon(), icons + "FLOPPY.png") && save(cdromIcon(), icons + "CDROM.png") &&
              save(ramIcon(), icons + "RAM.png") &&
              save(closedFolder(), icons + "CLOSEDFOLDER.png") &&
              save(openFolder(QColor(245, 200, 80), false), icons + "OPENFOLDER.png") &&
              save(openFolder(QColor(250, 210, 95), true), icons + "CURRENTFOLDER.png") &&
              save(mainIcon(64), icons + "MAINICON.png") &&
              save(banner(), root.filePath("banner/banner.png"));
    // The application icon for the desktop's icon theme, at its usual sizes.
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("icons/hicolor/%1x%1/apps").arg(size);
        root.mkpath(dir);
        ok = ok && save(mainIcon(size), root.filePath(dir + "/org.deckvane.Deckvane.png"));
    }
    return ok ? 0 : 1;
}
