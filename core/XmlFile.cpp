#include "XmlFile.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringEncoder>

namespace {

// The encoding named by the document's XML declaration; UTF-8 when there is none, as XML says.
QString DeclaredEncoding(const QDomDocument& doc)
{
    for (QDomNode n = doc.firstChild(); !n.isNull(); n = n.nextSibling()) {
        if (!n.isProcessingInstruction())
            continue;
        const QDomProcessingInstruction pi = n.toProcessingInstruction();
        if (pi.target().compare(QLatin1String("xml"), Qt::CaseInsensitive) != 0)
            continue;
        static const QRegularExpression re(QStringLiteral("encoding\\s*=\\s*[\"']([^\"']+)[\"']"));
        const QRegularExpressionMatch m = re.match(pi.data());
        if (m.hasMatch())
            return m.captured(1).trimmed();
    }
    return QStringLiteral("UTF-8");
}

}   // namespace

bool TXmlFile::Load(const QString& path)
{
    FPath = path;
    FError.clear();
    FDoc.clear();
    QFile f(path);
    if (!f.exists()) {
        FError = QStringLiteral("找不到配置文件 %1").arg(path);
        return false;
    }
    if (!f.open(QIODevice::ReadOnly)) {
        FError = QStringLiteral("无法读取配置文件 %1：%2").arg(path, f.errorString());
        return false;
    }
    QString msg;
    int line = 0, column = 0;
    if (!FDoc.setContent(&f, &msg, &line, &column)) {
        FError =
            QStringLiteral("配置文件 %1 格式错误（第 %2 行第 %3 列）：%4").arg(path).arg(line).arg(column).arg(msg);
        return false;
    }
    if (FDoc.documentElement().isNull()) {
        FError = QStringLiteral("配置文件 %1 没有根元素").arg(path);
        return false;
    }
    return true;
}

bool TXmlFile::Save()
{
    // Write to a temporary file and rename, so a failed write never leaves half a file.
    QSaveFile f(FPath);
    if (!f.open(QIODevice::WriteOnly)) {
        FError = QStringLiteral("无法写入配置文件 %1：%2").arg(FPath, f.errorString());
        return false;
    }
    // Written in the encoding the file declares: a GBK file written as UTF-8 would come back
    // with every Chinese text garbled at the next load.
    const QString encoding = DeclaredEncoding(FDoc);
    QStringEncoder encoder(encoding.toLatin1().constData());
    if (!encoder.isValid()) {
        FError = QStringLiteral("无法写入配置文件 %1：不支持文件声明的编码 %2").arg(FPath, encoding);
        return false;
    }
    QByteArray data = encoder.encode(FDoc.toString(2));
    if (encoder.hasError()) {
        FError = QStringLiteral("无法写入配置文件 %1：其中有 %2 编码不能保存的字符").arg(FPath, encoding);
        return false;
    }
    if (f.write(data) != data.size() || !f.commit()) {
        FError = QStringLiteral("无法写入配置文件 %1：%2").arg(FPath, f.errorString());
        return false;
    }
    return true;
}

QDomElement TXmlFile::Child(const QString& name) const
{
    QDomElement root = FDoc.documentElement();
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        if (e.tagName().compare(name, Qt::CaseInsensitive) == 0)
            return e;
    return QDomElement();
}

QDomElement TXmlFile::EnsureChild(const QString& name)
{
    QDomElement e = Child(name);
    if (e.isNull()) {
        e = FDoc.createElement(name);
        FDoc.documentElement().appendChild(e);
    }
    return e;
}

QString TXmlFile::Text(const QString& name) const
{
    QDomElement e = Child(name);
    return e.isNull() ? QString() : e.text();
}

void TXmlFile::SetElementText(QDomElement element, const QString& text)
{
    // Replace the text nodes only; child elements (if any) stay.
    QDomNode n = element.firstChild();
    while (!n.isNull()) {
        QDomNode next = n.nextSibling();
        if (n.isText() || n.isCDATASection())
            element.removeChild(n);
        n = next;
    }
    if (!text.isEmpty())
        element.appendChild(element.ownerDocument().createTextNode(text));
}

void TXmlFile::SetText(const QString& name, const QString& text)
{
    SetElementText(EnsureChild(name), text);
}

int TXmlFile::ToInt(const QString& text, int defaultValue)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 10);
    return ok ? v : defaultValue;
}
