#include "DataHead.h"

#include "Gbk.h"

#include <QLocale>

#include <cmath>
#include <limits>
#include <stdexcept>

const char* const PagingFormat = " ROWS (%d - 1) * %d + 1 TO %d * %d";

QString PagingClause(int pageIndex, int pageSize)
{
    return QString::asprintf(PagingFormat, pageIndex, pageSize, pageIndex, pageSize);
}

const QStringList SexNames = {QStringLiteral("男"), QStringLiteral("女")};
const QString EmptyDateMask = QStringLiteral("    -  -  ");
const QString EmptyDateMaskUnderline = QStringLiteral("____-__-__");
const QString EmptyDateText = QStringLiteral("1900-01-01");

QDate EmptyDate()
{
    return QDate(1900, 1, 1);
}

QString CodeName(const QStringList& names, int code)
{
    return (code >= 0 && code < names.size()) ? names[code] : QString::number(code);
}

QString QuotedStr(const QString& text)
{
    QString t = text;
    t.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + t + QLatin1Char('\'');
}

namespace {
QString AmountDigits(const QString& text)
{
    QString t = text.trimmed();
    t.remove(QLatin1Char(','));
    return t;
}
}   // namespace

bool IsAmountText(const QString& text)
{
    const QString t = AmountDigits(text);
    if (t.isEmpty())
        return true;
    TFbValue v;
    return t.size() <= AmountLength && TFbValue::ParseDecimal(t, &v);
}

bool IsNegativeAmount(const QString& text)
{
    return IsAmountText(text) && AmountDigits(text).startsWith(QLatin1Char('-'));
}

QString UnquotedStr(const QString& literal)
{
    if (literal.size() < 2 || !literal.startsWith(QLatin1Char('\'')) || !literal.endsWith(QLatin1Char('\'')))
        return literal;
    QString t = literal.mid(1, literal.size() - 2);
    t.replace(QStringLiteral("''"), QStringLiteral("'"));
    return t;
}

namespace {

const QString KeyField = QStringLiteral("ID");

bool SameParams(const QVector<TFbValue>& a, const QVector<TFbValue>& b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i)
        if (a[i].Type() != b[i].Type() || a[i].AsString() != b[i].AsString())
            return false;
    return true;
}

}   // namespace

TData::TData() = default;
TData::~TData() = default;

void TData::Execute(TStoredProc*, TExecMode, TSPResultInfo&)
{
    throw std::logic_error("TData::Execute: a list source without a save procedure was asked to save");
}

// ---- Filter and texts -------------------------------------------------------------------

void TData::SetFilter(const QString& filter, const QVector<TFbValue>& params)
{
    // Compared exactly: the database tells letter cases apart in these columns, so a find that
    // changes only the case of a value is another filter.
    if (Filter == filter && SameParams(FFilterParams, params))
        return;
    Filter = filter;
    FFilterParams = params;
}

void TData::SetBaseSQL(const QString& sql, const QString& condition)
{
    BaseSQL = sql;
    BaseCondition = condition;
}

namespace {

// The WHERE clause of the source's own condition and the filter; the filter is bracketed
// behind the base condition, so that an OR in it can never widen it (the employee list would
// show the administrator).
QString WhereClause(const QString& base, const QString& filter)
{
    if (base.isEmpty() && filter.isEmpty())
        return QString();
    if (filter.isEmpty())
        return QStringLiteral(" WHERE ") + base;
    if (base.isEmpty())
        return QStringLiteral(" WHERE ") + filter;
    return QStringLiteral(" WHERE ") + base + QStringLiteral(" AND (") + filter + QLatin1Char(')');
}

}   // namespace

QString TData::ListSQL() const
{
    return BaseSQL + WhereClause(BaseCondition, Filter);
}

QString TData::CountSQL() const
{
    // Counted by the server over the same FROM and WHERE: only one number crosses the network.
    // The FROM is looked for in the base SELECT only, which is the program's own text.
    const int from = BaseSQL.indexOf(QLatin1String(" FROM "), 0, Qt::CaseInsensitive);
    if (from < 0)
        return QStringLiteral("SELECT COUNT(*) FROM (") + ListSQL() + QLatin1Char(')');
    return QStringLiteral("SELECT COUNT(*)") + BaseSQL.mid(from) + WhereClause(BaseCondition, Filter);
}

QString TData::CleanValue(const QString& text)
{
    static const QString bad = QStringLiteral(",'%*?<=>+!");
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (!bad.contains(c))
            out += c;
    return out;
}

QString TData::RemovePaging(const QString& sql)
{
    const int p = sql.indexOf(QLatin1String("ROWS"));
    if (p < 0)
        return sql;
    return sql.left(p > 0 ? p - 1 : 0);
}

// ---- Opening and paging -----------------------------------------------------------------

