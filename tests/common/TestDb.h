#pragma once
// Fresh databases for tests, made from the project's own schema on the real server.
#include <QString>
#include <QTemporaryDir>

#include <memory>

class TTestDb {
public:
    // A new database file in a folder of its own, removed with the object. relativePath
    // names the file inside that folder ("DATA/DATA.FDB" makes a server program folder).
    explicit TTestDb(const QString& relativePath = QStringLiteral("DATA.FDB"));
    // Made by scripts/newdb with these arguments after the path ({"--version", "1"}),
    // never copied from the template.
    TTestDb(const QString& relativePath, const QStringList& newdbArgs);
    ~TTestDb();
    bool Ok() const { return FOk; }
    QString Error() const { return FError; }
    QString Path() const { return FPath; }   // the file
    QString Location() const;   // "127.0.0.1:" + file
    QString Folder() const;

    // A second, independent attachment for looking at what the first one wrote.
    static QString ServerLocation(const QString& path) { return QStringLiteral("127.0.0.1:") + path; }

private:
    void Make(const QString& relativePath, const QStringList* newdbArgs);
    std::unique_ptr<QTemporaryDir> FDir;
    QString FPath;
    QString FError;
    bool FOk = false;
};

// Runs a script of the project (scripts/<name>) and returns its exit code; output in *out.
int RunProjectScript(const QString& name, const QStringList& args, QString* out = nullptr);
