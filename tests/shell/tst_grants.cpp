// The grants take effect: an operator holding exactly one kind of grant on a function may do
// that and is refused the rest ("权限不足！"), in the tree, on the toolbar, by double click
// and in the repair list's pop-up, for the lists and the business windows alike.
#include "Bills.h"
#include "ConPool.h"
#include "DataTool.h"
#include "FbClient.h"
#include "Functions.h"
#include "GlobalHead.h"
#include "Mdi.h"
#include "Recorder.h"
#include "StringGrid.h"
#include "TestDb.h"
#include "Workstation.h"

#include <QDialog>
#include <QTimer>
#include <QtTest>

namespace {

// Runs act; a modal window it opens is noted by its caption and closed at once. Empty when
// none opened.
QString Opened(const std::function<void()>& act)
{
    QString title;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&title] {
        if (auto* w = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            title = w->windowTitle();
            w->reject();
        }
    });
    timer.start();
    act();
    return title;
}

}   // namespace

class TestGrants : public QObject {
    Q_OBJECT
    std::unique_ptr<TTestDb> Db;
    std::unique_ptr<QTemporaryDir> Folder;
    std::unique_ptr<TRecorder> Rec;
    std::unique_ptr<TfrmMdi> Frm;
    qint64 Clerk = 0;

    // The clerk with these grants on the one function and nothing else, logged in afresh.
    void LogIn(const QString& function, const QString& read, const QString& append, const QString& alter,
               const QString& del)
    {
        Frm.reset();
        Pool->Execute(QStringLiteral("DELETE FROM TB_RIGHT WHERE USER_ID = ?"), {TFbValue::FromInt(Clerk)});
        Pool->Execute(QStringLiteral("INSERT INTO TB_RIGHT (USER_ID, OBJECT_TYPE, FUNCTION_NAME, IS_READ, IS_APPEND, "
                                     "IS_ALTER, IS_DELETE) VALUES (?, '命令按钮', ?, ?, ?, ?, ?)"),
                      {TFbValue::FromInt(Clerk), TFbValue::FromText(function), TFbValue::FromText(read),
                       TFbValue::FromText(append), TFbValue::FromText(alter), TFbValue::FromText(del)});
        Symbol.User.ID = QString::number(Clerk);
        Symbol.User.UserName = QStringLiteral("小赵");
        Symbol.ModuleName.clear();
        Frm = std::make_unique<TfrmMdi>(Folder->path());
        QVERIFY(Frm->Created());
        Frm->FormShow();
        Frm->show();
        Rec->Clear();
    }

