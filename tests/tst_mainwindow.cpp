// The main window as defined: caption, geometry in twips, fonts, colours, controls and their
// order, the status bar's docking, the menu tree with its shortcuts, and the state after start.
// The end of a long document can be scrolled into the part of the view that shows; what a
// selection gives other programs is plain text; the controls have accessible names.
#include "app/form1.h"
#include "app/statusbar.h"
#include "forms/units.h"
#include "platform/commondialog.h"
#include "support/testsupport.h"
#include "view/documentview.h"
#include "view/terminalfont.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

namespace {
// A user who cancels the file dialog at once.
class Cancelling : public CommonDialog::Presenter {
    bool run(QFileDialog&) override { return false; }
};
}

class TestMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { TestSupport::closeAllWindows(); }
    void cleanup() { TestSupport::closeAllWindows(); }

    void windowDefinition()
    {
        Form1& form = Form1::instance();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.windowTitle(), QStringLiteral("Glimmer v1.0"));
        QCOMPARE(form.client()->size(), QSize(511, 424)); // 7665 x 6360 twips
        const Qt::WindowFlags flags = form.windowFlags();
        QVERIFY(!(flags & Qt::FramelessWindowHint));
        QVERIFY(form.windowState() == Qt::WindowNoState);
        QVERIFY(!form.windowIcon().isNull());
        const QImage icon = form.windowIcon().pixmap(32, 32).toImage();
        QCOMPARE(icon.size(), QSize(32, 32));
        QCOMPARE(icon.pixelColor(0, 0).alpha(), 0); // the mask's transparency is kept
        QCOMPARE(icon.pixelColor(15, 20).alpha(), 255);
        QCOMPARE(form.font().family(), QStringLiteral("Papyrus"));
        QCOMPARE(form.font().weight(), QFont::Bold);
        QCOMPARE(form.font().pointSizeF(), 8.25);
        QCOMPARE(form.palette().color(QPalette::Window), Units::color(Units::ActiveBorder));
    }

    void controlsInOrderAtTheirPlaces()
    {
        Form1& form = Form1::instance();
        QCOMPARE(form.diag->objectName(), QStringLiteral("diag"));
        QVERIFY(form.diag->parent() == &form);
        QCOMPARE(form.Rtf1->objectName(), QStringLiteral("Rtf1"));
        QCOMPARE(form.Rtf1->geometry(), QRect(0, 0, 793, 513)); // 11895 x 7695 twips
        QCOMPARE(form.Label1->geometry(), QRect(176, 88, 177, 17));
        QCOMPARE(form.Label1->text(), QString());
        QCOMPARE(form.Label1->font().family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(form.Label1->font().pointSizeF(), 8.25);
        QCOMPARE(form.Label1->font().weight(), QFont::Normal);
        QCOMPARE(form.sbar->geometry(), QRect(0, 424 - 25, 511, 25));
        QCOMPARE(form.sbar->panelWidth(), 96); // 1440 twips
        QCOMPARE(form.sbar->SimpleText(), QString());

        // The label lies beneath the view; the status bar stays above it.
        const QObjectList stack = form.client()->children();
        QVERIFY(stack.indexOf(form.Label1) < stack.indexOf(form.Rtf1));
        QVERIFY(stack.indexOf(form.Rtf1) < stack.indexOf(form.sbar));
        const QPoint labelCentre = form.Label1->geometry().center();
        QWidget* top = form.client()->childAt(labelCentre);
        QVERIFY(top && (top == form.Rtf1 || form.Rtf1->isAncestorOf(top)));
    }

    void viewFontAndBackground()
    {
        DocumentView* view = Form1::instance().Rtf1;
        QCOMPARE(view->font().family(), QString::fromLatin1(TerminalFont::Family));
        QVERIFY(QFontInfo(view->font()).fixedPitch());
        if (QFontDatabase::families().contains(QStringLiteral("Px IBM VGA8")))
            QCOMPARE(TerminalFont::resolvedFamily(), QStringLiteral("Px IBM VGA8"));
        QCOMPARE(view->viewport()->palette().color(QPalette::Base),
            Units::color(Units::WindowBackground));
        QCOMPARE(view->Text(), QString());
        QCOMPARE(view->contextMenuPolicy(), Qt::NoContextMenu);
        // Box characters of a DOS screen tile: the line height is the face's cell.
        QFontMetrics metrics(view->font());
        QCOMPARE(metrics.height(), TerminalFont::CellPixels);
    }

    void statusBarDocksWhileTheViewStays()
    {
        Form1& form = Form1::instance();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QRect viewBefore = form.Rtf1->geometry();
        form.resize(form.width() + 200, form.height() + 120);
        QTRY_COMPARE(form.client()->size(), QSize(711, 544));
        QCOMPARE(form.sbar->geometry(), QRect(0, 544 - 25, 711, 25));
        QCOMPARE(form.Rtf1->geometry(), viewBefore);
        form.resize(300, 200);
        QTRY_COMPARE(form.sbar->geometry().bottom(), form.client()->height() - 1);
        QCOMPARE(form.sbar->width(), form.client()->width());
        QCOMPARE(form.Rtf1->geometry(), viewBefore);
    }

    void theEndOfALongDocumentScrollsIntoSight()
    {
        Form1& form = Form1::instance();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QStringList lines;
        for (int i = 1; i <= 200; ++i)
            lines << QStringLiteral("line %1").arg(i);
        form.Rtf1->setText(lines.join(QLatin1Char('\n')));
        QCOMPARE(form.Rtf1->geometry(), QRect(0, 0, 793, 513)); // the view keeps its size

        // Scrolled to the end (as Ctrl+End does), the last line lies above the status bar.
        const auto lastLineBottom = [&form] {
            QTextCursor end(form.Rtf1->document());
            end.movePosition(QTextCursor::End);
            const QRect caret = form.Rtf1->cursorRect(end);
            return form.Rtf1->viewport()->mapTo(form.client(), caret.bottomLeft()).y();
        };
        QTest::keyClick(form.Rtf1, Qt::Key_End, Qt::ControlModifier);
        QVERIFY2(lastLineBottom() < form.sbar->y(),
            qPrintable(QStringLiteral("last line ends at %1, the status bar begins at %2")
                           .arg(lastLineBottom())
                           .arg(form.sbar->y())));
        QVERIFY(lastLineBottom() > form.sbar->y() - 40); // and the view is scrolled right to it
        // The text area ends where the status bar begins.
        QCOMPARE(form.Rtf1->viewport()
                     ->mapTo(form.client(), QPoint(0, form.Rtf1->viewport()->height()))
                     .y(),
            form.sbar->y());

        // A window tall enough to show the whole view needs no such end.
        form.resize(form.width(), form.height() + 300);
        QTRY_COMPARE(form.sbar->y(), 424 - 25 + 300);
        QCOMPARE(
            form.Rtf1->viewport()->mapTo(form.Rtf1, QPoint(0, form.Rtf1->viewport()->height())).y(),
            form.Rtf1->height() - form.Rtf1->frameWidth());
    }

    void selectionLeavesAsPlainTextOnly()
    {
        // The view's own copy (what also fills the X selection and drags) offers characters only.
        Form1& form = Form1::instance();
        form.Rtf1->setText(QStringLiteral("plain words"));
        form.Rtf1->setSelStart(0);
        form.Rtf1->setSelLength(5);
        form.Rtf1->setSelColor(255);
        form.Rtf1->setSelBold(true);
        form.Rtf1->copy();
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data);
        QCOMPARE(data->formats(), QStringList { QStringLiteral("text/plain") });
        QCOMPARE(data->text(), QStringLiteral("plain"));
    }

    void controlsHaveAccessibleNames()
    {
        Form1& form = Form1::instance();
        form.show();
        const auto name = [](QWidget* widget) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(widget);
            return a ? a->text(QAccessible::Name) : QStringLiteral("(none)");
        };
        const auto description = [](QWidget* widget) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(widget);
            return a ? a->text(QAccessible::Description) : QString();
        };
        QCOMPARE(name(form.Rtf1), QStringLiteral("Document"));
        QVERIFY(!description(form.Rtf1).isEmpty());
        QCOMPARE(name(form.sbar), QStringLiteral("Status bar"));
        QVERIFY(!description(form.sbar).isEmpty());
    }

    void menuTree()
    {
        Form1& form = Form1::instance();
        QStringList seen;
        for (QAction* bar : form.menuBar->actions()) {
            seen << bar->menu()->objectName() + QLatin1Char('=') + bar->text();
            for (QAction* item : bar->menu()->actions()) {
                QString line = QStringLiteral("  ") + item->objectName() + QLatin1Char('=')
                    + (item->isSeparator() ? QStringLiteral("-") : item->text());
                if (!item->shortcut().isEmpty())
                    line
                        += QLatin1Char(' ') + item->shortcut().toString(QKeySequence::PortableText);
                seen << line;
                QVERIFY(item->isVisible());
                QVERIFY(!item->isChecked());
            }
        }
        const QStringList expected {
            QStringLiteral("menuFile=&File"),
            QStringLiteral("  menuOpen=&Open Ctrl+O"),
            QStringLiteral("  closefile=&Close File"),
            QStringLiteral("  menuExit=E&xit"),
            QStringLiteral("menuedit=&Edit"),
            QStringLiteral("  menucut=Cut Ctrl+X"),
            QStringLiteral("  menucopy=Copy Ctrl+C"),
            QStringLiteral("  menuPaste=Paste Ctrl+V"),
            QStringLiteral("  menuLine3=-"),
            QStringLiteral("  menuFind=Find F3"),
            QStringLiteral("  menuLine4=-"),
            QStringLiteral("  menuselectall=Select All Ctrl+A"),
            QStringLiteral("  menuinsertdate=Insert Date/Time F5"),
            QStringLiteral("menuAbout=Abo&ut"),
            QStringLiteral("  menupadu=About Tessel"),
        };
        QCOMPARE(seen, expected);
    }

    void pasteIsDisabledAfterStart()
    {
        QGuiApplication::clipboard()->setText(QStringLiteral("from another program"));
        Form1& form = Form1::instance();
        form.show();
        QVERIFY(!form.menuPaste->isEnabled());
        for (QAction* item : { form.menucut, form.menucopy, form.menuFind, form.menuselectall,
                 form.menuinsertdate, form.menuOpen, form.closefile, form.menuExit, form.menupadu })
            QVERIFY2(item->isEnabled(), qPrintable(item->objectName()));
    }

    void shortcutsRunTheMenuFromTheView_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Ctrl+O") << "menuOpen" << int(Qt::Key_O) << int(Qt::ControlModifier);
        QTest::newRow("Ctrl+X") << "menucut" << int(Qt::Key_X) << int(Qt::ControlModifier);
        QTest::newRow("Ctrl+C") << "menucopy" << int(Qt::Key_C) << int(Qt::ControlModifier);
        QTest::newRow("Ctrl+A") << "menuselectall" << int(Qt::Key_A) << int(Qt::ControlModifier);
        QTest::newRow("F3") << "menuFind" << int(Qt::Key_F3) << int(Qt::NoModifier);
        QTest::newRow("F5") << "menuinsertdate" << int(Qt::Key_F5) << int(Qt::NoModifier);
        QTest::newRow("Shift+Insert is Paste")
            << "menuPaste" << int(Qt::Key_Insert) << int(Qt::ShiftModifier);
    }

    void shortcutsRunTheMenuFromTheView()
    {
        QFETCH(QString, item);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        TestSupport::MessageBoxes boxes;
        Cancelling cancel;
        CommonDialog::Current::Override useCancel(cancel);
        Form1& form = Form1::instance();
        form.menuPaste->setEnabled(true);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.Rtf1->setFocus();
        QAction* action = form.findChild<QAction*>(item);
        QVERIFY(action);
        QSignalSpy triggered(action, &QAction::triggered);
        QTest::keyClick(form.Rtf1, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTRY_COMPARE(triggered.count(), 1);
        TestSupport::closeAllWindows();
    }

    void disabledItemKeepsItsKeyFromTheView()
    {
        QGuiApplication::clipboard()->setText(QStringLiteral("PASTED"));
        Form1& form = Form1::instance();
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.Rtf1->setFocus();
        form.Rtf1->setText(QStringLiteral("one two"));
        form.Rtf1->setSelStart(3);
        QSignalSpy pasted(form.menuPaste, &QAction::triggered);
        QSignalSpy selectLine(form.menuselectall, &QAction::triggered);
        QTest::keyClick(form.Rtf1, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(form.Rtf1, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(pasted.count(), 0);
        QCOMPARE(form.Rtf1->Text(), QStringLiteral("one two"));
        // Ctrl+A is the menu's, never the view's own select-everything.
        form.menuselectall->setEnabled(false);
        QTest::keyClick(form.Rtf1, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(selectLine.count(), 0);
        QCOMPARE(form.Rtf1->SelLength(), 0);
    }

    void focusStartsInTheView()
    {
        Form1& form = Form1::instance();
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form.Rtf1));
        QCOMPARE(form.sbar->focusPolicy(), Qt::NoFocus);
        QCOMPARE(form.Label1->focusPolicy(), Qt::NoFocus);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
