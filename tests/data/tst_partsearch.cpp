// The bill windows' part search against a real database: exactly the parts (or the lots with
// stock of the parts) whose name contains the text, with %, _, \ and ' as themselves; a
// screenful at a time, going on by key without a repeat or a gap; the name index kept by the
// catalogue's trigger through new, renamed, re-keyed and deleted parts, and filled by the
// upgrade for the parts of an older database.
#include "Bills.h"
#include "ConPool.h"
#include "FbClient.h"
#include "PartSearch.h"
#include "SchemaUpgrade.h"
#include "TestDb.h"
#include "Values.h"

#include <QSet>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(TPartSource)

namespace {

using TestValues::I;
using TestValues::T;

// The parts every test starts with; some names hold what LIKE would take for a wildcard.
const QStringList Catalogue = {
    QStringLiteral("机油滤清器"),
    QStringLiteral("空气滤清器"),
    QStringLiteral("空调滤清器(大众)"),
    QStringLiteral("刹车片(大众)"),
    QStringLiteral("前刹车片"),
    QStringLiteral("机油 5W-30 4L"),
    QStringLiteral("100%纯机油"),
    QStringLiteral("1000纯机油"),
    QStringLiteral("O_型圈"),
    QStringLiteral("OX型圈"),
    QStringLiteral("A\\B接头"),
    QStringLiteral("AB接头"),
    QStringLiteral("师傅's扳手"),
    QStringLiteral("ABC灯泡"),
    QStringLiteral("abc灯泡"),
    QStringLiteral("油 油油"),
    QStringLiteral("火花塞"),
};

QStringList Column(const TFbResult& r, const QString& name)
{
    QStringList out;
    const int k = r.ColumnIndex(name);
    for (int row = 0; row < r.RowCount(); ++row)
        out << r.At(row, k).AsString();
    return out;
}

QStringList Row(const TFbResult& r, int row)
{
    QStringList cells;
    for (int col = 0; col < r.Columns.size(); ++col)
        cells << (r.At(row, col).IsNull() ? QStringLiteral("<null>") : r.At(row, col).AsString());
    return cells;
}

QStringList Sorted(QStringList l)
{
    l.sort();
    return l;
}

// What the index should hold for a name: each character and each pair of neighbours, a
// space alone and a pair ending in a space left out.
QStringList GramRule(const QString& name)
{
    QSet<QString> g;
    for (int i = 0; i < name.size(); ++i) {
        if (name.at(i) != QLatin1Char(' '))
            g << name.mid(i, 1);
        if (i + 1 < name.size() && name.at(i + 1) != QLatin1Char(' '))
            g << name.mid(i, 2);
    }
    QStringList l(g.begin(), g.end());
    l.sort();
    return l;
}

QStringList GramsInDb(TFbConnection& c, qint64 part)
{
    return Sorted(Column(c.Execute(QStringLiteral("SELECT GRAM FROM TB_COMMODITY_GRAM WHERE COMMODITY_ID = ?"),
                                   {I(part)}),
                         QStringLiteral("GRAM")));
}

// Every row a search finds, page by page; fails the test on a repeated key.
QStringList FetchAll(TPartSearch& s, const QString& text, int rows, int* fetches = nullptr)
{
    s.Start(text, rows);
    int n = 1;
    while (!s.AtEnd()) {
        const int before = s.RowCount();
        const bool more = s.FetchMore(rows);
        ++n;
        if (!more || s.RowCount() - before > rows)
            return {QStringLiteral("<FetchMore broke its word>")};
    }
    if (fetches)
        *fetches = n;
    return Column(s.Result(), QStringLiteral("ID"));
}

}   // namespace

