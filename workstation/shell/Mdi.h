#pragma once
// The workstation's main window: navigation tree, the paged list and its toolbar, the
// permissions of the operator, and the menus.
#include "DataTool.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QStatusBar;
class QTreeWidget;
class QTreeWidgetItem;
class TData;
class TStringGrid;
struct TRightInfo;

class TfrmMdi : public QMainWindow {
    Q_OBJECT
public:
    // programFolder: where configure.xml and the pictures are; empty for the executable's
    // own folder (tests give a folder of their own).
    explicit TfrmMdi(const QString& programFolder = QString(), QWidget* parent = nullptr);
    ~TfrmMdi() override;

    // False when start-up could not complete (the reason has been shown): the program ends.
    bool Created() const { return FCreated; }
    // The login window, modal; true after a successful login, which also runs the first
    // showing's steps (status bar, company data, permissions). False: the program ends.
    bool Login();
    // The steps after a successful login; public for tests that log in by other means.
    void FormShow();

    QTreeWidget* tvMain() const { return FTree; }
    TStringGrid* strgrdMain() const { return FGrid; }
    TDataToolBar* dtbMain() const { return FToolBar; }
    QLabel* lblTip() const { return FTip; }
    TData* CurrentData() const { return FCurrent.get(); }
    QString PageText(int panel) const;   // statPage's panels 0 … 4
    QString MainText(int panel) const;   // statMain's panels 0 … 3

    QAction* mnuTheUnit;
    QAction* mnuClearStock;
    QAction* mnuPassWord;
    QAction* mnuRight;
    QAction* mnuExitSys;
    QAction* mnuToolBar;
    QAction* mnuLeftBar;
    QAction* mnuStatusBar;
    QAction* mnuHelp;
    QAction* mnuAbout;
    QAction* mnuBrowse;
    QMenu* pmMain;
    QAction* popPayment;

    // Chooses the tree node with this caption, as a click on it would.
    bool ChooseNode(const QString& caption);
    void tvMainChange(QTreeWidgetItem* node);
    void dtbMainClick();
    void strgrdMainClick();
    void strgrdMainDblClick();
    // A right click; true when the pop-up menu would be shown (tests do not run it).
    bool strgrdMainRightClick(const QPoint& globalPos, bool popUp = true);
    void popPaymentClick();

    void NewRecord(const QString& functionName);
    void EditRecord(const QString& functionName);
    void DeleteRecord();
    static void ReadRights(TRightInfo& info, const QString& read, const QString& append, const QString& alter,
                           const QString& del);

    void mnuTheUnitClick();
    void mnuClearStockClick();
    void mnuPassWordClick();
    void mnuRightClick();
    void mnuExitSysClick();
    void mnuHelpClick();
    void mnuAboutClick();
    void mnuBrowseClick();
    void ExportGrid();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    bool FormCreate(const QString& programFolder);
    void CreateMenus();
    void BuildTree();
    void ShowPageState();
    void MakeCurrent(int row);
    void AddEnabled(TOption option);

    bool FCreated = false;
    QTreeWidget* FTree = nullptr;
    QSplitter* FSplitter = nullptr;
    TDataToolBar* FToolBar = nullptr;
    QLabel* FTip = nullptr;
    TStringGrid* FGrid = nullptr;
    QStatusBar* FPageBar = nullptr;
    QStatusBar* FMainBar = nullptr;
    QLabel* FPagePanels[5] = {};
    QLabel* FMainPanels[4] = {};
    std::unique_ptr<TData> FCurrent;
};
