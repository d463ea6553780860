#include "Find.h"

#include "Application.h"
#include "DataHead.h"
#include "DataTool.h"
#include "Functions.h"
#include "LabeledEdit.h"
#include "Product.h"
#include "StringGrid.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QRadioButton>

namespace {

QComboBox* Chooser(const QString& caption, QWidget* parent, int x, int y, int w)
{
    auto* label = new QLabel(caption, parent);
    label->setGeometry(x - 70, y, 66, 22);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* c = new QComboBox(parent);
    c->setGeometry(x, y, w, 22);
    NameAfterLabel(label, c);
    return c;
}

}   // namespace

TfrmFind::TfrmFind(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("综合查询"));
    setFont(SongFont(14));
    setFixedSize(445, 347);

    dtbFind = new TDataToolBar(this);
    dtbFind->SetOptions(OptionBit(opFind) | OptionBit(opSave) | OptionBit(opDelete) | OptionBit(opClose));
    dtbFind->SetEnableds(OptionBit(opFind) | OptionBit(opClose));
    rbSingle = new QRadioButton(QStringLiteral("单项查询"), dtbFind);
    rbSingle->setGeometry(200, 10, 100, 22);
    rbSingle->setChecked(true);
    rbMore = new QRadioButton(QStringLiteral("多项查询"), dtbFind);
    rbMore->setGeometry(310, 10, 100, 22);

    auto* editor = new QFrame(this);
    editor->setFrameShape(QFrame::StyledPanel);
    editor->setGeometry(6, 46, 433, 96);
    rbAnd = new QRadioButton(QStringLiteral("与"), editor);
    rbAnd->setGeometry(80, 6, 60, 22);
    rbAnd->setChecked(true);
    rbOr = new QRadioButton(QStringLiteral("或"), editor);
    rbOr->setGeometry(150, 6, 60, 22);
    cbbField = Chooser(QStringLiteral("查询字段"), editor, 80, 36, 120);
    cbbSymbol = Chooser(QStringLiteral("条件关系"), editor, 290, 36, 120);
    cbbSymbol->addItems({QStringLiteral("="), QStringLiteral("<"), QStringLiteral(">"), QStringLiteral("<>"),
                         QStringLiteral("<="), QStringLiteral(">="), QStringLiteral("LIKE")});
    cbbSymbol->setCurrentIndex(0);
    edtValueStr = new TLabeledEdit(QStringLiteral("查询值"), editor);
    edtValueStr->SetBounds(80, 66, 330, 22);

    strgrdFind = new TStringGrid(this);
    strgrdFind->setGeometry(6, 148, 433, 193);
    strgrdFind->SetColCount(5);
    strgrdFind->SetRowCount(2);
    const QStringList headers{QStringLiteral("逻辑关系"), QStringLiteral("查询项目"), QStringLiteral("模块名称"),
                              QStringLiteral("条件关系"), QStringLiteral("查询值")};
    for (int c = 0; c < 5; ++c) {
        strgrdFind->SetCells(c, 0, headers[c]);
        strgrdFind->SetColWidth(c, 80);
    }
    strgrdFind->SetRowSelect(true);

    connect(dtbFind, &TDataToolBar::OnClick, this, Guarded(this, &TfrmFind::dtbFindClick));
    connect(rbMore, &QRadioButton::clicked, this, Guarded(this, &TfrmFind::rbMoreClick));
}

void TfrmFind::Prepare(QString* answer, TCondition* condition)
{
    FAnswer = answer;
    FCondition = condition;
    FCaptions = {QStringLiteral("车牌号码"), QStringLiteral("车主姓名")};
    FFields = {QStringLiteral("CAR_NO"), QStringLiteral("CAR_OWNER")};
    cbbField->clear();
    cbbField->addItems(FCaptions);
    cbbField->setCurrentIndex(0);
}

void TfrmFind::AddCondition(int row)
{
    const int f = cbbField->currentIndex();
    strgrdFind->SetCells(0, row, rbAnd->isChecked() ? QStringLiteral("AND") : QStringLiteral("OR"));
    strgrdFind->SetCells(1, row, f >= 0 && f < FCaptions.size() ? FCaptions[f] : QString());
    strgrdFind->SetCells(2, row, f >= 0 && f < FFields.size() ? FFields[f] : QString());
    strgrdFind->SetCells(3, row, cbbSymbol->currentText());
    // A quote in the value is doubled: it stays part of the value, whatever is typed.
    strgrdFind->SetCells(4, row, QuotedStr(edtValueStr->text()));
}

QString TfrmFind::BuildAnswer() const
{
    QString answer;
    for (int r = 1; r < strgrdFind->RowCount(); ++r) {
        const QString field = strgrdFind->Cells(2, r);
        if (field.isEmpty())
            continue;
        const QString condition =
            field + QLatin1Char(' ') + strgrdFind->Cells(3, r) + QLatin1Char(' ') + strgrdFind->Cells(4, r);
        if (answer.isEmpty())
            answer = condition;
        else
            answer += QLatin1Char(' ') + strgrdFind->Cells(0, r) + QLatin1Char(' ') + condition;
    }
    return answer;
}

TCondition TfrmFind::BuildCondition() const
{
    TCondition c;
    for (int r = 1; r < strgrdFind->RowCount(); ++r) {
        const QString field = strgrdFind->Cells(2, r);
        if (field.isEmpty())
            continue;
        // Only the window's own fields and relations reach the text.
        const QString relation = strgrdFind->Cells(3, r);
        if (!FFields.contains(field) || cbbSymbol->findText(relation, Qt::MatchExactly) < 0)
            continue;
        const QString one = field + QLatin1Char(' ') + relation + QStringLiteral(" ?");
        if (c.Text.isEmpty())
            c.Text = one;
        else
            c.Text += QLatin1Char(' ')
                + (strgrdFind->Cells(0, r) == QStringLiteral("OR") ? QStringLiteral("OR") : QStringLiteral("AND"))
                + QLatin1Char(' ') + one;
        c.Params.append(TFbValue::FromText(UnquotedStr(strgrdFind->Cells(4, r))));
    }
    return c;
}

void TfrmFind::DeleteCondition()
{
    const int row = strgrdFind->Row();
    if (row < 1)
        return;
    if (strgrdFind->RowCount() > 2)
        DeleteGridRow(strgrdFind);
    else
        strgrdFind->ClearRow(row);
}

void TfrmFind::dtbFindClick()
{
    switch (dtbFind->Option()) {
    case opFind:
        if (rbSingle->isChecked()) {
            strgrdFind->SetRowCount(2);
            AddCondition(1);
        }
        if (FAnswer)
            *FAnswer = BuildAnswer();
        if (FCondition)
            *FCondition = BuildCondition();
        accept();
        break;
    case opSave: {
        const int row = strgrdFind->RowCount();
        strgrdFind->SetRowCount(row + 1);
        AddCondition(row);
        break;
    }
    case opDelete: DeleteCondition(); break;
    default: break;
    }
}

void TfrmFind::rbMoreClick()
{
    if (rbMore->isChecked())
        dtbFind->SetEnableds(dtbFind->Enableds() | OptionBit(opDelete) | OptionBit(opSave));
}