class TestPartSearch : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestDb> FDb;
    std::unique_ptr<TConPool> FPool;
    std::unique_ptr<TFbConnection> FLook;
    QMap<QString, qint64> FPart;   // name -> ID
    QMap<qint64, QList<qint64>> FLots;   // part -> its lots, in the order made

    qint64 AddPart(const QString& name)
    {
        return FLook->Execute(QStringLiteral("INSERT INTO TB_COMMODITY (COMMODITY_NAME, UNIT_ID, STANDARD_ID) "
                                             "VALUES (?, 1, 1) RETURNING ID"),
                              {T(name)})
            .At(0, 0)
            .AsInt64();
    }

    // One stock-in bill of count pieces each of these parts; the lots it made.
    QList<qint64> StockIn(const QList<qint64>& parts, int count = 5)
    {
        TStorageBill b;
        b.OperatorId = 1;
        for (qint64 p : parts)
            b.Lines.push_back({p, QString::number(count), QStringLiteral("8.50"), QStringLiteral("12.30")});
        const TStorageSaved saved = SaveStorageBill(*FPool, b);
        QList<qint64> lots;
        for (int k = 0; k < parts.size(); ++k) {
            FLots[parts[k]] << saved.LotIds[k];
            lots << saved.LotIds[k];
        }
        return lots;
    }

    void Empty(qint64 lot)
    {
        FLook->Execute(QStringLiteral("UPDATE TB_STOCK SET STOCK_COUNT = 0 WHERE ID = ?"), {I(lot)});
    }

    // The parts whose name contains text, by QString's own comparison (case counts, as it
    // does for LIKE on these names).
    QStringList ExpectedParts(const QString& text)
    {
        const TFbResult r = FLook->Execute(QStringLiteral("SELECT ID, COMMODITY_NAME FROM TB_COMMODITY"));
        QStringList ids;
        for (int row = 0; row < r.RowCount(); ++row)
            if (r.At(row, 1).AsString().contains(text))
                ids << r.At(row, 0).AsString();
        return Sorted(ids);
    }

    QStringList ExpectedLots(const QString& text)
    {
        const TFbResult r = FLook->Execute(QStringLiteral(
            "SELECT K.ID, C.COMMODITY_NAME FROM TB_STOCK K JOIN TB_COMMODITY C ON C.ID = K.COMMODITY_ID "
            "WHERE K.STOCK_COUNT > 0"));
        QStringList ids;
        for (int row = 0; row < r.RowCount(); ++row)
            if (r.At(row, 1).AsString().contains(text))
                ids << r.At(row, 0).AsString();
        return Sorted(ids);
    }

    QStringList Names(const QStringList& ids)
    {
        QStringList names;
        for (const QString& id : ids)
            names << FPart.key(id.toLongLong());
        return Sorted(names);
    }

