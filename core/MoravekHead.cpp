#include "MoravekHead.h"

#include "Gbk.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace {

using TGetDriveMD5 = const char* (*)();
using TMD5String = const char* (*)(const char*);
using TGetVersion = const char* (*)(const char*, int);

QString& LibraryDirOverride()
{
    static QString dir;
    return dir;
}

}   // namespace

TMoravek::TMoravek() = default;

TMoravek::~TMoravek()
{
    Unload();
}

QString TMoravek::LibraryName()
{
#ifdef _WIN32
    return QStringLiteral("Moravek.dll");
#else
    return QStringLiteral("libMoravek.so");
#endif
}

QString TMoravek::LibraryPath()
{
    const QString dir = LibraryDirOverride().isEmpty() ? QCoreApplication::applicationDirPath() : LibraryDirOverride();
    return QDir(dir).filePath(LibraryName());
}

void TMoravek::SetLibraryDir(const QString& dir)
{
    LibraryDirOverride() = dir;
}

bool TMoravek::Load(QString* error)
{
    if (Loaded())
        return true;
    auto library = std::make_unique<QLibrary>(LibraryPath());
    if (!library->load()) {
        if (error)
            *error = QString::fromUtf8("找不到支持库 %1：%2").arg(LibraryName(), library->errorString());
        return false;
    }
    Library = std::move(library);
    return true;
}

void TMoravek::Unload()
{
    if (Library) {
        Library->unload();
        Library.reset();
    }
}

bool TMoravek::Loaded() const
{
    return Library && Library->isLoaded();
}

void* TMoravek::Resolve(const char* name, QString* error)
{
    if (!Load(error))
        return nullptr;
    QFunctionPointer fn = Library->resolve(name);
    if (!fn && error)
        *error = QString::fromUtf8("支持库 %1 中没有函数 %2").arg(LibraryName(), QString::fromLatin1(name));
    return reinterpret_cast<void*>(fn);
}

bool TMoravek::GetDriveMD5(QString* out, QString* error)
{
    auto fn = reinterpret_cast<TGetDriveMD5>(Resolve("GetDriveMD5", error));
    if (!fn)
        return false;
    const char* result = fn();
    if (out)
        *out = Gbk::Decode(QByteArray(result ? result : ""));
    return true;
}

bool TMoravek::MD5String(const QString& text, QString* out, QString* error)
{
    auto fn = reinterpret_cast<TMD5String>(Resolve("MD5String", error));
    if (!fn)
        return false;
    const QByteArray gbk = Gbk::Encode(text);
    const char* result = fn(gbk.constData());
    if (out)
        *out = Gbk::Decode(QByteArray(result ? result : ""));
    return true;
}

bool TMoravek::GetVersion(const QString& path, QString* out, QString* error)
{
    auto fn = reinterpret_cast<TGetVersion>(Resolve("GetVersion", error));
    if (!fn)
        return false;
    const QByteArray gbk = Gbk::Encode(QDir::toNativeSeparators(path));
    const char* result = fn(gbk.constData(), 1);
    if (out)
        *out = Gbk::Decode(QByteArray(result ? result : ""));
    return true;
}
