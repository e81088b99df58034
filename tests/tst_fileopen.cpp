// File > Open and File > Close File on the main window, driven through the menu and the real
// file dialog: the dialog's filter, preselected entry and empty name on every Open, a name typed
// by the user, cancel, a file that cannot be read, and Close File.
#include "app/form1.h"
#include "app/statusbar.h"
#include "forms/msgbox.h"
#include "platform/commondialog.h"
#include "support/testsupport.h"
#include "view/documentview.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

namespace {

const QString Filter = QStringLiteral(
    "Batch Files(*.bat)|*.bat|Registry Files(*.reg)|*.reg|Text Files (*.txt) |*.txt|"
    "RTF Files (*.rtf)|*.rtf|NFO Files (*.nfo)|*.nfo|Diz Files (*.diz)|*.diz");

// What the dialog looked like when it came up.
struct Seen {
    QString filter; // diag's properties at ShowOpen
    int filterIndex = 0;
    QString fileName;
    QStringList shownFilters; // the dialog's file type list, as the user reads it
    QString shownSelected;
    QString appliedFilter; // what the dialog filters its list by
    QString nameField;
};

// A user at the dialog: looks at it, then types a name and presses Enter, or presses Escape.
class User : private CommonDialog::Presenter {
public:
    explicit User(const QString& typed = QString(), const QString& pickFilter = QString())
        : m_typed(typed)
        , m_pickFilter(pickFilter)
    {
    }
    const QList<Seen>& seen() const { return m_seen; }

private:
    bool run(QFileDialog& dialog) override
    {
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog))
            return false;
        Seen seen;
        const CommonDialog* diag = Form1::instance().diag;
        seen.filter = diag->Filter();
        seen.filterIndex = diag->FilterIndex();
        seen.fileName = diag->FileName();
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        for (int i = 0; types && i < types->count(); ++i)
            seen.shownFilters << types->itemText(i);
        seen.shownSelected = types ? types->currentText() : QString();
        seen.appliedFilter = dialog.selectedNameFilter();
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        seen.nameField = name ? name->text() : QString();
        m_seen << seen;

        if (!m_pickFilter.isEmpty() && types)
            types->setCurrentIndex(types->findText(m_pickFilter));
        if (m_typed.isEmpty() || !name) {
            QTest::keyClick(&dialog, Qt::Key_Escape);
        } else {
            QTest::keyClicks(name, m_typed);
            QTest::keyClick(name, Qt::Key_Return);
        }
        return dialog.result() == QDialog::Accepted;
    }

    QString m_typed;
    QString m_pickFilter;
    QList<Seen> m_seen;
    CommonDialog::Current::Override m_override { *this };
};

} // namespace

class TestFileOpen : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        return TestSupport::writeFile(m_dir.path(), name, bytes);
    }

    static Form1& form() { return Form1::instance(); }

