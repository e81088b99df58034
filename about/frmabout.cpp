#include "about/frmabout.h"

#include "about/colorcycle.h"
#include "about/linklabel.h"
#include "forms/maskedicon.h"
#include "forms/units.h"
#include "platform/ansi.h"
#include "platform/shell.h"
#include "platform/windowhints.h"
#include "view/terminalfont.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>

const QString frmAbout::WebAddress = QStringLiteral("http://www.example.com/");
const QString frmAbout::MailAddress = QStringLiteral("someone@example.com");
const QString frmAbout::Notice = QStringLiteral("\r\n"
                                                "Send About Bugs To me \r\n")
    + QString(51, u' ') + QStringLiteral("\r\nBye !!!       \r\n");

namespace {
// Design sizes, in twips.
constexpr int ClientWidth = 5745;
constexpr int ClientHeight = 3840;
constexpr int TimerInterval = 800; // milliseconds
constexpr std::uint32_t Yellow = Units::rgb(255, 255, 0);

// Labels and buttons of the box.
QFont controlFont() { return Units::font("Verdana", 8.25, QFont::Bold); }

// The pointing hand, with the hot spot its file gives (the entry's two 16-bit fields that a
// pointer file uses for it).
QCursor handCursor()
{
    QFile file(QStringLiteral(":/glimmer/hand.cur"));
    if (!file.open(QIODevice::ReadOnly))
        return QCursor(Qt::PointingHandCursor);
    const QByteArray bytes = file.readAll();
    QImage image;
    if (bytes.size() < 22 || !image.loadFromData(bytes, "CUR"))
        return QCursor(Qt::PointingHandCursor);
    auto field = [&bytes](int at) {
        return int(static_cast<unsigned char>(bytes[at])
            | (static_cast<unsigned char>(bytes[at + 1]) << 8));
    };
    return QCursor(QPixmap::fromImage(image), field(10), field(12));
}

QLabel* makeLabel(QLabel* label, const char* name, const QString& caption, int left, int top)
{
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(controlFont());
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(false);
    label->setFocusPolicy(Qt::NoFocus);
    Units::setBackground(label, Units::InactiveBorder);
    label->setText(caption);
    label->move(Units::px(left), Units::px(top));
    label->adjustSize(); // auto-size: the caption decides width and height
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, QRect geometry)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFont(controlFont());
    button->setAutoDefault(false);
    button->setGeometry(geometry);
    return button;
}
} // namespace

frmAbout::frmAbout()
    : Form(nullptr,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Glimmer"));
    setWindowIcon(maskedIcon(QStringLiteral(":/glimmer/about.ico")));
    Units::setBackground(this, Units::InactiveBorder);
    setFixedSize(Units::size(ClientWidth, ClientHeight));
    createControls();
    connectEvents();
    placeCentred();
    Timer1->start();
}

void frmAbout::createControls()
{
    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setFont(TerminalFont::font());
    Units::setBackground(Text1, Units::MenuBar);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Text1->setWordWrapMode(QTextOption::WordWrap);
    Text1->setTabChangesFocus(true);
    Text1->setPlainText(Notice);
    Text1->setGeometry(Units::rect(3240, 240, 2295, 1695));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(TimerInterval);

    cmdOK = makeButton(this, "cmdOK", QStringLiteral("OK"), Units::rect(4005, 2880, 1500, 345));
    cmdOK->setDefault(true); // drawn as the default button; the keys are handled below
    cmdSysInfo = makeButton(
        this, "cmdSysInfo", QStringLiteral("&System Info..."), Units::rect(4020, 3315, 1485, 345));

    const QCursor hand = handCursor();
    Label3 = new LinkLabel(this);
    makeLabel(Label3, "Label3", MailAddress, 720, 3240)->setCursor(hand);
    Label2 = new LinkLabel(this);
    makeLabel(Label2, "Label2", WebAddress, 720, 2880)->setCursor(hand);
    Label1 = makeLabel(new QLabel(this), "Label1", QStringLiteral("More Tools"), 120, 2400);
    Units::setForeground(Label1, Yellow);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFocusPolicy(Qt::NoFocus);
    const QPixmap logo(QStringLiteral(":/glimmer/logo.bmp"));
    Image1->setPixmap(logo);
    Image1->setGeometry(QRect(QPoint(Units::px(120), Units::px(120)), logo.size()));

    // What a screen reader says of them.
    Text1->setAccessibleName(QStringLiteral("Notice"));
    cmdOK->setAccessibleName(QStringLiteral("OK"));
    cmdOK->setAccessibleDescription(QStringLiteral("Closes the About box"));
    cmdSysInfo->setAccessibleName(QStringLiteral("System Info"));
    cmdSysInfo->setAccessibleDescription(QStringLiteral("Starts the system information tool"));
    Label2->setAccessibleName(WebAddress);
    Label2->setAccessibleDescription(QStringLiteral("Link: opens the maker's web page"));
    Label3->setAccessibleName(MailAddress);
    Label3->setAccessibleDescription(QStringLiteral("Link: writes a mail to the maker"));
    Image1->setAccessibleName(QStringLiteral("Logo"));

    setTabOrder(cmdOK, cmdSysInfo);
    setTabOrder(cmdSysInfo, Text1);
    cmdOK->setFocus();
}

