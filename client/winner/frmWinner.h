#pragma once

#include "client/WordChooser.h"

#include <QWidget>
#include <functional>
#include <memory>

class Browser;
class Dialogs;
class ModData;

class QLabel;
class QLineEdit;
class QPushButton;

// The word chooser (its name is the winner's, who chooses next): the start and destination words of
// the next round, random words from the server, verification through the game window's browser,
// and Start.
class frmWinner : public QWidget, private ChooserBoxes
{
    Q_OBJECT
public:
    // Verifies through the game's `browser` on `siteHost`; `send` carries datagrams to the server;
    // `place` puts the window on the screen.
    frmWinner(ModData &modData, Browser &browser, Dialogs &dialogs, std::function<void(const QString &)> send,
              const QString &siteHost, const std::function<void(QWidget *)> &place,
              QWidget *parent = nullptr);
    static constexpr QSize kInside{300, 128};
    ~frmWinner() override;

    // A random title from the server: source "1" fills txtInitial, "2" txtDestination.
    void SetWord(const QString &source, const QString &title);
    // As a panel of the game window the chooser takes the panel's width; on its own it keeps kInside.
    void SetResizable(bool resizable);
    void UnloadNow();
    WordChooser &Chooser() { return *m_chooser; }

    QLabel *Label1;
    QLineEdit *txtInitial;
    QPushButton *cmdRandom1;
    QLabel *Label2;
    QLineEdit *txtDestination;
    QPushButton *cmdRandom2;
    QPushButton *cmdVerify;
    QPushButton *cmdStartGame;
    // What is wrong with a box's word, beside the box's caption.
    QLabel *lblInitialNote;
    QLabel *lblDestinationNote;

signals:
    // UnloadNow: the window goes; the next use makes a new one.
    void Unloading();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void cmdVerify_Click();
    void cmdStartGame_Click();

    // ChooserBoxes
    QString Text(Box box) const override;
    void SetText(Box box, const QString &text) override;
    void SetVerifyEnabled(bool enabled) override;
    void SetStartEnabled(bool enabled) override;
    void Focus(Box box) override;
    void SelectAll(Box box) override;
    void SetNote(Box box, const QString &note) override;
    QLineEdit *box(Box b) const;
    void layoutControls();

    std::unique_ptr<WordChooser> m_chooser;
    bool m_allowUnload = false;
    ModData &modData;
};
