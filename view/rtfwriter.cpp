#include "view/rtfwriter.h"

#include "forms/units.h"
#include "text/textdecoding.h"
#include "view/documenttext.h"
#include "view/layoutbudget.h"
#include "view/linemetrics.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QTextDocument>
#include <QTextTable>
#include <algorithm>

using Content::Border;
using Content::CellDef;
using Content::ParaProps;
using namespace LayoutBudget;

RtfWriter::RtfWriter(QTextDocument* document)
    : m_pictures(document)
    , m_cursor(document)
{
    m_cursor.movePosition(QTextCursor::End);
    // One edit for the whole document: the document then works out its frames (the tables)
    // once at the end instead of after every table.
    m_cursor.beginEditBlock();
}

void RtfWriter::font(int number, const Content::FontEntry& entry)
{
    m_formats.setFont(number, entry);
}

void RtfWriter::colorTable(const std::vector<Content::ColorEntry>& colors)
{
    m_formats.setColors(colors);
}

void RtfWriter::defaultTab(int twips) { m_formats.setDefaultTab(twips); }

void RtfWriter::text(QStringView text, const Content::CharProps& chars)
{
    if (text.isEmpty())
        return;
    m_lastChars = chars;
    if (!m_runs.empty() && m_runs.back().image < 0 && m_runs.back().chars == chars) {
        m_runs.back().length += text.size();
    } else {
        m_runs.push_back({ m_text.size(), text.size(), chars, -1 });
    }
    m_text.append(text);
}

void RtfWriter::picture(const Content::Picture& picture)
{
    std::optional<QTextImageFormat> image = m_pictures.decode(picture);
    if (!image)
        return;
    const qreal height = image->height();
    if (m_pictureHeight + height > LayoutBudget::MaxParagraphPictureHeight && height > 0) {
        const qreal scale = LayoutBudget::MinPictureSide / height;
        image->setHeight(LayoutBudget::MinPictureSide);
        image->setWidth(qMax<qreal>(1, image->width() * scale));
    }
    m_pictureHeight += image->height();
    m_runs.push_back({ m_text.size(), 0, Content::CharProps(), int(m_images.size()) });
    m_images.append(*image);
}

void RtfWriter::checkBox(bool checked, const Content::CharProps& chars)
{
    m_marks.addCheckBox(m_text.size(), checked, chars, m_cursor.document()->defaultFont());
}

bool RtfWriter::hasLongRun() const
{
    return m_longestRun > LongestWordWrappedRun || m_longestRunInCell > LongestWordWrappedInCell;
}

