#include "forms/msgbox.h"

#include "resources/version.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace MsgBox {

namespace {

    struct ButtonSpec {
        QMessageBox::StandardButton button;
        int answer;
    };

    QList<ButtonSpec> buttonsFor(int style)
    {
        switch (style & 7) {
        case OkCancel:
            return { { QMessageBox::Ok, Ok }, { QMessageBox::Cancel, Cancel } };
        case AbortRetryIgnore:
            return { { QMessageBox::Abort, Abort }, { QMessageBox::Retry, Retry },
                { QMessageBox::Ignore, Ignore } };
        case YesNoCancel:
            return { { QMessageBox::Yes, Yes }, { QMessageBox::No, No },
                { QMessageBox::Cancel, Cancel } };
        case YesNo:
            return { { QMessageBox::Yes, Yes }, { QMessageBox::No, No } };
        case RetryCancel:
            return { { QMessageBox::Retry, Retry }, { QMessageBox::Cancel, Cancel } };
        default:
            return { { QMessageBox::Ok, Ok } };
        }
    }

    QMessageBox::Icon iconFor(int style)
    {
        switch (style & 0x70) {
        case Critical:
            return QMessageBox::Critical;
        case Question:
            return QMessageBox::Question;
        case Exclamation:
            return QMessageBox::Warning;
        case Information:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
        }
    }

} // namespace

QString applicationTitle() { return QString::fromUtf8(GLIMMER_TITLE); }

int answerFor(const QMessageBox&, int standardButton)
{
    switch (standardButton) {
    case QMessageBox::Ok:
        return Ok;
    case QMessageBox::Cancel:
        return Cancel;
    case QMessageBox::Abort:
        return Abort;
    case QMessageBox::Retry:
        return Retry;
    case QMessageBox::Ignore:
        return Ignore;
    case QMessageBox::Yes:
        return Yes;
    case QMessageBox::No:
        return No;
    default:
        return 0;
    }
}

int show(const QString& prompt, int style, const QString& title)
{
    QMessageBox box;
    box.setWindowTitle(title.isEmpty() ? applicationTitle() : title);
    box.setText(prompt);
    box.setTextFormat(Qt::PlainText);
    box.setIcon(iconFor(style));
    // Application-modal: while a box is open the other windows take no input.
    box.setWindowModality(Qt::ApplicationModal);
    // A fixed dialog: a title and a close box, nothing to minimise or maximise.
    box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    const QList<ButtonSpec> buttons = buttonsFor(style);
    for (const ButtonSpec& spec : buttons)
        box.addButton(spec.button);
    const int defaultIndex = qMin(int((style >> 8) & 3), int(buttons.size()) - 1);
    box.setDefaultButton(buttons[defaultIndex].button);
    // Escape and the close box answer with the button a user would expect: Cancel or No where
    // there is one, OK in a box that has only OK.
    for (auto escape : { QMessageBox::Cancel, QMessageBox::No, QMessageBox::Ok }) {
        if (box.button(escape)) {
            box.setEscapeButton(escape);
            break;
        }
    }

    return Current::current().answer(box);
}

int ModalPresenter::answer(QMessageBox& box)
{
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    return clicked ? answerFor(box, box.standardButton(clicked)) : Cancel;
}

} // namespace MsgBox
