#include "Sales.h"

#include "Application.h"
#include "ConPool.h"
#include "DataHead.h"
#include "DataTool.h"
#include "Functions.h"
#include "GlobalHead.h"
#include "LabeledEdit.h"
#include "Modules.h"
#include "PartSearch.h"
#include "Product.h"
#include "StringGrid.h"

#include <QApplication>
#include <QKeyEvent>

const QString TfraSales::NoPartChosen = QStringLiteral("请先在“查询商品”中输入配件名称，并双击查询结果选择要销售的库存配件！");

namespace {

struct TColumn {
    const char* Caption;
    int Width;
};

const TColumn ListHeads[] = {{"库存编码", 70}, {"商品编码", 70}, {"商品名", 150}, {"销售数量", 70},
                               {"销售价", 70},   {"单位", 50},     {"规格", 50}};
const TColumn InfoHeads[] = {{"库存编码", 70}, {"商品编码", 70}, {"商品名", 150},
                               {"单位", 50},     {"规格", 50},     {"库存数量", 70}};
// The lot search's columns, in the order the search returns them.
const TColumn FoundHeads[] = {{"库存编码", 70}, {"商品编码", 70}, {"商品名", 150}, {"单位", 50},
                                {"规格", 50},     {"参考售价", 80}, {"库存数量", 80}};
const char* const FoundFields[] = {"ID",           "COMMODITY_ID", "COMMODITY_NAME", "UNIT_NAME",
                                   "STANDARD_NAME", "REFER_PRICE",  "STOCK_COUNT"};
enum { fndStock, fndCommodity, fndName, fndUnit, fndStandard, fndPrice, fndHeld, FoundCount };

template <size_t N> void SetHeaders(TStringGrid* grid, const TColumn (&columns)[N])
{
    grid->SetColCount(int(N));
    for (size_t c = 0; c < N; ++c) {
        grid->SetCells(int(c), 0, QString::fromUtf8(columns[c].Caption));
        grid->SetColWidth(int(c), columns[c].Width);
    }
}

TLabeledEdit* Field(const QString& caption, QWidget* parent, int x, int y, int w, const QString& text)
{
    auto* e = new TLabeledEdit(caption, parent);
    e->SetBounds(x, y, w, 22);
    e->setMaxLength(16);
    e->setText(text);
    return e;
}

void Warn(const QString& text)
{
    ShowMsg(text, Texts::CaptionWarning, TMsgIcon::Warning);
}

bool IsEnter(const QKeyEvent* k)
{
    return k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
}

}   // namespace

// ---- TfraSales -----------------------------------------------------------------------

TfraSales::TfraSales(QWidget* parent)
    : QFrame(parent)
{
    setFont(SongFont(15));
    setFixedSize(620, 420);

    // Search, count and price; the chosen lot under them.
    pnl1 = new QFrame(this);
    pnl1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnl1->setGeometry(0, 0, 620, 128);
    edtFind = Field(QStringLiteral("查询商品"), pnl1, 80, 8, 220, QString());
    edtOutCount = Field(QStringLiteral("销售数量"), pnl1, 80, 38, 120, QStringLiteral("1"));
    edtOutPrice = Field(QStringLiteral("销售价"), pnl1, 290, 38, 120, QStringLiteral("0"));
    strgrdInfo = new TStringGrid(pnl1);
    strgrdInfo->setGeometry(4, 68, 612, 56);
    strgrdInfo->setFocusPolicy(Qt::NoFocus);
    strgrdInfo->setEnabled(false);
    strgrdInfo->setAccessibleName(QStringLiteral("所选配件"));

    pnl2 = new QFrame(this);
    pnl2->setGeometry(0, 128, 620, 42);
    dtbSub = new TDataToolBar(pnl2);
    dtbSub->SetOptions(OptionBit(opEdit) | OptionBit(opDelete) | OptionBit(opAddToList));
    dtbSub->SetEnableds(OptionBit(opAddToList));

    strgrdList = new TStringGrid(this);
    strgrdList->setGeometry(0, 170, 620, 250);
    strgrdList->SetRowSelect(true);
    strgrdList->SetDefaultRowHeight(16);
    strgrdList->setAccessibleName(QStringLiteral("配件清单"));

    // Over the chosen lot and the upper lines while it shows what was found.
    dbgrdFind = new TFindGrid(this);
    dbgrdFind->setGeometry(4, 68, 612, 220);
    dbgrdFind->SetDefaultRowHeight(18);
    dbgrdFind->setAccessibleName(QStringLiteral("查询结果"));
    SetHeaders(dbgrdFind, FoundHeads);
    dbgrdFind->raise();

    WriteHeaders();
    strgrdInfo->SetRowCount(2);
    strgrdList->SetRowCount(2);   // the blank line a new line is written into first

    QWidget::setTabOrder(edtFind, edtOutCount);
    QWidget::setTabOrder(edtOutCount, edtOutPrice);
    QWidget::setTabOrder(edtOutPrice, dbgrdFind);
    QWidget::setTabOrder(dbgrdFind, strgrdList);

    connect(edtFind, &QLineEdit::textChanged, this, Guarded([this](const QString&) { edtFindChange(); }));
    connect(dbgrdFind, &TFindGrid::Chosen, this, Guarded([this](int) { dbgrdFindDblClick(); }));
    connect(dtbSub, &TDataToolBar::OnClick, this, Guarded([this](QObject*) { dtbSubClick(); }));
    connect(strgrdList, &TStringGrid::CellClicked, this, Guarded([this](int, int) { strgrdListClick(); }));
    edtFind->installEventFilter(this);
}

