#include "PartSearch.h"

#include "ConPool.h"
#include "Gbk.h"

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
// Counting an entry list stops here; past it, lists are compared by how thin they are.
constexpr int CountCap = 64;
// Counts remembered per search object, to choose a pair without counting it again as the
// user types on; a count only chooses, so an old one never changes what is found.
constexpr int CountMemory = 512;

constexpr qint64 NoKey = std::numeric_limits<qint32>::min();

// The candidate parts after a part key, in part order, into :PART. Through the index: its
// primary key walked in order from the pair and the key on, so the walk ends with the rows
// asked for. The plan is given because the optimizer, led by the key's range, would rather
// read every entry of the pair and sort them.
const char* const GramParts =
    "FOR SELECT T.COMMODITY_ID FROM TB_COMMODITY_GRAM T "
    "    WHERE T.GRAM = :GRAM AND T.COMMODITY_ID {AFTER} :AFTER_PART "
    "    PLAN (T ORDER PK_COMMODITY_GRAM) ORDER BY T.GRAM, T.COMMODITY_ID INTO :PART DO ";
// A text without a character the index holds (only spaces): every part.
const char* const AllParts =
    "FOR SELECT C.ID FROM TB_COMMODITY C WHERE C.ID {AFTER} :AFTER_PART ORDER BY C.ID INTO :PART DO ";

// The part's own row, read afresh (a part deleted meanwhile leaves the name NULL), and
// whether its whole name holds the text.
const char* const ThePart =
    "    NAME = NULL; "
    "    SELECT C.COMMODITY_NAME, C.UNIT_ID, C.STANDARD_ID FROM TB_COMMODITY C WHERE C.ID = :PART "
    "      INTO :NAME, :UNIT_ID, :STANDARD_ID; "
    "    IF (NAME LIKE :PATTERN ESCAPE '\\') THEN ";

// Each statement is a block that sends rows as it finds them and ends after N: what follows
// is never read.
const char* const CommodityBlock =
    "EXECUTE BLOCK (N INTEGER = ?, GRAM VARCHAR(2) = ?, AFTER_PART INTEGER = ?, PATTERN {PATTERN} = ?) "
    "RETURNS (ID INTEGER, COMMODITY_NAME VARCHAR(32), UNIT_ID INTEGER, UNIT_NAME VARCHAR(32), "
    "STANDARD_ID INTEGER, STANDARD_NAME VARCHAR(32)) AS "
    "DECLARE PART INTEGER; DECLARE NAME VARCHAR(32); "
    "BEGIN "
    "  IF (N <= 0) THEN EXIT; "
    "  {PARTS} "
    "  BEGIN "
    "    {PART} "
    "    BEGIN "
    "      ID = PART; COMMODITY_NAME = NAME; "
    "      UNIT_NAME = COALESCE((SELECT U.UNIT_NAME FROM TB_UNIT U WHERE U.ID = :UNIT_ID), ''); "
    "      STANDARD_NAME = COALESCE((SELECT S.STANDARD_NAME FROM TB_STANDARD S WHERE S.ID = :STANDARD_ID), ''); "
    "      SUSPEND; "
    "      N = N - 1; "
    "      IF (N <= 0) THEN EXIT; "
    "    END "
    "  END "
    "END";

