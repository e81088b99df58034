#pragma once

#include "forms/forms.h"

class CommonDialog;
class DocumentView;
class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class StatusBar;

// The main window: the document view, the status bar, the file dialog, a label beneath the
// view and the menu tree through which every command is given. Its event procedures are a few
// lines each (form1_commands.cpp); the work they start is done by the room that owns it.
class Form1 : public Form {
    Q_OBJECT
public:
    Form1();
    ~Form1() override;

    static Form1& instance() { return FormInstance<Form1>::get(); }
    static bool exists() { return FormInstance<Form1>::exists(); }

    // Controls, in the order of the window definition.
    CommonDialog* diag = nullptr;
    StatusBar* sbar = nullptr;
    DocumentView* Rtf1 = nullptr;
    QLabel* Label1 = nullptr;

    // The menu tree.
    QMenuBar* menuBar = nullptr;
    QMenu* menuFile = nullptr;
    QAction* menuOpen = nullptr;
    QAction* closefile = nullptr;
    QAction* menuExit = nullptr;
    QMenu* menuedit = nullptr;
    QAction* menucut = nullptr;
    QAction* menucopy = nullptr;
    QAction* menuPaste = nullptr;
    QAction* menuLine3 = nullptr;
    QAction* menuFind = nullptr;
    QAction* menuLine4 = nullptr;
    QAction* menuselectall = nullptr;
    QAction* menuinsertdate = nullptr;
    QMenu* menuAbout = nullptr;
    QAction* menupadu = nullptr;

    // The client area, in which the controls sit at their design positions.
    QWidget* client() const { return m_client; }

    // Event procedures.
    void menuOpen_Click();
    void closefile_Click();
    void menuExit_Click(); // form1_closing.cpp
    void menucut_Click();
    void menucopy_Click();
    void menuPaste_Click();
    void menuFind_Click();
    void menuselectall_Click();
    void menuinsertdate_Click();
    void menupadu_Click();
    // A file dropped on the view or the window, opened as File > Open opens the chosen one.
    void openDropped(const QString& path);

    // The close request, applied to every way the window can close (form1_closing.cpp).
    void Form_QueryUnload(int& cancel, int unloadMode) override;
    // The end of the user's session, through the same test; mayAsk says whether the session
    // lets the program show the question. Returns false to keep the session from ending.
    bool sessionEnding(bool mayAsk);

protected:
    void Form_Load() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Files dropped beside the view: on the status bar, the menu bar (form1_drop.cpp).
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createControls();
    void createMenus();
    void connectEvents();
    void connectSessionEnd();
    void layOutClient();

    QWidget* m_client = nullptr;
};
