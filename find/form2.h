#pragma once

#include "forms/forms.h"

#include <functional>

class DocumentView;
class QGroupBox;
class QLineEdit;
class QToolButton;

// The find dialog: one word typed into Text1, and Search paints every occurrence of it in the
// main window's document red and bold, then hides the dialog. Hidden, it keeps the word; its
// close box unloads it, so the next Find starts with an empty word.
class Form2 : public Form {
    Q_OBJECT
public:
    Form2();
    ~Form2() override;

    static Form2& instance() { return FormInstance<Form2>::get(); }
    static bool exists() { return FormInstance<Form2>::exists(); }

    // Where Search finds the document it paints: the main window's view, asked for at every
    // click, whichever window opened the dialog. The main window gives it when it is built; until
    // then, or while it answers null, Search paints nothing.
    using DocumentSource = std::function<DocumentView*()>;
    static void setDocumentSource(DocumentSource source);

    // Controls, in the order of the window definition.
    QGroupBox* Frame1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QToolButton* Command1 = nullptr;

    // Event procedures.
    void Command1_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
};