    // What the operator gets doing kind on function: the caption of the window opened, "list"
    // for a list shown, "asked" for the delete question, or the message shown.
    QString Try(const QString& function, TRight kind)
    {
        Rec->Clear();
        if (kind == rtRead) {
            const QString title = Opened([&] { Frm->ChooseNode(function); });
            if (!title.isEmpty())
                return title;
            if (!Rec->Messages.isEmpty())
                return Rec->Last();
            return Symbol.ModuleName == function ? QStringLiteral("list") : QStringLiteral("nothing");
        }
        // The other kinds act on the list, which needs the read grant to be shown.
        if (!Frm->ChooseNode(function) || Symbol.ModuleName != function)
            return QStringLiteral("no list: ") + Rec->Last();
        Rec->Clear();
        Frm->strgrdMain()->SetRow(1);
        Frm->strgrdMainClick();
        QString title;
        if (kind == rtAppend)
            title = Opened([&] { Frm->NewRecord(function); });
        else if (kind == rtAlter)
            title = Opened([&] { Frm->strgrdMainDblClick(); });
        else {
            Rec->Answers.enqueue(TMsgAnswer::No);   // asked, and nothing deleted
            Frm->DeleteRecord();
            if (!Rec->Messages.isEmpty() && Rec->Messages.last().Caption == Texts::CaptionQuestion)
                return QStringLiteral("asked");
        }
        if (!title.isEmpty())
            return title;
        return Rec->Messages.isEmpty() ? QStringLiteral("nothing") : Rec->Last();
    }

private slots:
    void initTestCase()
    {
        Folder = std::make_unique<QTemporaryDir>();
        QVERIFY(WriteTestSettings(*Folder));
        QVERIFY(StartUp(Folder->path()));
        Db = std::make_unique<TTestDb>();
        QVERIFY2(Db->Ok(), qPrintable(Db->Error()));
        Pool->Open(Db->Location());
        Clerk = Pool->Execute(QStringLiteral("INSERT INTO TB_EMPLOYEE (EMPLOYEE_NAME, PW, DEPARTMENT_ID) VALUES "
                                             "('小赵', '', 1) RETURNING ID"))
                    .At(0, 0)
                    .AsInt64();
        // One record in every list.
        for (const char* sql :
             {"INSERT INTO TB_SUPPLIER (SUPPLIER_NAME) VALUES ('恒通汽配')",
              "INSERT INTO TB_COMMODITY (COMMODITY_NAME, UNIT_ID, STANDARD_ID) VALUES ('机油滤清器', 1, 1)",
              "INSERT INTO TB_TOOL (TOOL_NAME) VALUES ('千斤顶')",
              "INSERT INTO TB_REPAIR (CAR_NO, CAR_OWNER, PHONE, ACCEPTER_ID, OPERATOR_ID, IS_PAY) VALUES "
              "('京A00001', '王先生', '139', 1, 1, 1)",
              "INSERT INTO TB_REPAIR (CAR_NO, CAR_OWNER, PHONE, ACCEPTER_ID, OPERATOR_ID, IS_PAY) VALUES "
              "('京A00002', '李女士', '138', 1, 1, 0)"})
            Pool->Execute(QString::fromUtf8(sql));
        TStorageBill in;
        in.BuyerId = Clerk;
        in.OperatorId = Clerk;
        in.Lines = {{Pool->Execute(QStringLiteral("SELECT MIN(ID) FROM TB_COMMODITY")).At(0, 0).AsInt64(),
                     QStringLiteral("5"), QStringLiteral("20"), QStringLiteral("35")}};
        SaveStorageBill(*Pool, in);
        TSalesBill out;
        out.OperatorId = Clerk;
        out.Lines = {{Pool->Execute(QStringLiteral("SELECT MIN(ID) FROM TB_STOCK")).At(0, 0).AsInt64(),
                      QStringLiteral("1"), QStringLiteral("35")}};
        SaveSalesBill(*Pool, out);
    }

    void init() { Rec = std::make_unique<TRecorder>(); }
    void cleanup()
    {
        Rec->Answers.enqueue(TMsgAnswer::Yes);
        Frm.reset();
        Rec.reset();
    }
    void cleanupTestCase() { Pool->Close(); }

