#include "Repair.h"

#include "Application.h"
#include "ConPool.h"
#include "DataHead.h"
#include "DataTool.h"
#include "Entry.h"
#include "Gbk.h"
#include "GlobalHead.h"
#include "LabeledEdit.h"
#include "Modules.h"
#include "Product.h"
#include "TesselonHead.h"
#include "Triple.h"
#include "clsRepair.h"
#include "mPrint.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>

const QString TfrmRepair::AmountNotNumber = QStringLiteral("数量或价格只能为数字！");
const QString TfrmRepair::AmountNegative = QStringLiteral("金额不能为负数！");

namespace {

TLabeledEdit* Field(const QString& caption, QWidget* parent, int x, int y, int w, int maxLength)
{
    auto* e = new TLabeledEdit(caption, parent);
    e->SetBounds(x, y, w, 22);
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    return e;
}

// The fault's limit in GBK bytes: the field takes no more, and never half a character.
constexpr int FaultBytes = 512;

}   // namespace

TfrmRepair::TfrmRepair(TRepair* list, bool edit, QWidget* parent)
    : QDialog(parent)
    , FList(list)
{
    setWindowTitle(QStringLiteral("送修登记"));
    setFont(SongFont(14));
    setFixedSize(647, 437);

    dtbRepair = new TDataToolBar(this);
    dtbRepair->SetOptions(OptionBit(opSave) | OptionBit(opClose));
    dtbRepair->SetEnableds(OptionBit(opSave) | OptionBit(opClose));

    grp2 = new QGroupBox(QStringLiteral("送修登记"), this);
    grp2->setGeometry(8, 46, 631, 350);

    // Rows: accepter, customer name, phone; car number, address; oil, quote, deposit; memo;
    // the fault description.
    trpAccepter = NewLookup(QStringLiteral("接车人"), QStringLiteral("EMPLOYEE"), grp2, 12, 28, 130, 15);
    edtCarOwner = Field(QStringLiteral("客户姓名"), grp2, 290, 28, 120, 16);
    edtPhone = Field(QStringLiteral("联系电话"), grp2, 490, 28, 125, 32);
    edtCarNo = Field(QStringLiteral("车牌号码"), grp2, 80, 68, 130, 32);
    edtAddress = Field(QStringLiteral("联系地址"), grp2, 290, 68, 325, 128);
    lblHistory = new QLabel(grp2);
    lblHistory->setGeometry(80, 92, 200, 16);
    lblHistory->setFont(SongFont(12));
    edtOil = Field(QStringLiteral("油箱油量"), grp2, 80, 112, 130, AmountLength);
    edtQuote = Field(QStringLiteral("报价金额"), grp2, 290, 112, 120, AmountLength);
    edtEarnest = Field(QStringLiteral("已付定金"), grp2, 490, 112, 125, AmountLength);
    edtMemo = Field(QStringLiteral("备注"), grp2, 80, 152, 535, 128);
    lbl17 = new QLabel(QStringLiteral("故障描述"), grp2);
    lbl17->setGeometry(12, 192, 64, 22);
    lbl17->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    mmoFault = new QPlainTextEdit(grp2);
    mmoFault->setGeometry(80, 192, 535, 140);
    mmoFault->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmoFault->setTabChangesFocus(true);
    NameAfterLabel(lbl17, mmoFault);

    chkPrint = new QCheckBox(QStringLiteral("保存同时打印单据"), this);
    chkPrint->setGeometry(16, 404, 200, 22);
    chkPrint->setChecked(true);

    QWidget::setTabOrder(edtCarOwner, edtPhone);
    QWidget::setTabOrder(edtPhone, edtCarNo);
    QWidget::setTabOrder(edtCarNo, edtAddress);
    QWidget::setTabOrder(edtAddress, edtOil);
    QWidget::setTabOrder(edtOil, edtQuote);
    QWidget::setTabOrder(edtQuote, edtEarnest);
    QWidget::setTabOrder(edtEarnest, edtMemo);
    QWidget::setTabOrder(edtMemo, mmoFault);
    QWidget::setTabOrder(mmoFault, chkPrint);

    // The window sees every key first: Enter moves on, Esc moves back.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);

    connect(dtbRepair, &TDataToolBar::OnClick, this, Guarded(this, &TfrmRepair::dtbRepairClick));
    connect(edtCarNo, &QLineEdit::editingFinished, this, Guarded(this, &TfrmRepair::edtCarNoExit));
    connect(mmoFault, &QPlainTextEdit::textChanged, this, [this] {
        // Kept within what the column holds, cut at a character's start.
        const QString t = mmoFault->toPlainText();
        if (Gbk::ByteLength(t) > FaultBytes) {
            const QString cut = Gbk::CutToBytes(t, FaultBytes);
            const QSignalBlocker block(mmoFault);
            mmoFault->setPlainText(cut);
            QTextCursor c = mmoFault->textCursor();
            c.movePosition(QTextCursor::End);
            mmoFault->setTextCursor(c);
        }
    });

    if (edit && FList)
        FillFromRecord();
    edtCarOwner->setFocus();
}

