#include "AutoRun.h"

#include <QDir>
#include <QFileInfo>

#ifdef _WIN32
#include <windows.h>
#else
#include <QFile>
#include <QSaveFile>
#endif

namespace AutoRun {

#ifdef _WIN32

namespace {
const wchar_t* RunKey = L"SOFTWARE\\MicroSoft\\Windows\\CurrentVersion\\Run";

std::wstring ValueName(const QString& exePath)
{
    return QFileInfo(exePath).fileName().toStdWString();
}
}   // namespace

bool Exists(const QString& exePath)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, RunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    const bool found =
        RegQueryValueExW(key, ValueName(exePath).c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return found;
}

bool Set(const QString& exePath, bool on)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, RunKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    LONG rc;
    if (on) {
        const std::wstring data = QDir::toNativeSeparators(exePath).toStdWString();
        rc = RegSetValueExW(key, ValueName(exePath).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                            DWORD((data.size() + 1) * sizeof(wchar_t)));
    } else {
        rc = RegDeleteValueW(key, ValueName(exePath).c_str());
    }
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

#else

namespace {

QString& DirOverride()
{
    static QString dir;
    return dir;
}

QString EntryPath(const QString& exePath)
{
    return QDir(Directory()).filePath(QFileInfo(exePath).fileName() + QStringLiteral(".desktop"));
}

// Desktop entry values escape backslash, space and a few others; Exec quotes the path.
QString ExecValue(const QString& exePath)
{
    QString p = exePath;
    p.replace(QLatin1Char('\\'), QStringLiteral("\\\\\\\\"));
    p.replace(QLatin1Char('"'), QStringLiteral("\\\\\""));
    p.replace(QLatin1Char('$'), QStringLiteral("\\\\$"));
    p.replace(QLatin1Char('`'), QStringLiteral("\\\\`"));
    return QLatin1Char('"') + p + QLatin1Char('"');
}

}   // namespace

QString Directory()
{
    return DirOverride().isEmpty() ? QStringLiteral("/etc/xdg/autostart") : DirOverride();
}

void SetDirectoryForTests(const QString& dir)
{
    DirOverride() = dir;
}

bool Exists(const QString& exePath)
{
    return QFileInfo::exists(EntryPath(exePath));
}

bool Set(const QString& exePath, bool on)
{
    if (!QFileInfo(Directory()).isDir())
        return false;   // opened, not created
    const QString path = EntryPath(exePath);
    if (!on)
        return !QFileInfo::exists(path) || QFile::remove(path);
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const QString text =
        QStringLiteral("[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=%1\n"
                       "Exec=%2\n"
                       "Path=%3\n"
                       "Terminal=false\n")
            .arg(QFileInfo(exePath).completeBaseName(), ExecValue(exePath), QFileInfo(exePath).absolutePath());
    f.write(text.toUtf8());
    return f.commit();
}

#endif

}   // namespace AutoRun
