#include "Mdi.h"

#include "ConPool.h"
#include "GlobalHead.h"
#include "StringGrid.h"

#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QSplitter>
#include <QTreeWidget>

TfrmMdi::TfrmMdi(const QString& programFolder, QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("汽修管理系统"));
    resize(750, 502);
    setMinimumSize(750, 500);

    auto* splitter = new QSplitter(this);
    FTree = new QTreeWidget(splitter);
    FTree->setObjectName(QStringLiteral("tvMain"));
    FTree->setHeaderHidden(true);
    FTree->setIndentation(27);
    FGrid = new TStringGrid(splitter);
    FGrid->setObjectName(QStringLiteral("strgrdMain"));
    FGrid->SetRowCount(2);
    splitter->setSizes({180, 570});
    setCentralWidget(splitter);

    FCreated = FormCreate(programFolder);
}

TfrmMdi::~TfrmMdi() = default;

bool TfrmMdi::FormCreate(const QString& programFolder)
{
    AppPath = QDir::cleanPath(programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder);
    if (!AppPath.endsWith(QLatin1Char('/')))
        AppPath += QLatin1Char('/');
    if (!Pool)
        Pool = new TConPool();   // lives until the process ends
    QString error;
    if (!LoadSettings(SettingsPath(), &error)) {
        ShowMsg(error + QStringLiteral("\n程序无法启动，请检查配置文件。"), Texts::CaptionError);
        return false;
    }
    BuildTree();
    return true;
}

void TfrmMdi::BuildTree()
{
    struct TNode { const char* root; QStringList children; };
    const TNode nodes[] = {
        {"基础数据", {QStringLiteral("供应商"), QStringLiteral("通讯录"), QStringLiteral("人事档案"),
                     QStringLiteral("数据字典"), QStringLiteral("商品字典")}},
        {"维修业务", {QStringLiteral("送修登记"), QStringLiteral("维修历史")}},
        {"配件业务", {QStringLiteral("配件入库"), QStringLiteral("配件销售"), QStringLiteral("进货明细"),
                     QStringLiteral("销售明细")}},
        {"库存管理", {QStringLiteral("库存盘点"), QStringLiteral("工具管理")}},
    };
    FTree->clear();
    for (const TNode& n : nodes) {
        auto* root = new QTreeWidgetItem(FTree, {QString::fromUtf8(n.root)});
        for (const QString& child : n.children)
            new QTreeWidgetItem(root, {child});
    }
    FTree->expandAll();
    const QStringList& names = FunctionNames();
    for (int i = 0; i < RightCount; ++i)
        Symbol.Rights[i].FunctionName = names[i];
}
