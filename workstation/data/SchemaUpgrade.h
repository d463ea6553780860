#pragma once
// The database's schema version and the upgrade that brings an older database to the
// version this program knows. The upgrade scripts are database/upgrade/NNN_*.sql, compiled
// into the program; each brings version NNN-1 to NNN in one transaction of its own.
// A database without V_SCHEMA is version 1.
#include <QString>
#include <QVector>

#include <vector>

class TFbConnection;

struct TSchemaScript {
    int Version = 0;   // the version the script brings the database to
    QString Name;   // its file name, for the report
    QString Text;   // as isql reads it
};

// One statement of a script as the server takes it, and the line it starts on.
struct TScriptStatement {
    QString Sql;
    int Line = 0;
};

enum class TSchemaUpgrade {
    UpToDate,   // nothing to do
    Upgraded,   // the missing scripts were applied
    TooNew,   // the database is newer than the program: refused, nothing changed
    Failed   // a script failed (rolled back: the database stays at the version before it),
             // or the database could not be read
};

// The scripts built into the program, in version order.
const std::vector<TSchemaScript>& CompiledSchemaScripts();
// The newest version the program knows: that of its last script, 1 without any.
int ProgramSchemaVersion();
// The version the database records. Throws TFbError.
int SchemaVersion(TFbConnection& connection);

// Brings the database to the program's version, each missing script in its own
// transaction; never throws. *report (when given) says in Chinese what was done or why not.
// After Failed, detach the connection before using the database: a DDL commit that failed
// can leave the attachment's metadata cache out of step with the rolled-back database.
TSchemaUpgrade UpgradeSchema(TFbConnection& connection, QString* report = nullptr);
// The same with the given scripts instead of the compiled ones (tests, tools).
TSchemaUpgrade UpgradeSchema(TFbConnection& connection, const std::vector<TSchemaScript>& scripts,
                             QString* report = nullptr);

// Splits a script into the statements the server runs. It follows isql's SET TERM and takes
// SET SQL DIALECT 3, SET AUTODDL OFF and one closing COMMIT, which make isql run it as one
// transaction; any other isql command or transaction control is refused with *error.
bool ParseSchemaScript(const QString& text, QVector<TScriptStatement>* out, QString* error);
