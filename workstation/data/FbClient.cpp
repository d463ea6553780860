#include "FbClient.h"

#include <firebird/Interface.h>

#include <cmath>
#include <cstring>

using namespace Firebird;

namespace {

IMaster* Master()
{
    static IMaster* master = fb_get_master_interface();
    return master;
}

IUtil* Util()
{
    static IUtil* util = Master()->getUtilInterface();
    return util;
}

IProvider* Provider()
{
    static IProvider* provider = Master()->getDispatcher();
    return provider;
}

// Owns one Firebird interface object and lets go of it once, on every path: release() for
// counted objects, dispose() for parameter builders. A call that ends the object itself on
// success (free, close, detach, commit) is followed by Forget().
inline void Drop(IReferenceCounted* p)
{
    p->release();
}
inline void Drop(IDisposable* p)
{
    p->dispose();
}

template <class T> class TFbRef {
public:
    TFbRef() = default;
    explicit TFbRef(T* p)
        : FPtr(p)
    {
    }
    ~TFbRef() { Reset(); }
    TFbRef(const TFbRef&) = delete;
    TFbRef& operator=(const TFbRef&) = delete;
    T* get() const { return FPtr; }
    T* operator->() const { return FPtr; }
    explicit operator bool() const { return FPtr != nullptr; }
    void Reset(T* p = nullptr)
    {
        if (FPtr)
            Drop(FPtr);
        FPtr = p;
    }
    void Forget() { FPtr = nullptr; }
    T* Take()
    {
        T* p = FPtr;
        FPtr = nullptr;
        return p;
    }

private:
    T* FPtr = nullptr;
};

// A status object for one call sequence; throws FbException on errors.
struct TStatus {
    ThrowStatusWrapper W;
    TStatus()
        : W(Master()->getStatus())
    {
    }
    ~TStatus() { W.dispose(); }
    ThrowStatusWrapper* operator&() { return &W; }
};

QString DecodeMessage(const char* bytes)
{
    QString s = QString::fromUtf8(bytes);
    if (s.contains(QChar::ReplacementCharacter))
        s = QString::fromLocal8Bit(bytes);
    return s;
}

[[noreturn]] void Rethrow(const FbException& e)
{
    char buf[4096];
    Util()->formatStatus(buf, sizeof buf, e.getStatus());
    throw TFbError(DecodeMessage(buf).trimmed(), e.getStatus()->getErrors());
}

const qint64 Pow10[] = {1LL,
                        10LL,
                        100LL,
                        1000LL,
                        10000LL,
                        100000LL,
                        1000000LL,
                        10000000LL,
                        100000000LL,
                        1000000000LL,
                        10000000000LL,
                        100000000000LL,
                        1000000000000LL,
                        10000000000000LL,
                        100000000000000LL,
                        1000000000000000LL,
                        10000000000000000LL,
                        100000000000000000LL,
                        1000000000000000000LL};

template <class T> T ReadAs(const unsigned char* p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <class T> void WriteAs(unsigned char* p, T v)
{
    std::memcpy(p, &v, sizeof v);
}

}   // namespace

// ---- TFbError -------------------------------------------------------------------------

TFbError::TFbError(const QString& text, const intptr_t* status)
    : std::runtime_error(text.toStdString())
    , FText(text)
{
    if (!status)
        return;
    std::vector<ISC_STATUS> copy;
    for (size_t i = 0; status[i] != isc_arg_end;) {
        const intptr_t kind = status[i];
        if (kind == isc_arg_gds) {
            FCodes.push_back(status[i + 1]);
            i += 2;
        } else if (kind == isc_arg_cstring) {
            i += 3;
        } else {
            i += 2;
        }
    }
    size_t n = 0;
    while (status[n] != isc_arg_end)
        ++n;
    copy.assign(status, status + n + 1);
    FSqlCode = int(isc_sqlcode(copy.data()));
}

TFbError::TFbError(const QString& text)
    : std::runtime_error(text.toStdString())
    , FText(text)
{
}

bool TFbError::HasCode(intptr_t code) const
{
    for (intptr_t c : FCodes)
        if (c == code)
            return true;
    return false;
}

bool TFbError::IsUpdateConflict() const
{
    return HasCode(FbCodes::UpdateConflict) || HasCode(FbCodes::Deadlock) || HasCode(FbCodes::LockConflict);
}

bool TFbError::IsConnectionLost() const
{
    return HasCode(FbCodes::NetRead) || HasCode(FbCodes::NetWrite) || HasCode(FbCodes::NetworkError)
        || HasCode(FbCodes::ConnectionShutdown) || HasCode(FbCodes::ConnectionLost) || HasCode(FbCodes::ConnLost);
}

QString FbErrorText(const std::exception& e)
{
    if (auto fb = dynamic_cast<const TFbError*>(&e))
        return fb->Text();
    return QString::fromUtf8(e.what());
}

// ---- TFbValue -------------------------------------------------------------------------

TFbValue TFbValue::FromInt(qint64 v)
{
    TFbValue r;
    r.FType = TFbType::Integer;
    r.FInt = v;
    return r;
}

TFbValue TFbValue::FromScaled(qint64 v, int scale)
{
    if (scale >= 0) {
        qint64 m = scale < 19 ? Pow10[scale] : 1;
        return FromInt(v * m);
    }
    TFbValue r;
    r.FType = TFbType::Decimal;
    r.FInt = v;
    r.FScale = scale;
    return r;
}

bool TFbValue::ParseDecimal(const QString& text, TFbValue* out)
{
    const QString t = text.trimmed();
    int i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        negative = t[i] == '-';
        ++i;
    }
    QString digits;
    int fraction = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            digits += c;
            if (point)
                ++fraction;
        } else {
            return false;
        }
    }
    if (digits.isEmpty())
        return false;
    int lead = 0;
    while (lead < digits.size() - 1 && digits[lead] == '0')
        ++lead;
    digits = digits.mid(lead);
    if (digits.size() > 18 || fraction > 18)
        return false;   // beyond what a NUMERIC(18) holds exactly
    const qint64 value = digits.toLongLong();
    *out = FromScaled(negative ? -value : value, -fraction);
    return true;
}

