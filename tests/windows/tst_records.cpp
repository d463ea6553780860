// The four record windows (employee, part, supplier, tool) as a user works in them, against a
// real database: what a save stores, what it refuses before anything is written, filling on
// edit, lookups whose entry went away, records deleted meanwhile, Enter and Esc.
#include "Commodity.h"
#include "ConPool.h"
#include "DataHead.h"
#include "DataTool.h"
#include "Employee.h"
#include "Entry.h"
#include "FbClient.h"
#include "GlobalHead.h"
#include "LabeledEdit.h"
#include "Recorder.h"
#include "Supplier.h"
#include "TestDb.h"
#include "TesselonHead.h"
#include "Tool.h"
#include "Triple.h"
#include "Workstation.h"
#include "clsCommodity.h"
#include "clsEmployee.h"
#include "clsSupplier.h"
#include "clsTool.h"

#include <QComboBox>
#include <QDateEdit>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Emoji = QString::fromUtf8("\xF0\x9F\x98\x80");

QString Repeat(const QString& s, int n)
{
    return s.repeated(n);
}

TLabeledEdit* EditCaptioned(QWidget* w, const QString& caption)
{
    for (TLabeledEdit* e : w->findChildren<TLabeledEdit*>())
        if (e->Caption() == caption)
            return e;
    return nullptr;
}

}   // namespace

class TestRecords : public QObject {
    Q_OBJECT
    std::unique_ptr<TTestDb> Db;
    std::unique_ptr<QTemporaryDir> Folder;
    std::unique_ptr<TFbConnection> Other;   // another desk
    TDataSet* Set = nullptr;

    QString Text(const QString& sql, const QVector<TFbValue>& params = {})
    {
        const TFbResult r = Pool->Execute(sql, params);
        return r.RowCount() ? r.At(0, 0).AsString() : QString();
    }
    qint64 Count(const QString& table) { return Text(QStringLiteral("SELECT COUNT(*) FROM ") + table).toLongLong(); }
    qint64 NewId(const QString& insert)
    {
        return Pool->Execute(insert + QStringLiteral(" RETURNING ID")).At(0, 0).AsInt64();
    }

    // The list source opened on the one record, as the main window has it before 编辑.
    template <class T> std::unique_ptr<T> ListOn(qint64 id)
    {
        auto list = std::make_unique<T>();
        list->SetDataSet(Set);
        list->SetFilter(QStringLiteral("ID = ?"), {TFbValue::FromInt(id)});
        list->Open();
        return list;
    }
    template <class T> std::unique_ptr<T> EmptyList()
    {
        auto list = std::make_unique<T>();
        list->SetDataSet(Set);
        return list;
    }

private slots:
    void initTestCase()
    {
        Folder = std::make_unique<QTemporaryDir>();
        QVERIFY(WriteTestSettings(*Folder));
        QVERIFY(StartUp(Folder->path()));
        Tesselon::SetLibraryDir(QCoreApplication::applicationDirPath());
        Db = std::make_unique<TTestDb>();
        QVERIFY2(Db->Ok(), qPrintable(Db->Error()));
        Pool->Open(Db->Location());
        Other = std::make_unique<TFbConnection>();
        Other->Attach(Db->Location(), TConPool::UserName, TConPool::Password);
        Set = Pool->GetDataSet();
    }

    void cleanupTestCase()
    {
        Pool->FreeDataSet(Set);
        Other.reset();
        Pool->Close();
    }

