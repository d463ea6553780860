#include "Line.h"

#include <QPainter>

TLine::TLine(QWidget* parent)
    : QWidget(parent)
{
    ForceThickness();
}

QColor TLine::ShadowColor()
{
    return QColor(172, 168, 153);
}

void TLine::SetKind(TKind kind)
{
    if (FKind == kind)
        return;
    FKind = kind;
    ForceThickness();
    update();
}

void TLine::ForceThickness()
{
    if (FKind == sbHor && height() != 2)
        resize(width(), 2);
    else if (FKind == sbVer && width() != 2)
        resize(2, height());
}

void TLine::paintEvent(QPaintEvent*)
{
    ForceThickness();
    QPainter p(this);
    p.fillRect(rect(), ShadowColor());
    p.setPen(Qt::white);
    if (FKind == sbHor)
        p.drawLine(0, 1, width(), 1);
    else
        p.drawLine(1, 0, 1, height());
}
