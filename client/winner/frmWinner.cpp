#include "client/winner/frmWinner.h"

#include "client/ModData.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

frmWinner::frmWinner(ModData &data, Browser &browser, Dialogs &dialogs,
                     std::function<void(const QString &)> send, const QString &siteHost,
                     const std::function<void(QWidget *)> &place, QWidget *parent)
    : QWidget(parent), modData(data)
{
    setWindowTitle(QStringLiteral("Choose Words"));
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(kInside);
    // At the bottom-left corner, under the scoreboard: it never covers the article.
    place(this);

    Label1 = new QLabel(QStringLiteral("Initial:"), this);
    txtInitial = new QLineEdit(this);
    cmdRandom1 = new QPushButton(QStringLiteral("Randomize"), this);
    Label2 = new QLabel(QStringLiteral("Destination:"), this);
    txtDestination = new QLineEdit(this);
    cmdRandom2 = new QPushButton(QStringLiteral("Randomize"), this);
    cmdVerify = new QPushButton(QStringLiteral("Verify Words"), this);
    cmdStartGame = new QPushButton(QStringLiteral("Start Game"), this);
    cmdStartGame->setEnabled(false);
    lblInitialNote = new QLabel(this);
    lblDestinationNote = new QLabel(this);
    for (QLabel *note : {lblInitialNote, lblDestinationNote}) {
        note->setStyleSheet(QStringLiteral("color: #b00000;"));
        note->setAlignment(Qt::AlignRight | Qt::AlignTop);
    }
    layoutControls();
    Label1->setBuddy(txtInitial);
    txtInitial->setAccessibleName(QStringLiteral("Initial article"));
    cmdRandom1->setAccessibleDescription(QStringLiteral("Asks the server for a random initial article"));
    Label2->setBuddy(txtDestination);
    txtDestination->setAccessibleName(QStringLiteral("Destination article"));
    cmdRandom2->setAccessibleDescription(QStringLiteral("Asks the server for a random destination article"));

    setTabOrder(cmdRandom1, txtInitial);
    setTabOrder(txtInitial, txtDestination);
    setTabOrder(txtDestination, cmdRandom2);
    setTabOrder(cmdRandom2, cmdStartGame);
    setTabOrder(cmdStartGame, cmdVerify);

    m_chooser = std::make_unique<WordChooser>(modData, browser, dialogs, static_cast<ChooserBoxes &>(*this),
                                              std::move(send), siteHost);

    connect(cmdRandom1, &QPushButton::clicked, this, [this] { m_chooser->Randomize(1); });
    connect(cmdRandom2, &QPushButton::clicked, this, [this] { m_chooser->Randomize(2); });
    connect(cmdVerify, &QPushButton::clicked, this, &frmWinner::cmdVerify_Click);
    connect(cmdStartGame, &QPushButton::clicked, this, &frmWinner::cmdStartGame_Click);
    // Enter in either box does what the enabled button does: verify words not verified yet, start
    // only with verified ones, nothing while a verification runs.
    for (QLineEdit *box : {txtInitial, txtDestination}) {
        connect(box, &QLineEdit::returnPressed, this, [this] {
            if (cmdStartGame->isEnabled())
                cmdStartGame_Click();
            else if (cmdVerify->isEnabled())
                cmdVerify_Click();
        });
    }
    connect(txtInitial, &QLineEdit::textChanged, this, [this] { m_chooser->TextChanged(); });
    connect(txtDestination, &QLineEdit::textChanged, this, [this] { m_chooser->TextChanged(); });
}

frmWinner::~frmWinner() = default;

void frmWinner::SetResizable(bool resizable)
{
    if (!resizable) {
        setFixedSize(kInside);
        return;
    }
    setMinimumSize(kInside);
    setMaximumSize(QWIDGETSIZE_MAX, kInside.height());
}

void frmWinner::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutControls();
}

// The boxes take the width; the buttons keep theirs at the right. At kInside this is the
// window's own layout.
void frmWinner::layoutControls()
{
    const int grow = std::max(0, width() - kInside.width());
    Label1->setGeometry(8, 8, 200 + grow, 16);
    txtInitial->setGeometry(8, 24, 200 + grow, 22);
    cmdRandom1->setGeometry(216 + grow, 23, 76, 24);
    Label2->setGeometry(8, 52, 200 + grow, 16);
    txtDestination->setGeometry(8, 68, 200 + grow, 22);
    cmdRandom2->setGeometry(216 + grow, 67, 76, 24);
    const int half = grow / 2;
    cmdVerify->setGeometry(8, 98, 138 + half, 24);
    cmdStartGame->setGeometry(154 + half, 98, 138 + grow - half, 24);
    lblInitialNote->setGeometry(64, 8, 228 + grow, 16);
    lblDestinationNote->setGeometry(84, 52, 208 + grow, 16);
}

void frmWinner::SetWord(const QString &source, const QString &title)
{
    m_chooser->TakeRandom(source, title);
}

void frmWinner::SetNote(Box b, const QString &note)
{
    QLabel *label = b == Box::Initial ? lblInitialNote : lblDestinationNote;
    label->setText(note);
    // A screen reader tells it with the box.
    box(b)->setAccessibleDescription(note);
}

void frmWinner::cmdVerify_Click()
{
    // The window may go while the verification waits (Start by Enter, or the game closing);
    // nothing of it is touched after this call.
    m_chooser->Verify();
}

void frmWinner::cmdStartGame_Click()
{
    if (m_allowUnload)
        return;
    m_chooser->SendWords();
    // The chooser goes once what is waiting has run, as the words leave.
    QTimer::singleShot(0, this, [this] {
        if (!m_allowUnload)
            UnloadNow();
    });
}

void frmWinner::UnloadNow()
{
    m_allowUnload = true;
    m_chooser->Abort();
    close();
    emit Unloading();
    deleteLater();
}

void frmWinner::closeEvent(QCloseEvent *event)
{
    if (m_allowUnload)
        event->accept();
    else
        event->ignore();
}

QLineEdit *frmWinner::box(Box b) const
{
    return b == Box::Initial ? txtInitial : txtDestination;
}

QString frmWinner::Text(Box b) const
{
    return box(b)->text();
}

void frmWinner::SetText(Box b, const QString &text)
{
    box(b)->setText(text);
}

void frmWinner::SetVerifyEnabled(bool enabled)
{
    cmdVerify->setEnabled(enabled);
}

void frmWinner::SetStartEnabled(bool enabled)
{
    cmdStartGame->setEnabled(enabled);
}

void frmWinner::Focus(Box b)
{
    box(b)->setFocus();
}

void frmWinner::SelectAll(Box b)
{
    box(b)->setSelection(0, box(b)->text().size());
    box(b)->setFocus();
}
