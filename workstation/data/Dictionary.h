#pragma once
// The short coded lists (departments, posts, units, standards) that other records refer to
// by number: loading one into a three-column editing grid and writing the marked rows back.
// Every typed value is bound; new IDs come from the table's generator; a repeated name and
// the removal of an entry still in use are refused by the statement itself, so an entry
// another workstation stored or started using meanwhile counts too.
#include <QString>
#include <QStringList>
#include <QVector>

class TDataSet;
class TSQLQuery;

struct TDicInfo {
    QString InUseQuery;   // a SELECT with one "?" for an entry's ID; any row means in use
    QString TableWord;   // TB_<word>, column <word>_NAME
    QString DisplayName;
    int NameLength = 32;
};

// The editing grid as data: cells addressed (column, row) with row 0 the fixed header row.
// The window copies it to and from its grid control.
class TDicGrid {
public:
    int ColCount() const { return FColCount; }
    int RowCount() const { return FCells.size(); }
    int FixedRows() const { return FFixedRows; }
    int Width() const { return FWidth; }
    void SetWidth(int width) { FWidth = width; }
    void SetColCount(int count);
    void SetRowCount(int count);   // new rows are empty; the column count is kept
    void SetFixedRows(int count) { FFixedRows = count; }
    QString Cell(int col, int row) const;
    void SetCell(int col, int row, const QString& text);
    int ColWidth(int col) const { return FColWidths.value(col); }
    void SetColWidth(int col, int width);
    int DataRowCount() const { return RowCount() > FFixedRows ? RowCount() - FFixedRows : 0; }

private:
    int FColCount = 0;
    int FFixedRows = 0;
    int FWidth = 246;
    QVector<QStringList> FCells;
    QVector<int> FColWidths;
};

// What a save did: how many statements changed the database, why rows were refused, and
// the error that stopped it (empty when it ran to the end).
struct TDicSaveReport {
    int Stored = 0;
    QStringList Refusals;   // one clear sentence per refused row
    QString Error;   // for the user; the save stopped at that row
    QString ErrorDetail;   // the database's own words
    bool Stopped() const { return !Error.isEmpty(); }
};

namespace DicMark {
inline const QString Add = QStringLiteral("新增");
inline const QString Change = QStringLiteral("修改");
inline const QString Remove = QStringLiteral("删除");
inline const QString Done = QStringLiteral("成功");
inline const QString Refused = QStringLiteral("失败");
}   // namespace DicMark

class TDictionary {
public:
    enum { ColID = 0, ColName = 1, ColMark = 2 };

    void SetDataSet(TDataSet* dataSet) { FDataSet = dataSet; }
    void SetQuery(TSQLQuery* query) { FQuery = query; }
    void SetDicIndex(int index) { FCurrent = index; }
    int DicIndex() const { return FCurrent; }
    const QVector<TDicInfo>& Dictionaries() const { return FDictionaries; }

    // The display names, in list order, for the window's tree.
    QStringList ListNames() const;
    // Loads the dictionary of that display name (letter case ignored) into the grid: headers,
    // widths, and one row per entry in the order the table returns, or one empty data row.
    // Throws TFbError.
    void LoadDictionary(const QString& displayName, TDicGrid& grid);
    // Carries out every marked data row on the current dictionary, top to bottom; each row
    // is one statement of its own. Refused rows become "失败" and the save goes on; any other
    // database error stops it at that row, which keeps its mark.
    TDicSaveReport ApplyChanges(TDicGrid& grid);

    // True when name occurs more than once in names, blanks around and letter case ignored.
    static bool NameRepeated(const QString& name, const QStringList& names);
    // Whether an edit from oldName to newName changes anything worth saving: not empty and
    // not merely the same name in other letter case.
    static bool IsChangedName(const QString& oldName, const QString& newName);

protected:
    QVector<TDicInfo> FDictionaries;

private:
    TDataSet* FDataSet = nullptr;   // borrowed
    TSQLQuery* FQuery = nullptr;   // borrowed
    int FCurrent = 0;
};

// The workshop's four dictionaries.
class TDic : public TDictionary {
public:
    TDic();
};
