// The whole way from a file's bytes to what the window shows, as a user goes it: LoadFile reads
// them (RTF or plain text, whose encoding it works out) into the document view on the screen, the
// user presses Ctrl+End, the view paints the end of the document, and Find marks every "e" and
// paints the view again where the selection rests. A document can cost time or memory out of all
// proportion to its size at any of these steps (laying out up to the end, painting a tall line,
// formatting thousands of matches), so a slow or large run is a finding here (-timeout,
// -report_slow_units, -rss_limit_mb: scripts/fuzz). Windows metafiles are drawn as the program
// draws them, by the decoder program in a child process (found in libexec/glimmer of the build),
// so a metafile that crashes or hangs it is not a finding, and one that harms this process is.
#include "find/highlightsearch.h"
#include "view/documentview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPixmap>
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

// The letter searched for: the commonest in English text, so most documents have many matches.
const QString SearchedWord = QStringLiteral("e");

// A picture of each kind the view draws; a metafile's begins with the header of a WMF, which
// the decoder program is then given.
const char* const Openers[] = { "{", "{\\rtf1 ", "\\intbl\\itap2 x\\nestcell ", "\\trowd\\intbl ",
    "{\\pict\\pngblip ", "{\\pict\\wmetafile8\\picwgoal900\\pichgoal900 010009000003",
    "{\\colortbl;", "\\'", "\\u-3913 " };
const char* const Closers[] = { "}", "}", "\\nestrow ", "\\cell\\row ", "}", "}", ";}", "", "" };

// The view's position contract: one character of Text() per selection position.
void checkPositions(const QString& text)
{
    if (text.size() + 1 != view->document()->characterCount())
        std::abort();
}

// Presses and releases a key on the view, as the window system delivers it.
void press(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QKeyEvent down(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(view, &down);
    QKeyEvent up(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(view, &up);
}

// Paints what the view shows now, as the screen would get it.
void paint()
{
    QApplication::processEvents();
    view->viewport()->grab();
}
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Never destroyed: at exit the platform's input devices (made for the key events) are
    // already gone, and destroying the application after them crashes.
    new QApplication(*argc, *argv);
    memoryFile = memfd_create("fuzz_load", MFD_CLOEXEC);
    if (memoryFile < 0)
        std::abort();
    view = new DocumentView;
    view->resize(800, 600);
    view->show();
    view->setFocus();
    QApplication::processEvents();
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
    paint();
    const QString text = view->Text();
    checkPositions(text);

    // Ctrl+End puts the caret after the last character.
    press(Qt::Key_End, Qt::ControlModifier);
    if (view->SelStart() != text.size() || view->SelLength() != 0)
        std::abort();
    paint();

    // Find marks every match and leaves the last one selected; marking formats, it never changes
    // the text.
    const std::int32_t marked = HighlightSearch::markAll(*view, SearchedWord);
    const qsizetype last = text.lastIndexOf(SearchedWord);
    if (marked != text.count(SearchedWord)
        || (last >= 0 && (view->SelStart() != last || view->SelLength() != SearchedWord.size())))
        std::abort();
    paint();
    if (view->Text() != text)
        std::abort();
    checkPositions(text);
    return 0;
}
