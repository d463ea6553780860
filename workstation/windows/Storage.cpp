#include "Storage.h"

#include "Application.h"
#include "Bills.h"
#include "ConPool.h"
#include "DataTool.h"
#include "Entry.h"
#include "Functions.h"
#include "GlobalHead.h"
#include "LabeledEdit.h"
#include "Modules.h"
#include "PartSearch.h"
#include "Product.h"
#include "StringGrid.h"
#include "Triple.h"
#include "clsStorage.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QScrollBar>

const QString TfrmStorage::NoPartChosen = QStringLiteral("请先在“查询商品”中输入配件名称，双击查询结果选择配件。");
const QString TfrmStorage::NoLines = QStringLiteral("入库单中还没有配件，请先选择配件并加入清单，再保存。");

namespace {

constexpr int RowHeight = 16;
constexpr int EntryLength = 16;

// The lines' columns.
enum { LineId, LineName, LineCount, LineInPrice, LineReferPrice, LineUnit, LineStandard, LineColumns };
// The chosen part's columns.
enum { InfoId, InfoName, InfoUnit, InfoStandard, InfoColumns };

struct TColumn {
    const char* Caption;
    int Width;
};

const TColumn ListColumns[LineColumns] = {{"商品编码", 80}, {"商品名", 200}, {"进货数量", 80}, {"进货价", 80},
                                          {"参考售价", 80}, {"单位", 80},    {"规格", 80}};
const TColumn InfoColumnsOf[InfoColumns] = {{"商品编码", 80}, {"商品名", 200}, {"单位", 80}, {"规格", 80}};
// The search grid's columns, with the search result's column each shows.
struct TFindColumn {
    const char* Caption;
    int Width;
    const char* Field;
};
const TFindColumn FindColumns[] = {{"商品编码", 80, "ID"},          {"商品名", 150, "COMMODITY_NAME"},
                                   {"单位编号", 50, "UNIT_ID"},     {"单位", 50, "UNIT_NAME"},
                                   {"规格编号", 50, "STANDARD_ID"}, {"规格", 50, "STANDARD_NAME"}};
constexpr int FindColumnCount = int(sizeof(FindColumns) / sizeof(FindColumns[0]));
enum { FindId = 0, FindName = 1, FindUnit = 3, FindStandard = 5 };

TLabeledEdit* Field(const QString& caption, QWidget* parent, int x, int y, int w, const QString& text = QString())
{
    auto* e = new TLabeledEdit(caption, parent);
    e->SetBounds(x, y, w, 22);
    e->setMaxLength(EntryLength);
    e->setText(text);
    return e;
}

template <class TCol, int N> void SetCaptions(TStringGrid* grid, const TCol (&columns)[N])
{
    grid->SetColCount(N);
    for (int c = 0; c < N; ++c) {
        grid->SetCells(c, 0, QString::fromUtf8(columns[c].Caption));
        grid->SetColWidth(c, columns[c].Width);
    }
}

}   // namespace

TfrmStorage::TfrmStorage(qint64 billNo, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("配件入库"));
    setFont(SongFont(14));
    setFixedSize(638, 458);
    Layout();

    // The window sees every key first: Enter moves on, Esc moves back.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);

    connect(dtbStorage, &TDataToolBar::OnClick, this, Guarded(this, &TfrmStorage::dtbStorageClick));
    connect(edtFind, &QLineEdit::textChanged, this, Guarded([this](const QString&) { edtFindChange(); }));
    connect(dbgrdFind, &TFindGrid::Chosen, this, Guarded([this](int row) { dbgrdFindDblClick(row); }));
    connect(strgrdList, &TStringGrid::CellClicked, this, Guarded([this](int, int row) { strgrdListClick(row); }));

    if (billNo > 0)
        OpenBill(billNo);
    if (!FReadOnly) {
        ShowStartingNames();
        edtFind->setFocus();
    }
}

TfrmStorage::~TfrmStorage()
{
    dbgrdFind->SetSearch(nullptr, {});   // the search goes before the grid does
    GiveBackLookups();
}

