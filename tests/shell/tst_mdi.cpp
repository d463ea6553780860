// The main window as an operator uses it: permissions, choosing lists, paging, find,
// export, delete, the address-book chooser, carry-forward and the exit question.
#include "Bills.h"
#include "ConPool.h"
#include "ListGrid.h"
#include "DataHead.h"
#include "DataTool.h"
#include "Dic.h"
#include "FbClient.h"
#include "Filter.h"
#include "Find.h"
#include "Functions.h"
#include "GlobalHead.h"
#include "LabeledEdit.h"
#include "Mdi.h"
#include "Password.h"
#include "Payment.h"
#include "Recorder.h"
#include "Repair.h"
#include "Sales.h"
#include "Storage.h"
#include "StringGrid.h"
#include "TestDb.h"
#include "Workstation.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QLabel>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QDeadlineTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const QString Admin = QStringLiteral("管理员");

QStringList ReadLines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray all = f.readAll();
    QStringList lines = QString::fromUtf8(all).split(QStringLiteral("\r\n"));   // ASCII-safe split
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

}   // namespace

class TestMdi : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestDb> Db;
    std::unique_ptr<QTemporaryDir> Folder;
    std::unique_ptr<TRecorder> Rec;
    std::unique_ptr<TfrmMdi> Frm;
    std::unique_ptr<TFbConnection> Other;   // looks at what the window wrote

    QString Scalar(const QString& sql)
    {
        const TFbResult r = Other->Execute(sql);
        return r.Cells.empty() ? QString() : r.Cells[0].AsString();
    }

    // A logged-in session of the given operator (ID and name).
    void Session(const QString& id, const QString& name)
    {
        Symbol.User.ID = id;
        Symbol.User.UserName = name;
        Symbol.User.PassWord = QStringLiteral("e10adc3949ba59abbe56e057f20f883e");
        Symbol.ModuleName.clear();
        Frm = std::make_unique<TfrmMdi>(Folder->path());
        QVERIFY(Frm->Created());
        Frm->FormShow();
        Frm->show();
    }

