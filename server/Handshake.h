#pragma once
// The handshake service: workstations check in and are told where the database lives.
// Runs on the UI thread with non-blocking sockets. Every read of a connection is taken as
// one whole message: keyword up to and including the first "#", payload after it.
#include "HandshakeProtocol.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QTcpServer;
class QTcpSocket;

class THandshake : public QObject {
    Q_OBJECT
public:
    // A legitimate message (a fingerprint, a check-out) is far below this; a read that
    // holds more is garbage and its connection is closed.
    static constexpr int MaxMessageBytes = Handshake::MaxMessageBytes;
    // Open connections beyond this close the one that has been idle longest.
    static constexpr int MaxConnections = 256;

    explicit THandshake(QObject* parent = nullptr);
    ~THandshake() override;

    // What the replies are built from, read at the moment of each reply.
    std::function<QString()> DBPath;
    std::function<QString()> LocalIP;
    // The server's own fingerprint, computed afresh for each check-in; false when it cannot
    // be had (the reply then takes the address form). Default: Moravek's GetDriveMD5.
    std::function<bool(QString*)> Fingerprint;

    bool Listen(int port, QString* error);   // on all local IPv4 interfaces
    void Stop();   // also closes every open connection
    bool IsListening() const;
    int ServerPort() const;

    const QStringList& CheckedIn() const { return FCheckedIn; }
    int ConnectionCount() const { return int(FConnections.size()); }

    // The reply to one message; empty when none is due. Updates the check-in list.
    QByteArray HandleMessage(const QByteArray& message, const QString& peer);

    static QString PanelText(int count);   // "当前用户连接数 %d"

signals:
    // The connected-workstations panel is to show text.
    void PanelChanged(const QString& text);

private:
    void OnNewConnection();
    void OnReadyRead(QTcpSocket* socket);
    void Drop(QTcpSocket* socket);
    void CloseOldestIdle();

    struct TConnection {
        quint64 LastActive = 0;   // tick of the last event
        qint64 GarbageBytes = 0;   // bytes of messages without a known keyword
    };

    QTcpServer* FServer = nullptr;
    QHash<QTcpSocket*, TConnection> FConnections;
    QStringList FCheckedIn;
    quint64 FTick = 0;
};

// Moravek's GetDriveMD5, the library loaded for the call and unloaded after it.
bool DriveFingerprint(QString* out);
