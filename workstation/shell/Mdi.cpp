#include "Mdi.h"

#include "About.h"
#include "Application.h"
#include "ConPool.h"
#include "DataHead.h"
#include "DataTool.h"
#include "FbClient.h"
#include "Filter.h"
#include "Find.h"
#include "Functions.h"
#include "GlobalHead.h"
#include "ListGrid.h"
#include "Login.h"
#include "Password.h"
#include "Product.h"
#include "StringGrid.h"
#include "clsCommodity.h"
#include "clsContact.h"
#include "clsEmployee.h"
#include "clsRepair.h"
#include "clsSales.h"
#include "clsStock.h"
#include "clsStorage.h"
#include "clsSupplier.h"
#include "clsTool.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {

std::unique_ptr<TData> CreateSource(const QString& caption)
{
    if (caption == QStringLiteral("供应商"))
        return std::make_unique<TSupplier>();
    if (caption == QStringLiteral("通讯录"))
        return std::make_unique<TContact>();
    if (caption == QStringLiteral("人事档案"))
        return std::make_unique<TEmployee>();
    if (caption == QStringLiteral("商品字典"))
        return std::make_unique<TCommodity>();
    if (caption == QStringLiteral("送修登记") || caption == QStringLiteral("维修历史"))
        return std::make_unique<TRepair>();
    if (caption == QStringLiteral("进货明细"))
        return std::make_unique<TStorage>();
    if (caption == QStringLiteral("销售明细"))
        return std::make_unique<TSales>();
    if (caption == QStringLiteral("库存盘点"))
        return std::make_unique<TStock>();
    if (caption == QStringLiteral("工具管理"))
        return std::make_unique<TTool>();
    return nullptr;
}

const QString SettledOnly = QStringLiteral("IS_PAY = 1");

} // namespace

