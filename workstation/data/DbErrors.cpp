#include "DbErrors.h"

#include "FbClient.h"

TDbErrorKind ClassifyError(const std::exception& e)
{
    const auto* fb = dynamic_cast<const TFbError*>(&e);
    if (!fb)
        return TDbErrorKind::Other;
    // Shutdown first: a shut database also ends the attachment, and saying why helps more.
    if (fb->HasCode(FbCodes::Shutdown) || fb->HasCode(FbCodes::ShutdownInProgress))
        return TDbErrorKind::Shutdown;
    if (fb->IsConnectionLost())
        return TDbErrorKind::ConnectionLost;
    if (fb->IsUpdateConflict() || fb->HasCode(FbCodes::LockTimeout))
        return TDbErrorKind::Locked;
    if (fb->HasCode(FbCodes::UniqueKey) || fb->HasCode(FbCodes::NoDuplicate))
        return TDbErrorKind::Duplicate;
    if (fb->HasCode(FbCodes::ForeignKey))
        return TDbErrorKind::InUse;
    if (fb->HasCode(FbCodes::Transliteration) || fb->HasCode(FbCodes::MalformedString))
        return TDbErrorKind::NotGbk;
    if (fb->HasCode(FbCodes::StringTruncation))
        return TDbErrorKind::TooLong;
    if (fb->HasCode(FbCodes::NumericOutOfRange) || fb->HasCode(FbCodes::ArithmeticError))
        return TDbErrorKind::OutOfRange;
    if (fb->HasCode(FbCodes::CheckConstraint))
        return TDbErrorKind::CheckFailed;
    return TDbErrorKind::Other;
}

namespace {

// What to tell the user for each kind but Other.
QString Advice(TDbErrorKind kind)
{
    switch (kind) {
    case TDbErrorKind::ConnectionLost:
        return QStringLiteral("与数据库的连接已断开。请检查网络和服务器，然后再试一次：下一次操作会重新连接。");
    case TDbErrorKind::Shutdown:
        return QStringLiteral("数据库正在维护（例如正在恢复备份），暂时不能使用。请稍后再试。");
    case TDbErrorKind::Locked: return QStringLiteral("这条记录正被其他工作站修改。请稍等片刻再试一次。");
    case TDbErrorKind::Duplicate: return QStringLiteral("已有相同的记录，不能重复保存。请修改后再保存。");
    case TDbErrorKind::InUse: return QStringLiteral("这条记录还被其他记录使用，不能删除或修改。");
    case TDbErrorKind::TooLong: return QStringLiteral("输入的文字太长，超出了能保存的长度。请缩短后再试。");
    case TDbErrorKind::OutOfRange: return QStringLiteral("输入的数量或金额太大，超出了能保存的范围。请检查后再试。");
    case TDbErrorKind::CheckFailed: return QStringLiteral("输入的数值不符合要求（例如数量或金额不能为负数）。请检查后再试。");
    case TDbErrorKind::NotGbk:
        return QStringLiteral("输入的文字中有数据库不能保存的字符（例如表情符号）。请删去后再试。");
    case TDbErrorKind::Other: break;
    }
    return QString();
}

}   // namespace

TErrorText DescribeError(const std::exception& e)
{
    const QString own = FbErrorText(e);
    const TDbErrorKind kind = ClassifyError(e);
    if (kind != TDbErrorKind::Other)
        return {Advice(kind), own};
    // An error the database raised, in its own (English) words: never shown alone. Errors of
    // our own layer carry no code and are already written for the user.
    const auto* fb = dynamic_cast<const TFbError*>(&e);
    if (fb && !fb->Codes().empty())
        return {QStringLiteral("数据库操作失败。请把下面的详细信息告诉系统管理员。"), own};
    return {own, QString()};
}
