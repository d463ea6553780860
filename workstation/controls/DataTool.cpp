#include "DataTool.h"

#include "GlobalHead.h"
#include "Product.h"

#include <QApplication>
#include <QEvent>
#include <QHash>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QToolButton>

const QString TDataToolBar::CloseQuestion = QStringLiteral("正处于新增或编辑状态\r\n\r\n是否强制退出？");
const QString TDataToolBar::CloseCaption = QStringLiteral("请注意");

// ---- Pictures ---------------------------------------------------------------------------
// Drawn once at run time, 24 × 24 each; the disabled picture is the normal one in grey.

namespace {

void Triangle(QPainter& p, bool left, int x)
{
    QPolygon t;
    if (left)
        t << QPoint(x + 8, 5) << QPoint(x + 8, 19) << QPoint(x, 12);
    else
        t << QPoint(x, 5) << QPoint(x, 19) << QPoint(x + 8, 12);
    p.drawPolygon(t);
}

void Page(QPainter& p, const QRect& r)
{
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    QPolygon g;
    g << r.topLeft() << QPoint(r.right() - 5, r.top()) << QPoint(r.right(), r.top() + 5) << r.bottomRight()
      << r.bottomLeft();
    p.drawPolygon(g);
    p.drawLine(r.right() - 5, r.top(), r.right() - 5, r.top() + 5);
    p.drawLine(r.right() - 5, r.top() + 5, r.right(), r.top() + 5);
}

void Floppy(QPainter& p, const QRect& r, const QColor& c)
{
    p.setPen(QPen(c.darker(150), 1));
    p.setBrush(c);
    p.drawRect(r);
    p.setBrush(Qt::white);
    p.drawRect(r.left() + 3, r.top(), r.width() - 6, r.height() / 2 - 1);
    p.setBrush(QColor(60, 60, 60));
    p.drawRect(r.left() + r.width() / 2 - 2, r.bottom() - r.height() / 3, 4, r.height() / 3);
}

void Plus(QPainter& p, int cx, int cy, const QColor& c)
{
    p.setPen(QPen(c, 3, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(cx - 4, cy, cx + 4, cy);
    p.drawLine(cx, cy - 4, cx, cy + 4);
}

void DrawGlyph(QPainter& p, const QString& name)
{
    const QColor blue(30, 90, 170), green(30, 140, 60), red(200, 40, 40), dark(60, 60, 60);
    p.setRenderHint(QPainter::Antialiasing, true);
    if (name == QLatin1String("BMP_FIND")) {
        p.setPen(QPen(dark, 2));
        p.setBrush(QColor(200, 225, 255));
        p.drawEllipse(QPoint(10, 10), 6, 6);
        p.setPen(QPen(QColor(120, 80, 30), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(15, 15, 21, 21);
    } else if (name == QLatin1String("BMP_REFRESH")) {
        p.setPen(QPen(green, 3, Qt::SolidLine, Qt::FlatCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRect(4, 4, 16, 16), 30 * 16, 280 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(green);
        p.drawPolygon(QPolygon() << QPoint(15, 2) << QPoint(22, 6) << QPoint(15, 11));
    } else if (name == QLatin1String("BMP_COPY")) {
        Page(p, QRect(3, 2, 12, 15));
        Page(p, QRect(9, 7, 12, 15));
    } else if (name == QLatin1String("BMP_SAVE")) {
        Floppy(p, QRect(3, 3, 18, 18), blue);
    } else if (name == QLatin1String("BMP_SAVEALL")) {
        Floppy(p, QRect(2, 2, 14, 14), blue.lighter(130));
        Floppy(p, QRect(8, 8, 14, 14), blue);
    } else if (name == QLatin1String("BMP_NEW")) {
        Page(p, QRect(4, 2, 14, 19));
        Plus(p, 17, 17, green);
    } else if (name == QLatin1String("BMP_EDIT")) {
        Page(p, QRect(3, 2, 14, 19));
        p.setPen(QPen(QColor(220, 150, 30), 4, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(9, 18, 20, 7);
        p.setPen(QPen(dark, 2));
        p.drawLine(7, 20, 9, 18);
    } else if (name == QLatin1String("BMP_UNDO")) {
        p.setPen(QPen(blue, 3, Qt::SolidLine, Qt::FlatCap));
        p.setBrush(Qt::NoBrush);
        QPainterPath path(QPointF(9, 9));
        path.cubicTo(QPointF(20, 7), QPointF(23, 18), QPointF(13, 20));
        p.drawPath(path);
        p.setPen(Qt::NoPen);
        p.setBrush(blue);
        p.drawPolygon(QPolygon() << QPoint(2, 9) << QPoint(10, 3) << QPoint(10, 15));
    } else if (name == QLatin1String("BMP_DELETE")) {
        p.setPen(QPen(red, 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(5, 5, 19, 19);
        p.drawLine(19, 5, 5, 19);
    } else if (name == QLatin1String("BMP_FIRST")) {
        p.setPen(Qt::NoPen);
        p.setBrush(blue);
        p.drawRect(4, 5, 3, 14);
        Triangle(p, true, 8);
        Triangle(p, true, 14);
    } else if (name == QLatin1String("BMP_PREVIOUS")) {
        p.setPen(Qt::NoPen);
        p.setBrush(blue);
        Triangle(p, true, 8);
    } else if (name == QLatin1String("BMP_NEXT")) {
        p.setPen(Qt::NoPen);
        p.setBrush(blue);
        Triangle(p, false, 8);
    } else if (name == QLatin1String("BMP_LAST")) {
        p.setPen(Qt::NoPen);
        p.setBrush(blue);
        Triangle(p, false, 2);
        Triangle(p, false, 8);
        p.drawRect(17, 5, 3, 14);
    } else if (name == QLatin1String("BMP_PRINT")) {
        Page(p, QRect(7, 2, 10, 8));
        p.setPen(QPen(dark, 1));
        p.setBrush(QColor(170, 170, 170));
        p.drawRect(3, 9, 18, 8);
        p.setBrush(Qt::white);
        p.drawRect(6, 15, 12, 6);
    } else if (name == QLatin1String("BMP_EXPORT")) {
        Page(p, QRect(2, 2, 13, 19));
        p.setPen(QPen(green, 3, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(10, 13, 18, 13);
        p.setPen(Qt::NoPen);
        p.setBrush(green);
        p.drawPolygon(QPolygon() << QPoint(17, 8) << QPoint(23, 13) << QPoint(17, 18));
    } else if (name == QLatin1String("BMP_CLOSE")) {
        p.setPen(QPen(dark, 1));
        p.setBrush(QColor(150, 100, 60));
        p.drawRect(5, 2, 12, 20);
        p.setBrush(QColor(230, 200, 80));
        p.drawEllipse(QPoint(14, 12), 1, 1);
        p.setPen(QPen(red, 2));
        p.drawLine(18, 8, 22, 12);
        p.drawLine(22, 12, 18, 16);
    } else if (name == QLatin1String("BMP_ADDTOLIST")) {
        p.setPen(QPen(dark, 2));
        for (int y = 5; y <= 17; y += 6)
            p.drawLine(3, y, 13, y);
        Plus(p, 17, 17, green);
    } else {
        p.setPen(QPen(dark, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(3, 3, 17, 17);
    }
}

QImage Grey(const QImage& normal)
{
    QImage g = normal.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < g.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(g.scanLine(y));
        for (int x = 0; x < g.width(); ++x) {
            const int v = 128 + qGray(line[x]) / 2;
            line[x] = qRgba(v, v, v, qAlpha(line[x]) * 2 / 3);
        }
    }
    return g;
}

}   // namespace

QPixmap ToolBitmap(const QString& resourceName)
{
    static QHash<QString, QPixmap> cache;
    const auto it = cache.constFind(resourceName);
    if (it != cache.constEnd())
        return *it;
    QImage normal(24, 24, QImage::Format_ARGB32_Premultiplied);
    normal.fill(Qt::transparent);
    {
        QPainter p(&normal);
        DrawGlyph(p, resourceName);
    }
    QImage both(48, 24, QImage::Format_ARGB32_Premultiplied);
    both.fill(Qt::transparent);
    {
        QPainter p(&both);
        p.drawImage(0, 0, normal);
        p.drawImage(24, 0, Grey(normal));
    }
    const QPixmap pm = QPixmap::fromImage(both);
    cache.insert(resourceName, pm);
    return pm;
}

// ---- The toolbar ------------------------------------------------------------------------

namespace {

struct TTableEntry {
    TOption Option;
    const char* Caption;
    const char* Bitmap;
};

// Layout order, left to right; it differs from the ordinals at 复制 and 加入.
const TTableEntry Table[ButtonCount] = {
    {opFind, "查询", "BMP_FIND"},           {opRefresh, "刷新", "BMP_REFRESH"},     {opSave, "保存", "BMP_SAVE"},
    {opSaveAll, "存盘", "BMP_SAVEALL"},     {opCopy, "复制", "BMP_COPY"},           {opNew, "新增", "BMP_NEW"},
    {opEdit, "编辑", "BMP_EDIT"},           {opUndo, "撤消", "BMP_UNDO"},           {opDelete, "删除", "BMP_DELETE"},
    {opFirst, "第一页", "BMP_FIRST"},       {opPrevious, "上一页", "BMP_PREVIOUS"}, {opNext, "下一页", "BMP_NEXT"},
    {opLast, "最后页", "BMP_LAST"},         {opPrint, "打印", "BMP_PRINT"},         {opExport, "导出", "BMP_EXPORT"},
    {opAddToList, "加入", "BMP_ADDTOLIST"}, {opClose, "关闭", "BMP_CLOSE"},
};

constexpr TOptions PagingOptions = OptionBit(opFirst) | OptionBit(opPrevious) | OptionBit(opNext) | OptionBit(opLast);
constexpr TOptions EditOptions = OptionBit(opUndo) | OptionBit(opSave) | OptionBit(opSaveAll) | OptionBit(opCopy)
    | OptionBit(opEdit) | OptionBit(opDelete);

}   // namespace

TDataToolBar::TDataToolBar(QWidget* parent)
    : QWidget(parent)
{
    for (int i = 0; i < ButtonCount; ++i) {
        FButtons[size_t(i)].Caption = QString::fromUtf8(Table[i].Caption);
        FButtons[size_t(i)].Option = Table[i].Option;
        FButtons[size_t(i)].BitmapName = QString::fromUtf8(Table[i].Bitmap);
    }
    setFont(SongPointFont(9));
    setFixedHeight(ButtonSize);
    setAutoFillBackground(true);
    if (parent)
        parent->installEventFilter(this);
    Dock();

    Rebuild();
    FEnableds = FOptions;
    FPageCount = 1;
    FPageIndex = 1;
    RefreshState();
}

void TDataToolBar::Dock()
{
    if (QWidget* p = parentWidget())
        setGeometry(0, 0, p->width(), ButtonSize);
}

bool TDataToolBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        Dock();
    return QWidget::eventFilter(watched, event);
}

QToolButton* TDataToolBar::Button(TOption option) const
{
    for (const TButtonInfo& b : FButtons)
        if (b.Option == option)
            return b.Button;
    return nullptr;
}

void TDataToolBar::SetOptions(TOptions options)
{
    if (options == FOptions)
        return;
    FOptions = options;
    Rebuild();
}

void TDataToolBar::SetEnableds(TOptions enableds)
{
    if (enableds == FEnableds)
        return;
    FEnableds = enableds;
    RefreshState();
}

void TDataToolBar::SetPageCount(int n)
{
    if (n == FPageCount)
        return;
    FPageCount = n;
    RefreshState();
}

void TDataToolBar::SetPageIndex(int n)
{
    if (n == FPageIndex)
        return;
    FPageIndex = n;
    RefreshState();
}

void TDataToolBar::Rebuild()
{
    for (int i = 0; i < ButtonCount; ++i) {
        TButtonInfo& info = FButtons[size_t(i)];
        const bool wanted = HasOption(FOptions, info.Option);
        if (wanted && !info.Button) {
            auto* b = new QToolButton(this);
            b->setText(info.Caption);
            const QPixmap pm = ToolBitmap(info.BitmapName);
            QIcon icon;
            icon.addPixmap(pm.copy(0, 0, 24, 24), QIcon::Normal);
            icon.addPixmap(pm.copy(24, 0, 24, 24), QIcon::Disabled);
            b->setIcon(icon);
            b->setIconSize(QSize(24, 24));
            b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
            b->setAutoRaise(true);
            b->setFixedSize(ButtonSize, ButtonSize);
            b->setCursor(Qt::PointingHandCursor);
            b->setFocusPolicy(Qt::NoFocus);
            b->setStyleSheet(QStringLiteral("QToolButton { padding: 0px; margin: 0px; }"));
            b->setObjectName(QStringLiteral("btn") + info.BitmapName.mid(4));
            connect(b, &QToolButton::clicked, this, [this, i]() { ButtonClick(i); });
            b->show();
            info.Button = b;
            FEnableds |= OptionBit(info.Option);
        } else if (!wanted && info.Button) {
            delete info.Button;
            info.Button = nullptr;
            FEnableds &= ~OptionBit(info.Option);
        }
    }
    int x = 0;
    for (TButtonInfo& info : FButtons) {
        if (!info.Button)
            continue;
        info.Button->move(x, 0);
        x += ButtonSize;
    }
    FEnableds &= ~EditOptions;
    RefreshState();
}

void TDataToolBar::RefreshState()
{
    FEnableds &= ~PagingOptions;
    if (FPageIndex > 1)
        FEnableds |= OptionBit(opFirst) | OptionBit(opPrevious);
    if (FPageIndex < FPageCount)
        FEnableds |= OptionBit(opNext) | OptionBit(opLast);
    for (TButtonInfo& info : FButtons)
        if (info.Button)
            info.Button->setEnabled(HasOption(FEnableds, info.Option));
}

bool TDataToolBar::AskClose()
{
    QApplication::beep();
    return AskYesNo(CloseQuestion, CloseCaption) != TMsgAnswer::No;
}

void TDataToolBar::ButtonClick(int index)
{
    const TButtonInfo& info = FButtons[size_t(index)];
    QToolButton* sender = info.Button;
    FOption = info.Option;
    bool closeParent = false;
    const auto add = [this](TOption o) { FEnableds |= OptionBit(o); };
    const auto remove = [this](TOption o) { FEnableds &= ~OptionBit(o); };
    switch (FOption) {
    case opSave:
        remove(opSave);
        remove(opUndo);
        add(opNew);
        add(opSaveAll);
        break;
    case opSaveAll: remove(opSaveAll); break;
    case opNew:
        remove(opNew);
        remove(opEdit);
        add(opUndo);
        add(opSave);
        break;
    case opEdit:
        remove(opEdit);
        remove(opNew);
        add(opUndo);
        add(opSave);
        break;
    case opUndo:
        remove(opSave);
        remove(opUndo);
        add(opNew);
        break;
    case opFirst: FPageIndex = 1; break;
    case opPrevious:
        if (FPageIndex > 1)
            --FPageIndex;
        break;
    case opNext:
        if (FPageIndex < FPageCount)
            ++FPageIndex;
        break;
    case opLast: FPageIndex = FPageCount; break;
    case opClose: {
        QWidget* p = parentWidget();
        if (p && p->isWindow())
            closeParent = !HasOption(FEnableds, opSave) || AskClose();
        break;
    }
    default: break;
    }
    RefreshState();
    QPointer<TDataToolBar> alive(this);
    emit OnClick(sender);
    if (!alive)
        return;   // the window's handler destroyed us
    FOption = opNone;
    // The window closes only after it has seen the click.
    if (closeParent)
        if (QWidget* p = parentWidget())
            p->close();
}

void TDataToolBar::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint()))
        return;
    FOption = opNone;
    emit OnClick(this);
}
