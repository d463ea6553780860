#include "Commodity.h"

#include "Application.h"
#include "ConPool.h"
#include "DataTool.h"
#include "Entry.h"
#include "GlobalHead.h"
#include "LabeledEdit.h"
#include "Modules.h"
#include "Product.h"
#include "TesselonHead.h"
#include "Triple.h"
#include "clsCommodity.h"

#include <QApplication>
#include <QFrame>

TfrmCommodity::TfrmCommodity(TCommodity* list, bool edit, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
    , FList(list)
{
    setWindowTitle(QStringLiteral("商品信息"));
    setFont(SongFont(15));
    setFixedSize(344, 245);

    dtbCommodity = new TDataToolBar(this);
    dtbCommodity->SetOptions(OptionBit(opSave) | OptionBit(opClose));
    dtbCommodity->SetEnableds(OptionBit(opSave) | OptionBit(opClose));

    pnl1 = new QFrame(this);
    pnl1->setFrameShape(QFrame::Panel);
    pnl1->setFrameShadow(QFrame::Sunken);
    pnl1->setGeometry(6, 50, 332, 189);

    edtCommodityName = NewEdit(QStringLiteral("商品名"), pnl1, 80, 24, 220, FList->MaxLengthOf("COMMODITY_NAME"));
    trpUnit = NewLookup(QStringLiteral("单位"), QStringLiteral("UNIT"), pnl1, 40, 72, 194, 15);
    trpStandard = NewLookup(QStringLiteral("规格"), QStringLiteral("STANDARD"), pnl1, 40, 120, 194, 15);

    connect(dtbCommodity, &TDataToolBar::OnClick, this, Guarded(this, &TfrmCommodity::dtbCommodityClick));

    if (edit && FList)
        FillFromRecord();
    else {
        ShowStartingName(trpUnit);
        ShowStartingName(trpStandard);
    }
    edtCommodityName->setFocus();
}

void TfrmCommodity::FillFromRecord()
{
    FId = FList->GetFieldText(QStringLiteral("ID")).trimmed().toInt();
    edtCommodityName->setText(FList->GetFieldText(QStringLiteral("COMMODITY_NAME")));
    trpUnit->SetText(FList->GetFieldText(QStringLiteral("UNIT_NAME")));
    trpUnit->SetID(FList->GetFieldText(QStringLiteral("UNIT_ID")));
    trpStandard->SetText(FList->GetFieldText(QStringLiteral("STANDARD_NAME")));
    trpStandard->SetID(FList->GetFieldText(QStringLiteral("STANDARD_ID")));
}

bool TfrmCommodity::Save()
{
    if (IsCtrlEmpty({edtCommodityName}))
        return false;
    if (!TextsStorable({{edtCommodityName, FList->MaxLengthOf("COMMODITY_NAME")}}, true))
        return false;
    if (!LookupStillThere(trpUnit) || !LookupStillThere(trpStandard))
        return false;
    FList->ClearValues();
    FList->SetValue(QStringLiteral("ID"), QString::number(FId));
    FList->SetValue(QStringLiteral("COMMODITY_NAME"), edtCommodityName->text());
    FList->SetKey(QStringLiteral("UNIT_NAME"), trpUnit->ID());
    FList->SetKey(QStringLiteral("STANDARD_NAME"), trpStandard->ID());
    if (!RunListSave(FList, FId)) {
        ShowMsg(EntryTexts::RecordGone, Texts::CaptionWarning, TMsgIcon::Warning);
        return false;
    }
    return true;
}

void TfrmCommodity::dtbCommodityClick()
{
    SaveAndClose(this, dtbCommodity, [this] { return Save(); });
}

void OpenCommodity(int mode, TData* list)
{
    OpenRecordWindow<TfrmCommodity, TCommodity>(mode, list, QStringLiteral("商品字典"), QStringLiteral("商品"));
}
