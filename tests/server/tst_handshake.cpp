// The handshake over real loopback TCP: replies, the check-in list and its panel texts,
// and what bad peers can (not) do to the service.
#include "Gbk.h"
#include "Handshake.h"
#include "MoravekHead.h"

#include <QHostAddress>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

const QString LocalIP = QStringLiteral("192.168.1.10");

QString OwnFingerprint()
{
    TMoravek moravek;
    QString out, error;
    if (!moravek.GetDriveMD5(&out, &error))
        qWarning("%s", qPrintable(error));
    return out;
}

// A workstation's end of the exchange, waiting by spinning the event loop so that the
// service, on this same thread, gets to answer.
class TPeer {
public:
    bool Connect(int port)
    {
        S.connectToHost(QHostAddress::LocalHost, quint16(port));
        return QTest::qWaitFor([&] { return S.state() == QAbstractSocket::ConnectedState; }, 3000);
    }
    // The reply, or empty text when none came within ms.
    QByteArray Ask(const QByteArray& message, int ms = 3000)
    {
        S.write(message);
        S.flush();
        (void)QTest::qWaitFor([&] { return S.bytesAvailable() > 0 || S.state() != QAbstractSocket::ConnectedState; },
                              ms);
        return S.readAll();
    }
    QTcpSocket S;
};

}   // namespace

class TestHandshake : public QObject {
    Q_OBJECT

    std::unique_ptr<THandshake> H;
    QString DBPath;
    QStringList Panels;

    int Start()
    {
        H = std::make_unique<THandshake>();
        DBPath = QStringLiteral("/srv/汽修/DATA/DATA.FDB");
        H->DBPath = [this] { return DBPath; };
        H->LocalIP = [] { return LocalIP; };
        Panels.clear();
        connect(H.get(), &THandshake::PanelChanged, this, [this](const QString& t) { Panels << t; });
        QString error;
        if (!H->Listen(0, &error))
            qWarning("%s", qPrintable(error));
        return H->ServerPort();
    }

private slots:
    void initTestCase() { QVERIFY2(!OwnFingerprint().isEmpty(), "the test needs libMoravek beside it"); }

    void cleanup()
    {
        H.reset();
        TMoravek::SetLibraryDir(QString());
    }