    // A new employee with only a name: the drop-downs' defaults, the lookups' starting
    // entries and the pickers' dates; the default password.
    void employeeWithOnlyAName()
    {
        TRecorder rec;
        auto list = EmptyList<TEmployee>();
        TfrmEmployee w(list.get(), false);
        w.show();
        QCOMPARE(w.trpPost->ID(), QStringLiteral("1"));
        QCOMPARE(w.trpPost->Text(), QStringLiteral("经理"));   // what ID 1 stands for
        QCOMPARE(w.trpDepartment->Text(), QStringLiteral("维修部"));
        w.edtEmployeeName->setText(QStringLiteral("李四"));
        Click(w.dtbEmployee, opSave);
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        QCOMPARE(w.result(), int(QDialog::Accepted));
        const TFbResult r = Pool->Execute(
            QStringLiteral("SELECT SEX, EDUCATION, STATUS, OFFICE_TYPE, POST_ID, DEPARTMENT_ID, BIRTHDAY, ENTRY_DATE, PW "
                           "FROM TB_EMPLOYEE WHERE EMPLOYEE_NAME = '李四'"));
        QCOMPARE(r.RowCount(), 1);
        const QStringList expected = {"0", "4", "0", "0", "1", "1", "2010-07-21", "2010-07-21",
                                      "e10adc3949ba59abbe56e057f20f883e"};
        for (int c = 0; c < expected.size(); ++c)
            QCOMPARE(r.At(0, c).AsString(), expected[c]);
        QCOMPARE(list->GetValue(QStringLiteral("EMPLOYEE_NAME")), QString());   // values cleared
    }

    void employeeChoicesStoreTheirNumbers_data()
    {
        QTest::addColumn<QString>("choice");   // the drop-down's caption
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("stored");
        QTest::newRow("女") << "性别" << "女" << "SEX" << "1";
        QTest::newRow("小学 is 0") << "学历" << "小学" << "EDUCATION" << "0";
        QTest::newRow("博士 is 7") << "学历" << "博士" << "EDUCATION" << "7";
        QTest::newRow("其他") << "就职类型" << "其他" << "OFFICE_TYPE" << "3";
        QTest::newRow("离职") << "状态" << "离职" << "STATUS" << "1";
    }

    void employeeChoicesStoreTheirNumbers()
    {
        QFETCH(QString, choice);
        QFETCH(QString, item);
        QFETCH(QString, column);
        QFETCH(QString, stored);
        TRecorder rec;
        auto list = EmptyList<TEmployee>();
        TfrmEmployee w(list.get(), false);
        w.edtEmployeeName->setText(QStringLiteral("选") + column.left(3));
        QComboBox* box = nullptr;
        for (QComboBox* b : w.findChildren<QComboBox*>())
            if (b->accessibleName() == choice)
                box = b;
        QVERIFY(box);
        box->setCurrentIndex(box->findText(item));
        QVERIFY(box->currentIndex() >= 0);
        Click(w.dtbEmployee, opSave);
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        QCOMPARE(Text(QStringLiteral("SELECT %1 FROM TB_EMPLOYEE WHERE EMPLOYEE_NAME = ?").arg(column),
                      {TFbValue::FromText(w.edtEmployeeName->text())}),
                 stored);
        Pool->Execute(QStringLiteral("DELETE FROM TB_EMPLOYEE WHERE EMPLOYEE_NAME = ?"),
                      {TFbValue::FromText(w.edtEmployeeName->text())});
    }

    // Edit fills the window from the record; a date never stored opens as 1900-01-01, a code
    // the list has no item for keeps its number, and saving unchanged stores what was there.
    void employeeEditShowsAndKeepsTheRecord_data()
    {
        QTest::addColumn<QString>("birthday");   // SQL value
        QTest::addColumn<QString>("pickerShows");
        QTest::addColumn<int>("education");
        QTest::addColumn<QString>("educationShows");
        QTest::addColumn<QString>("post");   // SQL value
        QTest::newRow("dates never stored") << "NULL" << "1900-01-01" << 4 << "大专" << "2";
        QTest::newRow("the empty date") << "DATE '1900-01-01'" << "1900-01-01" << 0 << "小学" << "3";
        QTest::newRow("a real date") << "DATE '1985-03-09'" << "1985-03-09" << 7 << "博士" << "2";
        QTest::newRow("education 其他 has no item") << "DATE '1990-12-31'" << "1990-12-31" << 8 << "其他" << "2";
        QTest::newRow("no post") << "DATE '1990-12-31'" << "1990-12-31" << 5 << "本科" << "NULL";
    }