void TfrmStorage::Layout()
{
    dtbStorage = new TDataToolBar(this);
    dtbStorage->setFont(SongFont(12));
    dtbStorage->SetPageCount(1);
    dtbStorage->SetPageIndex(1);
    dtbStorage->SetOptions(OptionBit(opSave) | OptionBit(opNew) | OptionBit(opEdit) | OptionBit(opDelete)
                           | OptionBit(opClose) | OptionBit(opAddToList));
    dtbStorage->SetEnableds(OptionBit(opNew) | OptionBit(opClose) | OptionBit(opAddToList));

    // Rows: supplier (wide) and buyer; the search; quantity and prices; the chosen part.
    pnl1 = new QFrame(this);
    pnl1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnl1->setGeometry(4, 44, 630, 154);
    trpSupplier = NewLookup(QStringLiteral("供应商"), QStringLiteral("SUPPLIER"), pnl1, 10, 8, 260, 15);
    trpBuyer = NewLookup(QStringLiteral("采购员"), QStringLiteral("EMPLOYEE"), pnl1, 400, 8, 130, 15);
    edtFind = Field(QStringLiteral("查询商品"), pnl1, 76, 40, 220);
    edtInCount = Field(QStringLiteral("进货数量"), pnl1, 76, 70, 110, QStringLiteral("1"));
    edtInPrice = Field(QStringLiteral("进货价"), pnl1, 266, 70, 110, QStringLiteral("0"));
    edtReferPrice = Field(QStringLiteral("参考售价"), pnl1, 460, 70, 110, QStringLiteral("0"));

    strgrdInfo = new TStringGrid(pnl1);
    strgrdInfo->setGeometry(10, 100, 608, 46);
    strgrdInfo->SetDefaultRowHeight(RowHeight);
    SetCaptions(strgrdInfo, InfoColumnsOf);
    strgrdInfo->SetRowCount(2);
    strgrdInfo->setFocusPolicy(Qt::NoFocus);
    strgrdInfo->setEnabled(false);
    strgrdInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    strgrdInfo->setAccessibleName(QStringLiteral("选中配件"));

    strgrdList = new TStringGrid(this);
    strgrdList->setGeometry(4, 204, 630, 250);
    strgrdList->SetDefaultRowHeight(RowHeight);
    strgrdList->SetRowSelect(true);
    SetCaptions(strgrdList, ListColumns);
    strgrdList->SetRowCount(2);   // one blank line under the header
    strgrdList->setAccessibleName(QStringLiteral("入库清单"));

    // Over the chosen part and the upper part of the lines, shown while there are matches.
    dbgrdFind = new TFindGrid(this);
    dbgrdFind->setGeometry(14, 144, 610, 200);
    dbgrdFind->SetDefaultRowHeight(RowHeight);
    SetCaptions(dbgrdFind, FindColumns);
    dbgrdFind->setAccessibleName(QStringLiteral("查询结果"));

    QWidget::setTabOrder(dtbStorage, pnl1);
    QWidget::setTabOrder(edtFind, edtInCount);
    QWidget::setTabOrder(edtInCount, edtInPrice);
    QWidget::setTabOrder(edtInPrice, edtReferPrice);
    QWidget::setTabOrder(edtReferPrice, dbgrdFind);
    QWidget::setTabOrder(dbgrdFind, strgrdList);
}

int TfrmStorage::FindRowsShown() const
{
    return dbgrdFind->VisibleRows();
}

// ---- Opening a bill ------------------------------------------------------------------------

void TfrmStorage::ShowStartingNames()
{
    // The lookups start at ID 1; the user sees whose name that is before it is stored, and an
    // empty field where there is no such record (the save then refuses it).
    trpSupplier->SetText(LookupName(trpSupplier));
    trpBuyer->SetText(LookupName(trpBuyer));
}

void TfrmStorage::OpenBill(qint64 billNo)
{
    const TFbResult r = Pool->Execute(QStringLiteral("SELECT * FROM V_STORAGE WHERE BILL_NO = ? ORDER BY ID"),
                                      {TFbValue::FromInt(billNo)});
    if (r.RowCount() == 0)
        return;   // gone meanwhile: a new bill
    FBillNo = billNo;
    auto text = [&r](int row, const char* name) {
        const int c = r.ColumnIndex(QLatin1String(name));
        return c < 0 ? QString() : r.At(row, c).AsString();
    };
    trpSupplier->SetText(text(0, "SUPPLIER_NAME"));
    trpBuyer->SetText(text(0, "BUYER_NAME"));
    static const char* const fields[LineColumns] = {"COMMODITY_ID", "COMMODITY_NAME", "IN_COUNT",     "IN_PRICE",
                                                    "REFER_PRICE",  "UNIT_NAME",      "STANDARD_NAME"};
    strgrdList->SetRowCount(r.RowCount() + 1);
    for (int row = 0; row < r.RowCount(); ++row)
        for (int c = 0; c < LineColumns; ++c)
            strgrdList->SetCells(c, row + 1, text(row, fields[c]));
    MakeReadOnly();
}

