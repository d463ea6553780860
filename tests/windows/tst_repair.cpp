// The repair registration window as a user works in it, against a real database: what a save
// writes, the amounts it refuses, Save given back after a refusal, the ticket printed only for
// a saved order, Enter and Esc, and the car's history by its plate.
#include "ConPool.h"
#include "DataHead.h"
#include "DataTool.h"
#include "FbClient.h"
#include "GlobalHead.h"
#include "LabeledEdit.h"
#include "Recorder.h"
#include "Repair.h"
#include "TestDb.h"
#include "TesselonHead.h"
#include "Triple.h"
#include "clsRepair.h"
#include "Workstation.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

}   // namespace

class TestRepair : public QObject {
    Q_OBJECT
    std::unique_ptr<TTestDb> Db;
    std::unique_ptr<QTemporaryDir> Folder;
    std::unique_ptr<TRepair> List;
    TDataSet* Set = nullptr;
    qint64 Clerk = 0;   // the logged-in user of the tests, not the administrator

    qint64 Scalar(const QString& sql, const QVector<TFbValue>& params = {})
    {
        const TFbResult r = Pool->Execute(sql, params);
        return r.RowCount() ? r.At(0, 0).AsInt64() : -1;
    }
    QString Text(const QString& sql, const QVector<TFbValue>& params = {})
    {
        const TFbResult r = Pool->Execute(sql, params);
        return r.RowCount() ? r.At(0, 0).AsString() : QString();
    }
    qint64 Orders() { return Scalar(QStringLiteral("SELECT COUNT(*) FROM TB_REPAIR")); }

    std::unique_ptr<TfrmRepair> NewWindow(bool print = false)
    {
        auto w = std::make_unique<TfrmRepair>(List.get(), false);
        w->chkPrint->setChecked(print);
        w->show();
        return w;
    }

    QString TicketFile() const { return Folder->filePath(QStringLiteral("ticket.pdf")); }

private slots:
    void initTestCase()
    {
        Folder = std::make_unique<QTemporaryDir>();
        QVERIFY(WriteTestSettings(*Folder, "<ticketpdf>ticket.pdf</ticketpdf>"));
        QVERIFY(StartUp(Folder->path()));
        Tesselon::SetLibraryDir(QCoreApplication::applicationDirPath());
        Db = std::make_unique<TTestDb>();
        QVERIFY2(Db->Ok(), qPrintable(Db->Error()));
        Pool->Open(Db->Location());
        Pool->Execute(QStringLiteral("INSERT INTO TB_EMPLOYEE (EMPLOYEE_NAME, PW) VALUES ('张师傅', '')"));
        Clerk = Scalar(QStringLiteral("SELECT ID FROM TB_EMPLOYEE WHERE EMPLOYEE_NAME = '张师傅'"));
        Symbol.User.ID = QString::number(Clerk);
        Symbol.User.UserName = QStringLiteral("张师傅");
        Symbol.TheUnit = ReadTheUnit(*Pool);
        List = std::make_unique<TRepair>();
        Set = Pool->GetDataSet();
        List->SetDataSet(Set);
    }

    void cleanupTestCase()
    {
        List.reset();
        Pool->FreeDataSet(Set);
        Pool->Close();
    }

    void init() { QFile::remove(TicketFile()); }

    void newOrderWithOnlyNameAndPhone()
    {
        TRecorder rec;
        const qint64 before = Orders();
        auto w = NewWindow();
        w->edtCarOwner->setText(QStringLiteral("王先生"));
        w->edtPhone->setText(QStringLiteral("13900000001"));
        Click(w->dtbRepair, opSave);
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        QCOMPARE(w->result(), int(QDialog::Accepted));
        QCOMPARE(Orders(), before + 1);
        const TFbResult r = Pool->Execute(QStringLiteral("SELECT OIL, QUOTE, EARNEST, ACCEPTER_ID, OPERATOR_ID, "
                                                         "IS_PAY, CAR_OWNER FROM TB_REPAIR ORDER BY ID DESC ROWS 1"));
        QCOMPARE(r.At(0, 0).AsString(), QStringLiteral("0.00"));
        QCOMPARE(r.At(0, 1).AsString(), QStringLiteral("0.00"));
        QCOMPARE(r.At(0, 2).AsString(), QStringLiteral("0.00"));
        QCOMPARE(r.At(0, 3).AsInt64(), qint64(1));   // the lookup's starting ID
        QCOMPARE(r.At(0, 4).AsInt64(), Clerk);
        QCOMPARE(r.At(0, 5).AsInt64(), qint64(0));
        QCOMPARE(r.At(0, 6).AsString(), QStringLiteral("王先生"));
        QVERIFY(!QFile::exists(TicketFile()));   // not asked for
    }