void RtfWriter::endParagraph(const ParaProps& para, End end)
{
    int level = qMin(para.tableLevel(), MaxTableDepth);
    // A cell or row mark says by itself that the paragraph is in a table.
    if (end == End::Cell || end == End::Row)
        level = level > 1 && end == End::Cell ? level : 1;
    else if (end == End::NestedCell || end == End::NestedRow)
        level = qBound(2, para.nesting, MaxTableDepth);

    // A plain paragraph like the one before goes into its block, after a line break.
    const bool mayJoin = level == 0 && end == End::Paragraph && !m_tableBefore && m_images.isEmpty()
        && m_cells < MaxDocumentCells;
    const QTextBlockFormat format = mayJoin ? blockFormatOf(para, level) : QTextBlockFormat();
    if (m_joining) {
        if (mayJoin && format == m_joinedFormat && fitsJoinedBlock()) {
            // The line break ends the paragraph before and takes the format of its text, as a
            // paragraph's end does.
            putText(u"\u2028", lastCharFormat());
            writeRuns();
            m_marks.clear();
            followedBy(para, level, end);
            return;
        }
        endJoinedBlock();
    }

    // A table's cell is laid out whole: one whose text would outgrow what the view lays out at
    // a time goes on as text, with the rest of its table.
    if (level == 0)
        m_tableAsText = false;
    else if (m_cellChars + m_text.size() > WindowChars)
        m_tableAsText = true;
    if ((m_cells >= MaxDocumentCells || m_tableAsText) && end != End::Document) {
        writeAsText(para, end);
        return;
    }
    closeTablesTo(level);
    const bool content
        = hasContent() || end == End::Paragraph || end == End::Cell || end == End::NestedCell;
    if (level > 0 && content) {
        openTablesTo(level);
        enterCell();
        // Text costs the table's layout as cells do: a table of much text goes on as a new one
        // after a row, as one of many cells does.
        m_cellChars = end == End::Paragraph ? m_cellChars + m_text.size() : 0;
        m_tableText += m_text.size() * cellCost();
    }
    if (level == 0 && m_tableBefore)
        keepSpaceAfterTable(para, end);
    if (hasContent() || end == End::Paragraph) {
        m_cursor.setBlockFormat(mayJoin ? format : blockFormatOf(para, level));
        writeRuns();
    }
    m_marks.clear();
    followedBy(para, level, end);
    switch (end) {
    case End::Paragraph: {
        if (mayJoin && joinsAlike(format)) {
            // Its end waits: a line break if the next paragraph joins it, else a block's end.
            m_joining = true;
            m_joinedFormat = format;
            m_joinedLength = m_cursor.positionInBlock();
            m_tabsBlock = m_cursor.block();
            m_blockTabs = m_tabsBlock.text().count(u'\t');
            break;
        }
        // The next paragraph gives its block its own format when it ends. Until then the block
        // has the format of the one before without its marks: an empty last block, which no
        // paragraph ends, shows no list label.
        QTextBlockFormat next = m_cursor.blockFormat();
        next.clearProperty(DocumentText::ListLabel);
        next.clearProperty(DocumentText::CheckBox);
        m_cursor.insertBlock(next);
        break;
    }
    case End::Cell:
    case End::NestedCell:
        if (!m_tables.empty())
            m_tables.back().cellEnded = true;
        break;
    case End::Row:
    case End::NestedRow:
        if (!m_tables.empty() && int(m_tables.size()) == level) {
            // A row is finished once: its merges may have taken cells away that a second row
            // mark with nothing between would find gone.
            if (!m_tables.back().rowEnded)
                finishRow(m_tables.back());
            m_tables.back().rowEnded = true;
            m_tables.back().cellEnded = false;
        }
        break;
    case End::Document:
        closeTablesTo(0);
        m_cursor.endEditBlock();
        if (m_endedAtCharacter)
            m_cursor.document()->setProperty(DocumentText::HasCharacterEnds, true);
        if (m_formats.madeLeaders())
            m_cursor.document()->setProperty(DocumentText::HasTabLeaders, true);
        if (m_formats.madeExtraUnderlines())
            m_cursor.document()->setProperty(DocumentText::HasExtraUnderlines, true);
        if (m_formats.madeBorders())
            m_cursor.document()->setProperty(DocumentText::HasParagraphBorders, true);
        if (m_marks.madeMarks())
            m_cursor.document()->setProperty(DocumentText::HasListMarks, true);
        break;
    }
}

QTextBlockFormat RtfWriter::blockFormatOf(const ParaProps& para, int level)
{
    // Paragraphs come in runs alike: one of no text or of one run, without marks, takes the
    // format of the one before when its properties and text's are the same.
    const bool plain = m_marks.isEmpty() && !para.contextualSpace && m_runs.size() <= 1
        && (m_runs.empty() || m_runs.front().image < 0);
    if (plain) {
        LastBlock& last = m_lastBlock;
        if (last.valid && last.runs == m_runs.size()
            && (m_runs.empty() ? last.textBefore == lastCharFormat()
                               : last.chars == m_runs.front().chars)
            && last.para == para)
            return last.format;
    }
    QTextBlockFormat format = markedFormat(para, paragraphFormat(para));
    if (para.contextualSpace && followsAlike(para, level))
        format.setTopMargin(0);
    if (plain) {
        m_lastBlock.valid = true;
        m_lastBlock.runs = m_runs.size();
        if (m_runs.empty())
            m_lastBlock.textBefore = lastCharFormat();
        else
            m_lastBlock.chars = m_runs.front().chars;
        m_lastBlock.para = para;
        m_lastBlock.format = format;
    }
    return format;
}

bool RtfWriter::followsAlike(const ParaProps& para, int level) const
{
    return m_previous.followable && m_previous.level == level && m_previous.style == para.style;
}

