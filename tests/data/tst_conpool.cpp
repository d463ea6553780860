// The connection pool against a real Firebird server: slots, transactions, auto-commit,
// read-committed visibility, exact money, GBK text and errors that keep their codes.
#include "ConPool.h"
#include "Gbk.h"
#include "TestDb.h"

#include <QDeadlineTimer>
#include <QtTest>

#include <future>

#include <chrono>
#include <thread>

class TestConPool : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TTestDb> FDb;

    // A second attachment, as another workstation would have.
    TFbResult Peek(const QString& sql, const QVector<TFbValue>& params = {})
    {
        TFbConnection other;
        other.Attach(FDb->Location(), TConPool::UserName, TConPool::Password);
        return other.Execute(sql, params);
    }

private slots:
    void initTestCase()
    {
        FDb = std::make_unique<TTestDb>();
        QVERIFY2(FDb->Ok(), qPrintable(FDb->Error()));
        // A part of the catalogue for the cases' own lots: the database refuses lots of none.
        TConPool pool;
        pool.Open(FDb->Location());
        pool.Execute(QStringLiteral("INSERT INTO TB_COMMODITY (COMMODITY_NAME) VALUES ('测试配件')"));
    }

    void plainPathGoesThroughTheServer()
    {
        // The form a workstation on the server machine is told. An engine inside the
        // workstation would have no remote protocol; the server's attachments do.
        TFbConnection local;
        local.Attach(FDb->Path(), TConPool::UserName, TConPool::Password);
        const TFbResult r = local.Execute(QStringLiteral(
            "SELECT MON$REMOTE_PROTOCOL FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = CURRENT_CONNECTION"));
        QCOMPARE(r.Cells.size(), size_t(1));
        QVERIFY2(!r.Cells[0].IsNull() && !r.Cells[0].AsString().trimmed().isEmpty(), "attached by an embedded engine");
    }

    void slotsBeforeOpen()
    {
        TConPool pool;
        QCOMPARE(pool.Count(), InitialSlotCount);
        QVERIFY(!pool.Connected());
        // No usable data set before a successful Open.
        QCOMPARE(pool.GetDataSet(), nullptr);
    }

    void slotAlgorithm()
    {
        TConPool pool;
        pool.Open(FDb->Location());
        QVERIFY(pool.Connected());
        QCOMPARE(pool.Count(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(pool.Slot(i).Index, i);
            QCOMPARE(pool.Slot(i).TransDesc.TransactionID, quint32(i + 1));
            QVERIFY(!pool.Slot(i).InUse);
        }

        // One borrowed and handed back: all three slots go, the next borrow makes slot 0 anew.
        TDataSet* a = pool.GetDataSet();
        QVERIFY(a);
        QCOMPARE(a, pool.Slot(0).DataSet.get());
        pool.FreeDataSet(a);
        QCOMPARE(pool.Count(), 0);
        TDataSet* s0 = pool.GetDataSet();
        QCOMPARE(pool.Count(), 1);
        QCOMPARE(s0, pool.Slot(0).DataSet.get());
        QCOMPARE(pool.Slot(0).TransDesc.TransactionID, 1u);

        // Slot 0 held (the shown list), slot 1 borrowed and handed back: only slot 1 goes.
        TDataSet* s1 = pool.GetDataSet();
        QCOMPARE(pool.Count(), 2);
        pool.FreeDataSet(s1);
        QCOMPARE(pool.Count(), 1);
        QVERIFY(pool.Slot(0).InUse);

        // Slots 0 and 2 held, 1 free: the next borrow reuses slot 1 without growing.
        s1 = pool.GetDataSet();
        TDataSet* s2 = pool.GetDataSet();
        QCOMPARE(pool.Count(), 3);
        pool.FreeDataSet(s1);
        QCOMPARE(pool.Count(), 3);   // slot 2 is still held
        QVERIFY(!pool.Slot(1).InUse);
        TDataSet* again = pool.GetDataSet();
        QCOMPARE(again, pool.Slot(1).DataSet.get());
        QCOMPARE(pool.Count(), 3);

        // Handing back something the pool does not own changes nothing but still shrinks.
        TDataSet stranger(&pool);
        pool.FreeDataSet(&stranger);
        QCOMPARE(pool.Count(), 3);
        pool.FreeDataSet(s2);
        QCOMPARE(pool.Count(), 2);
        pool.FreeDataSet(again);
        pool.FreeDataSet(s0);
        QCOMPARE(pool.Count(), 0);
    }

    void borrowedDataSetIsClosed()
    {
        TConPool pool;
        pool.Open(FDb->Location());
        TDataSet* ds = pool.GetDataSet();
        ds->SetCommandText(QStringLiteral("SELECT ID FROM TB_EMPLOYEE"));
        ds->Open();
        QVERIFY(ds->Active());
        pool.FreeDataSet(ds);
        // Handing the only borrowed set back empties the pool and destroys it: not read again.
        QCOMPARE(pool.Count(), 0);
        TDataSet* next = pool.GetDataSet();
        QVERIFY(!next->Active());
        pool.FreeDataSet(next);
    }

    void secondOpenAfterFailedOne()
    {
        TConPool pool;
        bool failed = false;
        try {
            pool.Open(QStringLiteral("127.0.0.1:/nonexistent/folder/NOPE.FDB"));
        } catch (const TFbError& e) {
            failed = true;
            QVERIFY(e.GdsCode() != 0);
            QVERIFY(!e.Text().isEmpty());
        }
        QVERIFY(failed);
        QVERIFY(!pool.Connected());
        QCOMPARE(pool.Count(), 3);
        pool.Open(FDb->Location());
        QVERIFY(pool.Connected());
        QCOMPARE(pool.Count(), 3);
        QVERIFY(pool.Slot(2).DataSet);
    }

    void sharedObjects()
    {
        TConPool pool;
        pool.Open(FDb->Location());
        TSQLQuery* q = pool.GetQuery();
        QCOMPARE(pool.GetQuery(), q);   // one shared statement
        q->SetSQL(QStringLiteral("SELECT ID FROM TB_EMPLOYEE"));
        q->Open();
        QVERIFY(q->Active());
        TStoredProc* sp = pool.GetStoredProc();
        pool.FreeQuery(sp);   // the argument is not examined
        QVERIFY(!q->Active());
        QVERIFY(pool.GetQuery()->CommandText().isEmpty());
    }

    void transactionNumbers()
    {
        TConPool pool;
        pool.Open(FDb->Location());
        TDataSet* a = pool.GetDataSet();
        pool.FreeDataSet(a);   // all slots gone
        a = pool.GetDataSet();
        TDataSet* b = pool.GetDataSet();
        QCOMPARE(pool.Count(), 2);
        TSQLQuery* q = pool.GetQuery();
        pool.StartTransaction(q);
        QCOMPARE(pool.ActiveTransactionID(), 3u);   // slots + 1
        // Only one explicit transaction at a time.
        QVERIFY_THROWS_EXCEPTION(TFbError, pool.StartTransaction(b));
        pool.Rollback(q);
        QVERIFY(!pool.InTransaction());
        pool.StartTransaction(b);
        QCOMPARE(pool.ActiveTransactionID(), 2u);
        pool.Commit(b);
        QVERIFY_THROWS_EXCEPTION(TFbError, pool.Commit(b));   // none active
        QVERIFY_THROWS_EXCEPTION(TFbError, pool.Rollback(a));
        // The executor and foreign objects have no effect.
        pool.StartTransaction(pool.GetStoredProc());
        TDataSet stranger(&pool);
        pool.StartTransaction(&stranger);
        QVERIFY(!pool.InTransaction());
        pool.FreeDataSet(a);
        pool.FreeDataSet(b);
    }

    void explicitTransactionRollsBackEverything()
    {
        TConPool pool;
        pool.Open(FDb->Location());
        TDataSet* ds = pool.GetDataSet();
        TSQLQuery* q = pool.GetQuery();
        pool.StartTransaction(ds);
        q->SetSQL(QStringLiteral("INSERT INTO TB_TOOL (TOOL_NAME, TOOL_COUNT) VALUES (?, ?)"));
        q->SetParams({TFbValue::FromText(QStringLiteral("扭力扳手")), TFbValue::FromInt(2)});
        q->ExecSQL();
        // Not visible to another attachment until committed.
        QCOMPARE(Peek(QStringLiteral("SELECT COUNT(*) FROM TB_TOOL WHERE TOOL_NAME = '扭力扳手'")).At(0, 0).AsInt64(),
                 0);
        pool.Rollback(ds);
        QCOMPARE(Peek(QStringLiteral("SELECT COUNT(*) FROM TB_TOOL WHERE TOOL_NAME = '扭力扳手'")).At(0, 0).AsInt64(),
                 0);
        pool.FreeDataSet(ds);
    }

    void autoCommit()
    {
        TConPool pool;
        pool.Open(FDb->Location());
        TDataSet* ds = pool.GetDataSet();
        ds->SetCommandText(QStringLiteral("SELECT CURRENT_CONNECTION FROM RDB$DATABASE"));
        ds->Open();
        const qint64 me = ds->FieldByName(QStringLiteral("CURRENT_CONNECTION")).AsInt64();

        // A procedure's change is visible to a second attachment as soon as the call returns.
        TStoredProc* sp = pool.GetStoredProc();
        sp->SetStoredProcName(QStringLiteral("SP_UD_SUPPLIER"));
        sp->ClearParams();
        sp->CreateParam(TFieldType::ftInteger, QStringLiteral("ID"), TParamType::ptInput).SetAsInteger(0);
        for (const char* name : {"SUPPLIER_NAME", "CONTACTOR", "MAIN_PRODUCT", "PHONE", "ADDRESS", "MEMO"})
            sp->CreateParam(TFieldType::ftString, QLatin1String(name), TParamType::ptInput)
                .SetAsString(QStringLiteral("自动提交"));
        sp->CreateParam(TFieldType::ftInteger, QStringLiteral("SUCESS"), TParamType::ptOutput);
        sp->Prepare();
        sp->ExecProc();
        const int id = sp->ParamByName(QStringLiteral("SUCESS")).AsInteger();
        QVERIFY(id > 0);
        pool.FreeStoredProc(sp);
        QCOMPARE(Peek(QStringLiteral("SELECT SUPPLIER_NAME FROM TB_SUPPLIER WHERE ID = ?"), {TFbValue::FromInt(id)})
                     .At(0, 0)
                     .AsString(),
                 QStringLiteral("自动提交"));

        // A cached data set leaves no transaction open behind it.
        ds->SetCommandText(QStringLiteral("SELECT * FROM TB_SUPPLIER"));
        ds->Open();
        QVERIFY(ds->RecordCount() >= 1);
        const TFbResult open = Peek(QStringLiteral("SELECT COUNT(*) FROM MON$TRANSACTIONS WHERE MON$ATTACHMENT_ID = ?"),
                                    {TFbValue::FromInt(me)});
        QCOMPARE(open.At(0, 0).AsInt64(), 0);
        pool.FreeDataSet(ds);
    }

    void readCommitted()
    {
        TConPool pool;
        pool.Open(FDb->Location());
        TSQLQuery* q = pool.GetQuery();
        pool.StartTransaction(q);
        q->SetSQL(QStringLiteral("SELECT COUNT(*) FROM TB_TOOL WHERE TOOL_NAME = ?"));
        q->SetParams({TFbValue::FromText(QStringLiteral("千斤顶"))});
        q->Open();
        QCOMPARE(q->FieldByName(QStringLiteral("COUNT")).AsInteger(), 0);
        // Another attachment commits while ours is open …
        {
            TFbConnection other;
            other.Attach(FDb->Location(), TConPool::UserName, TConPool::Password);
            other.Execute(QStringLiteral("INSERT INTO TB_TOOL (TOOL_NAME) VALUES (?)"),
                          {TFbValue::FromText(QStringLiteral("千斤顶"))});
        }
        // … and our next statement in the same transaction sees it.
        q->Open();
        QCOMPARE(q->FieldByName(QStringLiteral("COUNT")).AsInteger(), 1);
        pool.Commit(q);
    }

    void moneyIsExact()
    {
        TConPool pool;
        pool.Open(FDb->Location());
        TSQLQuery* q = pool.GetQuery();
        TFbValue a, b;
        QVERIFY(TFbValue::ParseDecimal(QStringLiteral("0.1"), &a));
        QVERIFY(TFbValue::ParseDecimal(QStringLiteral("0.2"), &b));
        q->SetSQL(QStringLiteral(
            "INSERT INTO TB_REPAIR (CAR_OWNER, EARNEST, QUOTE, PAID) VALUES ('钱', ?, ?, ? + ?) RETURNING ID"));
        TFbValue big;
        QVERIFY(TFbValue::ParseDecimal(QStringLiteral("9999999999999.99"), &big));
        q->SetParams({a, big, a, b});
        q->Open();
        const qint64 id = q->FieldByName(QStringLiteral("ID")).AsInt64();
        const TFbResult r =
            Peek(QStringLiteral("SELECT EARNEST, QUOTE, PAID FROM TB_REPAIR WHERE ID = ?"), {TFbValue::FromInt(id)});
        QCOMPARE(r.At(0, 0).AsString(), QStringLiteral("0.10"));
        QCOMPARE(r.At(0, 1).AsString(), QStringLiteral("9999999999999.99"));
        QCOMPARE(r.At(0, 2).AsString(), QStringLiteral("0.30"));
        QCOMPARE(r.Columns[2].Type, TFbType::Decimal);
    }

    void decimalText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << "350" << true << "350";
        QTest::newRow("cents") << "12.30" << true << "12.30";
        QTest::newRow("negative") << "-0.05" << true << "-0.05";
        QTest::newRow("blanks") << " 7.5 " << true << "7.5";
        QTest::newRow("leading point") << ".5" << true << "0.5";
        QTest::newRow("letters") << "abc" << false << "";
        QTest::newRow("empty") << "" << false << "";
        QTest::newRow("two points") << "1.2.3" << false << "";
        QTest::newRow("separator") << "1,200" << false << "";
        QTest::newRow("too many digits") << "1234567890123456789" << false << "";
    }

    void decimalText()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QString, shown);
        TFbValue v;
        QCOMPARE(TFbValue::ParseDecimal(text, &v), ok);
        if (ok)
            QCOMPARE(v.AsString(), shown);
    }

    void gbkText()
    {
        TConPool pool;
        pool.Open(FDb->Location());
        const QString name = QStringLiteral("欧阳诸葛司马上官东方皇甫尉迟公羊");   // 16 characters
        QCOMPARE(name.size(), 16);
        QCOMPARE(Gbk::ByteLength(name), 32);
        TSQLQuery* q = pool.GetQuery();
        q->SetSQL(QStringLiteral("INSERT INTO TB_REPAIR (CAR_OWNER) VALUES (?) RETURNING ID"));
        q->SetParams({TFbValue::FromText(name)});
        q->Open();
        const qint64 id = q->FieldByName(QStringLiteral("ID")).AsInt64();
        QCOMPARE(Peek(QStringLiteral("SELECT CAR_OWNER FROM TB_REPAIR WHERE ID = ?"), {TFbValue::FromInt(id)})
                     .At(0, 0)
                     .AsString(),
                 name);
        // Stored as GBK: the column's octet length counts two bytes a character.
        QCOMPARE(Peek(QStringLiteral("SELECT OCTET_LENGTH(CAR_OWNER) FROM TB_REPAIR WHERE ID = ?"),
                      {TFbValue::FromInt(id)})
                     .At(0, 0)
                     .AsInt64(),
                 32);
        // One character more does not fit and is refused, not cut.
        q->SetParams({TFbValue::FromText(name + QStringLiteral("甲"))});
        QVERIFY_THROWS_EXCEPTION(TFbError, q->Open());
    }

    void gbkCut_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<QString>("cut");
        QTest::newRow("fits") << "abc" << 16 << "abc";
        QTest::newRow("latin") << "abcdefghijklmnopqrst" << 16 << "abcdefghijklmnop";
        QTest::newRow("chinese even") << "一二三四五六七八九" << 16 << "一二三四五六七八";
        QTest::newRow("never half a character") << "a一二三四五六七八" << 16 << "a一二三四五六七";
        QTest::newRow("zero") << "一" << 0 << "";
        QTest::newRow("one byte for a character") << "一" << 1 << "";
    }

    void gbkCut()
    {
        QFETCH(QString, text);
        QFETCH(int, bytes);
        QFETCH(QString, cut);
        QCOMPARE(Gbk::CutToBytes(text, bytes), cut);
        QVERIFY(Gbk::ByteLength(Gbk::CutToBytes(text, bytes)) <= bytes);
    }

    void errorsKeepCodes()
    {
        TConPool pool;
        pool.Open(FDb->Location());
        TSQLQuery* q = pool.GetQuery();
        q->SetSQL(QStringLiteral("SELEKT * FROM TB_TOOL"));
        try {
            q->Open();
            QFAIL("a syntax error must raise");
        } catch (const TFbError& e) {
            QCOMPARE(e.SqlCode(), -104);
            QVERIFY2(e.Text().contains(QLatin1String("Token unknown")), qPrintable(e.Text()));
        }
        // A lot's count never falls below zero: the database refuses it with its own code.
        pool.Execute(QStringLiteral("INSERT INTO TB_STOCK (COMMODITY_ID, STOCK_COUNT) VALUES ((SELECT MIN(ID) FROM TB_COMMODITY), 2)"));
        try {
            pool.Execute(QStringLiteral("UPDATE TB_STOCK SET STOCK_COUNT = STOCK_COUNT - 3"));
            QFAIL("a negative stock count must be refused");
        } catch (const TFbError& e) {
            QVERIFY(e.HasCode(FbCodes::CheckConstraint));
        }
        QCOMPARE(Peek(QStringLiteral("SELECT MIN(STOCK_COUNT) FROM TB_STOCK")).At(0, 0).AsInt64(), 2);
        // A failed statement in auto-commit leaves the pool usable.
        QVERIFY(!pool.InTransaction());
        QCOMPARE(pool.Execute(QStringLiteral("SELECT 1 FROM RDB$DATABASE")).RowCount(), 1);
    }

    void runInTransactionRetriesConflicts()
    {
        TConPool pool;
        pool.Open(FDb->Location());
        const qint64 id =
            pool.Execute(QStringLiteral("INSERT INTO TB_TOOL (TOOL_NAME, TOOL_COUNT) VALUES ('冲突', 0) RETURNING ID"))
                .At(0, 0)
                .AsInt64();
        const qint64 me =
            pool.Execute(QStringLiteral("SELECT CURRENT_CONNECTION FROM RDB$DATABASE")).At(0, 0).AsInt64();
        int attempts = 0;
        pool.RunInTransaction([&] {
            ++attempts;
            if (attempts == 1) {
                // Another workstation changes the row and commits only once ours waits for the
                // lock: then ours meets the update conflict and the whole unit runs again.
                std::promise<void> changed;
                std::string otherError;
                std::thread other([&, id] {
                    try {
                        TFbConnection c;
                        c.Attach(FDb->Location(), TConPool::UserName, TConPool::Password);
                        TFbTransaction t(c);
                        c.Execute(QStringLiteral("UPDATE TB_TOOL SET TOOL_COUNT = TOOL_COUNT + 10 WHERE ID = ?"),
                                  {TFbValue::FromInt(id)}, &t);
                        changed.set_value();
                        TFbConnection watch;
                        watch.Attach(FDb->Location(), TConPool::UserName, TConPool::Password);
                        const QString waiting = QStringLiteral(
                            "SELECT COUNT(*) FROM MON$STATEMENTS WHERE MON$ATTACHMENT_ID = ? AND MON$STATE = 1 "
                            "AND MON$SQL_TEXT CONTAINING 'UPDATE TB_TOOL'");
                        QDeadlineTimer deadline(20000);
                        while (watch.Execute(waiting, {TFbValue::FromInt(me)}).At(0, 0).AsInt64() == 0
                               && !deadline.hasExpired())
                            std::this_thread::yield();
                        t.Commit();
                    } catch (const std::exception& e) {
                        otherError = e.what();   // never out of the thread
                        try {
                            changed.set_value();
                        } catch (...) {
                        }
                    }
                });
                struct TJoin {
                    std::thread& t;
                    ~TJoin() { t.join(); }
                } join{other};
                changed.get_future().wait();
                QVERIFY2(otherError.empty(), otherError.c_str());
                pool.Execute(QStringLiteral("UPDATE TB_TOOL SET TOOL_COUNT = TOOL_COUNT + 1 WHERE ID = ?"),
                             {TFbValue::FromInt(id)});
            } else {
                pool.Execute(QStringLiteral("UPDATE TB_TOOL SET TOOL_COUNT = TOOL_COUNT + 1 WHERE ID = ?"),
                             {TFbValue::FromInt(id)});
            }
        });
        QCOMPARE(attempts, 2);
        QCOMPARE(Peek(QStringLiteral("SELECT TOOL_COUNT FROM TB_TOOL WHERE ID = ?"), {TFbValue::FromInt(id)})
                     .At(0, 0)
                     .AsInt64(),
                 11);

        // Any other error rolls the whole unit back and is passed on at once. The lot is this
        // case's own, so that the refused update has a row to refuse.
        pool.Execute(QStringLiteral("INSERT INTO TB_STOCK (COMMODITY_ID, STOCK_COUNT) VALUES ((SELECT MIN(ID) FROM TB_COMMODITY), 5)"));
        attempts = 0;
        QVERIFY_THROWS_EXCEPTION(TFbError, pool.RunInTransaction([&] {
            ++attempts;
            pool.Execute(QStringLiteral("UPDATE TB_TOOL SET TOOL_COUNT = 99 WHERE ID = ?"), {TFbValue::FromInt(id)});
            pool.Execute(QStringLiteral("UPDATE TB_STOCK SET STOCK_COUNT = -1"));
        }));
        QCOMPARE(attempts, 1);
        QCOMPARE(Peek(QStringLiteral("SELECT TOOL_COUNT FROM TB_TOOL WHERE ID = ?"), {TFbValue::FromInt(id)})
                     .At(0, 0)
                     .AsInt64(),
                 11);
        QVERIFY(!pool.InTransaction());
    }

    // A unit prepares a repeated statement once and runs it with each line's own values; nothing
    // stays prepared after the unit, so the table can be changed right after it.
    void unitKeepsRepeatedStatementsForItsOwnTime()
    {
        TConPool pool;
        pool.Open(FDb->Location());
        const QString insert = QStringLiteral("INSERT INTO TB_TOOL (TOOL_NAME, TOOL_COUNT) VALUES (?, ?) RETURNING ID");
        QVector<qint64> ids;
        int keptInside = -1;
        pool.RunInTransaction([&] {
            for (int k = 1; k <= 3; ++k)
                ids << pool.Execute(insert, {TFbValue::FromText(QStringLiteral("扳手%1").arg(k)), TFbValue::FromInt(k)})
                           .At(0, 0)
                           .AsInt64();
            pool.Execute(QStringLiteral("SELECT COUNT(*) FROM TB_TOOL"));
            keptInside = pool.Connection().KeptStatements();
        });
        QCOMPARE(keptInside, 2);
        QCOMPARE(pool.Connection().KeptStatements(), 0);
        QCOMPARE(ids.size(), 3);
        for (int k = 0; k < 3; ++k) {
            const TFbResult r =
                Peek(QStringLiteral("SELECT TOOL_NAME, TOOL_COUNT FROM TB_TOOL WHERE ID = ?"), {TFbValue::FromInt(ids[k])});
            QCOMPARE(r.At(0, 0).AsString(), QStringLiteral("扳手%1").arg(k + 1));
            QCOMPARE(r.At(0, 1).AsInt64(), qint64(k + 1));
        }
        pool.Execute(QStringLiteral("ALTER TABLE TB_TOOL ADD KEPT_PROBE INTEGER"));
        pool.Execute(QStringLiteral("ALTER TABLE TB_TOOL DROP KEPT_PROBE"));
        // Outside a unit nothing is kept.
        pool.Execute(insert, {TFbValue::FromText(QStringLiteral("钳子")), TFbValue::FromInt(1)});
        QCOMPARE(pool.Connection().KeptStatements(), 0);
    }

    // An attachment lost between units shows first when the next transaction starts; the unit
    // fails whole and the one after it attaches again, in either kind of transaction.
    void lostAttachmentAtATransactionsStart_data()
    {
        QTest::addColumn<bool>("explicitTransaction");
        QTest::newRow("RunInTransaction") << false;
        QTest::newRow("StartTransaction") << true;
    }

    void lostAttachmentAtATransactionsStart()
    {
        QFETCH(bool, explicitTransaction);
        TConPool pool;
        pool.Open(FDb->Location());
        TDataSet* ds = pool.GetDataSet();
        const auto unit = [&] {
            if (explicitTransaction) {
                pool.StartTransaction(ds);
                pool.Execute(QStringLiteral("INSERT INTO TB_TOOL (TOOL_NAME, TOOL_COUNT) VALUES ('重连', 1)"));
                pool.Commit(ds);
            } else {
                pool.RunInTransaction([&] {
                    pool.Execute(QStringLiteral("INSERT INTO TB_TOOL (TOOL_NAME, TOOL_COUNT) VALUES ('重连', 1)"));
                });
            }
        };
        const qint64 before = Peek(QStringLiteral("SELECT COUNT(*) FROM TB_TOOL WHERE TOOL_NAME = '重连'")).At(0, 0).AsInt64();
        const qint64 me =
            pool.Execute(QStringLiteral("SELECT CURRENT_CONNECTION FROM RDB$DATABASE")).At(0, 0).AsInt64();
        Peek(QStringLiteral("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = ?"), {TFbValue::FromInt(me)});
        bool lost = false;
        try {
            unit();
        } catch (const TFbError& e) {
            lost = e.IsConnectionLost();
        }
        QVERIFY(lost);
        QVERIFY(!pool.InTransaction());
        unit();
        QCOMPARE(Peek(QStringLiteral("SELECT COUNT(*) FROM TB_TOOL WHERE TOOL_NAME = '重连'")).At(0, 0).AsInt64(),
                 before + 1);
        QVERIFY(pool.Execute(QStringLiteral("SELECT CURRENT_CONNECTION FROM RDB$DATABASE")).At(0, 0).AsInt64() != me);
        pool.FreeDataSet(ds);
    }

    void closeDetaches()
    {
        TConPool pool;
        pool.Open(FDb->Location());
        TDataSet* ds = pool.GetDataSet();
        ds->SetCommandText(QStringLiteral("SELECT ID FROM TB_EMPLOYEE"));
        ds->Open();
        pool.Close();
        QVERIFY(!pool.Connected());
        QVERIFY(!ds->Active());
        QCOMPARE(pool.Count(), 3);   // slots and objects stay allocated
        QVERIFY_THROWS_EXCEPTION(TFbError, ds->Open());
    }
};

QTEST_GUILESS_MAIN(TestConPool)
#include "tst_conpool.moc"
