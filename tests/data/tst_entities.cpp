// The nine entity sources against the project's schema: every list opens on its view and
// fills its grid, the employee codes show as names, and the five saving entities save and
// delete through the real procedures, looked at from a second attachment.
#include "clsCommodity.h"
#include "clsContact.h"
#include "clsEmployee.h"
#include "clsRepair.h"
#include "clsSales.h"
#include "clsStock.h"
#include "clsStorage.h"
#include "clsSupplier.h"
#include "clsTool.h"
#include "ListGrid.h"
#include "StringGrid.h"
#include "TestDb.h"
#include "Values.h"

#include <QtTest>

#include <functional>
#include <sys/stat.h>

namespace {

using TFactory = std::function<std::unique_ptr<TData>()>;

template <class T> TFactory Make()
{
    return [] { return std::unique_ptr<TData>(new T); };
}

using TestValues::I;

}   // namespace

Q_DECLARE_METATYPE(TFactory)

class TestEntities : public QObject {
    Q_OBJECT

    QTemporaryDir FDemoDir;
    QString FDemoPath;
    std::unique_ptr<TTestDb> FDb;
    std::unique_ptr<TConPool> FPool;

    // What another workstation would read.
    TFbResult Peek(const QString& sql, const QVector<TFbValue>& params = {})
    {
        TFbConnection other;
        other.Attach(FDb->Location(), TConPool::UserName, TConPool::Password);
        return other.Execute(sql, params);
    }

    qint64 Count(const QString& sql, const QVector<TFbValue>& params = {})
    {
        return Peek(sql, params).At(0, 0).AsInt64();
    }

    TSPResultInfo Run(TData& d, TExecMode mode)
    {
        TStoredProc* sp = FPool->GetStoredProc();
        TSPResultInfo result;
        d.Execute(sp, mode, result);
        FPool->FreeStoredProc(sp);
        return result;
    }

private slots:
    void initTestCase()
    {
        FDb = std::make_unique<TTestDb>();
        QVERIFY2(FDb->Ok(), qPrintable(FDb->Error()));
        FPool = std::make_unique<TConPool>();
        FPool->Open(FDb->Location());

        ::chmod(QFile::encodeName(FDemoDir.path()).constData(), 0777);
        FDemoPath = FDemoDir.filePath(QStringLiteral("DEMO.FDB"));
        QString out;
        QVERIFY2(RunProjectScript(QStringLiteral("newdb"), {FDemoPath, QStringLiteral("--demo"), QStringLiteral("150")},
                                  &out)
                     == 0,
                 qPrintable(out));
    }

    void cleanupTestCase()
    {
        FPool.reset();
        FDb.reset();
    }

    void everyListOpens_data()
    {
        QTest::addColumn<TFactory>("make");
        QTest::addColumn<QString>("baseSql");
        QTest::addColumn<QString>("override");
        QTest::addColumn<int>("columns");
        QTest::newRow("TEmployee") << Make<TEmployee>() << "SELECT * FROM V_EMPLOYEE WHERE EMPLOYEE_NAME <> '管理员'"
                                   << "" << 14;
        QTest::newRow("TRepair") << Make<TRepair>() << "SELECT * FROM V_REPAIR"
                                 << "" << 15;
        QTest::newRow("TSales") << Make<TSales>() << "SELECT * FROM V_SALES_SUMMARY"
                                << "" << 6;
        QTest::newRow("TSupplier") << Make<TSupplier>() << "SELECT * FROM TB_SUPPLIER"
                                   << "" << 7;
        QTest::newRow("TContact customers") << Make<TContact>() << "SELECT * FROM V_CONTACT_C"
                                            << "" << 5;
        QTest::newRow("TContact employees") << Make<TContact>() << "SELECT * FROM V_CONTACT_C"
                                            << "员工通讯录" << 5;
        QTest::newRow("TContact suppliers") << Make<TContact>() << "SELECT * FROM V_CONTACT_C"
                                            << "供应商通讯录" << 5;
        QTest::newRow("TCommodity") << Make<TCommodity>() << "SELECT * FROM V_COMMODITY"
                                    << "" << 4;
        QTest::newRow("TTool") << Make<TTool>() << "SELECT * FROM TB_TOOL"
                               << "" << 8;
        QTest::newRow("TStorage") << Make<TStorage>() << "SELECT * FROM V_STORAGE_SUMMARY"
                                  << "" << 5;
        QTest::newRow("TStock") << Make<TStock>() << "SELECT * FROM V_STOCK"
                                << "" << 7;
    }

