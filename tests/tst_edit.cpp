// The Edit menu: Cut, Copy and Paste through the clipboard with Paste's availability, the
// line selection by simulated keys, and the date/time stamp in the user's regional settings.
#include "app/form1.h"
#include "forms/apperror.h"
#include "platform/clipboard.h"
#include "platform/datetimetext.h"
#include "platform/keystrokes.h"
#include "support/testsupport.h"
#include "view/documentview.h"

#include <QAction>
#include <QClipboard>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QtTest>
#include <clocale>
#include <cstdlib>
#include <functional>

namespace {

// A clipboard that cannot be reached, to see what a command has done before it fails.
class FailingClipboard : public Clipboard::Backend {
public:
    void putText(const QString&) override { fail(); }
    QString getText() override { fail(); }

private:
    [[noreturn]] static void fail()
    {
        throw AppError(AppError::ClipboardError, QStringLiteral("clipboard is locked"));
    }
};

// A clock that gives the moments the test chooses, for as long as it lives.
class FakeClock : private DateTimeText::Clock {
public:
    explicit FakeClock(std::function<std::tm()> moments)
        : m_moments(std::move(moments))
    {
    }

private:
    std::tm now() override { return m_moments(); }

    std::function<std::tm()> m_moments;
    DateTimeText::Current::Override m_override { *this };
};

std::tm moment(int year, int month, int day, int hour, int minute, int second)
{
    std::tm t {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    std::tm normalised = t;
    std::mktime(&normalised); // fills in the day of the week
    t.tm_wday = normalised.tm_wday;
    t.tm_yday = normalised.tm_yday;
    return t;
}

bool localeInstalled(const char* name)
{
    const QByteArray before = std::setlocale(LC_TIME, nullptr);
    const bool ok = std::setlocale(LC_TIME, name) != nullptr;
    std::setlocale(LC_TIME, before.constData());
    return ok;
}

} // namespace

class TestEdit : public QObject {
    Q_OBJECT

    QByteArray m_lcAll, m_lcTime;

    Form1& shownForm()
    {
        Form1& form = Form1::instance();
        form.show();
        form.activateWindow();
        if (!QTest::qWaitForWindowActive(&form))
            qWarning("the main window did not become active");
        form.Rtf1->setFocus();
        return form;
    }

    // The user's time settings as the environment gives them; only LC_TIME is changed.
    static void setUserTimeLocale(const char* name)
    {
        qunsetenv("LC_ALL");
        qputenv("LC_TIME", name);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_lcAll = qgetenv("LC_ALL");
        m_lcTime = qgetenv("LC_TIME");
    }

    void init()
    {
        TestSupport::closeAllWindows();
        QGuiApplication::clipboard()->clear();
    }

    void cleanup()
    {
        m_lcAll.isNull() ? qunsetenv("LC_ALL") : qputenv("LC_ALL", m_lcAll);
        m_lcTime.isNull() ? qunsetenv("LC_TIME") : qputenv("LC_TIME", m_lcTime);
        std::setlocale(LC_TIME, "");
        TestSupport::closeAllWindows();
    }

    // ---- Clipboard commands -------------------------------------------------------------

