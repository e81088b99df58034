// The About box: one instance, its keys, the colour cycling and the link labels.
#include "about/colorcycle.h"
#include "about/frmabout.h"
#include "about/linklabel.h"
#include "app/form1.h"
#include "forms/apperror.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "support/testsupport.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {
QString expectedNotice()
{
    return QStringLiteral("\nSend About Bugs To me \n") + QString(51, u' ')
        + QStringLiteral("\nBye !!!       \n");
}

std::uint32_t colorNumber(const QLabel* label)
{
    const QColor c = label->palette().color(QPalette::WindowText);
    return std::uint32_t(c.red()) | (std::uint32_t(c.green()) << 8)
        | (std::uint32_t(c.blue()) << 16);
}

int aboutWindowsShown()
{
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        n += qobject_cast<frmAbout*>(w) && w->isVisible() ? 1 : 0;
    return n;
}

qsizetype lineCount(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().count('\n') : 0;
}

// Records what the About box asks of the shell, and the pointer while it asks.
class FakeShell : public Shell::Api {
public:
    struct Call {
        WId owner;
        QByteArray operation, file;
        bool hasParameters;
        QByteArray directory;
        int show;
        int pointer;
        bool overrideCursor;
    };
    QList<Call> calls;
    std::intptr_t execute(WId owner, const QByteArray& operation, const QByteArray& file,
        const QByteArray* parameters, const QByteArray& directory, int show) override
    {
        calls << Call { owner, operation, file, parameters != nullptr, directory, show,
            Forms::mousePointer(), QGuiApplication::overrideCursor() != nullptr };
        return Shell::NoAssociation;
    }
};

// Prints the colours of the first ticks of a fresh program, as "web mail" lines, the first
// line before any tick.
int recordColours(int ticks)
{
    frmAbout& about = frmAbout::instance();
    about.showModeless();
    std::printf("%u %u\n", colorNumber(about.Label2), colorNumber(about.Label3));
    for (int i = 0; i < ticks; ++i) {
        QSignalSpy spy(about.Timer1, &QTimer::timeout);
        if (!spy.wait(3000))
            return 1;
        std::printf("%u %u\n", colorNumber(about.Label2), colorNumber(about.Label3));
    }
    return 0;
}
}

