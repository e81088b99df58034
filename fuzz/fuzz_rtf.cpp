// Feeds arbitrary bytes to the RTF reader and the writer of the view's document, as File > Open
// would hand them any file that starts like an RTF document.
#include "view/documentwriter.h"

#include <QGuiApplication>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "structuremutator.h"

namespace {
const char* const Openers[] = { "{", "{\\*\\unknown ", "\\intbl\\itap3 x\\nestcell ",
    "\\intbl x\\cell", "{\\pict\\jpegblip ", "{\\fonttbl{\\f1 ", "\\'", "\\uc2\\u233 " };
const char* const Closers[] = { "}", "}", "\\nestrow ", "\\row ", "}", ";}}", "", "" };
}

extern "C" std::size_t LLVMFuzzerCustomMutator(
    std::uint8_t* data, std::size_t size, std::size_t maxSize, unsigned int seed)
{
    return StructureMutator::mutate(data, size, maxSize, seed, Openers, Closers);
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Text layout and fonts need a GUI application; no screen is used.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::unique_ptr<QTextDocument> document = DocumentWriter::fromRtf(bytes, QFont());
    // Everything the view asks of a document afterwards must hold up too.
    const QString text = document->toPlainText();
    if (text.size() + 1 != document->characterCount())
        std::abort();
    return 0;
}
