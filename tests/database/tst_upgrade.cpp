// Schema versions: older databases brought to the newest by the compiled upgrade scripts
// keep every row and end up the same as a new database; a newer one is refused; a failing
// script leaves the version it started from.
#include "ConPool.h"
#include "FbClient.h"
#include "SchemaUpgrade.h"
#include "TestDb.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

namespace {

void Attach(TFbConnection& c, const TTestDb& db)
{
    c.Attach(db.Location(), TConPool::UserName, TConPool::Password);
}

QStringList Lines(TFbConnection& c, const QString& sql)
{
    const TFbResult r = c.Execute(sql);
    QStringList out;
    for (int row = 0; row < r.RowCount(); ++row) {
        QStringList cells;
        for (int col = 0; col < r.Columns.size(); ++col)
            cells << (r.At(row, col).IsNull() ? QStringLiteral("<null>") : r.At(row, col).AsString().trimmed());
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

// What a schema is made of, as the system tables tell it: tables, views and their text,
// columns and their types, procedures and their text and parameters, triggers, indexes,
// constraints, sequences.
QStringList Metadata(TFbConnection& c)
{
    QStringList m;
    m << Lines(c,
               QStringLiteral(
                   "SELECT 'relation', TRIM(RDB$RELATION_NAME), COALESCE(RDB$RELATION_TYPE, 0), RDB$VIEW_SOURCE "
                   "FROM RDB$RELATIONS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 2"));
    m << Lines(
        c,
        QStringLiteral(
            "SELECT 'column', TRIM(RF.RDB$RELATION_NAME), TRIM(RF.RDB$FIELD_NAME), RF.RDB$FIELD_POSITION, "
            "F.RDB$FIELD_TYPE, F.RDB$FIELD_SUB_TYPE, F.RDB$FIELD_LENGTH, F.RDB$FIELD_SCALE, F.RDB$FIELD_PRECISION, "
            "F.RDB$CHARACTER_LENGTH, F.RDB$CHARACTER_SET_ID, COALESCE(RF.RDB$NULL_FLAG, F.RDB$NULL_FLAG, 0), "
            "COALESCE(RF.RDB$DEFAULT_SOURCE, F.RDB$DEFAULT_SOURCE) "
            "FROM RDB$RELATION_FIELDS RF JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE "
            "WHERE COALESCE(RF.RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 2, 3"));
    m << Lines(c,
               QStringLiteral("SELECT 'procedure', TRIM(RDB$PROCEDURE_NAME), RDB$PROCEDURE_SOURCE FROM RDB$PROCEDURES "
                              "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 2"));
    m << Lines(c,
               QStringLiteral(
                   "SELECT 'parameter', TRIM(P.RDB$PROCEDURE_NAME), TRIM(P.RDB$PARAMETER_NAME), P.RDB$PARAMETER_TYPE, "
                   "P.RDB$PARAMETER_NUMBER, F.RDB$FIELD_TYPE, F.RDB$FIELD_LENGTH, F.RDB$FIELD_SCALE "
                   "FROM RDB$PROCEDURE_PARAMETERS P JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = P.RDB$FIELD_SOURCE "
                   "WHERE COALESCE(P.RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 2, 4, 5"));
    m << Lines(c,
               QStringLiteral(
                   "SELECT 'trigger', TRIM(RDB$TRIGGER_NAME), TRIM(RDB$RELATION_NAME), RDB$TRIGGER_TYPE, "
                   "RDB$TRIGGER_SEQUENCE, COALESCE(RDB$TRIGGER_INACTIVE, 0), RDB$TRIGGER_SOURCE FROM RDB$TRIGGERS "
                   "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 2"));
    m << Lines(c,
               QStringLiteral(
                   "SELECT 'index', TRIM(I.RDB$INDEX_NAME), TRIM(I.RDB$RELATION_NAME), COALESCE(I.RDB$UNIQUE_FLAG, 0), "
                   "COALESCE(I.RDB$INDEX_INACTIVE, 0), TRIM(S.RDB$FIELD_NAME), S.RDB$FIELD_POSITION, "
                   "I.RDB$EXPRESSION_SOURCE "
                   "FROM RDB$INDICES I LEFT JOIN RDB$INDEX_SEGMENTS S ON S.RDB$INDEX_NAME = I.RDB$INDEX_NAME "
                   "WHERE COALESCE(I.RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 2, 7"));
    m << Lines(
        c,
        QStringLiteral(
            "SELECT 'constraint', TRIM(C.RDB$CONSTRAINT_NAME), TRIM(C.RDB$RELATION_NAME), TRIM(C.RDB$CONSTRAINT_TYPE), "
            "TRIM(C.RDB$INDEX_NAME), (SELECT FIRST 1 T.RDB$TRIGGER_SOURCE FROM RDB$CHECK_CONSTRAINTS K "
            "JOIN RDB$TRIGGERS T ON T.RDB$TRIGGER_NAME = K.RDB$TRIGGER_NAME "
            "WHERE K.RDB$CONSTRAINT_NAME = C.RDB$CONSTRAINT_NAME AND C.RDB$CONSTRAINT_TYPE = 'CHECK') "
            "FROM RDB$RELATION_CONSTRAINTS C ORDER BY 2"));
    m << Lines(c,
               QStringLiteral("SELECT 'sequence', TRIM(RDB$GENERATOR_NAME) FROM RDB$GENERATORS "
                              "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 2"));
    return m;
}

QStringList Tables(TFbConnection& c)
{
    QStringList t;
    for (const QString& line :
         Lines(c,
               QStringLiteral("SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS "
                              "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 AND RDB$VIEW_BLR IS NULL ORDER BY 1")))
        t << line;
    return t;
}

QStringList Columns(TFbConnection& c, const QString& table)
{
    return Lines(c,
                 QStringLiteral("SELECT TRIM(RDB$FIELD_NAME) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = '%1' "
                                "ORDER BY RDB$FIELD_POSITION")
                     .arg(table));
}

// Every row of every table, in the columns each table had before: table -> rows.
QMap<QString, QStringList> Content(TFbConnection& c, const QMap<QString, QStringList>& columns)
{
    QMap<QString, QStringList> rows;
    for (auto it = columns.begin(); it != columns.end(); ++it) {
        // A table without an ID (the name index) is ordered by all its columns.
        QString order = QStringLiteral("ID");
        if (!it.value().contains(order)) {
            QStringList all;
            for (int k = 1; k <= it.value().size(); ++k)
                all << QString::number(k);
            order = all.join(QLatin1Char(','));
        }
        rows[it.key()] = Lines(
            c, QStringLiteral("SELECT %1 FROM %2 ORDER BY %3").arg(it.value().join(QLatin1Char(',')), it.key(), order));
    }
    return rows;
}

// What versions 5 and 9 do to the rows: a link of 0 (none chosen) becomes NULL, as the
// foreign keys of versions 6 and 10 want it: a stock-in line's supplier or buyer, a part's
// unit or standard, an employee's post or department. Every other value stays.
QMap<QString, QStringList> WithBillLinks(QMap<QString, QStringList> rows, const QMap<QString, QStringList>& columns)
{
    const QMap<QString, QStringList> links = {
        {QStringLiteral("TB_STORAGE"), {QStringLiteral("SUPPLIER_ID"), QStringLiteral("BUYER_ID")}},
        {QStringLiteral("TB_COMMODITY"), {QStringLiteral("UNIT_ID"), QStringLiteral("STANDARD_ID")}},
        {QStringLiteral("TB_EMPLOYEE"), {QStringLiteral("POST_ID"), QStringLiteral("DEPARTMENT_ID")}}};
    for (auto it = links.begin(); it != links.end(); ++it) {
        const QStringList names = columns.value(it.key());
        QList<int> linked;
        for (const QString& column : it.value())
            linked << int(names.indexOf(column));
        for (QString& row : rows[it.key()]) {
            QStringList cells = row.split(QLatin1Char('|'));
            for (int k : linked)
                if (k >= 0 && cells.value(k) == QLatin1String("0"))
                    cells[k] = QStringLiteral("<null>");
            row = cells.join(QLatin1Char('|'));
        }
    }
    return rows;
}

QStringList Summary(TFbConnection& c)
{
    return Lines(c, QStringLiteral("SELECT * FROM V_SALES_SUMMARY ORDER BY ID"));
}

// Rows written the way version 1 knows: a stock-in of two lots of one part at two prices,
// one lot sold empty, another line of the other lot, and one line without a lot.
void SellInVersionOneTerms(TFbConnection& c)
{
    c.Execute(QStringLiteral(
        "INSERT INTO TB_COMMODITY (ID, COMMODITY_NAME, UNIT_ID, STANDARD_ID) VALUES (900, '刹车片', 1, 1)"));
    c.Execute(QStringLiteral("INSERT INTO TB_STORAGE (ID, BILL_NO, COMMODITY_ID, IN_COUNT, IN_PRICE, REFER_PRICE) "
                             "VALUES (900, 90, 900, 3, 8.50, 12)"));
    c.Execute(QStringLiteral("INSERT INTO TB_STORAGE (ID, BILL_NO, COMMODITY_ID, IN_COUNT, IN_PRICE, REFER_PRICE) "
                             "VALUES (901, 90, 900, 5, 11.30, 15)"));
    c.Execute(QStringLiteral("INSERT INTO TB_STOCK (ID, COMMODITY_ID, STOCK_COUNT, STORAGE_BILL_NO, STORAGE_ID) VALUES "
                             "(900, 900, 0, 90, 900)"));
    c.Execute(QStringLiteral("INSERT INTO TB_STOCK (ID, COMMODITY_ID, STOCK_COUNT, STORAGE_BILL_NO, STORAGE_ID) VALUES "
                             "(901, 900, 4, 90, 901)"));
    c.Execute(QStringLiteral("INSERT INTO TB_SALES (ID, BILL_NO, COMMODITY_ID, OUT_COUNT, OUT_PRICE, OPERATOR_ID, "
                             "SALES_TYPE, STOCK_ID) VALUES (900, 70, 900, 3, 12, 1, 0, 900)"));
    c.Execute(QStringLiteral("INSERT INTO TB_SALES (ID, BILL_NO, COMMODITY_ID, OUT_COUNT, OUT_PRICE, OPERATOR_ID, "
                             "SALES_TYPE, STOCK_ID) VALUES (901, 70, 900, 1, 15, 1, 0, 901)"));
    c.Execute(QStringLiteral("INSERT INTO TB_SALES (ID, BILL_NO, COMMODITY_ID, OUT_COUNT, OUT_PRICE, OPERATOR_ID, "
                             "SALES_TYPE) VALUES (902, 71, 900, 2, 20, 1, 0)"));
}

QString ScriptFile(const QString& name)
{
    QFile f(QStringLiteral(TARNWELL_SOURCE_DIR "/database/upgrade/") + name);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

}   // namespace

class TestUpgrade : public QObject {
    Q_OBJECT

    QStringList FNewest;   // a new database's metadata

private slots:
    void initTestCase()
    {
        TTestDb db;
        QVERIFY2(db.Ok(), qPrintable(db.Error()));
        TFbConnection c;
        Attach(c, db);
        FNewest = Metadata(c);
        QVERIFY(FNewest.size() > 100);
    }

    void compiledScriptsAreTheFiles()
    {
        const QStringList files = QDir(QStringLiteral(TARNWELL_SOURCE_DIR "/database/upgrade"))
                                      .entryList({QStringLiteral("[0-9][0-9][0-9]_*.sql")}, QDir::Files, QDir::Name);
        const std::vector<TSchemaScript>& scripts = CompiledSchemaScripts();
        QCOMPARE(int(scripts.size()), files.size());
        QVERIFY(!scripts.empty());
        for (size_t k = 0; k < scripts.size(); ++k) {
            QCOMPARE(scripts[k].Version, int(k) + 2);
            QCOMPARE(scripts[k].Name, files[int(k)]);
            QCOMPARE(scripts[k].Text, ScriptFile(files[int(k)]));
            QString error;
            QVERIFY2(ParseSchemaScript(scripts[k].Text, nullptr, &error),
                     qPrintable(scripts[k].Name + QLatin1String(": ") + error));
            QVERIFY2(scripts[k].Text.contains(
                         QStringLiteral("SELECT CAST(%1 AS INTEGER) FROM RDB$DATABASE").arg(scripts[k].Version)),
                     qPrintable(scripts[k].Name));
        }
        QCOMPARE(ProgramSchemaVersion(), scripts.back().Version);
    }

    void parser_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("statements");   // empty: refused
        QTest::addColumn<QString>("error");   // part of the refusal's text

        const QString head = QStringLiteral("/* head */\nSET SQL DIALECT 3;\nSET AUTODDL OFF;\n");
        QTest::newRow("plain") << head + "CREATE TABLE A (ID INTEGER);  -- note; here\nCOMMIT;\n"
                               << QStringList{"CREATE TABLE A (ID INTEGER)"} << QString();
        QTest::newRow("terminator in strings and comments")
            << head
                + "INSERT INTO A VALUES ('x;y', 'it''s;');\n/* a ; b */\nUPDATE \"A;\" SET B = 1 /* ; */;\nCOMMIT WORK;"
            << QStringList{"INSERT INTO A VALUES ('x;y', 'it''s;')", "UPDATE \"A;\" SET B = 1 /* ; */"} << QString();
        QTest::newRow("set term around a body")
            << head
                + "SET TERM ^ ;\nCREATE PROCEDURE P AS\nBEGIN\n  -- keep; this\n  X = 1;\nEND^\nSET TERM ; ^\nSET "
                  "STATISTICS INDEX IX_A;\nCOMMIT;"
            << QStringList{"CREATE PROCEDURE P AS\nBEGIN\n  -- keep; this\n  X = 1;\nEND", "SET STATISTICS INDEX IX_A"}
            << QString();
        QTest::newRow("no commit") << head + "CREATE TABLE A (ID INTEGER);" << QStringList() << "COMMIT";
        QTest::newRow("after commit") << head + "COMMIT;\nCREATE TABLE A (ID INTEGER);\n"
                                      << QStringList() << "最后一句";
        QTest::newRow("autoddl on") << "SET AUTODDL ON;\nCREATE TABLE A (ID INTEGER);\nCOMMIT;" << QStringList()
                                    << "AUTODDL OFF";
        QTest::newRow("autoddl missing") << "CREATE TABLE A (ID INTEGER);\nCOMMIT;" << QStringList() << "AUTODDL OFF";
        QTest::newRow("commit in between")
            << head + "CREATE TABLE A (ID INTEGER);\nCOMMIT;\nCOMMIT;" << QStringList() << "最后一句";
        QTest::newRow("rollback") << head + "ROLLBACK;\nCOMMIT;" << QStringList() << "事务控制";
        QTest::newRow("commit retaining") << head + "COMMIT RETAINING;\nCOMMIT;" << QStringList() << "事务控制";
        QTest::newRow("isql input") << head + "INPUT 'x.sql';\nCOMMIT;" << QStringList() << "isql";
        QTest::newRow("isql set names") << head + "SET NAMES GBK;\nCOMMIT;" << QStringList() << "isql";
        QTest::newRow("unterminated") << head + "CREATE TABLE A (ID INTEGER)" << QStringList() << "结束符";
        QTest::newRow("open quote") << head + "INSERT INTO A VALUES ('x);\nCOMMIT;" << QStringList() << "引号";
        QTest::newRow("term left changed") << head + "SET TERM ^ ;\nCOMMIT^" << QStringList() << "SET TERM";
    }

    void parser()
    {
        QFETCH(QString, script);
        QFETCH(QStringList, statements);
        QFETCH(QString, error);
        QVector<TScriptStatement> out;
        QString why;
        const bool ok = ParseSchemaScript(script, &out, &why);
        if (statements.isEmpty()) {
            QVERIFY(!ok);
            QVERIFY2(why.contains(error), qPrintable(why));
            QVERIFY(why.contains(QStringLiteral("行")));
            return;
        }
        QVERIFY2(ok, qPrintable(why));
        QStringList got;
        for (const TScriptStatement& s : out)
            got << s.Sql;
        QCOMPARE(got, statements);
    }

    void newDatabaseIsNewest()
    {
        TTestDb db;
        QVERIFY2(db.Ok(), qPrintable(db.Error()));
        TFbConnection c;
        Attach(c, db);
        QCOMPARE(SchemaVersion(c), ProgramSchemaVersion());
        QString report;
        QCOMPARE(UpgradeSchema(c, &report), TSchemaUpgrade::UpToDate);
        QVERIFY2(report.contains(QStringLiteral("无需升级")), qPrintable(report));
        QCOMPARE(Metadata(c), FNewest);
    }

    // From every older version: the same schema as a new database, the same rows, the same
    // figures; a second run changes nothing.
    void upgradeFromEveryVersion_data()
    {
        QTest::addColumn<int>("version");
        for (int v = 1; v < ProgramSchemaVersion(); ++v)
            QTest::newRow(qPrintable(QStringLiteral("version %1").arg(v))) << v;
    }

    void upgradeFromEveryVersion()
    {
        QFETCH(int, version);
        TTestDb db(QStringLiteral("DATA.FDB"), {QStringLiteral("--version"), QString::number(version)});
        QVERIFY2(db.Ok(), qPrintable(db.Error()));
        TFbConnection c;
        Attach(c, db);
        QCOMPARE(SchemaVersion(c), version);
        SellInVersionOneTerms(c);
        QMap<QString, QStringList> columns;
        for (const QString& t : Tables(c))
            columns[t] = Columns(c, t);
        const QMap<QString, QStringList> before = Content(c, columns);
        const QStringList summary = Summary(c);
        QCOMPARE(
            summary,
            (QStringList{QStringLiteral("70|%1|4|51.00|0|14.20").arg(QDate::currentDate().toString(Qt::ISODate)),
                         QStringLiteral("71|%1|2|40.00|0|20.20").arg(QDate::currentDate().toString(Qt::ISODate))}));

        QString report;
        QCOMPARE(UpgradeSchema(c, &report), TSchemaUpgrade::Upgraded);
        QVERIFY2(report.contains(QStringLiteral("从第 %1 版升级到第 %2 版").arg(version).arg(ProgramSchemaVersion())),
                 qPrintable(report));
        QCOMPARE(SchemaVersion(c), ProgramSchemaVersion());
        QCOMPARE(Metadata(c), FNewest);
        const QMap<QString, QStringList> upgraded = WithBillLinks(before, columns);
        if (version < 9)
            QVERIFY(upgraded != before);   // the administrator has no post (0) before version 9
        QCOMPARE(Content(c, columns), upgraded);
        QCOMPARE(Summary(c), summary);
        QCOMPARE(Lines(c, QStringLiteral("SELECT ID, COST_PRICE FROM TB_SALES WHERE ID >= 900 ORDER BY ID")),
                 (QStringList{"900|8.50", "901|11.30", "902|9.90"}));   // lot, lot, the part's average

        QCOMPARE(UpgradeSchema(c, &report), TSchemaUpgrade::UpToDate);
        QCOMPARE(Metadata(c), FNewest);
        QCOMPARE(Content(c, columns), upgraded);
    }

    // A workshop's database of today, with rows in every table.
    void upgradeKeepsEveryRow()
    {
        TTestDb db(QStringLiteral("DATA.FDB"),
                   {QStringLiteral("--version"), QStringLiteral("1"), QStringLiteral("--demo"), QStringLiteral("300")});
        QVERIFY2(db.Ok(), qPrintable(db.Error()));
        TFbConnection c;
        Attach(c, db);
        QCOMPARE(SchemaVersion(c), 1);
        c.Execute(QStringLiteral("INSERT INTO TB_RIGHT (USER_ID, OBJECT_TYPE, FUNCTION_NAME, IS_READ, IS_APPEND) "
                                 "VALUES (2, '命令按钮', '配件销售', 1, 1)"));
        c.Execute(QStringLiteral(
            "INSERT INTO TB_RIGHT (USER_ID, OBJECT_TYPE, FUNCTION_NAME, IS_READ) VALUES (3, '树节点', '维修登记', 1)"));
        QMap<QString, QStringList> columns;
        for (const QString& t : Tables(c)) {
            columns[t] = Columns(c, t);
            QVERIFY2(c.Execute(QStringLiteral("SELECT COUNT(*) FROM %1").arg(t)).At(0, 0).AsInt64() > 0, qPrintable(t));
        }
        QVERIFY(columns.size() >= 15);
        const QMap<QString, QStringList> before = Content(c, columns);
        const QStringList summary = Summary(c);
        QVERIFY(summary.size() > 10);
        // Lot prices of the lines sold from a lot, to compare with the costs they get.
        const QStringList lotCosts =
            Lines(c,
                  QStringLiteral("SELECT L.ID, G.IN_PRICE FROM TB_SALES L JOIN TB_STOCK K ON K.ID = L.STOCK_ID "
                                 "JOIN TB_STORAGE G ON G.ID = K.STORAGE_ID ORDER BY L.ID"));
        QCOMPARE(lotCosts.size(), int(c.Execute(QStringLiteral("SELECT COUNT(*) FROM TB_SALES")).At(0, 0).AsInt64()));

        QString report;
        QCOMPARE(UpgradeSchema(c, &report), TSchemaUpgrade::Upgraded);
        QCOMPARE(SchemaVersion(c), ProgramSchemaVersion());
        for (auto it = columns.begin(); it != columns.end(); ++it)
            QCOMPARE(c.Execute(QStringLiteral("SELECT COUNT(*) FROM %1").arg(it.key())).At(0, 0).AsInt64(),
                     qint64(before[it.key()].size()));
        QCOMPARE(Content(c, columns), WithBillLinks(before, columns));
        QCOMPARE(Summary(c), summary);
        QCOMPARE(Lines(c, QStringLiteral("SELECT ID, COST_PRICE FROM TB_SALES ORDER BY ID")), lotCosts);

        // The carry-forward now takes the empty lots without touching a past bill's figures.
        const qint64 empty = c.Execute(QStringLiteral("DELETE FROM TB_STOCK WHERE STOCK_COUNT = 0")).RowsAffected;
        QVERIFY(empty > 0);
        QCOMPARE(Summary(c), summary);

        QCOMPARE(UpgradeSchema(c, &report), TSchemaUpgrade::UpToDate);
        QCOMPARE(Summary(c), summary);
    }

    // A version-8 database as two desks could leave it: names repeated up to letter case and
    // blanks, parts and employees with none (0) or with an entry that is gone. After the
    // upgrade every use points at the lowest ID of its name, none and gone are NULL and read
    // as '', and the database refuses a repeated name, a link to nothing and the delete of
    // an entry in use.
    void upgradeMergesDictionaries()
    {
        TTestDb db(QStringLiteral("DATA.FDB"), {QStringLiteral("--version"), QStringLiteral("8")});
        QVERIFY2(db.Ok(), qPrintable(db.Error()));
        TFbConnection c;
        Attach(c, db);
        QCOMPARE(SchemaVersion(c), 8);
        for (const char* sql : {
                 "INSERT INTO TB_UNIT (ID, UNIT_NAME) VALUES (20, 'kg')",
                 "INSERT INTO TB_UNIT (ID, UNIT_NAME) VALUES (21, ' KG ')",
                 "INSERT INTO TB_UNIT (ID, UNIT_NAME) VALUES (22, 'Kg')",
                 "INSERT INTO TB_UNIT (ID, UNIT_NAME) VALUES (23, '个 ')",   // seeded 1 个
                 "INSERT INTO TB_UNIT (ID, UNIT_NAME) VALUES (24, NULL)",
                 "INSERT INTO TB_UNIT (ID, UNIT_NAME) VALUES (25, NULL)",
                 "INSERT INTO TB_STANDARD (ID, STANDARD_NAME) VALUES (30, ' 大号')",   // seeded 2 大号
                 "INSERT INTO TB_POST (ID, POST_NAME) VALUES (40, '经理  ')",   // seeded 1 经理
                 "INSERT INTO TB_DEPARTMENT (ID, DEPARTMENT_NAME) VALUES (50, 'It')",
                 "INSERT INTO TB_DEPARTMENT (ID, DEPARTMENT_NAME) VALUES (51, 'IT')",
                 "INSERT INTO TB_COMMODITY (ID, COMMODITY_NAME, UNIT_ID, STANDARD_ID) VALUES (900, '刹车片', 22, 30)",
                 "INSERT INTO TB_COMMODITY (ID, COMMODITY_NAME, UNIT_ID, STANDARD_ID) VALUES (901, '机油', 0, 0)",
                 "INSERT INTO TB_COMMODITY (ID, COMMODITY_NAME, UNIT_ID, STANDARD_ID) VALUES (902, '雨刮', 999, 4)",
                 "INSERT INTO TB_COMMODITY (ID, COMMODITY_NAME, UNIT_ID, STANDARD_ID) VALUES (903, '火花塞', 23, NULL)",
                 "INSERT INTO TB_COMMODITY (ID, COMMODITY_NAME, UNIT_ID, STANDARD_ID) VALUES (904, '灯泡', 21, 2)",
                 "INSERT INTO TB_COMMODITY (ID, COMMODITY_NAME, UNIT_ID, STANDARD_ID) VALUES (905, '保险丝', 25, 1)",
                 "INSERT INTO TB_EMPLOYEE (ID, EMPLOYEE_NAME, POST_ID, DEPARTMENT_ID) VALUES (60, '张建国', 40, 51)",
                 "INSERT INTO TB_EMPLOYEE (ID, EMPLOYEE_NAME, POST_ID, DEPARTMENT_ID) VALUES (61, '李志强', 0, 77)",
                 "INSERT INTO TB_EMPLOYEE (ID, EMPLOYEE_NAME, POST_ID, DEPARTMENT_ID) VALUES (62, '王海涛', 2, 50)",
             })
            c.Execute(QString::fromUtf8(sql));
        // The sales line of a part keeps its part through the upgrade.
        c.Execute(QStringLiteral("INSERT INTO TB_SALES (ID, BILL_NO, COMMODITY_ID, OUT_COUNT, OUT_PRICE, OPERATOR_ID, "
                                 "SALES_TYPE) VALUES (900, 70, 904, 2, 20, 1, 0)"));

        QString report;
        QCOMPARE(UpgradeSchema(c, &report), TSchemaUpgrade::Upgraded);
        QCOMPARE(SchemaVersion(c), ProgramSchemaVersion());
        QCOMPARE(Metadata(c), FNewest);

        QCOMPARE(Lines(c, QStringLiteral("SELECT ID, UNIT_NAME FROM TB_UNIT ORDER BY ID")),
                 (QStringList{"1|个", "2|件", "3|套", "4|升", "5|只", "20|kg", "24|<null>", "25|<null>"}));
        QCOMPARE(Lines(c, QStringLiteral("SELECT ID FROM TB_STANDARD ORDER BY ID")), (QStringList{"1", "2", "3", "4"}));
        QCOMPARE(Lines(c, QStringLiteral("SELECT ID FROM TB_POST ORDER BY ID")), (QStringList{"1", "2", "3", "4"}));
        QCOMPARE(Lines(c, QStringLiteral("SELECT ID, DEPARTMENT_NAME FROM TB_DEPARTMENT WHERE ID > 4 ORDER BY ID")),
                 QStringList{"50|It"});
        QCOMPARE(Lines(c,
                       QStringLiteral("SELECT ID, UNIT_ID, UNIT_NAME, STANDARD_ID, STANDARD_NAME FROM V_COMMODITY "
                                      "ORDER BY ID")),
                 (QStringList{"900|20|kg|2|大号", "901|<null>||<null>|", "902|<null>||4|通用", "903|1|个|<null>|",
                              "904|20|kg|2|大号", "905|25||1|标准"}));
        QCOMPARE(Lines(c,
                       QStringLiteral("SELECT ID, POST_ID, POST_NAME, DEPARTMENT_ID, DEPARTMENT_NAME FROM V_EMPLOYEE "
                                      "ORDER BY ID")),
                 (QStringList{"1|<null>||<null>|", "60|1|经理|50|It", "61|<null>||<null>|", "62|2|维修工|50|It"}));
        QCOMPARE(Lines(c, QStringLiteral("SELECT COMMODITY_ID, UNIT_NAME FROM V_SALES")), QStringList{"904|kg"});

        // From here on the database itself keeps it so.
        const auto refused = [&](const QString& sql, intptr_t code) {
            try {
                c.Execute(sql);
            } catch (const TFbError& e) {
                return e.HasCode(code);
            }
            return false;
        };
        QVERIFY(refused(QStringLiteral("INSERT INTO TB_UNIT (ID, UNIT_NAME) VALUES (0, ' KG')"), FbCodes::NoDuplicate));
        QVERIFY(refused(QStringLiteral("UPDATE TB_POST SET POST_NAME = '经理' WHERE ID = 2"), FbCodes::NoDuplicate));
        QVERIFY(refused(QStringLiteral("UPDATE TB_COMMODITY SET UNIT_ID = 999 WHERE ID = 901"), FbCodes::ForeignKey));
        QVERIFY(refused(QStringLiteral("DELETE FROM TB_UNIT WHERE ID = 20"), FbCodes::ForeignKey));
        QVERIFY(refused(QStringLiteral("DELETE FROM TB_DEPARTMENT WHERE ID = 50"), FbCodes::ForeignKey));
        c.Execute(QStringLiteral("DELETE FROM TB_UNIT WHERE ID = 24"));   // unused
        // A writer that still sends 0 stores none.
        c.Execute(QStringLiteral("UPDATE TB_COMMODITY SET UNIT_ID = 0, STANDARD_ID = 0 WHERE ID = 900"));
        c.Execute(QStringLiteral("UPDATE TB_EMPLOYEE SET POST_ID = 0, DEPARTMENT_ID = 0 WHERE ID = 60"));
        QCOMPARE(Lines(c, QStringLiteral("SELECT UNIT_ID, STANDARD_ID FROM TB_COMMODITY WHERE ID = 900")),
                 QStringList{"<null>|<null>"});
        QCOMPARE(Lines(c, QStringLiteral("SELECT POST_ID, DEPARTMENT_ID FROM TB_EMPLOYEE WHERE ID = 60")),
                 QStringList{"<null>|<null>"});
    }

    // A version-10 database as two desks opening one new employee could leave it: his rows
    // of one function written twice or three times (IDs as maximum plus one, the sequence
    // left behind), and rows without an employee or a function. After the upgrade each
    // employee has one row per function, the lowest ID, granting what any of them granted;
    // the others are gone, and the database refuses a second row or one without either.
    void upgradeMergesRights()
    {
        TTestDb db(QStringLiteral("DATA.FDB"), {QStringLiteral("--version"), QStringLiteral("10")});
        QVERIFY2(db.Ok(), qPrintable(db.Error()));
        TFbConnection c;
        Attach(c, db);
        QCOMPARE(SchemaVersion(c), 10);
        for (const char* values : {
                 "500, 7, '命令按钮', '供应商', 1, 0, 0, 0",
                 "501, 7, '命令按钮', '供应商', 0, 1, 0, 0",
                 "502, 7, '树节点', '供应商', 0, 0, 0, 1",
                 "503, 7, '命令按钮', '本单位', 0, 0, 0, 0",
                 "504, 8, '命令按钮', '供应商', 0, 0, 1, 0",
                 "505, 8, '命令按钮', '本单位', 1, 1, 1, 1",
                 "506, 8, '命令按钮', '本单位 ', 0, 0, 0, 0",   // the same name to the key
                 "507, 9, '命令按钮', '工具管理', 0, NULL, NULL, 0",
                 "508, 9, '命令按钮', '工具管理', NULL, 1, NULL, 2",
                 "509, NULL, '命令按钮', '本单位', 1, 1, 1, 1",
                 "510, 7, '命令按钮', NULL, 1, 1, 1, 1",
                 "520, 7, '命令按钮', '维修结账', 1, 1, 1, 1",
             })
            c.Execute(QStringLiteral("INSERT INTO TB_RIGHT (ID, USER_ID, OBJECT_TYPE, FUNCTION_NAME, IS_READ, "
                                     "IS_APPEND, IS_ALTER, IS_DELETE) VALUES (%1)")
                          .arg(QString::fromUtf8(values)));

        QString report;
        QCOMPARE(UpgradeSchema(c, &report), TSchemaUpgrade::Upgraded);
        QCOMPARE(SchemaVersion(c), ProgramSchemaVersion());
        QCOMPARE(Metadata(c), FNewest);
        QCOMPARE(Lines(c, QStringLiteral("SELECT ID, USER_ID, OBJECT_TYPE, FUNCTION_NAME, IS_READ, IS_APPEND, IS_ALTER, "
                                         "IS_DELETE FROM TB_RIGHT ORDER BY ID")),
                 (QStringList{"500|7|命令按钮|供应商|1|1|0|1", "503|7|命令按钮|本单位|0|0|0|0",
                              "504|8|命令按钮|供应商|0|0|1|0", "505|8|命令按钮|本单位|1|1|1|1",
                              "507|9|命令按钮|工具管理|0|1|<null>|0", "520|7|命令按钮|维修结账|1|1|1|1"}));

        const auto refused = [&](const QString& sql, intptr_t code) {
            try {
                c.Execute(sql);
            } catch (const TFbError& e) {
                return code == 0 || e.HasCode(code);
            }
            return false;
        };
        QVERIFY(refused(QStringLiteral("INSERT INTO TB_RIGHT (USER_ID, FUNCTION_NAME) VALUES (7, '供应商')"),
                        FbCodes::UniqueKey));
        QVERIFY(refused(QStringLiteral("INSERT INTO TB_RIGHT (USER_ID, FUNCTION_NAME) VALUES (8, '本单位  ')"),
                        FbCodes::UniqueKey));
        QVERIFY(refused(QStringLiteral("UPDATE TB_RIGHT SET FUNCTION_NAME = '供应商' WHERE ID = 503"), FbCodes::UniqueKey));
        QVERIFY(refused(QStringLiteral("INSERT INTO TB_RIGHT (USER_ID, FUNCTION_NAME) VALUES (NULL, '库存盘点')"), 0));
        QVERIFY(refused(QStringLiteral("INSERT INTO TB_RIGHT (USER_ID, FUNCTION_NAME) VALUES (7, NULL)"), 0));
        // A new row's ID comes after every stored one (the refused rows above used some).
        QVERIFY(c.Execute(QStringLiteral("INSERT INTO TB_RIGHT (USER_ID, FUNCTION_NAME) VALUES (7, '库存盘点') "
                                         "RETURNING ID"))
                    .At(0, 0)
                    .AsInt64()
                > 520);
    }

    void refusesNewerDatabase()
    {
        TTestDb db;
        QVERIFY2(db.Ok(), qPrintable(db.Error()));
        TFbConnection c;
        Attach(c, db);
        const int newer = ProgramSchemaVersion() + 1;
        c.Execute(
            QStringLiteral("CREATE OR ALTER VIEW V_SCHEMA (VERSION) AS SELECT CAST(%1 AS INTEGER) FROM RDB$DATABASE")
                .arg(newer));
        c.Execute(QStringLiteral("INSERT INTO TB_TOOL (TOOL_NAME) VALUES ('扭力扳手')"));
        const QStringList meta = Metadata(c);
        const QStringList tools = Lines(c, QStringLiteral("SELECT * FROM TB_TOOL"));
        QCOMPARE(SchemaVersion(c), newer);

        QString report;
        QCOMPARE(UpgradeSchema(c, &report), TSchemaUpgrade::TooNew);
        QVERIFY2(report.contains(QStringLiteral("第 %1 版").arg(newer)) && report.contains(QStringLiteral("新版程序"))
                     && report.contains(QStringLiteral("没有改动")),
                 qPrintable(report));
        QCOMPARE(Metadata(c), meta);
        QCOMPARE(Lines(c, QStringLiteral("SELECT * FROM TB_TOOL")), tools);
        QCOMPARE(SchemaVersion(c), newer);
    }

    void refusesForeignDatabase()
    {
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777)));
        const QString path = dir.filePath(QStringLiteral("OTHER.FDB"));
        QProcess isql;
        isql.start(QStringLiteral("isql-fb"), {QStringLiteral("-q")});
        QVERIFY(isql.waitForStarted());
        isql.write(QStringLiteral(
                       "CREATE DATABASE '%1' USER '%2' PASSWORD '%3';\nCREATE TABLE TB_OTHER (ID INTEGER);\nCOMMIT;\n")
                       .arg(TTestDb::ServerLocation(path), TConPool::UserName, TConPool::Password)
                       .toUtf8());
        isql.closeWriteChannel();
        QVERIFY(isql.waitForFinished(60000));
        QVERIFY2(QFile::exists(path), isql.readAllStandardError().constData());
        TFbConnection c;
        c.Attach(TTestDb::ServerLocation(path), TConPool::UserName, TConPool::Password);
        const QStringList meta = Metadata(c);
        QString report;
        QCOMPARE(UpgradeSchema(c, &report), TSchemaUpgrade::Failed);
        QVERIFY2(report.contains(QStringLiteral("不是本系统的数据库")), qPrintable(report));
        QCOMPARE(Metadata(c), meta);
        c.Execute(QStringLiteral("SELECT 1 FROM RDB$DATABASE"));
        c.Detach();
        QFile::remove(path);
    }

    // A script that fails is undone whole: the database stays at the version before it.
    void failingScript_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<int>("expected");   // the version afterwards
        QTest::addColumn<bool>("applied");   // its changes are there
        QTest::addColumn<QString>("message");
        const QString changes =
            QStringLiteral("CREATE TABLE TB_JUNK (ID INTEGER);\nALTER TABLE TB_TOOL ADD JUNK INTEGER;\n"
                           "UPDATE TB_TOOL SET TOOL_COUNT = 7;\n");
        const QString version =
            QStringLiteral("CREATE OR ALTER VIEW V_SCHEMA (VERSION) AS SELECT CAST(3 AS INTEGER) FROM RDB$DATABASE;\n");
        QTest::newRow("a statement fails")
            << changes + "INSERT INTO TB_NOWHERE (ID) VALUES (1);\n" + version << 2 << false << "第 6 行";
        // The index is built from the rows that are there, which hold one name twice.
        QTest::newRow("a unique index on duplicates")
            << changes + "CREATE UNIQUE INDEX UX_TOOL_NAME ON TB_TOOL (TOOL_NAME);\n" + version << 2 << false
            << "提交时";
        QTest::newRow("a script without its version") << changes << 2 << true << "报告的是第 2 版";
        QTest::newRow("a script that parses not") << changes + "ROLLBACK;\n" + version << 2 << false << "有误";
    }

    void failingScript()
    {
        QFETCH(QString, body);
        QFETCH(int, expected);
        QFETCH(bool, applied);
        QFETCH(QString, message);
        TTestDb db(QStringLiteral("DATA.FDB"), {QStringLiteral("--version"), QStringLiteral("1")});
        QVERIFY2(db.Ok(), qPrintable(db.Error()));
        TFbConnection c;
        Attach(c, db);
        c.Execute(QStringLiteral("INSERT INTO TB_TOOL (TOOL_NAME, TOOL_COUNT) VALUES ('千斤顶', 2)"));
        c.Execute(QStringLiteral("INSERT INTO TB_TOOL (TOOL_NAME, TOOL_COUNT) VALUES ('千斤顶', 2)"));
        const std::vector<TSchemaScript> scripts = {CompiledSchemaScripts().front(),
                                                    {3, QStringLiteral("003_broken.sql"),
                                                     QStringLiteral("SET SQL DIALECT 3;\nSET AUTODDL OFF;\n") + body
                                                         + QStringLiteral("COMMIT;\n")}};
        QCOMPARE(scripts.front().Version, 2);

        QString report;
        const TSchemaUpgrade outcome = UpgradeSchema(c, scripts, &report);
        QCOMPARE(outcome, TSchemaUpgrade::Failed);
        QVERIFY2(report.contains(message) && report.contains(QStringLiteral("003_broken.sql")), qPrintable(report));
        QCOMPARE(SchemaVersion(c), expected);
        QCOMPARE(Lines(c, QStringLiteral("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = 'TB_JUNK'")),
                 QStringList{applied ? "1" : "0"});
        QCOMPARE(Lines(c,
                       QStringLiteral("SELECT COUNT(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = 'TB_TOOL' "
                                      "AND RDB$FIELD_NAME = 'JUNK'")),
                 QStringList{applied ? "1" : "0"});
        QCOMPARE(Lines(c, QStringLiteral("SELECT TOOL_COUNT FROM TB_TOOL")),
                 (applied ? QStringList{"7", "7"} : QStringList{"2", "2"}));
        QCOMPARE(Lines(c, QStringLiteral("SELECT COUNT(*) FROM RDB$INDICES WHERE RDB$INDEX_NAME = 'UX_TOOL_NAME'")),
                 QStringList{"0"});
        // Version 2 itself stays whole.
        QCOMPARE(Lines(c,
                       QStringLiteral("SELECT COUNT(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = 'TB_SALES' "
                                      "AND RDB$FIELD_NAME = 'COST_PRICE'")),
                 QStringList{"1"});
        if (!applied) {
            // Mended, the same upgrade goes on from where it stopped, on a new attachment as
            // the report asks.
            QVERIFY2(message == QStringLiteral("有误") || report.contains(QStringLiteral("重新连接")),
                     qPrintable(report));
            TFbConnection again;
            Attach(again, db);
            QCOMPARE(SchemaVersion(again), 2);
            QCOMPARE(UpgradeSchema(again, &report), TSchemaUpgrade::Upgraded);
            QVERIFY2(report.contains(QStringLiteral("从第 2 版升级")), qPrintable(report));
            QCOMPARE(Metadata(again), FNewest);
        }
    }
};

QTEST_GUILESS_MAIN(TestUpgrade)
#include "tst_upgrade.moc"