// The lots of each matching part that hold stock, in lot order; the last part shown may
// have more lots, so a further fetch starts at that part again, after its last lot.
const char* const StockBlock =
    "EXECUTE BLOCK (N INTEGER = ?, GRAM VARCHAR(2) = ?, AFTER_PART INTEGER = ?, PATTERN {PATTERN} = ?, "
    "AFTER_LOT INTEGER = ?) "
    "RETURNS (ID INTEGER, COMMODITY_ID INTEGER, COMMODITY_NAME VARCHAR(32), UNIT_NAME VARCHAR(32), "
    "STANDARD_NAME VARCHAR(32), REFER_PRICE NUMERIC(15,2), STOCK_COUNT INTEGER) AS "
    "DECLARE PART INTEGER; DECLARE NAME VARCHAR(32); DECLARE UNIT_ID INTEGER; DECLARE STANDARD_ID INTEGER; "
    "DECLARE NAMED SMALLINT; "
    "BEGIN "
    "  IF (N <= 0) THEN EXIT; "
    "  {PARTS} "
    "  BEGIN "
    "    {PART} "
    "    BEGIN "
    "      NAMED = 0; "
    "      FOR SELECT K.ID, K.STOCK_COUNT, "
    "                 COALESCE((SELECT G.REFER_PRICE FROM TB_STORAGE G WHERE G.ID = K.STORAGE_ID), 0) "
    "          FROM TB_STOCK K "
    "          WHERE K.COMMODITY_ID = :PART AND K.STOCK_COUNT > 0 "
    "            AND (K.COMMODITY_ID > :AFTER_PART OR K.ID > :AFTER_LOT) "
    "          PLAN SORT (K INDEX (IX_STOCK_COMMODITY_COUNT)) ORDER BY K.ID "
    "          INTO :ID, :STOCK_COUNT, :REFER_PRICE DO "
    "      BEGIN "
    "        IF (NAMED = 0) THEN "
    "        BEGIN "
    "          COMMODITY_ID = PART; COMMODITY_NAME = NAME; "
    "          UNIT_NAME = COALESCE((SELECT U.UNIT_NAME FROM TB_UNIT U WHERE U.ID = :UNIT_ID), ''); "
    "          STANDARD_NAME = COALESCE((SELECT S.STANDARD_NAME FROM TB_STANDARD S WHERE S.ID = :STANDARD_ID), ''); "
    "          NAMED = 1; "
    "        END "
    "        SUSPEND; "
    "        N = N - 1; "
    "        IF (N <= 0) THEN EXIT; "
    "      END "
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
            parts << QStringLiteral("SELECT COUNT(*), MIN(Q.COMMODITY_ID), MAX(Q.COMMODITY_ID) FROM "
                                    "(SELECT FIRST %1 T.COMMODITY_ID FROM TB_COMMODITY_GRAM T WHERE T.GRAM = ? "
                                    "PLAN (T ORDER PK_COMMODITY_GRAM) ORDER BY T.GRAM, T.COMMODITY_ID) Q")
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
            // A list cut at the cap is judged by how far its entries spread over the part
            // keys: the wider, the thinner the list, the fewer parts it holds in all.
            const double spread = double(r.At(k, 2).AsInt64() - r.At(k, 1).AsInt64() + 1);
            FCounts.insert(ask[k], n < CountCap ? double(n) : double(CountCap) + 1e9 / spread);
        }
    }
    QString best;
    double fewest = std::numeric_limits<double>::max();
    for (const QString& g : grams) {
        const double n = FCounts.value(g, double(CountCap));
        if (n < fewest) {
            fewest = n;
            best = g;
        }
    }
    return best;
}

TFbResult TPartSearch::Fetch(int rows)
{
    const bool stock = FSource == TPartSource::Stock;
    QString sql = QString::fromLatin1(stock ? StockBlock : CommodityBlock);
    QString parts = QString::fromLatin1(FGram.isEmpty() ? AllParts : GramParts);
    // The catalogue goes on after the last part shown; the lots at the last part, after its lot.
    parts.replace(QLatin1String("{AFTER}"), stock ? QLatin1String(">=") : QLatin1String(">"));
    sql.replace(QLatin1String("{PARTS}"), parts)
        .replace(QLatin1String("{PART}"), QLatin1String(ThePart))
        .replace(QLatin1String("{PATTERN}"), QLatin1String(PatternType));
    // One row more than shown tells whether there are more.
    QVector<TFbValue> params = {TFbValue::FromInt(rows + 1), FGram.isEmpty() ? TFbValue() : TFbValue::FromText(FGram),
                                TFbValue::FromInt(FLastPart), TFbValue::FromText(ContainsPattern(FText))};
    if (stock)
        params << TFbValue::FromInt(FLastLot);
    return FPool.Execute(sql, params);
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
    if (text.size() > NameChars || !Gbk::Fits(text))
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
