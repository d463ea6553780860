// The dictionary windows as a user works them, against a real database: choosing a dictionary,
// entries added, changed and removed through "数据更新", the marks a save leaves, refusals
// shown with their reason, the toolbar's rules and a second save doing nothing.
#include "ConPool.h"
#include "DataTool.h"
#include "Dic.h"
#include "FbClient.h"
#include "GlobalHead.h"
#include "LabeledEdit.h"
#include "Recorder.h"
#include "StringGrid.h"
#include "TestDb.h"
#include "Values.h"
#include "Workstation.h"

#include <QHeaderView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

using TestValues::I;
using TestValues::T;

bool Enabled(TDataToolBar* bar, TOption o)
{
    return HasOption(bar->Enableds(), o) && bar->Button(o) && bar->Button(o)->isEnabled();
}

// What the user does in "数据更新": types the name (unless null) and leaves with 保存 or 关闭.
void OnUpdate(const QString& name, TOption leave, QString* shownId = nullptr, QString* shownName = nullptr)
{
    OnNextDialog([=](QWidget* w) {
        auto* u = qobject_cast<TfrmDicUpdate*>(w);
        QVERIFY(u);
        if (shownId)
            *shownId = u->edtID->text();
        if (shownName)
            *shownName = u->edtContent->text();
        if (!name.isNull())
            u->edtContent->setText(name);
        QToolButton* b = u->dtbDicUpdate->Button(leave);
        if (!b || !b->isEnabled()) {
            u->reject();   // so that the test fails instead of hanging
            return;
        }
        QTest::mouseClick(b, Qt::LeftButton);
    });
}

}   // namespace

class TestDic : public QObject {
    Q_OBJECT
    std::unique_ptr<TTestDb> Db;
    std::unique_ptr<QTemporaryDir> Folder;

    // The units in the table, "ID:name" in ID order.
    QStringList Units()
    {
        const TFbResult r = Pool->Execute(QStringLiteral("SELECT ID, UNIT_NAME FROM TB_UNIT ORDER BY ID"));
        QStringList out;
        for (int row = 0; row < r.RowCount(); ++row)
            out << r.At(row, 0).AsString() + QLatin1Char(':') + r.At(row, 1).AsString();
        return out;
    }

    qint64 AddUnit(const QString& name)
    {
        return Pool->Execute(QStringLiteral("INSERT INTO TB_UNIT (ID, UNIT_NAME) VALUES (0, ?) RETURNING ID"), {T(name)})
            .At(0, 0)
            .AsInt64();
    }

    void AddPart(qint64 unit)
    {
        Pool->Execute(QStringLiteral("INSERT INTO TB_COMMODITY (COMMODITY_NAME, UNIT_ID, STANDARD_ID) VALUES (?, ?, 0)"),
                      {T(QStringLiteral("机油滤清器")), I(unit)});
    }

    std::unique_ptr<TfrmDic> NewWindow()
    {
        auto w = std::make_unique<TfrmDic>();
        w->show();
        QCoreApplication::processEvents();
        return w;
    }