TfrmMdi::TfrmMdi(const QString& programFolder, QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("汽修管理系统"));
    setFont(SongFont(14));
    resize(750, 502);
    setMinimumSize(750, 500);

    FSplitter = new QSplitter(this);
    FSplitter->setObjectName(QStringLiteral("spl"));
    FSplitter->setHandleWidth(2);
    FSplitter->setStyleSheet(QStringLiteral("QSplitter::handle { background: rgb(127, 157, 185); }"));
    FTree = new QTreeWidget(FSplitter);
    FTree->setObjectName(QStringLiteral("tvMain"));
    FTree->setHeaderHidden(true);
    FTree->setIndentation(27);
    FTree->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto* pnlClient = new QWidget(FSplitter);
    pnlClient->setObjectName(QStringLiteral("pnlClient"));
    auto* layout = new QVBoxLayout(pnlClient);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* toolHost = new QWidget(pnlClient);
    toolHost->setFixedHeight(ButtonSize);
    FToolBar = new TDataToolBar(toolHost);
    FToolBar->setObjectName(QStringLiteral("dtbMain"));
    FToolBar->SetOptions(OptionBit(opFind) | OptionBit(opRefresh) | OptionBit(opNew) | OptionBit(opEdit) |
                         OptionBit(opDelete) | OptionBit(opFirst) | OptionBit(opPrevious) | OptionBit(opNext) |
                         OptionBit(opLast) | OptionBit(opExport));
    FToolBar->SetEnableds(OptionBit(opRefresh) | OptionBit(opNew) | OptionBit(opExport));
    FToolBar->SetPageCount(1);
    FToolBar->SetPageIndex(1);
    FTip = new QLabel(QStringLiteral("业务导航"), FToolBar);
    FTip->setObjectName(QStringLiteral("lblTip"));
    FTip->setGeometry(10 * ButtonSize + 12, 10, 300, 20);
    layout->addWidget(toolHost);

    FGrid = new TStringGrid(pnlClient);
    FGrid->setObjectName(QStringLiteral("strgrdMain"));
    FGrid->SetColCount(5);
    FGrid->SetRowCount(2);
    FGrid->SetDefaultRowHeight(16);
    FGrid->SetRowSelect(true);
    FGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    FGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(FGrid, 1);

    FPageBar = new QStatusBar(pnlClient);
    FPageBar->setSizeGripEnabled(false);
    const int pageWidths[5] = {150, 150, 20, 150, 50};
    const QString pageTexts[5] = {QStringLiteral("共   条记录"), QStringLiteral("当前有   条记录"), QString(),
                                  QStringLiteral("共分   页"), QStringLiteral("当前第   页")};
    for (int i = 0; i < 5; ++i) {
        FPagePanels[i] = new QLabel(pageTexts[i], FPageBar);
        FPagePanels[i]->setMinimumWidth(pageWidths[i]);
        FPageBar->addWidget(FPagePanels[i]);
    }
    layout->addWidget(FPageBar);
    FSplitter->addWidget(FTree);
    FSplitter->addWidget(pnlClient);
    FSplitter->setSizes({180, 570});
    FSplitter->setStretchFactor(1, 1);
    setCentralWidget(FSplitter);

    FMainBar = statusBar();
    const int mainWidths[4] = {20, 150, 200, 50};
    for (int i = 0; i < 4; ++i) {
        FMainPanels[i] = new QLabel(FMainBar);
        FMainPanels[i]->setMinimumWidth(mainWidths[i]);
        FMainBar->addWidget(FMainPanels[i]);
    }

    pmMain = new QMenu(this);
    popPayment = pmMain->addAction(QStringLiteral("维修结账"), this, Guarded(this, &TfrmMdi::popPaymentClick));
    CreateMenus();

    connect(FTree, &QTreeWidget::currentItemChanged, this,
            Guarded([this](QTreeWidgetItem* current, QTreeWidgetItem*) { tvMainChange(current); }));
    connect(FToolBar, &TDataToolBar::OnClick, this, Guarded(this, &TfrmMdi::dtbMainClick));
    connect(FGrid, &TStringGrid::CellClicked, this, Guarded(this, &TfrmMdi::strgrdMainClick));
    connect(FGrid, &TStringGrid::CellDoubleClicked, this, Guarded(this, &TfrmMdi::strgrdMainDblClick));
    connect(FGrid, &QWidget::customContextMenuRequested, this,
            Guarded([this](const QPoint& pos) { strgrdMainRightClick(FGrid->viewport()->mapToGlobal(pos)); }));

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    FCreated = FormCreate(programFolder);
}

TfrmMdi::~TfrmMdi()
{
    if (FCurrent) {
        FCurrent->Close();
        if (Pool && FCurrent->DataSet)
            Pool->FreeDataSet(FCurrent->DataSet);
    }
}

void TfrmMdi::CreateMenus()
{
    QMenu* sys = menuBar()->addMenu(QStringLiteral("系统(&F)"));
    mnuTheUnit = sys->addAction(QStringLiteral("本单位"), this, Guarded(this, &TfrmMdi::mnuTheUnitClick));
    mnuClearStock = sys->addAction(QStringLiteral("库存结转"), this, Guarded(this, &TfrmMdi::mnuClearStockClick));
    mnuPassWord = sys->addAction(QStringLiteral("修改密码(&P)"), this, Guarded(this, &TfrmMdi::mnuPassWordClick));
    mnuRight = sys->addAction(QStringLiteral("权限管理(&R)"), this, Guarded(this, &TfrmMdi::mnuRightClick));
    mnuRight->setEnabled(false);
    sys->addSeparator();
    mnuExitSys = sys->addAction(QStringLiteral("退  出(&E)"), this, Guarded(this, &TfrmMdi::mnuExitSysClick));

    QMenu* view = menuBar()->addMenu(QStringLiteral("视图"));
    mnuToolBar = view->addAction(QStringLiteral("工具栏"));
    mnuLeftBar = view->addAction(QStringLiteral("侧边栏"));
    mnuStatusBar = view->addAction(QStringLiteral("状态栏"));
    for (QAction* a : {mnuToolBar, mnuLeftBar, mnuStatusBar}) {
        a->setCheckable(true);
        a->setChecked(true);
    }
    connect(mnuToolBar, &QAction::toggled, FToolBar->parentWidget(), &QWidget::setVisible);
    connect(mnuLeftBar, &QAction::toggled, FTree, &QWidget::setVisible);
    connect(mnuStatusBar, &QAction::toggled, this, [this](bool on) { FMainBar->setVisible(on); });

    QMenu* help = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    mnuHelp = help->addAction(QStringLiteral("帮助主题(&C)"), this, Guarded(this, &TfrmMdi::mnuHelpClick));
    mnuAbout = help->addAction(QStringLiteral("关于软件(&A)"), this, Guarded(this, &TfrmMdi::mnuAboutClick));
    help->addSeparator();
    mnuBrowse = help->addAction(QStringLiteral("浏览网站(&B)"), this, Guarded(this, &TfrmMdi::mnuBrowseClick));
}

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

