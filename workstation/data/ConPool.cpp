#include "ConPool.h"

#include "DbAccount.h"

const QString TConPool::UserName = DbAccount::UserName();
const QString TConPool::Password = DbAccount::Password();

TFieldType FieldTypeOf(TFbType type)
{
    switch (type) {
    case TFbType::Integer: return TFieldType::ftInteger;
    case TFbType::Decimal: return TFieldType::ftBCD;
    case TFbType::Double: return TFieldType::ftFloat;
    case TFbType::Text: return TFieldType::ftString;
    case TFbType::Date: return TFieldType::ftDate;
    case TFbType::Time: return TFieldType::ftTime;
    case TFbType::Timestamp: return TFieldType::ftDateTime;
    case TFbType::Boolean: return TFieldType::ftBoolean;
    case TFbType::Blob: return TFieldType::ftBlob;
    case TFbType::Null: break;
    }
    return TFieldType::ftUnknown;
}

// ---- TDataSet ---------------------------------------------------------------------------

void TDataSet::Open()
{
    Close();
    FResult = FPool->Execute(FCommandText, FParams);
    FActive = true;
    FRow = 0;
}

void TDataSet::Close()
{
    FActive = false;
    FResult = TFbResult();
    FRow = 0;
}

void TDataSet::Refresh()
{
    const int row = FRow;
    Open();
    if (row < RecordCount())
        FRow = row;
}

void TDataSet::SetRecNo(int recNo)
{
    FRow = qBound(0, recNo - 1, RecordCount());
}

TField TDataSet::FieldByName(const QString& name) const
{
    const int c = FResult.ColumnIndex(name);
    if (c < 0)
        throw TFbError(QStringLiteral("数据集中没有字段 %1").arg(name));
    const TFbColumn& col = FResult.Columns[c];
    const TFbValue* v = (FActive && FRow < RecordCount()) ? &FResult.At(FRow, c) : nullptr;
    return TField(col.Name, FieldTypeOf(col.Type), v);
}

qint64 TSQLQuery::ExecSQL()
{
    Close();
    const TFbResult r = FPool->Execute(FCommandText, FParams);
    return r.RowsAffected;
}

// ---- TStoredProc ------------------------------------------------------------------------

bool TParam::SetAsDecimal(const QString& text)
{
    TFbValue v;
    if (TFbValue::ParseDecimal(text, &v)) {
        Value = v;
        return true;
    }
    Value = TFbValue::FromInt(0);
    return false;
}

TParam& TStoredProc::CreateParam(TFieldType type, const QString& name, TParamType kind)
{
    TParam p;
    p.Name = name;
    p.DataType = type;
    p.ParamType = kind;
    FParams.push_back(p);
    FPrepared = false;
    return FParams.back();
}

TParam& TStoredProc::ParamByName(const QString& name)
{
    for (TParam& p : FParams)
        if (p.Name.compare(name, Qt::CaseInsensitive) == 0)
            return p;
    throw TFbError(QStringLiteral("存储过程 %1 没有参数 %2").arg(FName, name));
}

QString TStoredProc::StatementText() const
{
    QStringList marks;
    for (const TParam& p : FParams)
        if (p.ParamType == TParamType::ptInput)
            marks << QStringLiteral("?");
    QString text = QStringLiteral("EXECUTE PROCEDURE ") + FName;
    if (!marks.isEmpty())
        text += QLatin1Char('(') + marks.join(QLatin1Char(',')) + QLatin1Char(')');
    return text;
}

void TStoredProc::Prepare()
{
    if (FName.trimmed().isEmpty())
        throw TFbError(QStringLiteral("没有指定存储过程名"));
    // A procedure name is never typed by a user; still refuse anything but a plain name.
    for (QChar c : FName)
        if (!(c.isLetterOrNumber() || c == '_' || c == '$'))
            throw TFbError(QStringLiteral("存储过程名无效：%1").arg(FName));
    FPrepared = true;
}

