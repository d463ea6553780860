// Every field a user types into or chooses from carries the caption beside it as its
// accessible name: screen readers and the end-to-end tests find "登录用户" by what is read.
#include "Commodity.h"
#include "Employee.h"
#include "Filter.h"
#include "Find.h"
#include "GlobalHead.h"
#include "Login.h"
#include "Password.h"
#include "Recorder.h"
#include "Supplier.h"
#include "Tool.h"
#include "clsCommodity.h"
#include "clsEmployee.h"
#include "clsSupplier.h"
#include "clsTool.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

#include <functional>

namespace {

// The fields of a window without a name; a combo box's own line edit goes with the box.
QStringList Unnamed(QWidget* window)
{
    QStringList out;
    const QList<QWidget*> all = window->findChildren<QWidget*>();
    for (QWidget* w : all) {
        const bool field =
            qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSpinBox*>(w);
        if (!field || qobject_cast<QComboBox*>(w->parentWidget()) || qobject_cast<QAbstractSpinBox*>(w->parentWidget()))
            continue;
        if (w->accessibleName().trimmed().isEmpty())
            out << QStringLiteral("%1 (%2)").arg(w->objectName(), QString::fromLatin1(w->metaObject()->className()));
    }
    return out;
}

}   // namespace

using TWindowFactory = std::function<QWidget*()>;
Q_DECLARE_METATYPE(TWindowFactory)

class TestAccess : public QObject {
    Q_OBJECT

private slots:
    void everyFieldIsNamed_data()
    {
        QTest::addColumn<TWindowFactory>("make");
        QTest::addColumn<QStringList>("names");   // some names the window must carry
        QTest::newRow("login") << TWindowFactory([] { return static_cast<QWidget*>(new TfrmLogin()); })
                               << QStringList{QStringLiteral("登录用户"), QStringLiteral("登录密码")};
        QTest::newRow("find") << TWindowFactory([] {
            return static_cast<QWidget*>(new TfrmFind());
        }) << QStringList{QStringLiteral("查询字段"), QStringLiteral("条件关系"), QStringLiteral("查询值")};
        QTest::newRow("address books") << TWindowFactory([] { return static_cast<QWidget*>(new TfrmFilter()); })
                                       << QStringList{QStringLiteral("请选择通讯录类型")};
        QTest::newRow("password") << TWindowFactory([] {
            return static_cast<QWidget*>(new TfrmPassword());
        }) << QStringList{QStringLiteral("旧口令"), QStringLiteral("新口令"), QStringLiteral("验证口令")};
        // The record windows, on lists that outlive them (no database: the lookups stay empty).
        static TEmployee employees;
        static TCommodity parts;
        static TSupplier suppliers;
        static TTool tools;
        QTest::newRow("employee") << TWindowFactory([] {
            return static_cast<QWidget*>(new TfrmEmployee(&employees, false));
        }) << QStringList{QStringLiteral("姓名"), QStringLiteral("性别"), QStringLiteral("学历"),
                          QStringLiteral("出生日期"), QStringLiteral("入职日期"), QStringLiteral("就职类型"),
                          QStringLiteral("状态"), QStringLiteral("身份证号")};
        QTest::newRow("part") << TWindowFactory([] { return static_cast<QWidget*>(new TfrmCommodity(&parts, false)); })
                              << QStringList{QStringLiteral("商品名")};
        QTest::newRow("supplier") << TWindowFactory([] {
            return static_cast<QWidget*>(new TfrmSupplier(&suppliers, false));
        }) << QStringList{QStringLiteral("单位名称"), QStringLiteral("联系人"), QStringLiteral("主营产品")};
        QTest::newRow("tool") << TWindowFactory([] { return static_cast<QWidget*>(new TfrmTool(&tools, false)); })
                              << QStringList{QStringLiteral("工具名称"), QStringLiteral("数量"), QStringLiteral("购买日期"),
                                             QStringLiteral("最近送检")};
    }

    void everyFieldIsNamed()
    {
        QFETCH(TWindowFactory, make);
        QFETCH(QStringList, names);
        TRecorder rec;   // the login's connection attempt may report that nothing listens
        Symbol.ServerIP = QStringLiteral("127.0.0.1");
        Symbol.Port = 1;
        std::unique_ptr<QWidget> w(make());
        const QStringList unnamed = Unnamed(w.get());
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
        QStringList all;
        for (QWidget* c : w->findChildren<QWidget*>())
            all << c->accessibleName();
        for (const QString& n : names)
            QVERIFY2(all.contains(n), qPrintable(n));
    }
};

QTEST_MAIN(TestAccess)
#include "tst_access.moc"