    void employeeEditShowsAndKeepsTheRecord()
    {
        QFETCH(QString, birthday);
        QFETCH(QString, pickerShows);
        QFETCH(int, education);
        QFETCH(QString, educationShows);
        QFETCH(QString, post);
        TRecorder rec;
        const qint64 id = NewId(QStringLiteral("INSERT INTO TB_EMPLOYEE (EMPLOYEE_NAME, PW, SEX, BIRTHDAY, EDUCATION, "
                                               "ID_CODE, STATUS, ENTRY_DATE, OFFICE_TYPE, POST_ID, DEPARTMENT_ID, PHONE, "
                                               "ADDRESS, MEMO) VALUES ('老周', 'x', 1, %1, %2, '110105198503090011', 0, "
                                               "NULL, 2, %3, 2, '139', '北京', '夜班')")
                                    .arg(birthday)
                                    .arg(education)
                                    .arg(post));
        auto list = ListOn<TEmployee>(id);
        {
            TfrmEmployee w(list.get(), true);
            w.show();
            QCOMPARE(w.RecordId(), int(id));
            QCOMPARE(w.edtEmployeeName->text(), QStringLiteral("老周"));
            QCOMPARE(w.cbbSex->currentText(), QStringLiteral("女"));
            QCOMPARE(w.dtpBirthday->date().toString(Qt::ISODate), pickerShows);
            QCOMPARE(w.dtpEntryDate->date().toString(Qt::ISODate), QStringLiteral("1900-01-01"));
            QCOMPARE(w.cbbEducation->currentText(), educationShows);
            QCOMPARE(w.cbbOfficeType->currentText(), QStringLiteral("实习"));
            QCOMPARE(w.trpDepartment->Text(), QStringLiteral("配件部"));
            QCOMPARE(w.edtIDCode->text(), QStringLiteral("110105198503090011"));
            QCOMPARE(w.edtMemo->text(), QStringLiteral("夜班"));
            Click(w.dtbEmployee, opSave);
            QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
            QCOMPARE(w.result(), int(QDialog::Accepted));
        }
        // Saved unchanged: a date never stored is now the empty date, no post stays no post,
        // and the password is not touched.
        const TFbResult r = Pool->Execute(QStringLiteral("SELECT SEX, OFFICE_TYPE, DEPARTMENT_ID, ENTRY_DATE, ID_CODE, "
                                                         "PHONE, ADDRESS, MEMO FROM TB_EMPLOYEE WHERE ID = ?"),
                                          {TFbValue::FromInt(id)});
        const QStringList kept = {"1", "2", "2", "1900-01-01", "110105198503090011", "139", "北京", "夜班"};
        for (int c = 0; c < kept.size(); ++c)
            QCOMPARE(r.At(0, c).AsString(), kept[c]);
        QCOMPARE(Text(QStringLiteral("SELECT EDUCATION FROM TB_EMPLOYEE WHERE ID = ?"), {TFbValue::FromInt(id)}),
                 QString::number(education));
        QCOMPARE(Text(QStringLiteral("SELECT COALESCE(POST_ID, 0) FROM TB_EMPLOYEE WHERE ID = ?"), {TFbValue::FromInt(id)}),
                 post == QLatin1String("NULL") ? QStringLiteral("0") : post);
        QCOMPARE(Text(QStringLiteral("SELECT BIRTHDAY FROM TB_EMPLOYEE WHERE ID = ?"), {TFbValue::FromInt(id)}),
                 pickerShows);
        QCOMPARE(Text(QStringLiteral("SELECT PW FROM TB_EMPLOYEE WHERE ID = ?"), {TFbValue::FromInt(id)}),
                 QStringLiteral("x"));
        Pool->Execute(QStringLiteral("DELETE FROM TB_EMPLOYEE WHERE ID = ?"), {TFbValue::FromInt(id)});
    }