private Q_SLOTS:
    void init() { TestSupport::closeAllWindows(); }
    void cleanup() { TestSupport::closeAllWindows(); }

    void openLoadsTheTypedFileAndShowsItsPath()
    {
        const QString path
            = writeFile(QStringLiteral("release.nfo"), "\xC9\xCD\xBB\r\n\xBA\xDB\xBA\r\n");
        TestSupport::MessageBoxes boxes;
        User user(path);
        form().menuOpen->trigger();

        QCOMPARE(user.seen().size(), 1);
        const Seen& seen = user.seen().first();
        QCOMPARE(seen.filter, Filter);
        QCOMPARE(seen.filterIndex, 5);
        QCOMPARE(seen.fileName, QString());
        QCOMPARE(seen.nameField, QString());
        const QStringList shown { QStringLiteral("Batch Files(*.bat)"),
            QStringLiteral("Registry Files(*.reg)"), QStringLiteral("Text Files (*.txt) "),
            QStringLiteral("RTF Files (*.rtf)"), QStringLiteral("NFO Files (*.nfo)"),
            QStringLiteral("Diz Files (*.diz)") };
        QCOMPARE(seen.shownFilters, shown);
        QCOMPARE(seen.shownSelected, QStringLiteral("NFO Files (*.nfo)"));
        QVERIFY2(
            seen.appliedFilter.endsWith(QLatin1String("(*.nfo)")), qPrintable(seen.appliedFilter));

        QCOMPARE(form().Rtf1->Text(), QStringLiteral("╔═╗\n║█║\n"));
        QCOMPARE(form().sbar->SimpleText(), path);
        QCOMPARE(form().diag->FileName(), path);
        QCOMPARE(form().Label1->text(), QString());
        QVERIFY(boxes.shown().isEmpty());
    }

    void everyOpenStartsAfresh()
    {
        // The first time the user picks another type and cancels; the next Open shows the NFO
        // entry and an empty name again.
        const QString path = writeFile(QStringLiteral("a.diz"), "diz");
        {
            User user(QString(), QStringLiteral("Diz Files (*.diz)"));
            form().menuOpen->trigger();
        }
        User user(path);
        form().menuOpen->trigger();
        QCOMPARE(user.seen().size(), 1);
        QCOMPARE(user.seen().first().shownSelected, QStringLiteral("NFO Files (*.nfo)"));
        QCOMPARE(user.seen().first().nameField, QString());
        QCOMPARE(user.seen().first().fileName, QString());
        QCOMPARE(form().Rtf1->Text(), QStringLiteral("diz"));
    }

    void cancelChangesNothingAndSaysNothing()
    {
        const QString path = writeFile(QStringLiteral("kept.nfo"), "kept");
        {
            User user(path);
            form().menuOpen->trigger();
        }
        TestSupport::MessageBoxes boxes;
        User user;
        form().menuOpen->trigger();
        QCOMPARE(user.seen().size(), 1);
        QCOMPARE(form().diag->FileName(), QString());
        QCOMPARE(form().Rtf1->Text(), QStringLiteral("kept"));
        QCOMPARE(form().sbar->SimpleText(), path);
        QCOMPARE(form().Label1->text(), QStringLiteral("Open Error"));
        QVERIFY(boxes.shown().isEmpty());
    }

    void anUnreadableFileIsReported()
    {
        const QString kept = writeFile(QStringLiteral("kept.nfo"), "kept");
        {
            User user(kept);
            form().menuOpen->trigger();
        }
        // A FIFO looks like any file in the dialog, but it is no document.
        const QString pipe = m_dir.filePath(QStringLiteral("pipe.nfo"));
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        TestSupport::MessageBoxes boxes;
        User user(pipe);
        form().menuOpen->trigger();

        QCOMPARE(form().Label1->text(), QStringLiteral("Open Error"));
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(boxes.shown().first().title, QStringLiteral("Glimmer"));
        QCOMPARE(
            boxes.shown().first().text, QStringLiteral("Open Error\nNot a regular file: ") + pipe);
        QCOMPARE(form().Rtf1->Text(), QStringLiteral("kept"));
        QCOMPARE(form().sbar->SimpleText(), kept);

        // The caption stays after a later successful Open.
        User again(kept);
        form().menuOpen->trigger();
        QCOMPARE(form().Label1->text(), QStringLiteral("Open Error"));
    }

    void closeFileEmptiesViewAndStatus()
    {
        const QString path = writeFile(QStringLiteral("full.nfo"), "full\r\nview");
        User user(path);
        form().menuOpen->trigger();
        form().Label1->setText(QStringLiteral("Open Error"));
        const bool pasteEnabled = form().menuPaste->isEnabled();

        form().closefile->trigger();
        QCOMPARE(form().Rtf1->Text(), QString());
        QCOMPARE(form().Rtf1->document()->characterCount(), 1);
        QCOMPARE(form().sbar->SimpleText(), QString());
        QCOMPARE(form().Label1->text(), QStringLiteral("Open Error"));
        QCOMPARE(form().menuPaste->isEnabled(), pasteEnabled);

        // Again, on the empty view: nothing to do, nothing goes wrong.
        TestSupport::MessageBoxes boxes;
        form().closefile->trigger();
        QCOMPARE(form().Rtf1->Text(), QString());
        QCOMPARE(form().sbar->SimpleText(), QString());
        QVERIFY(boxes.shown().isEmpty());
    }
};

QTEST_MAIN(TestFileOpen)
#include "tst_fileopen.moc"