    // Each row: the function, the kind, and what doing it gives when granted. Refused, every
    // other grant on the function held, it must say "权限不足！".
    void exactlyWhatIsGranted_data()
    {
        QTest::addColumn<QString>("function");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("granted");
        const struct {
            const char* Function;
            TRight Kind;
            const char* Granted;
        } rows[] = {
            {"供应商", rtRead, "list"},           {"通讯录", rtRead, "筛选"},
            {"人事档案", rtRead, "list"},         {"数据字典", rtRead, "数据字典"},
            {"商品字典", rtRead, "list"},         {"送修登记", rtRead, "list"},
            {"维修历史", rtRead, "list"},         {"配件入库", rtRead, "配件入库"},
            {"配件销售", rtRead, "配件销售"},     {"进货明细", rtRead, "list"},
            {"销售明细", rtRead, "list"},         {"库存盘点", rtRead, "list"},
            {"工具管理", rtRead, "list"},         {"供应商", rtAppend, "供应商"},
            {"人事档案", rtAppend, "人事档案"},   {"商品字典", rtAppend, "商品信息"},
            {"送修登记", rtAppend, "送修登记"},   {"工具管理", rtAppend, "工具管理"},
            {"供应商", rtAlter, "供应商"},        {"商品字典", rtAlter, "商品信息"},
            {"送修登记", rtAlter, "送修登记"},    {"工具管理", rtAlter, "工具管理"},
            {"进货明细", rtAlter, "配件入库"},    {"销售明细", rtAlter, "配件销售"},
            {"供应商", rtDelete, "asked"},        {"商品字典", rtDelete, "asked"},
            {"送修登记", rtDelete, "asked"},      {"工具管理", rtDelete, "asked"},
        };
        static const char* kinds[] = {"read", "append", "alter", "delete"};
        for (const auto& r : rows)
            QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(QString::fromUtf8(r.Function), kinds[int(r.Kind)])))
                << QString::fromUtf8(r.Function) << int(r.Kind) << QString::fromUtf8(r.Granted);
    }

    void exactlyWhatIsGranted()
    {
        QFETCH(QString, function);
        QFETCH(int, kind);
        QFETCH(QString, granted);
        const TRight k = TRight(kind);
        const auto flag = [k](TRight which, bool on) {
            return QString::fromLatin1(((which == k) == on) ? "1" : "0");
        };
        // Granted: read and this kind.
        LogIn(function, QStringLiteral("1"), flag(rtAppend, true), flag(rtAlter, true), flag(rtDelete, true));
        if (k != rtRead)
            QCOMPARE(Try(function, k), granted);
        else {
            LogIn(function, QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"));
            QCOMPARE(Try(function, k), granted);
        }
        // Refused: every other grant held.
        if (k == rtRead)
            LogIn(function, QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1"));
        else
            LogIn(function, QStringLiteral("1"), flag(rtAppend, false), flag(rtAlter, false), flag(rtDelete, false));
        QCOMPARE(Try(function, k), FunctionTexts::NoRight);
    }

    // The checkout pop-up on the repair list follows the read grant of 维修结账.
    void checkoutFollowsItsGrant()
    {
        for (const bool granted : {true, false}) {
            Frm.reset();
            Pool->Execute(QStringLiteral("DELETE FROM TB_RIGHT WHERE USER_ID = ?"), {TFbValue::FromInt(Clerk)});
            for (const char* f : {"送修登记", "维修结账"})
                Pool->Execute(QStringLiteral("INSERT INTO TB_RIGHT (USER_ID, OBJECT_TYPE, FUNCTION_NAME, IS_READ, "
                                             "IS_APPEND, IS_ALTER, IS_DELETE) VALUES (?, '命令按钮', ?, ?, 1, 1, 1)"),
                              {TFbValue::FromInt(Clerk), TFbValue::FromText(QString::fromUtf8(f)),
                               TFbValue::FromText(granted || QByteArray(f) == "送修登记" ? QStringLiteral("1")
                                                                                       : QStringLiteral("0"))});
            Symbol.User.ID = QString::number(Clerk);
            Symbol.User.UserName = QStringLiteral("小赵");
            Symbol.ModuleName.clear();
            Frm = std::make_unique<TfrmMdi>(Folder->path());
            Frm->FormShow();
            Frm->show();
            QVERIFY(Frm->ChooseNode(QStringLiteral("送修登记")));
            int row = 0;
            for (int r = 1; r < Frm->strgrdMain()->RowCount(); ++r)
                for (int c = 0; c < Frm->strgrdMain()->ColCount(); ++c)
                    if (Frm->strgrdMain()->Cells(c, r) == QStringLiteral("京A00002"))
                        row = r;
            QVERIFY(row > 0);
            Frm->strgrdMain()->SetRow(row);
            Rec->Clear();
            QCOMPARE(Frm->strgrdMainRightClick(QPoint(), false), granted);
            if (granted)
                QCOMPARE(Opened([this] { Frm->popPaymentClick(); }), QStringLiteral("结账"));
            else
                QCOMPARE(Rec->Last(), FunctionTexts::NoRight);
            QVERIFY(!Frm->mnuRight->isEnabled());   // 权限管理 is the administrator's alone
        }
    }
};

QTEST_MAIN(TestGrants)
#include "tst_grants.moc"
