#pragma once
// The one database account both programs use. scripts/account holds the same two values for
// the scripts; scripts/setup gives the server's SYSDBA this password.
#include <QString>

namespace DbAccount {
inline QString UserName()
{
    return QStringLiteral("sysdba");
}
inline QString Password()
{
    return QStringLiteral("quillfern");
}
}   // namespace DbAccount
