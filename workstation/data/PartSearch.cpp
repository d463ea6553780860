#include "PartSearch.h"

#include "ConPool.h"

#include <QStringEncoder>

#include <algorithm>
#include <limits>

// The catalogue's names are indexed by their characters and pairs of characters
// (TB_COMMODITY_GRAM, kept by a trigger): a search walks the index entries of one character
// or pair of the text, in part order, and checks each part's whole name with LIKE. The pair
// with the fewest entries is taken, so a text that matches few parts reads few, and one that
// matches none is answered by the count of an empty entry list. Rows come in part order (for
// Stock: part, then lot) and a fetch continues after the last key shown, never by skipping.
namespace {

// TB_COMMODITY.COMMODITY_NAME holds at most this many characters: a longer text is in no name.
constexpr int NameChars = 32;
// A pattern of NameChars characters, each escaped, and the two %.
const char* const PatternType = "VARCHAR(70)";
// Counting an entry list stops here: past it, one long list is as good as another.
constexpr int CountCap = 256;
// Counts remembered per search object, to choose a pair without counting it again as the
// user types on; a count only chooses, so an old one never changes what is found.
constexpr int CountMemory = 512;

constexpr qint64 NoKey = std::numeric_limits<qint32>::min();

// The parts whose name holds the pair (or character), after a part key, in part order: the
// primary key of the index is walked in order, so the walk ends with the rows asked for.
// Filled in with the values' places: the pair, the part key to go on after, the pattern.
const char* const GramParts =
    "FROM TB_COMMODITY_GRAM T JOIN TB_COMMODITY C ON C.ID = T.COMMODITY_ID "
    "WHERE T.GRAM = {GRAM} AND T.COMMODITY_ID {AFTER} AND C.COMMODITY_NAME LIKE {PATTERN} ESCAPE '\\' "
    "ORDER BY T.GRAM, T.COMMODITY_ID";
// A text without a character the index holds (only spaces): every name is read, in part order.
const char* const AllParts =
    "FROM TB_COMMODITY C "
    "WHERE C.ID {AFTER} AND C.COMMODITY_NAME LIKE {PATTERN} ESCAPE '\\' "
    "ORDER BY C.ID";

// ? : the rows, then those of the parts.
const char* const CommoditySql =
    "SELECT FIRST ? C.ID, C.COMMODITY_NAME, C.UNIT_ID, "
    "COALESCE((SELECT U.UNIT_NAME FROM TB_UNIT U WHERE U.ID = C.UNIT_ID), '') AS UNIT_NAME, "
    "C.STANDARD_ID, "
    "COALESCE((SELECT S.STANDARD_NAME FROM TB_STANDARD S WHERE S.ID = C.STANDARD_ID), '') AS STANDARD_NAME ";

// The matching parts one after another, and of each the lots holding stock in lot order,
// until N rows are out: what follows is never read. The last part shown may have more lots,
// so a further fetch starts at that part again, after its last lot.
const char* const StockBlock =
    "EXECUTE BLOCK (N INTEGER = ?, GRAM VARCHAR(2) = ?, AFTER_PART INTEGER = ?, PATTERN %1 = ?, "
    "AFTER_LOT INTEGER = ?) "
    "RETURNS (ID INTEGER, COMMODITY_ID INTEGER, COMMODITY_NAME VARCHAR(32), UNIT_NAME VARCHAR(32), "
    "STANDARD_NAME VARCHAR(32), REFER_PRICE NUMERIC(15,2), STOCK_COUNT INTEGER) AS "
    "DECLARE UNIT_ID INTEGER; DECLARE STANDARD_ID INTEGER; DECLARE NAMED SMALLINT; "
    "BEGIN "
    "  IF (N <= 0) THEN EXIT; "
    "  FOR SELECT C.ID, C.COMMODITY_NAME, C.UNIT_ID, C.STANDARD_ID %2 "
    "      INTO :COMMODITY_ID, :COMMODITY_NAME, :UNIT_ID, :STANDARD_ID DO "
    "  BEGIN "
    "    NAMED = 0; "
    "    FOR SELECT K.ID, K.STOCK_COUNT, "
    "               COALESCE((SELECT G.REFER_PRICE FROM TB_STORAGE G WHERE G.ID = K.STORAGE_ID), 0) "
    "        FROM TB_STOCK K "
    "        WHERE K.COMMODITY_ID = :COMMODITY_ID AND K.STOCK_COUNT > 0 "
    "          AND (K.COMMODITY_ID > :AFTER_PART OR K.ID > :AFTER_LOT) "
    "        ORDER BY K.ID "
    "        INTO :ID, :STOCK_COUNT, :REFER_PRICE DO "
    "    BEGIN "
    "      IF (NAMED = 0) THEN "
    "      BEGIN "
    "        UNIT_NAME = COALESCE((SELECT U.UNIT_NAME FROM TB_UNIT U WHERE U.ID = :UNIT_ID), ''); "
    "        STANDARD_NAME = COALESCE((SELECT S.STANDARD_NAME FROM TB_STANDARD S WHERE S.ID = :STANDARD_ID), ''); "
    "        NAMED = 1; "
    "      END "
    "      SUSPEND; "
    "      N = N - 1; "
    "      IF (N <= 0) THEN EXIT; "
    "    END "
    "  END "
    "END";

bool IsSpace(QChar c)
{
    return c == QLatin1Char(' ');
}

// The index entries that can stand for the text: its pairs, or for a text of one character
// (or whose every pair ends in a space) its characters. A space alone and a pair ending in a
// space are not in the index. Empty: the text has none of these, only spaces.
QStringList GramsOf(const QString& text)
{
    QStringList grams;
    for (int i = 0; i + 1 < text.size(); ++i)
        if (!IsSpace(text.at(i + 1)))
            grams << text.mid(i, 2);
    if (grams.isEmpty())
        for (QChar c : text)
            if (!IsSpace(c))
                grams << QString(c);
    grams.removeDuplicates();
    return grams;
}

// A character outside GBK is in no name the database holds; binding it would only fail.
bool FitsGbk(const QString& text)
{
    QStringEncoder gbk("GBK");
    if (!gbk.isValid())
        return true;
    (void)QByteArray(gbk.encode(text));
    return !gbk.hasError();
}

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
    FGram.clear();
    FLastPart = NoKey;
    FLastLot = NoKey;
}

