#include "IpEdit.h"

#include <QRegularExpressionValidator>

namespace {
const QString Octet = QStringLiteral("(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])");
}

TIpEdit::TIpEdit(QWidget* parent)
    : TLabeledEdit(parent)
{
    Init();
}

TIpEdit::TIpEdit(const QString& caption, QWidget* parent)
    : TLabeledEdit(caption, parent)
{
    Init();
}

void TIpEdit::Init()
{
    // While typing, any prefix of an address is acceptable.
    const QString partial = QStringLiteral("(%1(\\.(%1(\\.(%1(\\.(%1)?)?)?)?)?)?)?").arg(Octet);
    setValidator(new QRegularExpressionValidator(QRegularExpression(partial), this));
    setMaxLength(15);
}

bool TIpEdit::IsAddress(const QString& text)
{
    static const QRegularExpression full(QStringLiteral("^%1\\.%1\\.%1\\.%1$").arg(Octet));
    return full.match(text).hasMatch();
}

void TIpEdit::SetIP(const QString& address)
{
    setText(IsAddress(address) ? address : QString());
}
