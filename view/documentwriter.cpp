#include "view/documentwriter.h"

#include "forms/units.h"
#include "rtf/rtfreader.h"
#include "view/layoutbudget.h"
#include "view/plainwriter.h"
#include "view/rtfwriter.h"
#include "view/windowlayout.h"

#include <QFontMetricsF>
#include <QTextCursor>
#include <QTextOption>

namespace DocumentWriter {

namespace {

    // Prose wraps at word boundaries; text with a run too long for that wraps anywhere.
    constexpr QTextOption::WrapMode DefaultWrap = QTextOption::WrapAtWordBoundaryOrAnywhere;

} // namespace

std::unique_ptr<QTextDocument> emptyDocument(const QFont& face)
{
    auto document = std::make_unique<QTextDocument>();
    // Marks and loads are not edits a user can take back; an undo history of them would only
    // grow with every search.
    document->setUndoRedoEnabled(false);
    document->setDefaultFont(face);
    document->setDocumentMargin(2);
    return document;
}

void setTextOption(QTextDocument* document, bool longRun, qreal tabDistance)
{
    QTextOption option = document->defaultTextOption();
    option.setWrapMode(longRun ? QTextOption::WrapAnywhere : DefaultWrap);
    option.setTabStopDistance(tabDistance);
    document->setDefaultTextOption(option);
}

qreal tabDistance(const QFont& face)
{
    return 8 * QFontMetricsF(face).horizontalAdvance(QLatin1Char(' '));
}

std::unique_ptr<QTextDocument> fromRtf(
    QByteArrayView bytes, const QFont& face, const std::function<void()>& pace)
{
    std::unique_ptr<QTextDocument> document = emptyDocument(face);
    RtfWriter writer(document.get());
    Rtf::read(bytes, &writer, pace);
    // The document's own tab stops, in its own units.
    setTextOption(document.get(), writer.hasLongRun(), Units::px(writer.defaultTabTwips()));
    document->setDocumentLayout(new WindowLayout(document.get()));
    return document;
}

std::unique_ptr<QTextDocument> fromPlainText(QString text, const QFont& face)
{
    PlainWriter writer(face);
    writer.append(text);
    text = QString(); // the document holds the text now
    return writer.finish();
}

} // namespace DocumentWriter
