#pragma once
// The dictionary windows: "数据字典" lists the four dictionaries and edits the chosen one's
// entries in a grid of marks that one save carries out; "数据更新" takes one entry's name.
#include "DataTool.h"
#include "Dictionary.h"

#include <QDialog>

class QTreeWidget;
class TData;
class TLabeledEdit;
class TStringGrid;

class TfrmDicUpdate : public QDialog {
    Q_OBJECT
public:
    // id: shown unless empty ("0" stays then); name: the entry's name.
    TfrmDicUpdate(const QString& id, const QString& name, QWidget* parent = nullptr);

    TDataToolBar* dtbDicUpdate;
    TLabeledEdit* edtID;
    TLabeledEdit* edtContent;

    // Opens the dialog modally; 保存 hands the texts back into id and name (true), any other
    // way out leaves them as they were (false).
    static bool Edit(QString& id, QString& name, QWidget* parent);

    void dtbDicUpdateClick();
};

class TfrmDic : public QDialog {
    Q_OBJECT
public:
    explicit TfrmDic(QWidget* parent = nullptr);
    ~TfrmDic() override;

    TDataToolBar* dtbDictionary;
    QTreeWidget* tvDictionary;
    TStringGrid* strgrdDictionary;

    // What the grid holds, as the model reads and marks it.
    const TDicGrid& Grid() const { return FGrid; }
    // Position of the dictionary now in the grid; -1 before one is loaded.
    int LoadedDictionary() const { return FLoaded; }

    void tvDictionaryClick();
    void strgrdDictionaryClick(int row);
    void dtbDictionaryClick();

    static const QString NoDictionary;   // 新增 before a dictionary is chosen

protected:
    void showEvent(QShowEvent* e) override;

private:
    void NewEntry();
    void EditEntry();
    void DeleteEntry();
    void Save();
    // Writes the model's grid into the grid control; widths only when newly loaded.
    void ShowGrid(bool widths);
    bool IsDataRow(int row) const { return row >= 1 && row < FGrid.RowCount(); }
    void Enable(TOption o, bool on);

    TDic FDic;
    TDicGrid FGrid;
    int FLoaded = -1;
    TDataSet* FDataSet = nullptr;   // borrowed from the pool while the window lives
    TSQLQuery* FQuery = nullptr;   // the pool's shared statement
};

// Opens "数据字典" modally (the module table's factory); mode and list are not used.
void OpenDic(int mode, TData* list);