void TStoredProc::ExecProc()
{
    if (!FPrepared)
        Prepare();
    QVector<TFbValue> inputs;
    for (const TParam& p : FParams)
        if (p.ParamType == TParamType::ptInput)
            inputs.push_back(p.Value);
    const TFbResult r = FPool->Execute(StatementText(), inputs);
    for (TParam& p : FParams) {
        if (p.ParamType != TParamType::ptOutput)
            continue;
        const int c = r.ColumnIndex(p.Name);
        if (c < 0)
            throw TFbError(QStringLiteral("存储过程 %1 没有输出参数 %2").arg(FName, p.Name));
        p.Value = r.RowCount() > 0 ? r.At(0, c) : TFbValue();
    }
}

// ---- TConPool ---------------------------------------------------------------------------

TConPool::TConPool()
    : FUser(DbAccount::UserName())
    , FPassword(DbAccount::Password())
{
    FSlots.resize(InitialSlotCount);
    for (int i = 0; i < InitialSlotCount; ++i)
        FSlots[size_t(i)].Index = i;
    FCount = InitialSlotCount;
    FQuery = std::make_unique<TSQLQuery>(this);
    FStoredProc = std::make_unique<TStoredProc>(this);
}

TConPool::~TConPool()
{
    FTransaction.reset();
    FSlots.clear();
    FStoredProc.reset();
    FQuery.reset();
}

void TConPool::FillSlot(int index)
{
    TSlot& s = FSlots[size_t(index)];
    s.DataSet = std::make_unique<TDataSet>(this);
    s.Index = index;
    s.InUse = false;
    s.TransDesc = TTransDesc();
    s.TransDesc.TransactionID = quint32(index + 1);
    s.TransDesc.GlobalID = 0;
    s.TransDesc.IsolationLevel = xilReadCommitted;
    s.TransDesc.CustomIsolation = 0;
}

void TConPool::Open(const QString& location)
{
    FConnection.Attach(location, FUser, FPassword);   // throws; nothing changed then
    FLocation = location;
    FLost = false;
    FTransaction.reset();
    FSlots.clear();
    FSlots.resize(InitialSlotCount);
    FCount = InitialSlotCount;
    for (int i = 0; i < InitialSlotCount; ++i)
        FillSlot(i);
}

void TConPool::Close()
{
    if (FStoredProc)
        FStoredProc->Close();
    for (TSlot& s : FSlots)
        if (s.DataSet)
            s.DataSet->Close();
    if (FQuery)
        FQuery->Close();
    FTransaction.reset();   // rolls back what was left open
    FConnection.Detach();
    FLocation.clear();
    FLost = false;
}

TDataSet* TConPool::GetDataSet()
{
    // Before Open the slots hold no data set yet: lending one would mark it in use for good.
    if (FShrinking || !Connected())
        return nullptr;
    bool anyFree = false;
    for (const TSlot& s : FSlots)
        anyFree = anyFree || !s.InUse;
    if (!anyFree) {
        ++FCount;
        FSlots.resize(size_t(FCount));
        FillSlot(FCount - 1);
    }
    for (TSlot& s : FSlots) {
        if (!s.InUse) {
            s.InUse = true;
            s.DataSet->Close();   // every slot holds one once the pool is open
            return s.DataSet.get();
        }
    }
    return nullptr;
}

void TConPool::FreeDataSet(TDbObject* dataSet)
{
    for (TSlot& s : FSlots) {
        if (dataSet && s.DataSet.get() == dataSet) {
            s.InUse = false;
            s.DataSet->Close();
        }
    }
    // Keep exactly the slots up to the highest one in use.
    FShrinking = true;
    while (!FSlots.empty() && !FSlots.back().InUse) {
        FSlots.pop_back();
        --FCount;
    }
    if (int(FSlots.size()) > FCount)
        FSlots.resize(size_t(FCount));
    FShrinking = false;
}

TSQLQuery* TConPool::GetQuery()
{
    if (!FQuery)
        FQuery = std::make_unique<TSQLQuery>(this);
    FQuery->Clear();
    return FQuery.get();
}

void TConPool::FreeQuery(TDbObject*)
{
    if (FQuery)
        FQuery->Close();
}

