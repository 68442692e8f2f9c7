#include "client/JoinSession.h"

#include "client/JoinRules.h"
#include "client/ModData.h"
#include "client/PortFinder.h"
#include "platform/DatagramSocket.h"
#include "platform/Dialogs.h"
#include "platform/System.h"
#include "protocol/Decoders.h"
#include "protocol/Messages.h"
#include "protocol/Protocol.h"
#include "protocol/Version.h"
#include "settings/Options.h"

#include <QFileInfo>
#include <QPointer>

namespace
{

const QString kCaption = QStringLiteral("Quillory");
// The socket layer's number for "address in use", so a failed bind reads like its other errors.
constexpr int kAddressInUse = 8;

QString RejectionText(const QString &code)
{
    static const QList<QPair<RejectCode, QString>> texts = {
        {NameInUse, QStringLiteral("Connection was refused: Name is already in use.")},
        {NameBanned, QStringLiteral("Connection was refused: Name is banned from this server.")},
        {AddressFull, QStringLiteral("Connection was refused: IP is already connected.")},
        {AddressBanned, QStringLiteral("Connection was refused: IP is banned from this server.")},
        {WrongPassword, QStringLiteral("Connection was refused: Wrong password.")},
    };
    // The code as the server writes it, digit for digit.
    for (const auto &entry : texts) {
        if (QString::number(entry.first) == code)
            return entry.second;
    }
    return QStringLiteral("Connection was refused: Unknown error.");
}

} // namespace

JoinSession::JoinSession(ModData &data, SocketFactory &sockets, Dialogs &dialogs, JoinConfig config,
                         QObject *parent)
    : QObject(parent), modData(data), m_sockets(sockets), m_dialogs(dialogs), m_config(std::move(config))
{
}

JoinSession::~JoinSession()
{
    Abort();
}

QString JoinSession::CleanName(const QString &text)
{
    return joinRules::CleanField(text);
}

QString JoinSession::ServerProgramPath() const
{
    if (!m_config.serverProgram.isEmpty())
        return m_config.serverProgram;
    return sys::ProgramDirectory() + QStringLiteral("/QuilloryServer");
}

bool JoinSession::beginAttempt(const QString &name)
{
    // A second click while a flow is under way (its dialog or the wait for the server lets events
    // run) must not start a second attempt.
    if (m_state != State::Idle || m_aborted)
        return false;
    if (CleanName(name).isEmpty()) {
        emit FocusName();
        m_dialogs.ShowMessage(QStringLiteral("Please enter your name."), MessageIcon::Information, kCaption,
                              this, {});
        return false;
    }
    modData.IsHost = false;
    m_hosting = false;
    modData.WelcomeText.clear();
    modData.Turn.clear();
    modData.ChosenServer.clear();
    return true;
}

void JoinSession::runStep(const ModalStep &step, std::function<void()> next)
{
    QPointer<JoinSession> self(this);
    auto closed = [self, next = std::move(next)] {
        if (self)
            next();
    };
    if (step)
        step(std::move(closed));
    else
        closed();
}

void JoinSession::Join(const QString &name)
{
    if (!beginAttempt(name))
        return;
    m_state = State::Busy;
    runStep(m_showServers, [this, name] {
        m_state = State::Idle;
        if (m_aborted || modData.ChosenServer.isEmpty())
            return;
        connectTo(CleanName(name));
    });
}

void JoinSession::Host(const QString &name)
{
    if (!beginAttempt(name))
        return;
    m_state = State::Busy;
    runStep(m_showHost, [this, name] { hostChosen(name); });
}

void JoinSession::hostChosen(const QString &name)
{
    if (m_aborted || modData.ChosenServer.isEmpty()) {
        m_state = State::Idle;
        return;
    }
    emit ControlsEnabled(false);
    m_hosting = true;
    if (const QString failure = startServerProgram(); !failure.isEmpty()) {
        hostFailed(failure);
        return;
    }
    // The server binds the game port when it starts; wait until it answers, so that the port
    // search cannot take that port before the server does.
    m_waiter = new ServerWaiter(m_sockets, this);
    m_waiter->Start(QStringLiteral("127.0.0.1"), m_config.serverPort, m_config.firstLocalPort,
                    m_config.serverWaitMs, m_config.statusRetryMs, [this, name](bool) {
                        m_waiter->deleteLater();
                        m_waiter = nullptr;
                        hostServerReady(name);
                    });
}