void frmAbout::connectEvents()
{
    connect(cmdOK, &QPushButton::clicked, this, Forms::handler(this, &frmAbout::cmdOK_Click));
    connect(
        cmdSysInfo, &QPushButton::clicked, this, Forms::handler(this, &frmAbout::cmdSysInfo_Click));
    connect(Label2, &LinkLabel::Click, this, Forms::handler(this, &frmAbout::Label2_Click));
    connect(Label3, &LinkLabel::Click, this, Forms::handler(this, &frmAbout::Label3_Click));
    connect(Timer1, &QTimer::timeout, this, Forms::handler(this, &frmAbout::Timer1_Timer));
    // OK is the default button (Enter) and the cancel button (Escape) wherever the focus is,
    // except that Enter on another button clicks that one.
    for (QWidget* control : { static_cast<QWidget*>(cmdOK), static_cast<QWidget*>(cmdSysInfo),
             static_cast<QWidget*>(Text1) })
        control->installEventFilter(this);
}

void frmAbout::placeCentred()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    setGeometry(
        QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry()));
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return Form::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && key->key() == Qt::Key_Escape) {
        cmdOK->click();
        return true;
    }
    if (plain && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        auto* button = qobject_cast<QPushButton*>(watched);
        (button ? button : cmdOK)->click();
        return true;
    }
    return Form::eventFilter(watched, event);
}

void frmAbout::closeEvent(QCloseEvent* event)
{
    Form::closeEvent(event);
    if (event->isAccepted())
        Timer1->stop(); // no tick reaches a box that is going
}

void frmAbout::showEvent(QShowEvent* event)
{
    WindowHints::keepOffTaskBar(this); // the box has no task bar entry
    Form::showEvent(event);
}

void frmAbout::cmdOK_Click() { unload(); }

void frmAbout::cmdSysInfo_Click() { StartSysInfo(); }

void frmAbout::Timer1_Timer()
{
    ColorCycle::Generator& random = ColorCycle::generator();
    const float r1 = random.next();
    setLabelColor(Label2, ColorCycle::scale(r1, ColorCycle::WebColor));
    const float r2 = random.next();
    setLabelColor(Label3, ColorCycle::scale(r2, ColorCycle::MailColor));
}

void frmAbout::setLabelColor(QLabel* label, std::int32_t color)
{
    Units::setForeground(label, static_cast<std::uint32_t>(color));
}

void frmAbout::Label2_Click() { openLink(WebAddress); }

void frmAbout::Label3_Click() { openLink(QStringLiteral("mailto:") + MailAddress); }

void frmAbout::openLink(const QString& link)
{
    Forms::setMousePointer(Forms::ArrowHourglass);
    // The pointer comes back even if the shell layer fails.
    struct PointerReset {
        ~PointerReset() { Forms::setMousePointer(Forms::DefaultPointer); }
    } reset;
    const WId owner = winId();
    const QString directory = QDir::currentPath();
    Shell::current().execute(owner, QByteArrayLiteral("open"), Ansi::fromUnicode(link), nullptr,
        Ansi::fromUnicode(directory), Shell::Normal);
}
