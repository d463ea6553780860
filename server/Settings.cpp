#include "Settings.h"

#include "DbAccount.h"
#include "XmlFile.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkInterface>

QString WithTrailingSeparator(const QString& folder)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder;
#ifdef _WIN32
    if (folder.endsWith(QLatin1Char('\\')))
        return folder;
    return folder + QLatin1Char('\\');
#else
    return folder + QLatin1Char('/');
#endif
}

bool ReadServerXml(const QString& path, TServerSettings* s, QString* error)
{
    TXmlFile xml;
    if (!xml.Load(path)) {
        if (error)
            *error = xml.ErrorText();
        return false;
    }
    for (const char* name : {"port", "dbpath", "lastdate", "lastpath"}) {
        if (!xml.HasChild(QLatin1String(name))) {
            if (error)
                *error = QStringLiteral("配置文件 %1 缺少元素 %2").arg(path, QLatin1String(name));
            return false;
        }
    }
    s->Port = TXmlFile::ToInt(xml.Text(QStringLiteral("port")), DefaultPort);
    s->DBPath = xml.Text(QStringLiteral("dbpath"));
    s->LastDate = xml.Text(QStringLiteral("lastdate"));
    s->LastPath = xml.Text(QStringLiteral("lastpath"));
    s->DbUser = xml.Text(DbAccount::UserElement()).trimmed();
    s->DbPassword = xml.Text(DbAccount::PasswordElement());
    return true;
}

namespace {

bool Rewrite(const QString& path, const QString& name1, const QString& text1, const QString& name2,
             const QString& text2, QString* error)
{
    TXmlFile xml;
    if (!xml.Load(path)) {
        if (error)
            *error = xml.ErrorText();
        return false;
    }
    xml.SetText(name1, text1);
    xml.SetText(name2, text2);
    if (!xml.Save()) {
        if (error)
            *error = xml.ErrorText();
        return false;
    }
    return true;
}

}   // namespace

bool WriteNetworkSettings(const QString& path, const QString& portText, const QString& dbPath, QString* error)
{
    return Rewrite(path, QStringLiteral("port"), portText, QStringLiteral("dbpath"), dbPath, error);
}

bool WriteLastBackup(const QString& path, const QString& date, const QString& file, QString* error)
{
    return Rewrite(path, QStringLiteral("lastdate"), date, QStringLiteral("lastpath"), file, error);
}

namespace {

QString Dotted(const QHostAddress& a)
{
    const quint32 v = a.toIPv4Address();
    return QString::asprintf("%d.%d.%d.%d", int(v >> 24), int((v >> 16) & 0xff), int((v >> 8) & 0xff), int(v & 0xff));
}

}   // namespace

QString ChooseLocalAddress(const QList<QHostAddress>& resolved, const QList<QHostAddress>& interfaces)
{
    // Linux maps the host name to 127.0.1.1 or 127.0.0.1 as often as not; an address a
    // workstation on another machine cannot reach is no use in the replies.
    const QHostAddress* loopback = nullptr;
    for (const QHostAddress& a : resolved) {
        if (a.protocol() != QAbstractSocket::IPv4Protocol)
            continue;
        if (!a.isLoopback())
            return Dotted(a);
        if (!loopback)
            loopback = &a;
    }
    if (!loopback)
        return QString();   // the name does not resolve
    for (const QHostAddress& a : interfaces)
        if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback())
            return Dotted(a);
    return Dotted(*loopback);
}

QString LocalAddressOf(const QString& hostName)
{
    if (hostName.isEmpty())
        return QString();
    return ChooseLocalAddress(QHostInfo::fromName(hostName).addresses(), QNetworkInterface::allAddresses());
}

QString LocalAddress()
{
    return LocalAddressOf(QHostInfo::localHostName());
}
