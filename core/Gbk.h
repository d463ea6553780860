#pragma once
// GBK at the edges: the database's character set, byte lengths, export files, the
// handshake and the support libraries' C interface. Inside the programs text is QString.
#include <QByteArray>
#include <QString>

namespace Gbk {
QByteArray Encode(const QString& text);   // unmappable characters become '?'
QString Decode(const QByteArray& bytes);
// Whether GBK has a code for every character of text (an emoji it has not).
bool Fits(const QString& text);
int ByteLength(const QString& text);   // a Chinese character counts 2
// The longest prefix of text whose GBK form fits in maxBytes, never cutting a character.
QString CutToBytes(const QString& text, int maxBytes);
}   // namespace Gbk
