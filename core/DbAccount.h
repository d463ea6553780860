#pragma once
// The database accounts of the system. SYSDBA with its fixed password (scripts/account holds
// the same two values for the scripts; scripts/setup gives the server's SYSDBA this password)
// is what Haskett uses on the server machine, and what a workstation falls back to while its
// settings name no account of the installation's own. An installation's workstations attach
// as a user of their own (WorkstationUser) whose password is kept in configure.xml and
// server.xml and who may only read and write rows.
#include <QRegularExpression>
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
// The name scripts/setup gives the installation's workstation user.
inline QString WorkstationUser()
{
    return QStringLiteral("TARNWELL");
}

// The elements of configure.xml and server.xml that hold the workstations' account.
inline QString UserElement()
{
    return QStringLiteral("dbuser");
}
inline QString PasswordElement()
{
    return QStringLiteral("dbpassword");
}

// A user name the programs will create and grant to: a plain identifier, so that it means
// the same quoted or not and can never carry SQL with it. SYSDBA is not one: its password
// stays the fixed one.
inline bool IsWorkstationUserName(const QString& name)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z][A-Za-z0-9_$]{0,30}$"));
    return plain.match(name).hasMatch() && name.compare(QLatin1String("SYSDBA"), Qt::CaseInsensitive) != 0;
}

// The account a settings file names: both elements given, or else the old default (SYSDBA
// and its fixed password), so settings files from before keep working.
struct TAccount {
    QString User;
    QString Password;
    bool Own = false;   // the installation's own user, not the default
};
inline TAccount FromSettings(const QString& user, const QString& password)
{
    if (user.trimmed().isEmpty() || password.isEmpty())
        return {UserName(), Password(), false};
    const QString name = user.trimmed().toUpper();
    return {name, password, name != QLatin1String("SYSDBA")};
}
}   // namespace DbAccount
