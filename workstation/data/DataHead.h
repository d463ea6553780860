#pragma once
// The paged list source every business list is built on: a base SELECT, an optional filter,
// a count made in the database, one page of at most PageSize records fetched with the ROWS
// clause, the grid filling, and one edit value per column for the save and delete procedures.
#include "ConPool.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

// One column of a list and its edit value.
struct TRecInfo {
    QString Key;   // ID of the value chosen for a lookup column
    int MaxLength = 0;   // longest Value kept, in GBK bytes
    int Width = 0;   // grid column width in pixels
    QString Value;   // edit value read by the save or delete procedure
    QString FieldName;   // column of the view or table
    QString Caption;   // grid header text
    bool Visible = true;
};

// Result of a save or delete; the caller creates it cleared.
struct TSPResultInfo {
    bool Success = false;
};

// Modes of TData::Execute: a new record or an edited one is saved, or the record deleted.
enum class TExecMode { New = 0, Edit = 1, Delete = 2 };
constexpr TExecMode ExecSave = TExecMode::New;
constexpr TExecMode ExecDelete = TExecMode::Delete;

// " ROWS (%d - 1) * %d + 1 TO %d * %d", filled with index, size, index, size.
extern const char* const PagingFormat;
QString PagingClause(int pageIndex, int pageSize);

extern const QStringList SexNames;   // 0 "男", 1 "女"
extern const QString EmptyDateMask;   // "    -  -  "
extern const QString EmptyDateMaskUnderline;   // "____-__-__"
extern const QString EmptyDateText;   // "1900-01-01"
QDate EmptyDate();   // 1900-01-01

// Characters of the longest NUMERIC(15,2) text: "-9999999999999.99".
constexpr int AmountLength = 17;
// Whether a typed amount is a number: blanks around it and thousands separators (1,200) are
// allowed, an empty text means 0. A text that is no number must be refused, not stored as 0.
bool IsAmountText(const QString& text);
bool IsNegativeAmount(const QString& text);

// The name a code table gives a stored code; a code outside the table shows as its number.
QString CodeName(const QStringList& names, int code);

// A text as an SQL string literal: in single quotes, each single quote doubled.
QString QuotedStr(const QString& text);
// The text back from QuotedStr's literal; a text that is no such literal comes back as it is.
QString UnquotedStr(const QString& literal);

// A list condition with "?" marks and the values bound to them, in their order. What a user
// typed travels in Params, never in Text.
struct TCondition {
    QString Text;
    QVector<TFbValue> Params;
    bool IsEmpty() const { return Text.isEmpty(); }
};

class TData {
public:
    TData();
    virtual ~TData();
    TData(const TData&) = delete;
    TData& operator=(const TData&) = delete;

    // Fields, in the order the list sources are described in.
    TDataSet* DataSet = nullptr;   // borrowed from the pool, not owned
    QString Filter;
    int PageSize = 100;
    int PageCount = 0;
    int PageIndex = 1;
    int TotalCount = 0;
    int PageRecordCount = 0;
    int RecordIndex = 1;
    QVector<TRecInfo> Columns;
    // The list is made of separate parts, never found again by searching a text: the base
    // SELECT (no WHERE), the source's own fixed condition, the filter with its bound values,
    // and the paging clause added when a page is fetched.
    QString BaseSQL;
    QString BaseCondition;

    // Saves (mode 0 or 1) or deletes (mode 2) the record held in the column values through
    // the shared stored-procedure executor. Each entity supplies it; a plain TData throws.
    virtual void Execute(TStoredProc* proc, TExecMode mode, TSPResultInfo& result);
    // The grid's caption row: the visible columns' captions and widths.
    struct TGridColumn {
        QString Caption;
        int Width = 0;
    };
    QVector<TGridColumn> GridColumns() const;
    // The current page as the grid shows it: per record the texts of the visible columns.
    // The UI layer's FillGrid writes them into a grid.
    virtual QVector<QStringList> PageRows() const;

    void SetDataSet(TDataSet* dataSet) { DataSet = dataSet; }
    // Replaces the filter unless text and values are exactly the same. Values a user typed go in
    // params, bound to "?" marks of the condition, never written into its text.
    void SetFilter(const QString& filter, const QVector<TFbValue>& params = {});
    void SetBaseSQL(const QString& sql, const QString& condition = QString());
    const QVector<TFbValue>& FilterParams() const { return FFilterParams; }

    void Open();
    void Close();
    void FirstPage();
    void PriorPage();
    void NextPage();
    void LastPage();
    // Runs the current page's text again; false when nothing is open.
    bool Refresh();

    // The list text (base SELECT and filter, no paging) and the count text made from it.
    QString ListSQL() const;
    QString CountSQL() const;

    void SetValue(const QString& fieldName, const QString& text);
    QString GetValue(const QString& fieldName) const;
    QDate GetDateValue(const QString& fieldName) const;
    void SetKey(const QString& fieldName, const QString& key);
    int GetKey(const QString& fieldName) const;
    void ClearValues();
    QString GetFieldText(const QString& fieldName) const;
    // The longest value the column keeps, in GBK bytes; 0 for a column the source lacks.
    int MaxLengthOf(const QString& fieldName) const;

    static QString CleanValue(const QString& text);
    static QString RemovePaging(const QString& sql);

protected:
    TRecInfo* Column(const QString& fieldName);
    const TRecInfo* Column(const QString& fieldName) const;
    void AddColumn(const QString& fieldName, const QString& caption, int maxLength, int width);
    // Integer reading of a column's value: 0 when empty or not a number.
    int IntValue(const QString& fieldName) const;
    // An amount as an exact decimal: 0 when empty or not a number. Never through a double.
    TFbValue DecimalValue(const QString& fieldName) const;
    // The key of the record held in the values: the ID column read whole. False when it is
    // neither empty nor a whole number, so that no other record is touched by mistake.
    bool KeyValue(int* id) const;
    // Names the procedure and removes its parameters.
    static void BeginProc(TStoredProc* proc, const QString& name);
    static void AddInput(TStoredProc* proc, TFieldType type, const QString& name, const TFbValue& value);
    // Adds the output SUCESS, runs the procedure and sets result from it.
    static void RunProc(TStoredProc* proc, TSPResultInfo& result);
    // The delete procedure of an entity, by the record's key.
    void RunDelete(TStoredProc* proc, const QString& name, TSPResultInfo& result);
    // The common start of an entity's Execute: mode 2 deletes through deleteProc; modes 0 and 1
    // name saveProc with the record's key as its ID. True when the caller is to add the other
    // inputs and RunProc; false when nothing more is to be done (deleted, another mode, or a
    // key that is no whole number, which fails the save).
    bool BeginSave(TStoredProc* proc, TExecMode mode, const QString& saveProc, const QString& deleteProc,
                   TSPResultInfo& result);
    // Inputs named as the column they come from.
    void AddText(TStoredProc* proc, const QString& fieldName) const;
    void AddInteger(TStoredProc* proc, const QString& fieldName) const;
    void AddDecimal(TStoredProc* proc, const QString& fieldName) const;
    void AddDate(TStoredProc* proc, const QString& fieldName) const;
    // The key chosen for a lookup column, under the procedure's own parameter name.
    void AddKey(TStoredProc* proc, const QString& paramName, const QString& lookupField) const;

private:
    void OpenPage(const QString& sql);
    void MovePage(int newIndex);

    QVector<TFbValue> FFilterParams;
    QString FListSQL;   // the list text of the last Open, which page moves add their clause to
};
