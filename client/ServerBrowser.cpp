#include "client/ServerBrowser.h"

#include "client/JoinRules.h"
#include "client/ModData.h"
#include "platform/DatagramSocket.h"
#include "platform/Dialogs.h"
#include "platform/LocalNetwork.h"
#include "protocol/Decoders.h"
#include "protocol/Messages.h"
#include "protocol/Protocol.h"
#include "settings/Options.h"

ServerBrowser::ServerBrowser(ModData &data, SocketFactory &sockets, Dialogs &dialogs, LocalNetwork &network,
                             quint16 serverPort, quint16 firstLocalPort, QObject *parent)
    : QObject(parent), modData(data), m_sockets(sockets), m_dialogs(dialogs), m_network(network),
      m_serverPort(serverPort), m_firstLocalPort(firstLocalPort)
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
            [this](const QString &text, const QString &sender) { HandleAnswer(text, sender); });
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

void ServerBrowser::Broadcast()
{
    if (!m_find)
        return;
    for (const QString &address : m_network.BroadcastAddresses()) {
        m_broadcasts.insert(address);
        m_find->SendTo(address, m_serverPort, msg::Status(address, modData.OwnPort));
    }
}

void ServerBrowser::HandleAnswer(const QString &datagram, const QString &senderAddress)
{
    const auto status = msg::DecodeStatusReply(datagram);
    if (!status || status->count.isEmpty())
        return;
    // A server answers with the address the query carried; for a broadcast that names the whole
    // network, so the server is known by where its answer came from.
    const bool found = !senderAddress.isEmpty() && m_broadcasts.contains(status->server);
    const QString address = found ? senderAddress : status->server;
    const QString entry = address + QStringLiteral(" (") + status->count + QLatin1Char(')');
    // Every broadcast is answered again: a found server keeps one entry, whose count follows its
    // latest answer. Answers of known servers are listed as they come, as they always were.
    const int row = foundRow(address, found);
    if (row >= 0) {
        Listed &listed = m_listed[row];
        if (listed.found && listed.count == status->count)
            return;
        listed.found = true;
        listed.count = status->count;
        m_active[row] = entry;
        emit ActiveChanged(row, entry);
        return;
    }
    if (m_active.size() >= kMaxAnswers)
        return;
    m_active << entry;
    m_listed << Listed{address, status->count, found};
    emit ActiveAdded(entry);
}

int ServerBrowser::foundRow(const QString &address, bool anyEntry) const
{
    for (int row = 0; row < m_listed.size(); ++row) {
        if ((anyEntry || m_listed.at(row).found) && m_listed.at(row).address == address)
            return row;
    }
    return -1;
}

int ServerBrowser::ItemForActiveEntry(const QString &entry) const
{
    return int(m_items.indexOf(joinRules::AddressOfActiveEntry(entry)));
}

bool ServerBrowser::FoundOnNetwork(int row) const
{
    return row >= 0 && row < m_listed.size() && m_listed.at(row).found;
}

QString ServerBrowser::FoundAddress(int row) const
{
    return FoundOnNetwork(row) ? m_listed.at(row).address : QString();
}

QString ServerBrowser::SpokenEntry(int row) const
{
    if (row < 0 || row >= m_listed.size())
        return QString();
    const Listed &listed = m_listed.at(row);
    return listed.address + QStringLiteral(", ") + listed.count +
           (listed.count == QLatin1String("1") ? QStringLiteral(" player") : QStringLiteral(" players"));
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