void TData::OpenPage(const QString& sql)
{
    DataSet->Close();
    DataSet->SetCommandText(sql);
    DataSet->SetParams(FFilterParams);
    DataSet->Open();
}

void TData::Open()
{
    if (!DataSet)
        return;
    QString list = ListSQL();
    PageCount = 1;

    OpenPage(CountSQL());
    const qint64 counted = DataSet->RecordCount() > 0 ? DataSet->Result().At(0, 0).AsInt64() : 0;
    const int n = int(qMin<qint64>(counted, std::numeric_limits<int>::max()));

    FListSQL = list;
    if (n > PageSize) {
        PageCount = n / PageSize + (n % PageSize > 0 ? 1 : 0);
        list += PagingClause(PageIndex, PageSize);
    }
    TotalCount = n;

    OpenPage(list);
    PageRecordCount = DataSet->RecordCount();
    if (PageRecordCount > 0)
        RecordIndex = 1;
}

void TData::Close()
{
    if (DataSet)
        DataSet->Close();
    PageCount = 0;
    TotalCount = 0;
    PageRecordCount = 0;
    RecordIndex = 0;
    PageIndex = 1;
    FListSQL.clear();
}

void TData::MovePage(int newIndex)
{
    // The clause goes behind the list text kept from Open, never behind a text searched for
    // "ROWS": a filter value may itself contain that word.
    if (!DataSet || newIndex == PageIndex || FListSQL.isEmpty())
        return;
    PageIndex = newIndex;
    OpenPage(FListSQL + PagingClause(PageIndex, PageSize));
}

void TData::FirstPage()
{
    if (PageIndex != 1)
        MovePage(1);
}

void TData::PriorPage()
{
    if (PageIndex != 1)
        MovePage(PageIndex - 1);
}

void TData::NextPage()
{
    if (PageIndex != PageCount)
        MovePage(PageIndex + 1);
}

void TData::LastPage()
{
    if (PageIndex != PageCount)
        MovePage(PageCount);
}

bool TData::Refresh()
{
    if (!DataSet || !DataSet->Active())
        return false;
    DataSet->Refresh();
    return true;
}

// ---- What the grid shows ----------------------------------------------------------------

QVector<TData::TGridColumn> TData::GridColumns() const
{
    QVector<TGridColumn> out;
    for (const TRecInfo& col : Columns)
        if (col.Visible)
            out.push_back({col.Caption, col.Width});
    return out;
}

QVector<QStringList> TData::PageRows() const
{
    QVector<QStringList> rows;
    if (!DataSet || !DataSet->Active())
        return rows;
    const int n = DataSet->RecordCount();
    rows.reserve(n);
    const int keep = DataSet->RecNo();
    DataSet->First();
    for (int r = 0; r < n; ++r) {
        QStringList texts;
        for (const TRecInfo& col : Columns)
            if (col.Visible)
                texts << GetFieldText(col.FieldName);
        rows.push_back(texts);
        DataSet->Next();
    }
    DataSet->SetRecNo(keep);   // reading the page leaves the current record where it was
    return rows;
}

// ---- Values -----------------------------------------------------------------------------

