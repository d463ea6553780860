#include "Dic.h"

#include "Application.h"
#include "ConPool.h"
#include "DataTool.h"
#include "GlobalHead.h"
#include "LabeledEdit.h"
#include "Product.h"
#include "StringGrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QTreeWidget>

const QString TfrmDic::NoDictionary = QStringLiteral("请先在左边选择一个字典，再新增。");

namespace {

constexpr int RowHeight = 16;
constexpr int IdLength = 16;

// A row the database has not stored yet shows the ID "0" (or none, the empty row).
bool IsUnstoredId(const QString& id)
{
    const QString t = id.trimmed();
    return t.isEmpty() || t == QLatin1String("0");
}

}   // namespace

// ---- TfrmDicUpdate --------------------------------------------------------------------

TfrmDicUpdate::TfrmDicUpdate(const QString& id, const QString& name, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(QStringLiteral("数据更新"));
    setFont(SongFont(14));
    setFixedSize(230, 200);

    dtbDicUpdate = new TDataToolBar(this);
    dtbDicUpdate->SetOptions(OptionBit(opSave) | OptionBit(opClose));
    dtbDicUpdate->SetEnableds(OptionBit(opSave) | OptionBit(opClose));

    edtID = new TLabeledEdit(QStringLiteral("编号"), this);
    edtID->SetBounds(60, 70, 150, 22);
    edtID->setMaxLength(IdLength);
    edtID->setText(QStringLiteral("0"));
    edtID->setReadOnly(true);
    edtID->setEnabled(false);
    if (!id.isEmpty())
        edtID->setText(id);

    edtContent = new TLabeledEdit(QStringLiteral("内容"), this);
    edtContent->SetBounds(60, 120, 150, 22);
    edtContent->setMaxLength(32);
    edtContent->setText(name);

    connect(dtbDicUpdate, &TDataToolBar::OnClick, this, Guarded(this, &TfrmDicUpdate::dtbDicUpdateClick));
    edtContent->setFocus();
}

void TfrmDicUpdate::dtbDicUpdateClick()
{
    // 关闭 is the toolbar's own: it asks, then closes without handing anything back.
    if (dtbDicUpdate->Option() == opSave)
        accept();
}

bool TfrmDicUpdate::Edit(QString& id, QString& name, QWidget* parent)
{
    TfrmDicUpdate frm(id, name, parent);
    if (frm.exec() != QDialog::Accepted)
        return false;
    id = frm.edtID->text();
    name = frm.edtContent->text();
    return true;
}

// ---- TfrmDic --------------------------------------------------------------------------

TfrmDic::TfrmDic(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("数据字典"));
    setFont(SongFont(14));
    setFixedSize(419, 333);

    dtbDictionary = new TDataToolBar(this);
    dtbDictionary->SetEnableds(OptionBit(opSave) | OptionBit(opNew) | OptionBit(opClose));

    tvDictionary = new QTreeWidget(this);
    tvDictionary->setGeometry(8, 48, 141, 277);
    tvDictionary->setHeaderHidden(true);
    tvDictionary->setColumnCount(1);
    tvDictionary->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvDictionary->setRootIsDecorated(false);

    strgrdDictionary = new TStringGrid(this);
    strgrdDictionary->setGeometry(165, 48, 246, 277);
    strgrdDictionary->SetDefaultRowHeight(RowHeight);
    strgrdDictionary->SetRowSelect(true);
    strgrdDictionary->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    strgrdDictionary->horizontalHeader()->setSectionsClickable(true);
    strgrdDictionary->SetColCount(3);
    strgrdDictionary->SetRowCount(2);
    FGrid.SetWidth(strgrdDictionary->width());

    if (Pool) {
        FDataSet = Pool->GetDataSet();
        FQuery = Pool->GetQuery();
    }
    FDic.SetDataSet(FDataSet);
    FDic.SetQuery(FQuery);

    connect(tvDictionary, &QTreeWidget::itemClicked, this, Guarded([this](QTreeWidgetItem*, int) { tvDictionaryClick(); }));
    connect(strgrdDictionary, &TStringGrid::CellClicked, this,
            Guarded([this](int, int row) { strgrdDictionaryClick(row); }));
    // A click on the header row is a click on row 0.
    connect(strgrdDictionary->horizontalHeader(), &QHeaderView::sectionClicked, this, Guarded([this](int) {
                strgrdDictionary->SetRow(0);
                strgrdDictionaryClick(0);
            }));
    connect(dtbDictionary, &TDataToolBar::OnClick, this, Guarded(this, &TfrmDic::dtbDictionaryClick));
}

TfrmDic::~TfrmDic()
{
    if (Pool) {
        if (FDataSet)
            Pool->FreeDataSet(FDataSet);
        if (FQuery)
            Pool->FreeQuery(FQuery);
    }
}

void TfrmDic::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    RunGuarded([this] {
        if (tvDictionary->topLevelItemCount() > 0)
            return;   // shown again after a minimise: the tree stays as the user left it
        tvDictionary->clear();
        for (const QString& name : FDic.ListNames())
            tvDictionary->addTopLevelItem(new QTreeWidgetItem(QStringList{name}));
    });
}

