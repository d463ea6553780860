// The paged list source on a real database: counting in the server, the ROWS clause and
// its texts, page moves, filters (bracketed, bound, quoted), the grid and the value operations.
#include "DataHead.h"
#include "ListGrid.h"
#include "StringGrid.h"
#include "TestDb.h"

#include <QtTest>

#include <stdexcept>

Q_DECLARE_METATYPE(TFbValue)

namespace {

// 250 settled orders (ID 1-250), then 101 open ones, one of them with a quote in its car
// number and one with the empty date.
const char* const FillOrders =
    "EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN "
    "  WHILE (I < 250) DO BEGIN "
    "    INSERT INTO TB_REPAIR (CAR_NO, CAR_OWNER, PHONE, IS_PAY, REPAIR_DATE, MEMO) "
    "    VALUES ('京A' || :I, '车主' || :I, '138' || :I, 1, DATE '2024-05-01', ''); I = I + 1; END "
    "  I = 0; "
    "  WHILE (I < 99) DO BEGIN "
    "    INSERT INTO TB_REPAIR (CAR_NO, CAR_OWNER, PHONE, IS_PAY, REPAIR_DATE, MEMO) "
    "    VALUES ('京B' || :I, '客户' || :I, '139' || :I, 0, DATE '2024-06-01', ''); I = I + 1; END "
    "  INSERT INTO TB_REPAIR (CAR_NO, CAR_OWNER, PHONE, IS_PAY, REPAIR_DATE, MEMO) "
    "  VALUES ('O''Neil', '奥尼尔', '1', 0, DATE '2024-06-02', ''); "
    "  INSERT INTO TB_REPAIR (CAR_NO, CAR_OWNER, PHONE, IS_PAY, REPAIR_DATE, MEMO) "
    "  VALUES ('EMPTYDATE', '无日期', '2', 0, DATE '1900-01-01', ''); "
    "END";

TRecInfo Col(const char* field, const char* caption, int maxLength, int width, bool visible = true)
{
    TRecInfo c;
    c.FieldName = QString::fromUtf8(field);
    c.Caption = QString::fromUtf8(caption);
    c.MaxLength = maxLength;
    c.Width = width;
    c.Visible = visible;
    return c;
}

}   // namespace

class TestDataHead : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestDb> FDb;
    std::unique_ptr<TConPool> FPool;
    TDataSet* FSet = nullptr;

    // A list over the orders with four columns, the second one hidden.
    std::unique_ptr<TData> Orders(const QString& filter = QString())
    {
        auto d = std::make_unique<TData>();
        d->SetBaseSQL(QStringLiteral("SELECT * FROM V_REPAIR"));
        d->Columns = {Col("ID", "编号", 6, 50), Col("MEMO", "备注", 128, 80, false), Col("CAR_NO", "车牌号码", 16, 80),
                      Col("REPAIR_DATE", "送修日期", 10, 90)};
        d->SetDataSet(FSet);
        d->SetFilter(filter);
        return d;
    }

