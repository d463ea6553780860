// The dictionary model against a real database: loading into the editing grid, IDs from the
// table's generator, repeated names and entries in use refused (also when another workstation
// stored or started using them after the grid was loaded), awkward names stored exactly or
// refused with a clear sentence, and a second save doing nothing. Behind the model's own tests
// the database refuses too: a name another workstation has added but not yet committed, and
// the removal of an entry in use that the model's test did not see.
#include "ConPool.h"
#include "Dictionary.h"
#include "FbClient.h"
#include "TestDb.h"
#include "Values.h"

#include <QtTest>

#include <future>
#include <memory>

namespace {

using TestValues::I;
using TestValues::T;

const QString Unit = QStringLiteral("单位");

// The four dictionaries with an in-use test that never finds a use: what the model would do
// if another workstation started using an entry between its test and its delete.
class TBlindDic : public TDic {
public:
    TBlindDic()
    {
        for (TDicInfo& d : FDictionaries)
            d.InUseQuery = QStringLiteral("SELECT 1 FROM RDB$DATABASE WHERE CAST(? AS INTEGER) IS NULL");
    }
};

}   // namespace

class TestDictionary : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestDb> FDb;
    std::unique_ptr<TConPool> FPool;
    std::unique_ptr<TFbConnection> FLook;   // another workstation
    std::unique_ptr<TDic> FDic;
    TDataSet* FDataSet = nullptr;
    TSQLQuery* FQuery = nullptr;

    // The units in the table, "ID:name" in ID order.
    QStringList Units()
    {
        const TFbResult r = FLook->Execute(QStringLiteral("SELECT ID, UNIT_NAME FROM TB_UNIT ORDER BY ID"));
        QStringList out;
        for (int row = 0; row < r.RowCount(); ++row)
            out << r.At(row, 0).AsString() + QLatin1Char(':') + r.At(row, 1).AsString();
        return out;
    }

    qint64 AddUnit(const QString& name)
    {
        return FLook
            ->Execute(QStringLiteral("INSERT INTO TB_UNIT (ID, UNIT_NAME) VALUES (0, ?) RETURNING ID"), {T(name)})
            .At(0, 0)
            .AsInt64();
    }

    void AddPart(qint64 unit)
    {
        FLook->Execute(QStringLiteral(
                           "INSERT INTO TB_COMMODITY (COMMODITY_NAME, UNIT_ID, STANDARD_ID) VALUES (?, ?, 0)"),
                       {T(QStringLiteral("机油滤清器")), I(unit)});
    }

    TDicGrid LoadUnits()
    {
        TDicGrid g;
        FDic->LoadDictionary(Unit, g);
        return g;
    }

    // A new row as the window writes it: into the empty row, else appended.
    static int Append(TDicGrid& g, const QString& name, const QString& mark = DicMark::Add, const QString& id = "0")
    {
        if (!g.Cell(0, g.RowCount() - 1).isEmpty())
            g.SetRowCount(g.RowCount() + 1);
        const int row = g.RowCount() - 1;
        g.SetCell(0, row, id);
        g.SetCell(1, row, name);
        g.SetCell(2, row, mark);
        return row;
    }

    static int RowOf(const TDicGrid& g, qint64 id)
    {
        for (int row = 1; row < g.RowCount(); ++row)
            if (g.Cell(0, row) == QString::number(id))
                return row;
        return -1;
    }

    TDicSaveReport Save(TDicGrid& g)
    {
        FDic->SetDicIndex(2);
        return FDic->ApplyChanges(g);
    }