private slots:
    void initTestCase()
    {
        if (!Pool)
            Pool = new TConPool();
        Db = std::make_unique<TTestDb>();
        QVERIFY2(Db->Ok(), qPrintable(Db->Error()));
        Other = std::make_unique<TFbConnection>();
        Other->Attach(Db->Location(), TConPool::UserName, TConPool::Password);
        // 250 orders, the first 40 settled; one owner with a quote in the name.
        Other->Execute(QStringLiteral(
            "EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= 250) DO BEGIN "
            "INSERT INTO TB_REPAIR (ID, CAR_NO, CAR_OWNER, PHONE, IS_PAY, ACCEPTER_ID, OPERATOR_ID) VALUES "
            "(NEXT VALUE FOR GEN_REPAIR_ID, '京A' || LPAD(:I, 5, '0'), IIF(:I = 7, 'O''Brien', '车主' || :I), '139', "
            "IIF(:I <= 40, 1, 0), 1, 1); I = I + 1; END END"));
        // An operator who may read the repairs but not the suppliers.
        Other->Execute(
            QStringLiteral("INSERT INTO TB_EMPLOYEE (ID, EMPLOYEE_NAME, PW) VALUES (NEXT VALUE FOR GEN_EMPLOYEE_ID, "
                           "'Li', 'e10adc3949ba59abbe56e057f20f883e')"));
        const QString li = Scalar(QStringLiteral("SELECT ID FROM TB_EMPLOYEE WHERE EMPLOYEE_NAME = 'Li'"));
        Other->Execute(
            QStringLiteral("INSERT INTO TB_RIGHT (ID, USER_ID, FUNCTION_NAME, IS_READ, IS_APPEND, IS_ALTER, IS_DELETE) "
                           "VALUES (NEXT VALUE FOR GEN_RIGHT_ID, %1, '送修登记', 1, 0, 0, 1)")
                .arg(li));
        Other->Execute(
            QStringLiteral("INSERT INTO TB_RIGHT (ID, USER_ID, FUNCTION_NAME, IS_READ, IS_APPEND, IS_ALTER, IS_DELETE) "
                           "VALUES (NEXT VALUE FOR GEN_RIGHT_ID, %1, '供应商', 0, 1, 1, 1)")
                .arg(li));
        Pool->Open(Db->Location());
        // A part of the catalogue for the lots of the carry-forward.
        Other->Execute(QStringLiteral("INSERT INTO TB_COMMODITY (COMMODITY_NAME) VALUES ('测试配件')"));
    }

    void init()
    {
        Folder = std::make_unique<QTemporaryDir>();
        QVERIFY(WriteTestSettings(*Folder));
        Rec = std::make_unique<TRecorder>();
    }

    void cleanup()
    {
        Rec->Answers.enqueue(TMsgAnswer::Yes);
        Frm.reset();
        Rec.reset();
    }

    void cleanupTestCase()
    {
        Pool->Close();
        Other.reset();
    }

    void startState()
    {
        Session(QStringLiteral("1"), Admin);
        QCOMPARE(Frm->windowTitle(), QStringLiteral("汽修管理系统"));
        QCOMPARE(Frm->lblTip()->text(), QStringLiteral("业务导航"));
        QCOMPARE(Frm->dtbMain()->Enableds(), OptionBit(opRefresh) | OptionBit(opNew) | OptionBit(opExport));
        // Panel 0 is the narrow empty one; then version, operator and server address.
        QCOMPARE(Frm->MainText(0), QString());
        QVERIFY(Frm->MainText(1).startsWith(QStringLiteral("文件版本：")));
        QCOMPARE(Frm->MainText(2), QStringLiteral("操作员:管理员"));
        QCOMPARE(Frm->MainText(3), QStringLiteral("服务器IP：127.0.0.1"));
        QCOMPARE(Frm->PageText(0), QStringLiteral("共   条记录"));
        QVERIFY(Frm->mnuRight->isEnabled());
        for (const TRightInfo& info : Symbol.Rights)
            QCOMPARE(info.Grants, AllRights);
        QVERIFY(!Symbol.TheUnit.TheUnitName.isEmpty());
        // A root node does nothing.
        QVERIFY(Frm->ChooseNode(QStringLiteral("维修业务")));
        QVERIFY(Frm->CurrentData() == nullptr);
        QVERIFY(Rec->Messages.isEmpty());
    }

    void pagesThroughTwoHundredFiftyOrders()
    {
        Session(QStringLiteral("1"), Admin);
        QVERIFY(Frm->ChooseNode(QStringLiteral("送修登记")));
        QVERIFY(Frm->CurrentData());
        QCOMPARE(Symbol.ModuleName, QStringLiteral("送修登记"));
        QCOMPARE(Frm->lblTip()->text(), QStringLiteral("业务导航：维修业务->送修登记"));
        QCOMPARE(Frm->PageText(0), QStringLiteral("共有 250 条记录"));
        QCOMPARE(Frm->PageText(1), QStringLiteral("当前页有 100 条记录"));
        QCOMPARE(Frm->PageText(3), QStringLiteral("共有 3 页"));
        QCOMPARE(Frm->PageText(4), QStringLiteral("当前第 1 页"));
        const TOptions e = Frm->dtbMain()->Enableds();
        QVERIFY(HasOption(e, opFind) && HasOption(e, opNext) && HasOption(e, opLast) && HasOption(e, opNew));
        QVERIFY(!HasOption(e, opFirst) && !HasOption(e, opPrevious));
        QCOMPARE(Frm->strgrdMain()->RowCount(), 101);

        Click(Frm->dtbMain(), opLast);
        QCOMPARE(Frm->PageText(4), QStringLiteral("当前第 3 页"));
        QCOMPARE(Frm->strgrdMain()->RowCount(), 51);
        QVERIFY(!HasOption(Frm->dtbMain()->Enableds(), opNext));
        Click(Frm->dtbMain(), opPrevious);
        QCOMPARE(Frm->PageText(4), QStringLiteral("当前第 2 页"));
        Click(Frm->dtbMain(), opFirst);
        QCOMPARE(Frm->PageText(4), QStringLiteral("当前第 1 页"));

        // The history: settled orders only, no new or edit.
        QVERIFY(Frm->ChooseNode(QStringLiteral("维修历史")));
        QCOMPARE(Frm->PageText(0), QStringLiteral("共有 40 条记录"));
        QVERIFY(!HasOption(Frm->dtbMain()->Enableds(), opNew));
        QVERIFY(HasOption(Frm->dtbMain()->Enableds(), opFind));
        QVERIFY(Rec->Messages.isEmpty());
    }

    void findQuotesAndKeepsTheHistoryRestriction_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("count");
        QTest::newRow("quote in the value") << "送修登记"
                                            << "O'Brien" << 1;
        QTest::newRow("no injection") << "送修登记"
                                      << "x' OR '1'='1" << 0;
        QTest::newRow("history keeps settled only") << "维修历史"
                                                    << "京A%" << 40;
        QTest::newRow("history, unsettled owner") << "维修历史"
                                                  << "京A00100" << 0;
        // Words the list text is made of, inside a value: the value never reaches the text.
        QTest::newRow("words of the statement") << "送修登记"
                                                << "x ROWS 1 WHERE FROM" << 0;
        // Bound, a value of any length is only a value that matches nothing.
        QTest::newRow("64 KB") << "送修登记" << QString(65536, QLatin1Char('x')) << 0;
    }

    void findQuotesAndKeepsTheHistoryRestriction()
    {
        QFETCH(QString, node);
        QFETCH(QString, value);
        QFETCH(int, count);
        Session(QStringLiteral("1"), Admin);
        QVERIFY(Frm->ChooseNode(node));
        OnNextDialog([value](QWidget* w) {
            auto* find = qobject_cast<TfrmFind*>(w);
            QVERIFY(find);
            const bool owner = value.contains(QLatin1Char('\''));
            find->cbbField->setCurrentIndex(owner ? 1 : 0);
            find->cbbSymbol->setCurrentText(value.contains(QLatin1Char('%')) ? QStringLiteral("LIKE")
                                                                             : QStringLiteral("="));
            find->edtValueStr->setMaxLength(value.size() + 1);
            find->edtValueStr->setText(value);
            Click(find->dtbFind, opFind);
        });
        Click(Frm->dtbMain(), opFind);
        QVERIFY2(Rec->Messages.isEmpty(), qPrintable(Rec->Last()));
        QCOMPARE(Frm->PageText(0), QStringLiteral("共有 %1 条记录").arg(count));
        // The value travels bound, beside the condition, never inside it.
        QVERIFY(!Frm->CurrentData()->Filter.contains(value));
        QCOMPARE(Frm->CurrentData()->FilterParams().size(), 1);
        QCOMPARE(Frm->CurrentData()->FilterParams()[0].AsString(), value);
    }

    // 新增 and 编辑 on the repair list open the registration window on the list; the saved
    // order shows after 刷新.
    void newAndEditOpenTheRepairWindow()
    {
        // The other cases count the 250 orders: this one's order goes again, whatever happens.
        struct TRemove {
            TFbConnection* Db;
            ~TRemove() { Db->Execute(QStringLiteral("DELETE FROM TB_REPAIR WHERE CAR_NO = '京N99999'")); }
        } remove{Other.get()};
        Session(QStringLiteral("1"), Admin);
        QVERIFY(Frm->ChooseNode(QStringLiteral("送修登记")));
        const QString before = Frm->PageText(0);
        OnNextDialog([](QWidget* w) {
            auto* repair = qobject_cast<TfrmRepair*>(w);
            QVERIFY(repair);
            QCOMPARE(repair->OrderId(), 0);
            repair->chkPrint->setChecked(false);
            repair->edtCarOwner->setText(QStringLiteral("新客户"));
            repair->edtPhone->setText(QStringLiteral("13500000000"));
            repair->edtCarNo->setText(QStringLiteral("京N99999"));
            Click(repair->dtbRepair, opSave);
        });
        Click(Frm->dtbMain(), opNew);
        QVERIFY2(Rec->Messages.isEmpty(), qPrintable(Rec->Last()));
        QCOMPARE(Frm->PageText(0), before);   // no refresh of its own
        Click(Frm->dtbMain(), opRefresh);
        Frm->strgrdMain()->SetRow(1);
        Frm->strgrdMainClick();
        // The new order is in the database; the edit opens on the selected row.
        QCOMPARE(Scalar(QStringLiteral("SELECT COUNT(*) FROM TB_REPAIR WHERE CAR_NO = '京N99999'")), QStringLiteral("1"));
        const QString firstId = Frm->strgrdMain()->Cells(0, 1);
        OnNextDialog([firstId](QWidget* w) {
            auto* repair = qobject_cast<TfrmRepair*>(w);
            QVERIFY(repair);
            QCOMPARE(QString::number(repair->OrderId()), firstId);
            repair->reject();
        });
        Frm->strgrdMainDblClick();
        QVERIFY2(Rec->Messages.isEmpty(), qPrintable(Rec->Last()));
    }

    // The sales windows open from the tree, from the bill list's edit and from the repair
    // list's pop-up, each on what the user chose.
    void salesWindowsOpenOnTheChosenRecord()
    {
        struct TRemove {
            TFbConnection* Db;
            ~TRemove() { Db->Execute(QStringLiteral("DELETE FROM TB_SALES WHERE OUT_PRICE = 12.34")); }
        } remove{Other.get()};
        Other->Execute(QStringLiteral(
            "INSERT INTO TB_SALES (BILL_NO, COMMODITY_ID, OUT_COUNT, OUT_PRICE, OPERATOR_ID, SALES_TYPE) VALUES "
            "(NEXT VALUE FOR GEN_SALES_BILL_NO, (SELECT MIN(ID) FROM TB_COMMODITY), 1, 12.34, 1, 0)"));
        Session(QStringLiteral("1"), Admin);
        bool opened = false;
        OnNextDialog([&opened](QWidget* w) {
            auto* sale = qobject_cast<TfrmSales*>(w);
            QVERIFY(sale);
            opened = true;
            QVERIFY(!sale->fraSales->ReadOnly());   // a new sale
            sale->reject();
        });
        QVERIFY(Frm->ChooseNode(QStringLiteral("配件销售")));
        QVERIFY(opened);

        QVERIFY(Frm->ChooseNode(QStringLiteral("销售明细")));
        Frm->strgrdMain()->SetRow(1);
        const QString bill = Frm->strgrdMain()->Cells(0, 1);
        opened = false;
        OnNextDialog([&opened](QWidget* w) {
            auto* sale = qobject_cast<TfrmSales*>(w);
            QVERIFY(sale);
            opened = true;
            QVERIFY(sale->fraSales->ReadOnly());
            QCOMPARE(sale->fraSales->strgrdList->RowCount(), 2);
            QCOMPARE(sale->fraSales->strgrdList->Cells(TfraSales::colPrice, 1), QStringLiteral("12.34"));
            sale->reject();
        });
        Frm->strgrdMainDblClick();
        QVERIFY(opened);
        QVERIFY(!bill.isEmpty());

        QVERIFY(Frm->ChooseNode(QStringLiteral("送修登记")));
        Frm->strgrdMain()->SetRow(3);
        const QString order = Frm->strgrdMain()->Cells(0, 3);
        opened = false;
        OnNextDialog([&opened, order](QWidget* w) {
            auto* checkout = qobject_cast<TfrmPayment*>(w);
            QVERIFY(checkout);
            opened = true;
            QCOMPARE(checkout->RepairId(), order);
            checkout->reject();
        });
        Frm->popPaymentClick();
        QVERIFY(opened);
        QVERIFY2(Rec->Messages.isEmpty(), qPrintable(Rec->Last()));
    }

    // 权限管理 opens the permission window for the administrator; the list shown before stays.
    void permissionWindowOpens()
    {
        Session(QStringLiteral("1"), Admin);
        QVERIFY(Frm->mnuRight->isEnabled());
        QVERIFY(Frm->ChooseNode(QStringLiteral("供应商")));
        TData* before = Frm->CurrentData();
        QString shown;
        OnNextDialog([&shown](QWidget* w) {
            shown = w->windowTitle();
            static_cast<QDialog*>(w)->reject();
        });
        Frm->mnuRightClick();
        QVERIFY2(Rec->Messages.isEmpty(), qPrintable(Rec->Last()));
        QCOMPARE(shown, QStringLiteral("权限管理"));
        QCOMPARE(Frm->CurrentData(), before);
    }

    // The four record windows open from their lists: 新增 empty, a double click on the
    // selected record.
    void recordWindowsOpenFromTheirLists_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("insert");   // one record for the list to show
        QTest::newRow("供应商") << "供应商"
                                << "供应商"
                                << "INSERT INTO TB_SUPPLIER (SUPPLIER_NAME) VALUES ('恒通汽配')";
        QTest::newRow("人事档案") << "人事档案"
                                  << "人事档案"
                                  << "INSERT INTO TB_EMPLOYEE (EMPLOYEE_NAME, PW) VALUES ('赵工', '')";
        QTest::newRow("商品字典") << "商品字典"
                                  << "商品信息"
                                  << "";   // the test part of the carry-forward
        QTest::newRow("工具管理") << "工具管理"
                                  << "工具管理"
                                  << "INSERT INTO TB_TOOL (TOOL_NAME) VALUES ('扭力扳手')";
    }

    void recordWindowsOpenFromTheirLists()
    {
        QFETCH(QString, node);
        QFETCH(QString, caption);
        QFETCH(QString, insert);
        if (!insert.isEmpty())
            Other->Execute(insert);
        Session(QStringLiteral("1"), Admin);
        QVERIFY(Frm->ChooseNode(node));
        QString shown;
        int opened = -1;
        const auto look = [&shown, &opened](QWidget* w) {
            shown = w->windowTitle();
            QVERIFY(QMetaObject::invokeMethod(w, "RecordId", Qt::DirectConnection, Q_RETURN_ARG(int, opened)));
            static_cast<QDialog*>(w)->reject();
        };
        OnNextDialog(look);
        Click(Frm->dtbMain(), opNew);
        QVERIFY2(Rec->Messages.isEmpty(), qPrintable(Rec->Last()));
        QCOMPARE(shown, caption);
        QCOMPARE(opened, 0);
        QVERIFY(HasOption(Frm->dtbMain()->Enableds(), opNew));   // ready for the next record
        shown.clear();
        Frm->strgrdMain()->SetRow(1);
        Frm->strgrdMainClick();
        const QString firstId = Frm->strgrdMain()->Cells(0, 1).trimmed();
        QVERIFY(!firstId.isEmpty());
        OnNextDialog(look);
        Frm->strgrdMainDblClick();
        QVERIFY2(Rec->Messages.isEmpty(), qPrintable(Rec->Last()));
        QCOMPARE(shown, caption);
        QCOMPARE(QString::number(opened), firstId);
    }

    // 数据字典 opens the dictionary window modally, listing the four dictionaries; the list
    // shown before stays.
    void dictionaryWindowOpens()
    {
        Session(QStringLiteral("1"), Admin);
        QVERIFY(Frm->ChooseNode(QStringLiteral("送修登记")));
        TData* before = Frm->CurrentData();
        const QString tip = Frm->lblTip()->text();
        QStringList names;
        OnNextDialog([&names](QWidget* w) {
            auto* dic = qobject_cast<TfrmDic*>(w);
            QVERIFY(dic);
            for (int i = 0; i < dic->tvDictionary->topLevelItemCount(); ++i)
                names << dic->tvDictionary->topLevelItem(i)->text(0);
            dic->reject();
        });
        QVERIFY(Frm->ChooseNode(QStringLiteral("数据字典")));
        QVERIFY2(Rec->Messages.isEmpty(), qPrintable(Rec->Last()));
        QCOMPARE(names, (QStringList{"部门", "职位", "单位", "规格"}));
        QCOMPARE(Frm->CurrentData(), before);
        QCOMPARE(Frm->lblTip()->text(), tip);
    }

    // 配件入库 opens a new stock-in bill; a double click on a bill of 进货明细 shows that bill.
    void stockInWindowsOpen()
    {
        Session(QStringLiteral("1"), Admin);
        QVERIFY(Frm->ChooseNode(QStringLiteral("送修登记")));
        TData* before = Frm->CurrentData();
        qint64 shown = -1;
        bool readOnly = true;
        auto look = [&shown, &readOnly](QWidget* w) {
            auto* storage = qobject_cast<TfrmStorage*>(w);
            QVERIFY(storage);
            shown = storage->BillNo();
            readOnly = storage->ReadOnly();
            storage->reject();
        };
        OnNextDialog(look);
        QVERIFY(Frm->ChooseNode(QStringLiteral("配件入库")));
        QVERIFY2(Rec->Messages.isEmpty(), qPrintable(Rec->Last()));
        QCOMPARE(shown, qint64(0));
        QVERIFY(!readOnly);
        QCOMPARE(Frm->CurrentData(), before);

        TStorageBill bill;
        bill.BuyerId = 1;
        bill.OperatorId = 1;
        bill.Lines = {{Scalar(QStringLiteral("SELECT MIN(ID) FROM TB_COMMODITY")).toLongLong(), QStringLiteral("3"),
                       QStringLiteral("10"), QStringLiteral("15")}};
        const TStorageSaved saved = SaveStorageBill(*Pool, bill);
        QVERIFY(Frm->ChooseNode(QStringLiteral("进货明细")));
        int row = 0;
        for (int r = 1; r < Frm->strgrdMain()->RowCount(); ++r)
            if (Frm->strgrdMain()->Cells(0, r) == QString::number(saved.BillNo))
                row = r;
        QVERIFY(row > 0);
        Frm->strgrdMain()->SetRow(row);
        OnNextDialog(look);
        Frm->strgrdMainDblClick();
        QVERIFY2(Rec->Messages.isEmpty(), qPrintable(Rec->Last()));
        QCOMPARE(shown, saved.BillNo);
        QVERIFY(readOnly);
    }

    // A database error on a click reaches the user in Chinese with the database's own text
    // as the detail, and the window goes on working.
    void lostAttachmentIsReported()
    {
        Session(QStringLiteral("1"), Admin);
        QVERIFY(Frm->ChooseNode(QStringLiteral("送修登记")));
        const qint64 mine =
            Pool->Execute(QStringLiteral("SELECT CURRENT_CONNECTION FROM RDB$DATABASE")).At(0, 0).AsInt64();
        Other->Execute(QStringLiteral("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = %1").arg(mine));
        Click(Frm->dtbMain(), opRefresh);
        QCOMPARE(Rec->Messages.size(), 1);
        QCOMPARE(Rec->Messages[0].Caption, QStringLiteral("错误"));
        QVERIFY2(Rec->Last().contains(QStringLiteral("连接已断开")), qPrintable(Rec->Last()));
        QVERIFY(!Rec->Messages[0].Detail.isEmpty());
        QCOMPARE(Frm->PageText(0), QStringLiteral("共有 250 条记录"));
        // The next action attaches again and works.
        Click(Frm->dtbMain(), opNext);
        QCOMPARE(Rec->Messages.size(), 1);
        QCOMPARE(Frm->PageText(4), QStringLiteral("当前第 2 页"));
        QVERIFY(Pool->Execute(QStringLiteral("SELECT CURRENT_CONNECTION FROM RDB$DATABASE")).At(0, 0).AsInt64()
                != mine);
    }

    void refusedFindKeepsTheList_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("says");
        QTest::newRow("emoji") << QStringLiteral("京A😀") << QStringLiteral("不能保存的字符");
    }

    void refusedFindKeepsTheList()
    {
        QFETCH(QString, value);
        QFETCH(QString, says);
        Session(QStringLiteral("1"), Admin);
        QVERIFY(Frm->ChooseNode(QStringLiteral("送修登记")));
        Click(Frm->dtbMain(), opNext);
        OnNextDialog([value](QWidget* w) {
            auto* find = qobject_cast<TfrmFind*>(w);
            QVERIFY(find);
            find->cbbField->setCurrentIndex(0);
            find->cbbSymbol->setCurrentText(QStringLiteral("="));
            find->edtValueStr->setMaxLength(value.size() + 1);
            find->edtValueStr->setText(value);
            Click(find->dtbFind, opFind);
        });
        Click(Frm->dtbMain(), opFind);
        QCOMPARE(Rec->Messages.size(), 1);
        QCOMPARE(Rec->Messages[0].Caption, QStringLiteral("错误"));
        QVERIFY2(Rec->Last().contains(says), qPrintable(Rec->Last()));
        // The list the find would have replaced is shown and works: refresh and paging.
        QCOMPARE(Frm->PageText(0), QStringLiteral("共有 250 条记录"));
        QCOMPARE(Frm->strgrdMain()->RowCount(), 101);
        Click(Frm->dtbMain(), opRefresh);
        Click(Frm->dtbMain(), opLast);
        QCOMPARE(Frm->PageText(4), QStringLiteral("当前第 3 页"));
        QCOMPARE(Frm->strgrdMain()->RowCount(), 51);
        QCOMPARE(Rec->Messages.size(), 1);
    }

    void readRights_data()
    {
        QTest::addColumn<QStringList>("rows");   // "read,append,alter,delete" per row
        QTest::addColumn<int>("grants");
        QTest::newRow("read and delete") << QStringList{"1,0,0,1"} << int(RightBit(rtRead) | RightBit(rtDelete));
        QTest::newRow("no read, nothing") << QStringList{"0,1,1,1"} << 0;
        QTest::newRow("rows add up") << QStringList{"1,1,0,0", "1,0,1,0"}
                                     << int(RightBit(rtRead) | RightBit(rtAppend) | RightBit(rtAlter));
        QTest::newRow("a row without read adds nothing lasting")
            << QStringList{"0,1,1,1", "1,0,0,0"} << int(RightBit(rtRead));
        QTest::newRow("read already held stays") << QStringList{"1,1,1,1", "0,0,0,0"} << int(AllRights);
    }

    void readRights()
    {
        QFETCH(QStringList, rows);
        QFETCH(int, grants);
        TRightInfo info;
        for (const QString& row : rows) {
            const QStringList v = row.split(QLatin1Char(','));
            TfrmMdi::ReadRights(info, v[0], v[1], v[2], v[3]);
        }
        QCOMPARE(int(info.Grants), grants);
    }

    void operatorWithoutReadIsRefused()
    {
        const QString li = Scalar(QStringLiteral("SELECT ID FROM TB_EMPLOYEE WHERE EMPLOYEE_NAME = 'Li'"));
        Session(li, QStringLiteral("Li"));
        QVERIFY(!Frm->mnuRight->isEnabled());
        QVERIFY(Frm->ChooseNode(QStringLiteral("送修登记")));
        QCOMPARE(Frm->PageText(0), QStringLiteral("共有 250 条记录"));
        QVERIFY(Rec->Messages.isEmpty());
        QVERIFY(Frm->ChooseNode(QStringLiteral("供应商")));
        QCOMPARE(Rec->Last(), QStringLiteral("权限不足！"));
        QCOMPARE(Rec->Messages.last().Caption, QStringLiteral("警告"));
        QCOMPARE(Symbol.ModuleName, QStringLiteral("送修登记"));   // the old list stays
        QCOMPARE(Frm->PageText(0), QStringLiteral("共有 250 条记录"));
        // No new without the append grant, no checkout without its read grant.
        Rec->Clear();
        Frm->NewRecord(QStringLiteral("送修登记"));
        QCOMPARE(Rec->Last(), QStringLiteral("权限不足！"));
        Frm->strgrdMain()->SetRow(1);
        Rec->Clear();
        QVERIFY(!Frm->strgrdMainRightClick(QPoint(), false));
        QCOMPARE(Rec->Last(), QStringLiteral("权限不足！"));
    }

    void deleteAsksFirst()
    {
        Session(QStringLiteral("1"), Admin);
        QVERIFY(Frm->ChooseNode(QStringLiteral("送修登记")));
        Frm->strgrdMain()->SetRow(3);
        Frm->strgrdMainClick();
        QVERIFY(HasOption(Frm->dtbMain()->Enableds(), opDelete));
        const QString id = Frm->strgrdMain()->Cells(0, 3);
        const QString count = Scalar(QStringLiteral("SELECT COUNT(*) FROM TB_REPAIR"));

        Rec->Answers.enqueue(TMsgAnswer::No);
        Click(Frm->dtbMain(), opDelete);
        QCOMPARE(Rec->Messages.size(), 1);
        QCOMPARE(Rec->Messages[0].Caption, QStringLiteral("询问"));
        QVERIFY(Rec->Messages[0].Question);
        QCOMPARE(Scalar(QStringLiteral("SELECT COUNT(*) FROM TB_REPAIR")), count);

        Rec->Answers.enqueue(TMsgAnswer::Yes);
        Click(Frm->dtbMain(), opDelete);
        QCOMPARE(Rec->Last(), QStringLiteral("操作成功！"));
        QCOMPARE(Scalar(QStringLiteral("SELECT COUNT(*) FROM TB_REPAIR WHERE ID = %1").arg(id)), QStringLiteral("0"));
        QCOMPARE(Frm->strgrdMain()->Cells(0, 3), id);   // seen gone only after 刷新
        Click(Frm->dtbMain(), opRefresh);
        QVERIFY(Frm->strgrdMain()->Cells(0, 3) != id);
        // Put the order back for the other tests.
        Other->Execute(
            QStringLiteral("INSERT INTO TB_REPAIR (ID, CAR_NO, CAR_OWNER, IS_PAY) VALUES (%1, '京A', '车主', 0)")
                .arg(id));
    }

    void chooserClosedWithoutAChoiceKeepsTheList()
    {
        Session(QStringLiteral("1"), Admin);
        QVERIFY(Frm->ChooseNode(QStringLiteral("送修登记")));
        Click(Frm->dtbMain(), opNext);
        TData* before = Frm->CurrentData();
        const TOptions enableds = Frm->dtbMain()->Enableds();
        OnNextDialog([](QWidget* w) {
            auto* chooser = qobject_cast<TfrmFilter*>(w);
            QVERIFY(chooser);
            QTest::mouseClick(chooser->btnCancel, Qt::LeftButton);
        });
        QVERIFY(Frm->ChooseNode(QStringLiteral("通讯录")));
        QCOMPARE(Frm->CurrentData(), before);
        QCOMPARE(Symbol.ModuleName, QStringLiteral("送修登记"));
        QCOMPARE(Frm->PageText(4), QStringLiteral("当前第 2 页"));
        QCOMPARE(Frm->dtbMain()->Enableds(), enableds);
        Click(Frm->dtbMain(), opNext);   // the toolbar goes on working on the old list
        QCOMPARE(Frm->PageText(4), QStringLiteral("当前第 3 页"));

        // Confirmed untouched, the chooser answers the staff address book, without the administrator.
        QVERIFY(Frm->ChooseNode(QStringLiteral("送修登记")));
        OnNextDialog([](QWidget* w) {
            auto* chooser = qobject_cast<TfrmFilter*>(w);
            QVERIFY(chooser);
            QTest::mouseClick(chooser->btnOK, Qt::LeftButton);
        });
        QVERIFY(Frm->ChooseNode(QStringLiteral("通讯录")));
        QCOMPARE(Symbol.ModuleName, QStringLiteral("通讯录"));
        QVERIFY(!HasOption(Frm->dtbMain()->Enableds(), opNew));
        for (int r = 1; r < Frm->strgrdMain()->RowCount(); ++r)
            QVERIFY(!Frm->strgrdMain()->RowTexts(r).contains(Admin));
    }

    void exportWritesAndAppends()
    {
        Session(QStringLiteral("1"), Admin);
        QVERIFY(Frm->ChooseNode(QStringLiteral("送修登记")));
        Frm->CurrentData()->Close();
        Frm->CurrentData()->SetFilter(QStringLiteral("ID <= 3"));
        Frm->CurrentData()->Open();
        FillGrid(*Frm->CurrentData(), Frm->strgrdMain());
        QCOMPARE(Frm->strgrdMain()->RowCount(), 4);

        const QString file = Folder->filePath(QStringLiteral("导出"));
        Rec->FileNames.enqueue(file);
        Click(Frm->dtbMain(), opExport);
        QCOMPARE(Rec->Last(), QStringLiteral("操作成功！"));
        QCOMPARE(Rec->FileRequests.last().DefaultSuffix, QStringLiteral("xls"));
        QCOMPARE(ReadLines(file + QStringLiteral(".xls")).size(), 4);
        Rec->FileNames.enqueue(file + QStringLiteral(".xls"));
        Click(Frm->dtbMain(), opExport);
        const QStringList lines = ReadLines(file + QStringLiteral(".xls"));
        QCOMPARE(lines.size(), 7);
        QCOMPARE(lines[4], lines[1]);   // no second header

        // GBK on disk.
        QFile f(file + QStringLiteral(".xls"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().contains(QByteArray("\xb3\xb5\xd6\xf7")));   // 车主

        // Cancelled: nothing, no message.
        Rec->Clear();
        Click(Frm->dtbMain(), opExport);
        QVERIFY(Rec->Messages.isEmpty());
    }

    void exportLines_data()
    {
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QString>("line");
        QTest::newRow("plain") << QStringList{"1", "京A12345", ""} << "1\t京A12345\t";
        QTest::newRow("blank") << QStringList{"张 三", "x"} << "\"张 三\"\tx";
        QTest::newRow("comma") << QStringList{"a,b", "c"} << "\"a\tb\"\tc";
        QTest::newRow("quote") << QStringList{"5\"", "c"} << "\"5\"\"\"\tc";
        QTest::newRow("tab") << QStringList{"a\tb"} << "\"a\tb\"";
        QTest::newRow("one empty cell") << QStringList{""} << "\"\"";
        QTest::newRow("five empty cells") << QStringList{"", "", "", "", ""} << "\t\t\t\t";
    }

    void exportLines()
    {
        QFETCH(QStringList, cells);
        QFETCH(QString, line);
        QCOMPARE(ExportLine(cells), line);
    }

    void exportBeforeAnyList()
    {
        Session(QStringLiteral("1"), Admin);
        const QString file = Folder->filePath(QStringLiteral("empty.xls"));
        Rec->FileNames.enqueue(file);
        Click(Frm->dtbMain(), opExport);
        QCOMPARE(ReadLines(file), (QStringList{"\t\t\t\t", "\t\t\t\t"}));
    }

    void carryForward()
    {
        Other->Execute(QStringLiteral(
            "INSERT INTO TB_STOCK (ID, COMMODITY_ID, STOCK_COUNT) VALUES (NEXT VALUE FOR GEN_STOCK_ID, (SELECT MIN(ID) FROM TB_COMMODITY), 0)"));
        Other->Execute(QStringLiteral(
            "INSERT INTO TB_STOCK (ID, COMMODITY_ID, STOCK_COUNT) VALUES (NEXT VALUE FOR GEN_STOCK_ID, (SELECT MIN(ID) FROM TB_COMMODITY), 5)"));
        Session(QStringLiteral("1"), Admin);
        Frm->mnuClearStock->trigger();
        QCOMPARE(Rec->Last(), QStringLiteral("操作成功！"));
        QCOMPARE(Scalar(QStringLiteral("SELECT COUNT(*) FROM TB_STOCK WHERE STOCK_COUNT = 0")), QStringLiteral("0"));
        QCOMPARE(Scalar(QStringLiteral("SELECT COUNT(*) FROM TB_STOCK WHERE STOCK_COUNT = 5")), QStringLiteral("1"));
        Frm->mnuClearStock->trigger();   // nothing left to remove: still a success
        QCOMPARE(Rec->Messages.size(), 2);
    }

    void changesPassword()
    {
        Other->Execute(
            QStringLiteral("INSERT INTO TB_EMPLOYEE (ID, EMPLOYEE_NAME, PW) VALUES (NEXT VALUE FOR GEN_EMPLOYEE_ID, "
                           "'Zhao', 'e10adc3949ba59abbe56e057f20f883e')"));
        const QString id = Scalar(QStringLiteral("SELECT ID FROM TB_EMPLOYEE WHERE EMPLOYEE_NAME = 'Zhao'"));
        Session(id, QStringLiteral("Zhao"));
        struct TCase {
            const char* old;
            const char* fresh;
            const char* confirm;
            const char* message;
        };
        const TCase cases[] = {
            {"123456", "Secret", "secret", "两次输入的新密码不一致!"},
            // Characters the digest would turn into "?" are refused, not stored as "??".
            {"123456", "\xF0\x9F\x98\x80\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80\xF0\x9F\x98\x80",
             "密码中有不能使用的字符（例如表情符号或不常用的外文字母）。请只用字母、数字、标点和汉字。"},
            {"wrong", "Secret", "Secret", "密码错误！"},
            {"123456", "Secret", "Secret", "密码修改成功！"},
            {"Secret", "", "", "密码修改成功！"},   // again, in the same session; empty is allowed
        };
        for (const TCase& c : cases) {
            TfrmPassword dlg(Frm.get());
            dlg.show();
            dlg.edtOle->setText(QString::fromUtf8(c.old));
            dlg.edtNew->setText(QString::fromUtf8(c.fresh));
            dlg.edtConfirm->setText(QString::fromUtf8(c.confirm));
            Click(dlg.dtbPassWord, opSave);
            QCOMPARE(Rec->Last(), QString::fromUtf8(c.message));
            // A refused attempt can be corrected and saved again.
            QCOMPARE(dlg.isVisible(), QByteArray(c.message) != QByteArray("密码修改成功！"));
            if (dlg.isVisible())
                QVERIFY(HasOption(dlg.dtbPassWord->Enableds(), opSave));
        }
        QCOMPARE(Scalar(QStringLiteral("SELECT PW FROM TB_EMPLOYEE WHERE ID = %1").arg(id)),
                 QStringLiteral("d41d8cd98f00b204e9800998ecf8427e"));
        QCOMPARE(Symbol.User.PassWord, QStringLiteral("d41d8cd98f00b204e9800998ecf8427e"));
    }

    void exitAsks()
    {
        Session(QStringLiteral("1"), Admin);
        Rec->Answers.enqueue(TMsgAnswer::No);
        Frm->mnuExitSys->trigger();
        QVERIFY(Frm->isVisible());
        QCOMPARE(Rec->Last(), QStringLiteral("你确定要退出系统吗？"));
        QCOMPARE(Rec->Messages.last().Caption, QStringLiteral("询问"));
        Rec->Answers.enqueue(TMsgAnswer::Yes);
        Frm->close();
        QVERIFY(!Frm->isVisible());
    }
};

QTEST_MAIN(TestMdi)
#include "tst_mdi.moc"