void TfrmRepair::FillFromRecord()
{
    FOrderId = FList->GetFieldText(QStringLiteral("ID")).toInt();
    edtCarNo->setText(FList->GetFieldText(QStringLiteral("CAR_NO")));
    edtCarOwner->setText(FList->GetFieldText(QStringLiteral("CAR_OWNER")));
    edtPhone->setText(FList->GetFieldText(QStringLiteral("PHONE")));
    edtAddress->setText(FList->GetFieldText(QStringLiteral("ADDRESS")));
    edtOil->setText(FList->GetFieldText(QStringLiteral("OIL")));
    mmoFault->setPlainText(FList->GetFieldText(QStringLiteral("FAULT")));
    edtEarnest->setText(FList->GetFieldText(QStringLiteral("EARNEST")));
    edtQuote->setText(FList->GetFieldText(QStringLiteral("QUOTE")));
    edtMemo->setText(FList->GetFieldText(QStringLiteral("MEMO")));
    trpAccepter->SetID(FList->GetFieldText(QStringLiteral("ACCEPTER_ID")));
    trpAccepter->SetText(FList->GetFieldText(QStringLiteral("ACCEPTER_NAME")));
    FCheckedPlate = edtCarNo->text().trimmed();   // an order's own plate is no news
}

void TfrmRepair::edtCarNoExit()
{
    const QString plate = edtCarNo->text().trimmed();
    if (FOrderId != 0 || plate == FCheckedPlate)
        return;
    FCheckedPlate = plate;
    lblHistory->clear();
    if (plate.isEmpty() || !Pool || !Pool->Connected())
        return;
    const TPlateHistory h = ReadPlateHistory(*Pool, plate);
    if (h.Orders == 0) {
        lblHistory->setText(QStringLiteral("此车没有送修记录"));
        return;
    }
    lblHistory->setText(QStringLiteral("此车已有 %1 次送修记录").arg(h.Orders));
    // Only what is still empty: what the user typed is never overwritten.
    if (edtCarOwner->text().trimmed().isEmpty())
        edtCarOwner->setText(h.CarOwner);
    if (edtPhone->text().trimmed().isEmpty())
        edtPhone->setText(h.Phone);
    if (edtAddress->text().trimmed().isEmpty())
        edtAddress->setText(h.Address);
}

bool TfrmRepair::AmountsValid()
{
    for (TLabeledEdit* e : {edtOil, edtQuote, edtEarnest}) {
        const bool number = IsAmountText(e->text());
        if (!number || IsNegativeAmount(e->text())) {
            ShowMsg(number ? AmountNegative : AmountNotNumber, Texts::CaptionWarning, TMsgIcon::Warning);
            e->setFocus();
            e->selectAll();
            return false;
        }
    }
    return true;
}