bool TfraSales::eventFilter(QObject* watched, QEvent* e)
{
    // Back in the search box after choosing, the matches of its text show again: the next part
    // of the same search needs no retyping.
    if (e->type() == QEvent::FocusIn && watched == edtFind && dbgrdFind->isHidden() && !edtFind->text().isEmpty())
        RunGuarded([this] { edtFindChange(); });
    return QFrame::eventFilter(watched, e);
}

TfraSales::~TfraSales()
{
    CloseStockSearch();
}

void TfraSales::WriteHeaders()
{
    SetHeaders(strgrdInfo, InfoHeads);
    SetHeaders(strgrdList, ListHeads);
}

void TfraSales::LoadByBill(const QString& billNo)
{
    LoadLines(QStringLiteral("SELECT * FROM V_SALES WHERE BILL_NO = ? ORDER BY ID"), billNo);
}

void TfraSales::LoadBySalesType(const QString& salesType)
{
    LoadLines(QStringLiteral("SELECT * FROM V_SALES WHERE SALES_TYPE = ? ORDER BY ID"), salesType);
}

void TfraSales::LoadLines(const QString& sql, const QString& key)
{
    WriteHeaders();
    bool number = false;
    const qint64 k = key.trimmed().toLongLong(&number);
    if (!number)
        return;   // no bill has such a number
    TDataSetLoan set(Pool);
    if (!set)
        throw TFbError(QStringLiteral("数据库连接尚未打开，无法读取销售明细。"));
    set->SetCommandText(sql);
    set->SetParams({TFbValue::FromInt(k)});
    set->Open();
    const int n = set->RecordCount();
    if (n == 0)
        return;
    SetReadOnly(true);
    strgrdList->SetRowCount(n + 1);
    int row = 1;
    for (set->First(); !set->Eof(); set->Next(), ++row) {
        const auto text = [&](const char* field) { return set->FieldByName(QLatin1String(field)).AsString().trimmed(); };
        strgrdList->SetCells(colStock, row, text("STOCK_ID"));
        strgrdList->SetCells(colCommodity, row, text("COMMODITY_ID"));
        strgrdList->SetCells(colName, row, text("COMMODITY_NAME"));
        strgrdList->SetCells(colCount, row, text("OUT_COUNT"));
        strgrdList->SetCells(colPrice, row, text("OUT_PRICE"));
        strgrdList->SetCells(colUnit, row, text("UNIT_NAME"));
        strgrdList->SetCells(colStandard, row, text("STANDARD_NAME"));
    }
}

void TfraSales::OpenStockSearch()
{
    if (!FSearch && Pool) {
        FSearch = std::make_unique<TPartSearch>(*Pool, TPartSource::Stock);
        QStringList fields;
        for (const char* f : FoundFields)
            fields << QString::fromLatin1(f);
        dbgrdFind->SetSearch(FSearch.get(), fields);
    }
}

void TfraSales::CloseStockSearch()
{
    if (dbgrdFind) {
        dbgrdFind->SetSearch(nullptr, {});
        dbgrdFind->hide();
    }
    FSearch.reset();
}

void TfraSales::SetReadOnly(bool on)
{
    FReadOnly = on;
    edtFind->setEnabled(!on);
    edtOutCount->setEnabled(!on);
    edtOutPrice->setEnabled(!on);
    dtbSub->SetEnableds(on ? TOptions(0) : OptionBit(opAddToList));
    dtbSub->setEnabled(!on);
    if (on) {
        CloseStockSearch();
        FEditingLine = false;
    }
}

int TfraSales::VisibleRows() const
{
    return dbgrdFind->VisibleRows();
}

void TfraSales::edtFindChange()
{
    if (!StockOpen() || FReadOnly)
        return;
    dbgrdFind->Find(edtFind->text());
}