private slots:
    void init()
    {
        FDb = std::make_unique<TTestDb>();
        QVERIFY2(FDb->Ok(), qPrintable(FDb->Error()));
        FLook = std::make_unique<TFbConnection>();
        FLook->Attach(FDb->Location(), TConPool::UserName, TConPool::Password);
        // Units and standards as a workshop that has never stored one has them.
        for (const char* word : {"UNIT", "STANDARD"}) {
            FLook->Execute(QStringLiteral("DELETE FROM TB_%1").arg(QLatin1String(word)));
            FLook->Execute(QStringLiteral("ALTER SEQUENCE GEN_%1_ID RESTART WITH 0").arg(QLatin1String(word)));
        }
        FPool = std::make_unique<TConPool>();
        FPool->Open(FDb->Location());
        FDic = std::make_unique<TDic>();
        FDataSet = FPool->GetDataSet();
        FQuery = FPool->GetQuery();
        FDic->SetDataSet(FDataSet);
        FDic->SetQuery(FQuery);
    }

    void cleanup()
    {
        if (FPool) {
            FPool->FreeDataSet(FDataSet);
            FPool->FreeQuery(FQuery);
        }
        FDic.reset();
        FPool.reset();
        FLook.reset();
        FDb.reset();
    }

    void dictionaries()
    {
        QCOMPARE(FDic->ListNames(), (QStringList{"部门", "职位", "单位", "规格"}));
        QCOMPARE(FDic->DicIndex(), 0);
        for (const TDicInfo& d : FDic->Dictionaries())
            QCOMPARE(d.NameLength, 32);
    }

    void load_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("empty units: one empty row") << "单位" << QStringList{""} << QStringList{""};
        QTest::newRow("empty standards") << "规格" << QStringList{""} << QStringList{""};
        QTest::newRow("departments") << "部门" << QStringList{"1", "2", "3", "4"}
                                     << QStringList{"维修部", "配件部", "财务部", "办公室"};
        QTest::newRow("posts") << "职位" << QStringList{"1", "2", "3", "4"}
                               << QStringList{"经理", "维修工", "库管员", "收银员"};
    }

    void load()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, ids);
        QFETCH(QStringList, names);
        TDicGrid g;
        g.SetWidth(300);
        FDic->LoadDictionary(name, g);
        QCOMPARE(g.ColCount(), 3);
        QCOMPARE(g.FixedRows(), 1);
        QCOMPARE(g.RowCount(), ids.size() + 1);
        QCOMPARE(g.Cell(0, 0), QStringLiteral("编号"));
        QCOMPARE(g.Cell(1, 0), name);
        QCOMPARE(g.Cell(2, 0), QStringLiteral("编辑标记"));
        QCOMPARE(g.ColWidth(0), 50);
        QCOMPARE(g.ColWidth(1), 300 - 50 - 80 - 10);
        QCOMPARE(g.ColWidth(2), 80);
        for (int k = 0; k < ids.size(); ++k) {
            QCOMPARE(g.Cell(0, k + 1), ids[k]);
            QCOMPARE(g.Cell(1, k + 1), names[k]);
            QCOMPARE(g.Cell(2, k + 1), QString());
        }
        // Loading again over marks clears them.
        g.SetCell(2, 1, DicMark::Remove);
        FDic->LoadDictionary(name, g);
        QCOMPARE(g.Cell(2, 1), QString());
    }

    // The first entry of an empty table is 1, the next 2, from the generator; a save of the
    // same grid again writes nothing.
    void addFromGenerator()
    {
        TDicGrid g = LoadUnits();
        const int a = Append(g, QStringLiteral("个"));
        QCOMPARE(a, 1);
        TDicSaveReport r = Save(g);
        QCOMPARE(r.Stored, 1);
        QVERIFY(!r.Stopped());
        QCOMPARE(g.Cell(2, a), DicMark::Done);
        QCOMPARE(Units(), QStringList{"1:个"});
        const int b = Append(g, QStringLiteral("  套 "));
        r = Save(g);
        QCOMPARE(r.Stored, 1);
        QCOMPARE(g.Cell(2, b), DicMark::Done);
        QCOMPARE(Units(), (QStringList{"1:个", "2:套"}));

        r = Save(g);
        QCOMPARE(r.Stored, 0);
        QVERIFY(r.Refusals.isEmpty());
        QCOMPARE(g.Cell(2, a), DicMark::Done);
        QCOMPARE(g.Cell(2, b), DicMark::Done);
        QCOMPARE(Units(), (QStringList{"1:个", "2:套"}));

        // A removed entry's ID is not given again.
        FLook->Execute(QStringLiteral("DELETE FROM TB_UNIT WHERE ID = 2"));
        g = LoadUnits();
        Append(g, QStringLiteral("箱"));
        Save(g);
        QCOMPARE(Units(), (QStringList{"1:个", "3:箱"}));
    }

    void repeatedName_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("stored");   // false: the database holds it already
        QTest::newRow("same") << "kg" << true;
        QTest::newRow("other letter case") << "KG" << true;
        QTest::newRow("blanks around") << "  kg " << true;
        QTest::newRow("both") << " Kg" << true;
        QTest::newRow("stored by another workstation") << "KG" << false;
        QTest::newRow("another workstation, blanks") << " kG  " << false;
    }

    // In the grid or only in the database (stored after the grid was loaded): refused, the
    // row marked 失败, nothing written, the rest of the grid saved.
    void repeatedName()
    {
        QFETCH(QString, typed);
        QFETCH(bool, stored);
        if (stored)
            AddUnit(QStringLiteral("kg"));
        TDicGrid g = LoadUnits();
        if (!stored)
            AddUnit(QStringLiteral("kg"));
        const int row = Append(g, typed);
        const int other = Append(g, QStringLiteral("升"));
        const TDicSaveReport r = Save(g);
        QVERIFY(!r.Stopped());
        QCOMPARE(g.Cell(2, row), DicMark::Refused);
        QCOMPARE(g.Cell(2, other), DicMark::Done);
        QCOMPARE(r.Refusals.size(), 1);
        QVERIFY2(r.Refusals[0].contains(typed.trimmed()), qPrintable(r.Refusals[0]));
        QCOMPARE(Units(), (QStringList{"1:kg", "2:升"}));
    }

    void repeatedInGrid()
    {
        TDicGrid g = LoadUnits();
        const int a = Append(g, QStringLiteral("桶"));
        const int b = Append(g, QStringLiteral(" 桶"));
        Save(g);
        QCOMPARE(g.Cell(2, a), DicMark::Refused);
        QCOMPARE(g.Cell(2, b), DicMark::Refused);
        QVERIFY(Units().isEmpty());
    }

    void change_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("mark");
        QTest::addColumn<QString>("stored");
        QTest::newRow("new name") << "千克" << DicMark::Done << "千克";
        QTest::newRow("blanks kept") << " 千克 " << DicMark::Done << " 千克 ";
        QTest::newRow("own name in other case") << "KG" << DicMark::Done << "KG";
        QTest::newRow("another entry's name") << "L" << DicMark::Refused << "kg";
        QTest::newRow("another workstation's new name") << "Box" << DicMark::Refused << "kg";
    }

    void change()
    {
        QFETCH(QString, typed);
        QFETCH(QString, mark);
        QFETCH(QString, stored);
        const qint64 kg = AddUnit(QStringLiteral("kg"));
        AddUnit(QStringLiteral("l"));
        TDicGrid g = LoadUnits();
        AddUnit(QStringLiteral("BOX"));
        const int row = RowOf(g, kg);
        g.SetCell(1, row, typed);
        g.SetCell(2, row, DicMark::Change);
        const TDicSaveReport r = Save(g);
        QVERIFY(!r.Stopped());
        QCOMPARE(g.Cell(2, row), mark);
        QCOMPARE(Units(), (QStringList{"1:" + stored, "2:l", "3:BOX"}));
    }

    // What the window asks before it marks a row changed.
    void changedName_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("changed");
        QTest::newRow("other letter case") << "kg"
                                           << "KG" << false;
        QTest::newRow("same") << "个"
                              << "个" << false;
        QTest::newRow("empty") << "个"
                               << "" << false;
        QTest::newRow("other") << "个"
                               << "只" << true;
        QTest::newRow("blanks") << "个"
                                << " 个" << true;
    }

    void changedName()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(bool, changed);
        QCOMPARE(TDictionary::IsChangedName(before, after), changed);
    }

    void nameRepeated_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("repeated");
        QTest::newRow("empty list") << "a" << QStringList{} << false;
        QTest::newRow("once") << "a" << QStringList{"a", "b"} << false;
        QTest::newRow("twice") << "a" << QStringList{"a", "b", "a"} << true;
        QTest::newRow("case and blanks") << " A" << QStringList{"a ", "A"} << true;
        QTest::newRow("absent") << "c" << QStringList{"a", "a"} << false;
    }

    void nameRepeated()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, names);
        QFETCH(bool, repeated);
        QCOMPARE(TDictionary::NameRepeated(name, names), repeated);
    }

    void remove_data()
    {
        QTest::addColumn<bool>("usedBefore");
        QTest::addColumn<bool>("usedMeanwhile");
        QTest::addColumn<QString>("mark");
        QTest::newRow("unused") << false << false << DicMark::Done;
        QTest::newRow("used by a part") << true << false << DicMark::Refused;
        QTest::newRow("used since the grid was loaded") << false << true << DicMark::Refused;
    }

    void remove()
    {
        QFETCH(bool, usedBefore);
        QFETCH(bool, usedMeanwhile);
        QFETCH(QString, mark);
        const qint64 kg = AddUnit(QStringLiteral("kg"));
        const qint64 l = AddUnit(QStringLiteral("l"));
        if (usedBefore)
            AddPart(kg);
        TDicGrid g = LoadUnits();
        if (usedMeanwhile)
            AddPart(kg);
        g.SetCell(2, RowOf(g, kg), DicMark::Remove);
        g.SetCell(2, RowOf(g, l), DicMark::Remove);
        const TDicSaveReport r = Save(g);
        QVERIFY(!r.Stopped());
        QCOMPARE(g.Cell(2, RowOf(g, kg)), mark);
        QCOMPARE(g.Cell(2, RowOf(g, l)), DicMark::Done);
        QCOMPARE(Units(), mark == DicMark::Done ? QStringList{} : QStringList{"1:kg"});
        QCOMPARE(r.Refusals.size(), mark == DicMark::Done ? 0 : 1);
    }

    // Another workstation has added the name and not yet committed: neither this save's test
    // nor that one's sees the other's row. The unique index holds this insert until the other
    // ends, then refuses it (the other committed) or lets it in (the other rolled back); the
    // save never stops and never hangs.
    void concurrentAdd_data()
    {
        QTest::addColumn<QString>("theirs");
        QTest::addColumn<QString>("ours");
        QTest::addColumn<bool>("theyCommit");
        QTest::newRow("same name, they commit") << "kg"
                                                << "kg" << true;
        QTest::newRow("other case and blanks, they commit") << "kg"
                                                            << " KG " << true;
        QTest::newRow("they roll back") << "kg"
                                        << " KG " << false;
    }

    void concurrentAdd()
    {
        QFETCH(QString, theirs);
        QFETCH(QString, ours);
        QFETCH(bool, theyCommit);
        TDicGrid g = LoadUnits();
        const int row = Append(g, ours);
        const int other = Append(g, QStringLiteral("升"));
        auto them = std::make_unique<TFbTransaction>(*FLook);
        FLook->Execute(QStringLiteral("INSERT INTO TB_UNIT (ID, UNIT_NAME) VALUES (0, ?)"), {T(theirs)}, them.get());

        FDic->SetDicIndex(2);
        std::future<TDicSaveReport> saving = std::async(std::launch::async, [&] { return FDic->ApplyChanges(g); });
        // Our insert is under way (held by their uncommitted entry, or about to be) before
        // they finish; either way the outcome is the same.
        auto oursRunning = [&] {
            return FLook
                       ->Execute(QStringLiteral("SELECT COUNT(*) FROM MON$STATEMENTS S WHERE S.MON$STATE = 1 "
                                                "AND S.MON$ATTACHMENT_ID <> CURRENT_CONNECTION AND S.MON$SQL_TEXT "
                                                "STARTING WITH 'INSERT INTO TB_UNIT'"))
                       .At(0, 0)
                       .AsInt64()
                > 0;
        };
        QTRY_VERIFY_WITH_TIMEOUT(oursRunning() || saving.wait_for(std::chrono::seconds(0)) == std::future_status::ready,
                                 1500);
        if (theyCommit)
            them->Commit();
        else
            them->Rollback();
        const TDicSaveReport r = saving.get();

        QVERIFY2(!r.Stopped(), qPrintable(r.Error + " / " + r.ErrorDetail));
        QCOMPARE(g.Cell(2, other), DicMark::Done);
        if (theyCommit) {
            QCOMPARE(g.Cell(2, row), DicMark::Refused);
            QCOMPARE(r.Refusals.size(), 1);
            QVERIFY2(r.Refusals[0].contains(ours.trimmed()), qPrintable(r.Refusals[0]));
            // A refused insert may have used up a number of the generator: names only.
            QStringList names;
            for (const QString& u : Units())
                names << u.section(QLatin1Char(':'), 1);
            QCOMPARE(names, (QStringList{theirs, "升"}));
        } else {
            QCOMPARE(g.Cell(2, row), DicMark::Done);
            QVERIFY(r.Refusals.isEmpty());
            QCOMPARE(Units(), (QStringList{"2:" + ours.trimmed(), "3:升"}));
        }
    }

    // An entry in use that the model's own test missed: the foreign key refuses the delete,
    // the row is marked 失败 with the reason, and the save goes on.
    void removeInUseRefusedByDatabase_data()
    {
        QTest::addColumn<int>("dic");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("use");   // makes ID 1 of the dictionary used
        QTest::newRow("department") << 0 << "TB_DEPARTMENT"
                                    << "INSERT INTO TB_EMPLOYEE (EMPLOYEE_NAME, DEPARTMENT_ID) VALUES ('李娜', 1)";
        QTest::newRow("post") << 1 << "TB_POST"
                              << "INSERT INTO TB_EMPLOYEE (EMPLOYEE_NAME, POST_ID) VALUES ('李娜', 1)";
        QTest::newRow("unit") << 2 << "TB_UNIT"
                              << "INSERT INTO TB_COMMODITY (COMMODITY_NAME, UNIT_ID) VALUES ('机油滤清器', 1)";
        QTest::newRow("standard") << 3 << "TB_STANDARD"
                                  << "INSERT INTO TB_COMMODITY (COMMODITY_NAME, STANDARD_ID) VALUES ('机油滤清器', 1)";
    }

    void removeInUseRefusedByDatabase()
    {
        QFETCH(int, dic);
        QFETCH(QString, table);
        QFETCH(QString, use);
        FLook->Execute(QStringLiteral("INSERT INTO TB_UNIT (ID, UNIT_NAME) VALUES (0, 'kg')"));
        FLook->Execute(QStringLiteral("INSERT INTO TB_UNIT (ID, UNIT_NAME) VALUES (0, 'l')"));
        FLook->Execute(QStringLiteral("INSERT INTO TB_STANDARD (ID, STANDARD_NAME) VALUES (0, '原厂')"));
        FLook->Execute(QStringLiteral("INSERT INTO TB_STANDARD (ID, STANDARD_NAME) VALUES (0, '副厂')"));
        FLook->Execute(use);
        const auto count = [&] {
            return FLook->Execute(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE ID IN (1, 2)").arg(table))
                .At(0, 0)
                .AsInt64();
        };
        QCOMPARE(count(), qint64(2));
        TBlindDic blind;
        blind.SetDataSet(FDataSet);
        blind.SetQuery(FQuery);
        TDicGrid g;
        blind.LoadDictionary(blind.ListNames()[dic], g);
        g.SetCell(2, RowOf(g, 1), DicMark::Remove);
        g.SetCell(2, RowOf(g, 2), DicMark::Remove);
        blind.SetDicIndex(dic);
        const TDicSaveReport r = blind.ApplyChanges(g);
        QVERIFY2(!r.Stopped(), qPrintable(r.Error + " / " + r.ErrorDetail));
        QCOMPARE(g.Cell(2, RowOf(g, 1)), DicMark::Refused);
        QCOMPARE(g.Cell(2, RowOf(g, 2)), DicMark::Done);
        QCOMPARE(r.Refusals.size(), 1);
        QVERIFY2(r.Refusals[0].contains(QStringLiteral("使用")) && r.Refusals[0].contains(QStringLiteral("没有删除")),
                 qPrintable(r.Refusals[0]));
        QCOMPARE(FLook->Execute(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE ID = 1").arg(table)).At(0, 0).AsInt64(),
                 qint64(1));
        QCOMPARE(count(), qint64(1));
    }

    void awkwardNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("asChange");
        QTest::addColumn<bool>("stored");
        QTest::addColumn<QString>("why");   // a word the refusal says
        const QString long64 = QString(64, QChar(0x6CB9));   // 油 × 64
        const QString long32 = QString(32, QChar(0x6CB9));
        const QString emoji = QStringLiteral("个") + QString::fromUcs4(U"\U0001F600");
        for (bool change : {false, true}) {
            const char* how = change ? "change: " : "add: ";
            QTest::newRow(qPrintable(how + QStringLiteral("quote"))) << "师傅's" << change << true << "";
            QTest::newRow(qPrintable(how + QStringLiteral("quote only"))) << "'" << change << true << "";
            QTest::newRow(qPrintable(how + QStringLiteral("percent"))) << "100%" << change << true << "";
            QTest::newRow(qPrintable(how + QStringLiteral("format marks"))) << "%1%2 %s" << change << true << "";
            QTest::newRow(qPrintable(how + QStringLiteral("32 Chinese"))) << long32 << change << true << "";
            QTest::newRow(qPrintable(how + QStringLiteral("64 Chinese"))) << long64 << change << false << "32";
            QTest::newRow(qPrintable(how + QStringLiteral("emoji"))) << emoji << change << false << "表情";
        }
    }

    void awkwardNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, asChange);
        QFETCH(bool, stored);
        QFETCH(QString, why);
        if (asChange)
            AddUnit(QStringLiteral("个"));
        TDicGrid g = LoadUnits();
        const int row = asChange ? 1 : Append(g, name);
        if (asChange) {
            g.SetCell(1, row, name);
            g.SetCell(2, row, DicMark::Change);
        }
        const TDicSaveReport r = Save(g);
        QVERIFY2(!r.Stopped(), qPrintable(r.Error + " / " + r.ErrorDetail));
        QCOMPARE(g.Cell(2, row), stored ? DicMark::Done : DicMark::Refused);
        QCOMPARE(g.Cell(1, row), name);   // what was typed stays in the grid
        const QStringList before = asChange ? QStringList{"1:个"} : QStringList{};
        QCOMPARE(Units(), stored ? QStringList{"1:" + name} : before);
        if (!stored) {
            QCOMPARE(r.Refusals.size(), 1);
            QVERIFY2(r.Refusals[0].contains(why), qPrintable(r.Refusals[0]));
        }
    }

    // Rows without an ID, with other marks, or with an ID that is not a stored entry's.
    void unmarkedAndBadRows()
    {
        AddUnit(QStringLiteral("个"));
        TDicGrid g = LoadUnits();
        Append(g, QStringLiteral("只"), QString());
        Append(g, QStringLiteral("块"), DicMark::Refused);
        const int bad = Append(g, QStringLiteral("条"), DicMark::Change, QStringLiteral("x"));
        const int zero = Append(g, QStringLiteral("根"), DicMark::Remove, QStringLiteral("0"));
        const int empty = Append(g, QStringLiteral("  "), DicMark::Add);
        Append(g, QStringLiteral("片"), DicMark::Add, QString());
        const TDicSaveReport r = Save(g);
        QCOMPARE(r.Stored, 0);
        QCOMPARE(g.Cell(2, bad), DicMark::Refused);
        QCOMPARE(g.Cell(2, zero), DicMark::Refused);
        QCOMPARE(g.Cell(2, empty), DicMark::Refused);
        QCOMPARE(r.Refusals.size(), 3);
        QCOMPARE(Units(), QStringList{"1:个"});
    }

    // An error that is no refusal of the value stops the save at its row: the rows above keep
    // their outcome, that row and the ones below keep their marks for another try.
    void errorStopsAtItsRow()
    {
        FLook->Execute(QStringLiteral("CREATE EXCEPTION E_DIC_TEST 'the disk is full'"));
        FLook->Execute(QStringLiteral("CREATE TRIGGER TB_UNIT_DIC_TEST FOR TB_UNIT BEFORE INSERT POSITION 5 AS "
                                      "BEGIN IF (NEW.UNIT_NAME = '箱') THEN EXCEPTION E_DIC_TEST; END"));
        TDicGrid g = LoadUnits();
        const int a = Append(g, QStringLiteral("个"));
        const int b = Append(g, QStringLiteral("箱"));
        const int c = Append(g, QStringLiteral("套"));
        const TDicSaveReport r = Save(g);
        QVERIFY(r.Stopped());
        QVERIFY(r.ErrorDetail.contains(QStringLiteral("disk is full"))
                || r.Error.contains(QStringLiteral("disk is full")));
        QCOMPARE(r.Stored, 1);
        QCOMPARE(g.Cell(2, a), DicMark::Done);
        QCOMPARE(g.Cell(2, b), DicMark::Add);
        QCOMPARE(g.Cell(2, c), DicMark::Add);
        QCOMPARE(Units(), QStringList{"1:个"});
    }

    void nothingWithoutDictionary()
    {
        TDicGrid g = LoadUnits();
        Append(g, QStringLiteral("个"));
        FDic->SetDicIndex(-1);
        QCOMPARE(FDic->ApplyChanges(g).Stored, 0);
        QCOMPARE(g.Cell(2, 1), DicMark::Add);
        QVERIFY(Units().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDictionary)
#include "tst_dictionary.moc"
