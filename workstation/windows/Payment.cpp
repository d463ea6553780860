#include "Payment.h"

#include "Application.h"
#include "ConPool.h"
#include "DataHead.h"
#include "DataTool.h"
#include "GlobalHead.h"
#include "LabeledEdit.h"
#include "Product.h"
#include "Sales.h"

#include <QApplication>
#include <QKeyEvent>

namespace {

void Warn(const QString& text)
{
    ShowMsg(text, Texts::CaptionWarning, TMsgIcon::Warning);
}

}   // namespace

TfrmPayment::TfrmPayment(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("结账"));
    setFont(SongFont(15));
    setFixedSize(622, 461);

    dtbPayment = new TDataToolBar(this);
    dtbPayment->SetOptions(OptionBit(opSave) | OptionBit(opClose));
    dtbPayment->SetEnableds(OptionBit(opSave) | OptionBit(opClose));
    edtCash = new TLabeledEdit(QStringLiteral("实收金额"), dtbPayment);
    edtCash->setFont(SongFont(15));   // the toolbar's own small face is for its captions
    edtCash->EditLabel()->setFont(SongFont(15));
    edtCash->SetBounds(170, 9, 140, 22);
    edtCash->setMaxLength(AmountLength);
    edtCash->setText(QStringLiteral("0"));

    fraSales = new TfraSales(this);
    fraSales->move(0, 40);

    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    connect(dtbPayment, &TDataToolBar::OnClick, this, Guarded([this](QObject*) { dtbPaymentClick(); }));
}

TfrmPayment::~TfrmPayment() = default;

void TfrmPayment::Prepare(const QString& repairId)
{
    FRepairId = repairId.trimmed();
    FFound = false;
    FPaid = false;
    bool number = false;
    const qint64 id = FRepairId.toLongLong(&number);
    TFbResult order;
    if (number && id > 0)
        order = Pool->Execute(QStringLiteral("SELECT IS_PAY, PAID FROM TB_REPAIR WHERE ID = ?"), {TFbValue::FromInt(id)});
    if (order.RowCount() == 0) {
        fraSales->SetReadOnly(true);
        edtCash->setEnabled(false);
        dtbPayment->SetEnableds(dtbPayment->Enableds() & ~OptionBit(opSave));
        Warn(QStringLiteral("维修单 %1 不存在（可能已被删除），不能结账。").arg(FRepairId));
        return;
    }
    FFound = true;
    // Settled or not is the order's own flag, not whether parts were recorded: a repair of
    // labour only is settled without any.
    FPaid = order.At(0, 0).AsInt64() != 0;
    fraSales->LoadBySalesType(FRepairId);
    if (FPaid) {
        fraSales->SetReadOnly(true);
        edtCash->setText(order.At(0, 1).AsString());
        edtCash->setEnabled(false);
        dtbPayment->SetEnableds(dtbPayment->Enableds() & ~OptionBit(opSave));
        return;
    }
    // Parts recorded for an unsettled order stay as they are (shown, not taken again); 保存
    // then settles the order without new lines.
    if (!fraSales->ReadOnly())
        fraSales->OpenStockSearch();
    edtCash->setFocus();
    edtCash->selectAll();
}

bool TfrmPayment::Save()
{
    const QString cash = edtCash->text().trimmed();
    TCheckout checkout;
    checkout.RepairId = FRepairId.toLongLong();
    checkout.Paid = cash;
    checkout.OperatorId = Symbol.User.ID.toLongLong();
    // The amount first, before anything is written; said as the line checks say it.
    QString wrong = PriceProblem(cash);
    if (!wrong.isEmpty() && wrong != NotNumberText)
        wrong = CheckCheckout(checkout);   // names the field: 实收金额
    if (!wrong.isEmpty()) {
        Warn(wrong);
        edtCash->setFocus();
        edtCash->selectAll();
        return false;
    }
    if (!fraSales->ReadOnly())
        checkout.Lines = fraSales->Lines();
    try {
        FSaved = SaveCheckout(*Pool, checkout);
    } catch (const TBillRefused& e) {
        Warn(e.Text());
        return false;
    }
    return true;
}

void TfrmPayment::dtbPaymentClick()
{
    if (dtbPayment->Option() != opSave || !FFound || FPaid)
        return;   // 保存 is off for an order that cannot be settled
    // The toolbar has just disabled 保存; a refused or failed save gives it back, the lines kept.
    TSaveAgain again(dtbPayment);
    if (!Save())
        return;
    again.Done();
    accept();
}

bool TfrmPayment::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (fraSales && fraSales->KeyPress(watched, k))
            return true;
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
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

void OpenPayment(int, TData* list)
{
    if (!list) {
        ShowMsg(QStringLiteral("请先在“送修登记”中选择要结账的维修单。"), Texts::CaptionInfo, TMsgIcon::Information);
        return;
    }
    TfrmPayment frm(QApplication::activeWindow());
    frm.Prepare(list->GetFieldText(QStringLiteral("ID")));
    frm.exec();
}
