#pragma once

#include "client/WordChooser.h"

#include <QWidget>

class ModData;
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

// The word chooser: the start and destination words of the next round, random words from the
// server, verification through the game window's browser, and Start.
class frmWinner : public QWidget, private ChooserBoxes
{
    Q_OBJECT
public:
    explicit frmWinner(ModData &modData, QWidget *parent = nullptr);
    static constexpr QSize kInside{300, 128};
    ~frmWinner() override;

    // A random title from the server: source "1" fills txtInitial, "2" txtDestination.
    void SetWord(const QString &source, const QString &title);
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

protected:
    void closeEvent(QCloseEvent *event) override;

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
    QLineEdit *box(Box b) const;

    std::unique_ptr<WordChooser> m_chooser;
    bool m_allowUnload = false;
    ModData &modData;
};
