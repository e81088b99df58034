// The forms runtime: single instances, load and unload with the close request, the end of the
// program, the event guard with its default error report, message boxes and the mouse pointer.
#include "forms/apperror.h"
#include "forms/forms.h"
#include "forms/msgbox.h"
#include "forms/seam.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <climits>

namespace {

// A service with a native implementation and a stand-in.
class Number {
public:
    virtual ~Number() = default;
    virtual int value() = 0;
};
class Native : public Number {
    int value() override { return 0; }
};
class Fixed : public Number {
public:
    explicit Fixed(int value)
        : m_value(value)
    {
    }
    int value() override { return m_value; }

private:
    int m_value;
};

// A window whose close request can be told to cancel, and which counts its loads.
class ProbeForm : public Form {
public:
    static ProbeForm& instance() { return FormInstance<ProbeForm>::get(); }
    static bool exists() { return FormInstance<ProbeForm>::exists(); }

    QLineEdit* edit = nullptr;
    static inline int loads = 0;
    static inline int cancelNext = 0;
    static inline QList<int> modes;

protected:
    void Form_Load() override
    {
        ++loads;
        edit = new QLineEdit(this);
    }
    void Form_QueryUnload(int& cancel, int mode) override
    {
        modes << mode;
        cancel = cancelNext;
    }
};

} // namespace

