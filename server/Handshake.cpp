#include "Handshake.h"

#include "Gbk.h"
#include "Log.h"
#include "MoravekHead.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

bool DriveFingerprint(QString* out)
{
    TMoravek moravek;   // unloads when it goes, on every path
    QString error;
    return moravek.GetDriveMD5(out, &error);
}

THandshake::THandshake(QObject* parent)
    : QObject(parent)
    , Fingerprint(DriveFingerprint)
{
}

THandshake::~THandshake()
{
    Stop();
}

QString THandshake::PanelText(int count)
{
    return QStringLiteral("当前用户连接数 %1").arg(count);
}

bool THandshake::Listen(int port, QString* error)
{
    if (IsListening())
        return true;
    auto* server = new QTcpServer(this);
    server->setMaxPendingConnections(MaxConnections);
    // A burst of workstations starting together must not overflow the kernel's queue.
    server->setListenBacklogSize(MaxConnections);
    if (port < 0 || port > 65535 || !server->listen(QHostAddress::AnyIPv4, quint16(port))) {
        if (error)
            *error = port < 0 || port > 65535 ? QStringLiteral("端口 %1 无效").arg(port) : server->errorString();
        delete server;
        return false;
    }
    connect(server, &QTcpServer::newConnection, this, &THandshake::OnNewConnection);
    FServer = server;
    return true;
}

void THandshake::Stop()
{
    if (FServer) {
        FServer->close();
        delete FServer;
        FServer = nullptr;
    }
    const QList<QTcpSocket*> sockets = FConnections.keys();
    FConnections.clear();
    for (QTcpSocket* s : sockets) {
        s->disconnect(this);
        s->abort();
        s->deleteLater();
    }
}

bool THandshake::IsListening() const
{
    return FServer && FServer->isListening();
}

int THandshake::ServerPort() const
{
    return FServer ? FServer->serverPort() : 0;
}

void THandshake::OnNewConnection()
{
    while (FServer && FServer->hasPendingConnections()) {
        QTcpSocket* s = FServer->nextPendingConnection();
        if (!s)
            break;
        if (FConnections.size() >= MaxConnections) {
            qCWarning(lcNet).noquote() << QStringLiteral("连接数已达上限 %1，关闭最久未活动的连接").arg(MaxConnections);
            CloseOldestIdle();
        }
        // Qt buffers no more than this: one byte over the cap tells garbage from a message.
        s->setReadBufferSize(MaxMessageBytes + 1);
        FConnections.insert(s, TConnection{++FTick, 0});
        connect(s, &QTcpSocket::readyRead, this, [this, s] { OnReadyRead(s); });
        connect(s, &QTcpSocket::disconnected, this, [this, s] { Drop(s); });
        connect(s, &QTcpSocket::errorOccurred, this, [this, s](QAbstractSocket::SocketError) { Drop(s); });
        if (s->bytesAvailable() > 0)
            OnReadyRead(s);
    }
}

void THandshake::Drop(QTcpSocket* socket)
{
    if (!FConnections.remove(socket))
        return;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void THandshake::CloseOldestIdle()
{
    QTcpSocket* oldest = nullptr;
    quint64 tick = 0;
    for (auto it = FConnections.cbegin(); it != FConnections.cend(); ++it) {
        if (!oldest || it.value().LastActive < tick) {
            oldest = it.key();
            tick = it.value().LastActive;
        }
    }
    if (oldest)
        Drop(oldest);
}

void THandshake::OnReadyRead(QTcpSocket* socket)
{
    auto it = FConnections.find(socket);
    if (it == FConnections.end())
        return;
    it->LastActive = ++FTick;
    if (socket->bytesAvailable() > MaxMessageBytes) {
        qCWarning(lcNet).noquote()
            << QStringLiteral("拒绝 %1：消息超过 %2 字节").arg(socket->peerAddress().toString()).arg(MaxMessageBytes);
        Drop(socket);
        return;
    }
    const QByteArray message = socket->readAll();
    if (message.isEmpty())
        return;

    const QByteArray keyword = Handshake::Keyword(message);
    if (keyword != Handshake::CheckIn && keyword != Handshake::CheckOut) {
        it->GarbageBytes += message.size();
        if (it->GarbageBytes > MaxMessageBytes) {
            qCWarning(lcNet).noquote() << QStringLiteral("拒绝 %1：发来 %2 字节无法识别的数据")
                                              .arg(socket->peerAddress().toString())
                                              .arg(it->GarbageBytes);
            Drop(socket);
        }
        return;
    }

    const QHostAddress a = socket->peerAddress();
    bool isV4 = false;
    const quint32 v4 = a.toIPv4Address(&isV4);
    const QString peer = isV4 ? QHostAddress(v4).toString() : a.toString();
    const QByteArray reply = HandleMessage(message, peer);
    if (!reply.isEmpty() && socket->state() == QAbstractSocket::ConnectedState)
        socket->write(reply);
}

QByteArray THandshake::HandleMessage(const QByteArray& message, const QString& peer)
{
    const QByteArray keyword = Handshake::Keyword(message);
    if (keyword.isEmpty())
        return QByteArray();
    const QByteArray payload = message.mid(keyword.size());

    if (keyword == Handshake::CheckIn) {
        if (!FCheckedIn.contains(peer)) {
            qCInfo(lcNet).noquote() << QStringLiteral("工作站 %1 登记").arg(peer);
            FCheckedIn << peer;
            emit PanelChanged(PanelText(int(FCheckedIn.size())));
        }
        QString own;
        const bool known = Fingerprint && Fingerprint(&own) && !own.isEmpty();
        const QString path = DBPath ? DBPath() : QString();
        QString location;
        if (known && Gbk::Decode(payload).compare(own, Qt::CaseInsensitive) == 0)
            location = path;
        else
            location = (LocalIP ? LocalIP() : QString()) + QLatin1Char(':') + path;
        return Handshake::DbPath + Gbk::Encode(location);
    }
    if (keyword == Handshake::CheckOut) {
        FCheckedIn.removeAll(peer);
        emit PanelChanged(PanelText(int(FCheckedIn.size())));
    }
    return QByteArray();
}