void RtfWriter::followedBy(const ParaProps& para, int level, End end)
{
    // The paragraph before keeps no space after above one of its style, when it asks for that.
    if (m_previous.contextualSpace && followsAlike(para, level)
        && m_previous.block != m_cursor.block()) {
        QTextCursor before(m_previous.block);
        QTextBlockFormat format = before.blockFormat();
        if (format.bottomMargin() != 0) {
            format.setBottomMargin(0);
            before.setBlockFormat(format);
        }
    }
    // The next paragraph follows this one in the same cell or at the top, after a paragraph end.
    m_previous = Previous();
    if (end == End::Paragraph) {
        m_previous.followable = true;
        if (para.contextualSpace)
            m_previous.block = m_cursor.block();
        m_previous.level = level;
        m_previous.style = para.style;
        m_previous.contextualSpace = para.contextualSpace;
    }
}

bool RtfWriter::joinsAlike(const QTextBlockFormat& format)
{
    // Paragraphs of one block share its format, and their ends are line breaks, which read as
    // paragraph ends do (DocumentText). They look as blocks of their own would where nothing of
    // the format is the first or last line's alone, and nothing is drawn for each paragraph.
    return format.topMargin() == 0 && format.bottomMargin() == 0 && format.textIndent() == 0
        && !format.hasProperty(DocumentText::ListLabel)
        && !format.hasProperty(DocumentText::CheckBox)
        && !format.hasProperty(DocumentText::HasCheckBoxes)
        && !format.hasProperty(DocumentText::ParagraphBorders)
        && format.pageBreakPolicy() == QTextFormat::PageBreak_Auto && hasOnlyLeftTabs(format);
}

bool RtfWriter::hasOnlyLeftTabs(const QTextBlockFormat& format)
{
    // The text engine places the text after a right, centred or decimal stop wrongly on a line
    // that a line break ends.
    if (!format.hasProperty(QTextFormat::TabPositions))
        return true;
    const QList<QTextOption::Tab> tabs = format.tabPositions();
    return std::all_of(tabs.cbegin(), tabs.cend(),
        [](const QTextOption::Tab& tab) { return tab.type == QTextOption::LeftTab; });
}

bool RtfWriter::fitsJoinedBlock() const
{
    // A block is ended at a tab where its tabs grow too many: the next paragraph begins a block
    // instead, where it looks the same.
    return m_joinedLength + m_text.size() < GroupedLength
        && m_blockTabs + m_text.count(u'\t') <= MaxTabsInBlock;
}

void RtfWriter::endJoinedBlock()
{
    // The last paragraph that joined ends the block.
    flushJoined();
    m_cursor.insertBlock();
    m_joining = false;
}

void RtfWriter::putText(QStringView text, const QTextCharFormat& format)
{
    if (!m_joining) {
        m_cursor.insertText(text.toString(), format);
        return;
    }
    // The document's cost is per insertion, not per character: a million short paragraphs
    // joined go in as a few runs.
    if (!m_joinedText.isEmpty() && format != m_joinedTextFormat)
        flushJoined();
    m_joinedText += text;
    m_joinedTextFormat = format;
    m_joinedLength += text.size();
}

void RtfWriter::flushJoined()
{
    if (m_joinedText.isEmpty())
        return;
    m_cursor.insertText(m_joinedText, m_joinedTextFormat);
    m_joinedText.truncate(0);
}

QTextCharFormat RtfWriter::lastCharFormat() const
{
    return m_joinedText.isEmpty() ? m_cursor.charFormat() : m_joinedTextFormat;
}

QTextBlockFormat RtfWriter::paragraphFormat(const ParaProps& para)
{
    QTextBlockFormat format = m_formats.blockFormat(para);
    // Lines the document spaces at a height of its own keep it.
    if (para.lineSpacing != 0 && !para.lineMultiple)
        return format;
    if (m_runs.empty()) {
        // An empty paragraph has one line of the text engine's own height for the format it
        // takes from the text before it. Given as a fixed height it stays that when it shares a
        // block with others alike: the engine rounds a block's height, not each of its lines'.
        if (format.lineHeightType() == QTextBlockFormat::FixedHeight || !joinsAlike(format))
            return format; // only paragraphs that may share a block need it
        const qreal empty = emptyLineOf(lastCharFormat(), format);
        return empty > 0 ? spacedFormat(format, empty) : format;
    }
    qreal line = 0;
    for (const Run& run : m_runs) {
        const qreal height = run.image >= 0 ? 0 : singleLineOf(run.chars);
        if (height <= 0)
            return format; // a picture, or a face without the tables: the text engine's lines
        line = qMax(line, height);
    }
    if (line <= 0)
        return format;
    if (para.lineMultiple && para.lineSpacing != 0)
        line *= qBound(1,
                    qAbs(qBound(-MaxLineMultiple * 240, para.lineSpacing, MaxLineMultiple * 240)),
                    MaxLineMultiple * 240)
            / 240.0;
    return spacedFormat(format, qMin<qreal>(line, Units::px(MaxLineSpacingTwips)));
}

