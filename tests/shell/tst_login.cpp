// The login window against the real handshake service and a real database: check-in,
// attach, the credential check, the recent-names list, and every way the server can fail.
#include "ConPool.h"
#include "FbClient.h"
#include "FlatButton.h"
#include "Gbk.h"
#include "GlobalHead.h"
#include "Handshake.h"
#include "IntegerEdit.h"
#include "LabeledEdit.h"
#include "Login.h"
#include "MoravekHead.h"
#include "Recorder.h"
#include "TestDb.h"
#include "XmlFile.h"

#include <QComboBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QTemporaryDir>
#include <QCryptographicHash>
#include <QtTest>

#include <memory>

namespace {

const QString Admin = QStringLiteral("管理员");

QString Settings(const QString& loginlist)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<configure><countperpage>100</countperpage>"
                          "<ip>127.0.0.1</ip><port>4305</port><timeout>5</timeout>%1<other>保留</other></configure>\n")
        .arg(loginlist);
}

void WriteFile(const QString& path, const QString& text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.toUtf8());
}

QStringList LoginList()
{
    TXmlFile xml;
    if (!xml.Load(SettingsPath()))
        return {QStringLiteral("<unreadable>")};
    QStringList names;
    const QDomElement list = xml.Child(QStringLiteral("loginlist"));
    for (QDomElement n = list.firstChildElement(); !n.isNull(); n = n.nextSiblingElement())
        names << n.text();
    return names;
}

// A stand-in server that answers every check-in with the given pieces, one event-loop
// turn apart, so that they reach the workstation as separate reads.
struct TPiecesServer {
    QTcpServer Server;
    QList<QByteArray> Pieces;
    explicit TPiecesServer(QList<QByteArray> pieces)
        : Pieces(std::move(pieces))
    {
        QObject::connect(&Server, &QTcpServer::newConnection, &Server, [this] {
            QTcpSocket* s = Server.nextPendingConnection();
            QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] {
                s->readAll();
                for (int i = 0; i < Pieces.size(); ++i)
                    QTimer::singleShot(20 * i, s, [s, p = Pieces[i]] {
                        s->write(p);
                        s->flush();
                    });
            });
        });
    }
};

}   // namespace

class TestLogin : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestDb> Db;
    std::unique_ptr<QTemporaryDir> Folder;
    std::unique_ptr<THandshake> Server;
    std::unique_ptr<TRecorder> Rec;
    std::unique_ptr<TfrmLogin> Dlg;

    void StartServer(const QString& dbPath, int port = 0)
    {
        Server = std::make_unique<THandshake>();
        Server->DBPath = [dbPath] { return dbPath; };
        Server->LocalIP = [] { return QStringLiteral("127.0.0.1"); };
        QString error;
        QVERIFY2(Server->Listen(port, &error), qPrintable(error));
        Symbol.Port = Server->ServerPort();
    }

    void Open()
    {
        Dlg = std::make_unique<TfrmLogin>();
        Dlg->show();
    }

    void Type(const QString& name, const QString& password)
    {
        Dlg->cbbUser->setEditText(name);
        Dlg->edtPW->setText(password);
    }

    // Presses "登录" and waits until the window closes or says something.
    void Press()
    {
        const int before = int(Rec->Messages.size());
        QTest::mouseClick(Dlg->btnOK, Qt::LeftButton);
        (void)QTest::qWaitFor([&] { return !Dlg->isVisible() || Rec->Messages.size() > before; }, 10000);
    }