bool TfrmRepair::Save()
{
    if (IsCtrlEmpty({edtCarOwner, edtPhone}))
        return false;
    if (!AmountsValid())
        return false;
    TStoredProcLoan proc(Pool);
    FList->ClearValues();
    FList->SetValue(QStringLiteral("ID"), QString::number(FOrderId));
    FList->SetValue(QStringLiteral("CAR_NO"), edtCarNo->text().trimmed());
    FList->SetValue(QStringLiteral("CAR_OWNER"), edtCarOwner->text());
    FList->SetValue(QStringLiteral("PHONE"), edtPhone->text());
    FList->SetValue(QStringLiteral("ADDRESS"), edtAddress->text());
    FList->SetValue(QStringLiteral("OIL"), edtOil->text().trimmed());
    FList->SetValue(QStringLiteral("FAULT"), mmoFault->toPlainText());
    FList->SetValue(QStringLiteral("EARNEST"), edtEarnest->text().trimmed());
    FList->SetValue(QStringLiteral("QUOTE"), edtQuote->text().trimmed());
    FList->SetKey(QStringLiteral("ACCEPTER_NAME"), trpAccepter->ID());
    FList->SetKey(QStringLiteral("OPERATOR_NAME"), Symbol.User.ID);
    FList->SetValue(QStringLiteral("MEMO"), edtMemo->text());
    TSPResultInfo result;
    FList->Execute(proc.get(), FOrderId == 0 ? TExecMode::New : TExecMode::Edit, result);
    if (!result.Success) {
        ShowMsg(QStringLiteral("保存失败：数据库没有接受这张送修单，请检查后再保存。"), Texts::CaptionWarning,
                TMsgIcon::Warning);
        return false;
    }
    FList->ClearValues();
    return true;
}

void TfrmRepair::dtbRepairClick()
{
    if (dtbRepair->Option() != opSave)
        return;
    // The toolbar has just disabled 保存; a refused save gives it back, so that nothing typed
    // is lost and closing still asks.
    TSaveAgain again(dtbRepair);
    if (!Save())
        return;
    again.Done();
    // Printed only for an order that exists; a printer's trouble leaves the order saved.
    if (chkPrint->isChecked())
        PrintTicket();
    accept();
}

void TfrmRepair::PrintTicket()
{
    TRepairTicket t = NewRepairTicket();
    t.CarOwner = edtCarOwner->text();
    t.CarNo = edtCarNo->text();
    t.Phone = edtPhone->text();
    t.Oil = edtOil->text();
    t.Quote = edtQuote->text();
    t.Earnest = edtEarnest->text();
    t.Accepter = trpAccepter->Text();
    t.Fault = mmoFault->toPlainText();
    t.Memo = edtMemo->text();
    QString info, error;
    if (!::PrintTicket(t, &info, &error)) {
        ShowMsg(QStringLiteral("送修单已保存，但单据没有打印出来：%1").arg(error), Texts::CaptionWarning,
                TMsgIcon::Warning);
        return;
    }
    if (!info.isEmpty())
        ShowMsg(info, Texts::CaptionInfo, TMsgIcon::Information);
}

bool TfrmRepair::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            focusNextChild();   // swallowed: the fault takes no line break from Enter
            return true;
        }
        if (k->key() == Qt::Key_Escape) {
            focusPreviousChild();
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void OpenRepair(int mode, TData* list)
{
    auto* repair = dynamic_cast<TRepair*>(list);
    if (!repair) {
        ShowMsg(QStringLiteral("请先在“送修登记”中打开送修单列表。"), Texts::CaptionInfo, TMsgIcon::Information);
        return;
    }
    TfrmRepair frm(repair, mode == ModeEdit, QApplication::activeWindow());
    frm.exec();
}