QTextBlockFormat RtfWriter::spacedFormat(const QTextBlockFormat& format, qreal line)
{
    // Paragraphs come in runs of one format: the last answer is shared, so that comparing the
    // next paragraph's format with it costs nothing.
    if (m_spaced.line != line || !(m_spaced.from == format)) {
        m_spaced.from = format;
        m_spaced.line = line;
        m_spaced.format = format;
        m_spaced.format.setLineHeight(line, QTextBlockFormat::FixedHeight);
    }
    return m_spaced.format;
}

QTextBlockFormat RtfWriter::markedFormat(const ParaProps& para, QTextBlockFormat format)
{
    if (m_marks.isEmpty())
        return format;
    std::vector<ParagraphMarks::Segment> label;
    const qsizetype labelLength = qMin(m_marks.fileLabelLength(), m_text.size());
    const Content::CharProps* first = nullptr;
    for (const Run& run : m_runs) {
        if (run.image >= 0)
            continue;
        if (!first)
            first = &run.chars;
        if (run.start < labelLength)
            label.push_back(
                { QStringView(m_text).sliced(run.start, qMin(run.length, labelLength - run.start)),
                    run.chars });
    }
    m_marks.place(
        format, para, label, first ? *first : m_lastChars, m_cursor.document()->defaultFont());
    return format;
}

qreal RtfWriter::emptyLineOf(const QTextCharFormat& format, const QTextBlockFormat& spacing)
{
    // Empty paragraphs come in runs: the last one's answer is kept at hand.
    EmptyLine& last = m_lastEmptyLine;
    if (last.height >= 0 && last.format == format && last.type == spacing.lineHeightType()
        && last.spacing == spacing.lineHeight())
        return last.height;
    last = { format, spacing.lineHeightType(), spacing.lineHeight(),
        measureEmptyLine(format, spacing) };
    return last.height;
}

qreal RtfWriter::measureEmptyLine(const QTextCharFormat& format, const QTextBlockFormat& spacing)
{
    const QFont font = format.font().resolve(m_cursor.document()->defaultFont());
    const QString key = font.key() + u'|' + QString::number(spacing.lineHeightType()) + u'|'
        + QString::number(spacing.lineHeight());
    auto found = m_emptyLines.constFind(key);
    if (found != m_emptyLines.cend())
        return *found;
    if (m_emptyLines.size() >= 4096)
        return 0; // the text engine's own, unmeasured
    QTextDocument scratch;
    scratch.setDocumentMargin(0);
    scratch.setDefaultFont(m_cursor.document()->defaultFont());
    QTextCursor cursor(&scratch);
    QTextBlockFormat block;
    block.setLineHeight(spacing.lineHeight(), spacing.lineHeightType());
    cursor.setBlockFormat(block);
    cursor.setBlockCharFormat(format);
    const qreal line = scratch.documentLayout()->documentSize().height();
    m_emptyLines.insert(key, line);
    return line;
}

qreal RtfWriter::singleLineOf(const Content::CharProps& chars)
{
    auto found = m_singleLines.constFind(chars);
    if (found != m_singleLines.cend())
        return *found;
    const QTextCharFormat format = m_formats.charFormat(chars);
    // Runs in the view's own face are spaced as the view spaces it.
    const qreal line = format.hasProperty(QTextFormat::FontFamilies)
        ? LineMetrics::singleLine(format.font().resolve(m_cursor.document()->defaultFont()))
        : 0;
    if (m_singleLines.size() < 4096)
        m_singleLines.insert(chars, line);
    return line;
}

void RtfWriter::writeAsText(const ParaProps& para, End end)
{
    closeTablesTo(0);
    if (hasContent() || end == End::Paragraph) {
        m_cursor.setBlockFormat(markedFormat(para, paragraphFormat(para)));
        writeRuns();
    }
    m_marks.clear();
    if (end == End::Cell || end == End::NestedCell)
        m_cursor.insertText(QStringLiteral("\t"));
    else
        m_cursor.insertBlock();
}

