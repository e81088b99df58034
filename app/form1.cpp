#include "app/form1.h"

#include "app/statusbar.h"
#include "find/form2.h"
#include "forms/maskedicon.h"
#include "forms/units.h"
#include "platform/commondialog.h"
#include "resources/version.h"
#include "view/documentview.h"

#include <QAction>
#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

namespace {
// Design sizes, in twips.
constexpr int ClientWidth = 7665;
constexpr int ClientHeight = 6360;
constexpr int StatusBarHeight = 375;
} // namespace

Form1::Form1()
{
    setObjectName(QStringLiteral("Form1"));
    // Desktops match the running program to its desktop entry (and icon) by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.example.Glimmer"));
    setWindowTitle(QStringLiteral(GLIMMER_CAPTION));
    setWindowIcon(maskedIcon(QStringLiteral(":/glimmer/app.ico")));
    setFont(Units::font("Papyrus", 8.25, QFont::Bold));
    Units::setBackground(this, Units::ActiveBorder);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    layout->addWidget(m_client, 1);

    createControls();
    createMenus();
    layout->setMenuBar(menuBar);
    connectEvents();
    connectSessionEnd();

    m_client->installEventFilter(this);
    setAcceptDrops(true); // a file dropped anywhere on the window opens
    Rtf1->setAcceptDrops(true);
    m_client->setMinimumSize(0, 0);
    resize(Units::px(ClientWidth), Units::px(ClientHeight) + menuBar->sizeHint().height());
    m_client->resize(Units::px(ClientWidth), Units::px(ClientHeight));
    layOutClient();

    // The find dialog searches the document of the main window, whichever window opened it.
    Form2::setDocumentSource([] { return Form1::instance().Rtf1; });
}

Form1::~Form1() = default;

void Form1::createControls()
{
    // The label first: it lies beneath the view, which covers it.
    Label1 = new QLabel(m_client);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(Units::font("MS Sans Serif", 8.25, QFont::Normal));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setGeometry(Units::rect(2640, 1320, 2655, 255));
    // The view covers the label wherever the window goes, so no one ever sees it; hidden, it is
    // not offered to assistive technology either, which would read out a caption the eye cannot.
    Label1->hide();

    diag = new CommonDialog(this);
    diag->setObjectName(QStringLiteral("diag"));

    Rtf1 = new DocumentView(m_client);
    Rtf1->setObjectName(QStringLiteral("Rtf1"));
    // The view keeps its design position and size whatever the window does.
    Rtf1->setGeometry(Units::rect(0, 0, 11895, 7695));

    sbar = new StatusBar(m_client);
    sbar->setObjectName(QStringLiteral("sbar"));
    sbar->setFocusPolicy(Qt::NoFocus);
    Label1->setFocusPolicy(Qt::NoFocus);
    // The status bar stays visible above the part of the view it shares its place with.
    sbar->raise();

    // What a screen reader says of them.
    Rtf1->setAccessibleName(QStringLiteral("Document"));
    Rtf1->setAccessibleDescription(
        QStringLiteral("The open document. It can be edited, but nothing is saved."));
    sbar->setAccessibleName(QStringLiteral("Status bar"));
    sbar->setAccessibleDescription(QStringLiteral("The path of the file shown"));

    setTabOrder(Rtf1, sbar);
    setTabOrder(sbar, Label1);
    Rtf1->setFocus();
}