    void pasteWaitsForTheProgramsOwnCutOrCopy()
    {
        QGuiApplication::clipboard()->setText(QStringLiteral("from another program"));
        Form1& form = shownForm();
        form.Rtf1->setText(QStringLiteral("abc"));
        form.Rtf1->setSelStart(1);
        QVERIFY(!form.menuPaste->isEnabled());
        QTest::keyClick(form.Rtf1, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(form.Rtf1->Text(), QStringLiteral("abc"));

        // Copy with nothing selected: Paste comes on and the clipboard gets the empty text.
        QTest::keyClick(form.Rtf1, Qt::Key_C, Qt::ControlModifier);
        QVERIFY(form.menuPaste->isEnabled());
        QCOMPARE(QGuiApplication::clipboard()->text(), QString());
        QCOMPARE(form.Rtf1->Text(), QStringLiteral("abc"));

        // From now on Paste takes whatever text is there, whoever put it there, and another
        // program emptying the clipboard does not take Paste away.
        QGuiApplication::clipboard()->setText(QStringLiteral("XY"));
        QTest::keyClick(form.Rtf1, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(form.Rtf1->Text(), QStringLiteral("aXYbc"));
        QGuiApplication::clipboard()->clear();
        QVERIFY(form.menuPaste->isEnabled());
        form.menuPaste->trigger();
        QCOMPARE(form.Rtf1->Text(), QStringLiteral("aXYbc"));
        QVERIFY(form.menuPaste->isEnabled());
    }

    void cutWithNothingSelectedChangesNothingButPaste()
    {
        QGuiApplication::clipboard()->setText(QStringLiteral("old"));
        Form1& form = shownForm();
        form.Rtf1->setText(QStringLiteral("one two"));
        form.Rtf1->setSelStart(3);
        QTest::keyClick(form.Rtf1, Qt::Key_X, Qt::ControlModifier);
        QVERIFY(form.menuPaste->isEnabled());
        QCOMPARE(QGuiApplication::clipboard()->text(), QString());
        QCOMPARE(form.Rtf1->Text(), QStringLiteral("one two"));
        QCOMPARE(form.Rtf1->SelStart(), 3);
    }

    void cutAndPasteMoveTheSelectedCharacters()
    {
        Form1& form = shownForm();
        form.Rtf1->setText(QStringLiteral("one two\nthree"));
        form.Rtf1->setSelStart(4);
        form.Rtf1->setSelLength(4); // "two\n"
        form.menucut->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("two\n"));
        QCOMPARE(form.Rtf1->Text(), QStringLiteral("one three"));
        QCOMPARE(form.Rtf1->SelLength(), 0);

        // Paste over a selection replaces it; the Shift+Insert key runs the same command.
        form.Rtf1->setSelStart(0);
        form.Rtf1->setSelLength(3);
        QTest::keyClick(form.Rtf1, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(form.Rtf1->Text(), QStringLiteral("two\n three"));
        QCOMPARE(form.Rtf1->SelStart(), 4);
    }

    void failingClipboardLeavesTheSelection()
    {
        TestSupport::MessageBoxes boxes;
        FailingClipboard failing;
        Form1& form = shownForm();
        form.Rtf1->setText(QStringLiteral("keep this"));
        form.Rtf1->setSelStart(5);
        form.Rtf1->setSelLength(4);
        Clipboard::Current::Override useFailing(failing);

        form.menucut->trigger();
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(boxes.shown().at(0).icon, QMessageBox::Critical);
        QVERIFY(boxes.shown().at(0).text.contains(QStringLiteral("clipboard is locked")));
        // Paste was enabled before the clipboard was touched; the selection is still there.
        QVERIFY(form.menuPaste->isEnabled());
        QCOMPARE(form.Rtf1->Text(), QStringLiteral("keep this"));
        QCOMPARE(form.Rtf1->SelText(), QStringLiteral("this"));

        form.menuPaste->trigger();
        QCOMPARE(boxes.shown().size(), 2);
        QCOMPARE(form.Rtf1->SelText(), QStringLiteral("this"));
    }

    void pasteWithoutTextOnTheClipboardDeletesTheSelection()
    {
        Form1& form = shownForm();
        form.Rtf1->setText(QStringLiteral("one two three"));
        form.menucopy->trigger();

        auto* picture = new QMimeData;
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(Qt::red);
        picture->setImageData(image);
        QGuiApplication::clipboard()->setMimeData(picture);

        form.Rtf1->setSelStart(3);
        form.menuPaste->trigger();
        QCOMPARE(form.Rtf1->Text(), QStringLiteral("one two three"));

        form.Rtf1->setSelStart(4);
        form.Rtf1->setSelLength(4);
        form.menuPaste->trigger();
        QCOMPARE(form.Rtf1->Text(), QStringLiteral("one three"));
        QVERIFY(QGuiApplication::clipboard()->mimeData()->hasImage()); // the picture stays
    }

    void markedTextReachesTheClipboardAsCharactersOnly()
    {
        Form1& form = shownForm();
        form.Rtf1->setText(QStringLiteral("find the word here"));
        form.Rtf1->setSelStart(9);
        form.Rtf1->setSelLength(4);
        form.Rtf1->setSelColor(255); // red
        form.Rtf1->setSelBold(true);
        form.Rtf1->setSelStart(5);
        form.Rtf1->setSelLength(10); // "the word h", partly marked

        form.menucopy->trigger();
        const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(copied->text(), QStringLiteral("the word h"));
        QCOMPARE(copied->formats(), QStringList { QStringLiteral("text/plain") });

        form.menucut->trigger();
        QCOMPARE(QGuiApplication::clipboard()->mimeData()->formats(),
            QStringList { QStringLiteral("text/plain") });
        QCOMPARE(form.Rtf1->Text(), QStringLiteral("find ere"));
    }

    // ---- Select All: the line at the caret ----------------------------------------------

    void selectAllSelectsTheCaretsLine_data()
    {
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("lineStart");
        // "first\nsecond line\n\nlast one": lines start at 0, 6, 18, 19.
        QTest::newRow("middle of a line") << 9 << "second line" << 6;
        QTest::newRow("start of a line") << 6 << "second line" << 6;
        QTest::newRow("end of a line") << 17 << "second line" << 6;
        QTest::newRow("first line") << 2 << "first" << 0;
        QTest::newRow("empty line") << 18 << "" << 18;
        QTest::newRow("last line") << 22 << "last one" << 19;
        QTest::newRow("end of the document") << 27 << "last one" << 19;
    }

    void selectAllSelectsTheCaretsLine()
    {
        QFETCH(int, caret);
        QFETCH(QString, line);
        QFETCH(int, lineStart);
        Form1& form = shownForm();
        form.Rtf1->setText(QStringLiteral("first\nsecond line\n\nlast one"));
        form.Rtf1->setSelStart(caret);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form.Rtf1));

        QTest::keyClick(form.Rtf1, Qt::Key_A, Qt::ControlModifier);
        // The keys are handled after the command has returned, not within it.
        QCOMPARE(form.Rtf1->SelStart(), caret);
        QCOMPARE(form.Rtf1->SelLength(), 0);
        QCoreApplication::processEvents();

        QCOMPARE(form.Rtf1->SelText(), line);
        QCOMPARE(form.Rtf1->SelStart(), lineStart);
        QCOMPARE(form.Rtf1->SelLength(), int(line.size()));
        QCOMPARE(form.Rtf1->Text(), QStringLiteral("first\nsecond line\n\nlast one"));
    }

