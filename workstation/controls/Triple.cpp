#include "Triple.h"

#include "Application.h"
#include "ConPool.h"
#include "FbClient.h"
#include "Gbk.h"
#include "GlobalHead.h"
#include "PartSearch.h"
#include "StringGrid.h"

#include <QAction>
#include <QFocusEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <QToolTip>

const QString TTriple::SearchCaption = QStringLiteral("查询");
const QString TTriple::SearchPrompt = QStringLiteral("请输入查询关键词");
const QString TTriple::ListTip = QStringLiteral("双击返回选中行,右键可取消");

namespace {

// The table word becomes part of the statement: only a plain name may, never other text.
bool PlainName(const QString& name)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Z][A-Z0-9_]*$"));
    return plain.match(name).hasMatch();
}

}   // namespace

QString TTriple::NameStatement() const
{
    return PlainName(FDicName) ? QStringLiteral("SELECT %1_NAME FROM TB_%1 WHERE ID = ?").arg(FDicName) : QString();
}

TTriple::TTriple(QWidget* parent)
    : QWidget(parent)
{
    FCaption = QStringLiteral("编号");
    FCaptionColor = palette().color(QPalette::WindowText);
    QFont f(QStringLiteral("宋体"));
    f.setPointSize(11);
    setFont(f);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    resize(190, 22);
    setAccessibleName(FCaption);
}

TTriple::~TTriple()
{
    delete FGrid.data();
    delete FMenu.data();
}

QIcon TTriple::DefaultIcon()
{
    // A small grid with a pointer: "choose from a list".
    QPixmap p(22, 22);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setPen(QColor(127, 157, 185));
    g.setBrush(QColor(236, 242, 248));
    g.drawRect(3, 4, 15, 13);
    g.drawLine(3, 8, 18, 8);
    g.drawLine(3, 12, 18, 12);
    g.drawLine(8, 4, 8, 17);
    g.setBrush(QColor(60, 90, 140));
    const QPoint arrow[3] = {QPoint(12, 18), QPoint(20, 18), QPoint(16, 21)};
    g.drawPolygon(arrow, 3);
    return QIcon(p);
}

// ---- Properties ----------------------------------------------------------------------

void TTriple::SetCaption(const QString& caption)
{
    if (FCaption.compare(caption, Qt::CaseInsensitive) == 0)
        return;
    FCaption = caption;
    setAccessibleName(caption);   // screen readers and UI automation read the caption
    update();
}

void TTriple::SetCaptionColor(const QColor& color)
{
    if (FCaptionColor == color)
        return;
    FCaptionColor = color;
    update();
}

void TTriple::SetFont(const QFont& f)
{
    if (font() == f)
        return;
    setFont(f);
    update();
}

void TTriple::SetIcon(const QIcon& icon)
{
    if (FIcon.cacheKey() == icon.cacheKey())
        return;
    FIcon = icon;
    update();
}

void TTriple::SetText(const QString& text)
{
    if (FText.compare(text, Qt::CaseInsensitive) == 0)
        return;
    FText = text;
    setAccessibleDescription(text);
    update();
}

void TTriple::SetID(const QString& id)
{
    if (FID.compare(id, Qt::CaseInsensitive) != 0)
        FID = id;
}

void TTriple::SetSpacing(int spacing)
{
    if (FSpacing == spacing)
        return;
    FSpacing = spacing;
    update();
}

void TTriple::SetFlat(bool flat)
{
    if (FFlat == flat)
        return;
    FFlat = flat;
    update();
}

void TTriple::SetTextWidth(int width)
{
    if (FTextWidth == width)
        return;
    FTextWidth = width;
    AdjustWidth();
}

void TTriple::AdjustWidth()
{
    resize(CaptionWidth() + FSpacing + FTextWidth + height() + 2, height());
    update();
}

int TTriple::CaptionWidth() const
{
    return Gbk::ByteLength(FCaption) * fontMetrics().averageCharWidth();
}

// ---- Mouse ---------------------------------------------------------------------------

bool TTriple::OnButton(const QPoint& p) const
{
    return p.x() > width() - height();
}

void TTriple::SetMouse(TMouse state)
{
    FMouse = state;
    setCursor(state == TMouse::Normal ? Qt::ArrowCursor : Qt::PointingHandCursor);
    update();
}

void TTriple::mouseMoveEvent(QMouseEvent* e)
{
    if (OnButton(e->position().toPoint())) {
        if (FMouse != TMouse::Hover)
            SetMouse(TMouse::Hover);
    } else {
        setCursor(Qt::ArrowCursor);
    }
    QWidget::mouseMoveEvent(e);
}

