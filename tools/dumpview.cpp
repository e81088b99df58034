// Loads a file exactly as the program's document view does and prints what the view holds: its
// Text as UTF-8, or with --runs the formatting runs, one per line.
//
// usage: dumpview [--runs | --events] [--shot IMAGE.png] FILE
//   --events prints what the RTF reader hands on, one event a line, instead.
//   --shot also saves a picture of the view (800 x 600) as the program would show it.
#include "content/recorder.h"
#include "forms/apperror.h"
#include "rtf/rtfreader.h"
#include "view/documentview.h"

#include <QApplication>
#include <QFile>
#include <QFontInfo>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <cstdio>

namespace {

QString colorName(const QTextCharFormat& format, QTextFormat::Property property)
{
    if (!format.hasProperty(property))
        return QStringLiteral("auto");
    return format.brushProperty(property).color().name();
}

// The face the view draws a format in: the format's font as the document completes it, matched
// against the installed faces.
QString resolvedFace(const QTextDocument* document, const QTextCharFormat& format)
{
    return QFontInfo(format.font().resolve(document->defaultFont())).family();
}

// One line per fragment: start, length, colour, bold, italic, underline, font, size (points) and
// the face that is actually used.
void printRuns(const QTextDocument* document)
{
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            const QTextCharFormat f = fragment.charFormat();
            const QString line
                = QStringLiteral("%1\t%2\tcolor=%3\tback=%4\tbold=%5\titalic=%6\t"
                                 "underline=%7\tfont=%8\tsize=%9\tface=%10%11\n")
                      .arg(fragment.position())
                      .arg(fragment.length())
                      .arg(colorName(f, QTextFormat::ForegroundBrush),
                          colorName(f, QTextFormat::BackgroundBrush))
                      .arg(f.fontWeight() >= QFont::Bold ? 1 : 0)
                      .arg(f.fontItalic() ? 1 : 0)
                      .arg(f.fontUnderline() ? 1 : 0)
                      .arg(f.font().family())
                      .arg(f.font().pointSizeF())
                      .arg(resolvedFace(document, f))
                      .arg(f.isImageFormat() ? QStringLiteral("\timage") : QString());
            std::fputs(line.toUtf8().constData(), stdout);
        }
    }
}

// The reader's events for an RTF file, one a line.
int printEvents(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "dumpview: cannot read %s\n", qPrintable(path));
        return 1;
    }
    const QByteArray bytes = file.readAll();
    if (!Rtf::looksLikeRtf(bytes)) {
        std::fprintf(
            stderr, "dumpview: %s is not RTF; --events is for RTF files\n", qPrintable(path));
        return 1;
    }
    Content::Recorder recorder;
    Rtf::read(bytes, &recorder);
    for (const QString& line : recorder.lines()) {
        const QByteArray utf8 = (line + u'\n').toUtf8();
        std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stdout);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // The tool needs no screen: the view is laid out offscreen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool runs = args.removeAll(QStringLiteral("--runs")) > 0;
    const bool events = args.removeAll(QStringLiteral("--events")) > 0;
    QString shot;
    const qsizetype shotAt = args.indexOf(QStringLiteral("--shot"));
    if (shotAt >= 0 && shotAt + 1 < args.size()) {
        shot = args.at(shotAt + 1);
        args.remove(shotAt, 2);
    }
    if (args.size() != 1) {
        std::fputs("usage: dumpview [--runs | --events] [--shot IMAGE.png] FILE\n", stderr);
        return 2;
    }
    if (events && shot.isEmpty())
        return printEvents(args.first());
    DocumentView view;
    try {
        view.LoadFile(args.first());
    } catch (const AppError& error) {
        std::fprintf(stderr, "dumpview: %s\n", error.what());
        return 1;
    }
    if (!shot.isEmpty()) {
        view.resize(800, 600);
        view.show();
        if (!view.grab().save(shot)) {
            std::fprintf(stderr, "dumpview: cannot write %s\n", qPrintable(shot));
            return 1;
        }
    }
    if (events) {
        return printEvents(args.first());
    } else if (runs) {
        printRuns(view.document());
    } else {
        const QByteArray text = view.Text().toUtf8();
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    }
    return 0;
}
