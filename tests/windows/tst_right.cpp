// The permission window as the administrator works in it, against a real database: the tree
// of departments and employees still employed, the 15 rows of a first visit, toggling by
// double click with the green of a grant, and the save of all rows at once.
#include "ConPool.h"
#include "DataTool.h"
#include "FbClient.h"
#include "GlobalHead.h"
#include "Recorder.h"
#include "Right.h"
#include "StringGrid.h"
#include "TestDb.h"
#include "Workstation.h"

#include <QTreeWidget>
#include <QtTest>

class TestRight : public QObject {
    Q_OBJECT
    std::unique_ptr<TTestDb> Db;
    std::unique_ptr<QTemporaryDir> Folder;

    qint64 Insert(const QString& sql)
    {
        return Pool->Execute(sql + QStringLiteral(" RETURNING ID")).At(0, 0).AsInt64();
    }
    QString Text(const QString& sql, const QVector<TFbValue>& params = {})
    {
        const TFbResult r = Pool->Execute(sql, params);
        return r.RowCount() ? r.At(0, 0).AsString() : QString();
    }
    static QTreeWidgetItem* Node(TfrmRight& w, const QString& department, const QString& name, int nth = 0)
    {
        for (int d = 0; d < w.tvEmployee->topLevelItemCount(); ++d) {
            QTreeWidgetItem* top = w.tvEmployee->topLevelItem(d);
            if (top->text(0) != department)
                continue;
            for (int e = 0; e < top->childCount(); ++e)
                if (top->child(e)->text(0) == name && nth-- == 0)
                    return top->child(e);
        }
        return nullptr;
    }
    static QStringList Names(TfrmRight& w)
    {
        QStringList out;
        for (int d = 0; d < w.tvEmployee->topLevelItemCount(); ++d) {
            QTreeWidgetItem* top = w.tvEmployee->topLevelItem(d);
            for (int e = 0; e < top->childCount(); ++e)
                out << top->text(0) + QLatin1Char('/') + top->child(e)->text(0);
        }
        return out;
    }

    qint64 Wu = 0, Zhang = 0, ZhangToo = 0;

private slots:
    void initTestCase()
    {
        Folder = std::make_unique<QTemporaryDir>();
        QVERIFY(WriteTestSettings(*Folder));
        QVERIFY(StartUp(Folder->path()));
        Db = std::make_unique<TTestDb>();
        QVERIFY2(Db->Ok(), qPrintable(Db->Error()));
        Pool->Open(Db->Location());
        Symbol.User.UserName = Texts::Administrator;
        Wu = Insert(QStringLiteral("INSERT INTO TB_EMPLOYEE (EMPLOYEE_NAME, PW, DEPARTMENT_ID) VALUES ('吴工', '', 1)"));
        Zhang = Insert(QStringLiteral("INSERT INTO TB_EMPLOYEE (EMPLOYEE_NAME, PW, DEPARTMENT_ID) VALUES ('Zhang', '', 2)"));
        ZhangToo =
            Insert(QStringLiteral("INSERT INTO TB_EMPLOYEE (EMPLOYEE_NAME, PW, DEPARTMENT_ID) VALUES ('ZHANG', '', 2)"));
        // Not listed: one who has left, one of no department.
        Insert(QStringLiteral("INSERT INTO TB_EMPLOYEE (EMPLOYEE_NAME, PW, DEPARTMENT_ID, STATUS) VALUES ('离职者', '', 1, 1)"));
        Insert(QStringLiteral("INSERT INTO TB_EMPLOYEE (EMPLOYEE_NAME, PW, DEPARTMENT_ID) VALUES ('无部门', '', NULL)"));
        Pool->Execute(QStringLiteral("UPDATE TB_EMPLOYEE SET DEPARTMENT_ID = 1 WHERE EMPLOYEE_NAME = '管理员'"));
    }

    void cleanupTestCase() { Pool->Close(); }

    void treeListsWhoMayBeGranted()
    {
        TfrmRight w;
        QCOMPARE(Names(w), (QStringList{"维修部/吴工", "配件部/Zhang", "配件部/ZHANG"}));
        QCOMPARE(w.tvEmployee->topLevelItemCount(), 4);   // every department, with or without people
        QVERIFY(w.UserId().isEmpty());
        QCOMPARE(w.strgrdRight->RowCount(), 2);   // the captions and one blank row
        QCOMPARE(w.strgrdRight->Cells(TfrmRight::colFunction, 0), QStringLiteral("功能名称"));
    }

