#pragma once
// The workstations' own database user: made (or given its new password) by Haskett as SYSDBA
// and granted what the workstation programs do with the rows, nothing that changes the
// schema or the users. Both steps are safe to repeat; Haskett repeats them at every start,
// after its schema upgrade, and after a restore.
#include <QString>

class TFbConnection;

// database/grants.sql: one statement whose one parameter is the user's name.
QString GrantsScript();

// Why user and password cannot be the workstations' account (a Chinese text), or empty
// when they can: a plain identifier other than SYSDBA, and a password.
QString WorkstationUserProblem(const QString& user, const QString& password);

// On an attachment as SYSDBA. Both throw TFbError; the name must pass the check above.
void CreateOrAlterWorkstationUser(TFbConnection& db, const QString& user, const QString& password);
void GrantWorkstationRights(TFbConnection& db, const QString& user);
void DropWorkstationUser(TFbConnection& db, const QString& user);   // for tests and uninstalling

// What Haskett does with the database file it owns: attaches through the local server as
// SYSDBA, makes the user with its password and grants its rights. False with the reason.
bool PrepareWorkstationUser(const QString& dataFile, const QString& user, const QString& password, QString* error);
