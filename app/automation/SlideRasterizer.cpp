#include "app/automation/SlideRasterizer.h"

#include "app/automation/AutomationError.h"
#include "app/automation/OfficeSandbox.h"
#include "platform/FileError.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <deque>
#include <fcntl.h>
#include <future>
#include <jpeglib.h>
#include <memory>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

// Sharp pictures are looked at on dense screens, where a JPEG's artefacts
// are half as large; the others keep the export's quality.
constexpr int kSharpQuality = 75;
constexpr int kQuality = 85;

// The encoder's output grows in the QByteArray it ends up in, so the
// encoded picture is never copied.
struct JpegSink {
    jpeg_destination_mgr manager;
    QByteArray* bytes;
};

JpegSink* sinkOf(j_compress_ptr info) {
    return reinterpret_cast<JpegSink*>(info->dest);
}

void startSink(j_compress_ptr info) {
    JpegSink* sink = sinkOf(info);
    sink->bytes->resize(std::max<qsizetype>(16384, qsizetype(info->image_width) *
                                                       qsizetype(info->image_height) / 4));
    sink->manager.next_output_byte = reinterpret_cast<JOCTET*>(sink->bytes->data());
    sink->manager.free_in_buffer = size_t(sink->bytes->size());
}

boolean growSink(j_compress_ptr info) {
    JpegSink* sink = sinkOf(info);
    const qsizetype used = sink->bytes->size();
    sink->bytes->resize(2 * used);
    sink->manager.next_output_byte = reinterpret_cast<JOCTET*>(sink->bytes->data()) + used;
    sink->manager.free_in_buffer = size_t(used);
    return TRUE;
}

void endSink(j_compress_ptr info) {
    JpegSink* sink = sinkOf(info);
    sink->bytes->resize(sink->bytes->size() - qsizetype(sink->manager.free_in_buffer));
}

// The library's default reaction to an error ends the process; this one
// returns to the encoding call with the library's message.
struct JpegFailure {
    jpeg_error_mgr manager;
    std::jmp_buf back;
    char message[JMSG_LENGTH_MAX];
};

void failJpeg(j_common_ptr info) {
    auto* failure = reinterpret_cast<JpegFailure*>(info->err);
    info->err->format_message(info, failure->message);
    std::longjmp(failure->back, 1);
}