bool TfrmMdi::Login()
{
    auto login = std::make_unique<TfrmLogin>(this);
    login->exec();
    const bool ok = login->Succeeded();
    login.reset();   // also ends the connection to the server
    if (ok)
        RunGuarded([this] { FormShow(); });   // a failed read keeps the session going
    return ok;
}

void TfrmMdi::FormShow()
{
    FMainPanels[2]->setText(QStringLiteral("操作员:%1").arg(Symbol.User.UserName));
    FMainPanels[3]->setText(QStringLiteral("服务器IP：%1").arg(Symbol.ServerIP));
    TDataSetLoan ds(Pool);
    if (!ds)
        return;
    ds->SetCommandText(QStringLiteral("SELECT * FROM TB_THEUNIT"));
    ds->ClearParams();
    ds->Open();
    Symbol.TheUnit = TTheUnit();
    if (ds->RecordCount() > 0) {
        ds->First();
        Symbol.TheUnit.TheUnitName = ds->FieldByName(QStringLiteral("THEUNIT_NAME")).AsString();
        Symbol.TheUnit.PerInChar = ds->FieldByName(QStringLiteral("PER_IN_CHAR")).AsString();
        Symbol.TheUnit.Phone = ds->FieldByName(QStringLiteral("PHONE")).AsString();
        Symbol.TheUnit.Address = ds->FieldByName(QStringLiteral("ADDRESS")).AsString();
    }
    FMainPanels[1]->setText(QStringLiteral("文件版本：%1").arg(Symbol.Version));
    for (TRightInfo& info : Symbol.Rights)
        info.Grants = 0;
    if (Symbol.User.UserName.compare(Texts::Administrator, Qt::CaseInsensitive) == 0) {
        mnuRight->setEnabled(true);
        for (TRightInfo& info : Symbol.Rights)
            info.Grants = AllRights;
        return;
    }
    ds->Close();
    ds->SetCommandText(QStringLiteral("SELECT FUNCTION_NAME,IS_READ,IS_APPEND,IS_ALTER,IS_DELETE FROM TB_RIGHT WHERE USER_ID=?"));
    ds->SetParams({TFbValue::FromInt(Symbol.User.ID.toLongLong())});
    ds->Open();
    for (ds->First(); !ds->Eof(); ds->Next()) {
        const QString name = ds->FieldByName(QStringLiteral("FUNCTION_NAME")).AsString();
        for (TRightInfo& info : Symbol.Rights)
            if (info.FunctionName.compare(name, Qt::CaseInsensitive) == 0)
                ReadRights(info, ds->FieldByName(QStringLiteral("IS_READ")).AsString(),
                           ds->FieldByName(QStringLiteral("IS_APPEND")).AsString(),
                           ds->FieldByName(QStringLiteral("IS_ALTER")).AsString(),
                           ds->FieldByName(QStringLiteral("IS_DELETE")).AsString());
    }
}

