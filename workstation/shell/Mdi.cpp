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
#include "clsContact.h"
#include "Login.h"
#include "Modules.h"
#include "Password.h"
#include "Product.h"
#include "StringGrid.h"

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

TfrmMdi::TfrmMdi(const QString& programFolder, QWidget* parent)
    : QMainWindow(parent)
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
    FToolBar->SetOptions(OptionBit(opFind) | OptionBit(opRefresh) | OptionBit(opNew) | OptionBit(opEdit)
                         | OptionBit(opDelete) | OptionBit(opFirst) | OptionBit(opPrevious) | OptionBit(opNext)
                         | OptionBit(opLast) | OptionBit(opExport));
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
    popPayment = pmMain->addAction(ModuleNames::Payment, this, Guarded(this, &TfrmMdi::popPaymentClick));
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
    mnuTheUnit = sys->addAction(ModuleNames::TheUnit, this, Guarded(this, &TfrmMdi::mnuTheUnitClick));
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
    // The program's main() has set up the folder, the pool and the settings before; a window
    // made for another folder (the tests) sets them up itself.
    if ((!programFolder.isEmpty() || AppPath.isEmpty()) && !StartUp(programFolder))
        return false;
    BuildTree();
    return true;
}

void TfrmMdi::BuildTree()
{
    FTree->clear();
    for (const QString& rootName : ModuleRoots()) {
        auto* root = new QTreeWidgetItem(FTree, {rootName});
        for (const QString& child : ModulesUnder(rootName))
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
    Symbol.TheUnit = ReadTheUnit(*Pool);
    FMainPanels[1]->setText(QStringLiteral("文件版本：%1").arg(Symbol.Version));
    if (Symbol.User.UserName.compare(Texts::Administrator, Qt::CaseInsensitive) == 0) {
        mnuRight->setEnabled(true);
        for (TRightInfo& info : Symbol.Rights)
            info.Grants = AllRights;
        return;
    }
    ::ReadRights(*Pool, Symbol.User.ID, Symbol.Rights);
}

void TfrmMdi::ReadRights(TRightInfo& info, const QString& read, const QString& append, const QString& alter,
                         const QString& del)
{
    ApplyRightRow(info, read, append, alter, del);
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
    const TModule* module = FindModule(caption);
    if (!module)
        return;
    if (!module->MakeList) {
        OpenModule(caption, ModeNew, nullptr);
        return;
    }

    std::unique_ptr<TData> source = module->MakeList();
    // The address book is chosen first: a chooser closed without a choice leaves the old
    // list, its page state and the toolbar exactly as they were.
    if (module->AddressBook) {
        QString answer;
        TfrmFilter chooser(this);
        chooser.Prepare(&answer);
        chooser.exec();
        auto* contact = dynamic_cast<TContact*>(source.get());
        if (!contact || !contact->ChooseBook(answer))
            return;
    }
    if (!module->BaseFilter.isEmpty())
        source->SetFilter(module->BaseFilter);

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
    if (module->CanFind)
        e |= OptionBit(opFind);
    if (!module->CanNew)
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
        TCondition condition;
        {
            TfrmFind find(this);
            find.Prepare(&answer, &condition);
            find.exec();
        }
        if (condition.IsEmpty() || !FCurrent)
            return;
        // A list restricted by its function (the history to settled orders) stays restricted
        // whatever is found in it.
        const TModule* module = FindModule(Symbol.ModuleName);
        QString filter = condition.Text;
        if (module && !module->BaseFilter.isEmpty())
            filter = module->BaseFilter + QStringLiteral(" AND (") + filter + QLatin1Char(')');
        const QString oldFilter = FCurrent->Filter;
        const QVector<TFbValue> oldParams = FCurrent->FilterParams();
        FCurrent->Close();
        FCurrent->SetFilter(filter, condition.Params);
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
    case opNew: {
        NewRecord(Symbol.ModuleName);
        // The toolbar's own rule has just taken 新增 away; a list that takes new records keeps
        // it at hand, so that the next part or supplier needs no second visit to the tree.
        const TModule* module = FindModule(Symbol.ModuleName);
        if (module && module->MakeList && module->CanNew)
            AddEnabled(opNew);
        AddEnabled(opEdit);
        break;
    }
    case opEdit: EditRecord(Symbol.ModuleName); break;
    case opDelete: DeleteRecord(); break;
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
    case opExport: ExportGrid(); break;
    default: break;
    }
}

void TfrmMdi::NewRecord(const QString& functionName)
{
    // A list without records of its own to add does nothing; an unknown name (nothing chosen
    // yet) meets the permission test and is refused there.
    const TModule* module = FindModule(functionName);
    if (module && module->MakeList && !module->CanNew)
        return;
    if (CheckRight(functionName, rtAppend))
        OpenModule(functionName, ModeNew, FCurrent.get());
}

void TfrmMdi::EditRecord(const QString& functionName)
{
    if (!CheckRight(functionName, rtAlter))
        return;
    const int row = FGrid->Row();
    if (row < 1 || FGrid->Cells(0, row).isEmpty())
        return;
    MakeCurrent(row);
    OpenModule(functionName, ModeEdit, FCurrent.get());
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
    const TModule* module = FindModule(Symbol.ModuleName);
    if (FGrid->Row() == 0 || FGrid->Cells(0, 1).isEmpty() || !module || !module->OffersPayment)
        return false;
    if (!CheckRight(ModuleNames::Payment, rtRead))
        return false;
    if (popUp)
        pmMain->popup(globalPos);
    return true;
}

void TfrmMdi::popPaymentClick()
{
    if (!CheckRight(ModuleNames::Payment, rtRead))
        return;
    MakeCurrent(FGrid->Row());
    OpenModule(ModuleNames::Payment, ModeNew, FCurrent.get());
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
    CarryForwardStock(*Pool);
    ShowMsg(Texts::OperationOk, Texts::CaptionInfo, TMsgIcon::Information);
}

void TfrmMdi::mnuTheUnitClick()
{
    OpenModule(ModuleNames::TheUnit, ModeNew, nullptr);
}

void TfrmMdi::mnuPassWordClick()
{
    TfrmPassword dlg(this);
    dlg.exec();
}

void TfrmMdi::mnuRightClick()
{
    OpenModule(ModuleNames::Right, ModeNew, nullptr);
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
