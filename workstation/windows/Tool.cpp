#include "Tool.h"

#include "Application.h"
#include "ConPool.h"
#include "DataTool.h"
#include "Entry.h"
#include "GlobalHead.h"
#include "LabeledEdit.h"
#include "Modules.h"
#include "Product.h"
#include "TesselonHead.h"
#include "clsTool.h"

#include <QApplication>
#include <QDateEdit>
#include <QFrame>

namespace {

const QDate PickerStart(2010, 7, 22);

}   // namespace

TfrmTool::TfrmTool(TTool* list, bool edit, QWidget* parent)
    : QDialog(parent)
    , FList(list)
{
    setWindowTitle(QStringLiteral("工具管理"));
    setFont(SongFont(14));
    setFixedSize(455, 285);

    dtbTool = new TDataToolBar(this);
    dtbTool->SetOptions(OptionBit(opSave) | OptionBit(opClose));
    dtbTool->SetEnableds(OptionBit(opSave) | OptionBit(opClose));
    dtbTool->setFixedHeight(42);

    pnl1 = new QFrame(this);
    pnl1->setFrameShape(QFrame::Panel);
    pnl1->setFrameShadow(QFrame::Sunken);
    pnl1->setGeometry(6, 48, 443, 231);

    const int left = 84, right = 296, narrow = 130;
    edtToolName = NewEdit(QStringLiteral("工具名称"), pnl1, left, 16, narrow, FList->MaxLengthOf("TOOL_NAME"));
    edtToolCount = NewEdit(QStringLiteral("数量"), pnl1, right, 16, narrow, 0);
    dtpBuyDate = NewDatePicker(QStringLiteral("购买日期"), pnl1, left, 58, narrow, PickerStart);
    dtpCheckDate = NewDatePicker(QStringLiteral("最近送检"), pnl1, right, 58, narrow, PickerStart);
    edtManufacturer = NewEdit(QStringLiteral("生产厂家"), pnl1, left, 100, narrow, 64);
    edtAfterMarketPhone = NewEdit(QStringLiteral("售后电话"), pnl1, right, 100, narrow, 32);
    edtMemo = NewEdit(QStringLiteral("备注"), pnl1, left, 142, 342, 128);
    QWidget* order[] = {edtToolName, edtToolCount, dtpBuyDate, dtpCheckDate, edtManufacturer, edtAfterMarketPhone,
                        edtMemo};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);

    connect(dtbTool, &TDataToolBar::OnClick, this, Guarded(this, &TfrmTool::dtbToolClick));

    if (edit && FList)
        FillFromRecord();
    edtToolName->setFocus();
}

void TfrmTool::FillFromRecord()
{
    const auto text = [this](const char* field) { return FList->GetFieldText(QString::fromLatin1(field)); };
    FId = text("ID").trimmed().toInt();
    edtToolName->setText(text("TOOL_NAME"));
    edtToolCount->setText(text("TOOL_COUNT"));
    // A date never stored (or no date at all) shows as 1900-01-01.
    dtpBuyDate->setDate(StoredDate(text("BUY_DATE")));
    dtpCheckDate->setDate(StoredDate(text("CHECK_DATE")));
    edtManufacturer->setText(text("MANUFACTURER"));
    edtAfterMarketPhone->setText(text("AFTERMARKET_PHONE"));
    edtMemo->setText(text("MEMO"));
}

bool TfrmTool::CountValid()
{
    // The list keeps the count as a text of at most its column's length: anything else would
    // be cut or read as 0 without a word.
    const int digits = FList->MaxLengthOf("TOOL_COUNT");
    const QString t = edtToolCount->text().trimmed();
    bool number = t.isEmpty();
    if (!number && t.size() <= digits)
        number = std::all_of(t.begin(), t.end(), [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
    if (number)
        return true;
    ShowMsg(EntryTexts::NotWhole.arg(edtToolCount->Caption(), QString(digits, QLatin1Char('9'))),
            Texts::CaptionWarning, TMsgIcon::Warning);
    edtToolCount->setFocus();
    edtToolCount->selectAll();
    return false;
}

bool TfrmTool::Save()
{
    if (IsCtrlEmpty({edtToolName}))
        return false;
    if (!TextsStorable({{edtToolName, FList->MaxLengthOf("TOOL_NAME")},
                        {edtManufacturer, FList->MaxLengthOf("MANUFACTURER")},
                        {edtAfterMarketPhone, FList->MaxLengthOf("AFTERMARKET_PHONE")},
                        {edtMemo, FList->MaxLengthOf("MEMO")}},
                       true))
        return false;
    if (!CountValid())
        return false;
    FList->ClearValues();
    FList->SetValue(QStringLiteral("ID"), QString::number(FId));
    FList->SetValue(QStringLiteral("TOOL_NAME"), edtToolName->text());
    FList->SetValue(QStringLiteral("TOOL_COUNT"), edtToolCount->text().trimmed());
    FList->SetValue(QStringLiteral("BUY_DATE"), ShortDateText(dtpBuyDate->date()));
    FList->SetValue(QStringLiteral("CHECK_DATE"), ShortDateText(dtpCheckDate->date()));
    FList->SetValue(QStringLiteral("MANUFACTURER"), edtManufacturer->text());
    FList->SetValue(QStringLiteral("AFTERMARKET_PHONE"), edtAfterMarketPhone->text());
    FList->SetValue(QStringLiteral("MEMO"), edtMemo->text());
    if (!RunListSave(FList, FId)) {
        ShowMsg(EntryTexts::RecordGone, Texts::CaptionWarning, TMsgIcon::Warning);
        return false;
    }
    return true;
}

void TfrmTool::dtbToolClick()
{
    SaveAndClose(this, dtbTool, [this] { return Save(); });
}

void OpenTool(int mode, TData* list)
{
    OpenRecordWindow<TfrmTool, TTool>(mode, list, QStringLiteral("工具管理"), QStringLiteral("工具"));
}
