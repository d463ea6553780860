#include "Supplier.h"

#include "Application.h"
#include "ConPool.h"
#include "DataTool.h"
#include "Entry.h"
#include "GlobalHead.h"
#include "LabeledEdit.h"
#include "Modules.h"
#include "Product.h"
#include "TesselonHead.h"
#include "clsSupplier.h"

#include <QApplication>
#include <QFrame>

TfrmSupplier::TfrmSupplier(TSupplier* list, bool edit, QWidget* parent)
    : QDialog(parent)
    , FList(list)
{
    setWindowTitle(QStringLiteral("供应商"));
    setFont(SongFont(14));
    setFixedSize(502, 344);

    dtbSupplier = new TDataToolBar(this);
    dtbSupplier->SetOptions(OptionBit(opSave) | OptionBit(opClose));
    dtbSupplier->SetEnableds(OptionBit(opSave) | OptionBit(opClose));

    pnlEmployee = new QFrame(this);
    pnlEmployee->setFrameShape(QFrame::Panel);
    pnlEmployee->setFrameShadow(QFrame::Sunken);
    pnlEmployee->setGeometry(6, 50, 490, 288);

    const int left = 84, wide = 380;
    edtSuppierName = NewEdit(QStringLiteral("单位名称"), pnlEmployee, left, 16, wide, 64);
    edtPhone = NewEdit(QStringLiteral("联系电话"), pnlEmployee, left, 60, 140, 32);
    // The column keeps 16 bytes: the field takes no more characters, and a longer Chinese
    // text is refused at the save instead of being cut.
    edtContactor = NewEdit(QStringLiteral("联系人"), pnlEmployee, 324, 60, 140, FList->MaxLengthOf("CONTACTOR"));
    edtContactor->setToolTip(QStringLiteral("最多 %1 个字节（%2 个汉字）")
                                 .arg(FList->MaxLengthOf("CONTACTOR"))
                                 .arg(FList->MaxLengthOf("CONTACTOR") / 2));
    edtMainProduct = NewEdit(QStringLiteral("主营产品"), pnlEmployee, left, 104, wide, 64);
    edtAddress = NewEdit(QStringLiteral("联系地址"), pnlEmployee, left, 148, wide, 64);
    edtMemo = NewEdit(QStringLiteral("备注"), pnlEmployee, left, 192, wide, 128);
    QWidget* order[] = {edtSuppierName, edtPhone, edtContactor, edtMainProduct, edtAddress, edtMemo};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);

    EnterMovesOn(this);
    connect(dtbSupplier, &TDataToolBar::OnClick, this, Guarded(this, &TfrmSupplier::dtbSupplierClick));

    if (edit && FList)
        FillFromRecord();
    edtSuppierName->setFocus();
}

namespace {

struct TSupplierField {
    const char* Column;
    TLabeledEdit* TfrmSupplier::*Edit;
};
// In the order the values are stored.
const TSupplierField SupplierFields[] = {{"SUPPLIER_NAME", &TfrmSupplier::edtSuppierName},
                                         {"CONTACTOR", &TfrmSupplier::edtContactor},
                                         {"MAIN_PRODUCT", &TfrmSupplier::edtMainProduct},
                                         {"PHONE", &TfrmSupplier::edtPhone},
                                         {"ADDRESS", &TfrmSupplier::edtAddress},
                                         {"MEMO", &TfrmSupplier::edtMemo}};

}   // namespace

void TfrmSupplier::FillFromRecord()
{
    FId = FList->GetFieldText(QStringLiteral("ID")).trimmed().toInt();
    for (const TSupplierField& f : SupplierFields)
        (this->*f.Edit)->setText(FList->GetFieldText(QString::fromLatin1(f.Column)));
}

bool TfrmSupplier::Save()
{
    if (IsCtrlEmpty({edtSuppierName}))
        return false;
    if (!TextsStorable({{edtSuppierName, FList->MaxLengthOf("SUPPLIER_NAME")},
                        {edtPhone, FList->MaxLengthOf("PHONE")},
                        {edtContactor, FList->MaxLengthOf("CONTACTOR")},
                        {edtMainProduct, FList->MaxLengthOf("MAIN_PRODUCT")},
                        {edtAddress, FList->MaxLengthOf("ADDRESS")},
                        {edtMemo, FList->MaxLengthOf("MEMO")}},
                       true))
        return false;
    FList->ClearValues();
    FList->SetValue(QStringLiteral("ID"), QString::number(FId));
    for (const TSupplierField& f : SupplierFields)
        FList->SetValue(QString::fromLatin1(f.Column), (this->*f.Edit)->text());
    if (!RunListSave(FList, FId)) {
        ShowMsg(EntryTexts::RecordGone, Texts::CaptionWarning, TMsgIcon::Warning);
        return false;
    }
    return true;
}

void TfrmSupplier::dtbSupplierClick()
{
    SaveAndClose(this, dtbSupplier, [this] { return Save(); });
}

void OpenSupplier(int mode, TData* list)
{
    OpenRecordWindow<TfrmSupplier, TSupplier>(mode, list, QStringLiteral("供应商"), QStringLiteral("供应商"));
}