void TfrmStorage::MakeReadOnly()
{
    // A saved bill is shown as it was saved: saving it again would only make a copy under a new
    // number, so nothing of it can be changed.
    FReadOnly = true;
    dtbStorage->SetEnableds(OptionBit(opClose));
    for (QWidget* w :
         std::initializer_list<QWidget*>{edtFind, edtInCount, edtInPrice, edtReferPrice, trpSupplier, trpBuyer})
        w->setEnabled(false);
}

// ---- The search ----------------------------------------------------------------------------

void TfrmStorage::edtFindChange()
{
    if (FReadOnly)
        return;
    if (!FSearch) {
        FSearch = std::make_unique<TPartSearch>(*Pool, TPartSource::Commodity);
        QStringList fields;
        for (const TFindColumn& c : FindColumns)
            fields << QString::fromLatin1(c.Field);
        dbgrdFind->SetSearch(FSearch.get(), fields);
    }
    dbgrdFind->Find(edtFind->text());
}

void TfrmStorage::FetchMoreFound()
{
    dbgrdFind->FetchMore();
}

void TfrmStorage::HideFind()
{
    if (!dbgrdFind->isHidden())
        dbgrdFind->hide();
}

void TfrmStorage::dbgrdFindDblClick(int row)
{
    if (row < 1 || row >= dbgrdFind->RowCount() || dbgrdFind->Cells(FindId, row).isEmpty())
        return;
    strgrdInfo->SetCells(InfoId, 1, dbgrdFind->Cells(FindId, row));
    strgrdInfo->SetCells(InfoName, 1, dbgrdFind->Cells(FindName, row));
    strgrdInfo->SetCells(InfoUnit, 1, dbgrdFind->Cells(FindUnit, row));
    strgrdInfo->SetCells(InfoStandard, 1, dbgrdFind->Cells(FindStandard, row));
    HideFind();
}

// ---- The lines -----------------------------------------------------------------------------

bool TfrmStorage::LineEmpty(int row) const
{
    return strgrdList->Cells(LineId, row).trimmed().isEmpty();
}

void TfrmStorage::strgrdListClick(int row)
{
    if (FReadOnly)
        return;
    if (row >= 1 && !LineEmpty(1))
        dtbStorage->SetEnableds(dtbStorage->Enableds() | OptionBit(opEdit) | OptionBit(opDelete));
}

void TfrmStorage::AddToList()
{
    if (FReadOnly)
        return;
    struct TCheck {
        TLabeledEdit* Edit;
        QString (*Problem)(const QString&);
    };
    for (const TCheck& check :
         {TCheck{edtInCount, &CountProblem}, TCheck{edtInPrice, &PriceProblem}, TCheck{edtReferPrice, &PriceProblem}}) {
        const QString wrong = check.Problem(check.Edit->text());
        if (!wrong.isEmpty()) {
            ShowMsg(wrong, Texts::CaptionWarning, TMsgIcon::Warning);
            check.Edit->setFocus();
            check.Edit->selectAll();
            return;
        }
    }
    if (strgrdInfo->Cells(InfoId, 1).trimmed().isEmpty()) {
        ShowMsg(NoPartChosen, Texts::CaptionWarning, TMsgIcon::Warning);
        edtFind->setFocus();
        return;
    }

    int target = FEditingLine;
    if (target < 1 || target >= strgrdList->RowCount()) {
        target = strgrdList->RowCount() - 1;
        if (target < 1 || !LineEmpty(target)) {
            target = strgrdList->RowCount();
            strgrdList->SetRowCount(target + 1);
        }
    }
    FEditingLine = 0;
    strgrdList->SetCells(LineId, target, strgrdInfo->Cells(InfoId, 1));
    strgrdList->SetCells(LineName, target, strgrdInfo->Cells(InfoName, 1));
    strgrdList->SetCells(LineCount, target, edtInCount->text().trimmed());
    strgrdList->SetCells(LineInPrice, target, edtInPrice->text().trimmed());
    strgrdList->SetCells(LineReferPrice, target, edtReferPrice->text().trimmed());
    strgrdList->SetCells(LineUnit, target, strgrdInfo->Cells(InfoUnit, 1));
    strgrdList->SetCells(LineStandard, target, strgrdInfo->Cells(InfoStandard, 1));

    strgrdInfo->ClearRow(1);
    HideFind();
    dtbStorage->SetEnableds(dtbStorage->Enableds() | OptionBit(opSave));
}

