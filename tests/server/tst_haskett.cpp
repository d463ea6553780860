// The server's window as a user drives it: start-up from server.xml, the status bar, pause
// and resume, saving the settings, the port field, hiding and exit, start at logon.
#include "AutoRun.h"
#include "FlatButton.h"
#include "Handshake.h"
#include "IntegerEdit.h"
#include "IpEdit.h"
#include "LabeledEdit.h"
#include "Main.h"
#include "ServerRecorder.h"
#include "Settings.h"

#include <QCheckBox>
#include <QHostAddress>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// A free port the window's port field can show as it is (1025 to 6000).
int FreePort()
{
    static int next = 2000 + int(QCoreApplication::applicationPid() % 3000);
    for (int tries = 0; tries < 1000; ++tries) {
        const int port = next;
        next = next >= 5990 ? 1100 : next + 1;
        QTcpServer s;
        if (s.listen(QHostAddress::AnyIPv4, quint16(port)))
            return port;
    }
    return 0;
}

bool Answers(int port)
{
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, quint16(port));
    if (!QTest::qWaitFor([&] { return s.state() == QAbstractSocket::ConnectedState; }, 2000))
        return false;
    s.write("CHECKIN#x");
    return QTest::qWaitFor([&] { return s.bytesAvailable() > 0; }, 2000) && s.readAll().startsWith("DBPATH#");
}

}   // namespace

class TestHaskett : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> Folder;
    std::unique_ptr<QTemporaryDir> AutoStart;
    std::unique_ptr<TServerRecorder> Rec;

    QString Xml() const { return Folder->filePath(QStringLiteral("server.xml")); }

    std::unique_ptr<TfrmHaskett> Start(const QString& xml)
    {
        if (!xml.isNull())
            WriteText(Xml(), xml);
        return std::make_unique<TfrmHaskett>(Folder->path());
    }