    // Each list's columns exist in its view: filling the grid reads every one of them.
    void everyListOpens()
    {
        QFETCH(TFactory, make);
        QFETCH(QString, baseSql);
        QFETCH(QString, override);
        QFETCH(int, columns);
        TConPool pool;
        pool.Open(TTestDb::ServerLocation(FDemoPath));
        TDataSet* set = pool.GetDataSet();
        std::unique_ptr<TData> d = make();
        QCOMPARE(d->ListSQL(), baseSql);
        QCOMPARE(d->Columns.size(), columns);
        QCOMPARE(d->Columns[0].FieldName, QStringLiteral("ID"));
        if (!override.isEmpty())
            QVERIFY(static_cast<TContact*>(d.get())->ChooseBook(override));
        d->SetDataSet(set);
        d->Open();
        QVERIFY(d->TotalCount > 0);
        QCOMPARE(d->PageCount, (d->TotalCount + 99) / 100);
        TStringGrid grid;
        FillGrid(*d, &grid);
        QCOMPARE(grid.ColCount(), columns);
        QCOMPARE(grid.RowCount(), d->PageRecordCount + 1);
        for (int c = 0; c < columns; ++c) {
            QCOMPARE(grid.Cells(c, 0), d->Columns[c].Caption);
            QCOMPARE(grid.ColWidth(c), d->Columns[c].Width);
        }
        QVERIFY(!grid.Cells(0, 1).isEmpty());
        for (int r = 1; r < grid.RowCount(); ++r)
            QVERIFY(grid.Cells(1, r) != QStringLiteral("管理员"));
        d->Close();
        pool.FreeDataSet(set);
    }

    void employeeList()
    {
        FPool->Execute(QStringLiteral("INSERT INTO TB_EMPLOYEE (EMPLOYEE_NAME, SEX, BIRTHDAY, EDUCATION, STATUS, "
                                      "OFFICE_TYPE, POST_ID, DEPARTMENT_ID) "
                                      "VALUES ('李娜', 1, DATE '1990-03-04', 7, 1, 3, 2, 1)"));
        FPool->Execute(QStringLiteral("INSERT INTO TB_EMPLOYEE (EMPLOYEE_NAME, SEX, EDUCATION, STATUS, OFFICE_TYPE) "
                                      "VALUES ('王强', 0, 9, 0, 7)"));
        TDataSet* set = FPool->GetDataSet();
        TEmployee e;
        e.SetDataSet(set);
        // An OR in the filter cannot bring the administrator in.
        e.SetFilter(QStringLiteral("SEX = 1 OR SEX = 0"));
        e.Open();
        QCOMPARE(e.TotalCount, 2);
        TStringGrid grid;
        FillGrid(e, &grid);
        QCOMPARE(grid.RowCount(), 3);
        QCOMPARE(grid.RowTexts(1).mid(0, 11),
                 (QStringList{grid.Cells(0, 1), "李娜", "女", "1990-03-04", "博士生", "", "离职", "", "其他", "维修工",
                              "维修部"}));
        // Codes outside their tables show as their numbers; the empty dates as empty text.
        QCOMPARE(grid.RowTexts(2).mid(1, 10), (QStringList{"王强", "男", "", "9", "", "正常", "", "7", "", ""}));
        e.Close();

        // No records: the empty row stays empty, without code names.
        e.SetFilter(QStringLiteral("ID < 0"));
        e.Open();
        FillGrid(e, &grid);
        QCOMPARE(grid.RowCount(), 2);
        QCOMPARE(grid.RowTexts(1).join(QString()), QString());
        e.Close();
        FPool->FreeDataSet(set);
        FPool->Execute(QStringLiteral("DELETE FROM TB_EMPLOYEE WHERE EMPLOYEE_NAME IN ('李娜', '王强')"));
    }

