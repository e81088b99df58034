#pragma once

#include <QtGlobal>

// What the view's layouts are given at the most, in one place. A document may ask for anything;
// what it asks is shown within these bounds, so that laying it out takes time and memory in
// proportion to what it holds. A bound changes how text is laid out, never what it says.
namespace LayoutBudget {

// Text sizes: the largest shown, 300 points. Larger text can have single characters wider than
// the view's lines, which the text engine then lays out in time growing with the square of a run
// that has no break opportunity.
constexpr int MaxHalfPoints = 600;
// Raised and lowered text goes at most its own height up or down; characters are drawn between a
// quarter and four times their width, and spaced apart by at most a character's size.
constexpr int MaxRaisePercent = 100;
constexpr int MinScalePercent = 25;
constexpr int MaxScalePercent = 400;

// Lengths a paragraph or a table may declare (indents, spacing, tab stops, cell widths, the
// distance of default tab stops), in twips: a wide page, 22 inches.
constexpr int MaxTwips = 1440 * 22;
// Lines are at most 4 inches apart, or 5 times their own height.
constexpr int MaxLineSpacingTwips = 1440 * 4;
constexpr int MaxLineMultiple = 5;
// Default tab stops are laid out across half of that.
constexpr int DefaultTabsEnd = 1440 * 11;
constexpr int MinDefaultTab = 15;
// Borders are at most an inch wide.
constexpr int MaxBorderTwips = 1440;
// The space between a cell's side and its text, on each side.
constexpr int MaxCellPaddingTwips = 1440;

// Prose wraps at word boundaries. A run of characters with no break opportunity longer than this
// (block art, a dump without spaces) makes word wrapping try every position of the run, which
// grows with the square of its length: documents with one wrap anywhere.
constexpr qsizetype LongestWordWrappedRun = 10000;
// In a table the run may stand in a cell narrower than a character, a row for each character,
// and the table lays its cells out more than once: there the bound is lower.
constexpr qsizetype LongestWordWrappedInCell = 500;

// Plain text: lines are kept together in paragraphs of about this many characters, separated
// within a paragraph by line separators; so are RTF paragraphs that look alike. A document of
// 600,000 one-line paragraphs takes five times as long to build as one of 10,000 grouped ones, and
// twice the memory once laid out.
constexpr qsizetype GroupedLength = 4096;
// Plain text: a line longer than this is cut into paragraphs of this many characters (at a space
// near the end when it has one), each cut standing for the character of the line that it takes
// the place of, and drawn as that character (see DocumentText::CutFor). The editor has the text
// engine go over the whole paragraph that holds the caret after every move and every change, in
// time and memory growing with its length: a 200 MB line took seconds per keystroke and gigabytes.
// A row of the grid also ends at each cut. A prime: the character drawn for the cut of a line
// without spaces finds a free cell in its last row at every width (in prose it is a space, which
// may hang past the row's end as the others do).
constexpr qsizetype PlainCut = 16381;
constexpr qsizetype PlainCutSpaceSearch = 1024;
// Plain paragraphs longer than this are never shaped whole: their visible rows are shaped one by
// one, each at most MaxShapedRow characters.
constexpr int LongBlock = 65536;
constexpr int MaxShapedRow = 4096;

// RTF paragraphs longer than this are laid out as several, each ended at a space near the length
// where there is one (the space stays in the text; see DocumentText): a paragraph is laid out
// whole, in memory many times its length.
constexpr qsizetype MaxBlockLength = 8192;
constexpr qsizetype SpaceSearch = 1024;
// ... and with more tabs than this, at a line break before the next where there is one, else at
// the tab: laying out a tab measures the rest of its block.
constexpr qsizetype MaxTabsInBlock = 64;

// Rich documents are laid out a window at a time around what is shown (view/windowlayout.h):
// at most this many characters, whose paragraphs could at the very most be this tall together.
// Qt's layout computes in fixed point that overflows past 8,388,607 pixels, and takes time in
// proportion to what it is given.
constexpr qint64 WindowChars = 65536;
constexpr double WindowHeight = 4000000;
// ... and at most this many paragraphs, those of table cells included: a paragraph or a cell
// costs the layout far more than a character.
constexpr int WindowBlocks = 4000;
// ... those of a table that holds tables counted as many times each as its depth of tables asks:
// Qt lays a table inside a table out in several passes, each cell many times over (measured: a
// cell of one letter nested 1 to 4 deep takes 0.06, 0.10, 0.19 and 0.57 ms).
constexpr int TableBlockWeight[] = { 1, 2, 4, 12 };

// Face names of a document looked up in the system's fonts; the rest are drawn in the face of
// their font's class (each lookup takes the system about 0.15 ms).
constexpr int MaxFaceLookups = 512;

// Tables deeper than this are written as the cells of the deepest one allowed. Laying out a table
// inside a table takes about twice as long as the same content one level up.
constexpr int MaxTableDepth = 4;
// A row with more cells than this goes on in the next row.
constexpr int MaxColumns = 64;
// The view lays a table out whole, nested tables and all, before it shows any of it; only the
// tables that come after it wait until they are scrolled to. Large tables are therefore written
// as several, one after the other, each of at most this many cells (filled or not), a cell
// counting twice for each level it is nested at.
constexpr qint64 MaxTableCost = 2000;
// Text in a table costs as one more cell for each this many characters: a table holds at most
// about a window's text (WindowChars). A cell with more than that goes on as text.
constexpr qint64 TableCharsPerCell = 32;
// Tables of at most this many cells draw the sides where two cells meet once.
constexpr qint64 MaxCollapsedCells = 300;
// Every cell costs time and memory for its own block and frame, many times the text it holds:
// past this many in a document, the rest of its tables are written as text, a tab after each cell
// and a line for each row.
constexpr qint64 MaxDocumentCells = 50000;
// Rows are added to a table in growing batches: adding one makes the table work out its grid
// afresh, so adding them one at a time would take time growing with the square of their number.
// The rows left over are removed when the table ends, which takes time growing with the square of
// their cells: a batch holds no more than this many.
constexpr int MaxBatchCells = 512;
// Rows a vertical merge may span.
constexpr int MaxVerticalSpan = 500;

// Pictures: none shown larger than this each way (a hundred inches, in pixels), nor decoded
// larger than MaxDecodedSide each way (a larger one is drawn scaled up); decoding one may need at
// most MaxDecodePixels on the way, and a document's pictures together MaxDocumentPixels.
constexpr int MaxPictureTwips = 1440 * 100;
constexpr int MaxShownSide = 9600;
constexpr int MaxDecodedSide = 4096;
constexpr qint64 MaxDecodePixels = qint64(16) * 1024 * 1024;
constexpr qint64 MaxDocumentPixels = qint64(8) * 1024 * 1024;
// The pictures of one paragraph are together at most this tall (a paragraph is laid out whole):
// those past it are shown MinPictureSide pixels high, at their own proportions.
constexpr int MaxParagraphPictureHeight = 500000;
constexpr int MinPictureSide = 8;

// Metafiles are drawn each by a process of its own (view/metafiledecoder.h), which takes 10 to
// 25 ms to start and draw (bench_metafiles): a document has at most MaxMetafileDraws of them
// drawn, and waits for its metafiles at most MetafileDocumentMs together and MetafileDrawMs for
// any one; the rest show as empty frames. A process may use MetafileCpuSeconds of processor time
// and MetafileAddressSpace of memory.
constexpr int MaxMetafileDraws = 24;
constexpr int MetafileDrawMs = 1000;
constexpr int MetafileDocumentMs = 1500;
constexpr int MetafileCpuSeconds = 1;
constexpr qint64 MetafileAddressSpace = qint64(1024) * 1024 * 1024;

} // namespace LayoutBudget
