// glimmer-metafile WIDTH HEIGHT: draws the Windows metafile (WMF or EMF) given on standard input
// at WIDTH x HEIGHT pixels and writes the pixels to standard output, WIDTH x HEIGHT 32-bit words
// (0xAARRGGBB premultiplied, in the machine's byte order), row by row, and ends with 0; anything
// else ends with 1 and writes nothing. The document view starts it for each metafile it draws:
// the libraries that read metafiles were not written for hostile files, and what a crafted one
// does to them stays in this process, which the view limits in memory and time.
#include "content/metafilekind.h"
#include "emfdraw.h"
#include "wmfdraw.h"

#include <QByteArray>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

// What the view asks for at the most: a side of a decoded picture, and a picture's bytes.
constexpr int MaxSide = 4096;
constexpr qsizetype MaxInput = qsizetype(64) * 1024 * 1024;

int side(const char* text)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return *end == '\0' && value > 0 && value <= MaxSide ? int(value) : 0;
}

// Standard input whole, or nothing when it is larger than a picture can be.
QByteArray readInput(bool* tooLarge)
{
    QByteArray data;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0)
            break;
        if (data.size() + got > MaxInput) {
            *tooLarge = true;
            return {};
        }
        data.append(buffer, got);
    }
    return data;
}

bool writeAll(const void* data, std::size_t size)
{
    const char* at = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t put = ::write(STDOUT_FILENO, at, size);
        if (put <= 0)
            return false;
        at += put;
        size -= std::size_t(put);
    }
    return true;
}

} // namespace

namespace {

// The drawing, written out; 0 when it was, 1 when it was not.
int drawn(int argc, char** argv)
{
    if (argc != 3)
        return 1;
    const int width = side(argv[1]), height = side(argv[2]);
    bool tooLarge = false;
    const QByteArray data = readInput(&tooLarge);
    if (width == 0 || height == 0 || tooLarge)
        return 1;
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
    using Content::MetafileKind;
    switch (Content::metafileKind(bytes, std::size_t(data.size()))) {
    case MetafileKind::Wmf: {
        const std::vector<std::uint32_t> pixels
            = drawWmf(bytes, std::size_t(data.size()), width, height);
        if (pixels.empty())
            return 1;
        return writeAll(pixels.data(), pixels.size() * sizeof(std::uint32_t)) ? 0 : 1;
    }
    case MetafileKind::Emf: {
        // Qt draws the text of the SVG with the system's faces, for which it needs an
        // application; this one never shows a window.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication application(argc, argv);
        const QImage image = drawEmf(data, width, height);
        if (image.isNull())
            return 1;
        for (int y = 0; y < height; ++y) {
            if (!writeAll(image.constScanLine(y), std::size_t(width) * 4))
                return 1;
        }
        return 0;
    }
    case MetafileKind::None:
        break;
    }
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    // Ended at once: what the libraries leave allocated goes with the process, and a leak check
    // at exit (in a build with the sanitizers) would turn a drawing into a failure.
    _exit(drawn(argc, argv));
}