    void repairSave()
    {
        TRepair r;
        r.SetValue(QStringLiteral("ID"), QStringLiteral("0"));
        r.SetValue(QStringLiteral("CAR_NO"), QStringLiteral("京A'12345"));
        r.SetValue(QStringLiteral("CAR_OWNER"), QStringLiteral("张三"));
        r.SetValue(QStringLiteral("PHONE"), QStringLiteral("13800000000"));
        r.SetValue(QStringLiteral("OIL"), QStringLiteral("abc"));
        r.SetValue(QStringLiteral("EARNEST"), QStringLiteral("100.5"));
        r.SetValue(QStringLiteral("QUOTE"), QStringLiteral("inf"));
        r.SetValue(QStringLiteral("FAULT"), QStringLiteral("刹车异响"));
        r.SetKey(QStringLiteral("OPERATOR_NAME"), QStringLiteral("1"));
        const qint64 before = Count(QStringLiteral("SELECT GEN_ID(GEN_REPAIR_ID, 0) FROM RDB$DATABASE"));
        QVERIFY(Run(r, ExecSave).Success);
        TFbResult row =
            Peek(QStringLiteral("SELECT ID, CAR_NO, OIL, EARNEST, QUOTE, ACCEPTER_ID, OPERATOR_ID, FAULT, IS_PAY "
                                "FROM TB_REPAIR WHERE CAR_OWNER = '张三'"));
        QCOMPARE(row.RowCount(), 1);
        const qint64 id = row.At(0, 0).AsInt64();
        QCOMPARE(id, before + 1);   // the generator's key
        QCOMPARE(row.At(0, 1).AsString(), QStringLiteral("京A12345"));
        QCOMPARE(row.At(0, 2).AsString(), QStringLiteral("0.00"));   // "abc"
        QCOMPARE(row.At(0, 3).AsString(), QStringLiteral("100.50"));
        QCOMPARE(row.At(0, 4).AsString(), QStringLiteral("0.00"));   // not a finite number
        QCOMPARE(row.At(0, 5).AsInt64(), 0);   // no accepter chosen
        QCOMPARE(row.At(0, 6).AsInt64(), 1);
        QCOMPARE(row.At(0, 7).AsString(), QStringLiteral("刹车异响"));

        // Saving again with its key changes that record, in mode 1 as in mode 0.
        r.SetValue(QStringLiteral("ID"), QString::number(id));
        r.SetValue(QStringLiteral("OIL"), QStringLiteral("12.5"));
        QVERIFY(Run(r, TExecMode::Edit).Success);
        QCOMPARE(Count(QStringLiteral("SELECT COUNT(*) FROM TB_REPAIR WHERE CAR_OWNER = '张三'")), 1);
        QCOMPARE(Peek(QStringLiteral("SELECT OIL FROM TB_REPAIR WHERE ID = ?"), {I(id)}).At(0, 0).AsString(),
                 QStringLiteral("12.50"));

        // A key that is no whole number is refused rather than saved as a new record.
        r.Columns[0].Value = QStringLiteral("12x");
        QVERIFY(!Run(r, ExecSave).Success);
        QCOMPARE(Count(QStringLiteral("SELECT COUNT(*) FROM TB_REPAIR WHERE CAR_OWNER = '张三'")), 1);
        // A key that does not exist: the procedure refuses.
        r.SetValue(QStringLiteral("ID"), QStringLiteral("999999"));
        QVERIFY(!Run(r, ExecSave).Success);
    }

    void deleteReferenced()
    {
        TRepair r;
        r.SetValue(QStringLiteral("ID"), QStringLiteral("0"));
        r.SetValue(QStringLiteral("CAR_OWNER"), QStringLiteral("结账客户"));
        r.SetValue(QStringLiteral("PHONE"), QStringLiteral("1"));
        QVERIFY(Run(r, ExecSave).Success);
        const qint64 paid =
            Peek(QStringLiteral("SELECT ID FROM TB_REPAIR WHERE CAR_OWNER = '结账客户'")).At(0, 0).AsInt64();
        r.SetValue(QStringLiteral("CAR_OWNER"), QStringLiteral("散客"));
        QVERIFY(Run(r, ExecSave).Success);
        const qint64 free =
            Peek(QStringLiteral("SELECT ID FROM TB_REPAIR WHERE CAR_OWNER = '散客'")).At(0, 0).AsInt64();
        // The checkout recorded a part of the catalogue for the first order.
        FPool->Execute(QStringLiteral("INSERT INTO TB_COMMODITY (COMMODITY_NAME) VALUES ('结账配件')"));
        const qint64 part =
            Peek(QStringLiteral("SELECT ID FROM TB_COMMODITY WHERE COMMODITY_NAME = '结账配件'")).At(0, 0).AsInt64();
        FPool->Execute(QStringLiteral("INSERT INTO TB_SALES (BILL_NO, COMMODITY_ID, OUT_COUNT, OUT_PRICE, SALES_TYPE) "
                                      "VALUES (1, ?, 1, 10, ?)"),
                       {I(part), I(paid)});
        const qint64 rows = Count(QStringLiteral("SELECT COUNT(*) FROM TB_REPAIR"));

        r.SetValue(QStringLiteral("ID"), QString::number(paid));
        QVERIFY(!Run(r, ExecDelete).Success);
        QCOMPARE(Count(QStringLiteral("SELECT COUNT(*) FROM TB_REPAIR")), rows);
        QCOMPARE(Count(QStringLiteral("SELECT COUNT(*) FROM TB_SALES WHERE SALES_TYPE = ?"), {I(paid)}), 1);

        r.SetValue(QStringLiteral("ID"), QString::number(free));
        QVERIFY(Run(r, ExecDelete).Success);
        QCOMPARE(Count(QStringLiteral("SELECT COUNT(*) FROM TB_REPAIR")), rows - 1);
        QCOMPARE(Count(QStringLiteral("SELECT COUNT(*) FROM TB_REPAIR WHERE ID = ?"), {I(paid)}), 1);
        FPool->Execute(QStringLiteral("DELETE FROM TB_SALES"));
    }

