#include "app/automation/SlideRasterizer.h"

#include "app/automation/AutomationError.h"
#include "app/automation/OfficeSandbox.h"
#include "platform/FileError.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <deque>
#include <future>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Sharp pictures are looked at on dense screens, where a JPEG's artefacts
// are half as large; the others keep the export's quality.
constexpr int kSharpQuality = 75;
constexpr int kQuality = 85;

QByteArray jpeg(const QImage& image, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    if (!writer.write(image))
        throw AutomationError(
            QStringLiteral("The slide pictures could not be made: %1").arg(writer.errorString()));
    return bytes;
}

void writePictures(const QImage& sharp, const AnchoredFolder& folder, int slide) {
    const QString number = QString::number(slide);
    folder.write(QStringLiteral("hdimg") + number + QStringLiteral(".jpg"),
                 jpeg(sharp, kSharpQuality));
    const QImage normal =
        sharp.width() == 2 * SlideRasterizer::kWidth
            ? SlideRasterizer::halved(sharp)
            : sharp.scaledToWidth(SlideRasterizer::kWidth, Qt::SmoothTransformation);
    folder.write(QStringLiteral("img") + number + QStringLiteral(".jpg"), jpeg(normal, kQuality));
    folder.write(QStringLiteral("thumb") + number + QStringLiteral(".jpg"),
                 jpeg(normal.scaledToWidth(SlideRasterizer::kThumbWidth, Qt::SmoothTransformation),
                      kQuality));
}

// A number of a PPM header after blanks; false while it may go on.
bool readNumber(const QByteArray& stream, qsizetype* at, qint64* value, bool* bad) {
    qsizetype i = *at;
    while (i < stream.size() && std::isspace(static_cast<unsigned char>(stream[i])))
        ++i;
    const qsizetype start = i;
    qint64 number = 0;
    while (i < stream.size() && std::isdigit(static_cast<unsigned char>(stream[i])) &&
           i - start < 6)
        number = number * 10 + (stream[i++] - '0');
    if (i >= stream.size())
        return false;
    if (i == start || !std::isspace(static_cast<unsigned char>(stream[i]))) {
        *bad = true;
        return false;
    }
    *at = i;
    *value = number;
    return true;
}

} // namespace

QString SlideRasterizer::program() {
    const QByteArray chosen = qgetenv("DECKVANE_RASTERIZER");
    if (!chosen.isNull())
        return ::access(chosen.constData(), X_OK) == 0 ? QString::fromLocal8Bit(chosen) : QString();
    return QStandardPaths::findExecutable(QStringLiteral("mutool"));
}

QStringList SlideRasterizer::arguments(const QString& pdfPath, int width) {
    // -a: no accelerator file is read or written beside the PDF. -P and
    // -T draw a slide in bands on several threads while the next one is
    // read: the same processor time, but the office, done with its own
    // export, waits for the pictures a third less on an otherwise idle
    // machine.
    const int threads = std::clamp(QThread::idealThreadCount(), 1, 4);
    return {QStringLiteral("draw"),
            QStringLiteral("-q"),
            QStringLiteral("-a"),
            QStringLiteral("-P"),
            QStringLiteral("-T"),
            QString::number(threads),
            QStringLiteral("-B"),
            QStringLiteral("256"),
            QStringLiteral("-F"),
            QStringLiteral("pnm"),
            QStringLiteral("-c"),
            QStringLiteral("rgb"),
            QStringLiteral("-w"),
            QString::number(width),
            QStringLiteral("-o"),
            QStringLiteral("-"),
            pdfPath};
}

qsizetype SlideRasterizer::readHeader(const QByteArray& stream, int width, Header* header) {
    if (stream.size() < 2)
        return stream.isEmpty() || stream[0] == 'P' ? 0 : -1;
    if (!stream.startsWith("P6"))
        return -1;
    qsizetype at = 2;
    qint64 values[3] = {};
    bool bad = false;
    for (qint64& value : values) {
        if (!readNumber(stream, &at, &value, &bad))
            return bad ? -1 : 0;
    }
    const auto [w, h, maximum] = values;
    if (maximum != 255 || w < width - 2 || w > width + 2 || h < 1 || h > 3 * w)
        return -1;
    header->width = int(w);
    header->height = int(h);
    header->length = at + 1;
    return header->length + 3 * w * h;
}