TFbValue TFbValue::FromDouble(double v)
{
    TFbValue r;
    r.FType = TFbType::Double;
    r.FDouble = v;
    return r;
}

TFbValue TFbValue::FromText(const QString& v)
{
    TFbValue r;
    r.FType = TFbType::Text;
    r.FText = v;
    return r;
}

TFbValue TFbValue::FromDate(const QDate& v)
{
    if (!v.isValid())
        return TFbValue();
    TFbValue r;
    r.FType = TFbType::Date;
    r.FInt = v.toJulianDay();
    return r;
}

TFbValue TFbValue::FromTime(const QTime& v)
{
    if (!v.isValid())
        return TFbValue();
    TFbValue r;
    r.FType = TFbType::Time;
    r.FStamp = QDateTime(QDate(1900, 1, 1), v);
    return r;
}

TFbValue TFbValue::FromTimestamp(const QDateTime& v)
{
    if (!v.isValid())
        return TFbValue();
    TFbValue r;
    r.FType = TFbType::Timestamp;
    r.FStamp = v;
    return r;
}

TFbValue TFbValue::FromBool(bool v)
{
    TFbValue r;
    r.FType = TFbType::Boolean;
    r.FInt = v ? 1 : 0;
    return r;
}

TFbValue TFbValue::FromBlob(const QByteArray& v)
{
    TFbValue r;
    r.FType = TFbType::Blob;
    r.FText = QString::fromUtf8(v);
    return r;
}

QString TFbValue::AsString() const
{
    switch (FType) {
    case TFbType::Null: return QString();
    case TFbType::Integer: return QString::number(FInt);
    case TFbType::Decimal: {
        const int places = -FScale;
        const qint64 m = Pow10[places];
        const bool negative = FInt < 0;
        const quint64 a = negative ? quint64(-(FInt + 1)) + 1 : quint64(FInt);
        const QString whole = QString::number(a / quint64(m));
        const QString frac = QString::number(a % quint64(m)).rightJustified(places, '0');
        return (negative ? QStringLiteral("-") : QString()) + whole + '.' + frac;
    }
    case TFbType::Double: return QString::number(FDouble, 'g', 15);
    case TFbType::Text:
    case TFbType::Blob: return FText;
    case TFbType::Date: return QDate::fromJulianDay(FInt).toString(QStringLiteral("yyyy-MM-dd"));
    case TFbType::Time: return FStamp.time().toString(QStringLiteral("HH:mm:ss"));
    case TFbType::Timestamp: return FStamp.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case TFbType::Boolean: return FInt ? QStringLiteral("True") : QStringLiteral("False");
    }
    return QString();
}

