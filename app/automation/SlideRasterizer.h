#pragma once

#include "platform/AnchoredFolder.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <chrono>

// Draws the slides of a deck from the PDF the office wrote, outside the
// office: the office's own pictures cost several times more per pixel, and
// a screen of twice the density needs four times the pixels. The PDF came
// from an untrusted deck, so the program that reads it (mutool) runs like
// the office: in a sandbox without network that sees only the PDF, with
// its memory, processor time and wall time limited, and its only output a
// stream of raw pictures that is checked before anything is made of it.
class SlideRasterizer {
public:
    // Widths of what is written for slide N: hdimg<N>.jpg for screens of
    // twice the density, img<N>.jpg at the size the pages show, and the
    // thumbnail thumb<N>.jpg.
    static constexpr int kSharpWidth = 1600;
    static constexpr int kWidth = 800;
    static constexpr int kThumbWidth = 256;

    struct Limits {
        qint64 memoryBytes = qint64(1) << 30;
        std::chrono::seconds wallTime{60};
        std::chrono::milliseconds wallTimePerSlide{1000};
    };

    // Writes the three pictures of every page into folder and returns how
    // many pages there were. Raises AutomationError when the PDF gives more
    // than `slides` pictures or one not of the expected width, when the
    // drawing program is missing, fails or exceeds a limit; what was
    // written is then left for the caller to discard.
    static int draw(const QString& pdfPath, const AnchoredFolder& folder, int slides,
                    const Limits& limits);
    static int draw(const QString& pdfPath, const AnchoredFolder& folder, int slides) {
        return draw(pdfPath, folder, slides, Limits());
    }

    // The drawing program's path, empty when it is not installed.
    static QString program();
    // Ends every drawing of this process, for a program ending on a signal:
    // a drawing under way fails, and writes no picture once this returns
    // but the one it may be writing.
    static void stopAll();

    // The drawing program's arguments: every page of pdfPath at `width`
    // pixels, as concatenated binary PPM pictures on standard output.
    static QStringList arguments(const QString& pdfPath, int width);

    // One picture's header at the start of `stream` ("P6", width, height,
    // 255, one blank): its size in bytes, or 0 while more bytes are needed,
    // or -1 when it is not such a header or the picture is out of bounds
    // (width not within a few pixels of `width`, height more than three
    // widths, or none).
    struct Header {
        int width = 0;
        int height = 0;
        qsizetype length = 0;
    };
    static qsizetype readHeader(const QByteArray& stream, int width, Header* header);

    // The picture at half its width and height, each pixel the mean of the
    // 2x2 it stands for (a last odd row counts twice, a last odd column is
    // left out): as smooth as a general scaling, at a fraction of its time,
    // for the slide drawn at twice the width the pages show.
    static QImage halved(const QImage& picture);

    // The picture as a baseline JPEG of the given quality (0-100), encoded
    // from its RGB rows without a copy when it is Format_RGB888. Raises
    // AutomationError when the encoder fails.
    static QByteArray jpeg(const QImage& picture, int quality);
};
