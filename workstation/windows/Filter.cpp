#include "Filter.h"

#include "clsContact.h"

#include "Application.h"
#include "LabeledEdit.h"
#include "Product.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

TfrmFilter::TfrmFilter(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("筛选"));
    setFont(SongFont(14));
    setFixedSize(238, 185);

    auto* top = new QWidget(this);
    top->setGeometry(0, 0, 238, 50);
    top->setAutoFillBackground(true);
    top->setStyleSheet(QStringLiteral("background: white;"));
    auto* label = new QLabel(QStringLiteral("请选择通讯录类型"), top);
    label->setGeometry(16, 14, 200, 22);

    cbbFilter = new QComboBox(this);
    NameAfterLabel(label, cbbFilter);
    cbbFilter->setGeometry(40, 74, 160, 24);
    cbbFilter->addItems({QStringLiteral("员工通讯录"), QStringLiteral("客户通讯录"), QStringLiteral("供应商通讯录")});
    cbbFilter->setCurrentIndex(0);

    auto* bottom = new QWidget(this);
    bottom->setGeometry(0, 130, 238, 55);
    bottom->setAutoFillBackground(true);
    bottom->setStyleSheet(QStringLiteral("background: white;"));
    btnOK = new QPushButton(QStringLiteral("确定"), bottom);
    btnOK->setGeometry(30, 14, 80, 26);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("取消"), bottom);
    btnCancel->setGeometry(128, 14, 80, 26);

    connect(btnOK, &QPushButton::clicked, this, Guarded(this, &TfrmFilter::btnOKClick));
    connect(btnCancel, &QPushButton::clicked, this, Guarded(this, &TfrmFilter::btnCancelClick));
}

void TfrmFilter::Prepare(QString* answer)
{
    FAnswer = answer;
}

void TfrmFilter::btnOKClick()
{
    if (FAnswer)
        *FAnswer = cbbFilter->currentText();
    accept();
}

void TfrmFilter::btnCancelClick()
{
    reject();
}

QString TfrmFilter::BaseSQLFor(const QString& answer)
{
    TContact book;
    return book.ChooseBook(answer) ? book.ListSQL() : QString();
}