qint64 TFbValue::AsInt64(bool* ok) const
{
    bool good = true;
    qint64 v = 0;
    switch (FType) {
    case TFbType::Integer:
    case TFbType::Boolean: v = FInt; break;
    case TFbType::Decimal: v = FInt / Pow10[-FScale]; break;
    case TFbType::Double: v = qint64(FDouble); break;
    case TFbType::Text:
    case TFbType::Blob: v = FText.trimmed().toLongLong(&good); break;
    default: good = false;
    }
    if (ok)
        *ok = good;
    return good ? v : 0;
}

double TFbValue::AsDouble(bool* ok) const
{
    bool good = true;
    double v = 0;
    switch (FType) {
    case TFbType::Integer:
    case TFbType::Boolean: v = double(FInt); break;
    case TFbType::Decimal: v = double(FInt) / double(Pow10[-FScale]); break;
    case TFbType::Double: v = FDouble; break;
    case TFbType::Text:
    case TFbType::Blob: v = FText.trimmed().toDouble(&good); break;
    default: good = false;
    }
    if (ok)
        *ok = good;
    return good ? v : 0;
}

QDate TFbValue::AsDate() const
{
    switch (FType) {
    case TFbType::Date: return QDate::fromJulianDay(FInt);
    case TFbType::Timestamp: return FStamp.date();
    case TFbType::Text: return QDate::fromString(FText.trimmed(), QStringLiteral("yyyy-MM-dd"));
    default: return QDate();
    }
}

QDateTime TFbValue::AsDateTime() const
{
    switch (FType) {
    case TFbType::Date: return QDateTime(QDate::fromJulianDay(FInt), QTime(0, 0));
    case TFbType::Time:
    case TFbType::Timestamp: return FStamp;
    default: return QDateTime();
    }
}

bool TFbValue::AsBool() const
{
    return AsInt64() != 0;
}