void TfrmMdi::ReadRights(TRightInfo& info, const QString& read, const QString& append, const QString& alter,
                         const QString& del)
{
    const auto one = [](const QString& t) { return t.compare(QLatin1String("1"), Qt::CaseInsensitive) == 0; };
    if (one(read))
        info.Grants |= RightBit(rtRead);
    if (one(append))
        info.Grants |= RightBit(rtAppend);
    if (one(alter))
        info.Grants |= RightBit(rtAlter);
    if (one(del))
        info.Grants |= RightBit(rtDelete);
    if (!HasRight(info.Grants, rtRead))
        info.Grants = 0;
}

QString TfrmMdi::PageText(int panel) const
{
    return panel >= 0 && panel < 5 ? FPagePanels[panel]->text() : QString();
}

QString TfrmMdi::MainText(int panel) const
{
    return panel >= 0 && panel < 4 ? FMainPanels[panel]->text() : QString();
}

void TfrmMdi::AddEnabled(TOption option)
{
    FToolBar->SetEnableds(FToolBar->Enableds() | OptionBit(option));
}

bool TfrmMdi::ChooseNode(const QString& caption)
{
    const QList<QTreeWidgetItem*> items = FTree->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
    if (items.isEmpty())
        return false;
    FTree->setCurrentItem(items.first());
    return true;
}

void TfrmMdi::tvMainChange(QTreeWidgetItem* node)
{
    if (!node || !node->parent())
        return;
    const QString caption = node->text(0);
    if (!CheckRight(caption, rtRead))
        return;
    if (caption == QStringLiteral("数据字典") || caption == QStringLiteral("配件入库") ||
        caption == QStringLiteral("配件销售")) {
        OpenModule(caption, 0, nullptr);
        return;
    }

    // The address book is chosen first: a chooser closed without a choice leaves the old
    // list, its page state and the toolbar exactly as they were.
    QString baseSQL;
    if (caption == QStringLiteral("通讯录")) {
        QString answer;
        TfrmFilter chooser(this);
        chooser.Prepare(&answer);
        chooser.exec();
        baseSQL = TfrmFilter::BaseSQLFor(answer);
        if (baseSQL.isEmpty())
            return;
    }

    std::unique_ptr<TData> source = CreateSource(caption);
    if (!source)
        return;
    if (!baseSQL.isEmpty())
        source->SetBaseSQL(baseSQL);
    if (caption == QStringLiteral("维修历史"))
        source->SetFilter(SettledOnly);

    // Open the new list before letting go of the old one, so that a database error leaves
    // the grid and the old list as they were.
    TDataSet* ds = Pool->GetDataSet();
    if (!ds) {
        ShowMsg(Texts::DbConnectFailed, Texts::CaptionError, TMsgIcon::None);
        return;
    }
    source->SetDataSet(ds);
    try {
        source->Open();
    } catch (...) {
        Pool->FreeDataSet(ds);
        throw;
    }
    if (FCurrent) {
        FCurrent->Close();
        if (FCurrent->DataSet)
            Pool->FreeDataSet(FCurrent->DataSet);
    }
    FCurrent = std::move(source);

    TOptions e = FToolBar->Enableds() | OptionBit(opNew) | OptionBit(opEdit);
    e &= ~OptionBit(opFind);
    if (caption == QStringLiteral("送修登记") || caption == QStringLiteral("维修历史"))
        e |= OptionBit(opFind);
    if (caption == QStringLiteral("通讯录") || caption == QStringLiteral("维修历史") ||
        caption == QStringLiteral("进货明细") || caption == QStringLiteral("销售明细") ||
        caption == QStringLiteral("库存盘点"))
        e &= ~(OptionBit(opNew) | OptionBit(opEdit));
    FToolBar->SetEnableds(e);

    FillGrid(*FCurrent, FGrid);
    ShowPageState();
    FTip->setText(QStringLiteral("业务导航：%1->%2").arg(node->parent()->text(0), caption));
    Symbol.ModuleName = caption;
}

