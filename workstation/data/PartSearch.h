#pragma once
// The part search of the bill windows: as the user types, the lots that still hold stock (a
// sale, a checkout) or the catalogue parts (a stock-in) whose name contains the typed text,
// fetched a screenful at a time. The text is bound; %, _ and \ match as themselves. The rows
// come in part order (Stock: part, then lot), looked up through the name index of the parts
// (TB_COMMODITY_GRAM), so a keystroke reads about as many rows as it shows.
#include "FbClient.h"

#include <QHash>
#include <QString>
#include <QStringList>

class TConPool;

enum class TPartSource {
    // Columns as V_STOCK: ID, COMMODITY_ID, COMMODITY_NAME, UNIT_NAME, STANDARD_NAME,
    // REFER_PRICE, STOCK_COUNT. Only lots holding more than 0.
    Stock,
    // Columns as V_COMMODITY: ID, COMMODITY_NAME, UNIT_ID, UNIT_NAME, STANDARD_ID, STANDARD_NAME.
    Commodity
};

// The LIKE pattern of "contains the text": the text's own %, _ and \ escaped with \.
QString ContainsPattern(const QString& text);

class TPartSearch {
public:
    TPartSearch(TConPool& pool, TPartSource source);

    // A new search: the first rows matches (fewer when there are not so many). An empty
    // text finds nothing and asks the database nothing, nor does one that no part name can
    // hold (longer than a name, a character outside GBK); Result then has no columns.
    // Throws TFbError.
    void Start(const QString& text, int rows);
    // The next rows matches after the last one fetched (by its key: rows written or emptied
    // meanwhile cause neither a repeat nor a gap), added to Result. False when there were no
    // more. Throws TFbError.
    bool FetchMore(int rows);
    // True when every match has been fetched.
    bool AtEnd() const { return FAtEnd; }
    QString Text() const { return FText; }
    TPartSource Source() const { return FSource; }
    // Every row fetched since Start, in the order found.
    const TFbResult& Result() const { return FResult; }
    int RowCount() const { return FResult.RowCount(); }
    void Clear();

private:
    TFbResult Fetch(int rows);
    // Keeps the first rows of r, notes whether there are more and the last key.
    void Keep(TFbResult& r, int rows);
    // Of the index entries that can stand for the text, the one with the fewest parts;
    // *none when one of them has no part at all (then no name holds the text).
    QString ChooseGram(const QStringList& grams, bool* none);

    TConPool& FPool;
    TPartSource FSource;
    QString FText;
    TFbResult FResult;
    bool FAtEnd = true;
    QString FGram;   // the index entry walked; empty: every name is read
    qint64 FLastPart = 0;   // the key of the last row fetched: its part and (Stock) its lot
    qint64 FLastLot = 0;
    QHash<QString, double> FCounts;   // how many parts each index entry holds, as last judged
};
