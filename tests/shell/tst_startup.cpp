// Start-up of the workstation: the settings file, its defaults, what is kept when it is
// rewritten, and a program that stops clearly when the file is missing or incomplete.
#include "Application.h"
#include "ConPool.h"
#include "GlobalHead.h"
#include "Mdi.h"
#include "Recorder.h"
#include "XmlFile.h"

#include <QTreeWidget>
#include <QtTest>

namespace {

void WriteFile(const QString& path, const QByteArray& text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

QByteArray Settings(const QByteArray& countperpage, const QByteArray& ip, const QByteArray& port,
                    const QByteArray& timeout)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<configure>"
           "<countperpage>"
        + countperpage + "</countperpage><ip>" + ip + "</ip><port>" + port + "</port><timeout>" + timeout
        + "</timeout><loginlist/></configure>\n";
}

}   // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void settingsDefaults_data()
    {
        QTest::addColumn<QByteArray>("countperpage");
        QTest::addColumn<QByteArray>("ip");
        QTest::addColumn<QByteArray>("port");
        QTest::addColumn<QByteArray>("timeout");
        QTest::addColumn<int>("wantCount");
        QTest::addColumn<QString>("wantIp");
        QTest::addColumn<int>("wantPort");
        QTest::addColumn<int>("wantTimeOut");
        QTest::newRow("as written") << QByteArray("50") << QByteArray("192.168.1.9") << QByteArray("4306")
                                    << QByteArray("7") << 50 << "192.168.1.9" << 4306 << 7000;
        QTest::newRow("port letters") << QByteArray("100") << QByteArray("srv") << QByteArray("abc") << QByteArray("5")
                                      << 100 << "srv" << 4305 << 5000;
        QTest::newRow("all empty") << QByteArray() << QByteArray() << QByteArray() << QByteArray() << 100 << "" << 4305
                                   << 5000;
        QTest::newRow("ip kept with blanks") << QByteArray("100") << QByteArray(" 10.0.0.1 ") << QByteArray("4305")
                                             << QByteArray("5") << 100 << " 10.0.0.1 " << 4305 << 5000;
        QTest::newRow("not decimal") << QByteArray("1e2") << QByteArray("h") << QByteArray("0x10") << QByteArray("2.5")
                                     << 100 << "h" << 4305 << 5000;
        QTest::newRow("chinese host") << QByteArray("100") << QByteArray("维修服务器") << QByteArray("4305")
                                      << QByteArray("5") << 100 << "维修服务器" << 4305 << 5000;
        // A time-out that would never fire, or fire at once, is kept within 1 to 120 s.
        QTest::newRow("timeout 0") << QByteArray("100") << QByteArray("h") << QByteArray("4305") << QByteArray("0")
                                   << 100 << "h" << 4305 << 1000;
        QTest::newRow("timeout negative") << QByteArray("100") << QByteArray("h") << QByteArray("4305")
                                          << QByteArray("-3") << 100 << "h" << 4305 << 1000;
        QTest::newRow("timeout huge") << QByteArray("100") << QByteArray("h") << QByteArray("4305")
                                      << QByteArray("2147483647") << 100 << "h" << 4305 << 120000;
    }

    void settingsDefaults()
    {
        QFETCH(QByteArray, countperpage);
        QFETCH(QByteArray, ip);
        QFETCH(QByteArray, port);
        QFETCH(QByteArray, timeout);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("configure.xml"));
        WriteFile(path, Settings(countperpage, ip, port, timeout));
        QString error;
        QVERIFY2(LoadSettings(path, &error), qPrintable(error));
        QTEST(Symbol.CountPerPage, "wantCount");
        QTEST(Symbol.ServerIP, "wantIp");
        QTEST(Symbol.Port, "wantPort");
        QTEST(Symbol.TimeOut, "wantTimeOut");
    }

    void unusableSettings_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("missing") << QByteArray() << "找不到配置文件";
        QTest::newRow("not xml") << QByteArray("<configure><ip>1.2.3.4</configure>") << "格式错误";
        QTest::newRow("no ip") << QByteArray("<c><countperpage>1</countperpage><port>1</port><timeout>1</timeout></c>")
                               << "ip";
        QTest::newRow("no timeout") << QByteArray("<c><countperpage>1</countperpage><ip>a</ip><port>1</port></c>")
                                    << "timeout";
    }

    void unusableSettings()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, mentions);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("configure.xml"));
        if (!content.isEmpty())
            WriteFile(path, content);
        QString error;
        QVERIFY(!LoadSettings(path, &error));
        QVERIFY2(error.contains(mentions), qPrintable(error));
    }

    void rewriteKeepsTheRest()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("configure.xml"));
        WriteFile(path,
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<settings version=\"2\">\n"
                  "  <!-- 由安装程序写入 -->\n  <IP>10.1.1.1</IP>\n  <port>4305</port>\n"
                  "  <printer name=\"前台\"><copies>2</copies></printer>\n"
                  "  <loginlist><name>张三</name></loginlist>\n</settings>\n");
        TXmlFile xml;
        QVERIFY(xml.Load(path));
        xml.SetText(QStringLiteral("ip"), QStringLiteral("10.2.2.2"));   // names ignore letter case
        xml.SetText(QStringLiteral("port"), QStringLiteral("4400"));
        QVERIFY(xml.Save());

        TXmlFile again;
        QVERIFY(again.Load(path));
        QCOMPARE(again.Text(QStringLiteral("ip")), QStringLiteral("10.2.2.2"));
        QCOMPARE(again.Text(QStringLiteral("port")), QStringLiteral("4400"));
        QCOMPARE(again.Document().documentElement().tagName(), QStringLiteral("settings"));
        QCOMPARE(again.Document().documentElement().attribute(QStringLiteral("version")), QStringLiteral("2"));
        const QDomElement printer = again.Child(QStringLiteral("printer"));
        QCOMPARE(printer.attribute(QStringLiteral("name")), QStringLiteral("前台"));
        QCOMPARE(printer.firstChildElement(QStringLiteral("copies")).text(), QStringLiteral("2"));
        QCOMPARE(again.Child(QStringLiteral("loginlist")).firstChildElement().text(), QStringLiteral("张三"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(f.readAll()).contains(QStringLiteral("由安装程序写入")));
    }

    void shippedSettingsAreComplete()
    {
        QString error;
        QVERIFY2(LoadSettings(QStringLiteral(TARNWELL_SOURCE_DIR "/workstation/configure.xml"), &error),
                 qPrintable(error));
        QCOMPARE(Symbol.CountPerPage, 100);
        QCOMPARE(Symbol.Port, 4305);
        QCOMPARE(Symbol.TimeOut, 5000);
        QVERIFY(!Symbol.ServerIP.isEmpty());
    }

    void uncaughtErrorsReachTheErrorDisplay()
    {
        TRecorder rec;
        QVERIFY(!RunGuarded([] { throw TFbError(QStringLiteral("lock conflict on no wait transaction")); }));
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(rec.Messages[0].Caption, QStringLiteral("错误"));
        QCOMPARE(rec.Last(), QStringLiteral("lock conflict on no wait transaction"));
        QVERIFY(RunGuarded([] {}));
        QCOMPARE(rec.Messages.size(), 1);
    }

    void stopsWithoutSettings()
    {
        TRecorder rec;
        QTemporaryDir dir;
        TfrmMdi mdi(dir.path());
        QVERIFY(!mdi.Created());
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(rec.Messages[0].Caption, QStringLiteral("错误"));
        QCOMPARE(rec.Messages[0].Icon, TMsgIcon::Error);
        QVERIFY(rec.Last().contains(QStringLiteral("configure.xml")));
    }

    void startsWithSettings()
    {
        TRecorder rec;
        QTemporaryDir dir;
        WriteFile(dir.filePath(QStringLiteral("configure.xml")), Settings("100", "127.0.0.1", "4305", "5"));
        TfrmMdi mdi(dir.path());
        QVERIFY(mdi.Created());
        QVERIFY(rec.Messages.isEmpty());
        QVERIFY(Pool);
        QVERIFY(!Pool->Connected());
        QVERIFY(AppPath.endsWith(QLatin1Char('/')));
        QCOMPARE(AppPath, QDir::cleanPath(dir.path()) + QLatin1Char('/'));
        QCOMPARE(Symbol.ServerIP, QStringLiteral("127.0.0.1"));
        // The tree's 13 children with "本单位" and "维修结账" are the 15 function names.
        QCOMPARE(mdi.tvMain()->topLevelItemCount(), 4);
        for (int i = 0; i < RightCount; ++i)
            QCOMPARE(Symbol.Rights[i].FunctionName, FunctionNames()[i]);
        QCOMPARE(Symbol.Rights[7].FunctionName, QStringLiteral("送修登记"));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
