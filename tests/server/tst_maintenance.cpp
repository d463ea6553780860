// Backup and restore driven through the window's buttons against the real database server:
// a restore gives back the rows of the backup, failures are reported as failures, and a
// database still in use is never replaced.
#include "Clock.h"
#include "FlatButton.h"
#include "Handshake.h"
#include "LabeledEdit.h"
#include "Main.h"
#include "Maintenance.h"
#include "ServerRecorder.h"
#include "TestDb.h"

#include <QDir>
#include <QHostAddress>
#include <QProcess>
#include <QTcpSocket>
#include <QtTest>

#include <sys/stat.h>

#include <memory>

namespace {

const char DbaPassword[] = "quillfern";

// The rows and a checksum of a few tables, as isql prints them.
const char ChecksumSql[] =
    "SELECT COUNT(*), SUM(ID), SUM(CHAR_LENGTH(CAR_NO)), SUM(EARNEST) FROM TB_REPAIR;\n"
    "SELECT COUNT(*), SUM(ID), SUM(CHAR_LENGTH(CAR_OWNER)) FROM TB_CUSTOMER;\n"
    "SELECT COUNT(*), SUM(STOCK_COUNT) FROM TB_STOCK;\n"
    "SELECT COUNT(*), SUM(ID) FROM TB_SALES;\n";

QString Isql(const QString& file, const QByteArray& sql)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("isql-fb"), {QStringLiteral("-q"), QStringLiteral("-ch"), QStringLiteral("UTF8"),
                                        QStringLiteral("-user"), QStringLiteral("SYSDBA"), QStringLiteral("-password"),
                                        QLatin1String(DbaPassword), TTestDb::ServerLocation(file)});
    p.write(sql);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAll()).trimmed();
}

void OpenToServer(const QString& folder)
{
    QDir().mkpath(folder);
    ::chmod(QFile::encodeName(folder).constData(), 0777);
}

} // namespace

class TestMaintenance : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestDb> Demo;   // made once, copied for every test
    std::unique_ptr<TTestDb> Db;   // the program folder, its DATA/DATA.FDB holding demo data
    std::unique_ptr<TServerRecorder> Rec;
    std::unique_ptr<TfrmHaskett> Frm;

    QString Program() const { return Db->Folder() + QLatin1Char('/'); }
    QString Data() const { return Program() + QStringLiteral("DATA/DATA.FDB"); }

    // Waits for the operation's one message, answering check-ins all the while.
    bool WaitForMessage(int* handshakes = nullptr)
    {
        QTcpSocket peer;
        peer.connectToHost(QHostAddress::LocalHost, quint16(Frm->Handshake()->ServerPort()));
        int answered = 0;
        QElapsedTimer t;
        t.start();
        while (Rec->Messages.isEmpty() && t.elapsed() < 120000) {
            if (peer.state() == QAbstractSocket::ConnectedState) {
                peer.write("CHECKIN#x");
                if (QTest::qWaitFor([&] { return peer.bytesAvailable() > 0; }, 2000) && peer.readAll().startsWith("DBPATH#"))
                    ++answered;
            }
            QTest::qWait(20);
        }
        if (handshakes)
            *handshakes = answered;
        return !Rec->Messages.isEmpty();
    }

