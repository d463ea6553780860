#include "IntegerEdit.h"

#include <QKeyEvent>
#include <QRegularExpressionValidator>

TIntegerEdit::TIntegerEdit(QWidget* parent)
    : TLabeledEdit(parent)
{
    Init();
}

TIntegerEdit::TIntegerEdit(const QString& caption, QWidget* parent)
    : TLabeledEdit(caption, parent)
{
    Init();
}

void TIntegerEdit::Init()
{
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    connect(this, &QLineEdit::textChanged, this, &TIntegerEdit::OnTextChanged);
    connect(this, &QLineEdit::editingFinished, this, &TIntegerEdit::Normalize);
    setText(QString::number(FMin));
}

void TIntegerEdit::SetRange(int minValue, int maxValue)
{
    FMin = minValue;
    FMax = qMax(minValue, maxValue);
    Normalize();
}

int TIntegerEdit::Clamp(qint64 value) const
{
    return int(qBound(qint64(FMin), value, qint64(FMax)));
}

int TIntegerEdit::Value() const
{
    bool ok = false;
    const qint64 v = text().toLongLong(&ok);
    if (!ok)
        return text().isEmpty() || text().size() < 19 ? FMin : FMax;   // a run of digits too long is huge
    return Clamp(v);
}

void TIntegerEdit::SetValue(int value)
{
    setText(QString::number(Clamp(value)));
}

void TIntegerEdit::Normalize()
{
    const QString t = QString::number(Value());
    if (t != text())
        setText(t);
}

void TIntegerEdit::OnTextChanged(const QString& text)
{
    if (FAdjusting || text.isEmpty())
        return;
    bool ok = false;
    const qint64 v = text.toLongLong(&ok);
    qint64 replacement = -1;
    if (!ok || v > FMax)
        replacement = FMax;   // digits only: a value that does not parse is too long
    else if (v < FMin && (v == 0 || v * 10 > FMax))
        replacement = FMin;   // no further digit can bring it into range
    if (replacement < 0)
        return;
    FAdjusting = true;
    setText(QString::number(replacement));
    FAdjusting = false;
}

void TIntegerEdit::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Up || e->key() == Qt::Key_Down) {
        if (isReadOnly())
            return;
        const qint64 step = e->key() == Qt::Key_Up ? FIncrement : -FIncrement;
        SetValue(Clamp(qint64(Value()) + step));
        selectAll();
        return;
    }
    TLabeledEdit::keyPressEvent(e);
}

void TIntegerEdit::focusOutEvent(QFocusEvent* e)
{
    Normalize();
    TLabeledEdit::focusOutEvent(e);
}
