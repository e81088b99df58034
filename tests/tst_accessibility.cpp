// The program's windows and commands as assistive technology meets them: each window's role and
// name, File > Open pressed through its accessible action, what is offered after a cancelled
// Open, and the About box's links.
#include "about/frmabout.h"
#include "about/linklabel.h"
#include "app/form1.h"
#include "find/form2.h"
#include "platform/commondialog.h"
#include "platform/shell.h"
#include "support/testsupport.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QtTest>

namespace {

// A user at the file dialog who cancels it, counting how often it came up.
class Canceller : private CommonDialog::Presenter {
public:
    int shown = 0;

private:
    bool run(QFileDialog&) override
    {
        ++shown;
        return false;
    }
    CommonDialog::Current::Override m_override { *this };
};

// Records the files the shell is asked to open.
class FakeShell : public Shell::Api {
public:
    QList<QByteArray> opened;
    std::intptr_t execute(WId, const QByteArray&, const QByteArray& file, const QByteArray*,
        const QByteArray&, int) override
    {
        opened << file;
        return Shell::NoAssociation;
    }
};

QAccessibleInterface* accessible(QObject* object)
{
    return QAccessible::queryAccessibleInterface(object);
}

// Every interface beneath the root, the root too.
QList<QAccessibleInterface*> tree(QAccessibleInterface* root)
{
    QList<QAccessibleInterface*> all { root };
    for (qsizetype i = 0; i < all.size() && i < 10000; ++i) {
        for (int c = 0; c < all[i]->childCount(); ++c) {
            if (QAccessibleInterface* child = all[i]->child(c))
                all << child;
        }
    }
    return all;
}

void deliverQueued(QObject* receiver)
{
    QCoreApplication::sendPostedEvents(receiver, QEvent::MetaCall);
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { TestSupport::closeAllWindows(); }
    void cleanup() { TestSupport::closeAllWindows(); }

    void windowsAreFramesAndDialogsNamedByTheirCaptions()
    {
        Form1& form = Form1::instance();
        form.menuFind->trigger();
        form.menupadu->trigger();
        const struct {
            QWidget* window;
            QAccessible::Role role;
            QString name;
        } expected[] = {
            { &form, QAccessible::Window, QStringLiteral("Glimmer v1.0") },
            { &Form2::instance(), QAccessible::Dialog, QStringLiteral("Search...") },
            { &frmAbout::instance(), QAccessible::Dialog, QStringLiteral("About Glimmer") },
        };
        for (const auto& window : expected) {
            QAccessibleInterface* iface = accessible(window.window);
            QVERIFY(iface);
            QCOMPARE(iface->role(), window.role);
            QCOMPARE(iface->text(QAccessible::Name), window.name);
        }
    }

    void openPressedThroughItsActionIsAnsweredFirst()
    {
        Form1& form = Form1::instance();
        Canceller user;
        QAccessibleInterface* menu = accessible(form.menuFile);
        QVERIFY(menu);
        QAccessibleInterface* item
            = menu->child(int(form.menuFile->actions().indexOf(form.menuOpen)));
        QVERIFY(item && item->actionInterface());
        QCOMPARE(item->text(QAccessible::Name), QStringLiteral("Open"));
        item->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        // The press returns before the modal dialog, which comes up right after it.
        QCOMPARE(user.shown, 0);
        deliverQueued(&form);
        QCOMPARE(user.shown, 1);

        // Ctrl+O still opens it.
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier);
        deliverQueued(&form);
        QCOMPARE(user.shown, 2);
    }

    void aCancelledOpenOffersNoCaptionNoOneSees()
    {
        Form1& form = Form1::instance();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        Canceller user;
        form.menuOpen->trigger();
        deliverQueued(&form);
        QCOMPARE(user.shown, 1);
        QCOMPARE(form.Label1->text(), QStringLiteral("Open Error"));
        QStringList offered;
        for (QAccessibleInterface* iface : tree(accessible(&form))) {
            if (!iface->state().invisible)
                offered << iface->text(QAccessible::Name);
        }
        QVERIFY(offered.contains(QStringLiteral("Document"))); // what the eye sees is there
        QVERIFY2(!offered.contains(QStringLiteral("Open Error")), qPrintable(offered.join(u'|')));
    }

    void aboutLinksArePressedThroughTheirAction()
    {
        FakeShell shell;
        Shell::Current::Override useShell(shell);
        TestSupport::MessageBoxes boxes;
        Form1::instance().menupadu->trigger();
        frmAbout& about = frmAbout::instance();
        const struct {
            LinkLabel* label;
            QByteArray opens;
        } links[] = { { about.Label2, "http://www.example.com/" },
            { about.Label3, "mailto:someone@example.com" } };
        for (const auto& link : links) {
            QAccessibleInterface* iface = accessible(link.label);
            QVERIFY(iface && iface->actionInterface());
            QCOMPARE(iface->role(), QAccessible::Link);
            QCOMPARE(iface->text(QAccessible::Name), link.label->text());
            QVERIFY(iface->actionInterface()->actionNames().contains(
                QAccessibleActionInterface::pressAction()));
            shell.opened.clear();
            iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
            QVERIFY(shell.opened.isEmpty()); // the press is answered first
            deliverQueued(link.label);
            QCOMPARE(shell.opened, QList<QByteArray> { link.opens });
        }
        // The links stay out of the keyboard's way: Tab goes round OK, System Info, the notice.
        QCOMPARE(about.Label2->focusPolicy(), Qt::NoFocus);
        QCOMPARE(about.Label3->focusPolicy(), Qt::NoFocus);
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