void TTriple::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && FMouse != TMouse::Pressed && OnButton(e->position().toPoint())) {
        SetMouse(TMouse::Pressed);
        RunGuarded([this] { ButtonPressed(); });
    }
    QWidget::mousePressEvent(e);
}

void TTriple::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && FMouse != TMouse::Hover && OnButton(e->position().toPoint()))
        SetMouse(TMouse::Hover);
    QWidget::mouseReleaseEvent(e);
}

void TTriple::leaveEvent(QEvent* e)
{
    if (FMouse != TMouse::Normal)
        SetMouse(TMouse::Normal);
    QWidget::leaveEvent(e);
}

void TTriple::ButtonPressed()
{
    emit OnBeforeSelect(this);
    if (FShowGrid)
        OpenList();
    emit OnIconClick(this);
}

// ---- The list ------------------------------------------------------------------------

TStringGrid* TTriple::ListGrid() const
{
    return FGrid;
}

QMenu* TTriple::ListMenu() const
{
    return FMenu;
}

void TTriple::OpenList()
{
    QWidget* parent = parentWidget();
    if (FGrid || !parent)
        return;

    FMenu = new QMenu(parent);
    const QString names[5] = {QStringLiteral("查询"), QStringLiteral("刷新"), QStringLiteral("选中"),
                              QStringLiteral("新增"), QStringLiteral("取消")};
    QAction* actions[5];
    for (int i = 0; i < 5; ++i)
        actions[i] = FMenu->addAction(names[i]);
    connect(actions[0], &QAction::triggered, this, Guarded(this, &TTriple::Search));
    connect(actions[1], &QAction::triggered, this, Guarded(this, &TTriple::RefreshList));
    connect(actions[2], &QAction::triggered, this, Guarded(this, &TTriple::Pick));
    connect(actions[3], &QAction::triggered, this, Guarded([this](bool) { emit OnNewClick(this); }));
    connect(actions[4], &QAction::triggered, this, Guarded(this, &TTriple::CloseList));

    FGrid = new TStringGrid(parent);
    FGrid->setAccessibleName(FCaption);
    FGrid->setToolTip(ListTip);
    FGrid->SetDefaultRowHeight(16);
    FGrid->SetColCount(2);
    FGrid->SetRowCount(2);
    FGrid->SetRowSelect(true);
    FGrid->SetCells(0, 0, QStringLiteral("编号"));
    FGrid->SetCells(1, 0, FCaption);
    FGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(FGrid, &QWidget::customContextMenuRequested, this, Guarded([this](const QPoint& pos) {
                if (!FGrid || !FMenu)
                    return;
                FBusy = true;
                FMenu->exec(FGrid->viewport()->mapToGlobal(pos));
                FBusy = false;
            }));
    connect(FGrid, &TStringGrid::CellDoubleClicked, this, Guarded([this](int, int) { Pick(); }));
    FGrid->installEventFilter(this);

    // Downwards when there is at least as much room below as above, else upwards.
    const int above = y();
    const int below = parent->height() - y() - height();
    int top, h;
    if (below >= above) {
        top = y() + height() + 2;
        h = qMin(200, parent->height() - top);
    } else {
        h = qMin(200, above);
        top = y() - h - 2;
    }
    FGrid->setGeometry(x(), top, width(), h);
    FGrid->SetColWidth(0, 50);
    FGrid->SetColWidth(1, qMax(0, width() - 60));
    FGrid->show();
    FGrid->raise();
    QToolTip::showText(FGrid->mapToGlobal(QPoint(0, 0)), ListTip, FGrid);

    FListSQL = PlainName(FDicName) ? QStringLiteral("SELECT ID,%1_NAME FROM TB_%1").arg(FDicName) : QString();
    Fill(FListSQL, {});
    FGrid->setFocus(Qt::OtherFocusReason);
}

void TTriple::Fill(const QString& sql, const QVector<TFbValue>& params)
{
    if (!FGrid || !FDataSet || sql.isEmpty())
        return;
    FDataSet->Close();
    FDataSet->SetCommandText(sql);
    FDataSet->SetParams(params);
    try {
        FDataSet->Open();
    } catch (const std::exception& e) {
        // The list stays open on what it showed; the user may search again or cancel.
        FBusy = true;
        ShowError(e);
        FBusy = false;
        return;
    }
    const TFbResult& r = FDataSet->Result();
    FGrid->SetRowCount(2);
    FGrid->ClearRow(1);
    if (r.RowCount() == 0)
        return;
    FGrid->SetRowCount(r.RowCount() + 1);
    for (int row = 0; row < r.RowCount(); ++row) {
        FGrid->SetCells(0, row + 1, r.At(row, 0).AsString());
        FGrid->SetCells(1, row + 1, r.At(row, 1).AsString());
    }
}

