#include "DbUser.h"

#include "DbAccount.h"
#include "FbClient.h"
#include "GrantsScript.h"

QString GrantsScript()
{
    return QString::fromUtf8(GrantsScriptText);
}

QString WorkstationUserProblem(const QString& user, const QString& password)
{
    if (!DbAccount::IsWorkstationUserName(user))
        return QStringLiteral("数据库用户名“%1”不可用：须以字母开头，只含字母、数字、_ 和 $，至多 31 个字符，且不能是 SYSDBA。")
            .arg(user);
    if (password.isEmpty())
        return QStringLiteral("数据库用户 %1 没有设置密码（dbpassword）。").arg(user);
    return QString();
}

namespace {

// DDL takes no parameters: the name and the password go in as values of a block that
// quotes them itself, so neither ever becomes part of the statement's text.
const char* const CreateOrAlter =
    "EXECUTE BLOCK (U VARCHAR(63) CHARACTER SET UNICODE_FSS = ?, P VARCHAR(1000) CHARACTER SET UTF8 = ?) AS "
    "BEGIN "
    "  EXECUTE STATEMENT 'CREATE OR ALTER USER \"' || REPLACE(U, '\"', '\"\"') || '\" PASSWORD ''' "
    "    || REPLACE(P, '''', '''''') || ''' USING PLUGIN Srp'; "
    "END";

const char* const Drop =
    "EXECUTE BLOCK (U VARCHAR(63) CHARACTER SET UNICODE_FSS = ?) AS "
    "BEGIN "
    "  IF (EXISTS (SELECT 1 FROM SEC$USERS WHERE SEC$USER_NAME = :U)) THEN "
    "    EXECUTE STATEMENT 'DROP USER \"' || REPLACE(U, '\"', '\"\"') || '\" USING PLUGIN Srp'; "
    "END";

}   // namespace

void CreateOrAlterWorkstationUser(TFbConnection& db, const QString& user, const QString& password)
{
    db.Execute(QString::fromLatin1(CreateOrAlter), {TFbValue::FromText(user.toUpper()), TFbValue::FromText(password)});
}

void GrantWorkstationRights(TFbConnection& db, const QString& user)
{
    db.Execute(GrantsScript(), {TFbValue::FromText(user.toUpper())});
}

void DropWorkstationUser(TFbConnection& db, const QString& user)
{
    db.Execute(QString::fromLatin1(Drop), {TFbValue::FromText(user.toUpper())});
}

bool PrepareWorkstationUser(const QString& dataFile, const QString& user, const QString& password, QString* error)
{
    const QString problem = WorkstationUserProblem(user, password);
    if (!problem.isEmpty()) {
        if (error)
            *error = problem;
        return false;
    }
    try {
        // Through the server, which alone may change its security database.
        TFbConnection db;
        db.Attach(QStringLiteral("localhost:") + dataFile, DbAccount::UserName(), DbAccount::Password());
        CreateOrAlterWorkstationUser(db, user, password);
        GrantWorkstationRights(db, user);
    } catch (const TFbError& e) {
        if (error)
            *error = QStringLiteral("无法设置工作站的数据库用户 %1：%2").arg(user.toUpper(), e.Text());
        return false;
    }
    return true;
}