QString TPartSearch::ChooseGram(const QStringList& grams, bool* none)
{
    *none = false;
    if (grams.size() == 1)
        return grams.front();   // nothing to choose; an empty list is walked as fast as counted
    QStringList ask;
    for (const QString& g : grams)
        if (!FCounts.contains(g))
            ask << g;
    if (!ask.isEmpty()) {
        QStringList parts;
        QVector<TFbValue> params;
        for (const QString& g : ask) {
            parts << QStringLiteral("SELECT COUNT(*) FROM (SELECT FIRST %1 1 AS X FROM TB_COMMODITY_GRAM T "
                                    "WHERE T.GRAM = ? ORDER BY T.GRAM, T.COMMODITY_ID) Q")
                         .arg(CountCap);
            params << TFbValue::FromText(g);
        }
        const TFbResult r = FPool.Execute(parts.join(QStringLiteral(" UNION ALL ")), params);
        // UNION ALL keeps the order of its parts: one count per pair, as asked.
        if (FCounts.size() + ask.size() > CountMemory)
            FCounts.clear();
        for (int k = 0; k < r.RowCount() && k < ask.size(); ++k) {
            const int n = int(r.At(k, 0).AsInt64());
            if (n == 0) {
                *none = true;   // a fresh count of none: no name holds the whole text
                return QString();
            }
            FCounts.insert(ask[k], n);
        }
    }
    QString best;
    int fewest = std::numeric_limits<int>::max();
    for (const QString& g : grams) {
        const int n = FCounts.value(g, CountCap);
        if (n < fewest) {
            fewest = n;
            best = g;
        }
    }
    return best;
}

TFbResult TPartSearch::Fetch(int rows)
{
    const bool gram = !FGram.isEmpty();
    const bool stock = FSource == TPartSource::Stock;
    QString parts = QString::fromLatin1(gram ? GramParts : AllParts);
    if (stock)
        parts.replace(QLatin1String("{GRAM}"), QLatin1String(":GRAM"))
            .replace(QLatin1String("{AFTER}"), QLatin1String(">= :AFTER_PART"))
            .replace(QLatin1String("{PATTERN}"), QLatin1String(":PATTERN"));
    else
        parts.replace(QLatin1String("{GRAM}"), QLatin1String("?"))
            .replace(QLatin1String("{AFTER}"), QLatin1String("> ?"))
            .replace(QLatin1String("{PATTERN}"), QStringLiteral("CAST(? AS %1)").arg(QLatin1String(PatternType)));

    QVector<TFbValue> params = {TFbValue::FromInt(rows + 1)};   // one more tells whether there are more
    if (gram || stock)
        params << (gram ? TFbValue::FromText(FGram) : TFbValue());
    params << TFbValue::FromInt(FLastPart) << TFbValue::FromText(ContainsPattern(FText));
    if (stock) {
        params << TFbValue::FromInt(FLastLot);
        return FPool.Execute(QString::fromLatin1(StockBlock).arg(QLatin1String(PatternType), parts), params);
    }
    return FPool.Execute(QLatin1String(CommoditySql) + parts, params);
}

void TPartSearch::Keep(TFbResult& r, int rows)
{
    const int got = r.RowCount();
    FAtEnd = got <= rows;
    const int keep = FAtEnd ? got : rows;
    const size_t width = size_t(r.Columns.size());
    if (keep > 0) {
        const int part = r.ColumnIndex(FSource == TPartSource::Stock ? QStringLiteral("COMMODITY_ID")
                                                                      : QStringLiteral("ID"));
        const int lot = r.ColumnIndex(QStringLiteral("ID"));
        FLastPart = r.At(keep - 1, part).AsInt64();
        FLastLot = r.At(keep - 1, lot).AsInt64();
    }
    r.Cells.resize(size_t(keep) * width);
}

void TPartSearch::Start(const QString& text, int rows)
{
    Clear();
    FText = text;
    if (text.isEmpty() || rows <= 0)
        return;
    if (text.size() > NameChars || !FitsGbk(text))
        return;   // in no name, so nothing to ask
    bool none = false;
    const QStringList grams = GramsOf(text);
    if (!grams.isEmpty()) {
        FGram = ChooseGram(grams, &none);
        if (none)
            return;
    }
    TFbResult r = Fetch(rows);
    Keep(r, rows);
    FResult = std::move(r);
}

bool TPartSearch::FetchMore(int rows)
{
    if (FAtEnd || rows <= 0)
        return false;
    TFbResult r = Fetch(rows);
    const int before = RowCount();
    Keep(r, rows);
    FResult.Cells.insert(FResult.Cells.end(), r.Cells.begin(), r.Cells.end());
    return RowCount() > before;
}