void TfrmMdi::ShowPageState()
{
    if (!FCurrent)
        return;
    FPagePanels[0]->setText(QStringLiteral("共有 %1 条记录").arg(FCurrent->TotalCount));
    FPagePanels[1]->setText(QStringLiteral("当前页有 %1 条记录").arg(FCurrent->PageRecordCount));
    FPagePanels[3]->setText(QStringLiteral("共有 %1 页").arg(FCurrent->PageCount));
    FPagePanels[4]->setText(QStringLiteral("当前第 %1 页").arg(FCurrent->PageIndex));
    FToolBar->SetPageCount(FCurrent->PageCount);
    FToolBar->SetPageIndex(FCurrent->PageIndex);
}

void TfrmMdi::MakeCurrent(int row)
{
    if (!FCurrent || !FCurrent->DataSet || row < 1)
        return;
    FCurrent->RecordIndex = row;
    FCurrent->DataSet->SetRecNo(row);
}

void TfrmMdi::dtbMainClick()
{
    switch (FToolBar->Option()) {
    case opFind: {
        QString answer;
        {
            TfrmFind find(this);
            find.Prepare(&answer);
            find.exec();
        }
        if (answer.isEmpty() || !FCurrent)
            return;
        // The history stays restricted to settled orders whatever is found in it.
        const QString filter = Symbol.ModuleName == QStringLiteral("维修历史")
                                   ? SettledOnly + QStringLiteral(" AND (") + answer + QLatin1Char(')')
                                   : answer;
        const QString oldFilter = FCurrent->Filter;
        const QVector<TFbValue> oldParams = FCurrent->FilterParams();
        FCurrent->Close();
        FCurrent->SetFilter(filter);
        try {
            FCurrent->Open();
        } catch (...) {
            // The database refused the condition: the list it replaced comes back, so that
            // the grid, 刷新 and the paging buttons go on working on what is shown.
            FCurrent->Close();
            FCurrent->SetFilter(oldFilter, oldParams);
            RunGuarded([this] { FCurrent->Open(); });
            FillGrid(*FCurrent, FGrid);
            ShowPageState();
            throw;
        }
        FillGrid(*FCurrent, FGrid);
        ShowPageState();
        break;
    }
    case opRefresh:
        if (!Symbol.ModuleName.isEmpty() && FCurrent)
            Refresh(*FCurrent, FGrid);
        break;
    case opNew:
        NewRecord(Symbol.ModuleName);
        if (!HasOption(FToolBar->Enableds(), opNew))
            AddEnabled(opEdit);
        break;
    case opEdit:
        EditRecord(Symbol.ModuleName);
        break;
    case opDelete:
        DeleteRecord();
        break;
    case opFirst:
    case opPrevious:
    case opNext:
    case opLast:
        if (!FCurrent)
            return;
        switch (FToolBar->Option()) {
        case opFirst: FCurrent->FirstPage(); break;
        case opPrevious: FCurrent->PriorPage(); break;
        case opNext: FCurrent->NextPage(); break;
        default: FCurrent->LastPage(); break;
        }
        FillGrid(*FCurrent, FGrid);
        ShowPageState();
        break;
    case opExport:
        ExportGrid();
        break;
    default:
        break;
    }
}

void TfrmMdi::NewRecord(const QString& functionName)
{
    static const QStringList noNew{QStringLiteral("通讯录"), QStringLiteral("维修历史"), QStringLiteral("进货明细"),
                                   QStringLiteral("销售明细"), QStringLiteral("库存盘点")};
    if (noNew.contains(functionName))
        return;
    if (CheckRight(functionName, rtAppend))
        OpenModule(functionName, 0, FCurrent.get());
}

void TfrmMdi::EditRecord(const QString& functionName)
{
    if (!CheckRight(functionName, rtAlter))
        return;
    const int row = FGrid->Row();
    if (row < 1 || FGrid->Cells(0, row).isEmpty())
        return;
    MakeCurrent(row);
    OpenModule(functionName, 1, FCurrent.get());
}