    // ---- Simulated keystrokes ------------------------------------------------------------

    void keySyntax()
    {
        using Keystrokes::Keystroke;
        using Keystrokes::parse;
        const Qt::KeyboardModifiers none;
        QCOMPARE(parse(QStringLiteral("{home}+{end}")),
            (QList<Keystroke> {
                { Qt::Key_Home, none, {} }, { Qt::Key_End, Qt::ShiftModifier, {} } }));
        QCOMPARE(parse(QStringLiteral("{HOME}")), parse(QStringLiteral("{Home}")));
        QCOMPARE(parse(QStringLiteral("a+b")),
            (QList<Keystroke> { { Qt::Key_A, none, QStringLiteral("a") },
                { Qt::Key_B, Qt::ShiftModifier, QStringLiteral("B") } }));
        QCOMPARE(parse(QStringLiteral("^%(xy)z")),
            (QList<Keystroke> { { Qt::Key_X, Qt::ControlModifier | Qt::AltModifier, {} },
                { Qt::Key_Y, Qt::ControlModifier | Qt::AltModifier, {} },
                { Qt::Key_Z, none, QStringLiteral("z") } }));
        QCOMPARE(
            parse(QStringLiteral("{left 3}")), QList<Keystroke>(3, { Qt::Key_Left, none, {} }));
        QCOMPARE(parse(QStringLiteral("{+}{}}{{}{%}~")),
            (QList<Keystroke> { { Qt::Key_Plus, none, QStringLiteral("+") },
                { Qt::Key_BraceRight, none, QStringLiteral("}") },
                { Qt::Key_BraceLeft, none, QStringLiteral("{") },
                { Qt::Key_Percent, none, QStringLiteral("%") },
                { Qt::Key_Return, none, QStringLiteral("\r") } }));
        QCOMPARE(parse(QStringLiteral("{f5}")).at(0).key, int(Qt::Key_F5));
        QVERIFY(parse(QString()).isEmpty());

        for (const char* invalid : { "{home", "+", "a^", "{nosuchkey}", "(ab", "ab)", "{}",
                 "{left x}", "{left 99999}", "}", "[" }) {
            bool raised = false;
            try {
                parse(QString::fromLatin1(invalid));
            } catch (const AppError& error) {
                raised = error.number() == AppError::InvalidProcedureCall;
            }
            QVERIFY2(raised, invalid);
        }
    }

