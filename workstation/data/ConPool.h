#pragma once
// The workstation's one attachment to the database, with a pool of cached data sets that
// callers borrow and hand back, one shared statement, one shared stored-procedure executor
// and explicit transactions. Without an explicit transaction every statement runs in a
// read-committed transaction of its own that is committed before the call returns.
#include "FbClient.h"

#include <QString>
#include <QVector>

#include <functional>
#include <memory>
#include <vector>

class TConPool;

enum class TFieldType { ftUnknown, ftInteger, ftString, ftFloat, ftBCD, ftDate, ftTime, ftDateTime, ftBoolean, ftBlob };

TFieldType FieldTypeOf(TFbType type);

// One field of a data set's current record.
class TField {
public:
    TField(const QString& name, TFieldType type, const TFbValue* value)
        : FName(name)
        , FType(type)
        , FValue(value)
    {
    }
    QString FieldName() const { return FName; }
    TFieldType DataType() const { return FType; }
    bool IsNull() const { return !FValue || FValue->IsNull(); }
    QString AsString() const { return FValue ? FValue->AsString() : QString(); }
    int AsInteger() const { return FValue ? int(FValue->AsInt64()) : 0; }
    qint64 AsInt64() const { return FValue ? FValue->AsInt64() : 0; }
    double AsFloat() const { return FValue ? FValue->AsDouble() : 0.0; }
    QDate AsDate() const { return FValue ? FValue->AsDate() : QDate(); }
    const TFbValue* Value() const { return FValue; }

private:
    QString FName;
    TFieldType FType;
    const TFbValue* FValue;
};

// Base of what the pool lends, so that transactions can be asked for "an object".
class TDbObject {
public:
    virtual ~TDbObject() = default;
};

// A data set that runs a SELECT given as command text and, when opened, reads every row
// of the result into memory. Values are bound to "?" placeholders, never written in.
class TDataSet : public TDbObject {
public:
    explicit TDataSet(TConPool* pool)
        : FPool(pool)
    {
    }

    void SetCommandText(const QString& text) { FCommandText = text; }
    QString CommandText() const { return FCommandText; }
    void SetParams(const QVector<TFbValue>& params) { FParams = params; }
    void AddParam(const TFbValue& value) { FParams.push_back(value); }
    void ClearParams() { FParams.clear(); }
    const QVector<TFbValue>& Params() const { return FParams; }

    void Open();   // runs the command text; throws TFbError
    void Close();   // discards the rows
    bool Active() const { return FActive; }
    void Refresh();   // runs the same text again, keeping the position when it still exists

    int RecordCount() const { return FActive ? FResult.RowCount() : 0; }
    void First() { FRow = 0; }
    void Next()
    {
        if (FRow < RecordCount())
            ++FRow;
    }
    void Prior()
    {
        if (FRow > 0)
            --FRow;
    }
    bool Eof() const { return FRow >= RecordCount(); }
    int RecNo() const { return FRow + 1; }   // 1-based, as the lists count rows
    void SetRecNo(int recNo);

    int FieldCount() const { return FResult.Columns.size(); }
    QString FieldName(int index) const { return FResult.Columns.value(index).Name; }
    bool FindField(const QString& name) const { return FResult.ColumnIndex(name) >= 0; }
    // The named field of the current record; throws TFbError when the data set lacks it.
    TField FieldByName(const QString& name) const;
    const TFbResult& Result() const { return FResult; }

protected:
    TConPool* FPool;
    QString FCommandText;
    QVector<TFbValue> FParams;
    TFbResult FResult;
    bool FActive = false;
    int FRow = 0;
};

// The shared statement: commands (ExecSQL) and queries read forward.
class TSQLQuery : public TDataSet {
public:
    using TDataSet::TDataSet;
    void Clear()
    {
        Close();
        FCommandText.clear();
        FParams.clear();
    }
    void SetSQL(const QString& text) { FCommandText = text; }
    void AddSQL(const QString& line)
    {
        FCommandText += (FCommandText.isEmpty() ? QString() : QStringLiteral("\n")) + line;
    }
    // Runs a statement that returns no rows; the number of rows it changed.
    qint64 ExecSQL();
};

enum class TParamType { ptInput, ptOutput };

struct TParam {
    QString Name;
    TFieldType DataType = TFieldType::ftUnknown;
    TParamType ParamType = TParamType::ptInput;
    TFbValue Value;

    void SetAsInteger(qint64 v) { Value = TFbValue::FromInt(v); }
    void SetAsString(const QString& v) { Value = TFbValue::FromText(v); }
    void SetAsFloat(double v) { Value = TFbValue::FromDouble(v); }
    void SetAsDate(const QDate& v) { Value = TFbValue::FromDate(v); }
    // Exact decimal from text; false (and 0) when the text is not a number.
    bool SetAsDecimal(const QString& text);
    void Clear() { Value = TFbValue(); }
    int AsInteger() const { return int(Value.AsInt64()); }
    QString AsString() const { return Value.AsString(); }
};

// The shared stored-procedure executor: EXECUTE PROCEDURE with the input parameters in
// the order they were created; outputs are read back by name.
class TStoredProc : public TDbObject {
public:
    explicit TStoredProc(TConPool* pool)
        : FPool(pool)
    {
    }