    void replies_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("reply");
        const QByteArray path = Gbk::Encode(QStringLiteral("/srv/汽修/DATA/DATA.FDB"));
        const QByteArray own = OwnFingerprint().toLatin1();
        QTest::newRow("foreign fingerprint")
            << QByteArray("CHECKIN#0123456789abcdef0123456789abcdef") << QByteArray("DBPATH#192.168.1.10:") + path;
        QTest::newRow("own fingerprint, capitals")
            << QByteArray("CHECKIN#") + own.toUpper() << QByteArray("DBPATH#") + path;
        QTest::newRow("own fingerprint, small letters") << QByteArray("checkin#") + own << QByteArray("DBPATH#") + path;
        QTest::newRow("empty payload") << QByteArray("CHECKIN#") << QByteArray("DBPATH#192.168.1.10:") + path;
        QTest::newRow("payload with #") << QByteArray("CHECKIN#") + own + "#x"
                                        << QByteArray("DBPATH#192.168.1.10:") + path;
        QTest::newRow("check-out") << QByteArray("CHECKOUT#") << QByteArray();
        QTest::newRow("no #") << QByteArray("CHECKIN") << QByteArray();
        QTest::newRow("unknown keyword") << QByteArray("HELLO#world") << QByteArray();
    }

    void replies()
    {
        QFETCH(QByteArray, message);
        QFETCH(QByteArray, reply);
        const int port = Start();
        QVERIFY(port > 0);
        TPeer peer;
        QVERIFY(peer.Connect(port));
        QCOMPARE(peer.Ask(message, reply.isEmpty() ? 300 : 3000), reply);
        // The connection stays open and serves the next message.
        QVERIFY(peer.Ask("CHECKIN#x").startsWith("DBPATH#"));
    }

    void savedPathAppliesToTheNextReply()
    {
        TPeer peer;
        QVERIFY(peer.Connect(Start()));
        QVERIFY(peer.Ask("CHECKIN#x").endsWith(Gbk::Encode(DBPath)));
        DBPath = QStringLiteral("D:\\新的\\DATA.FDB");
        QCOMPARE(peer.Ask("CHECKIN#x"), QByteArray("DBPATH#192.168.1.10:") + Gbk::Encode(DBPath));
    }

    void emptyLocalAddress()
    {
        const int port = Start();
        H->LocalIP = [] { return QString(); };
        TPeer peer;
        QVERIFY(peer.Connect(port));
        QCOMPARE(peer.Ask("CHECKIN#x"), QByteArray("DBPATH#:") + Gbk::Encode(DBPath));
    }

    void checkInListAndPanel()
    {
        const int port = Start();
        TPeer a, b;
        QVERIFY(a.Connect(port));
        QVERIFY(b.Connect(port));
        // A check-out from an address that never checked in still rewrites the panel.
        QVERIFY(a.Ask("CHECKOUT#", 300).isEmpty());
        QCOMPARE(Panels, QStringList{QStringLiteral("当前用户连接数 0")});
        // Two connections from one address count once; only the first rewrites the panel.
        QVERIFY(!a.Ask("CHECKIN#x").isEmpty());
        QVERIFY(!b.Ask("CHECKIN#y").isEmpty());
        QCOMPARE(H->CheckedIn(), QStringList{QStringLiteral("127.0.0.1")});
        QCOMPARE(Panels.size(), 2);
        QCOMPARE(Panels.last(), QStringLiteral("当前用户连接数 1"));
        // Closing a connection does not remove the entry; a check-out does.
        a.S.abort();
        QTest::qWait(100);
        QCOMPARE(H->CheckedIn().size(), 1);
        QVERIFY(b.Ask("checkout#", 300).isEmpty());
        QVERIFY(H->CheckedIn().isEmpty());
        QCOMPARE(Panels.last(), QStringLiteral("当前用户连接数 0"));
    }

    void pauseKeepsTheListAndClosesConnections()
    {
        const int port = Start();
        TPeer a;
        QVERIFY(a.Connect(port));
        QVERIFY(!a.Ask("CHECKIN#x").isEmpty());
        H->Stop();
        QVERIFY(!H->IsListening());
        QVERIFY(QTest::qWaitFor([&] { return a.S.state() == QAbstractSocket::UnconnectedState; }, 3000));
        QCOMPARE(H->CheckedIn().size(), 1);
        QString error;
        QVERIFY(H->Listen(port, &error));
        TPeer b;
        QVERIFY(b.Connect(port));
        QVERIFY(!b.Ask("CHECKIN#x").isEmpty());
        QCOMPARE(H->CheckedIn().size(), 1);
    }

    void withoutMoravekTheAddressFormIsSent()
    {
        const QByteArray own = OwnFingerprint().toLatin1();
        QTemporaryDir empty;
        TMoravek::SetLibraryDir(empty.path());
        TPeer peer;
        QVERIFY(peer.Connect(Start()));
        QCOMPARE(peer.Ask(QByteArray("CHECKIN#") + own), QByteArray("DBPATH#192.168.1.10:") + Gbk::Encode(DBPath));
    }

    void portTaken()
    {
        const int port = Start();
        THandshake other;
        QString error;
        QVERIFY(!other.Listen(port, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!other.IsListening());
    }

    // Bad peers: the service keeps answering others and holds no unbounded memory.
    void badInput_data()
    {
        QTest::addColumn<QByteArray>("garbage");
        QTest::addColumn<bool>("dropped");
        QTest::newRow("bytes without #") << QByteArray(1000, 'a') << false;
        QTest::newRow("binary") << QByteArray("\x00\xff\x01#\x80\x81", 6) << false;
        QTest::newRow("enormous payload") << QByteArray("CHECKIN#") + QByteArray(2 * 1024 * 1024, 'x') << true;
        QTest::newRow("endless bytes without #") << QByteArray(2 * 1024 * 1024, 'z') << true;
    }

    void badInput()
    {
        QFETCH(QByteArray, garbage);
        QFETCH(bool, dropped);
        const int port = Start();
        TPeer bad, good;
        QVERIFY(bad.Connect(port));
        QVERIFY(good.Connect(port));
        bad.S.write(garbage);
        (void)QTest::qWaitFor([&] { return bad.S.bytesToWrite() == 0; }, 5000);
        QTest::qWait(200);
        if (dropped)
            QVERIFY(QTest::qWaitFor([&] { return bad.S.state() == QAbstractSocket::UnconnectedState; }, 5000));
        QVERIFY(good.Ask("CHECKIN#x").startsWith("DBPATH#"));
        QVERIFY(H->CheckedIn().size() <= 1);
    }

    void vanishingPeers()
    {
        const int port = Start();
        for (int i = 0; i < 20; ++i) {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, quint16(port));
            QVERIFY(s.waitForConnected(3000));
            s.write("CHECKIN#x");
            s.flush();
            s.abort();   // gone before the reply: the send must not hurt the service
        }
        QTest::qWait(200);
        TPeer good;
        QVERIFY(good.Connect(port));
        QVERIFY(good.Ask("CHECKIN#x").startsWith("DBPATH#"));
    }

    void manyIdleConnections()
    {
        const int port = Start();
        std::vector<std::unique_ptr<QTcpSocket>> idle;
        for (int i = 0; i < 400; ++i) {
            idle.push_back(std::make_unique<QTcpSocket>());
            idle.back()->connectToHost(QHostAddress::LocalHost, quint16(port));
            if (i % 50 == 49)
                QTest::qWait(20);
        }
        QVERIFY2(QTest::qWaitFor([&] { return H->ConnectionCount() >= THandshake::MaxConnections; }, 5000),
                 qPrintable(QString::number(H->ConnectionCount())));
        QTest::qWait(200);
        QVERIFY(H->ConnectionCount() <= THandshake::MaxConnections);
        TPeer good;
        QVERIFY(good.Connect(port));
        QVERIFY(good.Ask("CHECKIN#x").startsWith("DBPATH#"));
        QVERIFY(H->ConnectionCount() <= THandshake::MaxConnections);
    }
};

QTEST_MAIN(TestHandshake)
#include "tst_handshake.moc"
