#include "About.h"

#include "Application.h"
#include "Line.h"
#include "Product.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

QString TfrmAbout::HomePage()
{
    return ProductHomePage();
}

TfrmAbout::TfrmAbout(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("关于"));
    setFixedSize(302, 126);

    imgAbout = new QLabel(this);
    imgAbout->setGeometry(10, 10, 64, 64);
    imgAbout->setPixmap(ProductPicture(64));
    const QStringList lines{ProductName(), QStringLiteral("汽车维修企业日常业务管理"),
                            QStringLiteral("Tarnwell软件工作室 出品")};
    for (int i = 0; i < lines.size(); ++i) {
        auto* l = new QLabel(lines[i], this);
        l->setGeometry(84, 10 + i * 20, 150, 18);
    }
    lblHome = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(HomePage()), this);
    lblHome->setGeometry(84, 72, 210, 18);
    lblHome->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    ln1 = new TLine(this);
    ln1->setGeometry(10, 96, 282, 2);
    btnOK = new QPushButton(QStringLiteral("确定"), this);
    btnOK->setGeometry(236, 10, 58, 24);
    btnOK->setDefault(true);

    connect(lblHome, &QLabel::linkActivated, this, Guarded(this, &TfrmAbout::lblHomeClick));
    connect(btnOK, &QPushButton::clicked, this, Guarded(this, &TfrmAbout::btnOKClick));
}

void TfrmAbout::lblHomeClick()
{
    QDesktopServices::openUrl(QUrl(HomePage()));
}

void TfrmAbout::btnOKClick()
{
    accept();
}
