#include "PartSearch.h"

#include "ConPool.h"

namespace {

// Driven from the catalogue: its names are scanned once, and only a matching part's lots are
// looked up by their index, so a text that matches nothing costs one pass over the names and
// the names and prices are read for the rows shown only.
const char* const StockSql =
    "SELECT FIRST ? SKIP ? K.ID, K.COMMODITY_ID, C.COMMODITY_NAME, "
    "COALESCE((SELECT U.UNIT_NAME FROM TB_UNIT U WHERE U.ID = C.UNIT_ID), '') AS UNIT_NAME, "
    "COALESCE((SELECT S.STANDARD_NAME FROM TB_STANDARD S WHERE S.ID = C.STANDARD_ID), '') AS STANDARD_NAME, "
    "COALESCE((SELECT G.REFER_PRICE FROM TB_STORAGE G WHERE G.ID = K.STORAGE_ID), 0) AS REFER_PRICE, "
    "K.STOCK_COUNT "
    "FROM TB_COMMODITY C JOIN TB_STOCK K ON K.COMMODITY_ID = C.ID "
    "WHERE C.COMMODITY_NAME LIKE ? ESCAPE '\\' AND K.STOCK_COUNT > 0 "
    "PLAN JOIN (C NATURAL, K INDEX (IX_STOCK_COMMODITY_ID))";

const char* const CommoditySql =
    "SELECT FIRST ? SKIP ? C.ID, C.COMMODITY_NAME, C.UNIT_ID, "
    "COALESCE((SELECT U.UNIT_NAME FROM TB_UNIT U WHERE U.ID = C.UNIT_ID), '') AS UNIT_NAME, "
    "C.STANDARD_ID, "
    "COALESCE((SELECT S.STANDARD_NAME FROM TB_STANDARD S WHERE S.ID = C.STANDARD_ID), '') AS STANDARD_NAME "
    "FROM TB_COMMODITY C WHERE C.COMMODITY_NAME LIKE ? ESCAPE '\\'";

}   // namespace

QString ContainsPattern(const QString& text)
{
    QString k = text;
    k.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    k.replace(QLatin1Char('%'), QStringLiteral("\\%"));
    k.replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return QLatin1Char('%') + k + QLatin1Char('%');
}

TPartSearch::TPartSearch(TConPool& pool, TPartSource source)
    : FPool(pool)
    , FSource(source)
{
}

void TPartSearch::Clear()
{
    FText.clear();
    FResult = TFbResult();
    FAtEnd = true;
}

TFbResult TPartSearch::Fetch(int skip, int rows)
{
    const char* sql = FSource == TPartSource::Stock ? StockSql : CommoditySql;
    // One row more than asked tells whether there are more, without counting them.
    return FPool.Execute(QString::fromLatin1(sql), {TFbValue::FromInt(rows + 1), TFbValue::FromInt(skip),
                                                    TFbValue::FromText(ContainsPattern(FText))});
}

void TPartSearch::Start(const QString& text, int rows)
{
    Clear();
    FText = text;
    if (text.isEmpty() || rows <= 0)
        return;
    TFbResult r = Fetch(0, rows);
    FAtEnd = r.RowCount() <= rows;
    if (!FAtEnd)
        r.Cells.resize(size_t(rows) * size_t(r.Columns.size()));
    FResult = std::move(r);
}

bool TPartSearch::FetchMore(int rows)
{
    if (FAtEnd || rows <= 0)
        return false;
    TFbResult r = Fetch(RowCount(), rows);
    const int got = r.RowCount();
    FAtEnd = got <= rows;
    const int keep = FAtEnd ? got : rows;
    const size_t width = size_t(r.Columns.size());
    FResult.Cells.insert(FResult.Cells.end(), r.Cells.begin(), r.Cells.begin() + long(size_t(keep) * width));
    return keep > 0;
}
