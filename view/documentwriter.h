#pragma once

#include <QByteArrayView>
#include <QFont>
#include <QString>
#include <QTextDocument>
#include <functional>
#include <memory>

// The one place where a document as read becomes the view's document: RTF through the events its
// reader hands on, anything else as decoded plain text. The document comes back configured for the
// view once (its face, margin, wrapping and tab stops, no undo history) and with the layout that
// suits it; its text is exactly the text read (view/documenttext.h).
namespace DocumentWriter {

// face: the view's own, the default of the document.
// pace: called now and then while the bytes are read (rtf/rtfreader.h).
std::unique_ptr<QTextDocument> fromRtf(
    QByteArrayView bytes, const QFont& face, const std::function<void()>& pace = {});
std::unique_ptr<QTextDocument> fromPlainText(QString text, const QFont& face);

// A document configured for the view, empty: its face, margin, no undo history.
std::unique_ptr<QTextDocument> emptyDocument(const QFont& face);
// Its wrapping (anywhere when it has a run too long to wrap at word boundaries) and tab stops.
void setTextOption(QTextDocument* document, bool longRun, qreal tabDistance);

// How wide the view's default tab stops are in its face: eight cells.
qreal tabDistance(const QFont& face);

} // namespace DocumentWriter
