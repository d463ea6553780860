#include "Modules.h"

#include "Commodity.h"
#include "Dic.h"
#include "Employee.h"
#include "Payment.h"
#include "Repair.h"
#include "Right.h"
#include "Sales.h"
#include "Storage.h"
#include "Supplier.h"
#include "TheUnit.h"
#include "Tool.h"

#include "clsCommodity.h"
#include "clsContact.h"
#include "clsEmployee.h"
#include "clsRepair.h"
#include "clsSales.h"
#include "clsStock.h"
#include "clsStorage.h"
#include "clsSupplier.h"
#include "clsTool.h"

namespace ModuleNames {
const QString Payment = QStringLiteral("维修结账");
const QString TheUnit = QStringLiteral("本单位");
const QString Right = QStringLiteral("权限管理");
const QString History = QStringLiteral("维修历史");
}   // namespace ModuleNames

namespace {

template <class T> std::function<std::unique_ptr<TData>()> List()
{
    return [] { return std::unique_ptr<TData>(std::make_unique<T>()); };
}

// What a row's list allows, as flags, so that the table reads as one line per function.
enum : unsigned { NewEdit = 1, Find = 2, AddressBook = 4, Payment = 8 };

TModule Row(const QString& name, const QString& root, std::function<std::unique_ptr<TData>()> list = {},
            unsigned flags = 0, const QString& baseFilter = QString(), std::function<void(int, TData*)> window = {})
{
    TModule m;
    m.Name = name;
    m.Root = root;
    m.MakeList = std::move(list);
    m.BaseFilter = baseFilter;
    m.CanNew = flags & NewEdit;
    m.CanFind = flags & Find;
    m.AddressBook = flags & AddressBook;
    m.OffersPayment = flags & Payment;
    m.Window = std::move(window);
    return m;
}

QVector<TModule> MakeTable()
{
    const QString basic = QStringLiteral("基础数据");
    const QString repair = QStringLiteral("维修业务");
    const QString parts = QStringLiteral("配件业务");
    const QString stock = QStringLiteral("库存管理");
    // In the tree's order; a row without a list opens its window when the node is chosen.
    // The business windows register their factories (Window) here as they are built.
    return {
        Row(QStringLiteral("供应商"), basic, List<TSupplier>(), NewEdit, {}, OpenSupplier),
        Row(QStringLiteral("通讯录"), basic, List<TContact>(), AddressBook),
        Row(QStringLiteral("人事档案"), basic, List<TEmployee>(), NewEdit, {}, OpenEmployee),
        Row(QStringLiteral("数据字典"), basic, {}, 0, {}, OpenDic),
        Row(QStringLiteral("商品字典"), basic, List<TCommodity>(), NewEdit, {}, OpenCommodity),
        Row(QStringLiteral("送修登记"), repair, List<TRepair>(), NewEdit | Find | Payment, {}, OpenRepair),
        Row(ModuleNames::History, repair, List<TRepair>(), Find, QStringLiteral("IS_PAY = 1")),
        Row(QStringLiteral("配件入库"), parts, {}, 0, {}, OpenStorage),
        Row(QStringLiteral("配件销售"), parts, {}, 0, {}, OpenSales),
        Row(QStringLiteral("进货明细"), parts, List<TStorage>(), 0, {}, OpenStorage),
        Row(QStringLiteral("销售明细"), parts, List<TSales>(), 0, {}, OpenSales),
        Row(QStringLiteral("库存盘点"), stock, List<TStock>()),
        Row(QStringLiteral("工具管理"), stock, List<TTool>(), NewEdit, {}, OpenTool),
        // Opened from the menus and the grid's pop-up only.
        Row(ModuleNames::TheUnit, QString(), {}, 0, {}, OpenTheUnit),
        Row(ModuleNames::Payment, QString(), {}, 0, {}, OpenPayment),
        Row(ModuleNames::Right, QString(), {}, 0, {}, OpenRight),
    };
}

}   // namespace

const QVector<TModule>& Modules()
{
    static const QVector<TModule> table = MakeTable();
    return table;
}

const TModule* FindModule(const QString& name)
{
    for (const TModule& m : Modules())
        if (m.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &m;
    return nullptr;
}

QStringList ModuleRoots()
{
    QStringList roots;
    for (const TModule& m : Modules())
        if (!m.Root.isEmpty() && !roots.contains(m.Root))
            roots << m.Root;
    return roots;
}

QStringList ModulesUnder(const QString& root)
{
    QStringList names;
    for (const TModule& m : Modules())
        if (m.Root == root)
            names << m.Name;
    return names;
}
