#pragma once
// Our thin layer over the Firebird services API of fbclient (isc_service_attach, _start,
// _query, _detach): one service manager attachment, parameter buffers, the output lines.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// The request buffer of one service action.
class TSpb {
public:
    explicit TSpb(char action);
    TSpb& Text(char tag, const QString& value);   // 2-byte length, then the bytes
    TSpb& Int(char tag, uint32_t value);   // 4 bytes, little end first
    TSpb& Byte(char tag, uint8_t value);   // 1 byte (the shutdown and online modes)
    TSpb& Flag(char tag);   // the tag alone
    const QByteArray& Bytes() const { return FBytes; }

private:
    QByteArray FBytes;
};

class TServiceManager {
public:
    // The local database server's service manager over loopback TCP: the database server,
    // not an embedded engine in this process, does the work and owns the files it makes.
    static QString DefaultName();   // "localhost:service_mgr"
    static QString User();   // sysdba
    static QString Password();

    TServiceManager() = default;
    ~TServiceManager();   // detaches
    TServiceManager(const TServiceManager&) = delete;
    TServiceManager& operator=(const TServiceManager&) = delete;

    bool Attach(QString* error, const QString& name = DefaultName());
    void Detach();
    bool Attached() const { return FHandle != 0; }

    bool Start(const TSpb& request, QString* error);
    // Starts a service and reads its output to the end: for actions that report only how
    // they ended (database properties). False with the server's text when it failed.
    bool Run(const TSpb& request, QString* error);

    enum class TRead { Line, Waiting, End, Failed };
    // One line of the running service's output, waiting at most timeoutSeconds for it.
    // End when the service has finished and its output is drained; Failed with the
    // service's own error text when it stopped with an error.
    TRead ReadLine(int timeoutSeconds, QString* line, QString* error);

    // Names of the databases the server has attachments to (isc_info_svc_svr_db_info),
    // and the number of attachments in all.
    bool AttachedDatabases(QStringList* names, int* attachments, QString* error);

    // The GDS codes of the last failure, in the server's order; empty after a success.
    const std::vector<intptr_t>& LastCodes() const { return FLastCodes; }
    bool Failed(intptr_t code) const;

private:
    bool Check(const intptr_t* status, QString* error);

    uint32_t FHandle = 0;
    std::vector<intptr_t> FLastCodes;
};

// The text of a Firebird status vector.
QString StatusText(const intptr_t* status);
