#pragma once

#include "forms/apperror.h"
#include "forms/seam.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <utility>

class QCloseEvent;

// The forms runtime: windows with a load event and a close request, their single instances,
// the guard through which every event procedure is entered, the end of the program and the
// application-wide mouse pointer.
namespace Forms {

// Why a window is asked to close; the close request receives it.
enum UnloadMode : int {
    FormControlMenu = 0, // the close box, the system menu, Alt+F4
    FormCode = 1, // the program unloads the window
    AppWindows = 2, // the user's session ends
    AppTaskManager = 3, // the system asks the program to quit
};

// The default error report: a message box naming the error; the program goes on.
void reportError(const AppError& error);

// Runs one event procedure. An error that escapes it goes to the default error report, so no
// exception ever crosses Qt's event loop. Once the program has ended nothing runs any more.
void guard(const std::function<void()>& procedure);

// Adapts a member event procedure for connect(): the procedure runs under the guard.
template <class Receiver> auto handler(Receiver* receiver, void (Receiver::*procedure)())
{
    return [receiver, procedure]() { guard([receiver, procedure] { (receiver->*procedure)(); }); };
}

// Ends the program at once: every window goes, no further event procedure runs.
void end();
bool hasEnded();
// Tests watch the end instead of letting it quit the test program, and start over afterwards.
void resetEnded();

// What end() does once the program counts as ended: the program takes every window down and
// leaves the event loop; tests put in an ending that only records the call.
class Ending {
public:
    virtual ~Ending() = default;
    virtual void finish() = 0;
};

class QuitProgram : public Ending {
public:
    void finish() override;
};

using CurrentEnding = Seam<Ending, QuitProgram>;

// Application-wide mouse pointer: 13 is the arrow with hourglass, 0 each window's own.
enum MousePointer : int { DefaultPointer = 0, ArrowHourglass = 13 };
void setMousePointer(int pointer);
int mousePointer();

} // namespace Forms

// A window of the program. Loading builds its controls and runs Form_Load; unloading raises
// Form_QueryUnload (which may cancel) and destroys the window with its controls.
class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // Shows the window modeless and without an owner, loading it first if needed; a minimised
    // window is restored. The window comes to the front and becomes the active one.
    void showModeless();
    // Asks the window to unload; returns false when the close request cancelled it.
    bool unload(int unloadMode = Forms::FormCode);
    bool isUnloading() const { return m_unloading; }

protected:
    virtual void Form_Load() { }
    virtual void Form_QueryUnload(int& cancel, int unloadMode);
    void closeEvent(QCloseEvent* event) override;

private:
    template <class T> friend class FormInstance;
    void load();

    bool m_loaded = false;
    bool m_unloading = false;
    int m_pendingUnloadMode = Forms::FormControlMenu;
};

// The single instance of a window class, reached by name (Form1::instance() and the like):
// created and loaded on first use; after an unload the next use loads it afresh.
template <class T> class FormInstance {
public:
    static T& get()
    {
        QPointer<T>& form = slot();
        if (!form || form->isUnloading()) {
            form = new T;
            form->setAttribute(Qt::WA_DeleteOnClose);
            form->load();
        }
        return *form;
    }
    static bool exists()
    {
        QPointer<T>& form = slot();
        return form && !form->isUnloading();
    }

private:
    static QPointer<T>& slot()
    {
        static QPointer<T> form;
        return form;
    }
};