void JoinSession::hostFailed(const QString &text)
{
    // The attempt stays under way until the player has read why it failed.
    m_dialogs.ShowMessage(text, MessageIcon::Critical, kCaption, this, [this] {
        m_state = State::Idle;
        emit ControlsEnabled(true);
    });
}

void JoinSession::hostServerReady(const QString &name)
{
    if (m_aborted)
        return;
    m_state = State::Idle;
    modData.OwnPort = FindLocalPort(m_sockets, m_config.firstLocalPort);
    if (modData.OwnPort == QLatin1String("-1")) {
        m_dialogs.ShowMessage(QStringLiteral("Critical error:\r\nCould not find a local port to bind to."),
                              MessageIcon::Critical, kCaption, this, [this] { emit FatalExit(); });
        return;
    }
    connectTo(CleanName(name));
}

QString JoinSession::startServerProgram()
{
    const QString path = ServerProgramPath();
    if (!QFileInfo::exists(path))
        return QStringLiteral(
            "The server executable could not be found (QuilloryServer). Please reinstall the game.");
    const bool started = m_startProgram ? m_startProgram(path) : sys::StartDetached(path);
    if (!started)
        return QStringLiteral("An unexpected error occured (the program %1 could not be started)")
            .arg(QFileInfo(path).fileName());
    return QString();
}

void JoinSession::connectTo(const QString &name)
{
    modData.ServerHost = modData.ChosenServer;
    modData.ServerIP.clear();
    modData.PlayerName = name;
    m_state = State::Connecting;
    startTimer();
    emit ControlsEnabled(false);
    setStatus(QStringLiteral("Connecting to ") + modData.ServerHost + QStringLiteral("..."));

    closeSocket();
    m_connect = m_sockets.CreateSocket();
    connect(m_connect.get(), &DatagramSocket::Received, this,
            [this](const QString &text, const QString &from, quint16) { HandleReply(text, from); });
    connect(m_connect.get(), &DatagramSocket::Error, this, [this](int number, const QString &description) {
        setStatus(QStringLiteral("Error ") + QString::number(number) + QStringLiteral(": ") + description);
    });
    m_connect->SetRemotePort(m_config.serverPort);
    m_connect->SetRemoteHost(modData.ServerHost);
    if (!m_connect->Bind(modData.OwnPort)) {
        // Sending from any other port would make the server answer a port nobody listens on.
        const QString reason = m_connect->ErrorString();
        stopTimer();
        backToIdle();
        setStatus(QStringLiteral("Error %1: %2")
                      .arg(kAddressInUse)
                      .arg(reason.isEmpty() ? QStringLiteral("Address in use") : reason));
        return;
    }
    // The host typed the password into the Host dialog a moment ago; the server it started reads it.
    const QString password = m_hosting ? CleanName(LoadOption(QStringLiteral("Password"))) : QString();
    m_connect->SendData(msg::Connect(modVersion::Version, name, modData.OwnPort, password));
}

void JoinSession::HandleReply(const QString &datagram, const QString &senderAddress)
{
    // Replies count only while this window waits for them.
    if (m_state != State::Connecting)
        return;
    switch (VerbOf(datagram)) {
    case Verb::ConnectAccept:
        if (const auto accepted = msg::DecodeConnectAccept(datagram))
            replyConnectAccept(*accepted, senderAddress);
        break;
    case Verb::ConnectReject:
        if (const auto rejected = msg::DecodeConnectReject(datagram))
            replyConnectReject(*rejected);
        break;
    case Verb::NeedPwd:
        replyNeedPassword();
        break;
    case Verb::Turn:
        if (const auto turn = msg::DecodePlayerNamed(datagram))
            modData.Turn = turn->name;
        break;
    case Verb::IsHost:
        if (const auto host = msg::DecodePlayerNamed(datagram); host && host->name == modData.PlayerName)
            modData.IsHost = true;
        break;
    case Verb::Message:
        modData.WelcomeText = msg::DecodeWelcome(datagram).value_or(QString());
        break;
    case Verb::PlayerList:
        replyPlayerList(datagram);
        break;
    default:
        break;
    }
}

