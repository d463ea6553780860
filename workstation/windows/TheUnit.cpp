#include "TheUnit.h"

#include "Application.h"
#include "ConPool.h"
#include "DataTool.h"
#include "Entry.h"
#include "GlobalHead.h"
#include "LabeledEdit.h"
#include "Product.h"
#include "Session.h"

#include <QApplication>
#include <QFrame>

namespace {

TLabeledEdit* Field(const QString& caption, QWidget* parent, int y, int maxBytes)
{
    auto* e = new TLabeledEdit(caption, parent);
    e->SetBounds(76, y, 216, 22);
    // No more characters than the column has bytes; the byte count itself is checked on save,
    // where the user is told rather than the text being cut.
    e->setMaxLength(maxBytes);
    return e;
}

}   // namespace

TfrmTheUnit::TfrmTheUnit(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("本单位"));
    setFont(SongFont(14));
    setFixedSize(316, 213);

    dtbTheUnit = new TDataToolBar(this);
    dtbTheUnit->SetOptions(OptionBit(opSave) | OptionBit(opClose));
    dtbTheUnit->SetEnableds(OptionBit(opSave) | OptionBit(opClose));

    pnlTheUnit = new QFrame(this);
    pnlTheUnit->setFrameShape(QFrame::Panel);
    pnlTheUnit->setFrameShadow(QFrame::Sunken);
    pnlTheUnit->setGeometry(6, 50, 304, 157);

    edtName = Field(QStringLiteral("单位名称"), pnlTheUnit, 14, TheUnitNameBytes);
    edtPerInChar = Field(QStringLiteral("负责人"), pnlTheUnit, 49, PerInCharBytes);
    edtPhone = Field(QStringLiteral("联系电话"), pnlTheUnit, 84, TheUnitPhoneBytes);
    edtAddress = Field(QStringLiteral("联系地址"), pnlTheUnit, 119, TheUnitAddressBytes);
    QWidget::setTabOrder(edtName, edtPerInChar);
    QWidget::setTabOrder(edtPerInChar, edtPhone);
    QWidget::setTabOrder(edtPhone, edtAddress);

    const TTheUnit unit = ReadTheUnit(*Pool);
    edtName->setText(unit.TheUnitName);
    edtPerInChar->setText(unit.PerInChar);
    edtPhone->setText(unit.Phone);
    edtAddress->setText(unit.Address);

    connect(dtbTheUnit, &TDataToolBar::OnClick, this, Guarded(this, &TfrmTheUnit::dtbTheUnitClick));
    // The window stays open after a save: a correction typed afterwards can be saved too, and
    // closing with it unsaved asks first.
    for (TLabeledEdit* e : {edtName, edtPerInChar, edtPhone, edtAddress})
        connect(e, &QLineEdit::textEdited, this, [this] {
            if (!HasOption(dtbTheUnit->Enableds(), opSave))
                dtbTheUnit->SetEnableds(dtbTheUnit->Enableds() | OptionBit(opSave));
        });
    edtName->setFocus();
}

bool TfrmTheUnit::Save()
{
    if (!TextsStorable({{edtName, TheUnitNameBytes},
                        {edtPerInChar, PerInCharBytes},
                        {edtPhone, TheUnitPhoneBytes},
                        {edtAddress, TheUnitAddressBytes}},
                       false))
        return false;
    TTheUnit unit;
    unit.TheUnitName = edtName->text();
    unit.PerInChar = edtPerInChar->text();
    unit.Phone = edtPhone->text();
    unit.Address = edtAddress->text();
    SaveTheUnit(*Pool, unit);
    // The next ticket prints what was just saved, not what the program started with.
    // Set before the reading too, so that a failed reading still leaves what was saved.
    Symbol.TheUnit = unit;
    Symbol.TheUnit = ReadTheUnit(*Pool);
    return true;
}

void TfrmTheUnit::dtbTheUnitClick()
{
    if (dtbTheUnit->Option() != opSave)
        return;
    // The toolbar has just disabled 保存; a refused save gives it back, so that nothing typed
    // is lost and closing still asks.
    TSaveAgain again(dtbTheUnit);
    if (!Save())
        return;
    again.Done();
    ShowMsg(Texts::RecordSaved, Texts::CaptionInfo, TMsgIcon::Information);
}

void OpenTheUnit(int, TData*)
{
    TfrmTheUnit frm(QApplication::activeWindow());
    frm.exec();
}