int TFbResult::ColumnIndex(const QString& name) const
{
    for (int i = 0; i < Columns.size(); ++i)
        if (Columns[i].Name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

// ---- Statement execution ------------------------------------------------------------------

namespace {

QString DecodeText(const unsigned char* p, unsigned len, unsigned charSet)
{
    const char* c = reinterpret_cast<const char*>(p);
    if (charSet == 1)   // OCTETS: raw bytes, show them as they are
        return QString::fromLatin1(c, int(len));
    return QString::fromUtf8(c, int(len));
}

QByteArray ReadBlob(IAttachment* att, ITransaction* tra, ISC_QUAD* id)
{
    TStatus s;
    TFbRef<IBlob> blob(att->openBlob(&s, tra, id, 0, nullptr));
    QByteArray out;
    char buf[16384];
    for (;;) {
        unsigned got = 0;
        const int rc = blob->getSegment(&s, sizeof buf, buf, &got);
        if (rc == IStatus::RESULT_OK || rc == IStatus::RESULT_SEGMENT)
            out.append(buf, int(got));
        else
            break;
    }
    blob->close(&s);
    blob.Forget();
    return out;
}

TFbValue DecodeCell(IAttachment* att, ITransaction* tra, IMessageMetadata* meta, unsigned i, const unsigned char* buf)
{
    TStatus s;
    if (meta->isNullable(&s, i) && ReadAs<short>(buf + meta->getNullOffset(&s, i)) != 0)
        return TFbValue();
    const unsigned type = meta->getType(&s, i) & ~1u;
    const int scale = meta->getScale(&s, i);
    const unsigned len = meta->getLength(&s, i);
    const unsigned char* p = buf + meta->getOffset(&s, i);
    switch (type) {
    case SQL_TEXT: {
        const unsigned cs = meta->getCharSet(&s, i);
        QString t = DecodeText(p, len, cs);
        // CHAR(n) in UTF8 arrives as 4n bytes; keep its n characters
        if (cs == 4 && t.size() > int(len / 4))
            t.truncate(int(len / 4));
        return TFbValue::FromText(t);
    }
    case SQL_VARYING: return TFbValue::FromText(DecodeText(p + 2, ReadAs<unsigned short>(p), meta->getCharSet(&s, i)));
    case SQL_SHORT: return TFbValue::FromScaled(ReadAs<short>(p), scale);
    case SQL_LONG: return TFbValue::FromScaled(ReadAs<int>(p), scale);
    case SQL_INT64: return TFbValue::FromScaled(ReadAs<ISC_INT64>(p), scale);
    case SQL_FLOAT: return TFbValue::FromDouble(double(ReadAs<float>(p)));
    case SQL_DOUBLE:
    case SQL_D_FLOAT: return TFbValue::FromDouble(ReadAs<double>(p));
    case SQL_TYPE_DATE: {
        unsigned y, m, d;
        Util()->decodeDate(ReadAs<ISC_DATE>(p), &y, &m, &d);
        return TFbValue::FromDate(QDate(int(y), int(m), int(d)));
    }
    case SQL_TYPE_TIME: {
        unsigned h, mi, se, fr;
        Util()->decodeTime(ReadAs<ISC_TIME>(p), &h, &mi, &se, &fr);
        return TFbValue::FromTime(QTime(int(h), int(mi), int(se), int(fr / 10)));
    }
    case SQL_TIMESTAMP: {
        const ISC_TIMESTAMP ts = ReadAs<ISC_TIMESTAMP>(p);
        unsigned y, m, d, h, mi, se, fr;
        Util()->decodeDate(ts.timestamp_date, &y, &m, &d);
        Util()->decodeTime(ts.timestamp_time, &h, &mi, &se, &fr);
        return TFbValue::FromTimestamp(
            QDateTime(QDate(int(y), int(m), int(d)), QTime(int(h), int(mi), int(se), int(fr / 10))));
    }
    case SQL_BOOLEAN: return TFbValue::FromBool(*p != 0);
    case SQL_BLOB: {
        ISC_QUAD id = ReadAs<ISC_QUAD>(p);
        return TFbValue::FromBlob(ReadBlob(att, tra, &id));
    }
    case SQL_NULL: return TFbValue();
    default: throw TFbError(QStringLiteral("不支持的字段类型 %1").arg(type));
    }
}

TFbType ColumnType(unsigned type, int scale)
{
    switch (type & ~1u) {
    case SQL_TEXT:
    case SQL_VARYING: return TFbType::Text;
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64: return scale < 0 ? TFbType::Decimal : TFbType::Integer;
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT: return TFbType::Double;
    case SQL_TYPE_DATE: return TFbType::Date;
    case SQL_TYPE_TIME: return TFbType::Time;
    case SQL_TIMESTAMP: return TFbType::Timestamp;
    case SQL_BOOLEAN: return TFbType::Boolean;
    case SQL_BLOB: return TFbType::Blob;
    default: return TFbType::Null;
    }
}

// Lays out the input message after the values' own types, so that the server converts
// (exactly, for decimals and text) into the parameters' declared types.
IMessageMetadata* BindMetadata(IMessageMetadata* declared, const QVector<TFbValue>& params,
                               std::vector<QByteArray>& texts)
{
    TStatus s;
    TFbRef<IMetadataBuilder> b(declared->getBuilder(&s));
    {
        texts.assign(size_t(params.size()), QByteArray());
        for (int i = 0; i < params.size(); ++i) {
            const TFbValue& v = params[i];
            const unsigned u = unsigned(i);
            switch (v.Type()) {
            case TFbType::Null: continue;   // keep the declared type; only the null flag is set
            case TFbType::Integer:
            case TFbType::Boolean:
                b->setType(&s, u, SQL_INT64 + 1);
                b->setScale(&s, u, 0);
                b->setLength(&s, u, 8);
                break;
            case TFbType::Decimal:
                b->setType(&s, u, SQL_INT64 + 1);
                b->setScale(&s, u, v.Scale());
                b->setLength(&s, u, 8);
                break;
            case TFbType::Double:
                b->setType(&s, u, SQL_DOUBLE + 1);
                b->setScale(&s, u, 0);
                b->setLength(&s, u, 8);
                break;
            case TFbType::Text:
            case TFbType::Blob:
                texts[size_t(i)] = v.AsString().toUtf8();
                b->setType(&s, u, SQL_VARYING + 1);
                b->setSubType(&s, u, 0);
                b->setScale(&s, u, 0);
                b->setCharSet(&s, u, 4);   // UTF8
                b->setLength(&s, u, unsigned(qMax(1, int(texts[size_t(i)].size()))));
                break;
            case TFbType::Date:
                b->setType(&s, u, SQL_TYPE_DATE + 1);
                b->setScale(&s, u, 0);
                b->setLength(&s, u, 4);
                break;
            case TFbType::Time:
                b->setType(&s, u, SQL_TYPE_TIME + 1);
                b->setScale(&s, u, 0);
                b->setLength(&s, u, 4);
                break;
            case TFbType::Timestamp:
                b->setType(&s, u, SQL_TIMESTAMP + 1);
                b->setScale(&s, u, 0);
                b->setLength(&s, u, 8);
                break;
            }
        }
        return b->getMetadata(&s);
    }
}

void FillInput(IMessageMetadata* meta, const QVector<TFbValue>& params, const std::vector<QByteArray>& texts,
               std::vector<unsigned char>& buf)
{
    TStatus s;
    buf.assign(meta->getMessageLength(&s), 0);
    for (int i = 0; i < params.size(); ++i) {
        const unsigned u = unsigned(i);
        const TFbValue& v = params[i];
        unsigned char* p = buf.data() + meta->getOffset(&s, u);
        WriteAs<short>(buf.data() + meta->getNullOffset(&s, u), v.IsNull() ? -1 : 0);
        switch (v.Type()) {
        case TFbType::Null: break;
        case TFbType::Integer:
        case TFbType::Boolean:
        case TFbType::Decimal: WriteAs<ISC_INT64>(p, v.Raw()); break;
        case TFbType::Double: WriteAs<double>(p, v.AsDouble()); break;
        case TFbType::Text:
        case TFbType::Blob: {
            const QByteArray& t = texts[size_t(i)];
            WriteAs<unsigned short>(p, (unsigned short)t.size());
            std::memcpy(p + 2, t.constData(), size_t(t.size()));
            break;
        }
        case TFbType::Date: {
            const QDate d = v.AsDate();
            WriteAs<ISC_DATE>(p, Util()->encodeDate(unsigned(d.year()), unsigned(d.month()), unsigned(d.day())));
            break;
        }
        case TFbType::Time: {
            const QTime t = v.AsDateTime().time();
            WriteAs<ISC_TIME>(p,
                              Util()->encodeTime(unsigned(t.hour()), unsigned(t.minute()), unsigned(t.second()),
                                                 unsigned(t.msec() * 10)));
            break;
        }
        case TFbType::Timestamp: {
            const QDateTime dt = v.AsDateTime();
            ISC_TIMESTAMP ts;
            ts.timestamp_date =
                Util()->encodeDate(unsigned(dt.date().year()), unsigned(dt.date().month()), unsigned(dt.date().day()));
            ts.timestamp_time = Util()->encodeTime(unsigned(dt.time().hour()), unsigned(dt.time().minute()),
                                                   unsigned(dt.time().second()), unsigned(dt.time().msec() * 10));
            WriteAs<ISC_TIMESTAMP>(p, ts);
            break;
        }
        }
    }
}

IStatement* Prepare(IAttachment* att, ITransaction* tra, const QByteArray& text)
{
    TStatus s;
    try {
        return att->prepare(&s, tra, unsigned(text.size()), text.constData(), 3, IStatement::PREPARE_PREFETCH_METADATA);
    } catch (const FbException& e) {
        Rethrow(e);
    }
    return nullptr;
}

// Frees a prepared statement; a connection already gone only lets go of it.
void FreeStatement(IStatement* stmt)
{
    TStatus s;
    try {
        stmt->free(&s);   // releases on success
    } catch (const FbException&) {
        stmt->release();
    }
}

// Runs a prepared statement with its values; the statement stays the caller's.
TFbResult RunPrepared(IAttachment* att, ITransaction* tra, IStatement* stmt, const QVector<TFbValue>& params)
{
    TStatus s;
    TFbResult result;
    try {
        TFbRef<IMessageMetadata> inMeta(stmt->getInputMetadata(&s));
        const unsigned inCount = inMeta->getCount(&s);
        if (inCount != unsigned(params.size()))
            throw TFbError(
                QStringLiteral("参数个数不符：语句需要 %1 个参数，给出了 %2 个").arg(inCount).arg(params.size()));
        std::vector<QByteArray> texts;
        std::vector<unsigned char> inBuf;
        TFbRef<IMessageMetadata> bindMeta;
        if (inCount > 0) {
            bindMeta.Reset(BindMetadata(inMeta.get(), params, texts));
            FillInput(bindMeta.get(), params, texts, inBuf);
        }

        TFbRef<IMessageMetadata> outMeta(stmt->getOutputMetadata(&s));
        const unsigned outCount = outMeta->getCount(&s);
        for (unsigned i = 0; i < outCount; ++i) {
            TFbColumn c;
            const char* alias = outMeta->getAlias(&s, i);
            c.Name = QString::fromUtf8(alias && *alias ? alias : outMeta->getField(&s, i));
            c.Scale = outMeta->getScale(&s, i);
            c.Type = ColumnType(outMeta->getType(&s, i), c.Scale);
            const unsigned len = outMeta->getLength(&s, i);
            c.Length = (c.Type == TFbType::Text && outMeta->getCharSet(&s, i) == 4) ? int(len / 4) : int(len);
            result.Columns.push_back(c);
        }
        std::vector<unsigned char> outBuf(outMeta->getMessageLength(&s));

        const unsigned type = stmt->getType(&s);
        if (type == isc_info_sql_stmt_select || type == isc_info_sql_stmt_select_for_upd) {
            result.HasCursor = true;
            TFbRef<IResultSet> rs(
                stmt->openCursor(&s, tra, bindMeta.get(), inBuf.empty() ? nullptr : inBuf.data(), outMeta.get(), 0));
            while (rs->fetchNext(&s, outBuf.data()) == IStatus::RESULT_OK)
                for (unsigned i = 0; i < outCount; ++i)
                    result.Cells.push_back(DecodeCell(att, tra, outMeta.get(), i, outBuf.data()));
            rs->close(&s);
            rs.Forget();
        } else {
            stmt->execute(&s, tra, bindMeta.get(), inBuf.empty() ? nullptr : inBuf.data(),
                          outCount ? outMeta.get() : nullptr, outCount ? outBuf.data() : nullptr);
            if (outCount)
                for (unsigned i = 0; i < outCount; ++i)
                    result.Cells.push_back(DecodeCell(att, tra, outMeta.get(), i, outBuf.data()));
            result.RowsAffected = qint64(stmt->getAffectedRecords(&s));
        }
    } catch (const FbException& e) {
        Rethrow(e);
    }
    return result;
}

TFbResult RunStatement(IAttachment* att, ITransaction* tra, const QString& sql, const QVector<TFbValue>& params)
{
    IStatement* stmt = Prepare(att, tra, sql.toUtf8());
    struct TFree {
        IStatement* S;
        ~TFree() { FreeStatement(S); }
    } free{stmt};
    return RunPrepared(att, tra, stmt, params);
}

}   // namespace

// ---- TFbConnection -------------------------------------------------------------------

TFbConnection::TFbConnection() = default;

TFbConnection::~TFbConnection()
{
    Detach();
}

void TFbConnection::Attach(const QString& location, const QString& user, const QString& password)
{
    TStatus s;
    try {
        TFbRef<IXpbBuilder> dpb(Util()->getXpbBuilder(&s, IXpbBuilder::DPB, nullptr, 0));
        dpb->insertString(&s, isc_dpb_user_name, user.toUtf8().constData());
        dpb->insertString(&s, isc_dpb_password, password.toUtf8().constData());
        dpb->insertString(&s, isc_dpb_lc_ctype, "UTF8");
        dpb->insertInt(&s, isc_dpb_sql_dialect, 3);
        dpb->insertTag(&s, isc_dpb_utf8_filename);
        // An unreachable server must not freeze the workstation for minutes.
        dpb->insertInt(&s, isc_dpb_connect_timeout, 10);
        // A plain path (a workstation on the server machine) goes to the database server
        // over the local loopback too, never to an engine inside this process: that would
        // open the file beside the server and keep it from everyone else.
        dpb->insertString(&s, isc_dpb_config, "Providers = Remote, Loopback");
        const QByteArray path = location.toUtf8();
        IAttachment* att =
            Provider()->attachDatabase(&s, path.constData(), dpb->getBufferLength(&s), dpb->getBuffer(&s));
        Detach();
        FAttachment = att;
        FLocation = location;
    } catch (const FbException& e) {
        Rethrow(e);
    }
}

void TFbConnection::FreeStatements()
{
    for (auto& k : FKept)
        FreeStatement(k.second);
    FKept.clear();
    FKeep = false;
}

void TFbConnection::Detach()
{
    FreeStatements();
    if (!FAttachment)
        return;
    TStatus s;
    try {
        FAttachment->detach(&s);   // releases on success
    } catch (const FbException&) {
        FAttachment->release();   // the connection may already be gone
    }
    FAttachment = nullptr;
}

TFbResult TFbConnection::Execute(const QString& sql, const QVector<TFbValue>& params, TFbTransaction* tra)
{
    if (!FAttachment)
        throw TFbError(QStringLiteral("数据库尚未连接"));
    if (tra && FKeep) {
        const QByteArray text = sql.toUtf8();
        IStatement* kept = nullptr;
        for (const auto& k : FKept)
            if (k.first == text)
                kept = k.second;
        if (!kept) {
            kept = Prepare(FAttachment, tra->Handle(), text);
            FKept.emplace_back(text, kept);
        }
        try {
            return RunPrepared(FAttachment, tra->Handle(), kept, params);
        } catch (const TFbError&) {
            // A statement that failed is not trusted again (the connection may be gone).
            for (auto it = FKept.begin(); it != FKept.end(); ++it)
                if (it->second == kept) {
                    FreeStatement(kept);
                    FKept.erase(it);
                    break;
                }
            throw;
        }
    }
    if (tra)
        return RunStatement(FAttachment, tra->Handle(), sql, params);
    TFbTransaction own(*this);
    TFbResult r = RunStatement(FAttachment, own.Handle(), sql, params);
    own.Commit();
    return r;
}

// ---- TFbTransaction ------------------------------------------------------------------

TFbTransaction::TFbTransaction(TFbConnection& connection)
{
    if (!connection.Attached())
        throw TFbError(QStringLiteral("数据库尚未连接"));
    TStatus s;
    try {
        TFbRef<IXpbBuilder> tpb(Util()->getXpbBuilder(&s, IXpbBuilder::TPB, nullptr, 0));
        tpb->insertTag(&s, isc_tpb_read_committed);
        tpb->insertTag(&s, isc_tpb_rec_version);
        tpb->insertTag(&s, isc_tpb_write);
        tpb->insertTag(&s, isc_tpb_wait);
        // Wait for a concurrent writer, but not for long: a record another workstation holds
        // is reported within two seconds.
        tpb->insertInt(&s, isc_tpb_lock_timeout, 2);
        FHandle = connection.Handle()->startTransaction(&s, tpb->getBufferLength(&s), tpb->getBuffer(&s));
    } catch (const FbException& e) {
        Rethrow(e);
    }
}

TFbTransaction::~TFbTransaction()
{
    if (FHandle) {
        try {
            Rollback();
        } catch (...) {
        }
    }
}

void TFbTransaction::Commit()
{
    if (!FHandle)
        throw TFbError(QStringLiteral("没有活动的事务"));
    TStatus s;
    try {
        FHandle->commit(&s);   // releases on success
        FHandle = nullptr;
    } catch (const FbException& e) {
        Rethrow(e);   // still active: the owner rolls back
    }
}

void TFbTransaction::Rollback()
{
    if (!FHandle)
        throw TFbError(QStringLiteral("没有活动的事务"));
    TStatus s;
    ITransaction* h = FHandle;
    FHandle = nullptr;
    try {
        h->rollback(&s);
    } catch (const FbException& e) {
        h->release();
        Rethrow(e);
    }
}
