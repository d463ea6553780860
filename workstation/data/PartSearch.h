#pragma once
// The part search of the bill windows: as the user types, the lots that still hold stock (a
// sale, a checkout) or the catalogue parts (a stock-in) whose name contains the typed text,
// fetched a screenful at a time. The text is bound; % and _ match as themselves.
#include "FbClient.h"

#include <QString>

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
    // text finds nothing and asks the database nothing. Throws TFbError.
    void Start(const QString& text, int rows);
    // The next rows matches after those already fetched, added to Result. False when there
    // were no more. Throws TFbError.
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
    TFbResult Fetch(int skip, int rows);

    TConPool& FPool;
    TPartSource FSource;
    QString FText;
    TFbResult FResult;
    bool FAtEnd = true;
};