void TTriple::Pick()
{
    if (!FGrid)
        return;
    const int row = FGrid->Row();
    if (row >= 1 && row < FGrid->RowCount()) {
        const QString id = FGrid->Cells(0, row);
        FID = id.isEmpty() ? QStringLiteral("1") : id;
        FText = FGrid->Cells(1, row);   // no letter-case test here: the picked name is shown
        setAccessibleDescription(FText);
        update();
    }
    CloseList();
}

void TTriple::Search()
{
    if (!FGrid)
        return;
    TInputRequest request;
    request.Caption = SearchCaption;
    request.Prompt = SearchPrompt;
    QString keyword;
    FBusy = true;
    AskInput(request, &keyword);   // cancelled: empty, which lists every row
    FBusy = false;
    if (!FGrid || !PlainName(FDicName))
        return;
    // The keyword is bound, never part of the statement; the remembered full list stays.
    Fill(QStringLiteral("SELECT ID,%1_NAME FROM TB_%1 WHERE %1_NAME LIKE ? ESCAPE '\\'").arg(FDicName),
         {TFbValue::FromText(ContainsPattern(keyword))});
    if (FGrid)
        FGrid->setFocus(Qt::OtherFocusReason);
}

void TTriple::RefreshList()
{
    Fill(FListSQL, {});
}

void TTriple::CloseList()
{
    if (!FGrid)
        return;
    // Destroyed later: the list may be closing from inside one of its own events.
    TStringGrid* grid = FGrid;
    QMenu* menu = FMenu;
    FGrid = nullptr;
    FMenu = nullptr;
    grid->removeEventFilter(this);
    grid->hide();
    grid->deleteLater();
    if (menu)
        menu->deleteLater();
    emit OnAfterSelect(this);
}

bool TTriple::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == FGrid && e->type() == QEvent::FocusOut && !FBusy) {
        const Qt::FocusReason why = static_cast<QFocusEvent*>(e)->reason();
        // A menu or another window taking the focus for a moment is no leaving.
        if (why != Qt::PopupFocusReason && why != Qt::ActiveWindowFocusReason)
            QMetaObject::invokeMethod(
                this, [this] { RunGuarded([this] { CloseList(); }); }, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, e);
}

// ---- Painting ------------------------------------------------------------------------

void TTriple::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int h = height();
    const int offset = FMouse == TMouse::Hover ? -1 : FMouse == TMouse::Pressed ? 1 : 0;

    const QRect caption(0, 0, CaptionWidth(), h);
    p.setPen(FCaptionColor);
    p.drawText(caption, Qt::AlignCenter | Qt::TextSingleLine, FCaption);

    const QRect box(caption.right() + 1 + FSpacing, 0, width() - h - 2 - (caption.right() + 1 + FSpacing), h);
    p.fillRect(box, Qt::white);
    if (FFlat) {
        p.setPen(QColor(127, 157, 185));
        p.drawRect(box.adjusted(0, 0, -1, -1));
    } else {
        const int l = box.left(), t = box.top(), r = box.right(), b = box.bottom();
        p.setPen(QColor(172, 168, 153));
        p.drawLine(l, t, r, t);
        p.drawLine(l, t, l, b);
        p.setPen(QColor(113, 111, 100));
        p.drawLine(l + 1, t + 1, r - 1, t + 1);
        p.drawLine(l + 1, t + 1, l + 1, b - 1);
        p.setPen(Qt::white);
        p.drawLine(l, b, r, b);
        p.drawLine(r, t, r, b);
        p.setPen(QColor(241, 239, 226));
        p.drawLine(l + 1, b - 1, r - 1, b - 1);
        p.drawLine(r - 1, t + 1, r - 1, b - 1);
    }
    p.setPen(palette().color(QPalette::Text));
    p.drawText(box.adjusted(2, 2, -2, -2), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, FText);

    if (!FIcon.isNull())
        FIcon.paint(&p, QRect(box.right() + 1 + 1, offset, h, h));
}

void LendPoolDataSets(TTriple* lookup)
{
    QObject::connect(lookup, &TTriple::OnBeforeSelect, lookup, Guarded([](TTriple* t) {
                         if (!t->DataSet() && Pool)
                             t->SetDataSet(Pool->GetDataSet());
                     }));
    QObject::connect(lookup, &TTriple::OnAfterSelect, lookup, Guarded([](TTriple* t) {
                         if (t->DataSet() && Pool)
                             Pool->FreeDataSet(t->DataSet());
                         t->SetDataSet(nullptr);
                     }));
}
