#pragma once
// The server's settings, held in memory for the life of the program, and server.xml, the
// file they come from. The file is always read and written whole; nothing is cached.
#include <QHostAddress>
#include <QList>
#include <QString>

constexpr int DefaultPort = 4305;
constexpr int MinPort = 1025;
constexpr int MaxPort = 6000;

struct TServerSettings {
    QString AppPath;   // program folder, ending in a path separator
    int Port = DefaultPort;   // as read: no range check
    QString DBPath;   // what workstations are told
    QString LastDate;   // last backup date, as written by the backup
    QString LastPath;   // last backup file
    QString LocalIP;   // dotted IPv4; empty when the host name does not resolve
    // The workstations' own database user and its password (dbuser, dbpassword); empty while
    // the file names none, and the workstations go on attaching as SYSDBA.
    QString DbUser;
    QString DbPassword;
    bool AutoRun = false;   // the logon start entry exists
    bool ExitRequested = false;

    QString XmlPath() const { return AppPath + QStringLiteral("server.xml"); }
    // The file backup and restore always act on, whatever dbpath says.
    QString DataFile() const { return AppPath + QStringLiteral("DATA/DATA.FDB"); }
};

// A folder text with exactly one trailing separator.
QString WithTrailingSeparator(const QString& folder);

// Reads port (DefaultPort unless a whole number), dbpath, lastdate and lastpath into s, and
// dbuser and dbpassword, which may be absent. False with the reason when the file is
// missing, unreadable or lacks one of the four.
bool ReadServerXml(const QString& path, TServerSettings* s, QString* error);
// Rewrites port and dbpath, keeping everything else in the file.
bool WriteNetworkSettings(const QString& path, const QString& portText, const QString& dbPath, QString* error);
// Rewrites lastdate and lastpath, keeping everything else in the file.
bool WriteLastBackup(const QString& path, const QString& date, const QString& file, QString* error);

// The first IPv4 address the host name resolves to, "%d.%d.%d.%d"; empty when it does not.
// A loopback address gives way to the first other IPv4 address of the machine's interfaces.
QString ChooseLocalAddress(const QList<QHostAddress>& resolved, const QList<QHostAddress>& interfaces);
QString LocalAddressOf(const QString& hostName);
QString LocalAddress();   // of this machine's own host name