void TfrmDic::Enable(TOption o, bool on)
{
    TOptions e = dtbDictionary->Enableds();
    if (on)
        e |= OptionBit(o);
    else
        e &= ~OptionBit(o);
    dtbDictionary->SetEnableds(e);
}

void TfrmDic::ShowGrid(bool widths)
{
    TStringGrid* g = strgrdDictionary;
    g->SetColCount(qMax(3, FGrid.ColCount()));
    g->SetRowCount(qMax(2, FGrid.RowCount()));
    for (int row = 0; row < g->RowCount(); ++row)
        for (int col = 0; col < g->ColCount(); ++col)
            if (g->Cells(col, row) != FGrid.Cell(col, row))
                g->SetCells(col, row, FGrid.Cell(col, row));
    if (widths)
        for (int col = 0; col < FGrid.ColCount(); ++col)
            g->SetColWidth(col, FGrid.ColWidth(col));
}

void TfrmDic::tvDictionaryClick()
{
    QTreeWidgetItem* node = tvDictionary->currentItem();
    if (!node)
        return;
    // Until the load has succeeded the grid belongs to no dictionary: a failed load must not
    // leave the previous dictionary's marks to be saved into this one.
    FLoaded = -1;
    FGrid = TDicGrid();
    FGrid.SetWidth(strgrdDictionary->width());
    ShowGrid(false);
    TDicGrid grid;
    grid.SetWidth(strgrdDictionary->width());
    FDic.LoadDictionary(node->text(0), grid);
    FGrid = grid;
    FLoaded = tvDictionary->indexOfTopLevelItem(node);
    ShowGrid(true);
}

void TfrmDic::strgrdDictionaryClick(int row)
{
    const bool data = IsDataRow(row);
    Enable(opEdit, data);
    Enable(opDelete, data);
}

void TfrmDic::dtbDictionaryClick()
{
    switch (dtbDictionary->Option()) {
    case opNew: NewEntry(); break;
    case opEdit: EditEntry(); break;
    case opDelete: DeleteEntry(); break;
    case opSave: {
        // The toolbar has just disabled 保存; a save stopped by a database error gives it back,
        // with the unsaved marks still in the grid.
        TSaveAgain again(dtbDictionary);
        Save();
        again.Done();
        break;
    }
    default: break;
    }
}

void TfrmDic::NewEntry()
{
    if (FLoaded < 0) {
        dtbDictionary->SetEnableds(dtbDictionary->Enableds() | OptionBit(opNew));
        ShowMsg(NoDictionary, Texts::CaptionInfo, TMsgIcon::Information);
        return;
    }
    QString id, name;
    if (!TfrmDicUpdate::Edit(id, name, this) || name.isEmpty())
        return;
    if (!FGrid.Cell(TDictionary::ColID, FGrid.RowCount() - 1).isEmpty())
        FGrid.SetRowCount(FGrid.RowCount() + 1);
    const int row = FGrid.RowCount() - 1;
    FGrid.SetCell(TDictionary::ColID, row, id);
    FGrid.SetCell(TDictionary::ColName, row, name);
    FGrid.SetCell(TDictionary::ColMark, row, DicMark::Add);
    ShowGrid(false);
}

void TfrmDic::EditEntry()
{
    const int row = strgrdDictionary->Row();
    if (FLoaded < 0 || !IsDataRow(row))
        return;
    QString id = FGrid.Cell(TDictionary::ColID, row);
    const QString oldName = FGrid.Cell(TDictionary::ColName, row);
    QString name = oldName;
    if (!TfrmDicUpdate::Edit(id, name, this) || !TDictionary::IsChangedName(oldName, name))
        return;
    FGrid.SetCell(TDictionary::ColID, row, id);
    FGrid.SetCell(TDictionary::ColName, row, name);
    // A row not stored yet is still a new entry under its new name: as a change of ID 0 it
    // could never be saved.
    FGrid.SetCell(TDictionary::ColMark, row, IsUnstoredId(id) ? DicMark::Add : DicMark::Change);
    Enable(opEdit, false);
    ShowGrid(false);
}

void TfrmDic::DeleteEntry()
{
    const int row = strgrdDictionary->Row();
    if (!IsDataRow(row))
        return;
    FGrid.SetCell(TDictionary::ColMark, row, DicMark::Remove);
    Enable(opDelete, false);
    ShowGrid(false);
}

void TfrmDic::Save()
{
    if (!tvDictionary->currentItem() || FLoaded < 0)
        return;
    FDic.SetDicIndex(FLoaded);
    const TDicSaveReport report = FDic.ApplyChanges(FGrid);
    ShowGrid(false);
    if (!report.Refusals.isEmpty())
        ShowMsg(QStringLiteral("以下标记为“失败”的数据没有保存：\n%1").arg(report.Refusals.join(QLatin1Char('\n'))),
                Texts::CaptionWarning, TMsgIcon::Warning);
    if (report.Stopped()) {
        ShowMsg(QStringLiteral("保存没有完成，还带有标记的数据没有保存：%1").arg(report.Error), Texts::CaptionError,
                TMsgIcon::Error, report.ErrorDetail);
        Enable(opSave, true);
    }
}

void OpenDic(int mode, TData* list)
{
    TfrmDic frm(QApplication::activeWindow());
    frm.exec();
}