TStoredProc* TConPool::GetStoredProc()
{
    if (!FStoredProc)
        FStoredProc = std::make_unique<TStoredProc>(this);
    return FStoredProc.get();
}

void TConPool::FreeStoredProc(TDbObject*)
{
    if (FStoredProc)
        FStoredProc->Close();
}

TTransDesc TConPool::DescFor(TDbObject* object, bool* found) const
{
    *found = false;
    TTransDesc d;
    if (dynamic_cast<TSQLQuery*>(object)) {
        d.TransactionID = quint32(FCount + 1);
        d.IsolationLevel = xilReadCommitted;
        *found = true;
        return d;
    }
    for (const TSlot& s : FSlots) {
        if (object && s.DataSet.get() == object) {
            *found = true;
            return s.TransDesc;
        }
    }
    return d;
}

void TConPool::StartTransaction(TDbObject* object)
{
    bool found = false;
    const TTransDesc d = DescFor(object, &found);
    if (!found)
        return;
    if (!Connected())
        throw TFbError(QStringLiteral("数据库尚未连接，不能开始事务"));
    if (FTransaction)
        throw TFbError(QStringLiteral("已有一个活动的事务（%1），不能再开始事务").arg(FTransactionID));
    ReattachIfLost();
    BeginTransaction();
    FTransactionID = d.TransactionID;
}

void TConPool::Commit(TDbObject* object)
{
    bool found = false;
    const TTransDesc d = DescFor(object, &found);
    if (!found)
        return;
    if (!FTransaction || FTransactionID != d.TransactionID)
        throw TFbError(QStringLiteral("没有活动的事务（%1），不能提交").arg(d.TransactionID));
    FTransaction->Commit();   // on failure the transaction stays, for Rollback
    FTransaction.reset();
}

void TConPool::Rollback(TDbObject* object)
{
    bool found = false;
    const TTransDesc d = DescFor(object, &found);
    if (!found)
        return;
    if (!FTransaction || FTransactionID != d.TransactionID)
        throw TFbError(QStringLiteral("没有活动的事务（%1），不能回滚").arg(d.TransactionID));
    std::unique_ptr<TFbTransaction> t = std::move(FTransaction);
    t->Rollback();
}

void TConPool::RunInTransaction(const std::function<void()>& work, int attempts)
{
    if (FTransaction)
        throw TFbError(QStringLiteral("已有一个活动的事务，不能再开始事务"));
    for (int attempt = 1;; ++attempt) {
        ReattachIfLost();
        BeginTransaction();
        FTransactionID = 0;
        // A unit repeats its statements (a bill's lines): each is prepared once, and freed
        // before the commit.
        FConnection.KeepStatements();
        try {
            work();
            FConnection.FreeStatements();
            FTransaction->Commit();
            FTransaction.reset();
            return;
        } catch (const TFbError& e) {
            FConnection.FreeStatements();
            NoteError(e);
            FTransaction.reset();   // rolls back
            if (!e.IsUpdateConflict() || attempt >= attempts)
                throw;
        } catch (...) {
            FConnection.FreeStatements();
            FTransaction.reset();
            throw;
        }
    }
}

TFbResult TConPool::Execute(const QString& sql, const QVector<TFbValue>& params)
{
    ReattachIfLost();
    try {
        return FConnection.Execute(sql, params, FTransaction.get());
    } catch (const TFbError& e) {
        NoteError(e);
        throw;
    }
}

void TConPool::BeginTransaction()
{
    // A lost attachment often shows first here: noted, so that the next unit attaches again.
    try {
        FTransaction = std::make_unique<TFbTransaction>(FConnection);
    } catch (const TFbError& e) {
        NoteError(e);
        throw;
    }
}

void TConPool::NoteError(const TFbError& e)
{
    if (e.IsConnectionLost())
        FLost = true;
}

void TConPool::ReattachIfLost()
{
    // Only between units of work: a transaction on the lost attachment is gone with it and
    // must fail whole, never go on half on a new attachment.
    if (!FLost || FTransaction || FLocation.isEmpty())
        return;
    FConnection.Detach();
    FConnection.Attach(FLocation, FUser, FPassword);   // throws while the server is away
    FLost = false;
}