private slots:
    void initTestCase()
    {
        FDb = std::make_unique<TTestDb>();
        QVERIFY2(FDb->Ok(), qPrintable(FDb->Error()));
        FPool = std::make_unique<TConPool>();
        FPool->Open(FDb->Location());
        FPool->Execute(QString::fromUtf8(FillOrders));
        QCOMPARE(FPool->Execute(QStringLiteral("SELECT COUNT(*) FROM TB_REPAIR")).At(0, 0).AsInt64(), 351);
        FSet = FPool->GetDataSet();
        QVERIFY(FSet);
    }

    void cleanupTestCase()
    {
        if (FPool && FSet)
            FPool->FreeDataSet(FSet);
        FPool.reset();
        FDb.reset();
    }

    void constructed()
    {
        TData d;
        QCOMPARE(d.DataSet, nullptr);
        QCOMPARE(d.PageSize, 100);
        QCOMPARE(d.PageCount, 0);
        QCOMPARE(d.PageIndex, 1);
        QCOMPARE(d.TotalCount, 0);
        QCOMPARE(d.PageRecordCount, 0);
        QCOMPARE(d.RecordIndex, 1);
        QVERIFY(d.Columns.isEmpty() && d.BaseSQL.isEmpty() && d.Filter.isEmpty());
        QCOMPARE(PagingClause(2, 100), QStringLiteral(" ROWS (2 - 1) * 100 + 1 TO 2 * 100"));
        // Opening without a data set does nothing.
        d.SetBaseSQL(QStringLiteral("SELECT * FROM V_REPAIR"));
        d.Open();
        QCOMPARE(d.PageCount, 0);
        // A plain list source has no save procedure.
        TSPResultInfo r;
        QVERIFY_THROWS_EXCEPTION(std::logic_error, d.Execute(FPool->GetStoredProc(), ExecSave, r));
        FPool->FreeStoredProc(nullptr);
    }

    void paging_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("countText");
        QTest::addColumn<QString>("firstText");
        QTest::addColumn<int>("firstCount");
        QTest::addColumn<QString>("lastText");
        QTest::addColumn<int>("lastCount");
        const QString base = QStringLiteral("SELECT * FROM V_REPAIR");
        const auto rows = [](int page) { return PagingClause(page, 100); };
        QTest::newRow("250 records, three pages")
            << "IS_PAY = 1" << 250 << 3 << "SELECT COUNT(*) FROM V_REPAIR WHERE IS_PAY = 1"
            << "SELECT * FROM V_REPAIR WHERE IS_PAY = 1 ROWS (1 - 1) * 100 + 1 TO 1 * 100" << 100
            << "SELECT * FROM V_REPAIR WHERE IS_PAY = 1 ROWS (3 - 1) * 100 + 1 TO 3 * 100" << 50;
        QTest::newRow("101 records, two pages")
            << "IS_PAY = 0" << 101 << 2 << "SELECT COUNT(*) FROM V_REPAIR WHERE IS_PAY = 0"
            << "SELECT * FROM V_REPAIR WHERE IS_PAY = 0 ROWS (1 - 1) * 100 + 1 TO 1 * 100" << 100
            << "SELECT * FROM V_REPAIR WHERE IS_PAY = 0 ROWS (2 - 1) * 100 + 1 TO 2 * 100" << 1;
        QTest::newRow("exactly 100, no ROWS clause")
            << "ID <= 100" << 100 << 1 << "SELECT COUNT(*) FROM V_REPAIR WHERE ID <= 100"
            << "SELECT * FROM V_REPAIR WHERE ID <= 100" << 100 << "SELECT * FROM V_REPAIR WHERE ID <= 100" << 100;
        QTest::newRow("no records") << "ID < 0" << 0 << 1 << "SELECT COUNT(*) FROM V_REPAIR WHERE ID < 0"
                                    << "SELECT * FROM V_REPAIR WHERE ID < 0" << 0
                                    << "SELECT * FROM V_REPAIR WHERE ID < 0" << 0;
        QTest::newRow("no filter") << "" << 351 << 4 << "SELECT COUNT(*) FROM V_REPAIR" << base + rows(1) << 100
                                   << base + rows(4) << 51;
        // The word ROWS inside the filter must not be taken for the paging clause.
        QTest::newRow("filter holding ROWS")
            << "CAR_NO <> 'ROWS' AND IS_PAY = 1" << 250 << 3
            << "SELECT COUNT(*) FROM V_REPAIR WHERE CAR_NO <> 'ROWS' AND IS_PAY = 1"
            << "SELECT * FROM V_REPAIR WHERE CAR_NO <> 'ROWS' AND IS_PAY = 1" + rows(1) << 100
            << "SELECT * FROM V_REPAIR WHERE CAR_NO <> 'ROWS' AND IS_PAY = 1" + rows(3) << 50;
    }

    void paging()
    {
        QFETCH(QString, filter);
        QFETCH(int, total);
        QFETCH(int, pages);
        QFETCH(QString, countText);
        QFETCH(QString, firstText);
        QFETCH(int, firstCount);
        QFETCH(QString, lastText);
        QFETCH(int, lastCount);

        auto d = Orders(filter);
        d->RecordIndex = 9;   // shows whether Open sets it
        QCOMPARE(d->CountSQL(), countText);
        d->Open();
        QCOMPARE(d->TotalCount, total);
        QCOMPARE(d->PageCount, pages);
        QCOMPARE(d->PageIndex, 1);
        QCOMPARE(FSet->CommandText(), firstText);
        QCOMPARE(d->PageRecordCount, firstCount);
        QCOMPARE(d->RecordIndex, firstCount > 0 ? 1 : 9);

        d->LastPage();
        QCOMPARE(d->PageIndex, pages);
        QCOMPARE(FSet->CommandText(), lastText);
        QCOMPARE(FSet->RecordCount(), lastCount);
        // No recount on a page move.
        QCOMPARE(d->TotalCount, total);
        QCOMPARE(d->PageRecordCount, firstCount);
        d->Close();
    }

    void pageMoves()
    {
        auto d = Orders(QStringLiteral("IS_PAY = 1"));
        d->Open();
        // On page 1, FirstPage and PriorPage run no query: the position survives.
        FSet->SetRecNo(5);
        d->FirstPage();
        d->PriorPage();
        QCOMPARE(FSet->RecNo(), 5);
        QCOMPARE(d->PageIndex, 1);

        d->NextPage();
        QCOMPARE(d->PageIndex, 2);
        QVERIFY(FSet->CommandText().endsWith(PagingClause(2, 100)));
        QCOMPARE(FSet->Result().At(0, FSet->Result().ColumnIndex(QStringLiteral("ID"))).AsInt64(), 101);
        d->NextPage();
        QCOMPARE(d->PageIndex, 3);
        FSet->SetRecNo(7);
        d->NextPage();
        d->LastPage();
        QCOMPARE(FSet->RecNo(), 7);
        QCOMPARE(d->PageIndex, 3);
        d->PriorPage();
        QCOMPARE(d->PageIndex, 2);
        d->FirstPage();
        QCOMPARE(d->PageIndex, 1);
        QCOMPARE(FSet->CommandText(), QStringLiteral("SELECT * FROM V_REPAIR WHERE IS_PAY = 1") + PagingClause(1, 100));

        // Close, SetFilter, Open on page 3 shows page 1 of the new result.
        d->LastPage();
        d->Close();
        QCOMPARE(d->PageIndex, 1);
        QCOMPARE(d->PageCount, 0);
        QCOMPARE(d->TotalCount, 0);
        QCOMPARE(d->PageRecordCount, 0);
        QCOMPARE(d->RecordIndex, 0);
        QVERIFY(!FSet->Active());
        d->SetFilter(QStringLiteral("IS_PAY = 0"));
        d->Open();
        QCOMPARE(d->PageIndex, 1);
        QCOMPARE(d->TotalCount, 101);
        QCOMPARE(FSet->CommandText(), QStringLiteral("SELECT * FROM V_REPAIR WHERE IS_PAY = 0") + PagingClause(1, 100));
        d->Close();
    }

    void filters_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QVector<TFbValue>>("params");
        QTest::addColumn<QString>("listText");
        QTest::addColumn<int>("total");
        QTest::newRow("base with WHERE gets AND, bracketed")
            << "SELECT * FROM V_REPAIR"
            << "IS_PAY = 0"
            << "CAR_NO = 'EMPTYDATE' OR CAR_NO = '京A1'" << QVector<TFbValue>{}
            << "SELECT * FROM V_REPAIR WHERE IS_PAY = 0 AND (CAR_NO = 'EMPTYDATE' OR CAR_NO = '京A1')" << 1;
        QTest::newRow("bound value with a quote")
            << "SELECT * FROM V_REPAIR"
            << ""
            << "CAR_NO = ?" << QVector<TFbValue>{TFbValue::FromText(QStringLiteral("O'Neil"))}
            << "SELECT * FROM V_REPAIR WHERE CAR_NO = ?" << 1;
        QTest::newRow("quoted literal") << "SELECT * FROM V_REPAIR"
                                        << "" << QStringLiteral("CAR_NO = ") + QuotedStr(QStringLiteral("O'Neil"))
                                        << QVector<TFbValue>{} << "SELECT * FROM V_REPAIR WHERE CAR_NO = 'O''Neil'"
                                        << 1;
        QTest::newRow("quoted literal cannot widen the condition")
            << "SELECT * FROM V_REPAIR"
            << "" << QStringLiteral("CAR_NO = ") + QuotedStr(QStringLiteral("x' OR '1' = '1")) << QVector<TFbValue>{}
            << "SELECT * FROM V_REPAIR WHERE CAR_NO = 'x'' OR ''1'' = ''1'" << 0;
        QTest::newRow("LIKE") << "SELECT * FROM V_REPAIR"
                              << ""
                              << "CAR_NO LIKE '京A1%'" << QVector<TFbValue>{}
                              << "SELECT * FROM V_REPAIR WHERE CAR_NO LIKE '京A1%' ROWS (1 - 1) * 100 + 1 TO 1 * 100"
                              << 111;
    }

    void filters()
    {
        QFETCH(QString, base);
        QFETCH(QString, condition);
        QFETCH(QString, filter);
        QFETCH(QVector<TFbValue>, params);
        QFETCH(QString, listText);
        QFETCH(int, total);
        auto d = Orders();
        d->SetBaseSQL(base, condition);
        d->SetFilter(filter, params);
        d->Open();
        QCOMPARE(FSet->CommandText(), listText);
        QCOMPARE(d->TotalCount, total);
        QCOMPARE(d->PageRecordCount, qMin(total, 100));
        d->Close();
    }

    void filterAndBaseReplacement()
    {
        auto d = Orders(QStringLiteral("IS_PAY = 1"));
        // A value in other letter case is another filter: the database compares exactly.
        d->SetFilter(QStringLiteral("CAR_NO = 'jing'"));
        d->SetFilter(QStringLiteral("CAR_NO = 'JING'"));
        QCOMPARE(d->Filter, QStringLiteral("CAR_NO = 'JING'"));
        d->SetFilter(QStringLiteral("IS_PAY = 0"));
        QCOMPARE(d->Filter, QStringLiteral("IS_PAY = 0"));
        // Same text, other bound value: the value is replaced.
        d->SetFilter(QStringLiteral("CAR_NO = ?"), {TFbValue::FromText(QStringLiteral("a"))});
        d->SetFilter(QStringLiteral("CAR_NO = ?"), {TFbValue::FromText(QStringLiteral("b"))});
        QCOMPARE(d->FilterParams().value(0).AsString(), QStringLiteral("b"));
        d->SetBaseSQL(QStringLiteral("select * from V_REPAIR"));
        QCOMPARE(d->BaseSQL, QStringLiteral("select * from V_REPAIR"));
    }

    void grid()
    {
        TStringGrid grid;
        auto d = Orders(QStringLiteral("IS_PAY = 0"));
        d->Open();
        FillGrid(*d, &grid);
        QCOMPARE(grid.RowCount(), 101);
        QCOMPARE(grid.ColCount(), 4);
        QCOMPARE(grid.RowTexts(0), (QStringList{"编号", "车牌号码", "送修日期", ""}));
        QCOMPARE(grid.ColWidth(0), 50);
        QCOMPARE(grid.ColWidth(1), 80);
        QCOMPARE(grid.ColWidth(2), 90);
        QCOMPARE(grid.Cells(0, 1), QStringLiteral("251"));
        QCOMPARE(grid.Cells(1, 1), QStringLiteral("京B0"));
        QCOMPARE(grid.Cells(2, 1), QStringLiteral("2024-06-01"));
        d->Close();

        // The empty date shows as empty text.
        d->SetFilter(QStringLiteral("CAR_NO = 'EMPTYDATE'"));
        d->Open();
        QCOMPARE(d->GetFieldText(QStringLiteral("REPAIR_DATE")), QString());
        QCOMPARE(d->GetFieldText(QStringLiteral("car_no")), QStringLiteral("EMPTYDATE"));
        QVERIFY_THROWS_EXCEPTION(TFbError, d->GetFieldText(QStringLiteral("NO_SUCH_FIELD")));
        FillGrid(*d, &grid);
        QCOMPARE(grid.RowCount(), 2);
        QCOMPARE(grid.Cells(2, 1), QString());
        d->Close();

        // No records: the caption row and one empty row, whatever the grid held before.
        d->SetFilter(QStringLiteral("ID < 0"));
        d->Open();
        FillGrid(*d, &grid);
        QCOMPARE(grid.RowCount(), 2);
        QCOMPARE(grid.RowTexts(1), (QStringList{"", "", "", ""}));
        QCOMPARE(grid.Cells(0, 0), QStringLiteral("编号"));
        d->Close();

        // A closed list does not touch the grid; Refresh of a list never opened neither.
        grid.SetCells(0, 1, QStringLiteral("keep"));
        FillGrid(*d, &grid);
        Refresh(*d, &grid);
        QCOMPARE(grid.Cells(0, 1), QStringLiteral("keep"));
    }

    void refreshShowsChanges()
    {
        TStringGrid grid;
        auto d = Orders(QStringLiteral("CAR_OWNER = '刷新'"));
        d->Open();
        FillGrid(*d, &grid);
        QCOMPARE(grid.Cells(0, 1), QString());
        const qint64 id =
            FPool
                ->Execute(QStringLiteral(
                    "INSERT INTO TB_REPAIR (CAR_NO, CAR_OWNER, PHONE) VALUES ('R1', '刷新', '9') RETURNING ID"))
                .At(0, 0)
                .AsInt64();
        Refresh(*d, &grid);
        QCOMPARE(grid.Cells(0, 1), QString::number(id));
        FPool->Execute(QStringLiteral("DELETE FROM TB_REPAIR WHERE ID = ?"), {TFbValue::FromInt(id)});
        d->Close();
    }

    void setValue_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        QTest::newRow("ten characters removed") << "MEMO"
                                                << "a,b'c%d*e?f<g=h>i+j!k"
                                                << "abcdefghijk";
        QTest::newRow("a,b'c%") << "MEMO"
                                << "a,b'c%"
                                << "abc";
        QTest::newRow("20 bytes into 16") << "CAR_NO"
                                          << "12345678901234567890"
                                          << "1234567890123456";
        QTest::newRow("18 Chinese bytes into 16") << "CAR_NO"
                                                  << "一二三四五六七八九"
                                                  << "一二三四五六七八";
        QTest::newRow("never half a character") << "CAR_NO"
                                                << "a一二三四五六七八"
                                                << "a一二三四五六七";
        QTest::newRow("date exactly 10") << "REPAIR_DATE"
                                         << "2024-06-30"
                                         << "2024-06-30";
        QTest::newRow("key carried whole") << "ID"
                                           << "12345678"
                                           << "12345678";
        QTest::newRow("field name case") << "car_no"
                                         << "京A"
                                         << "京A";
        QTest::newRow("unknown field") << "NO_SUCH"
                                       << "x"
                                       << "";
    }

    void setValue()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, stored);
        auto d = Orders();
        d->SetValue(field, text);
        QCOMPARE(d->GetValue(field), stored);
    }

    void dateValue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");
        const QDate empty(1900, 1, 1);
        QTest::newRow("empty") << "" << empty;
        QTest::newRow("blank mask") << "    -  -  " << empty;
        QTest::newRow("underline mask") << "____-__-__" << empty;
        QTest::newRow("no date") << "abc" << empty;
        QTest::newRow("impossible day") << "2024-02-30" << empty;
        QTest::newRow("a date") << "2024-06-30" << QDate(2024, 6, 30);
    }

    void dateValue()
    {
        QFETCH(QString, text);
        QFETCH(QDate, date);
        auto d = Orders();
        d->Columns[3].Value = text;   // as typed, without cleaning or cut
        QCOMPARE(d->GetDateValue(QStringLiteral("REPAIR_DATE")), date);
    }

    void keys()
    {
        auto d = Orders();
        const struct {
            const char* key;
            int value;
        } cases[] = {{"", 0}, {"abc", 0}, {"12", 12}, {" 7 ", 7}, {"9x", 0}};
        for (const auto& c : cases) {
            d->SetKey(QStringLiteral("CAR_NO"), QString::fromUtf8(c.key));
            QCOMPARE(d->GetKey(QStringLiteral("CAR_NO")), c.value);
        }
        // Keys are stored unchanged, with no cleaning and no cut.
        d->SetKey(QStringLiteral("CAR_NO"), QStringLiteral("a'b,c123456789012345678"));
        QCOMPARE(d->Columns[2].Key, QStringLiteral("a'b,c123456789012345678"));
        QCOMPARE(d->GetKey(QStringLiteral("NO_SUCH")), 0);
        d->SetValue(QStringLiteral("MEMO"), QStringLiteral("x"));
        d->ClearValues();
        for (const TRecInfo& c : d->Columns)
            QVERIFY(c.Key.isEmpty() && c.Value.isEmpty());
    }

    void texts_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("withoutPaging");
        QTest::newRow("paged") << "SELECT * FROM V_REPAIR ROWS (2 - 1) * 100 + 1 TO 2 * 100"
                               << "SELECT * FROM V_REPAIR";
        QTest::newRow("not paged") << "SELECT * FROM V_REPAIR WHERE IS_PAY = 1"
                                   << "SELECT * FROM V_REPAIR WHERE IS_PAY = 1";
        QTest::newRow("lower case is not the clause") << "select * from v_repair rows 1 to 2"
                                                      << "select * from v_repair rows 1 to 2";
    }

    void texts()
    {
        QFETCH(QString, sql);
        QFETCH(QString, withoutPaging);
        QCOMPARE(TData::RemovePaging(sql), withoutPaging);
        QCOMPARE(TData::CleanValue(QStringLiteral("京A,1'2%3*4?5<6=7>8+9!0")), QStringLiteral("京A1234567890"));
    }
};

QTEST_MAIN(TestDataHead)
#include "tst_datahead.moc"
