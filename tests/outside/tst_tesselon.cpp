// Tesselon's empty-field check through the workstation's binding, on real line edits:
// which field is reported, where the focus goes, and how an unusable library stops the save.
#include "MoravekHead.h"
#include "TesselonHead.h"
#include "GlobalHead.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

class TestTesselon : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QWidget> Form;
    QLineEdit* Fields[3] = {};
    QPushButton* Save = nullptr;
    QList<TMessageRequest> Messages;
    TMessageHandler Previous;

    void Fill(const QStringList& texts)
    {
        for (int i = 0; i < 3; ++i)
            Fields[i]->setText(texts.value(i));
    }

private slots:
    void init()
    {
        Form = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(Form.get());
        const char* captions[3] = {"客户姓名", "联系电话", "车牌号码"};
        for (int i = 0; i < 3; ++i) {
            Fields[i] = new QLineEdit(Form.get());
            Fields[i]->setProperty("caption", QString::fromUtf8(captions[i]));
            layout->addWidget(Fields[i]);
        }
        Save = new QPushButton(QString::fromUtf8("保存"), Form.get());
        layout->addWidget(Save);
        Form->show();
        Form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Form.get()));
        // As after a click on the save button.
        Save->setFocus();
        QVERIFY(Save->hasFocus());

        Messages.clear();
        Previous = SetMessageHandler([this](const TMessageRequest& request) {
            Messages.append(request);
            return TMsgAnswer::Ok;
        });
    }

    void cleanup()
    {
        SetMessageHandler(Previous);
        Tesselon::SetLibraryDir(QString());
        QToolTip::hideText();
        Form.reset();
    }

    void reportsFirstEmptyField_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("empty");   // index of the field reported, -1 for none
        QTest::addColumn<QString>("message");
        QTest::newRow("all filled") << QStringList{"张三", "13800000000", "京A12345"} << -1 << "";
        QTest::newRow("inner blanks are text") << QStringList{"张 三", " 138 ", "京A 12345"} << -1 << "";
        QTest::newRow("second empty") << QStringList{"张三", "", "京A12345"} << 1 << "请填写“联系电话”！";
        QTest::newRow("blanks only") << QStringList{"张三", " \t  ", "京A12345"} << 1 << "请填写“联系电话”！";
        QTest::newRow("full-width blank")
            << QStringList{"张三", QString(QChar(0x3000)), "京A12345"} << 1 << "请填写“联系电话”！";
        QTest::newRow("several empty") << QStringList{"", "", "京A12345"} << 0 << "请填写“客户姓名”！";
        QTest::newRow("last empty") << QStringList{"张三", "13800000000", ""} << 2 << "请填写“车牌号码”！";
    }

    void reportsFirstEmptyField()
    {
        QFETCH(QStringList, texts);
        QFETCH(int, empty);
        QFETCH(QString, message);
        Fill(texts);

        const bool stop = IsCtrlEmpty({Fields[0], Fields[1], Fields[2]});

        QCOMPARE(stop, empty >= 0);
        if (empty < 0) {
            QVERIFY(Messages.isEmpty());
            QVERIFY(Save->hasFocus());
            return;
        }
        QCOMPARE(Messages.size(), 1);
        QCOMPARE(Messages[0].Text, message);
        QCOMPARE(Messages[0].Caption, QString::fromUtf8("警告"));
        QVERIFY(Fields[empty]->hasFocus());
    }

    void captionFallsBack_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("accessibleName");
        QTest::addColumn<QString>("objectName");
        QTest::addColumn<QString>("shown");
        QTest::newRow("caption first") << "送修人"
                                       << "车主"
                                       << "editSender"
                                       << "送修人";
        QTest::newRow("accessible name") << ""
                                         << "车主电话"
                                         << "editPhone"
                                         << "车主电话";
        QTest::newRow("object name") << ""
                                     << ""
                                     << "editVin"
                                     << "editVin";
    }

    void captionFallsBack()
    {
        QFETCH(QString, caption);
        QFETCH(QString, accessibleName);
        QFETCH(QString, objectName);
        QFETCH(QString, shown);
        QLineEdit* field = Fields[0];
        field->setProperty("caption", caption);
        field->setAccessibleName(accessibleName);
        field->setObjectName(objectName);
        Fill({"", "13800000000", "京A12345"});

        QVERIFY(IsCtrlEmpty({field}));
        QCOMPARE(Messages.size(), 1);
        QCOMPARE(Messages[0].Text, QString::fromUtf8("请填写“%1”！").arg(shown));
    }

    void skipsNullEntries_data()
    {
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("stop");
        QTest::newRow("rest filled") << "13800000000" << false;
        QTest::newRow("rest empty") << "" << true;
    }

    void skipsNullEntries()
    {
        QFETCH(QString, second);
        QFETCH(bool, stop);
        Fill({"张三", second, "京A12345"});
        QCOMPARE(IsCtrlEmpty({nullptr, Fields[1], nullptr}), stop);
        QCOMPARE(Messages.size(), stop ? 1 : 0);
        QVERIFY(!IsCtrlEmpty({}));
    }

    void nothingToCheckAtTheCInterface()
    {
        QLibrary library(Tesselon::LibraryPath());
        QVERIFY2(library.load(), qPrintable(library.errorString()));
        auto check = reinterpret_cast<int (*)(void* const*, int)>(library.resolve("IsCtrlEmpty"));
        QVERIFY(check);
        Fill({"", "", ""});
        void* const controls[3] = {Fields[0], Fields[1], Fields[2]};
        QCOMPARE(check(nullptr, 2), 0);
        QCOMPARE(check(controls, -1), 0);
        QVERIFY(Save->hasFocus());
        library.unload();
    }

    void toolTipWithoutPromptHandler()
    {
        QLibrary library(Tesselon::LibraryPath());
        QVERIFY2(library.load(), qPrintable(library.errorString()));
        auto setPrompt =
            reinterpret_cast<void (*)(void (*)(const char*, const char*))>(library.resolve("SetPromptHandler"));
        auto check = reinterpret_cast<int (*)(void* const*, int)>(library.resolve("IsCtrlEmpty"));
        QVERIFY(setPrompt && check);
        setPrompt(nullptr);
        Fill({"张三", "", "京A12345"});
        void* const controls[3] = {Fields[0], Fields[1], Fields[2]};

        QVERIFY(check(controls, 2) != 0);

        QVERIFY(Fields[1]->hasFocus());
        QVERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), QString::fromUtf8("请填写“联系电话”！"));
        QVERIFY(Messages.isEmpty());
        for (QWidget* top : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<QMessageBox*>(top));
        library.unload();
    }

    void unusableLibraryStopsSave_data()
    {
        QTest::addColumn<bool>("putImpostor");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing library") << false
                                         << QString::fromUtf8("找不到支持库 %1：").arg(Tesselon::LibraryName());
        QTest::newRow("missing function")
            << true << QString::fromUtf8("支持库 %1 中没有函数 SetPromptHandler").arg(Tesselon::LibraryName());
    }

    void unusableLibraryStopsSave()
    {
        QFETCH(bool, putImpostor);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        if (putImpostor) {
            // A real library of ours without Tesselon's functions, under Tesselon's name.
            const QString binDir = QCoreApplication::applicationDirPath();
            QVERIFY(QFile::copy(QDir(binDir).filePath(TMoravek::LibraryName()), dir.filePath(Tesselon::LibraryName())));
        }
        Tesselon::SetLibraryDir(dir.path());
        Fill({"张三", "13800000000", "京A12345"});

        QVERIFY(IsCtrlEmpty({Fields[0], Fields[1], Fields[2]}));

        QCOMPARE(Messages.size(), 1);
        QCOMPARE(Messages[0].Caption, QString::fromUtf8("错误"));
        QVERIFY2(Messages[0].Text.startsWith(message), qPrintable(Messages[0].Text));
        QVERIFY(Save->hasFocus());
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TestTesselon test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tesselon.moc"