    void saveAndDelete_data()
    {
        QTest::addColumn<TFactory>("make");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("values");   // field=value pairs
        QTest::addColumn<QString>("check");   // SELECT of one value of the saved row
        QTest::addColumn<QString>("expected");
        QTest::newRow("employee")
            << Make<TEmployee>() << "TB_EMPLOYEE"
            << QStringList{"EMPLOYEE_NAME=赵敏",
                           "SEX=1",
                           "BIRTHDAY=1995-07-08",
                           "EDUCATION=5",
                           "STATUS=0",
                           "ENTRY_DATE=",
                           "OFFICE_TYPE=2",
                           "POST_NAME=库管员",
                           "DEPARTMENT_NAME=配件部",
                           "PHONE=139",
                           "ADDRESS=北京",
                           "MEMO=新人"}
            << "SELECT PW || '|' || SEX || '|' || BIRTHDAY || '|' || EDUCATION || '|' || ENTRY_DATE || '|' || "
               "OFFICE_TYPE"
               " || '|' || POST_ID || '|' || DEPARTMENT_ID || '|' || MEMO FROM TB_EMPLOYEE WHERE EMPLOYEE_NAME = '赵敏'"
            << "e10adc3949ba59abbe56e057f20f883e|1|1995-07-08|5|1900-01-01|2|3|2|新人";
        QTest::newRow("supplier")
            << Make<TSupplier>() << "TB_SUPPLIER"
            << QStringList{"SUPPLIER_NAME=华北配件", "CONTACTOR=周", "MAIN_PRODUCT=滤清器", "PHONE=010",
                           "ADDRESS=天津",           "MEMO=m"}
            << "SELECT CONTACTOR || MAIN_PRODUCT || ADDRESS FROM TB_SUPPLIER WHERE SUPPLIER_NAME = '华北配件'"
            << "周滤清器天津";
        QTest::newRow("commodity")
            << Make<TCommodity>() << "TB_COMMODITY"
            << QStringList{"COMMODITY_NAME=火花塞", "UNIT_NAME=只", "STANDARD_NAME=通用"}
            << "SELECT UNIT_NAME || STANDARD_NAME FROM V_COMMODITY WHERE COMMODITY_NAME = '火花塞'"
            << "只通用";
        QTest::newRow("tool, empty buy date")
            << Make<TTool>() << "TB_TOOL"
            << QStringList{"TOOL_NAME=千斤顶", "TOOL_COUNT=2", "BUY_DATE=", "CHECK_DATE=2024-06-30",
                           "MANUFACTURER=世达"}
            << "SELECT TOOL_COUNT || '|' || BUY_DATE || '|' || CHECK_DATE FROM TB_TOOL WHERE TOOL_NAME = '千斤顶'"
            << "2|1900-01-01|2024-06-30";
    }