void RtfWriter::keepSpaceAfterTable(const ParaProps& para, End end)
{
    // The text engine gives the block right after a table neither its space before nor, when it
    // is empty, a height of its own: tables a blank paragraph parts would touch. The space goes
    // below the table instead.
    QTextTable* table = m_tableBefore;
    m_tableBefore = nullptr;
    const int limit = LayoutBudget::MaxTwips;
    qreal space = Units::px(qBound(0, para.spaceBefore, limit));
    if (!hasContent() && end == End::Paragraph) {
        const qreal line = singleLineOf(m_lastChars);
        space += (line > 0 ? line
                           : QFontMetricsF(m_formats.charFormat(m_lastChars)
                                               .font()
                                               .resolve(m_cursor.document()->defaultFont()))
                                 .height())
            + Units::px(qBound(0, para.spaceAfter, limit));
    }
    if (space <= 0)
        return;
    QTextTableFormat format = table->format();
    format.setBottomMargin(format.bottomMargin() + space);
    table->setFormat(format);
}

void RtfWriter::closeTablesTo(int level)
{
    while (int(m_tables.size()) > level) {
        finishTable(m_tables.back());
        m_cursor.setPosition(m_tables.back().table->lastPosition() + 1);
        if (m_tables.size() == 1)
            m_tableBefore = m_tables.back().table;
        m_tables.pop_back();
    }
    if (m_tables.empty()) {
        m_tableCost = 0;
        m_tableText = 0;
        m_cellChars = 0;
    }
}

void RtfWriter::finishTable(OpenTable& t)
{
    if (t.rows > t.row + 1)
        t.table->removeRows(t.row + 1, t.rows - t.row - 1);
    t.rows = t.row + 1;
    // Where two cells meet, the wider of their sides is drawn once. The text engine finds every
    // cell's neighbours for that in time growing with the square of the cells (tables of
    // thousands of cells took twice as long to lay out): larger ones draw both sides.
    if (qint64(t.rows) * t.columns <= MaxCollapsedCells) {
        QTextTableFormat format = t.table->format();
        format.setBorderCollapse(true);
        t.table->setFormat(format);
    }
}

qint64 RtfWriter::cellCost() const { return qint64(1) << (m_tables.size() - 1); }

void RtfWriter::openTablesTo(int level)
{
    if (m_tables.empty())
        m_tableBefore = nullptr;
    while (int(m_tables.size()) < level) {
        if (!m_tables.empty())
            enterCell();
        // Cells draw the borders their rows declare, and only those (drawn once where cells meet
        // in a table that is not too large: finishTable). Cells keep their text against their
        // sides unless their rows give them room.
        QTextTableFormat format;
        format.setBorder(0);
        format.setBorderCollapse(false);
        format.setCellPadding(0);
        format.setCellSpacing(0);
        placeTable(format);
        OpenTable added;
        added.table = m_cursor.insertTable(1, 1, format);
        added.rowCells.push_back(added.table->cellAt(0, 0));
        m_tables.push_back(std::move(added));
        m_tableCost += cellCost();
        ++m_cells;
    }
}

std::vector<int> RtfWriter::edgesOf(const Content::RowDef& row)
{
    std::vector<int> edges { row.rowLeft };
    for (const CellDef& cell : row.cells)
        edges.push_back(cell.rightEdge);
    return edges;
}

bool RtfWriter::beginsOtherColumns() const
{
    const OpenTable& t = m_tables.back();
    return m_tables.size() == 1 && m_rowDefFresh && !t.edges.empty() && !m_rowDef.cells.empty()
        && edgesOf(m_rowDef) != t.edges;
}

void RtfWriter::placeTable(QTextTableFormat& format) const
{
    // Where the rows of the outermost table stand: from the left margin, or centred or to the
    // right as the row asks.
    if (!m_tables.empty() || m_rowDef.cells.empty())
        return;
    switch (m_rowDef.alignment) {
    case Content::RowDef::Center:
        format.setAlignment(Qt::AlignHCenter);
        break;
    case Content::RowDef::Right:
        format.setAlignment(Qt::AlignRight);
        break;
    case Content::RowDef::Left:
        format.setLeftMargin(Units::px(qBound(0, m_rowDef.rowLeft, MaxTwips)));
        break;
    }
}