    void keysGoToTheFocusWidgetLikeTypedKeys()
    {
        QWidget window;
        auto* first = new QLineEdit(&window);
        auto* second = new QLineEdit(&window);
        second->move(0, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        second->setFocus();
        Keystrokes::send(QStringLiteral("abc{left}{bs}+x{end}{+}1"));
        QCOMPARE(second->text(), QString());
        QCoreApplication::processEvents();
        QCOMPARE(second->text(), QStringLiteral("aXc+1"));
        QCOMPARE(first->text(), QString());
        // Ctrl with a letter is a command, not a character: Ctrl+A selects all in a line edit.
        Keystrokes::send(QStringLiteral("^a"));
        QCoreApplication::processEvents();
        QCOMPARE(second->selectedText(), QStringLiteral("aXc+1"));
    }

    // ---- Insert Date/Time ----------------------------------------------------------------

    void stampInTheUsersFormats_data()
    {
        QTest::addColumn<QByteArray>("locale");
        QTest::addColumn<QString>("stamp");
        // 7 December 2026, 10:45:13 in each locale's short date and long time formats.
        QTest::newRow("C") << QByteArray("C") << "12/07/26  10:45:13";
        QTest::newRow("en_US") << QByteArray("en_US.UTF-8") << "12/07/2026  10:45:13 AM";
        QTest::newRow("de_DE") << QByteArray("de_DE.UTF-8") << "07.12.2026  10:45:13";
        QTest::newRow("en_GB") << QByteArray("en_GB.UTF-8") << "07/12/26  10:45:13";
        QTest::newRow("ja_JP") << QByteArray("ja_JP.UTF-8")
                               << QStringLiteral("2026年12月07日  10時45分13秒");
    }

    void stampInTheUsersFormats()
    {
        QFETCH(QByteArray, locale);
        QFETCH(QString, stamp);
        if (!localeInstalled(locale.constData()))
            QSKIP("locale not installed (package locales-all)");
        setUserTimeLocale(locale.constData());
        FakeClock clock([] { return moment(2026, 12, 7, 10, 45, 13); });
        Form1& form = shownForm();
        QTest::keyClick(form.Rtf1, Qt::Key_F5);
        QCOMPARE(form.Rtf1->Text(), stamp); // an empty document holds just the stamp
        QCOMPARE(form.Rtf1->SelStart(), int(stamp.size()));
    }

    void stampFollowsTheSettingsAtTheMomentOfTheCommand()
    {
        if (!localeInstalled("de_DE.UTF-8"))
            QSKIP("locale de_DE.UTF-8 not installed (package locales-all)");
        FakeClock clock([] { return moment(2026, 12, 7, 22, 5, 9); });
        Form1& form = shownForm();
        setUserTimeLocale("de_DE.UTF-8");
        form.menuinsertdate->trigger();
        setUserTimeLocale("C");
        form.Rtf1->setSelText(QStringLiteral("|"));
        form.menuinsertdate->trigger();
        QCOMPARE(form.Rtf1->Text(), QStringLiteral("07.12.2026  22:05:09|12/07/26  22:05:09"));
        // A setting that names no installed locale gives the C library's own formats.
        setUserTimeLocale("xx_NOWHERE.UTF-8");
        form.Rtf1->setText(QString());
        form.menuinsertdate->trigger();
        QCOMPARE(form.Rtf1->Text(), QStringLiteral("12/07/26  22:05:09"));
    }

    void stampReplacesTheSelectionAndFollowsItself()
    {
        setUserTimeLocale("C");
        FakeClock clock([] { return moment(2027, 2, 3, 4, 5, 6); });
        Form1& form = shownForm();
        form.Rtf1->setText(QStringLiteral("Date: XXXX\nnext"));
        form.Rtf1->setSelStart(6);
        form.Rtf1->setSelLength(4);
        form.menuinsertdate->trigger();
        QCOMPARE(form.Rtf1->Text(), QStringLiteral("Date: 02/03/27  04:05:06\nnext"));

        form.menuinsertdate->trigger();
        QCOMPARE(
            form.Rtf1->Text(), QStringLiteral("Date: 02/03/27  04:05:0602/03/27  04:05:06\nnext"));
        QCOMPARE(form.Rtf1->SelLength(), 0);
    }

    void stampAcrossMidnightReadsTheDateFirst()
    {
        setUserTimeLocale("C");
        int reads = 0;
        FakeClock clock([&reads] {
            return reads++ == 0 ? moment(2026, 12, 31, 23, 59, 59) : moment(2027, 1, 1, 0, 0, 0);
        });
        Form1& form = shownForm();
        form.menuinsertdate->trigger();
        QCOMPARE(reads, 2);
        QCOMPARE(form.Rtf1->Text(), QStringLiteral("12/31/26  00:00:00"));
    }

    void systemClockGivesTheCurrentMoment()
    {
        setUserTimeLocale("C");
        const std::time_t before = std::time(nullptr);
        const std::tm read = DateTimeText::now();
        const std::time_t after = std::time(nullptr);
        std::tm copy = read;
        const std::time_t seconds = std::mktime(&copy);
        QVERIFY(seconds >= before && seconds <= after);
    }
};

QTEST_MAIN(TestEdit)
#include "tst_edit.moc"
