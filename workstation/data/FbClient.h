#pragma once
// Our thin layer over the Firebird client's C++ interface: one attachment, read-committed
// transactions, statements with bound parameters, results read whole into memory, and one
// error type that keeps the status vector and the server's text.
#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVector>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

namespace Firebird {
class IAttachment;
class ITransaction;
class IStatement;
class IStatus;
}   // namespace Firebird

// ---- Errors -------------------------------------------------------------------------

// Firebird codes the callers look at.
namespace FbCodes {
constexpr intptr_t UpdateConflict = 335544451;   // isc_update_conflict
constexpr intptr_t Deadlock = 335544336;   // isc_deadlock
constexpr intptr_t LockConflict = 335544345;   // isc_lock_conflict
constexpr intptr_t CheckConstraint = 335544558;   // isc_check_constraint
constexpr intptr_t UniqueKey = 335544665;   // isc_unique_key_violation
constexpr intptr_t NoDuplicate = 335544349;   // isc_no_dup
constexpr intptr_t NetRead = 335544726;   // isc_net_read_err
constexpr intptr_t NetWrite = 335544727;   // isc_net_write_err
constexpr intptr_t NetworkError = 335544721;   // isc_network_error
constexpr intptr_t ConnectionShutdown = 335544856;   // isc_att_shutdown
constexpr intptr_t ConnectionLost = 335544741;   // isc_lost_db_connection
constexpr intptr_t ConnLost = 335544648;   // isc_conn_lost
constexpr intptr_t LockTimeout = 335544510;   // isc_lock_timeout
constexpr intptr_t Shutdown = 335544528;   // isc_shutdown
constexpr intptr_t ShutdownInProgress = 335544506;   // isc_shutinprog
constexpr intptr_t ForeignKey = 335544466;   // isc_foreign_key
constexpr intptr_t StringTruncation = 335544914;   // isc_string_truncation
constexpr intptr_t Transliteration = 335544565;   // isc_transliteration_failed
constexpr intptr_t MalformedString = 335544849;   // isc_malformed_string
constexpr intptr_t ArithmeticError = 335544321;   // isc_arith_except
constexpr intptr_t NumericOutOfRange = 335544779;   // isc_numeric_out_of_range
}   // namespace FbCodes

class TFbError : public std::runtime_error {
public:
    // From a Firebird status vector (copied).
    TFbError(const QString& text, const intptr_t* status);
    // An error of our own layer (no Firebird code).
    explicit TFbError(const QString& text);

    QString Text() const { return FText; }
    // The GDS codes in the order the server reported them (isc_arg_gds entries).
    const std::vector<intptr_t>& Codes() const { return FCodes; }
    intptr_t GdsCode() const { return FCodes.empty() ? 0 : FCodes.front(); }
    bool HasCode(intptr_t code) const;
    int SqlCode() const { return FSqlCode; }
    // A write that met a concurrent change: the whole unit of work may be retried.
    bool IsUpdateConflict() const;
    bool IsConnectionLost() const;

private:
    QString FText;
    std::vector<intptr_t> FCodes;
    int FSqlCode = 0;
};

// ---- Values -------------------------------------------------------------------------

enum class TFbType { Null, Integer, Decimal, Double, Text, Date, Time, Timestamp, Boolean, Blob };

// One cell of a result, or one bound parameter.
class TFbValue {
public:
    TFbValue() = default;
    static TFbValue FromInt(qint64 v);
    // An exact decimal: value × 10^scale (scale ≤ 0), as NUMERIC/DECIMAL columns hold it.
    static TFbValue FromScaled(qint64 v, int scale);
    // Exact decimal from text ("12.30", "-0.5", "1e2" is refused). False when not a number.
    static bool ParseDecimal(const QString& text, TFbValue* out);
    static TFbValue FromDouble(double v);
    static TFbValue FromText(const QString& v);
    static TFbValue FromDate(const QDate& v);
    static TFbValue FromTime(const QTime& v);
    static TFbValue FromTimestamp(const QDateTime& v);
    static TFbValue FromBool(bool v);
    static TFbValue FromBlob(const QByteArray& v);

