#pragma once

#include <QDialog>

class Dialogs;
class ModData;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// "Host a Game": the address other players reach this machine at, and the welcome text and
// password the server started next will read. Every box is saved as it is typed.
class frmHost : public QDialog
{
    Q_OBJECT
public:
    frmHost(ModData &modData, Dialogs &dialogs, QWidget *parent = nullptr);

    QLabel *lblIP;
    QLineEdit *txtIP;
    QPushButton *cmdHost;
    QPushButton *cmdCancel;
    QPushButton *cmdHelp;
    QPushButton *cmdReset;
    QGroupBox *fraOptional;
    QLabel *lblWelcomeMessage;
    QPlainTextEdit *txtWelcomeMessage;
    QLabel *lblPassword;
    QLineEdit *txtPassword;
    QLabel *lblEncyclopedia; // the encyclopedia the server will serve
    QPushButton *cmdEncyclopedia;

public slots:
    void reject() override; // Cancel, Esc and the close box

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void cmdHost_Click();
    void cmdReset_Click();
    void cmdHelp_Click();
    void cmdEncyclopedia_Click();
    void txtPassword_Change();
    void selectAddress();

    ModData &modData;
    Dialogs &m_dialogs;
    bool m_loading = false; // Loading: filling the boxes from the settings, nothing is saved
};
