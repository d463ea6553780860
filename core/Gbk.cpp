#include "Gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace Gbk {

QByteArray Encode(const QString& text)
{
    QStringEncoder enc("GBK");
    return enc.encode(text);
}

QString Decode(const QByteArray& bytes)
{
    QStringDecoder dec("GBK");
    return dec.decode(bytes);
}

bool Fits(const QString& text)
{
    QStringEncoder gbk("GBK");
    if (!gbk.isValid())
        return true;
    (void)QByteArray(gbk.encode(text));
    return !gbk.hasError();
}

int ByteLength(const QString& text)
{
    return int(Encode(text).size());
}

QString CutToBytes(const QString& text, int maxBytes)
{
    if (maxBytes <= 0)
        return QString();
    if (ByteLength(text) <= maxBytes)
        return text;
    // Walk whole code points so that neither a GBK double byte nor a surrogate pair is split.
    QString out;
    int used = 0;
    for (int i = 0; i < text.size();) {
        int len = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QString ch = text.mid(i, len);
        const int bytes = ByteLength(ch);
        if (used + bytes > maxBytes)
            break;
        out += ch;
        used += bytes;
        i += len;
    }
    return out;
}

}   // namespace Gbk