    // The first visit makes the 15 rows, all off, in the order of the functions; a second
    // visit makes none.
    void firstVisitMakesFifteenRows()
    {
        TfrmRight w;
        w.tvEmployeeClick(Node(w, QStringLiteral("维修部"), QStringLiteral("吴工")));
        QCOMPARE(w.UserId(), QString::number(Wu));
        QCOMPARE(w.strgrdRight->RowCount(), 16);
        const QStringList functions = FunctionNames();
        for (int r = 1; r <= 15; ++r) {
            QCOMPARE(w.strgrdRight->Cells(TfrmRight::colObjectType, r), QStringLiteral("命令按钮"));
            QCOMPARE(w.strgrdRight->Cells(TfrmRight::colFunction, r), functions[r - 1]);
            for (int c = TfrmRight::colRead; c <= TfrmRight::colDelete; ++c)
                QCOMPARE(w.strgrdRight->Cells(c, r), QStringLiteral("0"));
        }
        TfrmRight again;
        again.tvEmployeeClick(Node(again, QStringLiteral("维修部"), QStringLiteral("吴工")));
        QCOMPARE(Text(QStringLiteral("SELECT COUNT(*) FROM TB_RIGHT WHERE USER_ID = ?"), {TFbValue::FromInt(Wu)}),
                 QStringLiteral("15"));
        // A department node loads nothing.
        again.tvEmployeeClick(again.tvEmployee->topLevelItem(0));
        QCOMPARE(again.UserId(), QString::number(Wu));
    }

    void doubleClickToggles_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("删除 1 to 0") << int(TfrmRight::colDelete) << "1" << "0";
        QTest::newRow("浏览 0 to 1") << int(TfrmRight::colRead) << "0" << "1";
        QTest::newRow("功能名称 stays") << int(TfrmRight::colFunction) << "送修登记" << "送修登记";
        QTest::newRow("编号 stays") << int(TfrmRight::colID) << "1" << "1";
    }

    void doubleClickToggles()
    {
        QFETCH(int, col);
        QFETCH(QString, before);
        QFETCH(QString, after);
        TfrmRight w;
        w.tvEmployeeClick(Node(w, QStringLiteral("维修部"), QStringLiteral("吴工")));
        w.strgrdRight->SetCells(col, 8, before);
        w.strgrdRightDblClick(col, 8);
        QCOMPARE(w.strgrdRight->Cells(col, 8), after);
        const bool green = w.strgrdRight->item(7, col)->background().color() == TfrmRight::Granted;
        QCOMPARE(green, col != TfrmRight::colID && after == QLatin1String("1"));
    }

    // Save writes every row in one go; the employee's grants are his own, not his namesake's.
    void saveWritesAllRows()
    {
        TRecorder rec;
        TfrmRight w;
        w.show();
        w.tvEmployeeClick(Node(w, QStringLiteral("配件部"), QStringLiteral("ZHANG")));
        QCOMPARE(w.UserId(), QString::number(ZhangToo));
        for (int r = 1; r <= 15; ++r)
            w.strgrdRightDblClick(TfrmRight::colRead, r);
        w.strgrdRightDblClick(TfrmRight::colAppend, 8);   // 送修登记
        w.strgrdRightDblClick(TfrmRight::colDelete, 3);   // 供应商
        Click(w.dtbRight, opSave);
        QCOMPARE(rec.Last(), QStringLiteral("操作成功！"));
        QCOMPARE(Text(QStringLiteral("SELECT SUM(IS_READ) || '/' || SUM(IS_APPEND) || '/' || SUM(IS_ALTER) || '/' || "
                                     "SUM(IS_DELETE) FROM TB_RIGHT WHERE USER_ID = ?"),
                      {TFbValue::FromInt(ZhangToo)}),
                 QStringLiteral("15/1/0/1"));
        QCOMPARE(Text(QStringLiteral("SELECT IS_APPEND FROM TB_RIGHT WHERE USER_ID = ? AND FUNCTION_NAME = '送修登记'"),
                      {TFbValue::FromInt(ZhangToo)}),
                 QStringLiteral("1"));
        QCOMPARE(Text(QStringLiteral("SELECT COUNT(*) FROM TB_RIGHT WHERE USER_ID = ?"), {TFbValue::FromInt(Zhang)}),
                 QStringLiteral("0"));
        // Saved, 保存 rests until the next change.
        QVERIFY(!w.dtbRight->Button(opSave)->isEnabled());
        w.strgrdRightDblClick(TfrmRight::colAlter, 1);
        QVERIFY(w.dtbRight->Button(opSave)->isEnabled());
    }

    void saveWithoutAnEmployeeSaysSo()
    {
        TRecorder rec;
        TfrmRight w;
        w.show();
        const QString before = Text(QStringLiteral("SELECT COUNT(*) FROM TB_RIGHT"));
        Click(w.dtbRight, opSave);
        QCOMPARE(rec.Last(), NoEmployeeChosen);
        QCOMPARE(rec.Messages.last().Caption, QStringLiteral("警告"));
        QVERIFY(w.dtbRight->Button(opSave)->isEnabled());
        QCOMPARE(Text(QStringLiteral("SELECT COUNT(*) FROM TB_RIGHT")), before);
    }
};

QTEST_MAIN(TestRight)
#include "tst_right.moc"