// Nothing with a destructor lives here: a failure jumps back into it.
bool encodeJpeg(const uchar* rows, int width, int height, qsizetype stride, int quality,
                QByteArray* bytes, JpegFailure* failure) {
    jpeg_compress_struct info;
    info.err = jpeg_std_error(&failure->manager);
    failure->manager.error_exit = failJpeg;
    if (setjmp(failure->back)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    JpegSink sink{{nullptr, 0, startSink, growSink, endSink}, bytes};
    info.dest = &sink.manager;
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    constexpr int kRowsAtOnce = 16;
    JSAMPROW batch[kRowsAtOnce];
    while (info.next_scanline < info.image_height) {
        const int first = int(info.next_scanline);
        const int count = std::min(kRowsAtOnce, height - first);
        for (int i = 0; i < count; ++i)
            batch[i] = const_cast<JSAMPROW>(rows + (first + i) * stride);
        jpeg_write_scanlines(&info, batch, JDIMENSION(count));
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

// RGB rows at half the width and height; see SlideRasterizer::halved.
void halve(const uchar* source, int width, int height, qsizetype stride, uchar* out,
           qsizetype outStride) {
    const int pixels = width / 2;
    for (int y = 0; 2 * y < height; ++y) {
        const uchar* __restrict top = source + 2 * y * stride;
        const uchar* __restrict bottom = 2 * y + 1 < height ? top + stride : top;
        uchar* __restrict row = out + y * outStride;
        for (int x = 0; x < pixels; ++x) {
            const uchar* t = top + 6 * x;
            const uchar* b = bottom + 6 * x;
            uchar* o = row + 3 * x;
            o[0] = uchar((t[0] + t[3] + b[0] + b[3] + 2) >> 2);
            o[1] = uchar((t[1] + t[4] + b[1] + b[4] + 2) >> 2);
            o[2] = uchar((t[2] + t[5] + b[2] + b[5] + 2) >> 2);
        }
    }
}

// One slide's pixels and its halved picture, kept for a later slide once
// its pictures are written: fresh pictures of several megabytes per slide
// cost more in page faults than making them.
struct Frame {
    std::vector<uchar> pixels;
    std::vector<uchar> half;
    int width = 0;
    int height = 0;
};

std::atomic<bool> stopped{false};

// A staging folder that is being removed must take no new names.
void writePicture(const AnchoredFolder& folder, const QString& name, const QByteArray& bytes) {
    if (stopped)
        throw AutomationError(QStringLiteral("The slide pictures could not be made: the run ends"));
    folder.write(name, bytes);
}

void writePictures(Frame* frame, const AnchoredFolder& folder, int slide) {
    const QString number = QString::number(slide);
    const QImage sharp(frame->pixels.data(), frame->width, frame->height, 3 * frame->width,
                       QImage::Format_RGB888);
    writePicture(folder, QStringLiteral("hdimg") + number + QStringLiteral(".jpg"),
                 SlideRasterizer::jpeg(sharp, kSharpQuality));
    QImage normal;
    if (frame->width == 2 * SlideRasterizer::kWidth) {
        const int height = (frame->height + 1) / 2;
        frame->half.resize(size_t(3 * SlideRasterizer::kWidth) * size_t(height));
        halve(frame->pixels.data(), frame->width, frame->height, 3 * frame->width,
              frame->half.data(), 3 * SlideRasterizer::kWidth);
        normal = QImage(frame->half.data(), SlideRasterizer::kWidth, height,
                        3 * SlideRasterizer::kWidth, QImage::Format_RGB888);
    } else {
        normal = sharp.scaledToWidth(SlideRasterizer::kWidth, Qt::SmoothTransformation);
    }
    writePicture(folder, QStringLiteral("img") + number + QStringLiteral(".jpg"),
                 SlideRasterizer::jpeg(normal, kQuality));
    writePicture(folder, QStringLiteral("thumb") + number + QStringLiteral(".jpg"),
                 SlideRasterizer::jpeg(
                     normal.scaledToWidth(SlideRasterizer::kThumbWidth, Qt::SmoothTransformation),
                     kQuality));
}

// A descriptor closed when it goes out of scope.
struct Descriptor {
    int fd = -1;
    ~Descriptor() { close(); }
    void close() {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
};

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

void SlideRasterizer::stopAll() {
    stopped = true;
}

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
    halve(source.constBits(), source.width(), source.height(), source.bytesPerLine(), half.bits(),
          half.bytesPerLine());
    return half;
}

QByteArray SlideRasterizer::jpeg(const QImage& picture, int quality) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    QByteArray bytes;
    JpegFailure failure{};
    if (rgb.isNull() || !encodeJpeg(rgb.constBits(), rgb.width(), rgb.height(), rgb.bytesPerLine(),
                                    quality, &bytes, &failure))
        throw AutomationError(QStringLiteral("The slide pictures could not be made: %1")
                                  .arg(QString::fromLocal8Bit(failure.message)));
    return bytes;
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
    // The pictures come through a pipe of this process's own, read straight
    // into each slide's buffer, rather than through the process's buffered
    // channel, which copies every picture several times over.
    Descriptor reading;
    Descriptor writing;
    {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            throw AutomationError(QStringLiteral("mutool could not be started"));
        reading.fd = ends[0];
        writing.fd = ends[1];
    }
    // A larger pipe than the default 64 KiB: a picture arrives in a few
    // reads rather than a hundred. Only a wish; the system may refuse.
    ::fcntl(reading.fd, F_SETPIPE_SZ, 1 << 20);
    QProcess process;
    process.setProgram(executable);
    process.setArguments(argv);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    const int output = writing.fd;
    process.setChildProcessModifier([memory, cpuSeconds, output] {
        const rlimit space{rlim_t(memory), rlim_t(memory)};
        const rlimit cpu{rlim_t(cpuSeconds), rlim_t(cpuSeconds)};
        const rlimit none{0, 0};
        ::dup2(output, STDOUT_FILENO);
        ::setrlimit(RLIMIT_AS, &space);
        ::setrlimit(RLIMIT_CPU, &cpu);
        ::setrlimit(RLIMIT_CORE, &none);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
    process.start();
    writing.close();
    if (!process.waitForStarted(10000))
        throw AutomationError(QStringLiteral("mutool could not be started"));

    int drawn = 0;
    QString failure;
    // A slide's pictures are made while mutool draws the next ones, so
    // neither waits for the other; two slides are in the making at a time,
    // as encoding three pictures takes about as long as drawing one.
    constexpr size_t kInTheMaking = 2;
    struct Making {
        std::unique_ptr<Frame> frame;
        std::future<void> done; // after frame: ends before the frame goes
    };
    std::deque<Making> making;
    std::vector<std::unique_ptr<Frame>> spare;
    const auto finish = [&making, &spare](size_t keep) {
        while (making.size() > keep) {
            Making oldest = std::move(making.front());
            making.pop_front();
            oldest.done.get();
            spare.push_back(std::move(oldest.frame));
        }
    };
    const auto settle = [&making] {
        for (Making& slide : making)
            slide.done.wait();
    };
    // The next picture's header, then its pixels, which go into `frame`.
    constexpr qsizetype kLongestHeader = 64;
    QByteArray head;
    std::unique_ptr<Frame> frame;
    size_t have = 0;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            failure = QStringLiteral("drawing the slides took too long");
            break;
        }
        if (stopped) {
            failure = QStringLiteral("the run ends");
            break;
        }
        pollfd ready{reading.fd, POLLIN, 0};
        if (::poll(&ready, 1, int(std::min<qint64>(left.count(), 1000))) <= 0)
            continue;
        ssize_t got;
        if (!frame) {
            const qsizetype known = head.size();
            head.resize(kLongestHeader);
            got = ::read(reading.fd, head.data() + known, size_t(kLongestHeader - known));
            head.resize(known + std::max<ssize_t>(got, 0));
        } else {
            got = ::read(reading.fd, frame->pixels.data() + have, frame->pixels.size() - have);
            have += size_t(std::max<ssize_t>(got, 0));
        }
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            failure = QStringLiteral("the pictures could not be read");
            break;
        }
        if (!frame) {
            Header header;
            const qsizetype length = readHeader(head, kSharpWidth, &header);
            if (length < 0 || (length == 0 && head.size() >= kLongestHeader)) {
                failure = QStringLiteral("mutool gave no picture of the slide");
                break;
            }
            if (length == 0)
                continue;
            if (drawn >= slides) {
                failure = QStringLiteral("the PDF has more pages than the deck has slides");
                break;
            }
            if (spare.empty()) {
                frame = std::make_unique<Frame>();
            } else {
                frame = std::move(spare.back());
                spare.pop_back();
            }
            frame->width = header.width;
            frame->height = header.height;
            frame->pixels.resize(size_t(length - header.length));
            // A header is shorter than any picture, so what was read past it
            // is the start of the pixels.
            have = size_t(head.size() - header.length);
            std::copy(head.cbegin() + header.length, head.cend(), frame->pixels.begin());
            head.clear();
        }
        if (have < frame->pixels.size())
            continue;
        try {
            finish(kInTheMaking - 1);
        } catch (...) {
            process.kill();
            process.waitForFinished(5000);
            settle();
            throw;
        }
        Frame* const picture = frame.get();
        making.push_back(
            {std::move(frame), std::async(std::launch::async, [picture, &folder, slide = drawn++] {
                 writePictures(picture, folder, slide);
             })});
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
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0 || frame ||
        !head.isEmpty() || drawn == 0)
        throw AutomationError(
            QStringLiteral("The slide pictures could not be made: mutool ended after %1 slides")
                .arg(drawn));
    return drawn;
}
