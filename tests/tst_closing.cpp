// Closing the main window: every way of closing it passes the same test (an empty view ends the
// program at once, any text asks first), Yes ends the program with every window, No keeps
// everything as it was.
#include "app/form1.h"
#include "app/statusbar.h"
#include "find/form2.h"
#include "forms/msgbox.h"
#include "support/testsupport.h"
#include "view/documentview.h"

#include <QAction>
#include <QSessionManager>
#include <QTimer>
#include <QWindow>
#include <QtTest>

namespace {

// The ways the main window can be asked to close.
enum class ClosePath {
    FileExit, // File > Exit
    CloseCall, // the program or a widget closing it (the close button as Qt sees it)
    WindowSystem, // the window manager's close: the close box, the system menu, Alt+F4
    SessionEnd, // the end of the user's session, with leave to ask
};

// Asks the main window to close the given way; true when it closed.
bool requestClose(Form1& form, ClosePath path)
{
    switch (path) {
    case ClosePath::FileExit:
        form.menuExit->trigger();
        return !form.isVisible();
    case ClosePath::CloseCall:
        return form.close();
    case ClosePath::WindowSystem:
        return form.windowHandle()->close();
    case ClosePath::SessionEnd:
        return form.sessionEnding(true);
    }
    return false;
}

void addClosePathColumn() { QTest::addColumn<ClosePath>("path"); }

const QList<std::pair<const char*, ClosePath>> closePaths {
    { "File > Exit", ClosePath::FileExit },
    { "close()", ClosePath::CloseCall },
    { "window manager", ClosePath::WindowSystem },
    { "session end", ClosePath::SessionEnd },
};

// Another window of the program, open beside the main window.
class OtherForm : public Form {
public:
    static OtherForm& instance() { return FormInstance<OtherForm>::get(); }
};

} // namespace

Q_DECLARE_METATYPE(ClosePath)

class TestClosing : public QObject {
    Q_OBJECT

    Form1& shownForm(const QString& text)
    {
        Form1& form = Form1::instance();
        form.Rtf1->setText(text);
        form.show();
        if (!QTest::qWaitForWindowExposed(&form))
            qWarning("the main window was not shown");
        return form;
    }

    static void verifyQuestion(const TestSupport::ShownBox& box)
    {
        QCOMPARE(box.text, QStringLiteral("Are you sure you want to exit?"));
        QCOMPARE(box.title, QStringLiteral("Glimmer"));
        QCOMPARE(box.icon, QMessageBox::Question);
        QCOMPARE(box.buttons,
            (QList<QMessageBox::StandardButton> { QMessageBox::Yes, QMessageBox::No }));
        QCOMPARE(box.defaultButton, QMessageBox::Yes);
    }

private Q_SLOTS:
    void init() { TestSupport::closeAllWindows(); }
    void cleanup() { TestSupport::closeAllWindows(); }

    void emptyViewEndsWithoutAQuestion_data()
    {
        addClosePathColumn();
        for (const auto& [name, path] : closePaths)
            QTest::newRow(name) << path;
    }

    void emptyViewEndsWithoutAQuestion()
    {
        QFETCH(ClosePath, path);
        TestSupport::MessageBoxes boxes;
        TestSupport::EndWatcher end;
        Form1& form = shownForm(QString());
        QVERIFY(requestClose(form, path));
        QCOMPARE(boxes.shown().size(), 0);
        QCOMPARE(end.count(), 1);
    }

    void anyCharacterAsksAndYesEnds_data()
    {
        addClosePathColumn();
        QTest::addColumn<QString>("text");
        for (const auto& [name, path] : closePaths) {
            QTest::addRow("%s, a single space", name) << path << " ";
            QTest::addRow("%s, a single line break", name) << path << "\n";
            QTest::addRow("%s, a document", name)
                << path << QStringLiteral("\u2588\u2588 art\nline two");
        }
    }

    void anyCharacterAsksAndYesEnds()
    {
        QFETCH(ClosePath, path);
        QFETCH(QString, text);
        TestSupport::MessageBoxes boxes;
        boxes.answerWith(MsgBox::Yes);
        TestSupport::EndWatcher end;
        Form1& form = shownForm(text);
        QCOMPARE(form.Rtf1->Text(), text);
        QVERIFY(requestClose(form, path));
        QCOMPARE(boxes.shown().size(), 1);
        verifyQuestion(boxes.shown().at(0));
        QCOMPARE(end.count(), 1);
    }

    void noKeepsEverythingAndAsksAgain_data()
    {
        addClosePathColumn();
        for (const auto& [name, path] : closePaths)
            QTest::newRow(name) << path;
    }