    void SetStoredProcName(const QString& name)
    {
        FName = name;
        FPrepared = false;
    }
    QString StoredProcName() const { return FName; }
    void ClearParams()
    {
        FParams.clear();
        FPrepared = false;
    }
    TParam& CreateParam(TFieldType type, const QString& name, TParamType kind);
    TParam& ParamByName(const QString& name);   // throws TFbError when absent
    const std::vector<TParam>& Params() const { return FParams; }
    void Prepare();
    void ExecProc();   // throws TFbError
    void Close() { FPrepared = false; }
    bool Prepared() const { return FPrepared; }
    QString StatementText() const;   // the EXECUTE PROCEDURE text

private:
    TConPool* FPool;
    QString FName;
    std::vector<TParam> FParams;
    bool FPrepared = false;
};

struct TTransDesc {
    quint32 TransactionID = 0;
    quint32 GlobalID = 0;
    quint8 IsolationLevel = 0;   // read committed
    quint32 CustomIsolation = 0;
};

constexpr int InitialSlotCount = 3;
constexpr quint8 xilReadCommitted = 0;

struct TSlot {
    std::unique_ptr<TDataSet> DataSet;
    int Index = 0;
    bool InUse = false;
    TTransDesc TransDesc;
};

class TConPool {
public:
    // The default account (SYSDBA), used until SetAccount names another; tests attach their
    // second connections with it.
    static const QString UserName;
    static const QString Password;

    TConPool();
    ~TConPool();
    TConPool(const TConPool&) = delete;
    TConPool& operator=(const TConPool&) = delete;

    // Attaches to the location the server sent, unchanged. Throws TFbError; on failure
    // nothing changes. On success the pool holds three fresh, free slots.
    void Open(const QString& location);
    // The account Open (and every attaching again) uses from now on: the installation's own
    // workstation user from the settings.
    void SetAccount(const QString& user, const QString& password)
    {
        FUser = user;
        FPassword = password;
    }
    QString AccountUser() const { return FUser; }
    void Close();
    bool Connected() const { return FConnection.Attached(); }
    QString Location() const { return FConnection.Location(); }

    TDataSet* GetDataSet();   // none while shrinking or before Open
    void FreeDataSet(TDbObject* dataSet);
    TSQLQuery* GetQuery();
    void FreeQuery(TDbObject* query);
    TStoredProc* GetStoredProc();
    void FreeStoredProc(TDbObject* proc);

    void StartTransaction(TDbObject* object);
    void Commit(TDbObject* object);
    void Rollback(TDbObject* object);
    bool InTransaction() const { return FTransaction != nullptr; }
    quint32 ActiveTransactionID() const { return FTransaction ? FTransactionID : 0; }

    // Runs work as one unit: all of it or nothing. An update conflict rolls back and
    // retries the whole unit a few times before the error is passed on.
    void RunInTransaction(const std::function<void()>& work, int attempts = 3);

    // Runs one statement in the explicit transaction if there is one, else on its own.
    TFbResult Execute(const QString& sql, const QVector<TFbValue>& params = {});

    int Count() const { return FCount; }
    bool Shrinking() const { return FShrinking; }
    const TSlot& Slot(int index) const { return FSlots[size_t(index)]; }
    TFbConnection& Connection() { return FConnection; }

private:
    void FillSlot(int index);
    TTransDesc DescFor(TDbObject* object, bool* found) const;
    // A lost attachment is remembered and made anew before the next unit of work.
    void NoteError(const TFbError& e);
    void BeginTransaction();
    void ReattachIfLost();

    TFbConnection FConnection;
    QString FUser;   // the account attached with
    QString FPassword;
    QString FLocation;   // where Open attached, for attaching again
    bool FLost = false;   // the attachment was found gone
    bool FShrinking = false;
    std::vector<TSlot> FSlots;
    std::unique_ptr<TSQLQuery> FQuery;
    std::unique_ptr<TStoredProc> FStoredProc;
    int FCount = 0;
    std::unique_ptr<TFbTransaction> FTransaction;
    quint32 FTransactionID = 0;
};

// What a caller borrows from the pool for one scope, given back on every path (an error
// included). Empty when the pool had nothing to lend.
template <class T, T* (TConPool::*Take)(), void (TConPool::*GiveBack)(TDbObject*)> class TLoan {
public:
    explicit TLoan(TConPool* pool)
        : FPool(pool)
        , FObject((pool->*Take)())
    {
    }
    ~TLoan()
    {
        if (FObject)
            (FPool->*GiveBack)(FObject);
    }
    TLoan(const TLoan&) = delete;
    TLoan& operator=(const TLoan&) = delete;

    T* get() const { return FObject; }
    T* operator->() const { return FObject; }
    explicit operator bool() const { return FObject != nullptr; }

private:
    TConPool* FPool;
    T* FObject;
};

using TDataSetLoan = TLoan<TDataSet, &TConPool::GetDataSet, &TConPool::FreeDataSet>;
using TQueryLoan = TLoan<TSQLQuery, &TConPool::GetQuery, &TConPool::FreeQuery>;
using TStoredProcLoan = TLoan<TStoredProc, &TConPool::GetStoredProc, &TConPool::FreeStoredProc>;
