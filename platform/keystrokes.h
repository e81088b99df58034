#pragma once

#include "forms/seam.h"

#include <QList>
#include <QString>
#include <Qt>

class QObject;

// Simulated keystrokes: a key sequence in the classic key syntax goes into the ordinary input
// stream of the widget that has the keyboard focus, to be handled after the caller returns,
// like keys the user typed.
//
// The syntax: a plain character stands for its key; "{name}" names a key (home, end, left,
// enter, f5, ...; case does not matter) and "{name n}" repeats it n times; "{+}", "{{}" and
// the like stand for the character itself; "~" is Enter. "+" holds Shift, "^" Ctrl and "%" Alt
// down for the next key, or for a whole group written in parentheses: "+(ab)".
namespace Keystrokes {

struct Keystroke {
    int key = 0; // a Qt::Key
    Qt::KeyboardModifiers modifiers;
    QString text; // what the key types, empty for keys that type nothing
    bool operator==(const Keystroke&) const = default;
};

// Reads a key sequence. Raises AppError when it is not valid.
QList<Keystroke> parse(const QString& keys);

// Posts a press and a release for every keystroke to the target, in order. They are handled
// once control is back in the event loop.
void post(QObject* target, const QList<Keystroke>& keystrokes);

// Reads the sequence (raising AppError when it is not valid) and hands it to the system's input.
void send(const QString& keys);

// Where simulated keystrokes go.
class Api {
public:
    virtual ~Api() = default;
    virtual void send(const QList<Keystroke>& keystrokes) = 0;
};

// The program's own input queue: the keys are posted to the focus widget (the active window when
// nothing has the focus). With no window of the program active they go nowhere, as typed keys
// would.
class FocusWidgetInput : public Api {
public:
    void send(const QList<Keystroke>& keystrokes) override;
};

using Current = Seam<Api, FocusWidgetInput>;

} // namespace Keystrokes
