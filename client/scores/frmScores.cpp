#include "client/scores/frmScores.h"

#include "client/ScoreBoard.h"
#include "client/Twips.h"
#include "platform/qt/WindowSystem.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QScreen>

namespace
{
constexpr int kTwips = kTwipsPerPixel;

template <typename Label> Label *styled(Label *l, const QString &family, qreal points, bool bold)
{
    QFont f(family);
    f.setPointSizeF(points);
    f.setBold(bold);
    l->setFont(f);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QLabel *label(QWidget *parent, const QString &text, const QString &family, qreal points, bool bold)
{
    return styled(new QLabel(text, parent), family, points, bold);
}

QFrame *rule(QWidget *parent, bool horizontal)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(horizontal ? QFrame::HLine : QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    return line;
}
} // namespace

frmScores::frmScores(ModData &data, const std::function<void(QWidget *)> &place, QWidget *parent)
    : QWidget(parent), modData(data)
{
    setWindowTitle(QStringLiteral("Scoreboard"));
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);

    const QString sans = QStringLiteral("MS Sans Serif");
    const QString arial = QStringLiteral("Arial");
    Label1 = label(this, QStringLiteral("Player                     Score*      Ping"), sans, 8.25, true);
    Label1->setGeometry(4, 4, 228, 18);
    Line1 = rule(this, true);
    Line1->setGeometry(0, 24, 232, 1);
    // The rows in the application's own size: names and numbers must be readable.
    const qreal rows = QFont().pointSizeF();
    lblPlayers =
        styled(new ScoreRows([this] { return scoreboard::RowSentences(modData); }, this), arial, rows, false);
    lblPlayers->setGeometry(4, 32, 112, 100);
    Line2 = rule(this, false);
    lblScores = label(this, QString(), arial, rows, false);
    lblScores->setGeometry(124, 32, 57, 100);
    Line3 = rule(this, false);
    lblPings = label(this, QString(), arial, rows, false);
    lblPings->setGeometry(188, 32, 44, 100);
    Line4 = rule(this, true);
    lblScoresAsterisk =
        label(this, QStringLiteral("* Wins / Cumulative Clicks / Round Clicks"), arial, 6.75, false);
    Line5 = rule(this, true);
    lblStartingWordCaption = label(this, QStringLiteral("Starting Word:"), arial, 8.25, true);
    lblStartWord = label(this, QStringLiteral("None"), arial, 8.25, false);
    lblWordToFindCaption = label(this, QStringLiteral("Word to Find:"), arial, 8.25, true);
    lblNextWord = label(this, QStringLiteral("None"), arial, 8.25, false);

    UpdateList(ScoreFlags::All());

    // Under the chat window at the left edge of the screen, above the chooser's place.
    place(this);
    layoutBottom();
}

frmScores::~frmScores() = default;

void frmScores::UpdateList(const ScoreFlags &flags)
{
    DrawingLock lock(this);
    if (!flags.Sorted) {
        if (flags.Player)
            lblPlayers->setText(scoreboard::ColumnText(modData, scoreboard::Column::Names));
        if (flags.Score)
            lblScores->setText(scoreboard::ColumnText(modData, scoreboard::Column::Scores));
        if (flags.Ping)
            lblPings->setText(scoreboard::ColumnText(modData, scoreboard::Column::Pings));
        if (flags.Player || flags.Score || flags.Ping)
            lblPlayers->RowsChanged();
    }
    if (flags.Words) {
        lblStartWord->setText(scoreboard::StartWordText(modData));
        lblNextWord->setText(scoreboard::WordToFindText(modData));
    }
}

void frmScores::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutBottom();
}

void frmScores::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Restoring from the minimised state lays the window out again.
    if (event->type() == QEvent::WindowStateChange && !(windowState() & Qt::WindowMinimized))
        layoutBottom();
}

void frmScores::layoutBottom()
{
    if (windowState() & Qt::WindowMinimized)
        return;
    const QSize twipsNow(width() * kTwips, height() * kTwips);
    const QSize snapped = scoreboard::SnapSize(twipsNow);
    if (snapped != twipsNow) {
        // The resize event of this call lays the window out.
        resize(snapped.width() / kTwips, snapped.height() / kTwips);
        return;
    }
    const scoreboard::BottomLayout l = scoreboard::LayoutFor(height());
    Line2->setGeometry(120, 0, 1, l.columnRuleBottom);
    Line3->setGeometry(184, 0, 1, l.columnRuleBottom);
    Line4->setGeometry(0, l.line4, 232, 1);
    lblScoresAsterisk->setGeometry(8, l.asterisk, 217, 14);
    Line5->setGeometry(0, l.line5, 232, 1);
    lblStartingWordCaption->setGeometry(8, l.startCaption, 217, 16);
    lblStartWord->setGeometry(8, l.startWord, 217, 16);
    lblWordToFindCaption->setGeometry(8, l.findCaption, 217, 16);
    lblNextWord->setGeometry(8, l.nextWord, 217, 16);
    lblPlayers->resize(lblPlayers->width(), std::max(0, l.columnHeight));
    lblScores->resize(lblScores->width(), std::max(0, l.columnHeight));
    lblPings->resize(lblPings->width(), std::max(0, l.columnHeight));
    UpdateList(ScoreFlags::All());
}

void frmScores::UnloadNow()
{
    m_allowUnload = true;
    close();
    emit Unloading();
    deleteLater();
}

void frmScores::closeEvent(QCloseEvent *event)
{
    if (m_allowUnload)
        event->accept();
    else
        event->ignore();
}