private slots:
    void init()
    {
        Folder = std::make_unique<QTemporaryDir>();
        AutoStart = std::make_unique<QTemporaryDir>();
        AutoRun::SetDirectoryForTests(AutoStart->path());
        Rec = std::make_unique<TServerRecorder>();
    }

    void cleanup()
    {
        Rec.reset();
        AutoRun::SetDirectoryForTests(QString());
        TfrmHaskett::SetTrayForTests(std::nullopt);
    }

    void readsPort_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("port");
        QTest::newRow("number") << "4400" << 4400;
        QTest::newRow("empty") << "" << 4305;
        QTest::newRow("not a number") << "abc" << 4305;
        QTest::newRow("below the field's range") << "80" << 80;
    }

    void readsPort()
    {
        QFETCH(QString, text);
        QFETCH(int, port);
        WriteText(Xml(), ServerXml(text, QStringLiteral("D:\\数据\\DATA.FDB")));
        TServerSettings s;
        QString error;
        QVERIFY2(ReadServerXml(Xml(), &s, &error), qPrintable(error));
        QCOMPARE(s.Port, port);
        QCOMPARE(s.DBPath, QStringLiteral("D:\\数据\\DATA.FDB"));
    }

    void localAddress_data()
    {
        QTest::addColumn<QStringList>("resolved");
        QTest::addColumn<QStringList>("interfaces");
        QTest::addColumn<QString>("address");
        QTest::newRow("first of the name")
            << QStringList{"192.168.1.5", "10.0.0.2"} << QStringList{"10.0.0.2"} << "192.168.1.5";
        QTest::newRow("IPv6 skipped") << QStringList{"fe80::1", "192.168.1.5"} << QStringList{} << "192.168.1.5";
        QTest::newRow("loopback gives way")
            << QStringList{"127.0.1.1"} << QStringList{"127.0.0.1", "::1", "192.168.0.9"} << "192.168.0.9";
        QTest::newRow("only loopback") << QStringList{"127.0.0.1"} << QStringList{"127.0.0.1"} << "127.0.0.1";
        QTest::newRow("does not resolve") << QStringList{} << QStringList{"192.168.0.9"} << "";
    }

    void localAddress()
    {
        QFETCH(QStringList, resolved);
        QFETCH(QStringList, interfaces);
        QFETCH(QString, address);
        auto addresses = [](const QStringList& texts) {
            QList<QHostAddress> out;
            for (const QString& t : texts)
                out << QHostAddress(t);
            return out;
        };
        QCOMPARE(ChooseLocalAddress(addresses(resolved), addresses(interfaces)), address);
        QCOMPARE(LocalAddressOf(QString()), QString());
    }

    void startsHiddenAndListening()
    {
        const int port = FreePort();
        auto frm = Start(ServerXml(QString::number(port), QStringLiteral("/srv/DATA.FDB")));
        QVERIFY(Rec->Messages.isEmpty());
        QVERIFY(!frm->isVisible());
        QVERIFY(frm->Listening());
        QCOMPARE(frm->PanelText(0), QStringLiteral("运行中..."));
        QCOMPARE(frm->PanelText(1), QStringLiteral("当前连接用户数 0"));
        QCOMPARE(frm->PanelText(2), QString());
        QCOMPARE(frm->windowTitle(), QStringLiteral("Tarnwell汽修管理系统－服务端"));
        QCOMPARE(frm->size(), QSize(514, 420));
        QVERIFY(Answers(port));
        QCOMPARE(frm->PanelText(1), QStringLiteral("当前用户连接数 1"));

        frm->show();
        QCOMPARE(frm->intPort->text(), QString::number(port));
        QCOMPARE(frm->edtDBPath->text(), QStringLiteral("/srv/DATA.FDB"));
        QCOMPARE(frm->edtLocalIP->IP(), frm->Settings().LocalIP);
        QVERIFY(!frm->edtLocalIP->isEnabled());
        QVERIFY(!frm->edtContPass->isEnabled());
        QCOMPARE(frm->edtContPass->text().size(), 8);
    }

    void unusableSettings_data()
    {
        QTest::addColumn<QString>("xml");   // null: no file at all
        QTest::newRow("missing") << QString();
        QTest::newRow("not XML") << QStringLiteral("<server><port>");
        QTest::newRow("no lastpath") << QStringLiteral(
            "<server><port>4305</port><dbpath>x</dbpath><lastdate/></server>");
    }

    void unusableSettings()
    {
        QFETCH(QString, xml);
        auto frm = Start(xml);
        QCOMPARE(Rec->Messages.size(), 1);
        QVERIFY(!Rec->Last().isEmpty());
        QVERIFY(!frm->Listening());
        QCOMPARE(frm->PanelText(0), QString());
    }

    void portTakenAtStartThenResume()
    {
        QTcpServer squatter;
        QVERIFY(squatter.listen(QHostAddress::AnyIPv4, 0));
        const int port = squatter.serverPort();
        auto frm = Start(ServerXml(QString::number(port), QStringLiteral("x")));
        QCOMPARE(Rec->Messages.size(), 1);
        QVERIFY(!frm->Listening());
        squatter.close();
        QTest::mouseClick(frm->btnStopOrRun, Qt::LeftButton);
        QVERIFY(frm->Listening());
        QCOMPARE(frm->PanelText(0), QStringLiteral("运行中..."));
    }

    void pauseAndResumeWithANewPort()
    {
        const int port = FreePort();
        auto frm = Start(ServerXml(QString::number(port), QStringLiteral("x")));
        frm->show();
        const int newPort = FreePort();
        frm->intPort->setText(QString::number(newPort));
        QTest::mouseClick(frm->btnSave, Qt::LeftButton);
        QCOMPARE(frm->Handshake()->ServerPort(), port);   // saving does not reopen

        QTest::mouseClick(frm->btnStopOrRun, Qt::LeftButton);
        QVERIFY(!frm->Listening());
        QCOMPARE(frm->btnStopOrRun->text(), QStringLiteral("启动服务"));
        QCOMPARE(frm->PanelText(0), QStringLiteral("已暂停"));
        QVERIFY(!frm->btnSave->isEnabled());
        QVERIFY(!Answers(port));

        QTest::mouseClick(frm->btnStopOrRun, Qt::LeftButton);
        QVERIFY(frm->Listening());
        QCOMPARE(frm->btnStopOrRun->text(), QStringLiteral("暂停服务"));
        QCOMPARE(frm->PanelText(0), QStringLiteral("运行中..."));
        QVERIFY(frm->btnSave->isEnabled());
        QCOMPARE(frm->Handshake()->ServerPort(), newPort);
        QVERIFY(Answers(newPort));
    }

    void saveKeepsTheRestOfTheFile()
    {
        auto frm =
            Start(ServerXml(QStringLiteral("80"), QStringLiteral("old"), QStringLiteral("  <extra>保留</extra>\n")));
        frm->show();
        QCOMPARE(frm->intPort->text(), QStringLiteral("1025"));   // shown within the field's range
        frm->edtDBPath->setText(QString());
        QTest::mouseClick(frm->btnSave, Qt::LeftButton);   // an empty path is not saved
        QVERIFY(ReadText(Xml()).contains(QStringLiteral("<dbpath>old</dbpath>")));

        frm->edtDBPath->setText(QStringLiteral("D:\\汽修\\DATA.FDB"));
        QTest::mouseClick(frm->btnSave, Qt::LeftButton);
        const QString xml = ReadText(Xml());
        QVERIFY(xml.contains(QStringLiteral("<port>1025</port>")));
        QVERIFY(xml.contains(QStringLiteral("<dbpath>D:\\汽修\\DATA.FDB</dbpath>")));
        QVERIFY(xml.contains(QStringLiteral("<extra>保留</extra>")));
        QCOMPARE(frm->Settings().Port, 1025);
        QCOMPARE(frm->Settings().DBPath, QStringLiteral("D:\\汽修\\DATA.FDB"));
        QVERIFY(Rec->Messages.isEmpty() || Rec->Messages.size() == 1);   // port 80 may be refused to us

        QFile::remove(Xml());
        frm->edtDBPath->setText(QStringLiteral("new"));
        QTest::mouseClick(frm->btnSave, Qt::LeftButton);
        QVERIFY(Rec->Last().size() > 0);
        QCOMPARE(frm->Settings().DBPath, QStringLiteral("D:\\汽修\\DATA.FDB"));
    }

    void unsavedEditsAreDroppedWhenShownAgain()
    {
        TfrmHaskett::SetTrayForTests(true);   // hidden to the notification area
        auto frm = Start(ServerXml(QString::number(FreePort()), QStringLiteral("kept")));
        frm->show();
        frm->edtDBPath->setText(QStringLiteral("typed"));
        QTest::mouseClick(frm->btnHide, Qt::LeftButton);
        QVERIFY(!frm->isVisible());
        frm->popSettingClick();
        QVERIFY(frm->isVisible());
        QCOMPARE(frm->edtDBPath->text(), QStringLiteral("kept"));
    }

    void portFieldClamps_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");   // while typing
        QTest::addColumn<QString>("finished");   // after leaving the field
        QTest::newRow("in range") << "4400"
                                  << "4400"
                                  << "4400";
        QTest::newRow("above") << "7000"
                               << "6000"
                               << "6000";
        QTest::newRow("huge") << "99999999999999999999"
                              << "6000"
                              << "6000";
        QTest::newRow("zero") << "0"
                              << "1025"
                              << "1025";
        QTest::newRow("too small") << "80"
                                   << "80"
                                   << "1025";
        QTest::newRow("letters ignored") << "4a4b00"
                                         << "4400"
                                         << "4400";
    }

    void portFieldClamps()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, finished);
        TIntegerEdit e;
        e.SetRange(1025, 6000);
        e.clear();
        QTest::keyClicks(&e, typed);
        QCOMPARE(e.text(), shown);
        e.Normalize();
        QCOMPARE(e.text(), finished);
    }

    void arrowKeysStep()
    {
        TIntegerEdit e;
        e.SetRange(1025, 6000);
        e.SetValue(5999);
        QTest::keyClick(&e, Qt::Key_Up);
        QCOMPARE(e.Value(), 6000);
        QTest::keyClick(&e, Qt::Key_Up);
        QCOMPARE(e.Value(), 6000);
        QTest::keyClick(&e, Qt::Key_Down);
        QCOMPARE(e.Value(), 5999);
    }

    void closeHidesAndExitAsks()
    {
        TfrmHaskett::SetTrayForTests(true);
        auto frm = Start(ServerXml(QString::number(FreePort()), QStringLiteral("x")));
        QSignalSpy quit(frm.get(), &TfrmHaskett::Quit);
        frm->show();
        frm->close();
        QVERIFY(!frm->isVisible());
        QVERIFY(frm->Listening());
        QVERIFY(Rec->Messages.isEmpty());

        Rec->Answers.enqueue(Haskett::TMsgAnswer::No);
        frm->popExitClick();
        QCOMPARE(Rec->Messages.size(), 1);
        QCOMPARE(Rec->Messages[0].Text, QStringLiteral("确定要退出系统吗？"));
        QCOMPARE(Rec->Messages[0].Caption, QStringLiteral("确认："));
        QVERIFY(Rec->Messages[0].Question);
        QCOMPARE(quit.count(), 0);
        QVERIFY(frm->Listening());

        // From now on the close button asks too.
        frm->show();
        Rec->Answers.enqueue(Haskett::TMsgAnswer::Yes);
        frm->close();
        QCOMPARE(Rec->Messages.size(), 2);
        QCOMPARE(quit.count(), 1);
        QVERIFY(frm->Finished());
        QVERIFY(!frm->Listening());
    }

    void withoutTrayCloseAsks_data()
    {
        QTest::addColumn<int>("answer");   // Haskett::TMsgAnswer
        QTest::addColumn<bool>("ends");
        QTest::newRow("yes ends") << int(Haskett::TMsgAnswer::Yes) << true;
        QTest::newRow("no keeps the window") << int(Haskett::TMsgAnswer::No) << false;
    }

    void withoutTrayCloseAsks()
    {
        QFETCH(int, answer);
        QFETCH(bool, ends);
        // The offscreen platform has no notification area; said outright all the same.
        TfrmHaskett::SetTrayForTests(false);
        QVERIFY(!TfrmHaskett::HasTray());
        auto frm = Start(ServerXml(QString::number(FreePort()), QStringLiteral("x")));
        QSignalSpy quit(frm.get(), &TfrmHaskett::Quit);
        frm->show();
        QVERIFY(QTest::qWaitForWindowExposed(frm.get()));
        Rec->Answers.enqueue(Haskett::TMsgAnswer(answer));
        frm->close();
        QCOMPARE(Rec->Messages.size(), 1);
        QCOMPARE(Rec->Messages[0].Text, QStringLiteral("确定要退出系统吗？"));
        QCOMPARE(Rec->Messages[0].Caption, QStringLiteral("确认："));
        QVERIFY(Rec->Messages[0].Question);
        QCOMPARE(Rec->Messages[0].Owner, frm.get());
        QCOMPARE(quit.count(), ends ? 1 : 0);
        QCOMPARE(frm->Finished(), ends);
        QCOMPARE(frm->isVisible(), !ends);
        QCOMPARE(frm->Listening(), !ends);

        // "隐藏窗口" does not lose the window either: it only goes to the task bar.
        if (!ends) {
            QTest::mouseClick(frm->btnHide, Qt::LeftButton);
            QVERIFY(frm->isVisible());
            QVERIFY(frm->isMinimized());
        }
    }

    void startAtLogon()
    {
        auto frm = Start(ServerXml(QString::number(FreePort()), QStringLiteral("x")));
        frm->show();
        QVERIFY(!frm->chkAutoRun->isChecked());
        QTest::mouseClick(frm->chkAutoRun, Qt::LeftButton);
        const QString entry = AutoStart->filePath(QFileInfo(QCoreApplication::applicationFilePath()).fileName()
                                                  + QStringLiteral(".desktop"));
        QVERIFY(QFileInfo::exists(entry));
        QVERIFY(ReadText(entry).contains(QCoreApplication::applicationFilePath()));
        QVERIFY(frm->Settings().AutoRun);

        // A second start sees the entry.
        auto again = Start(ServerXml(QString::number(FreePort()), QStringLiteral("x")));
        again->show();
        QVERIFY(again->chkAutoRun->isChecked());
        again.reset();

        QTest::mouseClick(frm->chkAutoRun, Qt::LeftButton);
        QVERIFY(!QFileInfo::exists(entry));
        QVERIFY(!frm->Settings().AutoRun);

        // A folder that cannot be opened: nothing written, nothing said, the flag follows.
        AutoRun::SetDirectoryForTests(AutoStart->filePath(QStringLiteral("missing")));
        QTest::mouseClick(frm->chkAutoRun, Qt::LeftButton);
        QVERIFY(frm->Settings().AutoRun);
        QVERIFY(!QFileInfo::exists(AutoStart->filePath(QStringLiteral("missing"))));
        QVERIFY(Rec->Messages.isEmpty());
    }

    void browseForTheDatabase()
    {
        auto frm = Start(ServerXml(QString::number(FreePort()), QStringLiteral("old")));
        frm->show();
        QTest::mouseClick(frm->btnBroDB, Qt::LeftButton);   // cancelled
        QCOMPARE(frm->edtDBPath->text(), QStringLiteral("old"));
        QCOMPARE(Rec->FileRequests.size(), 1);
        QCOMPARE(Rec->FileRequests[0].DefaultSuffix, QStringLiteral("FDB"));
        Rec->FileNames.enqueue(QStringLiteral("/srv/汽修/DATA.FDB"));
        QTest::mouseClick(frm->btnBroDB, Qt::LeftButton);
        QCOMPARE(frm->edtDBPath->text(), QDir::toNativeSeparators(QStringLiteral("/srv/汽修/DATA.FDB")));
    }
};

QTEST_MAIN(TestHaskett)
#include "tst_haskett.moc"