class TstAbout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        TestSupport::closeAllWindows();
        Form1::instance().showModeless();
    }
    void cleanup() { TestSupport::closeAllWindows(); }

    void aboutTwiceShowsOneDialog()
    {
        Form1::instance().menupadu->trigger();
        QPointer<frmAbout> first = &frmAbout::instance();
        Form1::instance().menupadu->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(aboutWindowsShown(), 1);
        QCOMPARE(&frmAbout::instance(), first.data());
        QVERIFY(first->isVisible());
        QVERIFY(!first->parentWidget()); // no owner: the main window stays usable
    }

    void minimisedBoxComesBackAsTheSameBox()
    {
        Form1::instance().menupadu->trigger();
        frmAbout& about = frmAbout::instance();
        about.Text1->setPlainText(QStringLiteral("edited"));
        about.setWindowState(Qt::WindowMinimized);
        Form1::instance().menupadu->trigger();
        QCOMPARE(&frmAbout::instance(), &about);
        QVERIFY(!about.isMinimized() && about.isVisible());
        QCOMPARE(about.Text1->toPlainText(), QStringLiteral("edited")); // not loaded afresh
        QCOMPARE(aboutWindowsShown(), 1);
    }

    void controlsHaveAccessibleNames()
    {
        Form1::instance().menupadu->trigger();
        frmAbout& about = frmAbout::instance();
        const auto text = [](QWidget* widget, QAccessible::Text which) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(widget);
            return a ? a->text(which) : QStringLiteral("(none)");
        };
        QCOMPARE(text(about.cmdOK, QAccessible::Name), QStringLiteral("OK"));
        QCOMPARE(text(about.cmdSysInfo, QAccessible::Name), QStringLiteral("System Info"));
        QCOMPARE(text(about.Label2, QAccessible::Name), frmAbout::WebAddress);
        QCOMPARE(text(about.Label3, QAccessible::Name), frmAbout::MailAddress);
        QCOMPARE(text(about.Text1, QAccessible::Name), QStringLiteral("Notice"));
        QCOMPARE(text(about.Image1, QAccessible::Name), QStringLiteral("Logo"));
        for (QWidget* control :
            { static_cast<QWidget*>(about.cmdOK), static_cast<QWidget*>(about.cmdSysInfo),
                static_cast<QWidget*>(about.Label2), static_cast<QWidget*>(about.Label3) })
            QVERIFY2(!text(control, QAccessible::Description).isEmpty(),
                qPrintable(control->objectName()));
    }

    void definition()
    {
        Form1::instance().menupadu->trigger();
        frmAbout& about = frmAbout::instance();
        QCOMPARE(about.windowTitle(), QStringLiteral("About Glimmer"));
        QCOMPARE(about.size(), QSize(383, 256));
        QCOMPARE(about.minimumSize(), about.maximumSize());
        QVERIFY(
            !(about.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(about.windowFlags() & Qt::WindowCloseButtonHint);
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY((about.geometry().center() - screen.center()).manhattanLength() <= 2);

        QCOMPARE(about.Text1->toPlainText(), expectedNotice());
        QCOMPARE(frmAbout::Notice.size(), 95);
        QVERIFY(frmAbout::Notice.endsWith(u"\r\n"));
        QCOMPARE(about.Text1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QVERIFY(!about.Text1->isReadOnly());
        QCOMPARE(about.Label1->text(), QStringLiteral("More Tools"));
        QCOMPARE(colorNumber(about.Label1), 0x00FFFFu);
        QCOMPARE(about.Label2->text(), frmAbout::WebAddress);
        QCOMPARE(about.Label3->text(), frmAbout::MailAddress);
        QVERIFY(frmAbout::WebAddress.contains(u"example.com"));
        QCOMPARE(about.cmdSysInfo->text(), QStringLiteral("&System Info..."));
        QCOMPARE(about.Image1->pixmap().size(), QSize(200, 141));
        QCOMPARE(about.Image1->size(), QSize(200, 141));
        QVERIFY(!about.windowIcon().isNull());
        QCOMPARE(about.Timer1->interval(), 800);
        QVERIFY(about.Timer1->isActive());

        // The pointing hand over both links, its tip the hot spot; the heading keeps the arrow.
        for (QLabel* link :
            { static_cast<QLabel*>(about.Label2), static_cast<QLabel*>(about.Label3) }) {
            QCOMPARE(link->cursor().shape(), Qt::BitmapCursor);
            QCOMPARE(link->cursor().hotSpot(), QPoint(7, 1));
            QCOMPARE(link->cursor().pixmap().size(), QSize(32, 32));
        }
        QVERIFY(!about.Label1->testAttribute(Qt::WA_SetCursor));

        // Focus order: OK, System Info, the notice, and round again.
        QTRY_COMPARE(QApplication::focusWidget(), about.cmdOK);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), about.cmdSysInfo);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), about.Text1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), about.cmdOK);
    }

    void keysFromEachFocus_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("sysInfo");
        for (const char* focus : { "cmdOK", "cmdSysInfo", "Text1" }) {
            QTest::addRow("Escape on %s", focus) << focus << int(Qt::Key_Escape) << true << false;
            const bool onSysInfo = QByteArray(focus) == "cmdSysInfo";
            QTest::addRow("Enter on %s", focus)
                << focus << int(Qt::Key_Return) << !onSysInfo << onSysInfo;
            QTest::addRow("keypad Enter on %s", focus)
                << focus << int(Qt::Key_Enter) << !onSysInfo << onSysInfo;
        }
    }
    void keysFromEachFocus()
    {
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(bool, closes);
        QFETCH(bool, sysInfo);
        QTemporaryDir dir;
        Registry::ExportFileRegistry noRegistry(dir.filePath(QStringLiteral("none.reg")));
        Registry::Current::Override useNoRegistry(noRegistry);
        TestSupport::MessageBoxes boxes;

        Form1::instance().menupadu->trigger();
        QPointer<frmAbout> about = &frmAbout::instance();
        QPointer<QTimer> timer = about->Timer1;
        auto* target = about->findChild<QWidget*>(focus);
        QVERIFY(target);
        target->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), target);
        QTest::keyClick(target, Qt::Key(key));

        QCOMPARE(!frmAbout::exists(), closes);
        QCOMPARE(boxes.shown().size(), sysInfo ? 1 : 0);
        if (closes) {
            QVERIFY(!about || !about->isVisible());
            QVERIFY(!timer || !timer->isActive());
            QTRY_VERIFY(!timer); // window, controls and timer are gone
        }
    }

    void closeBoxUnloadsAndTheNextAboutLoadsAfresh()
    {
        Form1::instance().menupadu->trigger();
        QPointer<frmAbout> about = &frmAbout::instance();
        const QColor defaultColor = about->Label2->palette().color(QPalette::WindowText);
        about->Text1->setFocus();
        QTest::keyClicks(about->Text1, QStringLiteral("typed"));
        QVERIFY(about->Text1->toPlainText().contains(u"typed"));
        about->Timer1_Timer();
        QVERIFY(about->Label2->palette().color(QPalette::WindowText) != defaultColor
            || about->Label3->palette().color(QPalette::WindowText) != defaultColor);

        QVERIFY(about->close()); // the close box
        QVERIFY(!frmAbout::exists());
        QTRY_VERIFY(!about);

        Form1::instance().menupadu->trigger();
        frmAbout& again = frmAbout::instance();
        QCOMPARE(again.Text1->toPlainText(), expectedNotice());
        QCOMPARE(again.Label2->palette().color(QPalette::WindowText), defaultColor);
        QCOMPARE(again.Label3->palette().color(QPalette::WindowText), defaultColor);
    }

    void firstTickComesAfterOneInterval()
    {
        Form1::instance().menupadu->trigger();
        frmAbout& about = frmAbout::instance();
        const QColor defaultColor = about.Label2->palette().color(QPalette::WindowText);
        QTest::qWait(500);
        QCOMPARE(about.Label2->palette().color(QPalette::WindowText), defaultColor);
        QSignalSpy ticks(about.Timer1, &QTimer::timeout);
        QVERIFY(ticks.wait(1000));
    }

    void coloursStayInTheirRangesOverManyTicks()
    {
        Form1::instance().menupadu->trigger();
        frmAbout& about = frmAbout::instance();
        std::uint32_t maxWebBlue = 0, maxMailBlue = 0, maxWeb = 0, maxMail = 0;
        for (int tick = 0; tick < 20000; ++tick) {
            // Two draws a tick from the program's generator, the web link's first.
            ColorCycle::Generator expected = ColorCycle::generator();
            const std::int32_t web = ColorCycle::scale(expected.next(), ColorCycle::WebColor);
            const std::int32_t mail = ColorCycle::scale(expected.next(), ColorCycle::MailColor);
            about.Timer1_Timer();
            const std::uint32_t w = colorNumber(about.Label2), m = colorNumber(about.Label3);
            QCOMPARE(w, std::uint32_t(web));
            QCOMPARE(m, std::uint32_t(mail));
            QVERIFY(w <= 10526820u && m <= 2654800u);
            maxWeb = std::max(maxWeb, w);
            maxMail = std::max(maxMail, m);
            maxWebBlue = std::max(maxWebBlue, w >> 16);
            maxMailBlue = std::max(maxMailBlue, m >> 16);
        }
        QCOMPARE(maxWebBlue, 160u);
        QCOMPARE(maxMailBlue, 40u);
        QVERIFY(maxWeb > 10526820u * 0.99 && maxMail > 2654800u * 0.99);
    }

    void generatorDrawsFromZeroUpToBelowOne()
    {
        ColorCycle::Generator random;
        float low = 1.0f, high = 0.0f;
        double sum = 0;
        const int draws = 1000000;
        for (int i = 0; i < draws; ++i) {
            const float r = random.next();
            QVERIFY(r >= 0.0f && r < 1.0f);
            low = std::min(low, r);
            high = std::max(high, r);
            sum += r;
        }
        QVERIFY(low < 0.00001f && high > 0.99999f);
        QVERIFY(std::abs(sum / draws - 0.5) < 0.002);
        // The largest number it can give still scales both colours to at most the packed value.
        const float largest = std::nextafter(1.0f, 0.0f);
        QCOMPARE(ColorCycle::scale(largest, ColorCycle::WebColor), ColorCycle::WebColor - 1);
        QCOMPARE(ColorCycle::scale(largest, ColorCycle::MailColor), ColorCycle::MailColor);
    }

    void roundingGoesHalfToEven()
    {
        QCOMPARE(ColorCycle::roundHalfEven(2.5), 2.0);
        QCOMPARE(ColorCycle::roundHalfEven(3.5), 4.0);
        QCOMPARE(ColorCycle::roundHalfEven(2.5000001), 3.0);
        QCOMPARE(ColorCycle::roundHalfEven(3.4999999), 3.0);
        QCOMPARE(ColorCycle::roundHalfEven(0.5), 0.0);
        QCOMPARE(ColorCycle::scale(0.5f, 5), 2);
        QCOMPARE(ColorCycle::scale(0.5f, 7), 4);
        QCOMPARE(ColorCycle::scale(0.25f, 10), 2);
        QCOMPARE(ColorCycle::scale(0.75f, 10), 8);
        QCOMPARE(ColorCycle::scale(0.0f, ColorCycle::WebColor), 0);
        QCOMPARE(ColorCycle::scale(0.99999994f, 10526820), 10526819);
    }

    void badProductsRaiseTheFloatingPointError()
    {
        for (float r :
            { std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN() }) {
            try {
                ColorCycle::scale(r, ColorCycle::WebColor);
                QFAIL("no error raised");
            } catch (const AppError& error) {
                QCOMPARE(error.number(), int(AppError::FloatingPointError));
            }
        }
    }

    void reopeningContinuesTheSequence()
    {
        Form1::instance().menupadu->trigger();
        frmAbout::instance().Timer1_Timer();
        frmAbout::instance().cmdOK->click();
        QVERIFY(!frmAbout::exists());
        ColorCycle::Generator expected = ColorCycle::generator();
        const auto web = std::uint32_t(ColorCycle::scale(expected.next(), ColorCycle::WebColor));
        Form1::instance().menupadu->trigger();
        frmAbout::instance().Timer1_Timer();
        QCOMPARE(colorNumber(frmAbout::instance().Label2), web);
    }

    void twoRunsShowTheSameColours()
    {
        auto run = [] {
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            child.setProcessEnvironment(env);
            child.start(
                QCoreApplication::applicationFilePath(), { QStringLiteral("--record-colours") });
            child.waitForFinished(20000);
            return child.exitCode() == 0 ? child.readAllStandardOutput() : QByteArray();
        };
        const QByteArray first = run();
        const QByteArray second = run();
        QVERIFY(!first.isEmpty());
        QCOMPARE(first, second);
        // Before the first tick the links have their default colour; then the fixed sequence.
        ColorCycle::Generator fresh;
        QByteArray expected = QByteArray::number(colorNumber(frmAbout::instance().Label2)) + ' '
            + QByteArray::number(colorNumber(frmAbout::instance().Label3)) + '\n';
        for (int i = 0; i < 2; ++i) {
            const int web = ColorCycle::scale(fresh.next(), ColorCycle::WebColor);
            const int mail = ColorCycle::scale(fresh.next(), ColorCycle::MailColor);
            expected += QByteArray::number(web) + ' ' + QByteArray::number(mail) + '\n';
        }
        QCOMPARE(first, expected);
    }

    void linksGoToXdgOpenInTheCurrentDirectory()
    {
        QTemporaryDir bin, work;
        const QString log = bin.filePath(QStringLiteral("log"));
        QFile script(bin.filePath(QStringLiteral("xdg-open")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(
            QStringLiteral("#!/bin/sh\nprintf '%s|%s|%s\\n' \"$#\" \"$1\" \"$PWD\" >> '%1'\n")
                .arg(log)
                .toUtf8());
        script.close();
        script.setPermissions(
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        TestSupport::ScopedEnvironment path(
            "PATH", QFile::encodeName(bin.path()) + ":/usr/bin:/bin");
        TestSupport::ScopedCurrentDir inWork(work.path());

        Form1::instance().menupadu->trigger();
        frmAbout& about = frmAbout::instance();
        QTest::mouseClick(about.Label2, Qt::LeftButton);
        QCOMPARE(Forms::mousePointer(), 0);
        QVERIFY(!QGuiApplication::overrideCursor());
        QTRY_COMPARE(lineCount(log), 1);
        QTest::mouseClick(about.Label3, Qt::LeftButton);
        QTRY_COMPARE(lineCount(log), 2);

        QFile f(log);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString workDir = QFileInfo(work.path()).canonicalFilePath();
        QCOMPARE(QString::fromUtf8(f.readAll()),
            QStringLiteral("1|http://www.example.com/|%1\n1|mailto:someone@example.com|%1\n")
                .arg(workDir));
    }

    void linkClickShowsTheHourglassAndResetsIt()
    {
        FakeShell shell;
        Shell::Current::Override useShell(shell);
        TestSupport::MessageBoxes boxes;
        Form1::instance().menupadu->trigger();
        frmAbout& about = frmAbout::instance();
        QTest::mouseClick(about.Label3, Qt::LeftButton);
        QTest::mouseClick(about.Label1, Qt::LeftButton);
        QTest::mouseClick(about.Image1, Qt::LeftButton);
        QTest::mouseClick(about.Text1->viewport(), Qt::LeftButton);
        QCOMPARE(shell.calls.size(), 1); // the heading, the logo and the notice start nothing
        const FakeShell::Call& call = shell.calls.first();
        QCOMPARE(call.owner, about.winId());
        QCOMPARE(call.operation, QByteArray("open"));
        QCOMPARE(call.file, QByteArray("mailto:someone@example.com"));
        QVERIFY(!call.hasParameters);
        QCOMPARE(call.directory, QDir::currentPath().toLatin1());
        QCOMPARE(call.pointer, 13);
        QVERIFY(call.overrideCursor);
        // The shell found nothing to open the link: no message, the normal pointer again.
        QCOMPARE(boxes.shown().size(), 0);
        QCOMPARE(Forms::mousePointer(), 0);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void noOpenerInstalledShowsNothing()
    {
        QTemporaryDir emptyBin;
        TestSupport::MessageBoxes boxes;
        {
            TestSupport::ScopedEnvironment path("PATH", QFile::encodeName(emptyBin.path()));
            Form1::instance().menupadu->trigger();
            QTest::mouseClick(frmAbout::instance().Label2, Qt::LeftButton);
        }
        QCOMPARE(boxes.shown().size(), 0);
        QCOMPARE(Forms::mousePointer(), 0);
        QVERIFY(frmAbout::exists());
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc == 2 && QByteArray(argv[1]) == "--record-colours")
        return recordColours(2);
    TstAbout test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_about.moc"