void RtfWriter::enterCell()
{
    OpenTable& t = m_tables.back();
    if (t.cellEnded && !t.rowEnded) {
        const bool room = t.column + 1 < t.columns
            || (t.column + 1 < MaxColumns && m_tableCost + t.rows * cellCost() <= MaxTableCost);
        if (room) {
            ++t.column;
            if (t.column >= t.columns) {
                t.table->appendColumns(1);
                ++t.columns;
                m_tableCost += t.rows * cellCost();
                m_cells += t.rows;
            }
        } else {
            // A row with more cells than the table can take goes on in the next row.
            t.rowEnded = true;
        }
    }
    if (t.rowEnded && beginsOtherColumns()) {
        closeTablesTo(0);
        openTablesTo(1);
        return;
    }
    m_rowDefFresh = false;
    if (t.rowEnded) {
        if (t.row + 1 >= t.rows) {
            const qint64 rowCost = t.columns * cellCost();
            const qint64 used = m_tableCost + m_tableText / TableCharsPerCell;
            const qint64 affordable = (MaxTableCost - used) / rowCost;
            if (affordable < 1) {
                // The tables go on as new ones right after these.
                const int level = int(m_tables.size());
                closeTablesTo(0);
                openTablesTo(level);
                return;
            }
            const int batch = int(
                qMin<qint64>(affordable, qBound(1, t.rows, qMax(1, MaxBatchCells / t.columns))));
            t.table->appendRows(batch);
            t.rows += batch;
            m_tableCost += batch * rowCost;
            m_cells += qint64(batch) * t.columns;
        }
        ++t.row;
        t.column = 0;
        t.rowCells.clear();
    } else if (!t.cellEnded) {
        return; // still in the cell the cursor is in
    }
    t.rowEnded = false;
    t.cellEnded = false;
    const QTextTableCell cell = t.table->cellAt(t.row, t.column);
    if (int(t.rowCells.size()) == t.column)
        t.rowCells.push_back(cell);
    m_cursor = cell.lastCursorPosition();
}

void RtfWriter::insertText(QStringView text, const QTextCharFormat& format)
{
    for (;;) {
        const qsizetype cut = blockCut(text);
        if (cut < 0)
            break;
        if (cut > 0)
            putText(text.first(cut), format);
        endBlockAt(text[cut].unicode());
        text = text.sliced(cut + 1);
    }
    if (!text.isEmpty()) {
        putText(text, format);
        m_blockTabs += text.count(u'\t');
    }
}

qsizetype RtfWriter::blockCut(QStringView text)
{
    // A block is laid out as a whole, in memory many times its length; and each of its tabs has
    // the text engine measure the rest of the block, so its cost grows with the square of its
    // tabs. A paragraph that grows past MaxBlockLength is ended at a space near that length,
    // before or after, where there is one, else at the character there (which the view draws
    // itself, view/documentview_paint.cpp); one whose tabs pass MaxTabsInBlock is ended at the
    // last line break before, where it looks the same, else at the tab. The character becomes
    // the end of the block, which the view's text shows as the character it was (DocumentText).
    qsizetype cut = -1;
    const qsizetype room
        = MaxBlockLength - (m_joining ? m_joinedLength : m_cursor.positionInBlock());
    if (text.size() > room) {
        const qsizetype at = qMax<qsizetype>(room, 0);
        for (qsizetype i = at - 1; i >= 0 && i >= room - SpaceSearch; --i) {
            if (text[i] == u' ') {
                cut = i;
                break;
            }
        }
        if (cut < 0)
            cut = text.first(qMin(text.size(), at + SpaceSearch)).indexOf(u' ', at);
        if (cut < 0)
            cut = characterCutAt(text, at);
    }
    // The block's tabs are counted when tabs come: a block the count is not of is counted anew.
    if (!text.contains(u'\t'))
        return cut;
    flushJoined();
    if (m_cursor.block() != m_tabsBlock) {
        m_tabsBlock = m_cursor.block();
        m_blockTabs = m_tabsBlock.text().count(u'\t');
    }
    qsizetype tabs = m_blockTabs;
    const qsizetype end = cut < 0 ? text.size() : cut;
    for (qsizetype i = 0; i < end; ++i) {
        if (text[i] != u'\t' || ++tabs <= MaxTabsInBlock)
            continue;
        const qsizetype line = text.first(i).lastIndexOf(QChar::LineSeparator);
        return line >= 0 ? line : i;
    }
    return cut;
}

