// The company data window as a user works in it, against a real database: it shows the stored
// row, a save stores the four texts exactly and the next ticket gets them at once, texts the
// columns cannot hold are refused before anything is written, and a missing row is created.
#include "ConPool.h"
#include "DataTool.h"
#include "Entry.h"
#include "FbClient.h"
#include "Functions.h"
#include "GlobalHead.h"
#include "LabeledEdit.h"
#include "Modules.h"
#include "Recorder.h"
#include "TestDb.h"
#include "TheUnit.h"
#include "Workstation.h"

#include <QApplication>
#include <QFrame>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

namespace {

const TTheUnit Stored{QStringLiteral("文澜汽车修理厂"), QStringLiteral("周师傅"), QStringLiteral("0571-88886666"),
                      QStringLiteral("杭州市西湖区文一路88号")};

}   // namespace

class TestTheUnit : public QObject {
    Q_OBJECT
    std::unique_ptr<TTestDb> Db;
    std::unique_ptr<QTemporaryDir> Folder;

    qint64 Rows() { return Pool->Execute(QStringLiteral("SELECT COUNT(*) FROM TB_THEUNIT")).At(0, 0).AsInt64(); }

    // What a second look at the table finds, row by row.
    QVector<TTheUnit> InTable()
    {
        const TFbResult r = Pool->Execute(
            QStringLiteral("SELECT THEUNIT_NAME, PER_IN_CHAR, PHONE, ADDRESS FROM TB_THEUNIT ORDER BY ID"));
        QVector<TTheUnit> rows;
        for (int i = 0; i < r.RowCount(); ++i)
            rows.append({r.At(i, 0).AsString(), r.At(i, 1).AsString(), r.At(i, 2).AsString(), r.At(i, 3).AsString()});
        return rows;
    }

    static void Type(TfrmTheUnit& w, const TTheUnit& u)
    {
        w.edtName->setText(u.TheUnitName);
        w.edtPerInChar->setText(u.PerInChar);
        w.edtPhone->setText(u.Phone);
        w.edtAddress->setText(u.Address);
    }

    static bool Same(const TTheUnit& a, const TTheUnit& b)
    {
        return a.TheUnitName == b.TheUnitName && a.PerInChar == b.PerInChar && a.Phone == b.Phone
            && a.Address == b.Address;
    }

    static QString Show(const TTheUnit& u)
    {
        return QStringList{u.TheUnitName, u.PerInChar, u.Phone, u.Address}.join(QStringLiteral(" | "));
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
    }

    void cleanupTestCase() { Pool->Close(); }

    // Every case starts from one known row, and the program's copy loaded from it.
    void init()
    {
        Pool->Execute(QStringLiteral("DELETE FROM TB_THEUNIT"));
        Pool->Execute(QStringLiteral("INSERT INTO TB_THEUNIT (THEUNIT_NAME, PER_IN_CHAR, PHONE, ADDRESS) "
                                     "VALUES (?, ?, ?, ?)"),
                      {TFbValue::FromText(Stored.TheUnitName), TFbValue::FromText(Stored.PerInChar),
                       TFbValue::FromText(Stored.Phone), TFbValue::FromText(Stored.Address)});
        Symbol.TheUnit = ReadTheUnit(*Pool);
    }

    void fillsFromTheTable()
    {
        TfrmTheUnit w;
        QCOMPARE(w.edtName->text(), Stored.TheUnitName);
        QCOMPARE(w.edtPerInChar->text(), Stored.PerInChar);
        QCOMPARE(w.edtPhone->text(), Stored.Phone);
        QCOMPARE(w.edtAddress->text(), Stored.Address);
        QCOMPARE(w.windowTitle(), QStringLiteral("本单位"));
        QCOMPARE(w.size(), QSize(316, 213));
        QCOMPARE(w.edtName->accessibleName(), QStringLiteral("单位名称"));
        QCOMPARE(w.edtPerInChar->accessibleName(), QStringLiteral("负责人"));
        QCOMPARE(w.edtPhone->accessibleName(), QStringLiteral("联系电话"));
        QCOMPARE(w.edtAddress->accessibleName(), QStringLiteral("联系地址"));
        QCOMPARE(w.dtbTheUnit->Options(), OptionBit(opSave) | OptionBit(opClose));
        QCOMPARE(w.dtbTheUnit->Enableds(), OptionBit(opSave) | OptionBit(opClose));
    }

