// File > Open and File > Close File on the main window, driven through the menu and the real
// file dialog: the dialog's filter, preselected entry and empty name on every Open, a name typed
// by the user, cancel, a file that cannot be read, and Close File. Files dropped on the view or
// the window open in the same way; dropped text is inserted.
#include "app/form1.h"
#include "app/statusbar.h"
#include "file/fileopen.h"
#include "forms/apperror.h"
#include "forms/forms.h"
#include "forms/msgbox.h"
#include "platform/commondialog.h"
#include "support/testsupport.h"
#include "view/documentview.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QUrl>
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

    // File > Open as the user chooses it; the dialog comes up once the choice has been handled,
    // with the next events the window receives.
    static void chooseOpen()
    {
        form().menuOpen->trigger();
        QCoreApplication::sendPostedEvents(&form(), QEvent::MetaCall);
    }

    // A drag that enters the widget at the point, moves there and is let go: returns whether the
    // widget took the drop (false as soon as it refuses the drag).
    static bool drop(QWidget* target, QPoint at, const QMimeData& data)
    {
        const Qt::DropActions actions = Qt::CopyAction | Qt::LinkAction;
        QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
        enter.setAccepted(false);
        QCoreApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDragMoveEvent move(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
        move.setAccepted(false);
        QCoreApplication::sendEvent(target, &move);
        if (!move.isAccepted())
            return false;
        QDropEvent let(QPointF(at), actions, &data, Qt::LeftButton, Qt::NoModifier);
        let.setAccepted(false);
        QCoreApplication::sendEvent(target, &let);
        return let.isAccepted();
    }
    static QMimeData* files(const QStringList& paths)
    {
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        data->setUrls(urls);
        return data;
    }
    static QWidget* view() { return form().Rtf1->viewport(); }

private Q_SLOTS:
    void init() { TestSupport::closeAllWindows(); }
    void cleanup() { TestSupport::closeAllWindows(); }

    void openLoadsTheTypedFileAndShowsItsPath()
    {
        const QString path
            = writeFile(QStringLiteral("release.nfo"), "\xC9\xCD\xBB\r\n\xBA\xDB\xBA\r\n");
        TestSupport::MessageBoxes boxes;
        User user(path);
        chooseOpen();

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
            chooseOpen();
        }
        User user(path);
        chooseOpen();
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
            chooseOpen();
        }
        TestSupport::MessageBoxes boxes;
        User user;
        chooseOpen();
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
            chooseOpen();
        }
        // A FIFO looks like any file in the dialog, but it is no document.
        const QString pipe = m_dir.filePath(QStringLiteral("pipe.nfo"));
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        TestSupport::MessageBoxes boxes;
        User user(pipe);
        chooseOpen();

        QCOMPARE(form().Label1->text(), QStringLiteral("Open Error"));
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(boxes.shown().first().title, QStringLiteral("Glimmer"));
        QCOMPARE(
            boxes.shown().first().text, QStringLiteral("Open Error\nNot a regular file: ") + pipe);
        QCOMPARE(form().Rtf1->Text(), QStringLiteral("kept"));
        QCOMPARE(form().sbar->SimpleText(), kept);

        // The caption stays after a later successful Open.
        User again(kept);
        chooseOpen();
        QCOMPARE(form().Label1->text(), QStringLiteral("Open Error"));
    }

    void aFileDroppedOnTheViewOpensAsOpenWould()
    {
        // Several files: the first one. The file dialog is not involved.
        const QString first = writeFile(QStringLiteral("first file.nfo"), "\xDB first\r\n");
        const QString second = writeFile(QStringLiteral("second.nfo"), "second");
        form().show();
        TestSupport::MessageBoxes boxes;
        User nobody;
        const std::unique_ptr<QMimeData> data(files({ first, second }));
        QVERIFY(drop(view(), QPoint(50, 50), *data));

        QCOMPARE(form().Rtf1->Text(), QStringLiteral("█ first\n"));
        QCOMPARE(form().sbar->SimpleText(), first);
        QCOMPARE(form().Label1->text(), QString());
        QVERIFY(nobody.seen().isEmpty());
        QCOMPARE(form().diag->FileName(), QString());
        QVERIFY(boxes.shown().isEmpty());

        // Dropped on the window beside the view (here the status bar), the second one opens.
        const std::unique_ptr<QMimeData> other(files({ second }));
        const QPoint onStatusBar = form().sbar->mapTo(&form(), form().sbar->rect().center());
        QVERIFY(drop(&form(), onStatusBar, *other));
        QCOMPARE(form().Rtf1->Text(), QStringLiteral("second"));
        QCOMPARE(form().sbar->SimpleText(), second);
    }

    void aDroppedFileThatCannotBeOpenedIsReported()
    {
        const QString kept = writeFile(QStringLiteral("kept.nfo"), "kept");
        form().show();
        const std::unique_ptr<QMimeData> good(files({ kept }));
        QVERIFY(drop(view(), QPoint(10, 10), *good));

        TestSupport::MessageBoxes boxes;
        const QString missing = m_dir.filePath(QStringLiteral("gone.nfo"));
        const std::unique_ptr<QMimeData> bad(files({ missing }));
        QVERIFY(drop(view(), QPoint(10, 10), *bad));
        QCOMPARE(form().Label1->text(), QStringLiteral("Open Error"));
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(
            boxes.shown().first().text, QStringLiteral("Open Error\nFile not found: ") + missing);
        QCOMPARE(form().Rtf1->Text(), QStringLiteral("kept"));
        QCOMPARE(form().sbar->SimpleText(), kept);
    }

    void linksElsewhereAreRefusedAndTextIsInsertedPlain()
    {
        form().show();
        form().Rtf1->setText(QStringLiteral("ab"));

        // A web address, on the view or the window: refused, nothing changes.
        QMimeData web;
        web.setUrls({ QUrl(QStringLiteral("https://www.example.com/a.nfo")) });
        web.setText(QStringLiteral("https://www.example.com/a.nfo"));
        QVERIFY(!drop(view(), QPoint(10, 10), web));
        QVERIFY(!drop(&form(), QPoint(10, 10), web));
        QCOMPARE(form().Rtf1->Text(), QStringLiteral("ab"));
        QCOMPARE(form().sbar->SimpleText(), QString());

        // Text with formatting: only the characters come in, where it is let go.
        QMimeData text;
        text.setText(QStringLiteral("RED"));
        text.setHtml(QStringLiteral("<b style=\"color:#ff0000\">RED</b>"));
        QVERIFY(drop(view(), QPoint(1, 1), text));
        QCOMPARE(form().Rtf1->Text(), QStringLiteral("REDab"));
        QTextCursor c(form().Rtf1->document());
        c.setPosition(2);
        QCOMPARE(c.charFormat().fontWeight(), QFont::Normal);
        QVERIFY(c.charFormat().foreground().color() != QColor(Qt::red));
        QCOMPARE(form().sbar->SimpleText(), QString());

        // Text dropped on the status bar is no file: refused.
        const QPoint onStatusBar = form().sbar->mapTo(&form(), form().sbar->rect().center());
        QVERIFY(!drop(&form(), onStatusBar, text));
    }

    void closeFileEmptiesViewAndStatus()
    {
        const QString path = writeFile(QStringLiteral("full.nfo"), "full\r\nview");
        User user(path);
        chooseOpen();
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

    void thePointerIsBusyWhileAFileLoads()
    {
        // The hourglass from the start of the load to its end, the pointer as it was after,
        // whether the file could be shown or not.
        const QString path = writeFile(QStringLiteral("wait.nfo"), "wait");
        DocumentView view;
        int during = -1;
        FileOpen::show(view, path, [&](const QString&) { during = Forms::mousePointer(); });
        QCOMPARE(during, int(Forms::ArrowHourglass));
        QCOMPARE(Forms::mousePointer(), int(Forms::DefaultPointer));
        QVERIFY_THROWS_EXCEPTION(AppError,
            FileOpen::show(view, path + QStringLiteral(".missing"), [](const QString&) {}));
        QCOMPARE(Forms::mousePointer(), int(Forms::DefaultPointer));
    }
};

QTEST_MAIN(TestFileOpen)
#include "tst_fileopen.moc"