void TfrmMdi::DeleteRecord()
{
    const int row = FGrid->Row();
    if (row < 1 || !FCurrent)
        return;
    const QString id = FGrid->Cells(0, row).trimmed();
    if (id.isEmpty())
        return;
    // A delete is not undone: it needs the grant and the operator's yes.
    if (!CheckRight(Symbol.ModuleName, rtDelete))
        return;
    if (ShowMsg(QStringLiteral("确定要删除编号为 %1 的记录吗？").arg(id), Texts::CaptionQuestion) != TMsgAnswer::Yes)
        return;
    TStoredProcLoan proc(Pool);
    FCurrent->ClearValues();
    FCurrent->SetValue(QStringLiteral("ID"), id);
    TSPResultInfo result;
    FCurrent->Execute(proc.get(), ExecDelete, result);
    ShowMsg(result.Success ? Texts::OperationOk : Texts::OperationFailed, Texts::CaptionInfo, TMsgIcon::Information);
}

void TfrmMdi::strgrdMainClick()
{
    if (FGrid->Row() > 0 && !FGrid->Cells(0, 1).isEmpty()) {
        AddEnabled(opEdit);
        AddEnabled(opDelete);
    }
}

void TfrmMdi::strgrdMainDblClick()
{
    if (FGrid->Row() > 0 && !FGrid->Cells(0, 1).isEmpty())
        EditRecord(Symbol.ModuleName);
}

bool TfrmMdi::strgrdMainRightClick(const QPoint& globalPos, bool popUp)
{
    if (FGrid->Row() == 0 || FGrid->Cells(0, 1).isEmpty() || Symbol.ModuleName != QStringLiteral("送修登记"))
        return false;
    if (!CheckRight(QStringLiteral("维修结账"), rtRead))
        return false;
    if (popUp)
        pmMain->popup(globalPos);
    return true;
}

void TfrmMdi::popPaymentClick()
{
    if (!CheckRight(QStringLiteral("维修结账"), rtRead))
        return;
    MakeCurrent(FGrid->Row());
    OpenModule(QStringLiteral("维修结账"), 0, FCurrent.get());
}

void TfrmMdi::ExportGrid()
{
    TFileRequest r;
    r.Mode = TFileRequest::Save;
    r.Filter = QStringLiteral("Excel文件(*.xls)");
    r.DefaultSuffix = QStringLiteral("xls");
    QString file = AskFileName(r);
    if (file.isEmpty())
        return;
    if (QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".xls");
    QString error;
    if (!ExportGridToFile(FGrid, file, &error)) {
        ShowError(error);
        return;
    }
    ShowMsg(Texts::OperationOk, Texts::CaptionInfo, TMsgIcon::Information);
}

void TfrmMdi::mnuClearStockClick()
{
    TQueryLoan q(Pool);
    q->Clear();
    q->SetSQL(QStringLiteral("DELETE FROM TB_STOCK WHERE STOCK_COUNT = 0"));
    q->ExecSQL();
    ShowMsg(Texts::OperationOk, Texts::CaptionInfo, TMsgIcon::Information);
}

void TfrmMdi::mnuTheUnitClick()
{
    OpenModule(QStringLiteral("本单位"), 0, nullptr);
}

void TfrmMdi::mnuPassWordClick()
{
    TfrmPassword dlg(this);
    dlg.exec();
}

void TfrmMdi::mnuRightClick()
{
    OpenModule(QStringLiteral("权限管理"), 0, nullptr);
}

void TfrmMdi::mnuExitSysClick()
{
    close();
}

void TfrmMdi::mnuHelpClick()
{
    const QString help = QDir::current().absoluteFilePath(QStringLiteral("help.chm"));
    if (QFileInfo::exists(help))
        QDesktopServices::openUrl(QUrl::fromLocalFile(help));
}

void TfrmMdi::mnuAboutClick()
{
    TfrmAbout dlg(this);
    dlg.exec();
}

void TfrmMdi::mnuBrowseClick()
{
    QDesktopServices::openUrl(QUrl(ProductHomePage()));
}

void TfrmMdi::closeEvent(QCloseEvent* e)
{
    e->ignore();
    RunGuarded([&] {
        if (ShowMsg(Texts::ExitQuestion, Texts::CaptionQuestion) == TMsgAnswer::Yes)
            e->accept();
    });
}
