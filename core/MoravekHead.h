#pragma once
// Run-time binding to the Moravek library (machine fingerprint, MD5, file versions),
// loaded by file name from the program folder. QtCore only: the server uses it too.
// Every call reports failure with a Chinese text the caller can show; nothing is
// called through a missing library or function.
#include <QString>

#include <memory>

class QLibrary;

class TMoravek {
public:
    TMoravek();
    ~TMoravek();   // unloads
    TMoravek(const TMoravek&) = delete;
    TMoravek& operator=(const TMoravek&) = delete;

    bool Load(QString* error);
    void Unload();
    bool Loaded() const;

    // The operations load the library first if Load was not called.
    bool GetDriveMD5(QString* out, QString* error);   // 32 lowercase hex digits
    bool MD5String(const QString& text, QString* out, QString* error);   // digest of the GBK bytes
    bool GetVersion(const QString& path, QString* out, QString* error);   // empty when none found

    static QString LibraryName();   // libMoravek.so / Moravek.dll
    static QString LibraryPath();   // in the program folder unless SetLibraryDir says otherwise
    // For tests: load from another folder; an empty text goes back to the program folder.
    static void SetLibraryDir(const QString& dir);

private:
    void* Resolve(const char* name, QString* error);

    std::unique_ptr<QLibrary> Library;
};