void Form1::createMenus()
{
    menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("menuBar"));
    // The menu is the window's own, inside it, on every desktop.
    menuBar->setNativeMenuBar(false);

    auto item = [this](QMenu* menu, const char* name, const QString& caption,
                    const QList<QKeySequence>& keys = {}) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QString::fromLatin1(name));
        if (!keys.isEmpty()) {
            action->setShortcuts(keys);
            action->setShortcutContext(Qt::WindowShortcut);
        }
        menu->addAction(action);
        addAction(action); // the shortcut works from anywhere in the window
        return action;
    };
    auto separator = [this](QMenu* menu, const char* name) {
        QAction* action = menu->addSeparator();
        action->setObjectName(QString::fromLatin1(name));
        action->setParent(this);
        return action;
    };

    menuFile = menuBar->addMenu(QStringLiteral("&File"));
    menuFile->setObjectName(QStringLiteral("menuFile"));
    menuOpen = item(
        menuFile, "menuOpen", QStringLiteral("&Open"), { QKeySequence(Qt::CTRL | Qt::Key_O) });
    closefile = item(menuFile, "closefile", QStringLiteral("&Close File"));
    menuExit = item(menuFile, "menuExit", QStringLiteral("E&xit"));

    menuedit = menuBar->addMenu(QStringLiteral("&Edit"));
    menuedit->setObjectName(QStringLiteral("menuedit"));
    // The classic alternative clipboard keys run the same items, so nothing goes around them.
    menucut = item(menuedit, "menucut", QStringLiteral("Cut"),
        { QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete) });
    menucopy = item(menuedit, "menucopy", QStringLiteral("Copy"),
        { QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert) });
    menuPaste = item(menuedit, "menuPaste", QStringLiteral("Paste"),
        { QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert) });
    menuLine3 = separator(menuedit, "menuLine3");
    menuFind = item(menuedit, "menuFind", QStringLiteral("Find"), { QKeySequence(Qt::Key_F3) });
    menuLine4 = separator(menuedit, "menuLine4");
    menuselectall = item(menuedit, "menuselectall", QStringLiteral("Select All"),
        { QKeySequence(Qt::CTRL | Qt::Key_A) });
    menuinsertdate = item(menuedit, "menuinsertdate", QStringLiteral("Insert Date/Time"),
        { QKeySequence(Qt::Key_F5) });

    menuAbout = menuBar->addMenu(QStringLiteral("Abo&ut"));
    menuAbout->setObjectName(QStringLiteral("menuAbout"));
    menupadu = item(menuAbout, "menupadu", QStringLiteral("About Tessel"));

    QList<QKeySequence> reserved;
    for (QAction* action : actions())
        reserved += action->shortcuts();
    Rtf1->setReservedShortcuts(reserved);
}

void Form1::connectEvents()
{
    // Open shows a modal dialog. It opens once the event that asked for it has been answered:
    // a screen reader that presses the item is told at once that it was pressed, instead of
    // waiting for the dialog to close.
    connect(menuOpen, &QAction::triggered, this, Forms::handler(this, &Form1::menuOpen_Click),
        Qt::QueuedConnection);
    connect(closefile, &QAction::triggered, this, Forms::handler(this, &Form1::closefile_Click));
    connect(menuExit, &QAction::triggered, this, Forms::handler(this, &Form1::menuExit_Click));
    connect(menucut, &QAction::triggered, this, Forms::handler(this, &Form1::menucut_Click));
    connect(menucopy, &QAction::triggered, this, Forms::handler(this, &Form1::menucopy_Click));
    connect(menuPaste, &QAction::triggered, this, Forms::handler(this, &Form1::menuPaste_Click));
    connect(menuFind, &QAction::triggered, this, Forms::handler(this, &Form1::menuFind_Click));
    connect(menuselectall, &QAction::triggered, this,
        Forms::handler(this, &Form1::menuselectall_Click));
    connect(menuinsertdate, &QAction::triggered, this,
        Forms::handler(this, &Form1::menuinsertdate_Click));
    connect(menupadu, &QAction::triggered, this, Forms::handler(this, &Form1::menupadu_Click));
    connect(Rtf1, &DocumentView::fileDropped, this,
        [this](const QString& path) { Forms::guard([this, path] { openDropped(path); }); });
}

void Form1::Form_Load() { menuPaste->setEnabled(false); }

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_client && event->type() == QEvent::Resize)
        layOutClient();
    return Form::eventFilter(watched, event);
}

void Form1::layOutClient()
{
    // The status bar is docked to the bottom edge across the full width; nothing else moves.
    const int height = Units::px(StatusBarHeight);
    sbar->setGeometry(0, m_client->height() - height, m_client->width(), height);
    // The view keeps its design size, taller than the window at the start-up size: its text
    // ends where the status bar begins, so the end of a document can be scrolled into sight.
    Rtf1->setHiddenBottom(Rtf1->geometry().bottom() + 1 - sbar->y());
}