    void saveAndDelete()
    {
        QFETCH(TFactory, make);
        QFETCH(QString, table);
        QFETCH(QStringList, values);
        QFETCH(QString, check);
        QFETCH(QString, expected);
        std::unique_ptr<TData> d = make();
        // As the record window stores them: 0 for a new record, keys of the chosen lookups.
        d->SetValue(QStringLiteral("ID"), QStringLiteral("0"));
        for (const QString& pair : values) {
            const QString field = pair.section('=', 0, 0), value = pair.section('=', 1);
            d->SetValue(field, value);
            if (field.endsWith(QLatin1String("_NAME")) && field != QLatin1String("EMPLOYEE_NAME")
                && field != QLatin1String("SUPPLIER_NAME") && field != QLatin1String("COMMODITY_NAME")
                && field != QLatin1String("TOOL_NAME")) {
                const QString dict = field.left(field.size() - 5);
                d->SetKey(field,
                          QString::number(Peek(QStringLiteral("SELECT ID FROM TB_%1 WHERE %1_NAME = ?").arg(dict),
                                               {TFbValue::FromText(value)})
                                              .At(0, 0)
                                              .AsInt64()));
            }
        }
        const qint64 before = Count(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table));
        QVERIFY(Run(*d, ExecSave).Success);
        QCOMPARE(Count(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)), before + 1);
        QCOMPARE(Peek(check).At(0, 0).AsString(), expected);

        // The list shows the saved row; an empty date as empty text.
        const qint64 id = Peek(QStringLiteral("SELECT MAX(ID) FROM %1").arg(table)).At(0, 0).AsInt64();
        TDataSet* set = FPool->GetDataSet();
        d->SetDataSet(set);
        d->SetFilter(QStringLiteral("ID = %1").arg(id));
        d->Open();
        QCOMPARE(d->TotalCount, 1);
        if (table == QLatin1String("TB_TOOL"))
            QCOMPARE(d->GetFieldText(QStringLiteral("BUY_DATE")), QString());
        d->Close();
        FPool->FreeDataSet(set);

        d->SetValue(QStringLiteral("ID"), QString::number(id));
        QVERIFY(Run(*d, ExecDelete).Success);
        QCOMPARE(Count(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)), before);
        // Deleting what is gone reports failure.
        QVERIFY(!Run(*d, ExecDelete).Success);
    }

    // Keys above 999999 are carried whole: save and delete act on that record, not on the
    // one whose key is its first six digits.
    void longKeys()
    {
        FPool->Execute(QStringLiteral("INSERT INTO TB_TOOL (ID, TOOL_NAME) VALUES (123456, '短号')"));
        FPool->Execute(QStringLiteral("INSERT INTO TB_TOOL (ID, TOOL_NAME) VALUES (1234567, '长号')"));
        TTool t;
        t.SetValue(QStringLiteral("ID"), QStringLiteral("1234567"));
        t.SetValue(QStringLiteral("TOOL_NAME"), QStringLiteral("长号改"));
        QVERIFY(Run(t, ExecSave).Success);
        QCOMPARE(Peek(QStringLiteral("SELECT TOOL_NAME FROM TB_TOOL WHERE ID = 1234567")).At(0, 0).AsString(),
                 QStringLiteral("长号改"));
        QCOMPARE(Peek(QStringLiteral("SELECT TOOL_NAME FROM TB_TOOL WHERE ID = 123456")).At(0, 0).AsString(),
                 QStringLiteral("短号"));
        QVERIFY(Run(t, ExecDelete).Success);
        QCOMPARE(Count(QStringLiteral("SELECT COUNT(*) FROM TB_TOOL WHERE ID = 1234567")), 0);
        QCOMPARE(Count(QStringLiteral("SELECT COUNT(*) FROM TB_TOOL WHERE ID = 123456")), 1);
        FPool->Execute(QStringLiteral("DELETE FROM TB_TOOL WHERE ID = 123456"));
    }

    void listOnlyEntitiesRunNothing_data()
    {
        QTest::addColumn<TFactory>("make");
        QTest::newRow("TSales") << Make<TSales>();
        QTest::newRow("TContact") << Make<TContact>();
        QTest::newRow("TStorage") << Make<TStorage>();
        QTest::newRow("TStock") << Make<TStock>();
    }

    void listOnlyEntitiesRunNothing()
    {
        QFETCH(TFactory, make);
        std::unique_ptr<TData> d = make();
        d->SetValue(QStringLiteral("ID"), QStringLiteral("1"));
        TStoredProc* sp = FPool->GetStoredProc();
        sp->SetStoredProcName(QStringLiteral("UNTOUCHED"));
        sp->ClearParams();
        for (TExecMode mode : {ExecSave, ExecDelete}) {
            TSPResultInfo result;
            d->Execute(sp, mode, result);
            QVERIFY(!result.Success);
        }
        QCOMPARE(sp->StoredProcName(), QStringLiteral("UNTOUCHED"));
        QVERIFY(sp->Params().empty());
        FPool->FreeStoredProc(sp);
    }
};

QTEST_MAIN(TestEntities)
#include "tst_entities.moc"
