#include "Right.h"

#include "Application.h"
#include "ConPool.h"
#include "DataTool.h"
#include "Functions.h"
#include "GlobalHead.h"
#include "Product.h"
#include "StringGrid.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>

const QColor TfrmRight::Granted = QColor(192, 220, 192);

namespace {

// The tree's employee nodes carry the employee's ID: two employees of one name stay apart.
constexpr int IdRole = Qt::UserRole + 1;

struct TWaitCursor {
    TWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
};

}   // namespace

TfrmRight::TfrmRight(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("权限管理"));
    setFont(SongFont(14));
    setFixedSize(608, 384);

    dtbRight = new TDataToolBar(this);
    dtbRight->SetOptions(OptionBit(opSave) | OptionBit(opClose));
    dtbRight->SetEnableds(OptionBit(opSave) | OptionBit(opClose));
    dtbRight->setFixedHeight(40);
    lbl1 = new QLabel(QStringLiteral("双击单元格修改权限，0表示禁止，1表示可用"), dtbRight);
    lbl1->setGeometry(100, 12, 400, 18);

    tvEmployee = new QTreeWidget(this);
    tvEmployee->setGeometry(8, 46, 154, 331);
    tvEmployee->setHeaderHidden(true);
    tvEmployee->setColumnCount(1);
    tvEmployee->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvEmployee->setAccessibleName(QStringLiteral("员工"));

    strgrdRight = new TStringGrid(this);
    strgrdRight->setGeometry(170, 46, 430, 330);
    strgrdRight->SetDefaultRowHeight(22);
    strgrdRight->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    strgrdRight->setToolTip(QStringLiteral("双击修改权限"));
    strgrdRight->setAccessibleName(QStringLiteral("权限"));
    ResetGrid();

    connect(tvEmployee, &QTreeWidget::itemClicked, this,
            Guarded([this](QTreeWidgetItem* node, int) { tvEmployeeClick(node); }));
    connect(strgrdRight, &TStringGrid::CellDoubleClicked, this,
            Guarded([this](int col, int row) { strgrdRightDblClick(col, row); }));
    connect(dtbRight, &TDataToolBar::OnClick, this, Guarded(this, &TfrmRight::dtbRightClick));

    if (Pool && Pool->Connected())
        LoadTree();
}

void TfrmRight::ResetGrid()
{
    static const struct {
        const char* Caption;
        int Width;
    } columns[colCount] = {{"编号", 50}, {"操作类型", 80}, {"功能名称", 80}, {"浏览", 50},
                           {"新增", 50}, {"修改", 50},     {"删除", 50}};
    strgrdRight->SetColCount(colCount);
    strgrdRight->SetRowCount(2);
    strgrdRight->ClearRow(1);
    for (int c = 0; c < colCount; ++c) {
        strgrdRight->SetCells(c, 0, QString::fromUtf8(columns[c].Caption));
        strgrdRight->SetColWidth(c, columns[c].Width);
        ShowFlag(c, 1);
    }
}

void TfrmRight::LoadTree()
{
    const TWaitCursor wait;
    ResetGrid();
    tvEmployee->clear();
    FUserId.clear();
    for (const TRightDepartment& d : LoadRightTree(*Pool)) {
        auto* top = new QTreeWidgetItem(tvEmployee, QStringList{d.Name});
        for (const TRightEmployee& e : d.Employees) {
            auto* node = new QTreeWidgetItem(top, QStringList{e.Name});
            node->setData(0, IdRole, e.ID);
        }
    }
    tvEmployee->expandAll();
}

void TfrmRight::tvEmployeeClick(QTreeWidgetItem* node)
{
    if (!node || !node->parent())
        return;   // a department
    const QString id = node->data(0, IdRole).toString();
    const QVector<TRightRow> rows = LoadEmployeeRights(*Pool, id, FunctionNames());
    FUserId = id;
    strgrdRight->SetRowCount(qMax(2, int(rows.size()) + 1));
    strgrdRight->ClearRow(1);
    for (int r = 0; r < rows.size(); ++r) {
        const TRightRow& row = rows[r];
        const QString cells[colCount] = {row.ID,     row.ObjectType, row.FunctionName, row.IsRead,
                                         row.IsAppend, row.IsAlter,   row.IsDelete};
        for (int c = 0; c < colCount; ++c) {
            strgrdRight->SetCells(c, r + 1, cells[c]);
            ShowFlag(c, r + 1);
        }
    }
}

void TfrmRight::ShowFlag(int col, int row)
{
    QTableWidgetItem* item = strgrdRight->item(row - 1, col);
    if (!item)
        return;
    const bool on = col != colID && item->text() == QLatin1String("1");
    item->setBackground(on ? QBrush(Granted) : QBrush());
}

void TfrmRight::strgrdRightDblClick(int col, int row)
{
    if (col < colRead || col > colDelete || row < 1 || row >= strgrdRight->RowCount())
        return;
    const QString t = strgrdRight->Cells(col, row);
    if (t == QLatin1String("0"))
        strgrdRight->SetCells(col, row, QStringLiteral("1"));
    else if (t == QLatin1String("1"))
        strgrdRight->SetCells(col, row, QStringLiteral("0"));
    ShowFlag(col, row);
    // A change waits for its save; closing before asks.
    dtbRight->SetEnableds(dtbRight->Enableds() | OptionBit(opSave));
}

bool TfrmRight::Save()
{
    const TWaitCursor wait;
    QVector<TRightRow> rows;
    if (!FUserId.isEmpty()) {
        for (int r = 1; r < strgrdRight->RowCount(); ++r) {
            const auto cell = [this, r](int c) { return strgrdRight->Cells(c, r); };
            rows.append({cell(colID), cell(colObjectType), cell(colFunction), cell(colRead), cell(colAppend),
                         cell(colAlter), cell(colDelete)});
        }
    }
    const TRightSaveReport report = SaveEmployeeRights(*Pool, FUserId, rows);
    if (!report.Ok()) {
        ShowMsg(report.Error, Texts::CaptionWarning, TMsgIcon::Warning, report.ErrorDetail);
        return false;
    }
    ShowMsg(Texts::OperationOk, Texts::CaptionInfo, TMsgIcon::Information);
    return true;
}

void TfrmRight::dtbRightClick()
{
    if (dtbRight->Option() != opSave)
        return;
    // A refused save can be tried again; after a save the next change (of this employee or
    // the next one) gives 保存 back, so one visit serves every employee.
    TSaveAgain again(dtbRight);
    if (Save())
        again.Done();
}

void OpenRight(int, TData*)
{
    // Only the administrator reaches the menu item; a stray call from elsewhere is refused.
    if (Symbol.User.UserName.compare(Texts::Administrator, Qt::CaseInsensitive) != 0) {
        ShowMsg(FunctionTexts::NoRight, Texts::CaptionWarning, TMsgIcon::Warning);
        return;
    }
    TfrmRight frm(QApplication::activeWindow());
    frm.exec();
}
