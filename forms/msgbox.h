#pragma once

#include "forms/seam.h"

#include <QString>

class QMessageBox;

// Message boxes with the classic style codes: the sum of a button set, an icon and the default
// button. They are modal and return the code of the button that was chosen.
namespace MsgBox {

enum Style : int {
    OkOnly = 0,
    OkCancel = 1,
    AbortRetryIgnore = 2,
    YesNoCancel = 3,
    YesNo = 4,
    RetryCancel = 5,
    Critical = 16,
    Question = 32,
    Exclamation = 48,
    Information = 64,
    DefaultButton1 = 0,
    DefaultButton2 = 256,
    DefaultButton3 = 512,
};

enum Answer : int { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// The title every message box shows when it is given none of its own.
QString applicationTitle();

// Shows the box and waits for the answer. An empty title means the application title.
int show(const QString& prompt, int style = OkOnly, const QString& title = QString());

// Who answers a box once show() has built it: the user, through the modal box, or in tests a
// stand-in that sees the box exactly as it would be shown.
class Presenter {
public:
    virtual ~Presenter() = default;
    // Returns the answer code of the button chosen.
    virtual int answer(QMessageBox& box) = 0;
};

class ModalPresenter : public Presenter {
public:
    int answer(QMessageBox& box) override;
};

using Current = Seam<Presenter, ModalPresenter>;

// Maps a button of a built box to its answer code (for responders that press a button).
int answerFor(const QMessageBox& box, int standardButton);

} // namespace MsgBox