    TFbType Type() const { return FType; }
    bool IsNull() const { return FType == TFbType::Null; }
    int Scale() const { return FScale; }
    qint64 Raw() const { return FInt; }

    // The ordinary text form: decimals with all their scale digits (0.30), dates
    // yyyy-MM-dd, timestamps yyyy-MM-dd hh:mm:ss, NULL as empty text.
    QString AsString() const;
    qint64 AsInt64(bool* ok = nullptr) const;   // decimals are truncated toward zero
    double AsDouble(bool* ok = nullptr) const;
    QDate AsDate() const;
    QDateTime AsDateTime() const;
    bool AsBool() const;

private:
    TFbType FType = TFbType::Null;
    int FScale = 0;
    qint64 FInt = 0;   // integers, decimals (scaled), dates (Julian day), booleans
    double FDouble = 0;
    QString FText;   // text, blobs (as decoded text)
    QDateTime FStamp;   // time and timestamp
};

struct TFbColumn {
    QString Name;   // alias when given, else the field name
    TFbType Type = TFbType::Text;
    int Scale = 0;
    int Length = 0;   // characters for text columns
};

// A result read whole: the columns and all rows.
struct TFbResult {
    QVector<TFbColumn> Columns;
    std::vector<TFbValue> Cells;   // row-major, Columns.size() per row
    qint64 RowsAffected = 0;
    bool HasCursor = false;   // the statement returned a row set

    int RowCount() const { return Columns.isEmpty() ? 0 : int(Cells.size() / size_t(Columns.size())); }
    const TFbValue& At(int row, int column) const
    {
        return Cells[size_t(row) * size_t(Columns.size()) + size_t(column)];
    }
    int ColumnIndex(const QString& name) const;   // letter case ignored; -1 when absent
};

// ---- Attachment ---------------------------------------------------------------------

class TFbTransaction;

class TFbConnection {
public:
    TFbConnection();
    ~TFbConnection();
    TFbConnection(const TFbConnection&) = delete;
    TFbConnection& operator=(const TFbConnection&) = delete;

    // Attaches to location ("host:path", "host/port:path" or a plain path), dialect 3,
    // connection character set UTF8. Throws TFbError; on failure nothing changes.
    void Attach(const QString& location, const QString& user, const QString& password);
    void Detach();   // never throws; rolls back what is still open
    bool Attached() const { return FAttachment != nullptr; }
    QString Location() const { return FLocation; }

    // Runs one statement in tra, or in a read-committed transaction of its own that is
    // committed before the call returns (rolled back when the statement fails).
    TFbResult Execute(const QString& sql, const QVector<TFbValue>& params = {}, TFbTransaction* tra = nullptr);

    // Between KeepStatements and FreeStatements a text executed again runs on the statement
    // prepared the first time: the lines of a bill repeat the same few statements. Nothing
    // stays prepared beyond that, so no statement holds a table against a change of the schema.
    void KeepStatements() { FKeep = true; }
    void FreeStatements();   // never throws
    int KeptStatements() const { return int(FKept.size()); }

    Firebird::IAttachment* Handle() const { return FAttachment; }

private:
    Firebird::IAttachment* FAttachment = nullptr;
    QString FLocation;
    bool FKeep = false;
    std::vector<std::pair<QByteArray, Firebird::IStatement*>> FKept;
};

// A read-committed, record-version, wait, read-write transaction.
class TFbTransaction {
public:
    explicit TFbTransaction(TFbConnection& connection);
    ~TFbTransaction();   // rolls back when neither committed nor rolled back
    TFbTransaction(const TFbTransaction&) = delete;
    TFbTransaction& operator=(const TFbTransaction&) = delete;

    void Commit();
    void Rollback();
    bool Active() const { return FHandle != nullptr; }
    Firebird::ITransaction* Handle() const { return FHandle; }

private:
    Firebird::ITransaction* FHandle = nullptr;
};

// Message of the exception currently being handled, for the layers above.
QString FbErrorText(const std::exception& e);