class TestForms : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        TestSupport::closeAllWindows();
        ProbeForm::loads = 0;
        ProbeForm::cancelNext = 0;
        ProbeForm::modes.clear();
    }

    void singleInstanceIsLoadedOnceAndAfreshAfterUnload()
    {
        ProbeForm& first = ProbeForm::instance();
        first.edit->setText(QStringLiteral("typed"));
        QCOMPARE(&ProbeForm::instance(), &first);
        QCOMPARE(ProbeForm::loads, 1);

        first.showModeless();
        QVERIFY(first.isVisible());
        QVERIFY(first.parentWidget() == nullptr); // no owner window
        QVERIFY(first.unload());
        QVERIFY(!ProbeForm::exists());
        QCOMPARE(ProbeForm::modes, QList<int>({ Forms::FormCode }));

        ProbeForm& second = ProbeForm::instance();
        QCOMPARE(ProbeForm::loads, 2);
        QCOMPARE(second.edit->text(), QString()); // loaded from its definition again
    }

    void cancelledCloseRequestKeepsTheWindow()
    {
        ProbeForm& form = ProbeForm::instance();
        form.showModeless();
        form.edit->setText(QStringLiteral("kept"));
        ProbeForm::cancelNext = 1;
        QVERIFY(!form.unload());
        QVERIFY(form.isVisible());
        QVERIFY(ProbeForm::exists());
        // The close box raises the same request, with its own reason.
        QVERIFY(!form.close());
        QCOMPARE(ProbeForm::modes, QList<int>({ Forms::FormCode, Forms::FormControlMenu }));
        QCOMPARE(ProbeForm::instance().edit->text(), QStringLiteral("kept"));

        ProbeForm::cancelNext = 0;
        QVERIFY(form.close());
        QVERIFY(!ProbeForm::exists());
    }

    void hiddenWindowKeepsItsContent()
    {
        ProbeForm& form = ProbeForm::instance();
        form.showModeless();
        form.edit->setText(QStringLiteral("word"));
        form.hide();
        QVERIFY(ProbeForm::exists());
        form.showModeless();
        QCOMPARE(ProbeForm::instance().edit->text(), QStringLiteral("word"));
        QCOMPARE(ProbeForm::loads, 1);
    }

    void showingAMinimisedWindowRestoresIt()
    {
        ProbeForm& form = ProbeForm::instance();
        form.showModeless();
        form.edit->setText(QStringLiteral("kept"));
        form.setWindowState(Qt::WindowMinimized);
        QVERIFY(form.isMinimized());
        form.showModeless();
        QVERIFY(!form.isMinimized());
        QVERIFY(form.isVisible());
        QCOMPARE(ProbeForm::instance().edit->text(), QStringLiteral("kept"));
        QCOMPARE(ProbeForm::loads, 1);
    }

    void endStopsEveryFurtherEventProcedure()
    {
        TestSupport::EndWatcher end;
        ProbeForm::instance().showModeless();
        int ran = 0;
        Forms::guard([&] { ++ran; });
        Forms::end();
        Forms::end(); // a second end is harmless
        QCOMPARE(end.count(), 1);
        QVERIFY(Forms::hasEnded());
        Forms::guard([&] { ++ran; });
        QCOMPARE(ran, 1);
        // Windows go with the program without being asked.
        ProbeForm::cancelNext = 1;
        QVERIFY(ProbeForm::instance().close());
        QVERIFY(ProbeForm::modes.isEmpty());
    }

    void guardReportsEscapingErrorsAndGoesOn()
    {
        TestSupport::MessageBoxes boxes;
        Forms::guard(
            [] { throw AppError(AppError::FileNotFound, QStringLiteral("File not found")); });
        Forms::guard([] { checkedAdd(INT_MAX, 1); });
        QCOMPARE(boxes.shown().size(), 2);
        QVERIFY(boxes.shown()[0].text.contains(QStringLiteral("53")));
        QVERIFY(boxes.shown()[0].text.contains(QStringLiteral("File not found")));
        QVERIFY(boxes.shown()[1].text.contains(QStringLiteral("Overflow")));
        QCOMPARE(boxes.shown()[0].title, QStringLiteral("Glimmer"));
        QCOMPARE(boxes.shown()[0].buttons, QList<QMessageBox::StandardButton>({ QMessageBox::Ok }));
        int ran = 0;
        Forms::guard([&] { ++ran; });
        QCOMPARE(ran, 1);
    }

    void checkedArithmeticRaisesOnOverflow()
    {
        QCOMPARE(checkedAdd(INT_MAX - 1, 1), INT_MAX);
        QCOMPARE(checkedInt32(-5), -5);
        const auto overflows = [](const std::function<void()>& f) {
            try {
                f();
            } catch (const AppError& e) {
                return e.number() == AppError::Overflow;
            }
            return false;
        };
        QVERIFY(overflows([] { checkedAdd(INT_MAX, 1); }));
        QVERIFY(overflows([] { checkedAdd(INT_MIN, -1); }));
        QVERIFY(overflows([] { checkedInt32(std::int64_t(1) << 31); }));
    }

    void seamOverridesNestAndAlwaysRestore()
    {
        using Numbers = Seam<Number, Native>;
        QCOMPARE(Numbers::current().value(), 0);
        Fixed one(1), two(2);
        {
            Numbers::Override first(one);
            QCOMPARE(Numbers::current().value(), 1);
            {
                Numbers::Override second(two);
                QCOMPARE(Numbers::current().value(), 2);
            }
            QCOMPARE(Numbers::current().value(), 1);
        }
        QCOMPARE(Numbers::current().value(), 0);
        // A test that leaves early (a failing check, an exception) still leaves the native one.
        try {
            Numbers::Override failing(two);
            throw AppError(AppError::InvalidProcedureCall, QStringLiteral("check failed"));
        } catch (const AppError&) {
        }
        QCOMPARE(Numbers::current().value(), 0);
    }

    void messageBoxStylesAndAnswers_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QList<QMessageBox::StandardButton>>("buttons");
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("defaultButton");
        QTest::addColumn<QString>("shownTitle");
        using B = QMessageBox::StandardButton;
        QTest::newRow("ok only, no icon") << 0 << QString() << QList<B> { B::Ok }
                                          << int(QMessageBox::NoIcon) << int(B::Ok) << "Glimmer";
        QTest::newRow("yes/no question, yes default (36)")
            << 36 << QString() << QList<B> { B::Yes, B::No } << int(QMessageBox::Question)
            << int(B::Yes) << "Glimmer";
        QTest::newRow("yes/no/cancel exclamation, third default")
            << (3 + 48 + 512) << QStringLiteral("Own title")
            << QList<B> { B::Yes, B::No, B::Cancel } << int(QMessageBox::Warning) << int(B::Cancel)
            << "Own title";
        QTest::newRow("retry/cancel critical, second default")
            << (5 + 16 + 256) << QString() << QList<B> { B::Retry, B::Cancel }
            << int(QMessageBox::Critical) << int(B::Cancel) << "Glimmer";
        QTest::newRow("abort/retry/ignore information")
            << (2 + 64) << QString() << QList<B> { B::Abort, B::Retry, B::Ignore }
            << int(QMessageBox::Information) << int(B::Abort) << "Glimmer";
    }

    void messageBoxStylesAndAnswers()
    {
        QFETCH(int, style);
        QFETCH(QString, title);
        QFETCH(QList<QMessageBox::StandardButton>, buttons);
        QFETCH(int, icon);
        QFETCH(int, defaultButton);
        QFETCH(QString, shownTitle);
        TestSupport::MessageBoxes boxes;
        boxes.answerWith(MsgBox::Retry);
        QCOMPARE(MsgBox::show(QStringLiteral("Prompt"), style, title), int(MsgBox::Retry));
        QCOMPARE(boxes.shown().size(), 1);
        const TestSupport::ShownBox& box = boxes.shown().first();
        QCOMPARE(box.text, QStringLiteral("Prompt"));
        QCOMPARE(box.title, shownTitle);
        std::sort(buttons.begin(), buttons.end());
        QCOMPARE(box.buttons, buttons);
        QCOMPARE(int(box.icon), icon);
        QCOMPARE(int(box.defaultButton), defaultButton);
    }

    void realMessageBoxIsModalAndAnswersWithTheKeyboard()
    {
        // No responder: the real box runs its own loop until a key answers it.
        int answerByEnter = 0, answerByEscape = 0;
        QTimer::singleShot(50, [] {
            QWidget* box = QApplication::activeModalWidget();
            QVERIFY(box);
            QTest::keyClick(box, Qt::Key_Return);
        });
        answerByEnter = MsgBox::show(QStringLiteral("Sure?"), 36);
        QTimer::singleShot(50, [] {
            QWidget* box = QApplication::activeModalWidget();
            QVERIFY(box);
            QVERIFY(box->windowModality() == Qt::ApplicationModal);
            QTest::keyClick(box, Qt::Key_Escape);
        });
        answerByEscape = MsgBox::show(QStringLiteral("Sure?"), 36);
        QCOMPARE(answerByEnter, int(MsgBox::Yes));
        QCOMPARE(answerByEscape, int(MsgBox::No));
    }

    void mousePointerHourglassAndBack()
    {
        Forms::setMousePointer(Forms::ArrowHourglass);
        QCOMPARE(Forms::mousePointer(), 13);
        QVERIFY(QGuiApplication::overrideCursor());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
        Forms::setMousePointer(Forms::ArrowHourglass); // no second layer to undo
        Forms::setMousePointer(Forms::DefaultPointer);
        QCOMPARE(Forms::mousePointer(), 0);
        QVERIFY(!QGuiApplication::overrideCursor());
    }
};

QTEST_MAIN(TestForms)
#include "tst_forms.moc"
