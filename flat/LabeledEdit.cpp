#include "LabeledEdit.h"

#include <QDynamicPropertyChangeEvent>
#include <QLabel>
#include <QPointer>

void NameAfterLabel(QLabel* label, QWidget* field)
{
    if (!label || !field)
        return;
    label->setBuddy(field);
    QString name = label->text();
    name.remove(QLatin1Char('&'));
    while (name.endsWith(QChar(0xFF1A)) || name.endsWith(QLatin1Char(':')))   // "旧口令：" is read "旧口令"
        name.chop(1);
    field->setAccessibleName(name);
}

TLabeledEdit::TLabeledEdit(QWidget* parent)
    : QLineEdit(parent)
{
    FLabel = new QLabel(parent);
    FLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setProperty("caption", QString());
}

TLabeledEdit::TLabeledEdit(const QString& caption, QWidget* parent)
    : TLabeledEdit(parent)
{
    SetCaption(caption);
}

TLabeledEdit::~TLabeledEdit()
{
    // The label belongs to the parent; it goes with the field unless the parent took it first.
    delete FLabel.data();
}

QString TLabeledEdit::Caption() const
{
    return property("caption").toString();
}

void TLabeledEdit::SetCaption(const QString& caption)
{
    setProperty("caption", caption);   // the property change updates the label
}

void TLabeledEdit::SetLabelSpacing(int pixels)
{
    FSpacing = pixels;
    PlaceLabel();
}

void TLabeledEdit::PlaceLabel()
{
    if (!FLabel)
        return;
    if (FLabel->parentWidget() != parentWidget())
        FLabel->setParent(parentWidget());
    FLabel->setFont(font());
    FLabel->adjustSize();
    const int w = FLabel->sizeHint().width();
    FLabel->setGeometry(x() - FSpacing - w, y(), w, height());
    FLabel->setVisible(isVisibleTo(parentWidget()) && parentWidget());
}

bool TLabeledEdit::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::DynamicPropertyChange:
        if (static_cast<QDynamicPropertyChangeEvent*>(e)->propertyName() == "caption" && FLabel) {
            FLabel->setText(property("caption").toString());
            // Screen readers and UI automation find the field by what the user reads beside it.
            setAccessibleName(property("caption").toString());
            FLabel->setBuddy(this);
            PlaceLabel();
        }
        break;
    case QEvent::EnabledChange:
        if (FLabel)
            FLabel->setEnabled(isEnabled());
        break;
    case QEvent::ParentChange:
    case QEvent::FontChange: PlaceLabel(); break;
    default: break;
    }
    return QLineEdit::event(e);
}

void TLabeledEdit::moveEvent(QMoveEvent* e)
{
    QLineEdit::moveEvent(e);
    PlaceLabel();
}

void TLabeledEdit::resizeEvent(QResizeEvent* e)
{
    QLineEdit::resizeEvent(e);
    PlaceLabel();
}

void TLabeledEdit::showEvent(QShowEvent* e)
{
    QLineEdit::showEvent(e);
    PlaceLabel();
}

void TLabeledEdit::hideEvent(QHideEvent* e)
{
    QLineEdit::hideEvent(e);
    if (FLabel && !isVisibleTo(parentWidget()))
        FLabel->hide();
}
