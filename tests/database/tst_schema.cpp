// The project's own database: seed, keys from sequences, the save and delete procedures'
// rules, the views the lists read, and the newdb script.
#include "ConPool.h"
#include "TestDb.h"
#include "Values.h"

#include <QCryptographicHash>
#include <QtTest>

#include <sys/stat.h>

namespace {

struct TArg {
    const char* Name;
    TFbValue Value;
};

using TestValues::D;
using TestValues::I;
using TestValues::T;
TFbValue Day(int y, int m, int d)
{
    return TFbValue::FromDate(QDate(y, m, d));
}

const QString DefaultDigest = QStringLiteral("e10adc3949ba59abbe56e057f20f883e");   // 123456

}   // namespace

class TestSchema : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestDb> FDb;
    std::unique_ptr<TConPool> FPool;

    // Calls a procedure through the shared executor and answers its SUCESS.
    int Call(const QString& name, const QList<TArg>& args)
    {
        TStoredProc* sp = FPool->GetStoredProc();
        sp->SetStoredProcName(name);
        sp->ClearParams();
        for (const TArg& a : args)
            sp->CreateParam(TFieldType::ftUnknown, QLatin1String(a.Name), TParamType::ptInput).Value = a.Value;
        sp->CreateParam(TFieldType::ftInteger, QStringLiteral("SUCESS"), TParamType::ptOutput);
        sp->Prepare();
        sp->ExecProc();
        const int r = sp->ParamByName(QStringLiteral("SUCESS")).AsInteger();
        FPool->FreeStoredProc(sp);
        return r;
    }

    qint64 Scalar(const QString& sql, const QVector<TFbValue>& params = {})
    {
        return FPool->Execute(sql, params).At(0, 0).AsInt64();
    }

    QList<TArg> Employee(qint64 id, const QString& name, const QString& pw)
    {
        return {{"ID", I(id)},
                {"EMPLOYEE_NAME", T(name)},
                {"PW", T(pw)},
                {"SEX", I(1)},
                {"BIRTHDAY", Day(1990, 5, 1)},
                {"EDUCATION", I(4)},
                {"ID_CODE", T(QStringLiteral("110101199005010011"))},
                {"STATUS", I(0)},
                {"ENTRY_DATE", Day(2020, 3, 1)},
                {"OFFICE_TYPE", I(0)},
                {"POST_ID", I(2)},
                {"DEPARTMENT_ID", I(1)},
                {"MEMO", T(QString())},
                {"PHONE", T(QStringLiteral("13800000000"))},
                {"ADDRESS", T(QStringLiteral("北京市朝阳区"))}};
    }

    QList<TArg> Repair(qint64 id, const QString& owner, qint64 accepter, qint64 op)
    {
        return {{"ID", I(id)},
                {"CAR_NO", T(QStringLiteral("京A12345"))},
                {"CAR_OWNER", T(owner)},
                {"PHONE", T(QStringLiteral("13900000000"))},
                {"ADDRESS", T(QStringLiteral("海淀区"))},
                {"OIL", D("12.5")},
                {"FAULT", T(QStringLiteral("刹车异响"))},
                {"EARNEST", D("100.10")},
                {"QUOTE", D("350.20")},
                {"ACCEPTER_ID", I(accepter)},
                {"OPERATOR_ID", I(op)},
                {"MEMO", T(QString())}};
    }

    QList<TArg> Supplier(qint64 id, const QString& name)
    {
        return {{"ID", I(id)},
                {"SUPPLIER_NAME", T(name)},
                {"CONTACTOR", T(QStringLiteral("王经理"))},
                {"MAIN_PRODUCT", T(QStringLiteral("滤清器"))},
                {"PHONE", T(QStringLiteral("010-88886666"))},
                {"ADDRESS", T(QStringLiteral("丰台区"))},
                {"MEMO", T(QString())}};
    }

    QList<TArg> Commodity(qint64 id, const QString& name)
    {
        return {{"ID", I(id)}, {"COMMODITY_NAME", T(name)}, {"UNIT_ID", I(1)}, {"STANDARD_ID", I(2)}};
    }

    QList<TArg> Tool(qint64 id, const QString& name)
    {
        return {{"ID", I(id)},
                {"TOOL_NAME", T(name)},
                {"TOOL_COUNT", I(3)},
                {"BUY_DATE", Day(1900, 1, 1)},
                {"CHECK_DATE", Day(2024, 6, 30)},
                {"MANUFACTURER", T(QStringLiteral("世达"))},
                {"AFTERMARKET_PHONE", T(QStringLiteral("400-000-0000"))},
                {"MEMO", T(QString())}};
    }

