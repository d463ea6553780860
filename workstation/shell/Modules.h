#pragma once
// The workstation's functions, one row each. The navigation tree, the toolbar rules, the record
// actions and OpenModule read what a function does from this table; no function name is
// compared anywhere else.
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>

class TData;

// OpenModule's modes.
constexpr int ModeNew = 0;
constexpr int ModeEdit = 1;

struct TModule {
    QString Name;   // the function name: node caption and FUNCTION_NAME of TB_RIGHT
    QString Root;   // the tree root it sits under; empty when it is not in the tree
    // The node's list source; empty when choosing the node opens the window instead.
    std::function<std::unique_ptr<TData>()> MakeList;
    QString BaseFilter;   // kept under every find on the list
    bool CanNew = false;   // 新增 and 编辑 apply to the list
    bool CanFind = false;   // 查询 applies to the list
    bool AddressBook = false;   // the user chooses which address book first
    bool OffersPayment = false;   // the grid's pop-up offers the checkout of the selected row
    // Shows the function's window modally over list (mode ModeNew or ModeEdit); empty while the
    // window is not built yet.
    std::function<void(int mode, TData* list)> Window;
};

namespace ModuleNames {
extern const QString Payment;   // "维修结账"
extern const QString TheUnit;   // "本单位"
extern const QString Right;   // "权限管理"
extern const QString History;   // "维修历史"
}   // namespace ModuleNames

const QVector<TModule>& Modules();
// The row of a function name, letter case ignored; null for a name that is no function.
const TModule* FindModule(const QString& name);
// The tree's roots in their order.
QStringList ModuleRoots();
// The tree children of one root, in their order.
QStringList ModulesUnder(const QString& root);
