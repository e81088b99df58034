// The whole way from a file's bytes to what the window shows: LoadFile reads them (RTF or plain
// text, whose encoding it works out) into the document view, which then lays the whole document
// out, as scrolling to its end would. Layout is where a document can cost time or memory out of
// all proportion to its size, so a slow or large run is a finding here (-timeout, -rss_limit_mb).
#include "view/documentview.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

#include "structuremutator.h"

namespace {
// The input is handed over as a file in memory, so it is read through the same checks as a file
// on disk (it is a regular file).
int memoryFile = -1;
DocumentView* view = nullptr;

const char* const Openers[] = { "{", "{\\rtf1 ", "\\intbl\\itap2 x\\nestcell ", "\\trowd\\intbl ",
    "{\\pict\\pngblip ", "{\\colortbl;", "\\'", "\\u-3913 " };
const char* const Closers[] = { "}", "}", "\\nestrow ", "\\cell\\row ", "}", ";}", "", "" };
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication app(*argc, *argv);
    memoryFile = memfd_create("fuzz_load", MFD_CLOEXEC);
    if (memoryFile < 0)
        std::abort();
    view = new DocumentView;
    view->resize(800, 600);
    return 0;
}

extern "C" std::size_t LLVMFuzzerCustomMutator(
    std::uint8_t* data, std::size_t size, std::size_t maxSize, unsigned int seed)
{
    return StructureMutator::mutate(data, size, maxSize, seed, Openers, Closers);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (ftruncate(memoryFile, 0) != 0 || pwrite(memoryFile, data, size, 0) != ssize_t(size))
        std::abort();
    view->LoadFile(QStringLiteral("/proc/self/fd/%1").arg(memoryFile));
    view->document()->documentLayout()->documentSize();
    // The position contract of the view: one character of Text() per selection position.
    if (view->Text().size() + 1 != view->document()->characterCount())
        std::abort();
    return 0;
}
