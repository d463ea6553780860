#include "Password.h"

#include "Application.h"
#include "ConPool.h"
#include "DataTool.h"
#include "FbClient.h"
#include "Gbk.h"
#include "GlobalHead.h"
#include "LabeledEdit.h"
#include "StarMask.h"
#include "MoravekHead.h"
#include "Product.h"

#include <QLabel>

namespace {

TLabeledEdit* Masked(QWidget* parent, int y)
{
    auto* e = new TLabeledEdit(parent);
    e->SetBounds(100, y, 130, 22);
    MaskWithStars(e);
    return e;
}

QLabel* Caption(const QString& text, QWidget* parent, int y)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(14, y, 84, 22);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

}   // namespace

TfrmPassword::TfrmPassword(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("修改密码"));
    setFont(SongFont(14));
    setFixedSize(247, 147);

    dtbPassWord = new TDataToolBar(this);
    dtbPassWord->SetOptions(OptionBit(opSave) | OptionBit(opClose));
    dtbPassWord->SetEnableds(OptionBit(opSave) | OptionBit(opClose));
    lbl1 = Caption(QStringLiteral("旧口令："), this, 52);
    edtOle = Masked(this, 52);
    lbl2 = Caption(QStringLiteral("新口令："), this, 82);
    edtNew = Masked(this, 82);
    lbl3 = Caption(QStringLiteral("验证口令："), this, 112);
    edtConfirm = Masked(this, 112);
    NameAfterLabel(lbl1, edtOle);
    NameAfterLabel(lbl2, edtNew);
    NameAfterLabel(lbl3, edtConfirm);
    setTabOrder(edtOle, edtNew);
    setTabOrder(edtNew, edtConfirm);

    connect(dtbPassWord, &TDataToolBar::OnClick, this, Guarded(this, &TfrmPassword::dtbPassWordClick));
}

void TfrmPassword::dtbPassWordClick()
{
    if (dtbPassWord->Option() != opSave)
        return;
    if (!Save())
        // Refused: the operator corrects the fields and saves again, without reopening.
        dtbPassWord->SetEnableds(dtbPassWord->Enableds() | OptionBit(opSave));
}

bool TfrmPassword::Save()
{
    // Compared exactly: the stored digest is that of the new text, so a confirmation that
    // differs in letter case would let a typo become the password.
    if (edtNew->text() != edtConfirm->text()) {
        ShowMsg(QStringLiteral("两次输入的新密码不一致!"), Texts::CaptionInfo, TMsgIcon::Information);
        return false;
    }
    // Refused rather than digested as "?": see the login.
    for (TLabeledEdit* e : {edtOle, edtNew}) {
        if (!Gbk::Fits(e->text())) {
            ShowMsg(Texts::PasswordNotGbk, Texts::CaptionWarning, TMsgIcon::Warning);
            e->setFocus();
            return false;
        }
    }
    TMoravek moravek;   // unloaded on every path
    QString old, fresh, error;
    if (!moravek.MD5String(edtOle->text(), &old, &error) || !moravek.MD5String(edtNew->text(), &fresh, &error)) {
        ShowMsg(error, Texts::CaptionError);
        return false;
    }
    if (old.compare(Symbol.User.PassWord, Qt::CaseInsensitive) != 0) {
        ShowMsg(Texts::WrongPassword, Texts::CaptionWarning, TMsgIcon::Warning);
        return false;
    }
    // A database error goes to the general error display; an operator whose record has gone
    // meanwhile is told so rather than told of a change that was not made.
    if (!ChangePassword(*Pool, Symbol.User.ID, fresh)) {
        ShowMsg(QStringLiteral("找不到当前操作员的记录，密码未修改。"), Texts::CaptionWarning, TMsgIcon::Warning);
        return false;
    }
    ShowMsg(QStringLiteral("密码修改成功！"), Texts::CaptionInfo, TMsgIcon::Information);
    Symbol.User.PassWord = fresh;
    accept();
    return true;
}