private slots:
    void initTestCase()
    {
        if (!Pool)
            Pool = new TConPool();
        Db = std::make_unique<TTestDb>();
        QVERIFY2(Db->Ok(), qPrintable(Db->Error()));
        // One more operator with a Latin name, password 123456.
        TFbConnection c;
        c.Attach(Db->Location(), TConPool::UserName, TConPool::Password);
        c.Execute(QStringLiteral(
            "INSERT INTO TB_EMPLOYEE (ID, EMPLOYEE_NAME, PW) VALUES (NEXT VALUE FOR GEN_EMPLOYEE_ID, 'Wang', "
            "'e10adc3949ba59abbe56e057f20f883e')"));
        // One who has left, and one whose password is six question marks.
        c.Execute(QStringLiteral(
            "INSERT INTO TB_EMPLOYEE (ID, EMPLOYEE_NAME, PW, STATUS) VALUES (NEXT VALUE FOR GEN_EMPLOYEE_ID, '老刘', "
            "'e10adc3949ba59abbe56e057f20f883e', 1)"));
        c.Execute(QStringLiteral("INSERT INTO TB_EMPLOYEE (ID, EMPLOYEE_NAME, PW) VALUES (NEXT VALUE FOR GEN_EMPLOYEE_ID, "
                                 "'问号', ?)"),
                  {TFbValue::FromText(QString::fromLatin1(
                      QCryptographicHash::hash("??????", QCryptographicHash::Md5).toHex()))});
    }

    void init()
    {
        Folder = std::make_unique<QTemporaryDir>();
        AppPath = Folder->path() + QLatin1Char('/');
        WriteFile(SettingsPath(), Settings(QStringLiteral("<loginlist/>")));
        QString error;
        QVERIFY(LoadSettings(SettingsPath(), &error));
        Symbol.TimeOut = 3000;
        Symbol.User = TUserInfo();
        Rec = std::make_unique<TRecorder>();
        StartServer(Db->Path());
    }

    void cleanup()
    {
        Dlg.reset();
        Server.reset();
        Rec.reset();
        Pool->Close();
    }

    void logsIn()
    {
        Open();
        Type(Admin, QStringLiteral("123456"));
        Press();
        QVERIFY2(Rec->Messages.isEmpty(), qPrintable(Rec->Last()));
        QVERIFY(!Dlg->isVisible());
        QVERIFY(Dlg->Succeeded());
        QCOMPARE(Dlg->result(), int(QDialog::Accepted));
        QCOMPARE(Symbol.User.ID, QStringLiteral("1"));
        QCOMPARE(Symbol.User.UserName, Admin);
        QCOMPARE(Symbol.User.PassWord, QStringLiteral("e10adc3949ba59abbe56e057f20f883e"));
        QCOMPARE(Symbol.Version, QStringLiteral("1.0.0.1"));
        QCOMPARE(LoginList(), QStringList{Admin});
        QCOMPARE(Dlg->CheckInsSent(), 1);
        QVERIFY(Pool->Connected());
        QCOMPARE(Server->CheckedIn(), QStringList{QStringLiteral("127.0.0.1")});
    }

    void plainPathFromTheServerMachine()
    {
        // The server recognises its own machine and answers with the path alone.
        Server->Fingerprint = [](QString* out) {
            TMoravek m;
            QString error;
            return m.GetDriveMD5(out, &error);
        };
        Open();
        Type(Admin, QStringLiteral("123456"));
        Press();
        QVERIFY2(Dlg->Succeeded(), qPrintable(Rec->Last()));
    }

    void enterInThePasswordFieldLogsIn()
    {
        Open();
        Type(Admin, QStringLiteral("123456"));
        QTest::keyClick(Dlg->edtPW, Qt::Key_Return);
        QVERIFY(QTest::qWaitFor([&] { return !Dlg->isVisible(); }, 10000));
        QVERIFY(Dlg->Succeeded());
    }

    void wrongPasswordThenRight()
    {
        Open();
        Type(Admin, QStringLiteral("654321"));
        Press();
        QCOMPARE(Rec->Last(), QStringLiteral("密码错误！"));
        QCOMPARE(Rec->Messages.last().Caption, QStringLiteral("警告"));
        QVERIFY(Dlg->isVisible());
        QVERIFY(Pool->Connected());
        QVERIFY(LoginList().isEmpty());
        Dlg->edtPW->setText(QStringLiteral("123456"));
        Press();
        QVERIFY(Dlg->Succeeded());
        QCOMPARE(Dlg->CheckInsSent(), 1);   // the second attempt went straight to the check
    }

    void namesAsTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("listBefore");
        QTest::addColumn<QStringList>("listAfter");
        QTest::newRow("trailing blank") << Admin + QLatin1Char(' ') << "123456" << true << "" << QStringList{Admin};
        QTest::newRow("blanks around") << " Wang  "
                                       << "123456" << true << "" << QStringList{"Wang"};
        QTest::newRow("known in other case") << "Wang"
                                             << "123456" << true << "<name>WANG</name>" << QStringList{"WANG"};
        QTest::newRow("appended") << "Wang"
                                  << "123456" << true << "<name>张三</name>" << QStringList{"张三", "Wang"};
        QTest::newRow("password not trimmed") << "Wang"
                                              << "123456 " << false << "" << QStringList{};
        QTest::newRow("quote in name") << "O'Brien"
                                       << "123456" << false << "" << QStringList{};
        QTest::newRow("injection") << "' OR ''='"
                                   << "x' OR '1'='1" << false << "" << QStringList{};
    }

    void namesAsTyped()
    {
        QFETCH(QString, typed);
        QFETCH(QString, password);
        QFETCH(bool, ok);
        QFETCH(QString, listBefore);
        QFETCH(QStringList, listAfter);
        WriteFile(SettingsPath(), Settings(QStringLiteral("<loginlist>%1</loginlist>").arg(listBefore)));
        Open();
        Type(typed, password);
        Press();
        QCOMPARE(Dlg->Succeeded(), ok);
        if (ok)
            QCOMPARE(Symbol.User.UserName, typed.trimmed());   // the name without its blanks
        else
            QCOMPARE(Rec->Last(), QStringLiteral("密码错误！"));
        QCOMPARE(LoginList(), listAfter);
        QVERIFY(ReadText().contains(QStringLiteral("<other>保留</other>")));
    }

    // The gate: one who has left is told so; a password with characters the digest would
    // turn into "?" is refused before it is compared, so it cannot open another's account.
    void gateRefuses_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("says");   // empty: logs in
        QTest::newRow("departed") << "老刘" << "123456" << Texts::Departed.arg(QStringLiteral("老刘"));
        QTest::newRow("departed with blanks") << "老刘 " << "123456" << Texts::Departed.arg(QStringLiteral("老刘"));
        QTest::newRow("emoji password") << "问号" << QString::fromUtf8("\xF0\x9F\x98\x80").repeated(6)
                                        << Texts::PasswordNotGbk;
        QTest::newRow("accented capitals") << "问号" << QString::fromUtf8("\xC3\x80").repeated(6)
                                           << Texts::PasswordNotGbk;
        QTest::newRow("the question marks themselves") << "问号"
                                                       << "??????"
                                                       << "";
        QTest::newRow("departed, wrong password") << "老刘"
                                                  << "654321"
                                                  << "密码错误！";
    }

    void gateRefuses()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(QString, says);
        Open();
        Type(name, password);
        Press();
        if (says.isEmpty()) {
            QVERIFY2(Dlg->Succeeded(), qPrintable(Rec->Last()));
            return;
        }
        QCOMPARE(Rec->Last(), says);
        QCOMPARE(Rec->Messages.last().Caption, QStringLiteral("警告"));
        QVERIFY(!Dlg->Succeeded());
        QVERIFY(Dlg->isVisible());
        QVERIFY(Symbol.User.ID.isEmpty());
        QVERIFY(LoginList().isEmpty());
    }

    void recentNames()
    {
        WriteFile(SettingsPath(), Settings(QStringLiteral("<loginlist><name>张三</name></loginlist>")));
        Open();
        QCOMPARE(Dlg->cbbUser->count(), 2);
        QCOMPARE(Dlg->cbbUser->itemText(0), QStringLiteral("张三"));
        QCOMPARE(Dlg->cbbUser->itemText(1), QStringLiteral("清除登录列表"));
        Dlg->cbbUser->setCurrentIndex(0);
        Dlg->cbbUserClick(0);
        QCOMPARE(Dlg->cbbUser->currentText(), QStringLiteral("张三"));
        QCOMPARE(Dlg->cbbUser->count(), 2);
        Dlg->cbbUser->setCurrentIndex(1);
        Dlg->cbbUserClick(1);
        QCOMPARE(Dlg->cbbUser->count(), 0);
        QCOMPARE(Dlg->cbbUser->currentText(), QString());
        QVERIFY(LoginList().isEmpty());
        QVERIFY(ReadText().contains(QStringLiteral("loginlist")));

        Dlg.reset();
        Open();   // an empty list has no clear entry
        QCOMPARE(Dlg->cbbUser->count(), 0);
    }

    void withoutALoginListTheNameIsNotRemembered()
    {
        WriteFile(SettingsPath(), Settings(QString()));
        Open();
        QCOMPARE(Dlg->cbbUser->count(), 0);
        Type(Admin, QStringLiteral("123456"));
        Press();
        QVERIFY(Dlg->Succeeded());
        QVERIFY(!ReadText().contains(QStringLiteral("loginlist")));
    }

    void serverSilent()
    {
        QTcpServer silent;   // accepts and never answers
        QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
        Server.reset();
        Symbol.Port = silent.serverPort();
        Symbol.TimeOut = 300;
        Open();
        Type(Admin, QStringLiteral("123456"));
        Press();
        QCOMPARE(Rec->Last(), QStringLiteral("连接超时！"));
        QCOMPARE(Rec->Messages.last().Caption, QStringLiteral("提示"));
        QVERIFY(Dlg->isVisible());
        QVERIFY(!Pool->Connected());
    }

    void serverDownThenUp()
    {
        Server.reset();   // nothing listens on the port now
        Open();
        QVERIFY(QTest::qWaitFor([&] { return !Rec->Messages.isEmpty(); }, 5000));
        QCOMPARE(Rec->Last(), QStringLiteral("网络通信错误！"));
        QCOMPARE(Rec->Messages.last().Caption, QStringLiteral("错误"));
        QCOMPARE(Rec->Messages.size(), 1);

        Type(Admin, QStringLiteral("123456"));
        Press();   // tries to connect again, and says so when it cannot
        QCOMPARE(Rec->Messages.size(), 2);
        QCOMPARE(Rec->Last(), QStringLiteral("网络通信错误！"));
        QVERIFY(Dlg->isVisible());

        StartServer(Db->Path(), Symbol.Port);
        Press();
        QVERIFY2(Dlg->Succeeded(), qPrintable(Rec->Last()));
        QCOMPARE(Rec->Messages.size(), 2);
    }

    void serverGoesAway()
    {
        Open();
        QTRY_COMPARE(Dlg->cs->state(), QAbstractSocket::ConnectedState);
        Server->Stop();   // a paused server closes every connection
        QVERIFY(QTest::qWaitFor([&] { return !Rec->Messages.isEmpty(); }, 5000));
        QCOMPARE(Rec->Last(), QStringLiteral("网络通信错误！"));
        QString error;
        QVERIFY(Server->Listen(Symbol.Port, &error));
        Type(Admin, QStringLiteral("123456"));
        Press();
        QVERIFY2(Dlg->Succeeded(), qPrintable(Rec->Last()));
    }

    void attachFails()
    {
        StartServer(Folder->path() + QStringLiteral("/none.fdb"));
        Open();
        Type(Admin, QStringLiteral("123456"));
        Press();
        QCOMPARE(Rec->Last(), QStringLiteral("数据库连接失败!"));
        QCOMPARE(Rec->Messages.last().Caption, QStringLiteral("错误"));
        QCOMPARE(Rec->Messages.last().Icon, TMsgIcon::None);
        // The database's own words go with it, for whoever has to find out why.
        QVERIFY2(Rec->Messages.last().Detail.contains(QStringLiteral("none.fdb")),
                 qPrintable(Rec->Messages.last().Detail));
        QVERIFY(Dlg->isVisible());
        Press();   // not attached: the handshake is repeated
        QCOMPARE(Dlg->CheckInsSent(), 2);
    }

    // Stand-in servers: the reply in pieces is put together; a reply that is not the
    // database location is a network error, never silence.
    void replies_data()
    {
        QTest::addColumn<QList<QByteArray>>("pieces");
        QTest::addColumn<bool>("logsIn");
        const QByteArray reply = "DBPATH#" + Gbk::Encode(Db->Path());
        for (int cut : {3, 7, 12})
            QTest::addRow("cut at %d", cut) << QList<QByteArray>{reply.left(cut), reply.mid(cut)} << true;
        QTest::newRow("no location") << QList<QByteArray>{QByteArrayLiteral("HELLO#there")} << false;
    }

    void replies()
    {
        QFETCH(QList<QByteArray>, pieces);
        QFETCH(bool, logsIn);
        TPiecesServer server(pieces);
        QVERIFY(server.Server.listen(QHostAddress::LocalHost, 0));
        Server.reset();
        Symbol.Port = server.Server.serverPort();
        Open();
        Type(Admin, QStringLiteral("123456"));
        Press();
        if (logsIn) {
            QVERIFY2(Dlg->Succeeded(), qPrintable(Rec->Last()));
            QVERIFY(Rec->Messages.isEmpty());
            return;
        }
        QCOMPARE(Rec->Last(), QStringLiteral("网络通信错误！"));
        QCOMPARE(Rec->Messages.last().Caption, QStringLiteral("错误"));
        QVERIFY(Dlg->isVisible());
        QVERIFY(!Pool->Connected());
    }

    void cancelEndsIt()
    {
        Open();
        Type(Admin, QStringLiteral("654321"));
        Press();
        QVERIFY(Pool->Connected());
        QTest::mouseClick(Dlg->btnCancel, Qt::LeftButton);
        QVERIFY(!Dlg->isVisible());
        QCOMPARE(Dlg->result(), int(QDialog::Rejected));
        QVERIFY(!Dlg->Succeeded());
        QVERIFY(!Pool->Connected());
    }

    void networkPanel()
    {
        Symbol.Port = 4305;
        Open();
        QVERIFY(!Dlg->pnlNet->isVisible());
        QTest::mouseClick(Dlg->btnNet, Qt::LeftButton);
        QVERIFY(Dlg->pnlNet->isVisible());
        QCOMPARE(Dlg->edtIP->text(), QStringLiteral("127.0.0.1"));
        QCOMPARE(Dlg->intPort->text(), QString::number(Symbol.Port));
        Dlg->edtIP->setText(QStringLiteral(" 192.168.1.20 "));
        Dlg->intPort->setText(QStringLiteral("4400"));
        const int port = Symbol.Port;
        QTest::mouseClick(Dlg->btnSave, Qt::LeftButton);
        QCOMPARE(Rec->Last(), QStringLiteral("设置成功\n请重启本软件！"));
        QVERIFY(Dlg->pnlNet->isVisible());
        QVERIFY(ReadText().contains(QStringLiteral("<ip>192.168.1.20</ip>")));
        QVERIFY(ReadText().contains(QStringLiteral("<port>4400</port>")));
        QCOMPARE(Symbol.ServerIP, QStringLiteral("127.0.0.1"));
        QCOMPARE(Symbol.Port, port);
        QTest::mouseClick(Dlg->btnReturn, Qt::LeftButton);
        QVERIFY(!Dlg->pnlNet->isVisible());
    }

private:
    static QString ReadText()
    {
        QFile f(SettingsPath());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