private slots:
    void init()
    {
        FDb = std::make_unique<TTestDb>();
        QVERIFY2(FDb->Ok(), qPrintable(FDb->Error()));
        FLook = std::make_unique<TFbConnection>();
        FLook->Attach(FDb->Location(), TConPool::UserName, TConPool::Password);
        FPool = std::make_unique<TConPool>();
        FPool->Open(FDb->Location());
        FPart.clear();
        FLots.clear();
        for (const QString& name : Catalogue)
            FPart[name] = AddPart(name);
        // Every part but 火花塞 in stock; of 机油滤清器 a second lot, sold out.
        QList<qint64> stocked;
        for (const QString& name : Catalogue)
            if (name != QStringLiteral("火花塞"))
                stocked << FPart[name];
        StockIn(stocked);
        Empty(StockIn({FPart[QStringLiteral("机油滤清器")]}).front());
    }

    void cleanup()
    {
        FPool.reset();
        FLook.reset();
        FDb.reset();
    }

    // Exactly the parts whose name holds the text; a LIKE wildcard in the text is a character.
    void matches_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("parts");   // names, sorted

        QTest::newRow("a pair") << "滤清" << QStringList{"机油滤清器", "空气滤清器", "空调滤清器(大众)"};
        QTest::newRow("one character") << "油" << QStringList{"100%纯机油", "1000纯机油", "机油 5W-30 4L", "机油滤清器", "油 油油"};
        QTest::newRow("the whole name") << "空调滤清器(大众)" << QStringList{"空调滤清器(大众)"};
        QTest::newRow("pairs all there, never in a row") << "滤清器大众" << QStringList{};
        QTest::newRow("a character in no name") << "鑫" << QStringList{};
        QTest::newRow("the middle of a name") << "车片" << QStringList{"前刹车片", "刹车片(大众)"};
        QTest::newRow("percent") << "%" << QStringList{"100%纯机油"};
        QTest::newRow("percent inside") << "0%纯" << QStringList{"100%纯机油"};
        QTest::newRow("underscore") << "O_" << QStringList{"O_型圈"};
        QTest::newRow("underscore alone") << "_" << QStringList{"O_型圈"};
        QTest::newRow("backslash") << "A\\B" << QStringList{"A\\B接头"};
        QTest::newRow("backslash alone") << "\\" << QStringList{"A\\B接头"};
        QTest::newRow("quote") << "'s扳" << QStringList{"师傅's扳手"};
        QTest::newRow("quote alone") << "'" << QStringList{"师傅's扳手"};
        QTest::newRow("quotes as in SQL") << "' OR ''='" << QStringList{};
        QTest::newRow("upper case") << "ABC" << QStringList{"ABC灯泡"};
        QTest::newRow("lower case") << "abc" << QStringList{"abc灯泡"};
        QTest::newRow("a space inside") << "油 5W" << QStringList{"机油 5W-30 4L"};
        QTest::newRow("ending in a space") << "机油 " << QStringList{"机油 5W-30 4L"};
        QTest::newRow("a space, then a pair") << " 油油" << QStringList{"油 油油"};
        QTest::newRow("only a space") << " " << QStringList{"机油 5W-30 4L", "油 油油"};
        QTest::newRow("two spaces") << "  " << QStringList{};
        QTest::newRow("longer than any name") << QString(40, QChar(0x6cb9)) << QStringList{};
        QTest::newRow("outside GBK") << QString::fromUtf8("机油\xF0\x9F\x98\x80") << QStringList{};
    }

    void matches()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, parts);
        for (TPartSource source : {TPartSource::Commodity, TPartSource::Stock}) {
            TPartSearch s(*FPool, source);
            const QStringList ids = FetchAll(s, text, 3);
            if (source == TPartSource::Commodity) {
                QCOMPARE(Names(ids), Sorted(parts));
                QCOMPARE(Sorted(ids), ExpectedParts(text));
            } else {
                QCOMPARE(Sorted(ids), ExpectedLots(text));
                QStringList names = Column(s.Result(), QStringLiteral("COMMODITY_NAME"));
                names.removeDuplicates();
                QCOMPARE(Sorted(names), Sorted(parts));
            }
            QCOMPARE(QSet<QString>(ids.begin(), ids.end()).size(), ids.size());
            for (const QString& name : Column(s.Result(), QStringLiteral("COMMODITY_NAME")))
                QVERIFY2(name.contains(text), qPrintable(name));
        }
    }

    // The rows carry the columns of V_STOCK and V_COMMODITY with the same values.
    void rowsAsTheViews_data()
    {
        QTest::addColumn<TPartSource>("source");
        QTest::addColumn<QString>("view");
        QTest::addColumn<QStringList>("columns");
        QTest::newRow("stock") << TPartSource::Stock << "V_STOCK"
                               << QStringList{"ID", "COMMODITY_ID", "COMMODITY_NAME", "UNIT_NAME", "STANDARD_NAME",
                                              "REFER_PRICE", "STOCK_COUNT"};
        QTest::newRow("catalogue") << TPartSource::Commodity << "V_COMMODITY"
                                   << QStringList{"ID", "COMMODITY_NAME", "UNIT_ID", "UNIT_NAME", "STANDARD_ID",
                                                  "STANDARD_NAME"};
    }

    void rowsAsTheViews()
    {
        QFETCH(TPartSource, source);
        QFETCH(QString, view);
        QFETCH(QStringList, columns);
        TPartSearch s(*FPool, source);
        s.Start(QStringLiteral("滤清"), 20);
        QVERIFY(s.RowCount() > 0);
        QStringList names;
        for (const TFbColumn& c : s.Result().Columns)
            names << c.Name;
        QCOMPARE(names, columns);
        for (int row = 0; row < s.RowCount(); ++row) {
            const TFbResult v = FLook->Execute(
                QStringLiteral("SELECT %1 FROM %2 WHERE ID = ?").arg(columns.join(QLatin1Char(',')), view),
                {I(s.Result().At(row, 0).AsInt64())});
            QCOMPARE(Row(s.Result(), row), Row(v, 0));
        }
    }

    // Only lots that hold stock, each of them once, the lots of a part in lot order.
    void stockOnlyLotsWithStock()
    {
        const qint64 part = FPart[QStringLiteral("火花塞")];
        const QList<qint64> lots = StockIn({part, part, part, part, part});
        Empty(lots[1]);
        Empty(lots[3]);
        TPartSearch s(*FPool, TPartSource::Stock);
        s.Start(QStringLiteral("火花"), 20);
        QCOMPARE(Column(s.Result(), QStringLiteral("ID")),
                 (QStringList{QString::number(lots[0]), QString::number(lots[2]), QString::number(lots[4])}));
        QCOMPARE(Column(s.Result(), QStringLiteral("STOCK_COUNT")), (QStringList{"5", "5", "5"}));
        QVERIFY(s.AtEnd());

        for (qint64 lot : lots)
            Empty(lot);
        s.Start(QStringLiteral("火花"), 20);
        QCOMPARE(s.RowCount(), 0);
        QVERIFY(s.AtEnd());
        // The part is still in the catalogue.
        TPartSearch c(*FPool, TPartSource::Commodity);
        c.Start(QStringLiteral("火花"), 20);
        QCOMPARE(c.RowCount(), 1);
    }

    // Start fetches at most rows and knows whether there are more.
    void startFetchesAScreenful_data()
    {
        QTest::addColumn<TPartSource>("source");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("got");
        QTest::addColumn<bool>("atEnd");
        for (TPartSource source : {TPartSource::Commodity, TPartSource::Stock}) {
            const char* name = source == TPartSource::Stock ? "stock" : "catalogue";
            QTest::addRow("%s, fewer than there are", name) << source << 10 << 10 << false;
            QTest::addRow("%s, one fewer", name) << source << 24 << 24 << false;
            QTest::addRow("%s, exactly as many", name) << source << 25 << 25 << true;
            QTest::addRow("%s, more than there are", name) << source << 40 << 25 << true;
            QTest::addRow("%s, one", name) << source << 1 << 1 << false;
            QTest::addRow("%s, none asked", name) << source << 0 << 0 << true;
        }
    }

    void startFetchesAScreenful()
    {
        QFETCH(TPartSource, source);
        QFETCH(int, rows);
        QFETCH(int, got);
        QFETCH(bool, atEnd);
        // 25 parts of one name, each with one lot; for Stock, one part with 25 lots instead,
        // so that a page ends inside one part's lots.
        if (source == TPartSource::Commodity) {
            for (int k = 1; k <= 25; ++k)
                AddPart(QStringLiteral("轮毂螺栓%1号").arg(k));
        } else {
            const qint64 part = AddPart(QStringLiteral("轮毂螺栓"));
            StockIn(QList<qint64>(25, part));
        }
        TPartSearch s(*FPool, source);
        s.Start(QStringLiteral("毂螺"), rows);
        QCOMPARE(s.RowCount(), got);
        QCOMPARE(s.AtEnd(), atEnd);
        QCOMPARE(s.Text(), QStringLiteral("毂螺"));
    }

    // FetchMore goes on from the last row until AtEnd: every match once, none left out,
    // whatever the page size; across parts and inside the lots of one part.
    void fetchMoreContinues_data()
    {
        QTest::addColumn<TPartSource>("source");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("rows");
        for (TPartSource source : {TPartSource::Commodity, TPartSource::Stock})
            for (int rows : {1, 4, 7, 100}) {
                const char* name = source == TPartSource::Stock ? "stock" : "catalogue";
                QTest::addRow("%s, pair, %d a page", name, rows) << source << "螺栓" << rows;
                QTest::addRow("%s, character, %d a page", name, rows) << source << "栓" << rows;
                QTest::addRow("%s, space, %d a page", name, rows) << source << " " << rows;
            }
    }

    void fetchMoreContinues()
    {
        QFETCH(TPartSource, source);
        QFETCH(QString, text);
        QFETCH(int, rows);
        // Parts with several lots each, some emptied, and a few without any.
        QList<qint64> parts;
        for (int k = 1; k <= 14; ++k)
            parts << AddPart(QStringLiteral("轮毂螺栓 M%1").arg(k));
        AddPart(QStringLiteral("轮胎螺栓 无货"));
        for (int round = 0; round < 3; ++round) {
            const QList<qint64> lots = StockIn(parts.mid(round, 6));
            Empty(lots[1]);
        }
        TPartSearch s(*FPool, source);
        int fetches = 0;
        const QStringList ids = FetchAll(s, text, rows, &fetches);
        const QStringList expected = source == TPartSource::Stock ? ExpectedLots(text) : ExpectedParts(text);
        QVERIFY(expected.size() > 12);
        QCOMPARE(Sorted(ids), expected);
        QCOMPARE(ids.size(), expected.size());   // no repeat
        QCOMPARE(fetches, qMax(1, (int(expected.size()) + rows - 1) / rows));
        QVERIFY(!s.FetchMore(rows));
        QCOMPARE(s.RowCount(), expected.size());
    }

    // Lots emptied and parts added between two pages: what still matches after the last row
    // shown comes, nothing shown comes again.
    void fetchMoreAfterChanges()
    {
        const qint64 part = AddPart(QStringLiteral("雨刮片"));
        const QList<qint64> lots = StockIn(QList<qint64>(8, part));
        TPartSearch s(*FPool, TPartSource::Stock);
        s.Start(QStringLiteral("雨刮"), 3);
        QCOMPARE(Column(s.Result(), QStringLiteral("ID")),
                 (QStringList{QString::number(lots[0]), QString::number(lots[1]), QString::number(lots[2])}));
        Empty(lots[1]);   // shown already: stays shown
        Empty(lots[4]);   // not shown yet: never comes
        const QList<qint64> later = StockIn({part});
        while (!s.AtEnd())
            s.FetchMore(3);
        QStringList want;
        for (int k : {0, 1, 2, 3, 5, 6, 7})
            want << QString::number(lots[k]);
        want << QString::number(later[0]);
        QCOMPARE(Column(s.Result(), QStringLiteral("ID")), want);
    }

    // Nothing to look for asks the database nothing: the pool here is not even open.
    void asksNothing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("longer than any name") << QString(33, QLatin1Char('x'));
        QTest::newRow("a character outside GBK") << QString::fromUtf8("\xF0\x9F\x98\x80");
    }

    void asksNothing()
    {
        QFETCH(QString, text);
        TConPool closed;
        for (TPartSource source : {TPartSource::Commodity, TPartSource::Stock}) {
            TPartSearch s(closed, source);
            s.Start(text, 20);
            QCOMPARE(s.RowCount(), 0);
            QVERIFY(s.AtEnd());
            QVERIFY(!s.FetchMore(20));
            QCOMPARE(s.Text(), text);
        }
        // An open pool: still nothing asked for no text, a question for any other.
        TPartSearch s(*FPool, TPartSource::Commodity);
        s.Start(QStringLiteral("滤清"), 20);
        QCOMPARE(s.RowCount(), 3);
        s.Start(QString(), 20);
        QCOMPARE(s.RowCount(), 0);
        QVERIFY(s.AtEnd());
        QVERIFY(s.Text().isEmpty());
    }

    // The index follows the catalogue: a new name, a renamed part, a changed key, a deleted
    // part; what the procedures of the master-data window write as much as plain SQL.
    void indexFollowsTheCatalogue_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("renamed by the window's procedure") << "procedure";
        QTest::newRow("renamed by SQL") << "update";
        QTest::newRow("key changed") << "key";
        QTest::newRow("other columns changed") << "unit";
        QTest::newRow("deleted by the window's procedure") << "delete";
        QTest::newRow("name set to nothing") << "null";
    }

    void indexFollowsTheCatalogue()
    {
        QFETCH(QString, change);
        const QString oldName = QStringLiteral("转向拉杆球头");
        const QString newName = QStringLiteral("稳定杆 连杆杆");
        qint64 part = FLook->Execute(QStringLiteral("SELECT SUCESS FROM SP_UD_COMMODITY (0, ?, 1, 1)"), {T(oldName)})
                          .At(0, 0)
                          .AsInt64();
        QVERIFY(part > 0);
        QCOMPARE(GramsInDb(*FLook, part), GramRule(oldName));

        QString now = oldName;
        if (change == QLatin1String("procedure")) {
            QCOMPARE(FLook->Execute(QStringLiteral("SELECT SUCESS FROM SP_UD_COMMODITY (?, ?, 2, 2)"),
                                    {I(part), T(newName)})
                         .At(0, 0)
                         .AsInt64(),
                     part);
            now = newName;
        } else if (change == QLatin1String("update")) {
            FLook->Execute(QStringLiteral("UPDATE TB_COMMODITY SET COMMODITY_NAME = ? WHERE ID = ?"),
                           {T(newName), I(part)});
            now = newName;
        } else if (change == QLatin1String("key")) {
            const qint64 key = part + 1000;
            FLook->Execute(QStringLiteral("UPDATE TB_COMMODITY SET ID = ? WHERE ID = ?"), {I(key), I(part)});
            QCOMPARE(GramsInDb(*FLook, part), QStringList());
            part = key;
        } else if (change == QLatin1String("unit")) {
            FLook->Execute(QStringLiteral("UPDATE TB_COMMODITY SET UNIT_ID = 3 WHERE ID = ?"), {I(part)});
        } else if (change == QLatin1String("delete")) {
            QCOMPARE(FLook->Execute(QStringLiteral("SELECT SUCESS FROM SP_DEL_COMMODITY (?)"), {I(part)})
                         .At(0, 0)
                         .AsInt64(),
                     part);
            now.clear();
        } else if (change == QLatin1String("null")) {
            FLook->Execute(QStringLiteral("UPDATE TB_COMMODITY SET COMMODITY_NAME = NULL WHERE ID = ?"), {I(part)});
            now.clear();
        }
        QCOMPARE(GramsInDb(*FLook, part), now.isEmpty() ? QStringList() : GramRule(now));

        TPartSearch s(*FPool, TPartSource::Commodity);
        for (const QString& text :
             {QStringLiteral("拉杆球"), QStringLiteral("球"), QStringLiteral("连杆杆"), QStringLiteral("杆 连")}) {
            s.Start(text, 20);
            const QStringList want = now.contains(text) ? QStringList{QString::number(part)} : QStringList();
            QVERIFY2(Column(s.Result(), QStringLiteral("ID")) == want, qPrintable(text));
        }
        // Nothing is left in the index for a part that is not there.
        QCOMPARE(FLook->Execute(QStringLiteral("SELECT COUNT(*) FROM TB_COMMODITY_GRAM T WHERE NOT EXISTS "
                                               "(SELECT 1 FROM TB_COMMODITY C WHERE C.ID = T.COMMODITY_ID)"))
                     .At(0, 0)
                     .AsInt64(),
                 qint64(0));
    }

    // Every part's index rows are those its name asks for.
    void indexHoldsEveryPart()
    {
        const TFbResult r = FLook->Execute(QStringLiteral("SELECT ID, COMMODITY_NAME FROM TB_COMMODITY"));
        QCOMPARE(r.RowCount(), Catalogue.size());
        for (int row = 0; row < r.RowCount(); ++row)
            QCOMPARE(GramsInDb(*FLook, r.At(row, 0).AsInt64()), GramRule(r.At(row, 1).AsString()));
        QCOMPARE(GramRule(QStringLiteral("油 油油")), (QStringList{" 油", "油", "油油"}));
    }

    // A database of version 6 with parts and lots: the upgrade indexes every part it holds,
    // and the search finds them.
    void upgradeIndexesTheParts()
    {
        TTestDb old(QStringLiteral("DATA.FDB"), {QStringLiteral("--version"), QStringLiteral("6")});
        QVERIFY2(old.Ok(), qPrintable(old.Error()));
        TFbConnection c;
        c.Attach(old.Location(), TConPool::UserName, TConPool::Password);
        QCOMPARE(SchemaVersion(c), 6);
        for (const QString& name : Catalogue)
            c.Execute(QStringLiteral("INSERT INTO TB_COMMODITY (COMMODITY_NAME, UNIT_ID, STANDARD_ID) VALUES (?, 1, 1)"),
                      {T(name)});
        c.Execute(QStringLiteral("INSERT INTO TB_STOCK (COMMODITY_ID, STOCK_COUNT) "
                                 "SELECT ID, 3 FROM TB_COMMODITY WHERE COMMODITY_NAME LIKE '%滤清%'"));
        QString report;
        QCOMPARE(UpgradeSchema(c, &report), TSchemaUpgrade::Upgraded);
        QCOMPARE(SchemaVersion(c), ProgramSchemaVersion());
        const TFbResult r = c.Execute(QStringLiteral("SELECT ID, COMMODITY_NAME FROM TB_COMMODITY"));
        QCOMPARE(r.RowCount(), Catalogue.size());
        int rows = 0;
        for (int row = 0; row < r.RowCount(); ++row) {
            const QStringList grams = GramsInDb(c, r.At(row, 0).AsInt64());
            QCOMPARE(grams, GramRule(r.At(row, 1).AsString()));
            rows += grams.size();
        }
        QCOMPARE(c.Execute(QStringLiteral("SELECT COUNT(*) FROM TB_COMMODITY_GRAM")).At(0, 0).AsInt64(), qint64(rows));

        TConPool pool;
        pool.Open(old.Location());
        TPartSearch s(pool, TPartSource::Stock);
        s.Start(QStringLiteral("滤清器"), 20);
        QCOMPARE(s.RowCount(), 3);
        TPartSearch k(pool, TPartSource::Commodity);
        k.Start(QStringLiteral("%"), 20);
        QCOMPARE(Column(k.Result(), QStringLiteral("COMMODITY_NAME")), QStringList{"100%纯机油"});
        // A part written after the upgrade is indexed by the trigger.
        c.Execute(QStringLiteral("INSERT INTO TB_COMMODITY (COMMODITY_NAME) VALUES ('节温器')"));
        k.Start(QStringLiteral("温器"), 20);
        QCOMPARE(Column(k.Result(), QStringLiteral("COMMODITY_NAME")), QStringList{"节温器"});
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TestPartSearch test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_partsearch.moc"