    static void Choose(TfrmDic* w, const QString& name)
    {
        QTreeWidget* tv = w->tvDictionary;
        const QList<QTreeWidgetItem*> found = tv->findItems(name, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        QTest::mouseClick(tv->viewport(), Qt::LeftButton, {}, tv->visualItemRect(found[0]).center());
    }

    static void ClickRow(TfrmDic* w, int row)
    {
        TStringGrid* g = w->strgrdDictionary;
        QVERIFY(row >= 1 && row < g->RowCount());
        g->scrollToItem(g->item(row - 1, 1));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->model()->index(row - 1, 1)).center());
        QCOMPARE(g->Row(), row);
    }

    static int RowOf(TfrmDic* w, const QString& name)
    {
        for (int row = 1; row < w->strgrdDictionary->RowCount(); ++row)
            if (w->strgrdDictionary->Cells(1, row) == name)
                return row;
        return -1;
    }

    static QString Mark(TfrmDic* w, int row) { return w->strgrdDictionary->Cells(2, row); }

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

    // Every test starts from a workshop that has never stored a unit or a part.
    void init()
    {
        Pool->Execute(QStringLiteral("DELETE FROM TB_COMMODITY"));
        Pool->Execute(QStringLiteral("DELETE FROM TB_UNIT"));
        Pool->Execute(QStringLiteral("ALTER SEQUENCE GEN_UNIT_ID RESTART WITH 0"));
    }

    void opensWithFourDictionaries()
    {
        TRecorder rec;
        auto w = NewWindow();
        QCOMPARE(w->windowTitle(), QStringLiteral("数据字典"));
        QStringList names;
        for (int i = 0; i < w->tvDictionary->topLevelItemCount(); ++i)
            names << w->tvDictionary->topLevelItem(i)->text(0);
        QCOMPARE(names, (QStringList{"部门", "职位", "单位", "规格"}));
        const TOptions start = OptionBit(opSave) | OptionBit(opNew) | OptionBit(opClose);
        QCOMPARE(w->dtbDictionary->Enableds() & DefaultOptions, start);
        QVERIFY(rec.Messages.isEmpty());
    }

    // An empty table shows the headers and one empty row, which the first 新增 fills.
    void emptyUnitsLoadAsOneEmptyRow()
    {
        TRecorder rec;
        auto w = NewWindow();
        Choose(w.get(), QStringLiteral("单位"));
        TStringGrid* g = w->strgrdDictionary;
        QCOMPARE(g->RowCount(), 2);
        QCOMPARE(g->RowTexts(0), (QStringList{"编号", "单位", "编辑标记"}));
        QCOMPARE(g->RowTexts(1), (QStringList{"", "", ""}));
        QCOMPARE(g->ColWidth(0), 50);
        QCOMPARE(g->ColWidth(2), 80);
        QCOMPARE(w->LoadedDictionary(), 2);

        OnUpdate(QStringLiteral("个"), opSave);
        Click(w->dtbDictionary, opNew);
        QCOMPARE(g->RowCount(), 2);
        QCOMPARE(g->RowTexts(1), (QStringList{"0", "个", "新增"}));
        QVERIFY(rec.Messages.isEmpty());
    }

    // Two entries get IDs 1 and 2; a name already there in another letter case is refused
    // with the reason shown, and nothing more is stored.
    void addTwoThenARepeatedName()
    {
        TRecorder rec;
        auto w = NewWindow();
        Choose(w.get(), QStringLiteral("单位"));
        TDataToolBar* bar = w->dtbDictionary;

        OnUpdate(QStringLiteral("kg"), opSave);
        Click(bar, opNew);
        QVERIFY(!Enabled(bar, opNew));
        QVERIFY(Enabled(bar, opSave));
        Click(bar, opSave);
        QVERIFY(!Enabled(bar, opSave));
        QVERIFY(Enabled(bar, opNew));
        QCOMPARE(Mark(w.get(), 1), DicMark::Done);
        QCOMPARE(Units(), QStringList{"1:kg"});

        OnUpdate(QStringLiteral("L"), opSave);
        Click(bar, opNew);
        QCOMPARE(w->strgrdDictionary->RowCount(), 3);
        QCOMPARE(w->strgrdDictionary->RowTexts(2), (QStringList{"0", "L", "新增"}));
        Click(bar, opSave);
        QCOMPARE(Mark(w.get(), 2), DicMark::Done);
        QCOMPARE(Units(), (QStringList{"1:kg", "2:L"}));
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        QCOMPARE(w->strgrdDictionary->Cells(0, 2), QStringLiteral("0"));   // not reloaded

        OnUpdate(QStringLiteral(" l"), opSave);
        Click(bar, opNew);
        Click(bar, opSave);
        QCOMPARE(Mark(w.get(), 3), DicMark::Refused);
        QCOMPARE(Mark(w.get(), 1), DicMark::Done);
        QCOMPARE(Units(), (QStringList{"1:kg", "2:L"}));
        QCOMPARE(rec.Messages.size(), 1);
        QVERIFY2(rec.Last().contains(QStringLiteral("“l”在列表中重复")), qPrintable(rec.Last()));
        QCOMPARE(rec.Messages[0].Icon, TMsgIcon::Warning);
    }

    void remove_data()
    {
        QTest::addColumn<bool>("used");
        QTest::addColumn<QString>("mark");
        QTest::addColumn<QStringList>("units");
        QTest::addColumn<bool>("told");
        QTest::newRow("a unit a part uses") << true << DicMark::Refused << QStringList{"1:个", "2:套"} << true;
        QTest::newRow("a unit no part uses") << false << DicMark::Done << QStringList{"2:套"} << false;
    }

    void remove()
    {
        QFETCH(bool, used);
        QFETCH(QString, mark);
        QFETCH(QStringList, units);
        QFETCH(bool, told);
        const qint64 unit = AddUnit(QStringLiteral("个"));
        AddUnit(QStringLiteral("套"));
        if (used)
            AddPart(unit);
        TRecorder rec;
        auto w = NewWindow();
        Choose(w.get(), QStringLiteral("单位"));
        const int row = RowOf(w.get(), QStringLiteral("个"));
        QCOMPARE(row, 1);
        ClickRow(w.get(), row);
        Click(w->dtbDictionary, opDelete);
        QCOMPARE(Mark(w.get(), row), DicMark::Remove);
        QVERIFY(!Enabled(w->dtbDictionary, opDelete));
        Click(w->dtbDictionary, opSave);
        QCOMPARE(Mark(w.get(), row), mark);
        QCOMPARE(Mark(w.get(), 2), QString());
        QCOMPARE(Units(), units);
        QCOMPARE(rec.Messages.size(), told ? 1 : 0);
        if (told)
            QVERIFY2(rec.Last().contains(QStringLiteral("还在使用")), qPrintable(rec.Last()));
    }

    // After a save a 编辑 that changes nothing still enables 保存; that save carries out
    // none of the rows again.
    void secondSaveExecutesNothing()
    {
        AddUnit(QStringLiteral("个"));
        AddUnit(QStringLiteral("L"));
        TRecorder rec;
        auto w = NewWindow();
        Choose(w.get(), QStringLiteral("单位"));
        TDataToolBar* bar = w->dtbDictionary;
        ClickRow(w.get(), 1);
        Click(bar, opDelete);
        OnUpdate(QStringLiteral("套"), opSave);
        Click(bar, opNew);
        Click(bar, opSave);
        QCOMPARE(Mark(w.get(), 1), DicMark::Done);
        QCOMPARE(Mark(w.get(), 3), DicMark::Done);
        const QStringList after = Units();
        QCOMPARE(after, (QStringList{"2:L", "3:套"}));

        ClickRow(w.get(), 2);
        QString shownId, shownName;
        OnUpdate(QStringLiteral("l"), opSave, &shownId, &shownName);
        Click(bar, opEdit);
        QCOMPARE(shownId, QStringLiteral("2"));
        QCOMPARE(shownName, QStringLiteral("L"));
        QCOMPARE(w->strgrdDictionary->RowTexts(2), (QStringList{"2", "L", ""}));   // same name: unchanged
        Click(bar, opSave);
        QCOMPARE(Mark(w.get(), 1), DicMark::Done);
        QCOMPARE(Mark(w.get(), 3), DicMark::Done);
        QCOMPARE(Units(), after);
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
    }

    void changeEntry()
    {
        AddUnit(QStringLiteral("个"));
        TRecorder rec;
        auto w = NewWindow();
        Choose(w.get(), QStringLiteral("单位"));
        TDataToolBar* bar = w->dtbDictionary;
        ClickRow(w.get(), 1);
        OnUpdate(QStringLiteral("只"), opSave);
        Click(bar, opEdit);
        QCOMPARE(w->strgrdDictionary->RowTexts(1), (QStringList{"1", "只", "修改"}));
        QVERIFY(!Enabled(bar, opEdit));
        QVERIFY(!Enabled(bar, opNew));
        Click(bar, opSave);
        QCOMPARE(Mark(w.get(), 1), DicMark::Done);
        QCOMPARE(Units(), QStringList{"1:只"});

        // An entry not stored yet stays a new entry under its corrected name.
        OnUpdate(QStringLiteral("盒"), opSave);
        Click(bar, opNew);
        ClickRow(w.get(), 2);
        OnUpdate(QStringLiteral("箱"), opSave);
        Click(bar, opEdit);
        QCOMPARE(w->strgrdDictionary->RowTexts(2), (QStringList{"0", "箱", "新增"}));
        Click(bar, opSave);
        QCOMPARE(Mark(w.get(), 2), DicMark::Done);
        QCOMPARE(Units(), (QStringList{"1:只", "2:箱"}));
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
    }

    void updateWithoutInputAddsNothing_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("leave");
        QTest::addColumn<int>("questions");
        QTest::newRow("关闭 after typing") << QStringLiteral("桶") << int(opClose) << 1;
        QTest::newRow("保存 with nothing typed") << QString("") << int(opSave) << 0;
    }

    void updateWithoutInputAddsNothing()
    {
        QFETCH(QString, typed);
        QFETCH(int, leave);
        QFETCH(int, questions);
        TRecorder rec;
        rec.Answers.enqueue(TMsgAnswer::Yes);
        auto w = NewWindow();
        Choose(w.get(), QStringLiteral("单位"));
        OnUpdate(typed, TOption(leave));
        Click(w->dtbDictionary, opNew);
        QCOMPARE(w->strgrdDictionary->RowCount(), 2);
        QCOMPARE(w->strgrdDictionary->RowTexts(1), (QStringList{"", "", ""}));
        QCOMPARE(rec.Messages.size(), questions);
        if (questions) {
            QCOMPARE(rec.Messages[0].Text, TDataToolBar::CloseQuestion);
            QCOMPARE(rec.Messages[0].Caption, QStringLiteral("请注意"));
        }
        Click(w->dtbDictionary, opSave);
        QCOMPARE(Units(), QStringList());
    }

    // What "数据更新" hands back: the typed name on 保存, nothing on 关闭.
    void updateDialog()
    {
        TRecorder rec;
        rec.Answers.enqueue(TMsgAnswer::Yes);
        {
            TfrmDicUpdate u{QString(), QString()};
            QCOMPARE(u.windowTitle(), QStringLiteral("数据更新"));
            QCOMPARE(u.edtID->text(), QStringLiteral("0"));
            QVERIFY(!u.edtID->isEnabled());
            QVERIFY(u.edtID->isReadOnly());
            QCOMPARE(u.edtContent->maxLength(), 32);
        }
        QString id = QStringLiteral("7"), name = QStringLiteral("瓶");
        QString shownId, shownName;
        OnUpdate(QStringLiteral("罐"), opSave, &shownId, &shownName);
        QVERIFY(TfrmDicUpdate::Edit(id, name, nullptr));
        QCOMPARE(shownId, QStringLiteral("7"));
        QCOMPARE(shownName, QStringLiteral("瓶"));
        QCOMPARE(id, QStringLiteral("7"));
        QCOMPARE(name, QStringLiteral("罐"));

        OnUpdate(QStringLiteral("桶"), opClose);
        QVERIFY(!TfrmDicUpdate::Edit(id, name, nullptr));
        QCOMPARE(name, QStringLiteral("罐"));
        QCOMPARE(rec.Messages.size(), 1);
    }

    // A data row enables 编辑 and 删除, the header row disables them.
    void rowClicksDriveTheToolbar()
    {
        AddUnit(QStringLiteral("个"));
        TRecorder rec;
        auto w = NewWindow();
        Choose(w.get(), QStringLiteral("单位"));
        TDataToolBar* bar = w->dtbDictionary;
        QVERIFY(!Enabled(bar, opEdit) && !Enabled(bar, opDelete));
        ClickRow(w.get(), 1);
        QVERIFY(Enabled(bar, opEdit) && Enabled(bar, opDelete));
        QHeaderView* h = w->strgrdDictionary->horizontalHeader();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(1) + 5, h->height() / 2));
        QVERIFY(!Enabled(bar, opEdit) && !Enabled(bar, opDelete));
        QCOMPARE(w->strgrdDictionary->Row(), 0);
    }

    // Another dictionary reloads the grid and drops unsaved marks; 新增 with none chosen says so.
    void choosingAnotherDictionaryDropsMarks()
    {
        AddUnit(QStringLiteral("个"));
        TRecorder rec;
        auto w = NewWindow();
        Click(w->dtbDictionary, opNew);
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(rec.Last(), TfrmDic::NoDictionary);
        QVERIFY(Enabled(w->dtbDictionary, opNew));

        Choose(w.get(), QStringLiteral("单位"));
        ClickRow(w.get(), 1);
        Click(w->dtbDictionary, opDelete);
        Choose(w.get(), QStringLiteral("部门"));
        QCOMPARE(w->strgrdDictionary->Cells(1, 0), QStringLiteral("部门"));
        QCOMPARE(w->LoadedDictionary(), 0);
        for (int row = 1; row < w->strgrdDictionary->RowCount(); ++row)
            QCOMPARE(Mark(w.get(), row), QString());
        Choose(w.get(), QStringLiteral("单位"));
        QCOMPARE(w->strgrdDictionary->RowTexts(1), (QStringList{"1", "个", ""}));
        Click(w->dtbDictionary, opSave);
        QCOMPARE(Units(), QStringList{"1:个"});
    }
};

QTEST_MAIN(TestDic)
#include "tst_dic.moc"