void JoinSession::replyConnectAccept(const msg::Accepted &accepted, const QString &senderAddress)
{
    setStatus(QStringLiteral("Connection accepted."));
    // Where the server really speaks from: the typed name may be another of its addresses or a
    // host name, but its answers and everything it sends later leave the same socket by the same
    // route, so the game window can tell the server's datagrams from anybody else's.
    modData.ServerIP = senderAddress;
    if (accepted.playing)
        modData.JoinedMidRound = *accepted.playing;
    m_connect->SendData(msg::GetPlayerList(modData.OwnPort));
}

void JoinSession::replyConnectReject(const msg::Rejected &rejected)
{
    stopTimer();
    if (rejected.requiredVersion)
        setStatus(QStringLiteral("Connection was refused: Version ") + *rejected.requiredVersion +
                  QStringLiteral(" required."));
    else
        setStatus(RejectionText(rejected.error));
    backToIdle();
}

void JoinSession::replyNeedPassword()
{
    stopTimer();
    m_state = State::Password;
    m_dialogs.AskInput(QStringLiteral("Private server, please enter password:"), kCaption, this,
                       [this](const QString &typed) {
                           // The window may have closed, or the server refused meanwhile.
                           if (m_aborted || m_state != State::Password)
                               return;
                           passwordTyped(CleanName(typed));
                       });
}

void JoinSession::passwordTyped(const QString &answer)
{
    m_state = State::Connecting;
    startTimer();
    if (!answer.isEmpty()) {
        m_connect->SendData(msg::Connect(modVersion::Version, modData.PlayerName, modData.OwnPort, answer));
        return;
    }
    stopTimer();
    setStatus(QString());
    backToIdle();
    emit FocusName();
}

void JoinSession::replyPlayerList(const QString &datagram)
{
    const auto names = msg::DecodePlayerList(datagram);
    if (!names)
        return; // a broken list is dropped; the timeout still applies
    for (const QString &name : *names)
        modData.AddPlayer(name);
    stopTimer();
    closeSocket();
    modData.ResetRound();
    m_state = State::Done;
    emit Completed();
}

void JoinSession::TimeoutTick()
{
    if (!m_timerRunning)
        return;
    stopTimer();
    setStatus(QStringLiteral("Connection timed out: Check firewall/router settings."));
    backToIdle();
}

void JoinSession::Abort()
{
    if (m_aborted)
        return;
    m_aborted = true;
    if (m_waiter)
        m_waiter->Cancel();
    stopTimer();
    closeSocket();
}

void JoinSession::Restart(const QString &why)
{
    Abort();
    m_aborted = false;
    if (m_waiter) {
        m_waiter->deleteLater();
        m_waiter = nullptr;
    }
    backToIdle();
    setStatus(why);
}

void JoinSession::backToIdle()
{
    m_state = State::Idle;
    closeSocket();
    emit ControlsEnabled(true);
}

void JoinSession::setStatus(const QString &text)
{
    m_status = text;
    emit StatusChanged(text);
}

void JoinSession::startTimer()
{
    m_timerRunning = true;
    emit StartTimer();
}

void JoinSession::stopTimer()
{
    if (!m_timerRunning)
        return;
    m_timerRunning = false;
    emit StopTimer();
}

void JoinSession::closeSocket()
{
    if (!m_connect)
        return;
    m_connect->Close();
    // The socket may be in the middle of delivering the datagram that closed it.
    m_connect.release()->deleteLater();
}