    void saveStoresTheTextsExactly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("person");
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("address");
        QTest::newRow("new phone and name") << "文澜汽修"
                                            << "周师傅"
                                            << "0571-12345678"
                                            << "杭州市西湖区文一路88号";
        QTest::newRow("quotes and percent") << "O'Neil's 汽修 100%"
                                            << "李'四"
                                            << "0571-'%'"
                                            << "文一路'88'号, 50% 楼; --";
        QTest::newRow("texts at their limits")
            << QString(32, QChar(0x4fee))   // 64 bytes
            << QString(8, QChar(0x5468))   // 16 bytes
            << QString(32, QLatin1Char('9')) << QString(64, QChar(0x8def));   // 128 bytes
        QTest::newRow("all empty") << ""
                                   << ""
                                   << ""
                                   << "";
    }

    void saveStoresTheTextsExactly()
    {
        QFETCH(QString, name);
        QFETCH(QString, person);
        QFETCH(QString, phone);
        QFETCH(QString, address);
        const TTheUnit typed{name, person, phone, address};
        TRecorder rec;
        TfrmTheUnit w;
        w.show();
        Type(w, typed);
        Click(w.dtbTheUnit, opSave);
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(rec.Messages[0].Text, QStringLiteral("记录保存成功！"));
        QCOMPARE(rec.Messages[0].Caption, QStringLiteral("提示"));
        const QVector<TTheUnit> rows = InTable();
        QCOMPARE(rows.size(), 1);
        QVERIFY2(Same(rows[0], typed), qPrintable(Show(rows[0])));
        // The next ticket prints the new data without a restart.
        QVERIFY2(Same(Symbol.TheUnit, typed), qPrintable(Show(Symbol.TheUnit)));
        QVERIFY(w.isVisible());   // the window stays open
        QVERIFY(!HasOption(w.dtbTheUnit->Enableds(), opSave));
        // Closing now asks nothing: there is nothing unsaved.
        rec.Clear();
        Click(w.dtbTheUnit, opClose);
        QVERIFY(rec.Messages.isEmpty());
        QVERIFY(!w.isVisible());
    }

    void refusedBeforeAnythingIsWritten_data()
    {
        QTest::addColumn<QString>("field");   // name, person, phone or address
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("says");
        const QString emoji = QStringLiteral("文澜汽修") + QString::fromUcs4(U"\U0001F697");
        QTest::newRow("emoji in the name")
            << "name" << emoji << EntryTexts::NotGbk.arg(QStringLiteral("单位名称"));
        QTest::newRow("emoji in the address")
            << "address" << QStringLiteral("文一路") + QString::fromUcs4(U"\U0001F600")
            << EntryTexts::NotGbk.arg(QStringLiteral("联系地址"));
        QTest::newRow("name over 64 bytes") << "name" << QString(33, QChar(0x4fee))
                                            << EntryTexts::TooLong.arg(QStringLiteral("单位名称")).arg(64).arg(66);
        QTest::newRow("person over 16 bytes") << "person" << QStringLiteral("欧阳") + QString(7, QChar(0x5468))
                                              << EntryTexts::TooLong.arg(QStringLiteral("负责人")).arg(16).arg(18);
        QTest::newRow("phone over 32 bytes")
            << "phone" << QStringLiteral("电话") + QString(29, QLatin1Char('8'))
            << EntryTexts::TooLong.arg(QStringLiteral("联系电话")).arg(32).arg(33);
        QTest::newRow("address over 128 bytes")
            << "address" << QString(64, QChar(0x8def)) + QStringLiteral("1")
            << EntryTexts::TooLong.arg(QStringLiteral("联系地址")).arg(128).arg(129);
    }

    void refusedBeforeAnythingIsWritten()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, says);
        TRecorder rec;
        TfrmTheUnit w;
        w.show();
        TLabeledEdit* e = field == QStringLiteral("name") ? w.edtName
            : field == QStringLiteral("person")           ? w.edtPerInChar
            : field == QStringLiteral("phone")            ? w.edtPhone
                                                          : w.edtAddress;
        w.edtPhone->setText(QStringLiteral("0571-99999999"));   // a good change beside the bad one
        e->setText(typed);
        QCOMPARE(e->text(), typed);   // the field takes it whole: the limit is said, not cut
        Click(w.dtbTheUnit, opSave);
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(rec.Messages[0].Text, says);
        QCOMPARE(rec.Messages[0].Caption, QStringLiteral("警告"));
        const QVector<TTheUnit> rows = InTable();
        QCOMPARE(rows.size(), 1);
        QVERIFY2(Same(rows[0], Stored), qPrintable(Show(rows[0])));   // nothing written
        QVERIFY(Same(Symbol.TheUnit, Stored));
        QVERIFY(w.isVisible());
        QCOMPARE(e->text(), typed);   // nothing typed is lost
        QVERIFY(HasOption(w.dtbTheUnit->Enableds(), opSave));   // and it can be saved again
        // Mended, the same window saves.
        rec.Clear();
        e->setText(QStringLiteral("新"));
        Click(w.dtbTheUnit, opSave);
        QCOMPARE(rec.Last(), QStringLiteral("记录保存成功！"));
        QCOMPARE(InTable().size(), 1);
        QCOMPARE(Symbol.TheUnit.Phone,
                 field == QStringLiteral("phone") ? QStringLiteral("新") : QStringLiteral("0571-99999999"));
    }

    void missingRowIsCreated()
    {
        Pool->Execute(QStringLiteral("DELETE FROM TB_THEUNIT"));
        TRecorder rec;
        TfrmTheUnit w;
        w.show();
        QCOMPARE(w.edtName->text(), QString());
        const TTheUnit typed{QStringLiteral("新开汽修'店"), QStringLiteral("吴"), QStringLiteral("139"),
                             QStringLiteral("滨江区")};
        Type(w, typed);
        Click(w.dtbTheUnit, opSave);
        QCOMPARE(rec.Last(), QStringLiteral("记录保存成功！"));
        QVector<TTheUnit> rows = InTable();
        QCOMPARE(rows.size(), 1);
        QVERIFY2(Same(rows[0], typed), qPrintable(Show(rows[0])));
        QVERIFY(Same(Symbol.TheUnit, typed));
        QVERIFY(Pool->Execute(QStringLiteral("SELECT ID FROM TB_THEUNIT")).At(0, 0).AsInt64() > 0);
        // A second save updates that row rather than adding one.
        w.edtPhone->setText(QStringLiteral("138"));
        w.dtbTheUnit->SetEnableds(w.dtbTheUnit->Enableds() | OptionBit(opSave));
        Click(w.dtbTheUnit, opSave);
        rows = InTable();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].Phone, QStringLiteral("138"));
    }

    // A correction typed after a save can be saved in the same window, and closing with it
    // unsaved asks first.
    void correctionAfterASave()
    {
        TRecorder rec;
        TfrmTheUnit w;
        w.show();
        Click(w.dtbTheUnit, opSave);
        QVERIFY(!HasOption(w.dtbTheUnit->Enableds(), opSave));
        w.edtPhone->clear();
        QVERIFY(!HasOption(w.dtbTheUnit->Enableds(), opSave));   // only what the user types counts
        QTest::keyClicks(w.edtPhone, QStringLiteral("0571-1"));
        QVERIFY(HasOption(w.dtbTheUnit->Enableds(), opSave));
        rec.Clear();
        Click(w.dtbTheUnit, opClose);
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(rec.Messages[0].Text, TDataToolBar::CloseQuestion);
        QVERIFY(w.isVisible());   // No, the default, keeps it
        rec.Clear();
        Click(w.dtbTheUnit, opSave);
        QCOMPARE(rec.Last(), QStringLiteral("记录保存成功！"));
        QCOMPARE(InTable().value(0).Phone, QStringLiteral("0571-1"));
        QCOMPARE(Symbol.TheUnit.Phone, QStringLiteral("0571-1"));
    }

    // The menu item reaches the window through the module table, without a list.
    void openedThroughTheModuleTable()
    {
        TRecorder rec;
        const TModule* m = FindModule(ModuleNames::TheUnit);
        QVERIFY(m && m->Window);
        QString seen;
        QTimer::singleShot(0, [&seen] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* w = qobject_cast<TfrmTheUnit*>(top); w && w->isVisible()) {
                    seen = w->edtName->text();
                    w->reject();
                }
        });
        QVERIFY(OpenModule(ModuleNames::TheUnit, ModeNew, nullptr));
        QCOMPARE(seen, Stored.TheUnitName);
        QVERIFY(rec.Messages.isEmpty());
    }
};

QTEST_MAIN(TestTheUnit)
#include "tst_theunit.moc"
