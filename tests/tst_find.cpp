// The find dialog and the highlight-all search, driven as a user does: Edit > Find, a word typed
// into Text1, a press of Search; the marks are read back from the main window's view.
#include "app/form1.h"
#include "find/form2.h"
#include "support/testsupport.h"
#include "view/documentview.h"

#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolButton>
#include <QtTest>

namespace {

DocumentView& view() { return *Form1::instance().Rtf1; }

// One character per character of the view: 'M' red and bold, '.' plain, '?' anything between.
QString marks()
{
    QString out;
    for (QTextBlock block = view().document()->begin(); block.isValid(); block = block.next()) {
        if (block != view().document()->begin())
            out += QLatin1Char('.'); // the line break between blocks is never marked
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            const bool red = format.foreground().color() == QColor(255, 0, 0);
            const bool bold = format.fontWeight() == QFont::Bold;
            out += QString(it.fragment().length(), red && bold ? 'M' : (red || bold ? '?' : '.'));
        }
    }
    return out;
}

Form2& openFind()
{
    Form1::instance().menuFind->trigger();
    return Form2::instance();
}

// Edit > Find, the word typed after whatever Text1 still holds, then a click on Search.
void search(const QString& word)
{
    Form2& dialog = openFind();
    QTest::keyClicks(dialog.Text1, word);
    QTest::mouseClick(dialog.Command1, Qt::LeftButton);
}

QPair<int, int> selection() { return { view().SelStart(), view().SelLength() }; }

void row(const char* name, const char* text, const char* word, const char* expected, int selStart,
    int selLength)
{
    QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(word)
                        << QString::fromUtf8(expected) << selStart << selLength;
}

} // namespace

