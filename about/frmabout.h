#pragma once

#include "forms/forms.h"
#include "platform/registry.h"

#include <QString>
#include <cstdint>

class LinkLabel;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

// The About box: the maker's logo, a notice, two link labels whose colours change at random
// while the box is open, OK and System Info. Modeless, with no owner, one instance.
class frmAbout : public Form {
    Q_OBJECT
public:
    frmAbout();

    static frmAbout& instance() { return FormInstance<frmAbout>::get(); }
    static bool exists() { return FormInstance<frmAbout>::exists(); }

    // The maker's addresses, shown by the link labels and handed on by their clicks.
    static const QString WebAddress;
    static const QString MailAddress;
    // The notice box's text at load: four lines, each ended by CR LF.
    static const QString Notice;

    // Controls, in creation order (also their stacking order).
    QPlainTextEdit* Text1 = nullptr;
    QTimer* Timer1 = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;
    LinkLabel* Label3 = nullptr;
    LinkLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Image1 = nullptr;

    // Event procedures.
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void Label2_Click();
    void Label3_Click();
    void Timer1_Timer();

    // Public operations (frmabout_sysinfo.cpp). Truth values are -1 and 0.
    using Boolean = std::int16_t;
    static constexpr Boolean True = -1;
    static constexpr Boolean False = 0;
    void StartSysInfo();
    Boolean GetKeyValue(
        Registry::Key& KeyRoot, QString& Keyname, QString& SubKeyRef, QString& KeyVal);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void connectEvents();
    void placeCentred();
    void openLink(const QString& link);
    static void setLabelColor(QLabel* label, std::int32_t color);
};
