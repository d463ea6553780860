#include "Modules.h"

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
}

namespace {

template <class T>
std::function<std::unique_ptr<TData>()> List()
{
    return [] { return std::unique_ptr<TData>(std::make_unique<T>()); };
}

QVector<TModule> MakeTable()
{
    const QString basic = QStringLiteral("基础数据");
    const QString repair = QStringLiteral("维修业务");
    const QString parts = QStringLiteral("配件业务");
    const QString stock = QStringLiteral("库存管理");

    QVector<TModule> t;
    auto add = [&t](const QString& name, const QString& root) -> TModule& {
        t.append(TModule());
        t.last().Name = name;
        t.last().Root = root;
        return t.last();
    };
    // In the tree's order.
    { TModule& m = add(QStringLiteral("供应商"), basic); m.MakeList = List<TSupplier>(); m.CanNew = true; }
    { TModule& m = add(QStringLiteral("通讯录"), basic); m.MakeList = List<TContact>(); m.AddressBook = true; }
    { TModule& m = add(QStringLiteral("人事档案"), basic); m.MakeList = List<TEmployee>(); m.CanNew = true; }
    add(QStringLiteral("数据字典"), basic);
    { TModule& m = add(QStringLiteral("商品字典"), basic); m.MakeList = List<TCommodity>(); m.CanNew = true; }
    { TModule& m = add(QStringLiteral("送修登记"), repair); m.MakeList = List<TRepair>(); m.CanNew = true;
      m.CanFind = true; m.OffersPayment = true; }
    { TModule& m = add(ModuleNames::History, repair); m.MakeList = List<TRepair>(); m.CanFind = true;
      m.BaseFilter = QStringLiteral("IS_PAY = 1"); }
    add(QStringLiteral("配件入库"), parts);
    add(QStringLiteral("配件销售"), parts);
    { TModule& m = add(QStringLiteral("进货明细"), parts); m.MakeList = List<TStorage>(); }
    { TModule& m = add(QStringLiteral("销售明细"), parts); m.MakeList = List<TSales>(); }
    { TModule& m = add(QStringLiteral("库存盘点"), stock); m.MakeList = List<TStock>(); }
    { TModule& m = add(QStringLiteral("工具管理"), stock); m.MakeList = List<TTool>(); m.CanNew = true; }
    // Opened from menus and the pop-up only.
    add(ModuleNames::TheUnit, QString());
    add(ModuleNames::Payment, QString());
    add(ModuleNames::Right, QString());
    // The business windows register their factories here as they are built (Window).
    return t;
}

} // namespace

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
