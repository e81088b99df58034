#include "find/form2.h"

#include "find/highlightsearch.h"
#include "forms/maskedicon.h"
#include "forms/units.h"
#include "platform/windowhints.h"
#include "view/documentview.h"

#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <limits>

namespace {

// Design sizes, in twips.
constexpr int ClientWidth = 4305;
constexpr int ClientHeight = 1425;

// A fixed dialog frame: caption and close box, no minimise or maximise button, no resizing, and
// no task bar entry. A tool window is the kind that window managers and task bars treat so; a
// dialog-type window without an owner would still get a minimise button from some of them.
constexpr Qt::WindowFlags DialogFlags = Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint
    | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;

// A command button in the graphical style: the picture above the caption. It is nobody's
// default or cancel button; like any command button it is pressed by Space, or by Enter while it
// has the focus itself.
class GraphicalButton : public QToolButton {
public:
    using QToolButton::QToolButton;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
                animateClick();
                return;
            }
        }
        QToolButton::keyPressEvent(event);
    }
};

Form2::DocumentSource& documentSource()
{
    static Form2::DocumentSource source;
    return source;
}

} // namespace

void Form2::setDocumentSource(DocumentSource source) { documentSource() = std::move(source); }

Form2::Form2()
    : Form(nullptr, DialogFlags)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Search..."));
    setWindowIcon(maskedIcon(QStringLiteral(":/glimmer/find.ico")));
    // The client area has its design size; the window system picks where the window goes.
    setFixedSize(Units::size(ClientWidth, ClientHeight));
    createControls();
    connect(Command1, &QToolButton::clicked, this, Forms::handler(this, &Form2::Command1_Click));
}

Form2::~Form2() = default;

void Form2::createControls()
{
    Frame1 = new QGroupBox(QStringLiteral("Type Word To Search"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(Units::rect(120, 120, 4095, 1215));

    Text1 = new QLineEdit(Frame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(Units::rect(120, 600, 2535, 375));
    // A line edit stops at 32767 characters unless told otherwise; the word has no limit.
    Text1->setMaxLength(std::numeric_limits<int>::max());

    Command1 = new GraphicalButton(Frame1);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Units::rect(2880, 240, 975, 855));
    Command1->setText(QStringLiteral("Search"));
    Command1->setIcon(QIcon(QStringLiteral(":/glimmer/search.bmp")));
    Command1->setIconSize(QSize(32, 32));
    Command1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    Command1->setFocusPolicy(Qt::StrongFocus);

    Text1->setAccessibleName(QStringLiteral("Word to search"));
    Text1->setAccessibleDescription(QStringLiteral("The word to find in the document"));
    Command1->setAccessibleName(QStringLiteral("Search"));
    Command1->setAccessibleDescription(QStringLiteral(
        "Paints every occurrence of the word red and bold, then closes this window"));

    // The frame takes no focus; the button comes before the text box, so it has the focus when
    // the dialog first appears.
    Frame1->setFocusPolicy(Qt::NoFocus);
    setTabOrder(Command1, Text1);
    Command1->setFocus();
}

void Form2::showEvent(QShowEvent* event)
{
    // Not in the task bar: a tool window's type says so to most task bars, this to all of them.
    WindowHints::keepOffTaskBar(this);
    Form::showEvent(event);
}

void Form2::Command1_Click()
{
    // A copy: answering may build a main window, which gives its source afresh.
    const DocumentSource source = documentSource();
    if (DocumentView* view = source ? source() : nullptr)
        HighlightSearch::markAll(*view, Text1->text());
    hide();
}