void TfraSales::dbgrdFindDblClick()
{
    const int row = dbgrdFind->Row();
    if (FReadOnly || row <= 0 || dbgrdFind->Cells(fndStock, row).isEmpty())
        return;
    const auto found = [&](int c) { return dbgrdFind->Cells(c, row); };
    strgrdInfo->SetCells(infStock, 1, found(fndStock));
    strgrdInfo->SetCells(infCommodity, 1, found(fndCommodity));
    strgrdInfo->SetCells(infName, 1, found(fndName));
    strgrdInfo->SetCells(infUnit, 1, found(fndUnit));
    strgrdInfo->SetCells(infStandard, 1, found(fndStandard));
    strgrdInfo->SetCells(infHeld, 1, found(fndHeld));
    edtOutPrice->setText(found(fndPrice));
    // Kept apart from the grid, whose count cell a line taken back leaves empty.
    FHeld[found(fndStock).toLongLong()] = found(fndHeld).toLongLong();
    dbgrdFind->hide();
}

bool TfraSales::KeyPress(QObject* watched, QKeyEvent* k)
{
    if (watched == dbgrdFind && IsEnter(k) && !FReadOnly && dbgrdFind->Row() > 0 && dbgrdFind->isVisible()) {
        RunGuarded([this] { dbgrdFind->ChooseCurrent(); });
        edtOutCount->setFocus();
        return true;
    }
    return false;
}

void TfraSales::dtbSubClick()
{
    switch (dtbSub->Option()) {
    case opAddToList: AddToList(); break;
    case opEdit: TakeLineBack(); break;
    case opDelete: DeleteLine(); break;
    default: break;
    }
}

void TfraSales::strgrdListClick()
{
    if (!FReadOnly && strgrdList->Row() > 0 && !strgrdList->Cells(colStock, 1).isEmpty())
        dtbSub->SetEnableds(dtbSub->Enableds() | OptionBit(opEdit) | OptionBit(opDelete));
}

int TfraSales::LineCount() const
{
    int n = 0;
    for (int row = 1; row < strgrdList->RowCount(); ++row)
        if (!strgrdList->Cells(colStock, row).isEmpty())
            ++n;
    return n;
}

bool TfraSales::StockSuffices(qint64 lot, qint64 count, int skipRow)
{
    qint64 held = 0;
    if (FHeld.contains(lot)) {
        held = FHeld.value(lot);
    } else {
        bool known = false;
        held = strgrdInfo->Cells(infHeld, 1).toLongLong(&known);
        if (!known)
            return true;   // nothing to go by here; the save checks the lot itself
    }
    qint64 wanted = count;
    for (int row = 1; row < strgrdList->RowCount(); ++row)
        if (row != skipRow && strgrdList->Cells(colStock, row).toLongLong() == lot)
            wanted += strgrdList->Cells(colCount, row).toLongLong();
    if (wanted <= held)
        return true;
    Warn(QStringLiteral("库存数量不足：库存 %1（%2）只有 %3，本单要 %4。")
             .arg(lot)
             .arg(strgrdInfo->Cells(infName, 1))
             .arg(held)
             .arg(wanted));
    return false;
}

bool TfraSales::EntryValid()
{
    for (TLabeledEdit* e : {edtOutCount, edtOutPrice}) {
        const QString wrong = e == edtOutCount ? CountProblem(e->text()) : PriceProblem(e->text());
        if (!wrong.isEmpty()) {
            Warn(wrong);
            e->setFocus();
            e->selectAll();
            return false;
        }
    }
    bool chosen = false;
    const qint64 lot = strgrdInfo->Cells(infStock, 1).toLongLong(&chosen);
    if (!chosen) {
        Warn(NoPartChosen);
        edtFind->setFocus();
        return false;
    }
    if (!StockSuffices(lot, edtOutCount->text().trimmed().toLongLong(), FEditingLine ? FEditRow : 0)) {
        edtOutCount->setFocus();
        edtOutCount->selectAll();
        return false;
    }
    return true;
}

void TfraSales::AddToList()
{
    if (FReadOnly || !EntryValid())
        return;
    int row = 0;
    if (FEditingLine && FEditRow > 0 && FEditRow < strgrdList->RowCount()) {
        row = FEditRow;   // the line taken back, even when another line was clicked since
    } else {
        row = strgrdList->RowCount() - 1;
        if (row == 0 || !strgrdList->Cells(colStock, row).isEmpty()) {
            row = strgrdList->RowCount();
            strgrdList->SetRowCount(row + 1);
        }
    }
    FEditingLine = false;
    FEditRow = 0;
    strgrdList->SetCells(colStock, row, strgrdInfo->Cells(infStock, 1));
    strgrdList->SetCells(colCommodity, row, strgrdInfo->Cells(infCommodity, 1));
    strgrdList->SetCells(colName, row, strgrdInfo->Cells(infName, 1));
    strgrdList->SetCells(colCount, row, edtOutCount->text().trimmed());
    strgrdList->SetCells(colPrice, row, edtOutPrice->text().trimmed());
    strgrdList->SetCells(colUnit, row, strgrdInfo->Cells(infUnit, 1));
    strgrdList->SetCells(colStandard, row, strgrdInfo->Cells(infStandard, 1));
    strgrdInfo->ClearRow(1);
    dbgrdFind->hide();
}