QImage SlideRasterizer::halved(const QImage& picture) {
    const QImage source = picture.convertToFormat(QImage::Format_RGB888);
    const int width = source.width() / 2;
    const int height = std::max(1, (source.height() + 1) / 2);
    if (width < 1)
        return source;
    QImage half(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        const uchar* top = source.constScanLine(std::min(2 * y, source.height() - 1));
        const uchar* bottom = source.constScanLine(std::min(2 * y + 1, source.height() - 1));
        uchar* out = half.scanLine(y);
        for (int x = 0; x < 3 * width; ++x) {
            const int at = 2 * (x - x % 3) + x % 3;
            out[x] = uchar((top[at] + top[at + 3] + bottom[at] + bottom[at + 3] + 2) / 4);
        }
    }
    return half;
}

int SlideRasterizer::draw(const QString& pdfPath, const AnchoredFolder& folder, int slides,
                          const Limits& limits) {
    const QString drawer = program();
    if (drawer.isEmpty())
        throw AutomationError(QStringLiteral("mutool is not installed"));
    QString executable = drawer;
    QStringList argv = arguments(pdfPath, kSharpWidth);
    const QString bubblewrap = OfficeSandbox::bubblewrap();
    if (!bubblewrap.isEmpty()) {
        OfficeSandbox::View view;
        view.readable = {pdfPath};
        argv =
            OfficeSandbox::command(bubblewrap, OfficeSandbox::userNamespace(), drawer, argv, view);
        executable = argv.takeFirst();
    }
    const auto deadline = std::chrono::steady_clock::now() + limits.wallTime +
                          limits.wallTimePerSlide * std::max(slides, 0);
    const qint64 cpuSeconds = std::chrono::duration_cast<std::chrono::seconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count() +
                              1;
    const qint64 memory = limits.memoryBytes;
    QProcess process;
    process.setProgram(executable);
    process.setArguments(argv);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.setChildProcessModifier([memory, cpuSeconds] {
        const rlimit space{rlim_t(memory), rlim_t(memory)};
        const rlimit cpu{rlim_t(cpuSeconds), rlim_t(cpuSeconds)};
        const rlimit none{0, 0};
        ::setrlimit(RLIMIT_AS, &space);
        ::setrlimit(RLIMIT_CPU, &cpu);
        ::setrlimit(RLIMIT_CORE, &none);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
    process.start();
    if (!process.waitForStarted(10000))
        throw AutomationError(QStringLiteral("mutool could not be started"));

    QByteArray stream;
    int drawn = 0;
    QString failure;
    // A slide's pictures are made while mutool draws the next ones, so
    // neither waits for the other; two slides are in the making at a time,
    // as encoding three pictures takes about as long as drawing one.
    constexpr size_t kInTheMaking = 2;
    std::deque<std::future<void>> making;
    const auto finish = [&making](size_t keep) {
        while (making.size() > keep) {
            std::future<void> oldest = std::move(making.front());
            making.pop_front();
            oldest.get();
        }
    };
    const auto settle = [&making] {
        for (std::future<void>& slide : making)
            slide.wait();
    };
    for (;;) {
        Header header;
        const qsizetype length = readHeader(stream, kSharpWidth, &header);
        if (length < 0) {
            failure = QStringLiteral("mutool gave no picture of the slide");
        } else if (length > 0 && stream.size() >= length) {
            if (drawn >= slides) {
                failure = QStringLiteral("the PDF has more pages than the deck has slides");
            } else {
                const QImage sharp =
                    QImage(reinterpret_cast<const uchar*>(stream.constData()) + header.length,
                           header.width, header.height, 3 * header.width, QImage::Format_RGB888)
                        .copy();
                stream.remove(0, length);
                try {
                    finish(kInTheMaking - 1);
                } catch (...) {
                    process.kill();
                    process.waitForFinished(5000);
                    settle();
                    throw;
                }
                making.push_back(std::async(std::launch::async, [sharp, &folder, slide = drawn++] {
                    writePictures(sharp, folder, slide);
                }));
                continue;
            }
        }
        if (!failure.isEmpty())
            break;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            failure = QStringLiteral("drawing the slides took too long");
            break;
        }
        if (process.state() == QProcess::NotRunning && process.bytesAvailable() == 0)
            break;
        process.waitForReadyRead(int(std::min<qint64>(left.count(), 1000)));
        stream += process.readAllStandardOutput();
    }
    if (!failure.isEmpty()) {
        process.kill();
        process.waitForFinished(5000);
        settle();
        throw AutomationError(
            QStringLiteral("The slide pictures could not be made: %1").arg(failure));
    }
    process.waitForFinished(5000);
    try {
        finish(0);
    } catch (...) {
        settle();
        throw;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0 ||
        !stream.isEmpty() || drawn == 0)
        throw AutomationError(
            QStringLiteral("The slide pictures could not be made: mutool ended after %1 slides")
                .arg(drawn));
    return drawn;
}
