#pragma once
// The workstation's main window: navigation tree, the paged list and its toolbar.
#include <QMainWindow>

class QTreeWidget;
class QTreeWidgetItem;
class TStringGrid;

class TfrmMdi : public QMainWindow {
    Q_OBJECT
public:
    // programFolder: where configure.xml and the pictures are; empty for the executable's
    // own folder (tests give a folder of their own).
    explicit TfrmMdi(const QString& programFolder = QString(), QWidget* parent = nullptr);
    ~TfrmMdi() override;

    // False when start-up could not complete (the reason has been shown): the program ends.
    bool Created() const { return FCreated; }
    QTreeWidget* tvMain() const { return FTree; }
    TStringGrid* strgrdMain() const { return FGrid; }

private:
    bool FormCreate(const QString& programFolder);
    void BuildTree();

    bool FCreated = false;
    QTreeWidget* FTree = nullptr;
    TStringGrid* FGrid = nullptr;
};