void TfraSales::TakeLineBack()
{
    const int row = strgrdList->Row();
    if (FReadOnly || row <= 0 || strgrdList->Cells(colStock, row).isEmpty())
        return;
    FEditingLine = true;
    FEditRow = row;
    strgrdInfo->SetCells(infStock, 1, strgrdList->Cells(colStock, row));
    strgrdInfo->SetCells(infCommodity, 1, strgrdList->Cells(colCommodity, row));
    strgrdInfo->SetCells(infName, 1, strgrdList->Cells(colName, row));
    strgrdInfo->SetCells(infUnit, 1, strgrdList->Cells(colUnit, row));
    strgrdInfo->SetCells(infStandard, 1, strgrdList->Cells(colStandard, row));
    strgrdInfo->SetCells(infHeld, 1, QString());
    edtOutCount->setText(strgrdList->Cells(colCount, row));
    edtOutPrice->setText(strgrdList->Cells(colPrice, row));
}

void TfraSales::DeleteLine()
{
    if (FReadOnly)
        return;
    const int row = strgrdList->Row();
    if (!DeleteGridRow(strgrdList))
        return;
    // The line taken back moves with the lines, or is gone.
    if (FEditingLine) {
        if (row == FEditRow)
            FEditingLine = false;
        else if (row < FEditRow)
            --FEditRow;
    }
    if (LineCount() == 0)
        dtbSub->SetEnableds(dtbSub->Enableds() & ~(OptionBit(opEdit) | OptionBit(opDelete)));
}

QVector<TSalesLine> TfraSales::Lines() const
{
    QVector<TSalesLine> lines;
    for (int row = 1; row < strgrdList->RowCount(); ++row) {
        const QString lot = strgrdList->Cells(colStock, row);
        if (lot.isEmpty())
            continue;
        lines.push_back({lot.toLongLong(), strgrdList->Cells(colCount, row), strgrdList->Cells(colPrice, row)});
    }
    return lines;
}

bool TfraSales::SaveAsBill()
{
    TSalesBill bill;
    bill.OperatorId = Symbol.User.ID.toLongLong();
    bill.Lines = Lines();
    const QString wrong = CheckSalesBill(bill);
    if (!wrong.isEmpty()) {
        Warn(wrong);
        return false;
    }
    try {
        FSavedBillNo = SaveSalesBill(*Pool, bill).BillNo;
    } catch (const TBillRefused& e) {
        Warn(e.Text());
        return false;
    }
    return true;
}

// ---- TfrmSales -----------------------------------------------------------------------

TfrmSales::TfrmSales(const QString& billNo, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("配件销售"));
    setFont(SongFont(14));
    setFixedSize(622, 461);

    dtbSales = new TDataToolBar(this);
    dtbSales->SetOptions(OptionBit(opSave) | OptionBit(opClose));
    dtbSales->SetEnableds(OptionBit(opSave) | OptionBit(opClose));

    fraSales = new TfraSales(this);
    fraSales->move(0, 40);
    fraSales->LoadByBill(billNo);
    if (!fraSales->ReadOnly())
        fraSales->OpenStockSearch();
    else
        dtbSales->SetEnableds(dtbSales->Enableds() & ~OptionBit(opSave));

    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    connect(dtbSales, &TDataToolBar::OnClick, this, Guarded([this](QObject*) { dtbSalesClick(); }));
    fraSales->edtFind->setFocus();
}

TfrmSales::~TfrmSales() = default;

void TfrmSales::dtbSalesClick()
{
    if (dtbSales->Option() != opSave)
        return;
    // The toolbar has just disabled 保存; a refused or failed save gives it back, the lines kept.
    TSaveAgain again(dtbSales);
    if (!fraSales->SaveAsBill())
        return;
    again.Done();
    accept();
}

bool TfrmSales::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (fraSales && fraSales->KeyPress(watched, k))
            return true;
        if (IsEnter(k)) {
            focusNextChild();
            return true;
        }
        if (k->key() == Qt::Key_Escape) {
            focusPreviousChild();
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void OpenSales(int mode, TData* list)
{
    // A bill of the list is shown for reading; without one the window is a new sale.
    QString bill = QStringLiteral("0");
    if (mode == ModeEdit && list)
        bill = list->GetFieldText(QStringLiteral("ID"));
    TfrmSales frm(bill, QApplication::activeWindow());
    frm.exec();
}
