// The find window's answers and the address-book chooser, driven through their controls.
#include "DataHead.h"
#include "DataTool.h"
#include "Filter.h"
#include "Find.h"
#include "LabeledEdit.h"
#include "Recorder.h"
#include "StringGrid.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

namespace {

struct TTyped {
    int Field;   // 0 车牌号码, 1 车主姓名
    QString Symbol;
    QString Value;
    bool Or = false;
};

void Edit(TfrmFind& f, const TTyped& c)
{
    f.cbbField->setCurrentIndex(c.Field);
    f.cbbSymbol->setCurrentText(c.Symbol);
    f.edtValueStr->setText(c.Value);
    (c.Or ? f.rbOr : f.rbAnd)->setChecked(true);
}

void Press(TDataToolBar* bar, TOption o)
{
    QToolButton* b = bar->Button(o);
    QVERIFY(b && b->isEnabled());
    QTest::mouseClick(b, Qt::LeftButton);
}

}   // namespace

Q_DECLARE_METATYPE(QList<TTyped>)

class TestFind : public QObject {
    Q_OBJECT

private slots:
    void answers_data()
    {
        QTest::addColumn<bool>("several");
        QTest::addColumn<QList<TTyped>>("conditions");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("bound");   // what the list source gets: marks, values apart
        QTest::newRow("single LIKE") << false << QList<TTyped>{{0, "LIKE", "X%"}} << "CAR_NO LIKE 'X%'"
                                     << "CAR_NO LIKE ?";
        QTest::newRow("single, empty value") << false << QList<TTyped>{{0, "=", ""}} << "CAR_NO = ''"
                                             << "CAR_NO = ?";
        QTest::newRow("quote doubled") << false << QList<TTyped>{{1, "=", "O'Brien"}} << "CAR_OWNER = 'O''Brien'"
                                       << "CAR_OWNER = ?";
        QTest::newRow("quote, OR and marks in a value")
            << false << QList<TTyped>{{1, "=", "x' OR '1'='1 ?"}} << "CAR_OWNER = 'x'' OR ''1''=''1 ?'"
            << "CAR_OWNER = ?";
        QTest::newRow("two, or") << true << QList<TTyped>{{0, "=", "X1"}, {1, "=", "Y2", true}}
                                 << "CAR_NO = 'X1' OR CAR_OWNER = 'Y2'"
                                 << "CAR_NO = ? OR CAR_OWNER = ?";
        QTest::newRow("first without connective")
            << true << QList<TTyped>{{1, "<>", "甲", true}, {0, ">=", "B"}} << "CAR_OWNER <> '甲' AND CAR_NO >= 'B'"
            << "CAR_OWNER <> ? AND CAR_NO >= ?";
        QTest::newRow("several, none added") << true << QList<TTyped>{} << ""
                                             << "";
    }

    void answers()
    {
        QFETCH(bool, several);
        QFETCH(QList<TTyped>, conditions);
        QFETCH(QString, answer);
        QFETCH(QString, bound);
        TfrmFind f;
        QString out = QStringLiteral("untouched");
        TCondition condition;
        f.Prepare(&out, &condition);
        f.show();
        QCOMPARE(f.cbbField->currentText(), QStringLiteral("车牌号码"));
        QCOMPARE(f.dtbFind->Enableds(), OptionBit(opFind) | OptionBit(opClose));
        if (several) {
            QTest::mouseClick(f.rbMore, Qt::LeftButton);
            for (const TTyped& c : conditions) {
                Edit(f, c);
                Press(f.dtbFind, opSave);
                // 保存 disables itself; choosing the mode again brings it back.
                QVERIFY(!HasOption(f.dtbFind->Enableds(), opSave));
                QTest::mouseClick(f.rbSingle, Qt::LeftButton);
                QTest::mouseClick(f.rbMore, Qt::LeftButton);
            }
            if (!conditions.isEmpty())
                QCOMPARE(f.strgrdFind->Cells(2, 2),
                         conditions[0].Field == 0 ? QStringLiteral("CAR_NO") : QStringLiteral("CAR_OWNER"));
            QCOMPARE(f.strgrdFind->Cells(2, 1), QString());   // row 1 stays empty
        } else {
            Edit(f, conditions[0]);
        }
        Press(f.dtbFind, opFind);
        QCOMPARE(out, answer);
        QCOMPARE(condition.Text, bound);
        QCOMPARE(condition.Params.size(), int(bound.count(QLatin1Char('?'))));
        for (int i = 0; i < condition.Params.size(); ++i)
            QCOMPARE(condition.Params[i].AsString(), several ? conditions[i].Value : conditions[0].Value);
        QVERIFY(!f.isVisible());
    }

    void deleteRemovesTheSelectedCondition()
    {
        TfrmFind f;
        QString out;
        f.Prepare(&out);
        f.show();
        QTest::mouseClick(f.rbMore, Qt::LeftButton);
        for (const QString& v : {QStringLiteral("A"), QStringLiteral("B")}) {
            Edit(f, {0, QStringLiteral("="), v});
            Press(f.dtbFind, opSave);
            QTest::mouseClick(f.rbSingle, Qt::LeftButton);
            QTest::mouseClick(f.rbMore, Qt::LeftButton);
        }
        f.strgrdFind->SetRow(2);
        Press(f.dtbFind, opDelete);
        QCOMPARE(f.strgrdFind->RowCount(), 3);
        QCOMPARE(f.strgrdFind->Cells(4, 2), QStringLiteral("'B'"));
        Press(f.dtbFind, opFind);
        QCOMPARE(out, QStringLiteral("CAR_NO = 'B'"));
    }

    void closeAsksWhileSaveIsEnabled()
    {
        TRecorder rec;
        TfrmFind f;
        QString out = QStringLiteral("kept");
        f.Prepare(&out);
        f.show();
        QTest::mouseClick(f.rbMore, Qt::LeftButton);
        rec.Answers.enqueue(TMsgAnswer::No);
        Press(f.dtbFind, opClose);
        QCOMPARE(rec.Messages.size(), 1);
        QVERIFY(f.isVisible());
        rec.Answers.enqueue(TMsgAnswer::Yes);
        Press(f.dtbFind, opClose);
        QVERIFY(!f.isVisible());
        QCOMPARE(out, QStringLiteral("kept"));
    }

    void chooser_data()
    {
        QTest::addColumn<int>("index");   // -1: cancelled
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("sql");
        QTest::newRow("untouched") << 0 << "员工通讯录"
                                   << "SELECT * FROM V_CONTACT_E WHERE CONTACT_NAME <> '管理员'";
        QTest::newRow("customers") << 1 << "客户通讯录"
                                   << "SELECT * FROM V_CONTACT_C";
        QTest::newRow("suppliers") << 2 << "供应商通讯录"
                                   << "SELECT * FROM V_CONTACT_S";
        QTest::newRow("cancelled") << -1 << ""
                                   << "";
    }

    void chooser()
    {
        QFETCH(int, index);
        QFETCH(QString, answer);
        QFETCH(QString, sql);
        TfrmFilter f;
        QString out;
        f.Prepare(&out);
        f.show();
        if (index >= 0) {
            f.cbbFilter->setCurrentIndex(index);
            QTest::mouseClick(f.btnOK, Qt::LeftButton);
        } else {
            QTest::mouseClick(f.btnCancel, Qt::LeftButton);
        }
        QCOMPARE(out, answer);
        QCOMPARE(TfrmFilter::BaseSQLFor(out), sql);
    }
};

QTEST_MAIN(TestFind)
#include "tst_find.moc"
