#pragma once
// The handshake between workstation and server: "CHECKIN#" with the machine fingerprint,
// answered by "DBPATH#" with the database location; "CHECKOUT#" is accepted and not answered.
// A message carries no terminator, so a reader that meets it in several pieces collects them
// until the sender falls quiet.
#include <QByteArray>
#include <QObject>
#include <QTimer>

namespace Handshake {
inline const QByteArray CheckIn = QByteArrayLiteral("CHECKIN#");
inline const QByteArray CheckOut = QByteArrayLiteral("CHECKOUT#");
inline const QByteArray DbPath = QByteArrayLiteral("DBPATH#");
// The longest message either side takes; more is garbage.
constexpr int MaxMessageBytes = 64 * 1024;
// The text up to and including the first "#", in capitals; empty without "#".
QByteArray Keyword(const QByteArray& message);
// What follows the keyword; the whole message when it has none.
QByteArray Payload(const QByteArray& message);
}   // namespace Handshake

// Collects the pieces of one message. Before a "#" has arrived it waits for more; after it,
// the message is complete once no byte has come for QuietMs, or at the message cap.
class TMessageReader : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultQuietMs = 150;

    explicit TMessageReader(QObject* parent = nullptr, int quietMs = DefaultQuietMs);
    void Feed(const QByteArray& bytes);
    void Clear();

signals:
    void Message(const QByteArray& message);

private:
    void Deliver();

    QByteArray FBuffer;
    QTimer FQuiet;
};
