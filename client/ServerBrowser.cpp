#include "client/ServerBrowser.h"

#include "client/JoinRules.h"
#include "client/ModData.h"
#include "platform/DatagramSocket.h"
#include "platform/Dialogs.h"
#include "protocol/Decoders.h"
#include "protocol/Messages.h"
#include "protocol/Protocol.h"
#include "settings/Options.h"

ServerBrowser::ServerBrowser(ModData &data, SocketFactory &sockets, Dialogs &dialogs, quint16 serverPort,
                             quint16 firstLocalPort, QObject *parent)
    : QObject(parent), modData(data), m_sockets(sockets), m_dialogs(dialogs), m_serverPort(serverPort),
      m_firstLocalPort(firstLocalPort)
{
}

ServerBrowser::~ServerBrowser()
{
    if (m_find)
        m_find->Close();
}

bool ServerBrowser::Load()
{
    m_loadedText = LoadOption(QStringLiteral("LastServer"));
    m_items.clear();
    m_loadedSelection = -1;
    for (const QString &item : joinRules::SplitServers(LoadOption(QStringLiteral("Servers")))) {
        m_items << item;
        if (item == m_loadedText)
            m_loadedSelection = int(m_items.size()) - 1;
    }
    m_searchIndex = 0;

    modData.OwnPort = FindLocalPort(m_sockets, m_firstLocalPort);
    if (modData.OwnPort == QLatin1String("-1")) {
        m_dialogs.ShowMessage(QStringLiteral("Critical error:\r\nCould not find a local port to bind to."),
                              MessageIcon::Critical, QStringLiteral("Quillory"), this,
                              [this] { emit FatalExit(); });
        return false;
    }
    m_find = m_sockets.CreateSocket();
    connect(m_find.get(), &DatagramSocket::Received, this,
            [this](const QString &text) { HandleAnswer(text); });
    m_find->Bind(modData.OwnPort);
    return true;
}

bool ServerBrowser::Tick()
{
    if (m_searchIndex >= m_items.size()) {
        setStatus(QString());
        return false;
    }
    const QString address = m_items.at(m_searchIndex);
    setStatus(QStringLiteral("Searching... ") + address);
    if (m_find)
        m_find->SendTo(address, m_serverPort, msg::Status(address, modData.OwnPort));
    ++m_searchIndex;
    return true;
}

void ServerBrowser::HandleAnswer(const QString &datagram)
{
    const auto status = msg::DecodeStatusReply(datagram);
    if (!status || status->count.isEmpty() || m_active.size() >= kMaxAnswers)
        return;
    const QString entry = status->server + QStringLiteral(" (") + status->count + QLatin1Char(')');
    m_active << entry;
    emit ActiveAdded(entry);
}

int ServerBrowser::ItemForActiveEntry(const QString &entry) const
{
    return int(m_items.indexOf(joinRules::AddressOfActiveEntry(entry)));
}

bool ServerBrowser::Join(const QString &text)
{
    if (joinRules::IsBlankAddress(text))
        return false;
    SaveOption(QStringLiteral("LastServer"), text);
    SaveOption(QStringLiteral("Servers"), joinRules::ServersAfterJoin(text, m_items));
    modData.ChosenServer = text;
    return true;
}

void ServerBrowser::Cancel()
{
    modData.ChosenServer.clear();
}

void ServerBrowser::setStatus(const QString &text)
{
    m_status = text;
    emit StatusChanged(text);
}