void TfrmStorage::TakeLineBack()
{
    if (FReadOnly)
        return;
    const int row = strgrdList->Row();
    if (row < 1 || LineEmpty(row))
        return;
    // The line itself is remembered, not "the selected one when it comes back": a click on
    // another line meanwhile must not have that line overwritten.
    FEditingLine = row;
    strgrdInfo->SetCells(InfoId, 1, strgrdList->Cells(LineId, row));
    strgrdInfo->SetCells(InfoName, 1, strgrdList->Cells(LineName, row));
    strgrdInfo->SetCells(InfoUnit, 1, strgrdList->Cells(LineUnit, row));
    strgrdInfo->SetCells(InfoStandard, 1, strgrdList->Cells(LineStandard, row));
    edtInCount->setText(strgrdList->Cells(LineCount, row));
    edtInPrice->setText(strgrdList->Cells(LineInPrice, row));
    edtReferPrice->setText(strgrdList->Cells(LineReferPrice, row));
}

void TfrmStorage::DeleteLine()
{
    if (FReadOnly)
        return;
    const int row = strgrdList->Row();
    if (!DeleteGridRow(strgrdList))
        return;
    if (FEditingLine == row) {
        // The line being corrected is gone: it does not come back with the next 加入.
        FEditingLine = 0;
        strgrdInfo->ClearRow(1);
    } else if (FEditingLine > row) {
        --FEditingLine;
    }
    if (strgrdList->RowCount() == 1) {
        strgrdList->SetRowCount(2);   // an empty list shows its blank line
        dtbStorage->SetEnableds(dtbStorage->Enableds() & ~(OptionBit(opEdit) | OptionBit(opDelete)));
    }
}

// ---- Saving --------------------------------------------------------------------------------

bool TfrmStorage::Save()
{
    if (FReadOnly)
        return false;
    TStorageBill bill;
    for (int row = 1; row < strgrdList->RowCount(); ++row) {
        if (LineEmpty(row))
            continue;
        TStorageLine line;
        line.CommodityId = strgrdList->Cells(LineId, row).trimmed().toLongLong();
        line.Count = strgrdList->Cells(LineCount, row);
        line.InPrice = strgrdList->Cells(LineInPrice, row);
        line.ReferPrice = strgrdList->Cells(LineReferPrice, row);
        bill.Lines.push_back(line);
    }
    if (bill.Lines.isEmpty()) {
        ShowMsg(NoLines, Texts::CaptionWarning, TMsgIcon::Warning);
        return false;
    }
    bill.SupplierId = trpSupplier->ID().trimmed().toLongLong();
    bill.BuyerId = trpBuyer->ID().trimmed().toLongLong();
    bill.OperatorId = Symbol.User.ID.trimmed().toLongLong();
    try {
        SaveStorageBill(*Pool, bill);
    } catch (const TBillRefused& e) {
        ShowMsg(e.Text(), Texts::CaptionWarning, TMsgIcon::Warning);
        return false;
    }
    return true;
}

void TfrmStorage::dtbStorageClick()
{
    switch (dtbStorage->Option()) {
    case opSave: {
        // The toolbar has just disabled 保存; a refused save (or a database error on its way to
        // the general error display) gives it back, with every line kept.
        TSaveAgain again(dtbStorage);
        const bool saved = Save();
        if (saved || FReadOnly)
            again.Done();   // an opened bill never saves
        if (saved)
            accept();
        break;
    }
    case opEdit: TakeLineBack(); break;
    case opDelete: DeleteLine(); break;
    case opAddToList: AddToList(); break;
    default: break;
    }
}

void TfrmStorage::GiveBackLookups()
{
    if (!Pool)
        return;
    for (TTriple* t : {trpSupplier, trpBuyer}) {
        if (t && t->DataSet()) {
            Pool->FreeDataSet(t->DataSet());
            t->SetDataSet(nullptr);
        }
    }
}

bool TfrmStorage::eventFilter(QObject* watched, QEvent* e)
{
    // Back in the search box after choosing, the matches of its text show again: the next part
    // of the same search needs no retyping.
    if (e->type() == QEvent::FocusIn && watched == edtFind && dbgrdFind->isHidden() && !edtFind->text().isEmpty()
        && !FReadOnly)
        RunGuarded([this] { edtFindChange(); });
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        const bool enter = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
        // Enter on a match chooses it, as a double click does, so the keyboard alone will do.
        if (enter && watched == dbgrdFind && dbgrdFind->isVisible() && dbgrdFind->Row() > 0) {
            RunGuarded([this] { dbgrdFind->ChooseCurrent(); });
            edtInCount->setFocus();
            return true;
        }
        if (enter) {
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

void OpenStorage(int mode, TData* list)
{
    qint64 billNo = 0;
    // From the bill list: its current record's ID is the bill number.
    if (mode == ModeEdit && dynamic_cast<TStorage*>(list))
        billNo = list->GetFieldText(QStringLiteral("ID")).trimmed().toLongLong();
    TfrmStorage frm(billNo, QApplication::activeWindow());
    frm.exec();
}
