// The find dialog and the highlight-all search, driven as a user does: Edit > Find, a word typed
// into Text1, a press of Search; the marks are read back from the main window's view.
#include "app/documentview.h"
#include "app/form1.h"
#include "app/units.h"
#include "find/form2.h"
#include "find/highlightsearch.h"
#include "support/testsupport.h"

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
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            const bool red = format.foreground().color() == QColor(255, 0, 0);
            const bool bold = format.fontWeight() == QFont::Bold;
            out += QString(fragment.length(), red && bold ? 'M' : (red || bold ? '?' : '.'));
        }
    }
    return out;
}

Form2& openFind()
{
    Form1::instance().menuFind->trigger();
    return Form2::instance();
}

// Types text as key presses; characters beyond ASCII arrive as a keyboard layout delivers them.
void type(QWidget* widget, const QString& text)
{
    for (const QChar ch : text) {
        if (ch.unicode() < 128)
            QTest::keyClicks(widget, QString(ch));
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

// Edit > Find, the word typed after whatever Text1 still holds, then a click on Search.
void search(const QString& word)
{
    Form2& dialog = openFind();
    type(dialog.Text1, word);
    QTest::mouseClick(dialog.Command1, Qt::LeftButton);
}

void select(int start, int length)
{
    view().setSelStart(start);
    view().setSelLength(length);
}

QPair<int, int> selection() { return { view().SelStart(), view().SelLength() }; }

void row(const char* name, const char16_t* text, const char16_t* word, const char16_t* expected,
    int selStart, int selLength)
{
    QTest::newRow(name) << QString::fromUtf16(text) << QString::fromUtf16(word)
                        << QString::fromUtf16(expected) << selStart << selLength;
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
        QTest::addColumn<int>("selStart"); // -1: the selection stays as it was
        QTest::addColumn<int>("selLength");

        // Expected marks: 'M' red and bold, '.' plain; selection -1: as it was before the run.
        row("overlapping", u"aaaa", u"aa", u"MMMM", 2, 2);
        row("word at the end", u"xyab", u"ab", u"..MM", 2, 2);
        row("one character at the end", u"xaa", u"a", u".MM", 2, 1);
        row("one character, last found first", u"xba", u"a", u"..M", 2, 1);
        row("document of one character", u"a", u"a", u"M", 0, 1);
        row("whole document", u"word", u"word", u"MMMM", 0, 4);
        row("case matters", u"The the THE", u"the", u"....MMM....", 4, 3);
        row("no folding of any kind", u"Stra\u00dfe strasse e\u0301 \u00e9", u"\u00e9",
            u"..................M", 18, 1);
        row("across lines", u"ab\nxab\nab", u"ab", u"MM..MM.MM", 7, 2);
        row("word longer than text", u"abc", u"abcd", u"...", -1, 0);
        row("nothing found", u"hello world", u"z", u"...........", -1, 0);
        row("empty word", u"hello", u"", u".....", -1, 0);
        row("empty document", u"", u"a", u"", -1, 0);
    }

    void searchMarksEveryOccurrence()
    {
        QFETCH(QString, text);
        QFETCH(QString, word);
        QFETCH(QString, expected);
        QFETCH(int, selStart);
        QFETCH(int, selLength);

        view().setText(text);
        const QPair<int, int> before(qMin(1, int(text.size())), text.size() > 2 ? 1 : 0);
        select(before.first, before.second);

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
        QCOMPARE(marks(), QStringLiteral("MMM.....MMM"));
        QCOMPARE(selection(), qMakePair(8, 3));

        // The hidden dialog still holds "cat": clear it as a user would before the next word.
        Form2& dialog = openFind();
        QCOMPARE(dialog.Text1->text(), QStringLiteral("cat"));
        dialog.Text1->selectAll();
        QTest::keyClick(dialog.Text1, Qt::Key_Backspace);
        QTest::keyClicks(dialog.Text1, QStringLiteral("dog"));
        QTest::mouseClick(dialog.Command1, Qt::LeftButton);
        QCOMPARE(marks(), QStringLiteral("MMM.MMM.MMM"));
        QCOMPARE(selection(), qMakePair(4, 3));

        // Pressed again, the word still in Text1 is reused and nothing changes.
        QTest::mouseClick(openFind().Command1, Qt::LeftButton);
        QCOMPARE(marks(), QStringLiteral("MMM.MMM.MMM"));
        QCOMPARE(selection(), qMakePair(4, 3));
        QCOMPARE(view().Text(), QStringLiteral("cat dog cat"));
    }

    void everyRunStartsAtTheFirstCharacter()
    {
        view().setText(QStringLiteral("one two one"));
        select(9, 0); // the caret past every occurrence
        search(QStringLiteral("one"));
        QCOMPARE(marks(), QStringLiteral("MMM.....MMM"));
    }

    void hidingKeepsTheWordAndTheCloseBoxUnloads()
    {
        view().setText(QStringLiteral("alpha beta"));
        search(QStringLiteral("beta"));
        Form2* first = &Form2::instance();
        QVERIFY(!first->isVisible());

        QCOMPARE(&openFind(), first); // shown again, the same loaded dialog
        QVERIFY(first->isVisible());
        QCOMPARE(first->Text1->text(), QStringLiteral("beta"));
        QCOMPARE(marks(), QStringLiteral("......MMMM")); // marks outlive the dialog's hiding

        QPointer<Form2> closed(first);
        QVERIFY(first->close()); // the close box
        QVERIFY(!Form2::exists());
        QTRY_VERIFY(closed.isNull());

        Form2& fresh = openFind();
        QVERIFY(fresh.isVisible());
        QCOMPARE(fresh.Text1->text(), QString());
        QCOMPARE(marks(), QStringLiteral("......MMMM")); // and its unloading
    }

    void findShowsTheOneDialogWithoutOwner()
    {
        Form2& dialog = openFind();
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.parentWidget() == nullptr);
        QCOMPARE(&openFind(), &dialog); // chosen again while visible
        QVERIFY(dialog.isVisible());
        int dialogs = 0;
        for (QWidget* window : QApplication::topLevelWidgets())
            dialogs += qobject_cast<Form2*>(window) != nullptr;
        QCOMPARE(dialogs, 1);
        // The main window stays usable beside it.
        QVERIFY(Form1::instance().isEnabled());
        QVERIFY(!dialog.isModal());
    }

    void searchHasTheFocusFirstAndTabReachesTheTextBox()
    {
        Form2& dialog = openFind();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(QApplication::focusWidget(), dialog.Command1);
        QTest::keyClick(&dialog, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dialog.Text1);
        QTest::keyClick(&dialog, Qt::Key_Tab); // the frame takes no focus
        QCOMPARE(QApplication::focusWidget(), dialog.Command1);
    }

    void enterInTheTextBoxAndEscapeDoNothing()
    {
        view().setText(QStringLiteral("find me"));
        Form2& dialog = openFind();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        dialog.Text1->setFocus();
        QTest::keyClicks(dialog.Text1, QStringLiteral("me"));
        QTest::keyClick(dialog.Text1, Qt::Key_Return);
        QTest::keyClick(dialog.Text1, Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClick(dialog.Text1, Qt::Key_Escape);
        QTest::keyClick(dialog.Command1, Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
        QVERIFY(Form2::exists());
        QCOMPARE(marks(), QStringLiteral("......."));

        // The button itself is pressed from the keyboard, by Space or by Enter while focused.
        QTest::keyClick(dialog.Command1, Qt::Key_Space);
        QCOMPARE(marks(), QStringLiteral(".....MM"));
        QVERIFY(!dialog.isVisible());

        view().setText(QStringLiteral("me too"));
        QCOMPARE(&openFind(), &dialog);
        QTest::keyClick(dialog.Command1, Qt::Key_Return);
        QTRY_VERIFY(!dialog.isVisible());
        QCOMPARE(marks(), QStringLiteral("MM...."));
    }

    void wordHasNoLengthLimit()
    {
        const QString word(40000, QLatin1Char('w'));
        view().setText(QStringLiteral("<") + word + QStringLiteral(">"));
        Form2& dialog = openFind();
        dialog.Text1->insert(word); // as a paste would
        QCOMPARE(dialog.Text1->text().size(), word.size());
        QTest::mouseClick(dialog.Command1, Qt::LeftButton);
        QCOMPARE(selection(), qMakePair(1, int(word.size())));
    }

    void dialogHasItsDesignLook()
    {
        Form2& dialog = openFind();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Search..."));
        QCOMPARE(dialog.size(), QSize(287, 95));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize()); // not resizable
        const Qt::WindowFlags flags = dialog.windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool); // no task bar entry
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));

        QCOMPARE(dialog.Frame1->title(), QStringLiteral("Type Word To Search"));
        QCOMPARE(dialog.Frame1->geometry(), QRect(8, 8, 273, 81));
        QCOMPARE(dialog.Text1->parentWidget(), dialog.Frame1);
        QCOMPARE(dialog.Text1->geometry(), QRect(8, 40, 169, 25));
        QCOMPARE(dialog.Command1->parentWidget(), dialog.Frame1);
        QCOMPARE(dialog.Command1->geometry(), QRect(192, 16, 65, 57));
        QCOMPARE(dialog.Command1->text(), QStringLiteral("Search"));
        QCOMPARE(dialog.Command1->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    }

    void pictureAndIconAreMagnifyingGlassesOnWhite()
    {
        // The picture is stored bottom-up: the lens is near the top left, the handle's end at
        // the bottom right; the background is white.
        const QImage picture(QStringLiteral(":/glimmer/search.bmp"));
        QCOMPARE(picture.size(), QSize(32, 32));
        // Five bits a channel: white reads back as 248 in each.
        QCOMPARE(picture.pixelColor(0, 0), QColor(248, 248, 248));
        QCOMPARE(picture.pixelColor(31, 0), QColor(248, 248, 248));
        const QColor lens = picture.pixelColor(13, 13);
        QVERIFY2(lens.blue() > lens.red() && lens.blue() > 200, qPrintable(lens.name()));
        const QColor handle = picture.pixelColor(26, 26);
        QVERIFY2(handle.red() > handle.blue() + 60, qPrintable(handle.name()));

        // The window's icon: transparent where the mask says so, the same glass inside.
        const QImage icon = openFind().windowIcon().pixmap(32, 32).toImage();
        QCOMPARE(icon.size(), QSize(32, 32));
        QCOMPARE(icon.pixelColor(0, 0).alpha(), 0);
        QCOMPARE(icon.pixelColor(31, 0).alpha(), 0);
        const QColor iconLens = icon.pixelColor(13, 13);
        QCOMPARE(iconLens.alpha(), 255);
        QVERIFY2(
            iconLens.blue() > iconLens.red() && iconLens.blue() > 200, qPrintable(iconLens.name()));
        QCOMPARE(icon.pixelColor(26, 26).alpha(), 255); // the handle
    }

    void occurrencesAreCountedOnceEach()
    {
        // The unit beneath the dialog, for what the view cannot show: the order of the calls.
        QList<int> starts;
        const auto count = HighlightSearch::forEachOccurrence(
            u"abababa", u"aba", [&](std::int32_t start) { starts << start; });
        QCOMPARE(count, 3);
        QCOMPARE(starts, QList<int>({ 0, 2, 4 }));
    }
};

QTEST_MAIN(TestFind)
#include "tst_find.moc"
