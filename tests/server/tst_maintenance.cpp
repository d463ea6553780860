// Backup and restore driven through the window's buttons against the real database server:
// a restore gives back the rows of the backup, failures are reported as failures, a cut
// backup never replaces the database, the database is shut to workstations while a restore
// runs, and a database still in use is never replaced.
#include "Clock.h"
#include "DbAccount.h"
#include "DbCheck.h"
#include "DbErrors.h"
#include "FbClient.h"
#include "FlatButton.h"
#include "Handshake.h"
#include "LabeledEdit.h"
#include "Main.h"
#include "Maintenance.h"
#include "SchemaUpgrade.h"
#include "ServerRecorder.h"
#include "TestDb.h"

#include <QDir>
#include <QHostAddress>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QtTest>

#include <sys/stat.h>

#include <memory>

namespace {

const char DbaPassword[] = "quillfern";

// The rows and a checksum of a few tables, as isql prints them.
const char ChecksumSql[] = "SELECT COUNT(*), SUM(ID), SUM(CHAR_LENGTH(CAR_NO)), SUM(EARNEST) FROM TB_REPAIR;\n"
                           "SELECT COUNT(*), SUM(ID), SUM(CHAR_LENGTH(CAR_OWNER)) FROM TB_CUSTOMER;\n"
                           "SELECT COUNT(*), SUM(STOCK_COUNT) FROM TB_STOCK;\n"
                           "SELECT COUNT(*), SUM(ID) FROM TB_SALES;\n";

QString Isql(const QString& file, const QByteArray& sql)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("isql-fb"),
            {QStringLiteral("-q"), QStringLiteral("-ch"), QStringLiteral("UTF8"), QStringLiteral("-user"),
             QStringLiteral("SYSDBA"), QStringLiteral("-password"), QLatin1String(DbaPassword),
             TTestDb::ServerLocation(file)});
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

// The rows of one table, as isql prints them.
qint64 Rows(const QString& file, const QString& table)
{
    const QString out = Isql(file, QStringLiteral("SELECT COUNT(*) FROM %1;\n").arg(table).toUtf8());
    const QStringList words = out.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    return words.isEmpty() ? -1 : words.last().toLongLong();
}

// Attaches to location as a workstation does and says how that went.
struct TAttempt {
    bool Attached = false;
    bool Shutdown = false;   // refused with the database's shutdown code
    QString UserText;   // what the workstation tells its user
};

TAttempt Attach(const QString& location)
{
    TAttempt a;
    TFbConnection c;
    try {
        c.Attach(location, DbAccount::UserName(), DbAccount::Password());
        a.Attached = true;
    } catch (const TFbError& e) {
        a.Shutdown = e.HasCode(FbCodes::Shutdown);
        a.UserText = DescribeError(e).Text;
    }
    return a;
}

// Runs sql in file; false when isql reports an error.
bool RunSql(const QString& file, const QByteArray& sql)
{
    return !Isql(file, sql).contains(QLatin1String("SQLSTATE"));
}

}   // namespace