    void noKeepsEverythingAndAsksAgain()
    {
        QFETCH(ClosePath, path);
        TestSupport::MessageBoxes boxes;
        boxes.answerWith(MsgBox::No);
        TestSupport::EndWatcher end;
        Form1& form = shownForm(QStringLiteral("first line\nsecond line"));
        form.sbar->setSimpleText(QStringLiteral("/tmp/some.nfo"));
        form.Rtf1->setSelStart(6);
        form.Rtf1->setSelLength(9);
        Form2::instance().showModeless();

        QVERIFY(!requestClose(form, path));
        QCOMPARE(boxes.shown().size(), 1);
        verifyQuestion(boxes.shown().at(0));
        QCOMPARE(end.count(), 0);
        QVERIFY(!Forms::hasEnded());
        QVERIFY(Form1::exists());
        QCOMPARE(&Form1::instance(), &form);
        QVERIFY(form.isVisible());
        QVERIFY(Form2::instance().isVisible());
        QCOMPARE(form.Rtf1->Text(), QStringLiteral("first line\nsecond line"));
        QCOMPARE(form.Rtf1->SelStart(), 6);
        QCOMPARE(form.Rtf1->SelText(), QStringLiteral("line\nseco"));
        QCOMPARE(form.sbar->SimpleText(), QStringLiteral("/tmp/some.nfo"));

        // The window goes on working, and the next attempt asks again.
        QCoreApplication::processEvents();
        QVERIFY(form.isVisible());
        QVERIFY(!requestClose(form, path));
        QCOMPARE(boxes.shown().size(), 2);
        boxes.answerWith(MsgBox::Yes);
        QVERIFY(requestClose(form, path));
        QCOMPARE(end.count(), 1);
    }

    void closeFileThenExitEndsWithoutAQuestion()
    {
        TestSupport::MessageBoxes boxes;
        TestSupport::EndWatcher end;
        Form1& form = shownForm(QStringLiteral("a document"));
        form.closefile->trigger();
        form.menuExit->trigger();
        QCOMPARE(boxes.shown().size(), 0);
        QCOMPARE(end.count(), 1);
    }

    // A session that gives no leave to ask: the program cannot put the question, so it keeps
    // the session from ending rather than drop the document unasked; an empty view lets it go.
    void sessionEndWithoutLeaveToAsk()
    {
        auto* manager = qApp->findChild<QSessionManager*>();
        if (!manager)
            QSKIP("this Qt keeps no session manager");
        if (manager->allowsInteraction()) {
            manager->release();
            QSKIP("the session manager here grants interaction");
        }
        TestSupport::MessageBoxes boxes;
        TestSupport::EndWatcher end;
        Form1& form = shownForm(QStringLiteral(" "));
        Q_EMIT qApp->commitDataRequest(*manager);
        QCOMPARE(boxes.shown().size(), 0);
        QCOMPARE(end.count(), 0);
        QVERIFY(form.isVisible());
        QCOMPARE(form.Rtf1->Text(), QStringLiteral(" "));

        form.Rtf1->setText(QString());
        Q_EMIT qApp->commitDataRequest(*manager);
        QCOMPARE(boxes.shown().size(), 0);
        QCOMPARE(end.count(), 1);
    }

    // Last, since the real end leaves the event loop for good: Yes takes the find dialog and
    // any other window with the program, and no event procedure runs afterwards.
    void yesEndsTheProgramWithEveryWindow()
    {
        TestSupport::MessageBoxes boxes;
        boxes.answerWith(MsgBox::Yes);
        Form1& form = shownForm(QStringLiteral("document"));
        Form2& find = Form2::instance();
        find.showModeless();
        OtherForm& other = OtherForm::instance();
        other.showModeless();
        QVERIFY(find.isVisible() && other.isVisible());

        QEventLoop loop;
        QTimer::singleShot(0, &form, [&form] { form.menuExit->trigger(); });
        QTimer::singleShot(5000, &loop, [&loop] { loop.exit(99); });
        QCOMPARE(loop.exec(), 0); // the program's event loop was left
        QCOMPARE(boxes.shown().size(), 1);
        QVERIFY(Forms::hasEnded());
        for (QWidget* window : QApplication::topLevelWidgets())
            QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));

        // Nothing runs any more: not the stamp, not another close request.
        form.menuinsertdate->trigger();
        QCOMPARE(form.Rtf1->Text(), QStringLiteral("document"));
        form.menuExit->trigger();
        QCOMPARE(boxes.shown().size(), 1);
    }
};

QTEST_MAIN(TestClosing)
#include "tst_closing.moc"
