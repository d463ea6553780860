#include "Product.h"

#include <QPainter>

QString ProductName()
{
    return QStringLiteral("Tarnwell汽修管理系统");
}

QString ProductHomePage()
{
    return QStringLiteral("http://www.tarnwell.com.cn/");
}

QPixmap ProductPicture(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0x1f, 0x5f, 0xa8));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), size / 5.0, size / 5.0);
    QFont f;
    f.setBold(true);
    f.setPixelSize(size * 3 / 4);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QStringLiteral("T"));
    return pm;
}

QIcon ProductIcon()
{
    QIcon icon;
    for (int size : {16, 22, 32, 48})
        icon.addPixmap(ProductPicture(size));
    return icon;
}

QFont SongFont(int pixels)
{
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(pixels);
    return f;
}

QFont SongPointFont(int points)
{
    QFont f(QStringLiteral("宋体"));
    f.setPointSize(points);
    return f;
}