private slots:
    void init()
    {
        FDb = std::make_unique<TTestDb>();
        QVERIFY2(FDb->Ok(), qPrintable(FDb->Error()));
        FPool = std::make_unique<TConPool>();
        FPool->Open(FDb->Location());
    }

    void cleanup()
    {
        FPool.reset();
        FDb.reset();
    }

    void seed()
    {
        const TFbResult admin =
            FPool->Execute(QStringLiteral("SELECT ID, PW, STATUS FROM TB_EMPLOYEE WHERE EMPLOYEE_NAME = '管理员'"));
        QCOMPARE(admin.RowCount(), 1);
        QCOMPARE(admin.At(0, 0).AsInt64(), 1);
        QCOMPARE(admin.At(0, 1).AsString(), DefaultDigest);
        QCOMPARE(QString::fromLatin1(QCryptographicHash::hash("123456", QCryptographicHash::Md5).toHex()),
                 DefaultDigest);
        QCOMPARE(Scalar(QStringLiteral("SELECT COUNT(*) FROM TB_EMPLOYEE")), 1);
        QCOMPARE(Scalar(QStringLiteral("SELECT COUNT(*) FROM TB_THEUNIT")), 1);
        QCOMPARE(Scalar(QStringLiteral("SELECT COUNT(*) FROM TB_RIGHT")), 0);
        for (const char* t : {"DEPARTMENT", "POST", "UNIT", "STANDARD"}) {
            const QString table = QLatin1String(t);
            QVERIFY(Scalar(QStringLiteral("SELECT COUNT(*) FROM TB_%1").arg(table)) >= 3);
            // Each dictionary reads through ID and <word>_NAME.
            const TFbResult r = FPool->Execute(QStringLiteral("SELECT ID,%1_NAME FROM TB_%1").arg(table));
            QVERIFY(!r.At(0, 1).AsString().isEmpty());
        }
        // The login check's query finds the administrator by the default password's digest.
        QCOMPARE(FPool
                     ->Execute(QStringLiteral("SELECT ID FROM TB_EMPLOYEE WHERE EMPLOYEE_NAME=? AND PW=?"),
                               {T(QStringLiteral("管理员")), T(DefaultDigest)})
                     .RowCount(),
                 1);
    }

    void keysAndBillNumbersFromSequences()
    {
        QCOMPARE(Call(QStringLiteral("SP_UD_SUPPLIER"), Supplier(0, QStringLiteral("甲供应商"))), 1);
        QCOMPARE(Call(QStringLiteral("SP_UD_SUPPLIER"), Supplier(0, QStringLiteral("乙供应商"))), 2);
        QCOMPARE(Scalar(QStringLiteral("SELECT NEXT VALUE FOR GEN_SALES_BILL_NO FROM RDB$DATABASE")), 1);
        QCOMPARE(Scalar(QStringLiteral("SELECT NEXT VALUE FOR GEN_STORAGE_BILL_NO FROM RDB$DATABASE")), 1);
        QCOMPARE(Scalar(QStringLiteral("SELECT NEXT VALUE FOR GEN_SALES_BILL_NO FROM RDB$DATABASE")), 2);

        // Two workstations inserting at the same moment never share a key. The lines name a
        // part of the catalogue: the database refuses lines of none.
        FPool->Execute(QStringLiteral("INSERT INTO TB_COMMODITY (COMMODITY_NAME) VALUES ('并发配件')"));
        const qint64 part = Scalar(QStringLiteral("SELECT ID FROM TB_COMMODITY WHERE COMMODITY_NAME = '并发配件'"));
        TFbConnection a, b;
        a.Attach(FDb->Location(), TConPool::UserName, TConPool::Password);
        b.Attach(FDb->Location(), TConPool::UserName, TConPool::Password);
        TFbTransaction ta(a), tb(b);
        const qint64 ka =
            a.Execute(QStringLiteral("INSERT INTO TB_SALES (BILL_NO, COMMODITY_ID, OUT_COUNT, OUT_PRICE, SALES_TYPE) "
                                     "VALUES (1, ?, 1, 1, 0) RETURNING ID"),
                      {I(part)}, &ta)
                .At(0, 0)
                .AsInt64();
        const qint64 kb =
            b.Execute(QStringLiteral("INSERT INTO TB_SALES (BILL_NO, COMMODITY_ID, OUT_COUNT, OUT_PRICE, SALES_TYPE) "
                                     "VALUES (2, ?, 1, 1, 0) RETURNING ID"),
                      {I(part)}, &tb)
                .At(0, 0)
                .AsInt64();
        QVERIFY(ka != kb);
        ta.Commit();
        tb.Commit();
        QCOMPARE(Scalar(QStringLiteral("SELECT COUNT(DISTINCT ID) FROM TB_SALES")), 2);
    }

    void employeeSave()
    {
        const int id = Call(QStringLiteral("SP_UD_EMPLOYEE"), Employee(0, QStringLiteral("张伟"), DefaultDigest));
        QVERIFY(id > 1);
        QCOMPARE(FPool
                     ->Execute(QStringLiteral(
                                   "SELECT PW, SEX, POST_NAME, DEPARTMENT_NAME FROM V_EMPLOYEE WHERE ID = ?"),
                               {I(id)})
                     .At(0, 0)
                     .AsString(),
                 DefaultDigest);

        // The employee changes the password; a later save of the record must not reset it.
        const QString own = QStringLiteral("0123456789abcdef0123456789abcdef");
        FPool->Execute(QStringLiteral("UPDATE TB_EMPLOYEE SET PW = ? WHERE ID = ?"), {T(own), I(id)});
        QCOMPARE(Call(QStringLiteral("SP_UD_EMPLOYEE"), Employee(id, QStringLiteral("张伟"), DefaultDigest)), id);
        QCOMPARE(FPool->Execute(QStringLiteral("SELECT PW FROM TB_EMPLOYEE WHERE ID = ?"), {I(id)}).At(0, 0).AsString(),
                 own);

        // Refusals answer 0 and change nothing.
        QCOMPARE(Call(QStringLiteral("SP_UD_EMPLOYEE"), Employee(0, QStringLiteral("张伟"), DefaultDigest)), 0);
        QCOMPARE(Call(QStringLiteral("SP_UD_EMPLOYEE"), Employee(0, QStringLiteral("管理员"), DefaultDigest)), 0);
        QCOMPARE(Call(QStringLiteral("SP_UD_EMPLOYEE"), Employee(id, QStringLiteral("管理员"), DefaultDigest)), 0);
        QCOMPARE(Call(QStringLiteral("SP_UD_EMPLOYEE"), Employee(1, QStringLiteral("老板"), DefaultDigest)), 0);
        QCOMPARE(Call(QStringLiteral("SP_UD_EMPLOYEE"), Employee(9999, QStringLiteral("李四"), DefaultDigest)), 0);
        QCOMPARE(Scalar(QStringLiteral("SELECT COUNT(*) FROM TB_EMPLOYEE")), 2);
        QCOMPARE(Scalar(QStringLiteral("SELECT COUNT(*) FROM TB_EMPLOYEE WHERE EMPLOYEE_NAME = '管理员'")), 1);
    }

    // A part's unit and standard, an employee's post and department: the program sends 0 for
    // none and gets it stored as NULL (read back as ''); an entry that is not there (another
    // desk deleted it) is the procedure's refusal, 0, on a new record and on a saved one, and
    // changes nothing.
    void dictionaryLinks_data()
    {
        QTest::addColumn<bool>("employee");
        QTest::addColumn<int>("first");   // unit or post; -1: NULL
        QTest::addColumn<int>("second");   // standard or department
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QString>("stored");   // "first|second|first name|second name"
        for (bool employee : {false, true}) {
            const QString who = employee ? QStringLiteral("employee: ") : QStringLiteral("part: ");
            QTest::newRow(qPrintable(who + "chosen"))
                << employee << 2 << 3 << true << (employee ? "2|3|维修工|财务部" : "2|3|件|小号");
            QTest::newRow(qPrintable(who + "none as 0")) << employee << 0 << 0 << true << "<null>|<null>||";
            QTest::newRow(qPrintable(who + "none as NULL")) << employee << -1 << -1 << true << "<null>|<null>||";
            QTest::newRow(qPrintable(who + "first gone")) << employee << 999 << 1 << false << "";
            QTest::newRow(qPrintable(who + "second gone")) << employee << 1 << 999 << false << "";
        }
    }

    void dictionaryLinks()
    {
        QFETCH(bool, employee);
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(bool, saved);
        QFETCH(QString, stored);
        const QString proc = employee ? QStringLiteral("SP_UD_EMPLOYEE") : QStringLiteral("SP_UD_COMMODITY");
        const char* firstName = employee ? "POST_ID" : "UNIT_ID";
        const char* secondName = employee ? "DEPARTMENT_ID" : "STANDARD_ID";
        const QString read = employee ? QStringLiteral("SELECT POST_ID, DEPARTMENT_ID, POST_NAME, DEPARTMENT_NAME "
                                                       "FROM V_EMPLOYEE WHERE ID = ?")
                                      : QStringLiteral("SELECT UNIT_ID, STANDARD_ID, UNIT_NAME, STANDARD_NAME "
                                                       "FROM V_COMMODITY WHERE ID = ?");
        const auto link = [](int k) { return k < 0 ? TFbValue() : I(k); };
        const auto args = [&](qint64 id, const QString& name, int a, int b) {
            QList<TArg> list = employee ? Employee(id, name, DefaultDigest) : Commodity(id, name);
            for (TArg& arg : list) {
                if (qstrcmp(arg.Name, firstName) == 0)
                    arg.Value = link(a);
                if (qstrcmp(arg.Name, secondName) == 0)
                    arg.Value = link(b);
            }
            return list;
        };
        const auto row = [&](qint64 id) {
            const TFbResult r = FPool->Execute(read, {I(id)});
            QStringList cells;
            for (int c = 0; c < 4; ++c)
                cells << (r.At(0, c).IsNull() ? QStringLiteral("<null>") : r.At(0, c).AsString());
            return cells.join(QLatin1Char('|'));
        };
        const QString table = employee ? QStringLiteral("TB_EMPLOYEE") : QStringLiteral("TB_COMMODITY");
        const qint64 rows = Scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table));

        // A new record.
        const int id = Call(proc, args(0, QStringLiteral("张伟"), first, second));
        QCOMPARE(id != 0, saved);
        QCOMPARE(Scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)), rows + (saved ? 1 : 0));
        if (saved)
            QCOMPARE(row(id), stored);

        // A saved one, chosen 1 and 1 before.
        const int other = Call(proc, args(0, QStringLiteral("李娜"), 1, 1));
        QVERIFY(other > 0);
        const QString before = row(other);
        QCOMPARE(Call(proc, args(other, QStringLiteral("李娜"), first, second)), saved ? other : 0);
        QCOMPARE(row(other), saved ? stored : before);
    }

    void repairSave()
    {
        const int id =
            Call(QStringLiteral("SP_UD_REPAIR"), Repair(0, QStringLiteral("欧阳诸葛司马上官东方皇甫尉迟公羊"), 1, 1));
        QVERIFY(id > 0);
        TFbResult r = FPool->Execute(
            QStringLiteral(
                "SELECT REPAIR_DATE, OIL, EARNEST, QUOTE, PAID, IS_PAY, ACCEPTER_NAME, OPERATOR_NAME, CAR_OWNER "
                "FROM V_REPAIR WHERE ID = ?"),
            {I(id)});
        QCOMPARE(r.At(0, 0).AsDate(), QDate::currentDate());   // set by the database
        QCOMPARE(r.At(0, 1).AsString(), QStringLiteral("12.50"));
        QCOMPARE(r.At(0, 2).AsString(), QStringLiteral("100.10"));
        QCOMPARE(r.At(0, 3).AsString(), QStringLiteral("350.20"));
        QCOMPARE(r.At(0, 4).AsString(), QStringLiteral("0.00"));
        QCOMPARE(r.At(0, 5).AsInt64(), 0);
        QCOMPARE(r.At(0, 6).AsString(), QStringLiteral("管理员"));
        QCOMPARE(r.At(0, 7).AsString(), QStringLiteral("管理员"));
        QCOMPARE(r.At(0, 8).AsString(), QStringLiteral("欧阳诸葛司马上官东方皇甫尉迟公羊"));

        // The checkout's columns and the date survive a later save of the registration.
        FPool->Execute(QStringLiteral(
                           "UPDATE TB_REPAIR SET IS_PAY = 1, PAID = 350, REPAIR_DATE = '2020-01-02' WHERE ID = ?"),
                       {I(id)});
        QCOMPARE(Call(QStringLiteral("SP_UD_REPAIR"), Repair(id, QStringLiteral("王五"), 1, 1)), id);
        r = FPool->Execute(QStringLiteral("SELECT REPAIR_DATE, PAID, IS_PAY, CAR_OWNER FROM TB_REPAIR WHERE ID = ?"),
                           {I(id)});
        QCOMPARE(r.At(0, 0).AsString(), QStringLiteral("2020-01-02"));
        QCOMPARE(r.At(0, 1).AsString(), QStringLiteral("350.00"));
        QCOMPARE(r.At(0, 2).AsInt64(), 1);
        QCOMPARE(r.At(0, 3).AsString(), QStringLiteral("王五"));
        QCOMPARE(Call(QStringLiteral("SP_UD_REPAIR"), Repair(4242, QStringLiteral("王五"), 1, 1)), 0);
    }

    void deleteRefusesReferencedRecords()
    {
        const int emp = Call(QStringLiteral("SP_UD_EMPLOYEE"), Employee(0, QStringLiteral("刘洋"), DefaultDigest));
        const int free = Call(QStringLiteral("SP_UD_EMPLOYEE"), Employee(0, QStringLiteral("陈静"), DefaultDigest));
        const int repair = Call(QStringLiteral("SP_UD_REPAIR"), Repair(0, QStringLiteral("赵六"), emp, 1));
        const int bareRepair = Call(QStringLiteral("SP_UD_REPAIR"), Repair(0, QStringLiteral("钱七"), 1, 1));
        const int supplier = Call(QStringLiteral("SP_UD_SUPPLIER"), Supplier(0, QStringLiteral("丙供应商")));
        const int freeSupplier = Call(QStringLiteral("SP_UD_SUPPLIER"), Supplier(0, QStringLiteral("丁供应商")));
        const int part = Call(QStringLiteral("SP_UD_COMMODITY"), Commodity(0, QStringLiteral("机油滤清器")));
        const int freePart = Call(QStringLiteral("SP_UD_COMMODITY"), Commodity(0, QStringLiteral("雨刮片")));
        const int tool = Call(QStringLiteral("SP_UD_TOOL"), Tool(0, QStringLiteral("扭力扳手")));
        FPool->Execute(QStringLiteral("INSERT INTO TB_STORAGE (BILL_NO, COMMODITY_ID, IN_COUNT, SUPPLIER_ID, BUYER_ID, "
                                      "OPERATOR_ID, IN_DATE, IN_PRICE, REFER_PRICE) "
                                      "VALUES (1, ?, 10, ?, 1, 1, CURRENT_DATE, 8, 12)"),
                       {I(part), I(supplier)});
        FPool->Execute(
            QStringLiteral(
                "INSERT INTO TB_SALES (BILL_NO, COMMODITY_ID, OUT_COUNT, OUT_DATE, OUT_PRICE, OPERATOR_ID, SALES_TYPE) "
                "VALUES (1, ?, 1, CURRENT_DATE, 12, 1, ?)"),
            {I(part), I(repair)});
        FPool->Execute(QStringLiteral("INSERT INTO TB_RIGHT (USER_ID, OBJECT_TYPE, FUNCTION_NAME, IS_READ) VALUES (?, "
                                      "'命令按钮', '通讯录', 1)"),
                       {I(free)});

        struct TCase {
            const char* proc;
            const char* table;
            int id;
            bool deleted;
        };
        const TCase cases[] = {
            {"SP_DEL_EMPLOYEE", "TB_EMPLOYEE", emp, false},   // accepter of a repair
            {"SP_DEL_EMPLOYEE", "TB_EMPLOYEE", 1, false},   // the administrator
            {"SP_DEL_EMPLOYEE", "TB_EMPLOYEE", free, true},
            {"SP_DEL_REPAIR", "TB_REPAIR", repair, false},   // parts recorded at checkout
            {"SP_DEL_REPAIR", "TB_REPAIR", bareRepair, true},
            {"SP_DEL_SUPPLIER", "TB_SUPPLIER", supplier, false},   // on a stock-in bill
            {"SP_DEL_SUPPLIER", "TB_SUPPLIER", freeSupplier, true},
            {"SP_DEL_COMMODITY", "TB_COMMODITY", part, false},   // bought and sold
            {"SP_DEL_COMMODITY", "TB_COMMODITY", freePart, true},
            {"SP_DEL_TOOL", "TB_TOOL", tool, true},
            {"SP_DEL_TOOL", "TB_TOOL", 777, false},   // no such record
        };
        for (const TCase& c : cases) {
            const QString what = QStringLiteral("%1(%2)").arg(QLatin1String(c.proc)).arg(c.id);
            const qint64 before = Scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(c.table)));
            const int r = Call(QLatin1String(c.proc), {{"ID", I(c.id)}});
            const qint64 after = Scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(c.table)));
            QVERIFY2(c.deleted ? r == c.id : r == 0, qPrintable(what));
            QVERIFY2(after == before - (c.deleted ? 1 : 0), qPrintable(what));
        }
        // A deleted employee's permission rows go with him.
        QCOMPARE(Scalar(QStringLiteral("SELECT COUNT(*) FROM TB_RIGHT WHERE USER_ID = ?"), {I(free)}), 0);
    }

    void stockNeverBelowZero()
    {
        const qint64 part =
            FPool->Execute(QStringLiteral("INSERT INTO TB_COMMODITY (COMMODITY_NAME) VALUES ('库存配件') RETURNING ID"))
                .At(0, 0)
                .AsInt64();
        const qint64 lot = FPool
                               ->Execute(QStringLiteral("INSERT INTO TB_STOCK (COMMODITY_ID, STOCK_COUNT, "
                                                        "STORAGE_BILL_NO) VALUES (?, 2, 1) RETURNING ID"),
                                         {I(part)})
                               .At(0, 0)
                               .AsInt64();
        FPool->Execute(QStringLiteral("UPDATE TB_STOCK SET STOCK_COUNT = STOCK_COUNT - 2 WHERE ID = ?"), {I(lot)});
        QVERIFY_THROWS_EXCEPTION(
            TFbError,
            FPool->Execute(QStringLiteral("UPDATE TB_STOCK SET STOCK_COUNT = STOCK_COUNT - 1 WHERE ID = ?"), {I(lot)}));
        QVERIFY_THROWS_EXCEPTION(TFbError,
                                 FPool->Execute(QStringLiteral(
                                                    "INSERT INTO TB_STOCK (COMMODITY_ID, STOCK_COUNT) VALUES (?, -5)"),
                                                {I(part)}));
        QCOMPARE(Scalar(QStringLiteral("SELECT STOCK_COUNT FROM TB_STOCK WHERE ID = ?"), {I(lot)}), 0);
    }

    void viewsCarryTheListColumns_data()
    {
        QTest::addColumn<QString>("view");
        QTest::addColumn<QStringList>("columns");
        QTest::newRow("V_EMPLOYEE")
            << "V_EMPLOYEE"
            << QStringList{"ID",      "EMPLOYEE_NAME", "SEX",         "BIRTHDAY",     "EDUCATION",       "ID_CODE",
                           "STATUS",  "ENTRY_DATE",    "OFFICE_TYPE", "POST_NAME",    "DEPARTMENT_NAME", "PHONE",
                           "ADDRESS", "MEMO",          "POST_ID",     "DEPARTMENT_ID"};
        QTest::newRow("V_REPAIR")
            << "V_REPAIR" << QStringList{"ID",      "REPAIR_DATE", "CAR_NO",        "CAR_OWNER",   "PHONE",
                                         "ADDRESS", "OIL",         "FAULT",         "EARNEST",     "QUOTE",
                                         "PAID",    "ACCEPTER_ID", "ACCEPTER_NAME", "OPERATOR_ID", "OPERATOR_NAME",
                                         "IS_PAY",  "MEMO"};
        QTest::newRow("V_SALES_SUMMARY") << "V_SALES_SUMMARY"
                                         << QStringList{"ID",          "OUT_DATE",   "TOTAL_COUNT",
                                                        "TOTAL_PRICE", "SALES_TYPE", "GROSS_PROFIX"};
        QTest::newRow("V_STORAGE_SUMMARY")
            << "V_STORAGE_SUMMARY" << QStringList{"ID", "IN_DATE", "TOTAL_COUNT", "TOTAL_PRICE", "GROSS_PROFIX"};
        QTest::newRow("V_COMMODITY") << "V_COMMODITY" << QStringList{"ID",        "COMMODITY_NAME", "UNIT_ID",
                                                                     "UNIT_NAME", "STANDARD_ID",    "STANDARD_NAME"};
        QTest::newRow("V_STOCK") << "V_STOCK" << QStringList{"ID",         "COMMODITY_ID",  "COMMODITY_NAME",
                                                             "UNIT_NAME",  "STANDARD_NAME", "REFER_PRICE",
                                                             "STOCK_COUNT"};
        QTest::newRow("V_STORAGE")
            << "V_STORAGE"
            << QStringList{"ID",          "BILL_NO",   "COMMODITY_ID",  "COMMODITY_NAME", "IN_COUNT",  "IN_PRICE",
                           "REFER_PRICE", "UNIT_NAME", "STANDARD_NAME", "SUPPLIER_NAME",  "BUYER_NAME"};
        QTest::newRow("V_SALES") << "V_SALES"
                                 << QStringList{"ID",         "BILL_NO",   "COMMODITY_ID", "COMMODITY_NAME",
                                                "OUT_COUNT",  "OUT_PRICE", "UNIT_NAME",    "STANDARD_NAME",
                                                "SALES_TYPE", "COST_PRICE"};
        QTest::newRow("V_CONTACT_E") << "V_CONTACT_E"
                                     << QStringList{"ID", "CONTACT_NAME", "CONTACTOR", "PHONE", "ADDRESS"};
        QTest::newRow("V_CONTACT_C") << "V_CONTACT_C"
                                     << QStringList{"ID", "CONTACT_NAME", "CONTACTOR", "PHONE", "ADDRESS"};
        QTest::newRow("V_CONTACT_S") << "V_CONTACT_S"
                                     << QStringList{"ID", "CONTACT_NAME", "CONTACTOR", "PHONE", "ADDRESS"};
        QTest::newRow("TB_SUPPLIER") << "TB_SUPPLIER"
                                     << QStringList{"ID",    "SUPPLIER_NAME", "CONTACTOR", "MAIN_PRODUCT",
                                                    "PHONE", "ADDRESS",       "MEMO"};
        QTest::newRow("TB_TOOL") << "TB_TOOL"
                                 << QStringList{"ID",         "TOOL_NAME",    "TOOL_COUNT",        "BUY_DATE",
                                                "CHECK_DATE", "MANUFACTURER", "AFTERMARKET_PHONE", "MEMO"};
        QTest::newRow("TB_RIGHT") << "TB_RIGHT" << QStringList{"ID",      "USER_ID",   "OBJECT_TYPE", "FUNCTION_NAME",
                                                               "IS_READ", "IS_APPEND", "IS_ALTER",    "IS_DELETE"};
        QTest::newRow("TB_THEUNIT") << "TB_THEUNIT"
                                    << QStringList{"ID", "THEUNIT_NAME", "PER_IN_CHAR", "PHONE", "ADDRESS"};
    }

    void viewsCarryTheListColumns()
    {
        QFETCH(QString, view);
        QFETCH(QStringList, columns);
        const TFbResult r = FPool->Execute(QStringLiteral("SELECT * FROM %1 ROWS 1").arg(view));
        for (const QString& c : columns)
            QVERIFY2(r.ColumnIndex(c) >= 0, qPrintable(view + QLatin1Char('.') + c));
        // Lists show the key in their first column.
        if (view != QLatin1String("V_STORAGE") && view != QLatin1String("V_SALES"))
            QCOMPARE(r.Columns[0].Name, QStringLiteral("ID"));
        if (view.startsWith(QLatin1String("V_CONTACT")))
            QCOMPARE(r.Columns.size(), 5);
    }

    void summariesAddUp()
    {
        const int part = Call(QStringLiteral("SP_UD_COMMODITY"), Commodity(0, QStringLiteral("刹车片")));
        // The bill's supplier is this case's own: the database refuses a bill of none.
        const int supplier = Call(QStringLiteral("SP_UD_SUPPLIER"), Supplier(0, QStringLiteral("刹车片供应商")));
        // One stock-in bill of two lines, one lot each.
        for (const char* line : {"10, 8.50, 12.00", "2, 100.00, 150.00"}) {
            const qint64 sid =
                FPool
                    ->Execute(QStringLiteral("INSERT INTO TB_STORAGE (BILL_NO, COMMODITY_ID, IN_COUNT, IN_PRICE, "
                                             "REFER_PRICE, SUPPLIER_ID, BUYER_ID, OPERATOR_ID, IN_DATE) "
                                             "VALUES (7, ?, %1, ?, 1, 1, CURRENT_DATE) RETURNING ID")
                                  .arg(QLatin1String(line)),
                              {I(part), I(supplier)})
                    .At(0, 0)
                    .AsInt64();
            FPool->Execute(QStringLiteral(
                               "INSERT INTO TB_STOCK (COMMODITY_ID, STOCK_COUNT, STORAGE_BILL_NO, STORAGE_ID) "
                               "SELECT COMMODITY_ID, IN_COUNT, BILL_NO, ID FROM TB_STORAGE WHERE ID = ?"),
                           {I(sid)});
        }
        TFbResult s = FPool->Execute(
            QStringLiteral("SELECT TOTAL_COUNT, TOTAL_PRICE, GROSS_PROFIX FROM V_STORAGE_SUMMARY WHERE ID = 7"));
        QCOMPARE(s.RowCount(), 1);
        QCOMPARE(s.At(0, 0).AsInt64(), 12);
        QCOMPARE(s.At(0, 1).AsString(), QStringLiteral("285.00"));   // 10 × 8.50 + 2 × 100
        QCOMPARE(s.At(0, 2).AsString(), QStringLiteral("135.00"));   // 10 × 3.50 + 2 × 50
        const TFbResult lots =
            FPool->Execute(QStringLiteral("SELECT ID, REFER_PRICE, STOCK_COUNT FROM V_STOCK ORDER BY ID"));
        QCOMPARE(lots.RowCount(), 2);
        QCOMPARE(lots.At(0, 1).AsString(), QStringLiteral("12.00"));

        // A sales bill taken from the first lot: profit against that lot's purchase price.
        FPool->Execute(QStringLiteral("INSERT INTO TB_SALES (BILL_NO, COMMODITY_ID, OUT_COUNT, OUT_DATE, OUT_PRICE, "
                                      "OPERATOR_ID, SALES_TYPE, STOCK_ID) "
                                      "VALUES (3, ?, 4, CURRENT_DATE, 11.00, 1, 0, ?)"),
                       {I(part), I(lots.At(0, 0).AsInt64())});
        s = FPool->Execute(QStringLiteral(
            "SELECT TOTAL_COUNT, TOTAL_PRICE, GROSS_PROFIX, SALES_TYPE FROM V_SALES_SUMMARY WHERE ID = 3"));
        QCOMPARE(s.At(0, 0).AsInt64(), 4);
        QCOMPARE(s.At(0, 1).AsString(), QStringLiteral("44.00"));
        QCOMPARE(s.At(0, 2).AsString(), QStringLiteral("10.00"));   // 4 × (11 − 8.50)
        QCOMPARE(s.At(0, 3).AsInt64(), 0);
    }

    // A sales line keeps the cost it was sold at: emptying and carrying forward its lot, or a
    // later stock-in of the same part at another price, leaves the bill's figures as they were.
    void salesLineKeepsItsCost()
    {
        const int part = Call(QStringLiteral("SP_UD_COMMODITY"), Commodity(0, QStringLiteral("火花塞")));
        const int supplier = Call(QStringLiteral("SP_UD_SUPPLIER"), Supplier(0, QStringLiteral("火花塞供应商")));
        auto stockIn = [&](const char* count, const char* price) {
            const qint64 sid =
                FPool
                    ->Execute(QStringLiteral("INSERT INTO TB_STORAGE (BILL_NO, COMMODITY_ID, IN_COUNT, IN_PRICE, "
                                             "REFER_PRICE, SUPPLIER_ID, BUYER_ID, OPERATOR_ID) "
                                             "VALUES (5, ?, %1, %2, 40, ?, 1, 1) RETURNING ID")
                                  .arg(QLatin1String(count), QLatin1String(price)),
                              {I(part), I(supplier)})
                    .At(0, 0)
                    .AsInt64();
            return FPool
                ->Execute(QStringLiteral(
                              "INSERT INTO TB_STOCK (COMMODITY_ID, STOCK_COUNT, STORAGE_BILL_NO, STORAGE_ID) "
                              "SELECT COMMODITY_ID, IN_COUNT, BILL_NO, ID FROM TB_STORAGE WHERE ID = ? RETURNING ID"),
                          {I(sid)})
                .At(0, 0)
                .AsInt64();
        };
        const qint64 cheap = stockIn("2", "20.00");
        const qint64 dear = stockIn("6", "31.00");
        // Today's writers send no cost: the line takes its lot's price, or without a lot the
        // part's average; a writer that knows the cost sends it.
        const char* insert = "INSERT INTO TB_SALES (BILL_NO, COMMODITY_ID, OUT_COUNT, OUT_PRICE, OPERATOR_ID, "
                             "SALES_TYPE, STOCK_ID%1) VALUES (?, ?, ?, ?, 1, 0, ?%2)";
        FPool->Execute(QString::fromLatin1(insert).arg(QString(), QString()),
                       {I(8), I(part), I(2), D("35.00"), I(cheap)});
        FPool->Execute(QStringLiteral("UPDATE TB_STOCK SET STOCK_COUNT = STOCK_COUNT - 2 WHERE ID = ?"), {I(cheap)});
        FPool->Execute(QString::fromLatin1(insert).arg(QString(), QString()),
                       {I(8), I(part), I(1), D("36.00"), I(dear)});
        FPool->Execute(QString::fromLatin1(insert).arg(QString(), QString()),
                       {I(9), I(part), I(1), D("40.00"), TFbValue()});
        FPool->Execute(QString::fromLatin1(insert).arg(QStringLiteral(", COST_PRICE"), QStringLiteral(", ?")),
                       {I(9), I(part), I(1), D("40.00"), I(dear), D("30.10")});
        const QStringList costs = {"20.00", "31.00", "25.50", "30.10"};
        TFbResult lines =
            FPool->Execute(QStringLiteral("SELECT COST_PRICE FROM V_SALES WHERE COMMODITY_ID = ? ORDER BY ID"),
                           {I(part)});
        QCOMPARE(lines.RowCount(), costs.size());
        for (int k = 0; k < costs.size(); ++k)
            QCOMPARE(lines.At(k, 0).AsString(), costs[k]);

        const QString summary = QStringLiteral(
            "SELECT ID, TOTAL_COUNT, TOTAL_PRICE, GROSS_PROFIX FROM V_SALES_SUMMARY WHERE ID IN (8, 9) ORDER BY ID");
        auto figures = [&] {
            const TFbResult r = FPool->Execute(summary);
            QStringList out;
            for (int k = 0; k < r.RowCount(); ++k)
                out << QStringLiteral("%1 %2 %3 %4")
                           .arg(r.At(k, 0).AsString(), r.At(k, 1).AsString(), r.At(k, 2).AsString(),
                                r.At(k, 3).AsString());
            return out;
        };
        // 2 × (35 − 20) + (36 − 31); (40 − 25.50) + (40 − 30.10)
        const QStringList expected = {"8 3 106.00 35.00", "9 2 80.00 24.40"};
        QCOMPARE(figures(), expected);

        // The carry-forward as the main window runs it, then a dearer stock-in of the same part.
        QCOMPARE(FPool->Execute(QStringLiteral("DELETE FROM TB_STOCK WHERE STOCK_COUNT = 0")).RowsAffected, 1);
        QCOMPARE(Scalar(QStringLiteral("SELECT COUNT(*) FROM TB_STOCK WHERE ID = ?"), {I(cheap)}), 0);
        stockIn("10", "50.00");
        QCOMPARE(figures(), expected);

        // A cost below zero is refused like a negative price.
        QVERIFY_THROWS_EXCEPTION(TFbError,
                                 FPool->Execute(QString::fromLatin1(insert).arg(QStringLiteral(", COST_PRICE"),
                                                                                QStringLiteral(", ?")),
                                                {I(10), I(part), I(1), D("40.00"), I(dear), D("-1.00")}));
    }

    void newdbRefusesToOverwrite()
    {
        QFile f(FDb->Path());
        const qint64 size = f.size();
        QString out;
        QVERIFY(RunProjectScript(QStringLiteral("newdb"), {FDb->Path()}, &out) != 0);
        QVERIFY(!out.trimmed().isEmpty());
        QCOMPARE(QFile(FDb->Path()).size(), size);
        QCOMPARE(Scalar(QStringLiteral("SELECT COUNT(*) FROM TB_EMPLOYEE")), 1);
    }

    void demoData()
    {
        QTemporaryDir dir;
        ::chmod(QFile::encodeName(dir.path()).constData(), 0777);
        const QString path = dir.filePath(QStringLiteral("DEMO.FDB"));
        QString out;
        QVERIFY2(RunProjectScript(QStringLiteral("newdb"), {path, QStringLiteral("--demo"), QStringLiteral("300")},
                                  &out)
                     == 0,
                 qPrintable(out));
        TConPool pool;
        pool.Open(TTestDb::ServerLocation(path));
        QCOMPARE(pool.Execute(QStringLiteral("SELECT COUNT(*) FROM V_REPAIR")).At(0, 0).AsInt64(), 300);
        QVERIFY(pool.Execute(QStringLiteral("SELECT COUNT(*) FROM V_REPAIR WHERE IS_PAY = 1")).At(0, 0).AsInt64() > 0);
        QVERIFY(pool.Execute(QStringLiteral("SELECT COUNT(*) FROM V_SALES_SUMMARY")).At(0, 0).AsInt64() > 0);
        QVERIFY(pool.Execute(QStringLiteral("SELECT COUNT(*) FROM V_STORAGE_SUMMARY")).At(0, 0).AsInt64() > 0);
        QCOMPARE(pool.Execute(QStringLiteral("SELECT COUNT(*) FROM TB_STOCK WHERE STOCK_COUNT < 0")).At(0, 0).AsInt64(),
                 0);
        // Names are Chinese and fit their columns.
        const QString owner =
            pool.Execute(QStringLiteral("SELECT FIRST 1 CAR_OWNER FROM TB_REPAIR")).At(0, 0).AsString();
        QVERIFY(!owner.isEmpty() && owner.at(0).unicode() >= 0x4E00);
        // Sequences continue past the demo's keys.
        const qint64 maxId = pool.Execute(QStringLiteral("SELECT MAX(ID) FROM TB_REPAIR")).At(0, 0).AsInt64();
        const qint64 id =
            pool.Execute(QStringLiteral("INSERT INTO TB_REPAIR (CAR_OWNER) VALUES ('新客户') RETURNING ID"))
                .At(0, 0)
                .AsInt64();
        QVERIFY(id > maxId);
        const qint64 maxBill = pool.Execute(QStringLiteral("SELECT MAX(BILL_NO) FROM TB_SALES")).At(0, 0).AsInt64();
        QVERIFY(
            pool.Execute(QStringLiteral("SELECT NEXT VALUE FOR GEN_SALES_BILL_NO FROM RDB$DATABASE")).At(0, 0).AsInt64()
            > maxBill);
        pool.Close();
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
