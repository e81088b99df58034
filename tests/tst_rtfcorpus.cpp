// Real RTF documents from other projects' test suites, read as the view reads them, their text
// compared with a reference made by another reader (compare_text.py, lenient).
#include "content/recorder.h"
#include "rtf/rtfreader.h"
#include "support/testsupport.h"
#include "view/documentview.h"
#include "view/documentwriter.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

namespace {

// The files allowed to differ from their reference, with the verdict allowed and why.
QHash<QString, QString> exceptions()
{
    QHash<QString, QString> allowed;
    QFile file(QStringLiteral(GLIMMER_SOURCE_DIR "/tests/rtf_corpus_exceptions.tsv"));
    if (!file.open(QIODevice::ReadOnly))
        return allowed;
    file.readLine(); // heading
    while (!file.atEnd()) {
        const QStringList fields = QString::fromUtf8(file.readLine()).trimmed().split(u'\t');
        if (fields.size() >= 3 && !fields.at(2).trimmed().isEmpty())
            allowed.insert(fields.at(0), fields.at(1).toUpper());
    }
    return allowed;
}

// The view holds exactly the text the reader handed on: the same characters in the same order.
// Only breaks differ (the view marks where tables and cells begin), and a picture the view cannot
// show has no place.
void compareWithEvents(const QString& name, const QByteArray& bytes, const QString& viewText)
{
    Content::Recorder recorder;
    Rtf::read(bytes, &recorder);
    const auto characters = [](QString text) {
        text.remove(u'\n').remove(QChar::LineSeparator).remove(QChar::ObjectReplacementCharacter);
        return text;
    };
    const QString read = characters(recorder.plainText());
    const QString shown = characters(viewText);
    if (read == shown)
        return;
    qsizetype at = 0;
    while (at < read.size() && at < shown.size() && read[at] == shown[at])
        ++at;
    QFAIL(qPrintable(QStringLiteral("%1: the view's text differs from the reader's at %2: \"%3\" "
                                    "against \"%4\"")
                         .arg(name)
                         .arg(at)
                         .arg(shown.mid(at, 40), read.mid(at, 40))));
}

} // namespace

class TestRtfCorpus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { TestSupport::closeAllWindows(); }
    void corpusMatchesReferences();
};

void TestRtfCorpus::corpusMatchesReferences()
{
    const QString corpus = TestSupport::corpusDir();
    const QDir rtfDir(corpus + QStringLiteral("/rtf"));
    if (corpus.isEmpty() || !rtfDir.exists())
        QSKIP("the shared corpus is not here");
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        QSKIP("python3 is needed for the comparison");

    QTemporaryDir out;
    QVERIFY(out.isValid());
    const QStringList files
        = rtfDir.entryList({ QStringLiteral("*.rtf") }, QDir::Files, QDir::Name);
    QVERIFY(files.size() >= 50);
    for (const QString& name : files) {
        QFile file(rtfDir.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY2(Rtf::looksLikeRtf(bytes), qPrintable(name));
        DocumentView view;
        view.showDocument(DocumentWriter::fromRtf(bytes, view.font()));
        QString text = view.Text();
        compareWithEvents(name, bytes, text);
        // A picture is one object character in the view; the reference text leaves pictures out.
        text.remove(QChar::ObjectReplacementCharacter);
        QVERIFY2(!text.trimmed().isEmpty() || QFileInfo(file).size() < 4096, qPrintable(name));
        QFile written(out.filePath(name.chopped(4) + QStringLiteral(".txt")));
        QVERIFY(written.open(QIODevice::WriteOnly));
        written.write(text.toUtf8());
    }

    QProcess compare;
    compare.start(
        python, { corpus + QStringLiteral("/compare_text.py"), rtfDir.path(), out.path() });
    QVERIFY(compare.waitForFinished(120000));
    const QStringList lines
        = QString::fromUtf8(compare.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(!lines.isEmpty());

    const QHash<QString, QString> allowed = exceptions();
    int passed = 0;
    int compared = 0;
    QStringList unexplained;
    for (const QString& line : lines) {
        const QStringList fields = line.split(u'\t');
        if (fields.size() < 2)
            continue; // the summary line
        const QString verdict = fields.at(0);
        const QString file = fields.at(1) + QStringLiteral(".rtf");
        ++compared;
        if (verdict == QLatin1String("PASS")) {
            ++passed;
            if (allowed.contains(file))
                qInfo("%s now passes; its exception can go", qPrintable(file));
        } else if (verdict == QLatin1String("NEAR") && allowed.value(file) == verdict) {
            // Differs from the reference only where the view is meant to differ.
            ++passed;
            qInfo("near as expected: %s", qPrintable(line.left(300)));
        } else if (verdict == QLatin1String("NEAR")) {
            qInfo("near: %s", qPrintable(line.left(300)));
        } else if (allowed.value(file) != verdict) {
            unexplained << line.left(300);
        }
    }
    qInfo("%d of %d files pass", passed, compared);
    QVERIFY2(unexplained.isEmpty(), qPrintable(unexplained.join(u'\n')));
    QVERIFY(compared >= 50);
    QVERIFY2(passed * 100 >= compared * 95,
        qPrintable(QStringLiteral("%1 of %2 pass").arg(passed).arg(compared)));
}

QTEST_MAIN(TestRtfCorpus)
#include "tst_rtfcorpus.moc"