    void amounts_data()
    {
        QTest::addColumn<QString>("field");   // oil, quote or deposit
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");   // empty: refused
        QTest::addColumn<QString>("says");
        QTest::newRow("thousands separator") << "quote"
                                             << "1,200"
                                             << "1200.00"
                                             << "";
        QTest::newRow("decimal") << "deposit"
                                 << " 50.5 "
                                 << "50.50"
                                 << "";
        QTest::newRow("letters") << "oil"
                                 << "半箱"
                                 << ""
                                 << "数量或价格只能为数字！";
        QTest::newRow("two points") << "quote"
                                    << "1.2.3"
                                    << ""
                                    << "数量或价格只能为数字！";
        QTest::newRow("negative") << "deposit"
                                  << "-5"
                                  << ""
                                  << "金额不能为负数！";
    }

    void amounts()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QString, says);
        TRecorder rec;
        const qint64 before = Orders();
        auto w = NewWindow(true);
        TLabeledEdit* e = field == QStringLiteral("oil") ? w->edtOil
            : field == QStringLiteral("quote")           ? w->edtQuote
                                                         : w->edtEarnest;
        w->edtCarOwner->setText(QStringLiteral("赵女士"));
        w->edtPhone->setText(QStringLiteral("13900000002"));
        w->mmoFault->setPlainText(QStringLiteral("刹车异响"));
        e->setText(typed);
        Click(w->dtbRepair, opSave);
        if (stored.isEmpty()) {
            QCOMPARE(rec.Messages.size(), 1);
            QCOMPARE(rec.Messages[0].Text, says);
            QCOMPARE(rec.Messages[0].Caption, QStringLiteral("警告"));
            QCOMPARE(Orders(), before);
            QVERIFY(w->isVisible());
            QCOMPARE(e->text(), typed);   // nothing typed is lost
            QVERIFY(HasOption(w->dtbRepair->Enableds(), opSave));   // and it can be saved again
            QVERIFY(!QFile::exists(TicketFile()));   // no ticket for no order
            return;
        }
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        QCOMPARE(Orders(), before + 1);
        const char* column = field == QStringLiteral("oil") ? "OIL"
            : field == QStringLiteral("quote")              ? "QUOTE"
                                                            : "EARNEST";
        QCOMPARE(Text(QStringLiteral("SELECT %1 FROM TB_REPAIR ORDER BY ID DESC ROWS 1").arg(QLatin1String(column))),
                 stored);
        QVERIFY(QFile::exists(TicketFile()));   // printed for the saved order
    }

    void refusedSaveGivesSaveBack()
    {
        TRecorder rec;
        const qint64 before = Orders();
        auto w = NewWindow(true);
        w->edtCarOwner->setText(QStringLiteral("钱先生"));
        w->edtCarNo->setText(QStringLiteral("京C11111"));
        Click(w->dtbRepair, opSave);   // no phone
        QCOMPARE(Orders(), before);
        QVERIFY(!rec.Messages.isEmpty());
        QVERIFY(w->isVisible());
        QVERIFY(HasOption(w->dtbRepair->Enableds(), opSave));
        QVERIFY(!QFile::exists(TicketFile()));
        // Closing now still asks; the default No keeps the window and what is typed.
        rec.Clear();
        Click(w->dtbRepair, opClose);
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(rec.Messages[0].Text, TDataToolBar::CloseQuestion);
        QVERIFY(rec.Messages[0].Question);
        QVERIFY(w->isVisible());
        QCOMPARE(w->edtCarOwner->text(), QStringLiteral("钱先生"));
        // A database error (an amount past what the column holds) is refused whole as well.
        rec.Clear();
        w->edtPhone->setText(QStringLiteral("13900000003"));
        w->edtQuote->setText(QStringLiteral("99999999999999999"));
        Click(w->dtbRepair, opSave);
        QCOMPARE(Orders(), before);
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(rec.Messages[0].Caption, QStringLiteral("错误"));
        QVERIFY2(rec.Last().contains(QStringLiteral("太大")), qPrintable(rec.Last()));
        QVERIFY(!rec.Messages[0].Detail.isEmpty());   // the database's own text
        QVERIFY(HasOption(w->dtbRepair->Enableds(), opSave));
        // Mended, the same window saves.
        rec.Clear();
        w->edtQuote->setText(QStringLiteral("300"));
        Click(w->dtbRepair, opSave);
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        QCOMPARE(Orders(), before + 1);
        QVERIFY(QFile::exists(TicketFile()));
    }

    void faultIsCutAtACharacter()
    {
        auto w = NewWindow();
        w->mmoFault->setPlainText(QStringLiteral("a") + QString(300, QChar(0x6cb9)));   // 601 bytes
        const QString kept = w->mmoFault->toPlainText();
        QCOMPARE(kept, QStringLiteral("a") + QString(255, QChar(0x6cb9)));   // 511 bytes, no half character
    }

    void editKeepsTheIdAndTakesTheUser()
    {
        TRecorder rec;
        Pool->Execute(
            QStringLiteral("INSERT INTO TB_REPAIR (CAR_NO, CAR_OWNER, PHONE, FAULT, QUOTE, ACCEPTER_ID, OPERATOR_ID) "
                           "VALUES ('京D22222', '孙先生', '139', '异响', 800, 1, 1)"));
        const qint64 id = Scalar(QStringLiteral("SELECT MAX(ID) FROM TB_REPAIR"));
        List->Close();
        List->SetFilter(QStringLiteral("ID = ?"), {TFbValue::FromInt(id)});
        List->Open();
        QCOMPARE(List->PageRecordCount, 1);
        TfrmRepair w(List.get(), true);
        QCOMPARE(w.OrderId(), int(id));
        QCOMPARE(w.edtCarOwner->text(), QStringLiteral("孙先生"));
        QCOMPARE(w.edtQuote->text(), QStringLiteral("800.00"));
        QCOMPARE(w.trpAccepter->ID(), QStringLiteral("1"));
        QCOMPARE(w.trpAccepter->Text(), QStringLiteral("管理员"));
        w.chkPrint->setChecked(false);
        const qint64 before = Orders();
        w.edtPhone->setText(QStringLiteral("13700000000"));
        Click(w.dtbRepair, opSave);
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        QCOMPARE(Orders(), before);
        QCOMPARE(Text(QStringLiteral("SELECT PHONE FROM TB_REPAIR WHERE ID = ?"), {TFbValue::FromInt(id)}),
                 QStringLiteral("13700000000"));
        QCOMPARE(Scalar(QStringLiteral("SELECT OPERATOR_ID FROM TB_REPAIR WHERE ID = ?"), {TFbValue::FromInt(id)}),
                 Clerk);
        List->Close();
        List->SetFilter(QString());
    }

    void enterAndEscMoveTheFocus()
    {
        auto w = NewWindow();
        QApplication::setActiveWindow(w.get());
        w->edtCarOwner->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->edtCarOwner));
        QTest::keyClick(w->edtCarOwner, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->edtPhone));
        QTest::keyClick(w->edtPhone, Qt::Key_Escape);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->edtCarOwner));
        QVERIFY(w->isVisible());   // Esc moves back, it does not close
        // Enter never reaches the fault as a line break.
        w->mmoFault->setFocus();
        w->mmoFault->setPlainText(QStringLiteral("漏油"));
        w->mmoFault->moveCursor(QTextCursor::End);
        QTest::keyClick(w->mmoFault, Qt::Key_Return);
        QCOMPARE(w->mmoFault->toPlainText(), QStringLiteral("漏油"));
    }

    void plateHistoryFillsWhatIsEmpty()
    {
        for (const char* owner : {"周先生", "吴女士"})
            Pool->Execute(QStringLiteral("INSERT INTO TB_REPAIR (CAR_NO, CAR_OWNER, PHONE, ADDRESS) "
                                         "VALUES ('京E33333', ?, '13800000000', '朝阳区')"),
                          {TFbValue::FromText(QString::fromUtf8(owner))});
        auto w = NewWindow();
        w->edtPhone->setText(QStringLiteral("13600000000"));   // typed: never overwritten
        w->edtCarNo->setText(QStringLiteral(" 京E33333 "));
        w->edtCarNoExit();
        QCOMPARE(w->edtCarOwner->text(), QStringLiteral("吴女士"));   // the latest order's customer
        QCOMPARE(w->edtPhone->text(), QStringLiteral("13600000000"));
        QCOMPARE(w->edtAddress->text(), QStringLiteral("朝阳区"));
        QCOMPARE(w->lblHistory->text(), QStringLiteral("此车已有 2 次送修记录"));
        // A plate without orders says so and fills nothing.
        auto fresh = NewWindow();
        fresh->edtCarNo->setText(QStringLiteral("京Z00000"));
        fresh->edtCarNoExit();
        QCOMPARE(fresh->edtCarOwner->text(), QString());
        QCOMPARE(fresh->lblHistory->text(), QStringLiteral("此车没有送修记录"));
    }

    void fieldsAreNamedAndLimited()
    {
        auto w = NewWindow();
        QCOMPARE(w->windowTitle(), QStringLiteral("送修登记"));
        QCOMPARE(w->size(), QSize(647, 437));
        QCOMPARE(w->edtCarOwner->maxLength(), 16);
        QCOMPARE(w->edtPhone->maxLength(), 32);
        QCOMPARE(w->edtAddress->maxLength(), 128);
        QCOMPARE(w->edtMemo->maxLength(), 128);
        QCOMPARE(w->mmoFault->accessibleName(), QStringLiteral("故障描述"));
        QCOMPARE(w->trpAccepter->accessibleName(), QStringLiteral("接车人"));
        QCOMPARE(w->trpAccepter->DicName(), QStringLiteral("EMPLOYEE"));
        QVERIFY(w->chkPrint->isChecked() == false);   // set by NewWindow
        QVERIFY(TfrmRepair(List.get(), false).chkPrint->isChecked());
    }
};

QTEST_MAIN(TestRepair)
#include "tst_repair.moc"