class TestFind : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { TestSupport::closeAllWindows(); }
    void cleanup() { TestSupport::closeAllWindows(); }

    void searchMarksEveryOccurrence_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selLength");
        // Expected marks: 'M' red and bold, '.' plain; selection -1: as it was before the run.
        row("overlapping", "aaaa", "aa", "MMMM", 2, 2);
        row("overlapping, odd length", "abababa", "aba", "MMMMMMM", 4, 3);
        row("touching, then apart", "ababxabab", "ab", "MMMM.MMMM", 7, 2);
        row("word at the end", "xyab", "ab", "..MM", 2, 2);
        row("one character at the end", "xaa", "a", ".MM", 2, 1);
        row("one character, last found first", "xba", "a", "..M", 2, 1);
        row("document of one character", "a", "a", "M", 0, 1);
        row("case matters", "The the THE", "the", "....MMM....", 4, 3);
        row("across lines", "ab\nxab\nab", "ab", "MM..MM.MM", 7, 2);
        row("word longer than text", "abc", "abcd", "...", -1, 0);
        row("nothing found", "hello world", "z", "...........", -1, 0);
        row("empty word", "hello", "", ".....", -1, 0);
        row("empty document", "", "a", "", -1, 0);
    }

    void searchMarksEveryOccurrence()
    {
        QFETCH(QString, text);
        QFETCH(QString, word);
        QFETCH(QString, expected);
        QFETCH(int, selStart);
        QFETCH(int, selLength);

        view().setText(text);
        // The caret past the first character: every run still starts at the first one.
        const QPair<int, int> before(qMin(1, int(text.size())), text.size() > 2 ? 1 : 0);
        view().setSelStart(before.first);
        view().setSelLength(before.second);

        search(word);
        QVERIFY(!Form2::instance().isVisible()); // hidden after every run
        QCOMPARE(view().Text(), text); // only formatting changes
        QCOMPARE(marks(), expected);
        QCOMPARE(selection(), selStart < 0 ? before : qMakePair(selStart, selLength));
    }

    void laterSearchesAddMarksAndRepeatsChangeNothing()
    {
        view().setText(QStringLiteral("cat dog cat"));
        search(QStringLiteral("cat"));
        Form2& dialog = openFind();
        QCOMPARE(dialog.Text1->text(), QStringLiteral("cat")); // kept while hidden
        dialog.Text1->selectAll();
        QTest::keyClicks(dialog.Text1, QStringLiteral("dog"));
        QTest::mouseClick(dialog.Command1, Qt::LeftButton);
        QCOMPARE(marks(), QStringLiteral("MMM.MMM.MMM"));
        QCOMPARE(selection(), qMakePair(4, 3));

        // Pressed again, the word still in Text1 is reused and nothing changes.
        QTest::mouseClick(openFind().Command1, Qt::LeftButton);
        QCOMPARE(marks(), QStringLiteral("MMM.MMM.MMM"));
        QCOMPARE(selection(), qMakePair(4, 3));
    }

    void oneDialogThatHidesAndUnloads()
    {
        view().setText(QStringLiteral("alpha beta"));
        Form2* first = &openFind();
        QCOMPARE(&openFind(), first); // chosen again while visible
        QVERIFY(first->isVisible() && !first->parentWidget() && !first->isModal());
        const QWidgetList windows = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(windows.cbegin(), windows.cend(),
                     [](QWidget* w) { return qobject_cast<Form2*>(w); }),
            1);

        search(QStringLiteral("beta"));
        QCOMPARE(&openFind(), first); // hidden, not unloaded: the word stays
        QCOMPARE(first->Text1->text(), QStringLiteral("beta"));

        QPointer<Form2> closed(first);
        QVERIFY(first->close()); // the close box
        QTRY_VERIFY(closed.isNull());
        QCOMPARE(openFind().Text1->text(), QString()); // loaded afresh
        QCOMPARE(marks(), QStringLiteral("......MMMM")); // marks outlive the dialog
    }

    void minimisedDialogComesBackWithItsWord()
    {
        Form2& dialog = openFind();
        QTest::keyClicks(dialog.Text1, QStringLiteral("kept"));
        dialog.setWindowState(Qt::WindowMinimized);
        QCOMPARE(&openFind(), &dialog);
        QVERIFY(!dialog.isMinimized() && dialog.isVisible());
        QCOMPARE(dialog.Text1->text(), QStringLiteral("kept"));
    }

    void controlsHaveAccessibleNames()
    {
        Form2& dialog = openFind();
        const auto text = [](QWidget* widget, QAccessible::Text which) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(widget);
            return a ? a->text(which) : QStringLiteral("(none)");
        };
        QCOMPARE(text(dialog.Text1, QAccessible::Name), QStringLiteral("Word to search"));
        QVERIFY(!text(dialog.Text1, QAccessible::Description).isEmpty());
        QCOMPARE(text(dialog.Command1, QAccessible::Name), QStringLiteral("Search"));
        QVERIFY(!text(dialog.Command1, QAccessible::Description).isEmpty());
        QCOMPARE(text(dialog.Frame1, QAccessible::Name), QStringLiteral("Type Word To Search"));
    }

    void keyboardHasNoDefaultOrCancelButton()
    {
        view().setText(QStringLiteral("find me"));
        Form2& dialog = openFind();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(QApplication::focusWidget(), dialog.Command1); // first in the tab order
        QTest::keyClick(&dialog, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dialog.Text1);

        QTest::keyClicks(dialog.Text1, QStringLiteral("me"));
        QTest::keyClick(dialog.Text1, Qt::Key_Return);
        QTest::keyClick(dialog.Text1, Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClick(dialog.Text1, Qt::Key_Escape);
        QVERIFY(dialog.isVisible() && Form2::exists());
        QCOMPARE(marks(), QStringLiteral("......."));

        QTest::keyClick(&dialog, Qt::Key_Tab); // the frame takes no focus
        QCOMPARE(QApplication::focusWidget(), dialog.Command1);
        QTest::keyClick(dialog.Command1, Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
        // The button itself is pressed from the keyboard, by Space or by Enter while focused.
        QTest::keyClick(dialog.Command1, Qt::Key_Space);
        QCOMPARE(marks(), QStringLiteral(".....MM"));
        view().setText(QStringLiteral("me too"));
        openFind();
        QTest::keyClick(dialog.Command1, Qt::Key_Return);
        QTRY_COMPARE(marks(), QStringLiteral("MM...."));
    }

    void wordHasNoLengthLimit()
    {
        const QString word(40000, QLatin1Char('w')); // beyond a line edit's usual 32767
        view().setText(QStringLiteral("<") + word + QStringLiteral(">"));
        Form2& dialog = openFind();
        dialog.Text1->insert(word); // as a paste would
        QTest::mouseClick(dialog.Command1, Qt::LeftButton);
        QCOMPARE(selection(), qMakePair(1, int(word.size())));
    }

    // The dialog knows no main window: it searches whatever view the source gives at the click.
    void searchPaintsTheViewItsSourceGives()
    {
        DocumentView own;
        own.setText(QStringLiteral("one two one"));
        Form2::setDocumentSource([given = QPointer(&own)] { return given.data(); });
        Form2& dialog = Form2::instance();
        dialog.showModeless();
        QTest::keyClicks(dialog.Text1, QStringLiteral("one"));
        QTest::mouseClick(dialog.Command1, Qt::LeftButton);
        QVERIFY(!Form1::exists());
        QCOMPARE(qMakePair(own.SelStart(), own.SelLength()), qMakePair(8, 3));

        // With no view to give, Search paints nothing and still hides the dialog.
        Form2::setDocumentSource([]() -> DocumentView* { return nullptr; });
        dialog.showModeless();
        QTest::mouseClick(dialog.Command1, Qt::LeftButton);
        QVERIFY(!dialog.isVisible() && !Form1::exists());
    }

    // The main window of the moment of the click is searched: one the click itself loads, as
    // any use of the main window does, or one built after the dialog.
    void searchFollowsTheMainWindowOfTheMoment()
    {
        Form2& dialog = openFind();
        QTest::keyClicks(dialog.Text1, QStringLiteral("new"));
        delete &Form1::instance();
        QVERIFY(Form2::exists() && !Form1::exists());
        QTest::mouseClick(dialog.Command1, Qt::LeftButton);
        QVERIFY(Form1::exists());

        delete &Form1::instance();
        view().setText(QStringLiteral("a new window"));
        dialog.showModeless();
        QTest::mouseClick(dialog.Command1, Qt::LeftButton);
        QCOMPARE(marks(), QStringLiteral("..MMM......."));
    }

    void picturesAreReadWithTheirTransparencyAndOrientation()
    {
        // Stored bottom-up on white (five bits a channel: 248): lens at the top left.
        const QImage picture(QStringLiteral(":/glimmer/search.bmp"));
        QCOMPARE(picture.pixelColor(31, 0), QColor(248, 248, 248));
        QVERIFY(picture.pixelColor(13, 13).blue() > picture.pixelColor(13, 13).red());
        // The icon is transparent where its mask says so, opaque on the glass.
        const QImage icon = openFind().windowIcon().pixmap(32, 32).toImage();
        QCOMPARE(icon.pixelColor(0, 0).alpha(), 0);
        QCOMPARE(icon.pixelColor(31, 0).alpha(), 0);
        QCOMPARE(icon.pixelColor(13, 13).alpha(), 255);
        QVERIFY(icon.pixelColor(13, 13).blue() > icon.pixelColor(13, 13).red());
    }
};

QTEST_MAIN(TestFind)
#include "tst_find.moc"