    // A name another employee has is refused with a message; nothing is written and 保存 is
    // given back.
    void employeeNameTaken()
    {
        TRecorder rec;
        NewId(QStringLiteral("INSERT INTO TB_EMPLOYEE (EMPLOYEE_NAME, PW) VALUES ('张三', '')"));
        const qint64 before = Count(QStringLiteral("TB_EMPLOYEE"));
        auto list = EmptyList<TEmployee>();
        TfrmEmployee w(list.get(), false);
        w.show();
        w.edtEmployeeName->setText(QStringLiteral("张三 "));
        w.edtPhone->setText(QStringLiteral("13800000000"));
        Click(w.dtbEmployee, opSave);
        QCOMPARE(rec.Last(), TfrmEmployee::NameTaken.arg(QStringLiteral("张三")));
        QCOMPARE(Count(QStringLiteral("TB_EMPLOYEE")), before);
        QVERIFY(w.isVisible());
        QVERIFY(w.dtbEmployee->Button(opSave)->isEnabled());
        QCOMPARE(w.edtPhone->text(), QStringLiteral("13800000000"));
        Pool->Execute(QStringLiteral("DELETE FROM TB_EMPLOYEE WHERE EMPLOYEE_NAME = '张三'"));
    }

    // Texts are stored exactly as typed, or refused with a message before anything is written.
    void textsStoredExactlyOrRefused_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("field");   // caption
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("stored");   // what the column holds afterwards
        QTest::addColumn<QString>("says");   // the refusal; empty when saved
        const QString han = QStringLiteral("汽");
        const QString drop = EntryTexts::Characters;
        QTest::newRow("supplier: 32 Chinese characters fit")
            << "supplier" << "单位名称" << Repeat(han, 32) << "SUPPLIER_NAME" << Repeat(han, 32) << "";
        QTest::newRow("supplier: 64 Chinese characters are twice too long")
            << "supplier" << "单位名称" << Repeat(han, 64) << "SUPPLIER_NAME" << ""
            << EntryTexts::TooLong.arg(QStringLiteral("单位名称")).arg(64).arg(128);
        QTest::newRow("supplier: an apostrophe") << "supplier" << "单位名称" << "O'Brien汽配" << "SUPPLIER_NAME" << ""
                                                 << EntryTexts::Dropped.arg(QStringLiteral("单位名称"), drop);
        QTest::newRow("supplier: a percent sign") << "supplier" << "主营产品" << "九折10%" << "MAIN_PRODUCT" << ""
                                                  << EntryTexts::Dropped.arg(QStringLiteral("主营产品"), drop);
        QTest::newRow("supplier: 20 letters of contact keep 16")
            << "supplier" << "联系人" << "abcdefghijklmnopqrst" << "CONTACTOR" << "abcdefghijklmnop" << "";
        QTest::newRow("supplier: 8 Chinese characters of contact fit")
            << "supplier" << "联系人" << Repeat(han, 8) << "CONTACTOR" << Repeat(han, 8) << "";
        QTest::newRow("supplier: 9 Chinese characters of contact")
            << "supplier" << "联系人" << Repeat(han, 9) << "CONTACTOR" << ""
            << EntryTexts::TooLong.arg(QStringLiteral("联系人")).arg(16).arg(18);
        QTest::newRow("supplier: an emoji") << "supplier" << "备注" << "好" + Emoji << "MEMO" << ""
                                            << EntryTexts::NotGbk.arg(QStringLiteral("备注"));
        QTest::newRow("part: blanks and a hyphen") << "commodity" << "商品名" << " 机油 5W-30 " << "COMMODITY_NAME"
                                                   << " 机油 5W-30 " << "";
        QTest::newRow("part: a plus") << "commodity" << "商品名" << "A+B" << "COMMODITY_NAME" << ""
                                      << EntryTexts::Dropped.arg(QStringLiteral("商品名"), drop);
        QTest::newRow("part: an emoji") << "commodity" << "商品名" << Emoji << "COMMODITY_NAME" << ""
                                        << EntryTexts::NotGbk.arg(QStringLiteral("商品名"));
        QTest::newRow("part: 17 Chinese characters")
            << "commodity" << "商品名" << Repeat(han, 17) << "COMMODITY_NAME" << ""
            << EntryTexts::TooLong.arg(QStringLiteral("商品名")).arg(32).arg(34);
        QTest::newRow("tool: brackets") << "tool" << "工具名称" << "扭力扳手（大）" << "TOOL_NAME" << "扭力扳手（大）"
                                        << "";
        QTest::newRow("tool: a question mark") << "tool" << "生产厂家" << "谁造的?" << "MANUFACTURER" << ""
                                               << EntryTexts::Dropped.arg(QStringLiteral("生产厂家"), drop);
        QTest::newRow("employee: 9 Chinese characters of name")
            << "employee" << "姓名" << Repeat(han, 9) << "EMPLOYEE_NAME" << ""
            << EntryTexts::TooLong.arg(QStringLiteral("姓名")).arg(16).arg(18);
        QTest::newRow("employee: an apostrophe") << "employee" << "姓名" << "O'Neil" << "EMPLOYEE_NAME" << ""
                                                 << EntryTexts::Dropped.arg(QStringLiteral("姓名"), drop);
        QTest::newRow("employee: ID card with X") << "employee" << "身份证号" << "11010519491231002X" << "ID_CODE"
                                                  << "11010519491231002X" << "";
    }

    void textsStoredExactlyOrRefused()
    {
        QFETCH(QString, window);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, column);
        QFETCH(QString, stored);
        QFETCH(QString, says);
        TRecorder rec;
        std::unique_ptr<TData> list;
        std::unique_ptr<QDialog> w;
        TDataToolBar* bar = nullptr;
        QString table, nameField;
        if (window == QLatin1String("supplier")) {
            auto l = EmptyList<TSupplier>();
            auto f = std::make_unique<TfrmSupplier>(l.get(), false);
            bar = f->dtbSupplier;
            list = std::move(l);
            w = std::move(f);
            table = QStringLiteral("TB_SUPPLIER");
            nameField = QStringLiteral("单位名称");
        } else if (window == QLatin1String("commodity")) {
            auto l = EmptyList<TCommodity>();
            auto f = std::make_unique<TfrmCommodity>(l.get(), false);
            bar = f->dtbCommodity;
            list = std::move(l);
            w = std::move(f);
            table = QStringLiteral("TB_COMMODITY");
            nameField = QStringLiteral("商品名");
        } else if (window == QLatin1String("tool")) {
            auto l = EmptyList<TTool>();
            auto f = std::make_unique<TfrmTool>(l.get(), false);
            bar = f->dtbTool;
            list = std::move(l);
            w = std::move(f);
            table = QStringLiteral("TB_TOOL");
            nameField = QStringLiteral("工具名称");
        } else {
            auto l = EmptyList<TEmployee>();
            auto f = std::make_unique<TfrmEmployee>(l.get(), false);
            bar = f->dtbEmployee;
            list = std::move(l);
            w = std::move(f);
            table = QStringLiteral("TB_EMPLOYEE");
            nameField = QStringLiteral("姓名");
        }
        w->show();
        TLabeledEdit* edit = EditCaptioned(w.get(), field);
        QVERIFY(edit);
        if (field != nameField)
            EditCaptioned(w.get(), nameField)->setText(QStringLiteral("测试") + QString::number(Count(table)));
        edit->setText(typed);
        const qint64 before = Count(table);
        Click(bar, opSave);
        if (says.isEmpty()) {
            QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
            QCOMPARE(Count(table), before + 1);
            QCOMPARE(Text(QStringLiteral("SELECT %1 FROM %2 ORDER BY ID DESC ROWS 1").arg(column, table)), stored);
        } else {
            QCOMPARE(rec.Messages.size(), 1);
            QCOMPARE(rec.Messages[0].Caption, QStringLiteral("警告"));
            QCOMPARE(rec.Messages[0].Text, says);
            QCOMPARE(Count(table), before);
            QVERIFY(w->isVisible());
            QVERIFY(bar->Button(opSave)->isEnabled());
            QCOMPARE(edit->text(), typed);   // nothing typed is lost
            QCOMPARE(QApplication::focusWidget() == edit || !QApplication::activeWindow(), true);
        }
    }

    // A tool whose dates were never stored opens with 1900-01-01; the count is a whole number
    // or refused.
    void toolDatesAndCount_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");   // empty: refused
        QTest::newRow("empty is 0") << "" << "0";
        QTest::newRow("a count") << " 12 " << "12";
        QTest::newRow("eight digits") << "99999999" << "99999999";
        QTest::newRow("nine digits") << "123456789" << "";
        QTest::newRow("letters") << "两把" << "";
        QTest::newRow("negative") << "-1" << "";
        QTest::newRow("a fraction") << "1.5" << "";
    }

    void toolDatesAndCount()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        TRecorder rec;
        const qint64 id = NewId(QStringLiteral("INSERT INTO TB_TOOL (TOOL_NAME, TOOL_COUNT, BUY_DATE, CHECK_DATE) "
                                               "VALUES ('千斤顶', 3, NULL, DATE '2026-05-04')"));
        auto list = ListOn<TTool>(id);
        TfrmTool w(list.get(), true);
        w.show();
        QCOMPARE(w.dtpBuyDate->date(), QDate(1900, 1, 1));
        QCOMPARE(w.dtpCheckDate->date(), QDate(2026, 5, 4));
        QCOMPARE(w.edtToolCount->text(), QStringLiteral("3"));
        w.edtToolCount->setText(typed);
        Click(w.dtbTool, opSave);
        const QString now = Text(QStringLiteral("SELECT TOOL_COUNT FROM TB_TOOL WHERE ID = ?"), {TFbValue::FromInt(id)});
        if (stored.isEmpty()) {
            QCOMPARE(rec.Last(), EntryTexts::NotWhole.arg(QStringLiteral("数量"), QStringLiteral("99999999")));
            QCOMPARE(now, QStringLiteral("3"));
            QVERIFY(w.dtbTool->Button(opSave)->isEnabled());
        } else {
            QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
            QCOMPARE(now, stored);
            QCOMPARE(Text(QStringLiteral("SELECT BUY_DATE FROM TB_TOOL WHERE ID = ?"), {TFbValue::FromInt(id)}),
                     QStringLiteral("1900-01-01"));
            QCOMPARE(Text(QStringLiteral("SELECT CHECK_DATE FROM TB_TOOL WHERE ID = ?"), {TFbValue::FromInt(id)}),
                     QStringLiteral("2026-05-04"));
        }
        Pool->Execute(QStringLiteral("DELETE FROM TB_TOOL WHERE ID = ?"), {TFbValue::FromInt(id)});
    }

    // A part's unit and standard: the starting entries shown by name, one chosen and stored by
    // its ID, one removed by another desk before the save refused with a message.
    void partLookups()
    {
        TRecorder rec;
        auto list = EmptyList<TCommodity>();
        {
            TfrmCommodity w(list.get(), false);
            QCOMPARE(w.trpUnit->Text(), QStringLiteral("个"));
            QCOMPARE(w.trpStandard->Text(), QStringLiteral("标准"));
            w.edtCommodityName->setText(QStringLiteral("火花塞"));
            w.trpUnit->SetID(QStringLiteral("4"));   // as a pick in the list does
            w.trpUnit->SetText(QStringLiteral("升"));
            Click(w.dtbCommodity, opSave);
            QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        }
        QCOMPARE(Text(QStringLiteral("SELECT UNIT_ID || '/' || STANDARD_ID FROM TB_COMMODITY WHERE COMMODITY_NAME = "
                                     "'火花塞'")),
                 QStringLiteral("4/1"));
        // A unit made and removed meanwhile elsewhere.
        const qint64 unit = Other->Execute(QStringLiteral("INSERT INTO TB_UNIT (UNIT_NAME) VALUES ('桶') RETURNING ID"))
                                .At(0, 0)
                                .AsInt64();
        {
            TfrmCommodity w(list.get(), false);
            w.show();
            w.edtCommodityName->setText(QStringLiteral("防冻液"));
            w.trpUnit->SetID(QString::number(unit));
            w.trpUnit->SetText(QStringLiteral("桶"));
            Other->Execute(QStringLiteral("DELETE FROM TB_UNIT WHERE ID = ?"), {TFbValue::FromInt(unit)});
            const qint64 before = Count(QStringLiteral("TB_COMMODITY"));
            Click(w.dtbCommodity, opSave);
            QCOMPARE(rec.Last(), EntryTexts::LookupGone.arg(QStringLiteral("桶"), QStringLiteral("单位")));
            QCOMPARE(Count(QStringLiteral("TB_COMMODITY")), before);
            QVERIFY(w.dtbCommodity->Button(opSave)->isEnabled());
        }
        // Without an entry 1 the window starts with none chosen, and stores none.
        rec.Messages.clear();
        Pool->Execute(QStringLiteral("DELETE FROM TB_COMMODITY"));   // no part may use the entry removed
        Pool->Execute(QStringLiteral("DELETE FROM TB_STANDARD WHERE ID = 1"));
        {
            TfrmCommodity w(list.get(), false);
            QCOMPARE(w.trpStandard->ID(), QString());
            QCOMPARE(w.trpStandard->Text(), QString());
            w.edtCommodityName->setText(QStringLiteral("雨刮"));
            Click(w.dtbCommodity, opSave);
            QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        }
        QCOMPARE(Text(QStringLiteral("SELECT COALESCE(STANDARD_ID, 0) FROM TB_COMMODITY WHERE COMMODITY_NAME = '雨刮'")),
                 QStringLiteral("0"));
        QCOMPARE(Text(QStringLiteral("SELECT STANDARD_NAME FROM V_COMMODITY WHERE COMMODITY_NAME = '雨刮'")), QString());
        Pool->Execute(QStringLiteral("INSERT INTO TB_STANDARD (ID, STANDARD_NAME) VALUES (1, '标准')"));
    }

    // 编辑 changes the record in place; a record another desk deleted meanwhile is not
    // created again, and the user is told.
    void editChangesInPlace_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("deletedMeanwhile");
        for (const char* w : {"supplier", "commodity", "tool", "employee"}) {
            QTest::newRow(w) << QString::fromLatin1(w) << false;
            QTest::newRow(QByteArray(w) + " deleted meanwhile") << QString::fromLatin1(w) << true;
        }
    }

    void editChangesInPlace()
    {
        QFETCH(QString, window);
        QFETCH(bool, deletedMeanwhile);
        TRecorder rec;
        const struct {
            const char* Window;
            const char* Table;
            const char* Column;
            const char* Caption;
        } kinds[] = {{"supplier", "TB_SUPPLIER", "SUPPLIER_NAME", "单位名称"},
                     {"commodity", "TB_COMMODITY", "COMMODITY_NAME", "商品名"},
                     {"tool", "TB_TOOL", "TOOL_NAME", "工具名称"},
                     {"employee", "TB_EMPLOYEE", "EMPLOYEE_NAME", "姓名"}};
        const auto* k = std::find_if(std::begin(kinds), std::end(kinds),
                                     [&window](const auto& x) { return window == QLatin1String(x.Window); });
        const QString table = QString::fromLatin1(k->Table), column = QString::fromLatin1(k->Column);
        const qint64 id = NewId(QStringLiteral("INSERT INTO %1 (%2) VALUES ('旧名')").arg(table, column));
        std::unique_ptr<TData> list;
        std::unique_ptr<QDialog> w;
        TDataToolBar* bar = nullptr;
        if (window == QLatin1String("supplier")) {
            auto l = ListOn<TSupplier>(id);
            auto f = std::make_unique<TfrmSupplier>(l.get(), true);
            bar = f->dtbSupplier;
            list = std::move(l);
            w = std::move(f);
        } else if (window == QLatin1String("commodity")) {
            auto l = ListOn<TCommodity>(id);
            auto f = std::make_unique<TfrmCommodity>(l.get(), true);
            bar = f->dtbCommodity;
            list = std::move(l);
            w = std::move(f);
        } else if (window == QLatin1String("tool")) {
            auto l = ListOn<TTool>(id);
            auto f = std::make_unique<TfrmTool>(l.get(), true);
            bar = f->dtbTool;
            list = std::move(l);
            w = std::move(f);
        } else {
            auto l = ListOn<TEmployee>(id);
            auto f = std::make_unique<TfrmEmployee>(l.get(), true);
            bar = f->dtbEmployee;
            list = std::move(l);
            w = std::move(f);
        }
        w->show();
        TLabeledEdit* name = EditCaptioned(w.get(), QString::fromUtf8(k->Caption));
        QCOMPARE(name->text(), QStringLiteral("旧名"));
        name->setText(QStringLiteral("新名"));
        if (deletedMeanwhile)
            Other->Execute(QStringLiteral("DELETE FROM %1 WHERE ID = ?").arg(table), {TFbValue::FromInt(id)});
        const qint64 before = Count(table);
        Click(bar, opSave);
        QCOMPARE(Count(table), before);
        if (deletedMeanwhile) {
            QCOMPARE(rec.Last(), EntryTexts::RecordGone);
            QVERIFY(bar->Button(opSave)->isEnabled());
            QCOMPARE(Text(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = '新名'").arg(table, column)),
                     QStringLiteral("0"));
        } else {
            QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
            QCOMPARE(Text(QStringLiteral("SELECT %1 FROM %2 WHERE ID = ?").arg(column, table), {TFbValue::FromInt(id)}),
                     QStringLiteral("新名"));
            Pool->Execute(QStringLiteral("DELETE FROM %1 WHERE ID = ?").arg(table), {TFbValue::FromInt(id)});
        }
    }

    // In the employee and supplier windows Enter moves on through the fields and Esc back;
    // neither closes the window.
    void enterAndEscMove()
    {
        auto employees = EmptyList<TEmployee>();
        TfrmEmployee e(employees.get(), false);
        e.show();
        QApplication::setActiveWindow(&e);
        e.edtEmployeeName->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(e.edtEmployeeName));
        QTest::keyClick(e.edtEmployeeName, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(e.cbbSex));
        QTest::keyClick(e.cbbSex, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(e.edtPhone));
        QTest::keyClick(e.edtPhone, Qt::Key_Escape);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(e.cbbSex));
        QVERIFY(e.isVisible());
        e.close();

        auto suppliers = EmptyList<TSupplier>();
        TfrmSupplier s(suppliers.get(), false);
        s.show();
        QApplication::setActiveWindow(&s);
        s.edtSuppierName->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(s.edtSuppierName));
        QTest::keyClick(s.edtSuppierName, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(s.edtPhone));
        QTest::keyClick(s.edtPhone, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(s.edtContactor));
        QTest::keyClick(s.edtContactor, Qt::Key_Escape);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(s.edtPhone));
        QVERIFY(s.isVisible());
    }
};

QTEST_MAIN(TestRecords)
#include "tst_records.moc"