private slots:
    void initTestCase()
    {
        Clock::SetClockForTests(QDateTime(QDate(2009, 3, 5), QTime(10, 30)));
        // Demo rows rather than the bare seed, so that the comparisons mean something.
        Demo = std::make_unique<TTestDb>(QStringLiteral("seed/DEMO.FDB"));
        QVERIFY2(Demo->Ok(), qPrintable(Demo->Error()));
        QFile::remove(Demo->Path());
        QString out;
        QVERIFY2(RunProjectScript(QStringLiteral("newdb"), {Demo->Path(), QStringLiteral("--demo"), QStringLiteral("300")}, &out) == 0,
                 qPrintable(out));
    }

    void cleanupTestCase()
    {
        Clock::SetClockForTests(QDateTime());
        Demo.reset();
    }

    void init()
    {
        Db = std::make_unique<TTestDb>(QStringLiteral("DATA/DATA.FDB"));
        QVERIFY2(Db->Ok(), qPrintable(Db->Error()));
        QFile::remove(Data());
        QVERIFY(QFile::copy(Demo->Path(), Data()));
        ::chmod(QFile::encodeName(Data()).constData(), 0666);
        QVERIFY(WriteText(Program() + QStringLiteral("server.xml"),
                          ServerXml(QStringLiteral("0"), Data(), QStringLiteral("  <!-- 备注 -->\n"))));
        Rec = std::make_unique<TServerRecorder>();
        Frm = std::make_unique<TfrmHaskett>(Program());
        QVERIFY(Frm->Listening());
        Frm->show();
    }

    void cleanup()
    {
        Frm.reset();
        Rec.reset();
        Db.reset();
    }

    void backupThenRestoreGivesBackTheRows()
    {
        const QString before = Isql(Data(), ChecksumSql);
        QVERIFY2(before.contains(QLatin1String("300")) && !before.contains(QLatin1String("SQLSTATE")), qPrintable(before));
        const QString bak = Program() + QStringLiteral("备份");
        OpenToServer(bak);

        Frm->edtBakPath->setText(bak);
        QTest::mouseClick(Frm->btnBackup, Qt::LeftButton);
        QVERIFY(!Frm->btnBackup->isEnabled());
        QVERIFY(!Frm->btnRecover->isEnabled());
        int handshakes = 0;
        QVERIFY(WaitForMessage(&handshakes));
        QCOMPARE(Rec->Last(), QStringLiteral("数据库备份成功!"));
        QCOMPARE(Rec->Messages.last().Caption, QStringLiteral("提示"));
        QCOMPARE(Rec->Messages.last().Icon, Haskett::TMsgIcon::Information);
        QVERIFY(Frm->btnBackup->isEnabled());
        QVERIFY(Frm->btnRecover->isEnabled());
        const QString file = bak + QStringLiteral("/2009-3-5.BAK");
        QVERIFY(QFileInfo(file).size() > 0);
        const QString xml = ReadText(Program() + QStringLiteral("server.xml"));
        QVERIFY(xml.contains(QStringLiteral("<lastdate>2009-3-5</lastdate>")));
        QVERIFY(xml.contains(QStringLiteral("<lastpath>%1</lastpath>").arg(file)));
        QVERIFY(xml.contains(QStringLiteral("备注")));

        // Shown again, the window offers the new backup for a restore.
        Frm->hide();
        Frm->show();
        QCOMPARE(Frm->edtLastDate->text(), QStringLiteral("2009-3-5"));
        QCOMPARE(Frm->edtLastPath->text(), file);
        QCOMPARE(Frm->edtRecoverFile->text(), file);

        // Work done after the backup is what the restore takes back.
        Isql(Data(), "DELETE FROM TB_REPAIR WHERE ID > 100; DELETE FROM TB_CUSTOMER; COMMIT;");
        const QString changed = Isql(Data(), ChecksumSql);
        QVERIFY(changed != before);

        Rec->Messages.clear();
        QTest::mouseClick(Frm->btnRecover, Qt::LeftButton);
        QVERIFY(WaitForMessage());
        QCOMPARE(Rec->Last(), QStringLiteral("数据库恢复成功!"));
        QCOMPARE(Isql(Data(), ChecksumSql), before);
        // The database that was replaced is kept beside it, dated.
        const QStringList kept = QDir(Program() + QStringLiteral("DATA")).entryList({QStringLiteral("DATA-2009-3-5-*.FDB")});
        QCOMPARE(kept.size(), 1);
        QCOMPARE(Isql(Program() + QStringLiteral("DATA/") + kept[0], ChecksumSql), changed);
        QVERIFY(!QFileInfo::exists(Frm->Maintenance()->RestoreTarget()));
        // A restore leaves server.xml as it was.
        QCOMPARE(ReadText(Program() + QStringLiteral("server.xml")), xml);
    }

    void backupFailureIsReportedAndNotRecorded()
    {
        const QString xml = ReadText(Program() + QStringLiteral("server.xml"));
        Frm->edtBakPath->setText(Program() + QStringLiteral("no/such/folder/"));
        QTest::mouseClick(Frm->btnBackup, Qt::LeftButton);
        QVERIFY(WaitForMessage());
        QVERIFY2(Rec->Last().startsWith(QStringLiteral("备份失败，请检查数据库备份参数！")), qPrintable(Rec->Last()));
        QVERIFY(Rec->Last().size() > QStringLiteral("备份失败，请检查数据库备份参数！").size());   // the server's own text
        QCOMPARE(Rec->Messages.last().Icon, Haskett::TMsgIcon::Warning);
        QCOMPARE(ReadText(Program() + QStringLiteral("server.xml")), xml);
        QVERIFY(Frm->Settings().LastPath.isEmpty());
        QVERIFY(Frm->btnBackup->isEnabled());
    }

    void restoreIsRefusedWhileTheDatabaseIsInUse()
    {
        const QString bak = Program() + QStringLiteral("bak");
        OpenToServer(bak);
        Frm->edtBakPath->setText(bak);
        QTest::mouseClick(Frm->btnBackup, Qt::LeftButton);
        QVERIFY(WaitForMessage());
        QCOMPARE(Rec->Last(), QStringLiteral("数据库备份成功!"));
        Isql(Data(), "DELETE FROM TB_CUSTOMER; COMMIT;");
        const QString before = Isql(Data(), ChecksumSql);

        // A workstation still attached: an isql session left open.
        QProcess workstation;
        workstation.start(QStringLiteral("isql-fb"), {QStringLiteral("-q"), QStringLiteral("-user"), QStringLiteral("SYSDBA"),
                                                      QStringLiteral("-password"), QLatin1String(DbaPassword),
                                                      TTestDb::ServerLocation(Data())});
        QVERIFY(workstation.waitForStarted());
        workstation.write("SELECT COUNT(*) FROM TB_REPAIR;\n");
        QVERIFY(QTest::qWaitFor([&] { workstation.waitForReadyRead(50); return workstation.readAllStandardOutput().contains("300"); }, 10000));

        Rec->Messages.clear();
        Frm->edtRecoverFile->setText(bak + QStringLiteral("/2009-3-5.BAK"));
        QTest::mouseClick(Frm->btnRecover, Qt::LeftButton);
        QVERIFY(WaitForMessage());
        QCOMPARE(Rec->Last(), TMaintenance::RestoreInUse);
        QCOMPARE(Rec->Messages.last().Icon, Haskett::TMsgIcon::Warning);
        workstation.write("QUIT;\n");
        workstation.closeWriteChannel();
        QVERIFY(workstation.waitForFinished(10000));

        QCOMPARE(Isql(Data(), ChecksumSql), before);
        QVERIFY(QDir(Program() + QStringLiteral("DATA")).entryList({QStringLiteral("*.FDB")}) == QStringList{QStringLiteral("DATA.FDB")});
        QVERIFY(Frm->btnRecover->isEnabled());
    }

    void restoreOfABadFileLeavesTheDatabase()
    {
        const QString before = Isql(Data(), ChecksumSql);
        const QString junk = Program() + QStringLiteral("junk.BAK");
        QVERIFY(WriteText(junk, QStringLiteral("这不是备份文件")));
        ::chmod(QFile::encodeName(junk).constData(), 0666);
        Frm->edtRecoverFile->setText(junk);
        QTest::mouseClick(Frm->btnRecover, Qt::LeftButton);
        QVERIFY(WaitForMessage());
        QVERIFY2(Rec->Last().startsWith(QStringLiteral("恢复失败，请检查数据库文件！")), qPrintable(Rec->Last()));
        QCOMPARE(Isql(Data(), ChecksumSql), before);
        QVERIFY(!QFileInfo::exists(Frm->Maintenance()->RestoreTarget()));
    }

    void emptyFieldsDoNothing()
    {
        Frm->edtBakPath->clear();
        Frm->edtRecoverFile->clear();
        QTest::mouseClick(Frm->btnBackup, Qt::LeftButton);
        QTest::mouseClick(Frm->btnRecover, Qt::LeftButton);
        QTest::qWait(200);
        QVERIFY(Rec->Messages.isEmpty());
        QVERIFY(!Frm->Maintenance()->Busy());
    }

    void backupNames_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::newRow("no separator") << "/srv/bak" << "/srv/bak/2009-3-5.BAK";
        QTest::newRow("with separator") << "/srv/bak/" << "/srv/bak/2009-3-5.BAK";
        QTest::newRow("chinese") << "/srv/备份" << "/srv/备份/2009-3-5.BAK";
    }

    void backupNames()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QCOMPARE(TMaintenance::BackupFileName(folder, Clock::Today()), name);
        QCOMPARE(TMaintenance::DateText(QDate(2026, 12, 10)), QStringLiteral("2026-12-10"));
    }
};

QTEST_MAIN(TestMaintenance)
#include "tst_maintenance.moc"