TRecInfo* TData::Column(const QString& fieldName)
{
    for (TRecInfo& c : Columns)
        if (c.FieldName.compare(fieldName, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

const TRecInfo* TData::Column(const QString& fieldName) const
{
    for (const TRecInfo& c : Columns)
        if (c.FieldName.compare(fieldName, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

void TData::AddColumn(const QString& fieldName, const QString& caption, int maxLength, int width)
{
    TRecInfo c;
    c.MaxLength = maxLength;
    c.Width = width;
    c.FieldName = fieldName;
    c.Caption = caption;
    c.Visible = true;
    Columns.push_back(c);
}

void TData::SetValue(const QString& fieldName, const QString& text)
{
    TRecInfo* c = Column(fieldName);
    if (!c)
        return;
    QString v = CleanValue(text);
    // The key is carried whole: a shortened key would make save and delete act on another
    // record. Other values are cut at a character boundary, never inside a double byte.
    if (c->FieldName.compare(KeyField, Qt::CaseInsensitive) != 0 && Gbk::ByteLength(v) > c->MaxLength)
        v = Gbk::CutToBytes(v, c->MaxLength);
    c->Value = v;
}

int TData::MaxLengthOf(const QString& fieldName) const
{
    const TRecInfo* c = Column(fieldName);
    return c ? c->MaxLength : 0;
}

QString TData::GetValue(const QString& fieldName) const
{
    const TRecInfo* c = Column(fieldName);
    return c ? c->Value : QString();
}

QDate TData::GetDateValue(const QString& fieldName) const
{
    const QString v = GetValue(fieldName);
    if (v.isEmpty() || v.compare(EmptyDateMask, Qt::CaseInsensitive) == 0
        || v.compare(EmptyDateMaskUnderline, Qt::CaseInsensitive) == 0)
        return EmptyDate();
    QDate d = QDate::fromString(v.trimmed(), QStringLiteral("yyyy-MM-dd"));
    if (!d.isValid())
        d = QLocale::system().toDate(v.trimmed(), QLocale::ShortFormat);
    return d.isValid() ? d : EmptyDate();
}

void TData::SetKey(const QString& fieldName, const QString& key)
{
    if (TRecInfo* c = Column(fieldName))
        c->Key = key;
}

int TData::GetKey(const QString& fieldName) const
{
    const TRecInfo* c = Column(fieldName);
    if (!c)
        return 0;
    bool ok = false;
    const int k = c->Key.trimmed().toInt(&ok);
    return ok ? k : 0;
}

void TData::ClearValues()
{
    for (TRecInfo& c : Columns) {
        c.Key.clear();
        c.Value.clear();
    }
}

QString TData::GetFieldText(const QString& fieldName) const
{
    if (!DataSet)
        return QString();
    const TField f = DataSet->FieldByName(fieldName);   // throws for a field the set lacks
    if (f.IsNull())
        return QString();
    if (f.DataType() == TFieldType::ftDate && f.AsDate() == EmptyDate())
        return QString();
    if (f.DataType() == TFieldType::ftDateTime && f.Value()->AsDateTime() == QDateTime(EmptyDate(), QTime(0, 0)))
        return QString();
    return f.AsString();
}

int TData::IntValue(const QString& fieldName) const
{
    bool ok = false;
    const int v = GetValue(fieldName).trimmed().toInt(&ok);
    return ok ? v : 0;
}

TFbValue TData::DecimalValue(const QString& fieldName) const
{
    TFbValue v;
    if (!TFbValue::ParseDecimal(GetValue(fieldName), &v))
        v = TFbValue::FromScaled(0, 0);
    return v;
}

bool TData::KeyValue(int* id) const
{
    const QString v = GetValue(KeyField).trimmed();
    *id = 0;
    if (v.isEmpty())
        return true;
    bool ok = false;
    const int k = v.toInt(&ok);
    if (!ok)
        return false;
    *id = k;
    return true;
}

void TData::BeginProc(TStoredProc* proc, const QString& name)
{
    proc->SetStoredProcName(name);
    proc->ClearParams();
}

void TData::AddInput(TStoredProc* proc, TFieldType type, const QString& name, const TFbValue& value)
{
    proc->CreateParam(type, name, TParamType::ptInput).Value = value;
}

void TData::RunDelete(TStoredProc* proc, const QString& name, TSPResultInfo& result)
{
    int id = 0;
    if (!KeyValue(&id)) {
        result = TSPResultInfo();
        return;
    }
    BeginProc(proc, name);
    AddInput(proc, TFieldType::ftInteger, KeyField, TFbValue::FromInt(id));
    RunProc(proc, result);
}

bool TData::BeginSave(TStoredProc* proc, TExecMode mode, const QString& saveProc, const QString& deleteProc,
                      TSPResultInfo& result)
{
    if (mode == ExecDelete) {
        RunDelete(proc, deleteProc, result);
        return false;
    }
    if (mode != TExecMode::New && mode != TExecMode::Edit)
        return false;
    int id = 0;
    if (!KeyValue(&id)) {
        result = TSPResultInfo();
        return false;
    }
    BeginProc(proc, saveProc);
    AddInput(proc, TFieldType::ftInteger, KeyField, TFbValue::FromInt(id));
    return true;
}

void TData::AddText(TStoredProc* proc, const QString& fieldName) const
{
    AddInput(proc, TFieldType::ftString, fieldName, TFbValue::FromText(GetValue(fieldName)));
}

void TData::AddInteger(TStoredProc* proc, const QString& fieldName) const
{
    AddInput(proc, TFieldType::ftInteger, fieldName, TFbValue::FromInt(IntValue(fieldName)));
}

void TData::AddDecimal(TStoredProc* proc, const QString& fieldName) const
{
    AddInput(proc, TFieldType::ftBCD, fieldName, DecimalValue(fieldName));
}

void TData::AddDate(TStoredProc* proc, const QString& fieldName) const
{
    AddInput(proc, TFieldType::ftDate, fieldName, TFbValue::FromDate(GetDateValue(fieldName)));
}

void TData::AddKey(TStoredProc* proc, const QString& paramName, const QString& lookupField) const
{
    AddInput(proc, TFieldType::ftInteger, paramName, TFbValue::FromInt(GetKey(lookupField)));
}

void TData::RunProc(TStoredProc* proc, TSPResultInfo& result)
{
    proc->CreateParam(TFieldType::ftInteger, QStringLiteral("SUCESS"), TParamType::ptOutput);
    proc->Prepare();
    proc->ExecProc();
    TSPResultInfo fresh;
    fresh.Success = proc->ParamByName(QStringLiteral("SUCESS")).AsInteger() != 0;
    result = fresh;
}