qsizetype RtfWriter::characterCutAt(QStringView text, qsizetype from)
{
    // A character of its own: not half of a pair of surrogates, nor a mark that goes with the
    // character before it.
    for (qsizetype i = from; i < text.size(); ++i) {
        if (!text[i].isSurrogate() && !text[i].isMark())
            return i;
    }
    return -1;
}

void RtfWriter::endBlockAt(char16_t character)
{
    // The paragraph's space after is the last block's, its space before and first-line indent the
    // first block's.
    flushJoined();
    m_joinedLength = 0;
    QTextBlockFormat ended = m_cursor.blockFormat();
    QTextBlockFormat next = ended;
    ended.setBottomMargin(0);
    // A line break reads as one whether it is a block's end or not.
    if (character != QChar::LineSeparator) {
        ended.setProperty(DocumentText::EndsAt, int(character));
        m_endedAtCharacter = true;
    }
    m_cursor.setBlockFormat(ended);
    next.setTopMargin(0);
    next.setTextIndent(0);
    next.clearProperty(DocumentText::EndsAt);
    next.clearProperty(DocumentText::ListLabel);
    next.clearProperty(DocumentText::CheckBox);
    m_cursor.insertBlock(next, m_cursor.charFormat());
    m_tabsBlock = m_cursor.block();
    m_blockTabs = 0;
}

void RtfWriter::insertRun(const Run& run)
{
    const QTextCharFormat format = m_formats.charFormat(run.chars);
    qsizetype from = run.start;
    const qsizetype end = run.start + run.length;
    for (const qsizetype at : m_marks.boxesAfter()) {
        if (at < from || at >= end)
            continue;
        if (at > from)
            insertShown(QStringView(m_text).sliced(from, at - from), format);
        insertText(QStringView(m_text).sliced(at, 1), m_marks.boxAfter(format, at));
        from = at + 1;
    }
    if (end > from)
        insertShown(QStringView(m_text).sliced(from, end - from), format);
}

namespace {

// The length of the character at i when no face is made to draw it (a control character, a
// code point not assigned, half a surrogate pair), else 0.
qsizetype undrawableAt(QStringView text, qsizetype i)
{
    const char16_t c = text[i].unicode();
    if (c >= 0x20 && c < 0x7F)
        return 0;
    if (c == u'\t')
        return 0;
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        const char32_t code = QChar::surrogateToUcs4(c, text[i + 1].unicode());
        return QChar::category(code) == QChar::Other_NotAssigned ? 2 : 0;
    }
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_NotAssigned:
    case QChar::Other_Surrogate:
        return 1;
    default:
        return 0;
    }
}

} // namespace

void RtfWriter::insertShown(QStringView text, const QTextCharFormat& format)
{
    // The text engine looks for a character its face lacks in every other installed face, one
    // character at a time: a line of characters no face has took seconds. Those are drawn in the
    // face of their text alone.
    qsizetype from = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const char16_t c = text[i].unicode();
        if (c >= 0x20 && c < 0x7F) {
            ++i;
            continue;
        }
        qsizetype n = undrawableAt(text, i);
        if (n == 0) {
            // A pair of surrogates is one character, never parted.
            const bool pair
                = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
            i += pair ? 2 : 1;
            continue;
        }
        if (i > from)
            insertText(text.sliced(from, i - from), format);
        qsizetype j = i + n;
        while (j < text.size() && (n = undrawableAt(text, j)) > 0)
            j += n;
        QTextCharFormat alone = format;
        alone.setFontStyleStrategy(
            QFont::StyleStrategy(format.fontStyleStrategy() | QFont::NoFontMerging));
        insertText(text.sliced(i, j - i), alone);
        from = i = j;
    }
    if (text.size() > from)
        insertText(text.sliced(from), format);
}

void RtfWriter::writeRuns()
{
    const qsizetype longest = TextDecoding::longestUnbrokenRun(m_text);
    m_longestRun = qMax(m_longestRun, longest);
    if (!m_tables.empty())
        m_longestRunInCell = qMax(m_longestRunInCell, longest);
    for (const Run& run : m_runs) {
        if (run.image >= 0)
            m_cursor.insertImage(m_images.at(run.image));
        else
            insertRun(run);
    }
    m_runs.clear();
    m_pictureHeight = 0;
    // Kept at its size: paragraphs come by the million, and most are alike in length.
    m_text.truncate(0);
    m_images.clear();
}