class TestMaintenance : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestDb> Demo;   // made once, copied for every test
    std::unique_ptr<TTestDb> Db;   // the program folder, its DATA/DATA.FDB holding demo data
    std::unique_ptr<TServerRecorder> Rec;
    std::unique_ptr<TfrmHaskett> Frm;

    QString Program() const { return Db->Folder() + QLatin1Char('/'); }
    QString Data() const { return Program() + QStringLiteral("DATA/DATA.FDB"); }
    QStringList DataFiles() const
    {
        return QDir(Program() + QStringLiteral("DATA")).entryList({QStringLiteral("*.FDB")});
    }

    // Our own backup of the program folder's database, made through the window.
    QString MakeBackup(const QString& folderName)
    {
        const QString bak = Program() + folderName;
        OpenToServer(bak);
        Frm->edtBakPath->setText(bak);
        QTest::mouseClick(Frm->btnBackup, Qt::LeftButton);
        if (!WaitForMessage() || Rec->Last() != TMaintenance::BackupOk)
            return QString();
        Rec->Messages.clear();
        return bak + QStringLiteral("/2009-3-5.BAK");
    }

    // A copy of file cut after bytes, readable by the database server.
    QString CutCopy(const QString& file, qint64 bytes)
    {
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            return QString();
        const QString out = Program() + QStringLiteral("cut.BAK");
        QFile f(out);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(in.read(bytes)) != bytes)
            return QString();
        f.close();
        ::chmod(QFile::encodeName(out).constData(), 0666);
        return out;
    }

    // Where a backup's content surely still goes on: the file is filled up to a whole block of
    // 512 bytes with what gbak's buffer held before, zeros in a small backup but old bytes in
    // a larger one, so the content ends somewhere in the last block. A cut before that
    // block's start always takes some of the content.
    static qint64 ContentSize(const QString& file)
    {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            return 0;
        const QByteArray bytes = f.readAll();
        qint64 n = bytes.size();
        while (n > 0 && bytes[n - 1] == 0)
            --n;
        if (bytes.size() % 512 == 0 && bytes.size() > 512)
            n = qMin(n, qint64(bytes.size()) - 512);
        return n;
    }

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
                if (QTest::qWaitFor([&] { return peer.bytesAvailable() > 0; }, 2000)
                    && peer.readAll().startsWith("DBPATH#"))
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
        QVERIFY2(RunProjectScript(QStringLiteral("newdb"),
                                  {Demo->Path(), QStringLiteral("--demo"), QStringLiteral("300")}, &out)
                     == 0,
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

    // At start the server brings an older database up to date, after a backup; a newer one
    // is refused and left as it is, and no workstation is served.
    void startUpgradesOrRefuses_data()
    {
        QTest::addColumn<int>("version");   // 0: newer than the program
        QTest::newRow("version 1") << 1;
        QTest::newRow("one before the newest") << ProgramSchemaVersion() - 1;
        QTest::newRow("newer than the program") << 0;
    }

    void startUpgradesOrRefuses()
    {
        QFETCH(int, version);
        Frm.reset();
        QFile::remove(Data());
        QString out;
        QStringList args{Data(), QStringLiteral("--demo"), QStringLiteral("50")};
        if (version > 0)
            args << QStringLiteral("--version") << QString::number(version);
        QVERIFY2(RunProjectScript(QStringLiteral("newdb"), args, &out) == 0, qPrintable(out));
        if (version == 0)
            QVERIFY(RunSql(Data(),
                           QByteArray("CREATE OR ALTER VIEW V_SCHEMA (VERSION) AS SELECT CAST(")
                               + QByteArray::number(ProgramSchemaVersion() + 1)
                               + " AS INTEGER) FROM RDB$DATABASE;\nCOMMIT;\n"));
        const QString before = Isql(Data(), ChecksumSql);
        Rec->Messages.clear();

        Frm = std::make_unique<TfrmHaskett>(Program());
        const auto versionNow = [this] {
            TFbConnection c;
            c.Attach(Data(), DbAccount::UserName(), DbAccount::Password());
            return SchemaVersion(c);
        };
        if (version == 0) {
            QVERIFY(!Frm->Listening());
            QCOMPARE(Rec->Messages.size(), 1);
            QCOMPARE(Rec->Messages[0].Caption, QStringLiteral("错误"));
            QVERIFY2(Rec->Last().contains(QStringLiteral("比本程序")), qPrintable(Rec->Last()));
            QCOMPARE(versionNow(), ProgramSchemaVersion() + 1);
        } else {
            QVERIFY(!Frm->Listening());   // not before the upgrade is done
            QTRY_VERIFY_WITH_TIMEOUT(Frm->Listening() || !Rec->Messages.isEmpty(), 120000);
            QVERIFY2(Rec->Messages.isEmpty(), qPrintable(Rec->Last()));
            QVERIFY(Frm->Listening());
            QCOMPARE(versionNow(), ProgramSchemaVersion());
            const QFileInfo bak(Program() + QStringLiteral("DATA/BEFORE-UPGRADE/2009-3-5.BAK"));
            QVERIFY(bak.exists() && bak.size() > 0);
        }
        QCOMPARE(Isql(Data(), ChecksumSql), before);
    }

    void backupThenRestoreGivesBackTheRows()
    {
        const QString before = Isql(Data(), ChecksumSql);
        QVERIFY2(before.contains(QLatin1String("300")) && !before.contains(QLatin1String("SQLSTATE")),
                 qPrintable(before));
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
        QVERIFY2(Rec->Last().startsWith(QStringLiteral("数据库恢复成功!\n")), qPrintable(Rec->Last()));
        QCOMPARE(Rec->Messages.last().Icon, Haskett::TMsgIcon::Information);
        QCOMPARE(Isql(Data(), ChecksumSql), before);
        // The message names what came back, table by table.
        for (const auto& [caption, table] :
             {std::pair<QString, QString>{QStringLiteral("员工"), QStringLiteral("TB_EMPLOYEE")},
              {QStringLiteral("维修单"), QStringLiteral("TB_REPAIR")},
              {QStringLiteral("客户"), QStringLiteral("TB_CUSTOMER")},
              {QStringLiteral("库存批次"), QStringLiteral("TB_STOCK")},
              {QStringLiteral("销售明细"), QStringLiteral("TB_SALES")}}) {
            const qint64 rows = Rows(Data(), table);
            QVERIFY(rows > 0);
            QVERIFY2(Rec->Last().contains(QStringLiteral("%1 %2").arg(caption).arg(rows)), qPrintable(Rec->Last()));
        }
        QVERIFY(Rec->Last().contains(QStringLiteral("维修单 300")));
        QVERIFY(Attach(Data()).Attached);
        // The database that was replaced is kept beside it, dated.
        const QStringList kept =
            QDir(Program() + QStringLiteral("DATA")).entryList({QStringLiteral("DATA-2009-3-5-*.FDB")});
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
        QVERIFY(Rec->Last().size()
                > QStringLiteral("备份失败，请检查数据库备份参数！").size());   // the server's own text
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
        workstation.start(QStringLiteral("isql-fb"),
                          {QStringLiteral("-q"), QStringLiteral("-user"), QStringLiteral("SYSDBA"),
                           QStringLiteral("-password"), QLatin1String(DbaPassword), TTestDb::ServerLocation(Data())});
        QVERIFY(workstation.waitForStarted());
        workstation.write("SELECT COUNT(*) FROM TB_REPAIR;\n");
        QVERIFY(QTest::qWaitFor(
            [&] {
                workstation.waitForReadyRead(50);
                return workstation.readAllStandardOutput().contains("300");
            },
            10000));

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
        QVERIFY(QDir(Program() + QStringLiteral("DATA")).entryList({QStringLiteral("*.FDB")})
                == QStringList{QStringLiteral("DATA.FDB")});
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

    void cutBackupKeepsTheDatabase_data()
    {
        // Where the cut falls: offset + share × the backup's content (its zero padding left out).
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<double>("share");
        QTest::newRow("1 KB") << qint64(1024) << 0.0;
        QTest::newRow("100 KB") << qint64(100 * 1024) << 0.0;
        QTest::newRow("middle") << qint64(0) << 0.5;
        QTest::newRow("near the end") << qint64(-100) << 1.0;
        QTest::newRow("one byte short") << qint64(-1) << 1.0;
    }

    void cutBackupKeepsTheDatabase()
    {
        QFETCH(qint64, offset);
        QFETCH(double, share);
        const QString good = MakeBackup(QStringLiteral("bak"));
        QVERIFY(!good.isEmpty());
        const qint64 content = ContentSize(good);
        const qint64 at = offset + qint64(share * double(content));
        QVERIFY2(at > 0 && at < content, qPrintable(QStringLiteral("%1 of %2").arg(at).arg(content)));
        const QString cut = CutCopy(good, at);
        QVERIFY(!cut.isEmpty());
        // Work done since the backup: a swap would lose it.
        QVERIFY(RunSql(Data(), "DELETE FROM TB_CUSTOMER WHERE ID > 10; COMMIT;"));
        const QString before = Isql(Data(), ChecksumSql);

        Frm->edtRecoverFile->setText(cut);
        QTest::mouseClick(Frm->btnRecover, Qt::LeftButton);
        QVERIFY(WaitForMessage());
        QVERIFY2(Rec->Last().startsWith(TMaintenance::RestoreFailed + QLatin1Char('\n')), qPrintable(Rec->Last()));
        QVERIFY2(Rec->Last().size() > TMaintenance::RestoreFailed.size() + 8, qPrintable(Rec->Last()));   // and why
        QCOMPARE(Rec->Messages.last().Icon, Haskett::TMsgIcon::Warning);
        QCOMPARE(Isql(Data(), ChecksumSql), before);
        QCOMPARE(DataFiles(), QStringList{QStringLiteral("DATA.FDB")});   // no partial file, no kept copy
        QVERIFY(!Frm->Maintenance()->LiveShut());
        QVERIFY(Attach(Data()).Attached);
        QVERIFY(Frm->btnRecover->isEnabled());
    }

    void restoreShutsTheDatabaseWhileItRuns_data()
    {
        QTest::addColumn<bool>("good");
        QTest::newRow("good backup") << true;
        QTest::newRow("cut backup") << false;
    }

    void restoreShutsTheDatabaseWhileItRuns()
    {
        QFETCH(bool, good);
        const QString backup = MakeBackup(QStringLiteral("bak"));
        QVERIFY(!backup.isEmpty());
        const QString file = good ? backup : CutCopy(backup, ContentSize(backup) / 2);
        QVERIFY(!file.isEmpty());
        Frm->Handshake()->Fingerprint = [](QString* out) {
            *out = QStringLiteral("own");
            return true;
        };

        Frm->edtRecoverFile->setText(file);
        QTest::mouseClick(Frm->btnRecover, Qt::LeftButton);
        QVERIFY(Frm->Maintenance()->Busy());
        // Right after the start, before the UI thread has heard anything of the service: a
        // workstation attaching over the network is refused with the shutdown code.
        const TAttempt remote = Attach(TTestDb::ServerLocation(Data()));
        QVERIFY(!remote.Attached);
        QVERIFY(remote.Shutdown);
        QVERIFY2(remote.UserText.contains(QStringLiteral("维护")), qPrintable(remote.UserText));
        QVERIFY(Frm->Maintenance()->LiveShut());
        // The plain path a workstation on this machine is given is refused the same way. Tried
        // before any event is handled: a cut backup's restore may end as soon as events run.
        const TAttempt local = Attach(Data());
        QVERIFY(!local.Attached);
        QVERIFY(local.Shutdown);

        // The handshake still answers while the restore runs.
        QTcpSocket peer;
        peer.connectToHost(QHostAddress::LocalHost, quint16(Frm->Handshake()->ServerPort()));
        QVERIFY(peer.waitForConnected(5000));
        peer.write("CHECKIN#OWN");
        QVERIFY(QTest::qWaitFor([&] { return peer.bytesAvailable() > 0; }, 5000));
        QCOMPARE(peer.readAll(), QByteArray("DBPATH#") + Data().toUtf8());

        QVERIFY(WaitForMessage());
        QCOMPARE(Rec->Last().startsWith(TMaintenance::RestoreOk), good);
        QVERIFY(!Frm->Maintenance()->LiveShut());
        // Open again: the new file after a success, the old one after a failure.
        QVERIFY(Attach(TTestDb::ServerLocation(Data())).Attached);
        QVERIFY(Attach(Data()).Attached);
        QCOMPARE(Rows(Data(), QStringLiteral("TB_REPAIR")), qint64(300));
        if (good) {
            // The old database, kept beside the new one, can be opened too.
            const QStringList kept = QDir(Program() + QStringLiteral("DATA")).entryList({QStringLiteral("DATA-*.FDB")});
            QCOMPARE(kept.size(), 1);
            QVERIFY(Attach(Program() + QStringLiteral("DATA/") + kept[0]).Attached);
        }
    }

    void closingDuringARestoreOpensTheDatabase()
    {
        const QString backup = MakeBackup(QStringLiteral("bak"));
        QVERIFY(!backup.isEmpty());
        Frm->edtRecoverFile->setText(backup);
        QTest::mouseClick(Frm->btnRecover, Qt::LeftButton);
        QVERIFY(!Attach(Data()).Attached);
        QVERIFY(Frm->Maintenance()->LiveShut());
        Frm.reset();   // the program ends while its restore runs
        QVERIFY(Attach(Data()).Attached);
        QCOMPARE(Rows(Data(), QStringLiteral("TB_REPAIR")), qint64(300));
    }

    void shutDownIsRefusedWhileAttached()
    {
        // A workstation that attached after the first look: the shutdown itself refuses.
        TFbConnection workstation;
        workstation.Attach(TTestDb::ServerLocation(Data()), DbAccount::UserName(), DbAccount::Password());
        bool inUse = false;
        QString error;
        QVERIFY(!TMaintenance::ShutDown(Data(), &inUse, &error));
        QVERIFY(inUse);
        QVERIFY(!error.isEmpty());
        QVERIFY(Attach(Data()).Attached);
        QCOMPARE(workstation.Execute(QStringLiteral("SELECT COUNT(*) FROM TB_REPAIR")).At(0, 0).AsInt64(), qint64(300));
    }

    void restoreReplacesAnUnusableDatabase_data()
    {
        QTest::addColumn<bool>("present");   // a file that is no database, or none at all
        QTest::newRow("not a database") << true;
        QTest::newRow("missing") << false;
    }

    void restoreReplacesAnUnusableDatabase()
    {
        QFETCH(bool, present);
        const QString backup = MakeBackup(QStringLiteral("bak"));
        QVERIFY(!backup.isEmpty());
        QVERIFY(QFile::remove(Data()));
        if (present) {
            QVERIFY(WriteText(Data(), QStringLiteral("坏了")));
            ::chmod(QFile::encodeName(Data()).constData(), 0666);
        }
        Frm->edtRecoverFile->setText(backup);
        QTest::mouseClick(Frm->btnRecover, Qt::LeftButton);
        QVERIFY(WaitForMessage());
        QVERIFY2(Rec->Last().startsWith(TMaintenance::RestoreOk), qPrintable(Rec->Last()));
        QCOMPARE(Rows(Data(), QStringLiteral("TB_REPAIR")), qint64(300));
        QCOMPARE(DataFiles().size(), present ? 2 : 1);   // the bad file is kept beside it
    }

    void checkDatabase_data()
    {
        QTest::addColumn<QByteArray>("sql");   // what is done to a good database first
        QTest::addColumn<bool>("shut");   // then shut to attachments
        QTest::addColumn<QString>("reason");   // empty: it passes
        QTest::newRow("good") << QByteArray() << false << QString();
        QTest::newRow("no administrator")
            << QByteArray("DELETE FROM TB_EMPLOYEE WHERE EMPLOYEE_NAME = '管理员'; COMMIT;") << false
            << QStringLiteral("管理员");
        QTest::newRow("table missing") << QByteArray("DROP TABLE TB_THEUNIT; COMMIT;") << false
                                       << QStringLiteral("TB_THEUNIT");
        QTest::newRow("shut") << QByteArray() << true << QStringLiteral("无法打开");
    }

    void checkDatabase()
    {
        QFETCH(QByteArray, sql);
        QFETCH(bool, shut);
        QFETCH(QString, reason);
        if (!sql.isEmpty())
            QVERIFY(RunSql(Data(), sql));
        if (shut) {
            bool inUse = true;
            QString error;
            QVERIFY2(TMaintenance::ShutDown(Data(), &inUse, &error), qPrintable(error));
        }
        const TDbCheck check = CheckDatabase(Data());
        if (shut) {
            QString error;
            QVERIFY2(TMaintenance::BringOnline(Data(), &error), qPrintable(error));
        }
        QCOMPARE(check.Ok, reason.isEmpty());
        if (reason.isEmpty()) {
            QCOMPARE(check.Counts.size(), 9);
            QCOMPARE(check.Counts[0].Table, QStringLiteral("TB_EMPLOYEE"));
            QCOMPARE(check.Counts[0].Rows, Rows(Data(), QStringLiteral("TB_EMPLOYEE")));
            QVERIFY(check.CountsText().contains(QStringLiteral("维修单 300")));
        } else {
            QVERIFY2(check.Reason.contains(reason), qPrintable(check.Reason));
        }
    }

    void checkDatabaseOfAFileThatIsNone()
    {
        const QString junk = Program() + QStringLiteral("DATA/junk.FDB");
        QVERIFY(WriteText(junk, QStringLiteral("不是数据库")));
        ::chmod(QFile::encodeName(junk).constData(), 0666);
        const TDbCheck check = CheckDatabase(junk);
        QVERIFY(!check.Ok);
        QVERIFY(!check.Reason.isEmpty());
        QVERIFY(!CheckDatabase(Program() + QStringLiteral("DATA/none.FDB")).Ok);
    }

    void schemaTablesAreTheSchemas()
    {
        // The check's list is made from database/schema.sql at build time.
        const QString schema = ReadText(QStringLiteral(TARNWELL_SOURCE_DIR "/database/schema.sql"));
        QStringList tables;
        const QRegularExpression create(QStringLiteral("^\\s*CREATE\\s+TABLE\\s+\"?(\\w+)"),
                                        QRegularExpression::MultilineOption
                                            | QRegularExpression::CaseInsensitiveOption);
        for (auto it = create.globalMatch(schema); it.hasNext();)
            tables << it.next().captured(1).toUpper();
        QVERIFY(tables.contains(QStringLiteral("TB_EMPLOYEE")));
        QCOMPARE(SchemaTables(), tables);
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
        QTest::newRow("no separator") << "/srv/bak"
                                      << "/srv/bak/2009-3-5.BAK";
        QTest::newRow("with separator") << "/srv/bak/"
                                        << "/srv/bak/2009-3-5.BAK";
        QTest::newRow("chinese") << "/srv/备份"
                                 << "/srv/备份/2009-3-5.BAK";
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
