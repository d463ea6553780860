#pragma once
// The programs' log: errors and key events (start, login, backup and restore with their
// outcome, refused handshake peers) appended to a file in the program folder, for a support
// person to read. The file is kept small: past its limit it is renamed to .1 (.1 to .2, …) and
// a new one begun, so the log never fills the disk.
#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcStart)   // tarnwell.start: program start and end
Q_DECLARE_LOGGING_CATEGORY(lcSession)   // tarnwell.session: logins, refused or not
Q_DECLARE_LOGGING_CATEGORY(lcData)   // tarnwell.data: database errors shown to the user
Q_DECLARE_LOGGING_CATEGORY(lcMaintain)   // tarnwell.maintain: backup, restore, schema upgrades
Q_DECLARE_LOGGING_CATEGORY(lcNet)   // tarnwell.net: handshake peers refused

namespace Log {
constexpr qint64 DefaultLimitBytes = 1024 * 1024;
constexpr int DefaultKeptFiles = 3;

// Sends every Qt log message (qCInfo, qCWarning, qWarning, …) to file as well as to the
// previous handler. Debug messages are left out of the file. Safe from any thread.
void Install(const QString& file, qint64 limitBytes = DefaultLimitBytes, int keptFiles = DefaultKeptFiles);
// Back to the previous handler; the file is closed.
void Uninstall();
QString FileName();   // empty when not installed
}   // namespace Log
