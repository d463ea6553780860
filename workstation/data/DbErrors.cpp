#include "DbErrors.h"

#include "FbClient.h"

namespace {

// Codes beside those the client wrapper names itself.
constexpr intptr_t LockTimeout = 335544510;          // isc_lock_timeout
constexpr intptr_t Shutdown = 335544528;             // isc_shutdown
constexpr intptr_t ShutdownInProgress = 335544506;   // isc_shutinprog
constexpr intptr_t ConnLost = 335544648;             // isc_conn_lost
constexpr intptr_t ForeignKey = 335544466;           // isc_foreign_key
constexpr intptr_t StringTruncation = 335544914;     // isc_string_truncation
constexpr intptr_t Transliteration = 335544565;      // isc_transliteration_failed
constexpr intptr_t MalformedString = 335544849;      // isc_malformed_string

} // namespace

TDbErrorKind ClassifyError(const std::exception& e)
{
    const auto* fb = dynamic_cast<const TFbError*>(&e);
    if (!fb)
        return TDbErrorKind::Other;
    // Shutdown first: a shut database also ends the attachment, and saying why helps more.
    if (fb->HasCode(Shutdown) || fb->HasCode(ShutdownInProgress))
        return TDbErrorKind::Shutdown;
    if (fb->IsConnectionLost() || fb->HasCode(ConnLost))
        return TDbErrorKind::ConnectionLost;
    if (fb->IsUpdateConflict() || fb->HasCode(LockTimeout))
        return TDbErrorKind::Locked;
    if (fb->HasCode(FbCodes::UniqueKey) || fb->HasCode(FbCodes::NoDuplicate))
        return TDbErrorKind::Duplicate;
    if (fb->HasCode(ForeignKey))
        return TDbErrorKind::InUse;
    if (fb->HasCode(Transliteration) || fb->HasCode(MalformedString))
        return TDbErrorKind::NotGbk;
    if (fb->HasCode(StringTruncation))
        return TDbErrorKind::TooLong;
    return TDbErrorKind::Other;
}

TErrorText DescribeError(const std::exception& e)
{
    const QString own = FbErrorText(e);
    switch (ClassifyError(e)) {
    case TDbErrorKind::ConnectionLost:
        return {QStringLiteral("与数据库的连接已断开。请检查网络和服务器，然后再试一次：下一次操作会重新连接。"), own};
    case TDbErrorKind::Shutdown:
        return {QStringLiteral("数据库正在维护（例如正在恢复备份），暂时不能使用。请稍后再试。"), own};
    case TDbErrorKind::Locked:
        return {QStringLiteral("这条记录正被其他工作站修改。请稍等片刻再试一次。"), own};
    case TDbErrorKind::Duplicate:
        return {QStringLiteral("已有相同的记录，不能重复保存。请修改后再保存。"), own};
    case TDbErrorKind::InUse:
        return {QStringLiteral("这条记录还被其他记录使用，不能删除或修改。"), own};
    case TDbErrorKind::TooLong:
        return {QStringLiteral("输入的文字太长，超出了能保存的长度。请缩短后再试。"), own};
    case TDbErrorKind::NotGbk:
        return {QStringLiteral("输入的文字中有数据库不能保存的字符（例如表情符号）。请删去后再试。"), own};
    case TDbErrorKind::Other:
        break;
    }
    const auto* fb = dynamic_cast<const TFbError*>(&e);
    if (fb && !fb->Codes().empty())
        return {QStringLiteral("数据库操作失败。请把下面的详细信息告诉系统管理员。"), own};
    return {own, QString()};
}
