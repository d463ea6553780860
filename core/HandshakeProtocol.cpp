#include "HandshakeProtocol.h"

namespace Handshake {

QByteArray Keyword(const QByteArray& message)
{
    const int hash = message.indexOf('#');
    return hash < 0 ? QByteArray() : message.left(hash + 1).toUpper();
}

QByteArray Payload(const QByteArray& message)
{
    const int hash = message.indexOf('#');
    return hash < 0 ? message : message.mid(hash + 1);
}

}   // namespace Handshake

TMessageReader::TMessageReader(QObject* parent, int quietMs)
    : QObject(parent)
{
    FQuiet.setSingleShot(true);
    FQuiet.setInterval(quietMs);
    connect(&FQuiet, &QTimer::timeout, this, &TMessageReader::Deliver);
}

void TMessageReader::Feed(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return;
    FBuffer += bytes;
    if (FBuffer.size() >= Handshake::MaxMessageBytes) {
        Deliver();
        return;
    }
    if (FBuffer.contains('#'))
        FQuiet.start();   // restarted by every piece: the message ends when the sender is quiet
}

void TMessageReader::Clear()
{
    FQuiet.stop();
    FBuffer.clear();
}

void TMessageReader::Deliver()
{
    FQuiet.stop();
    const QByteArray message = FBuffer;
    FBuffer.clear();
    if (!message.isEmpty())
        emit Message(message);
}
