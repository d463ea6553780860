// The data toolbar as a window uses it: buttons in table order at 40-pixel steps, their
// pictures, the enabled states of the edit cycle and of the paging buttons, the question
// before closing a window being edited, and the click on the empty area. Also the etched line.
#include "DataTool.h"
#include "GlobalHead.h"
#include "Line.h"
#include "Recorder.h"

#include <QToolButton>
#include <QtTest>

namespace {

TOptions Set(std::initializer_list<TOption> options)
{
    TOptions s = 0;
    for (TOption o : options)
        s |= OptionBit(o);
    return s;
}

constexpr TOptions Paging = OptionBit(opFirst) | OptionBit(opPrevious) | OptionBit(opNext) | OptionBit(opLast);

QStringList Captions(const TDataToolBar& bar)
{
    QStringList out;
    for (const TButtonInfo& b : bar.Buttons())
        if (b.Button)
            out << b.Button->text();
    return out;
}

// Clicks a button and records what the window's handler saw.
struct TSeen {
    QObject* Sender = nullptr;
    TOption Option = opNone;
    int PageIndex = 0;
    bool WindowVisible = false;
    int Count = 0;
};

void Watch(TDataToolBar& bar, TSeen& seen, QWidget* window = nullptr)
{
    QObject::connect(&bar, &TDataToolBar::OnClick, &bar, [&bar, &seen, window](QObject* sender) {
        seen.Sender = sender;
        seen.Option = bar.Option();
        seen.PageIndex = bar.PageIndex();
        seen.WindowVisible = window && window->isVisible();
        ++seen.Count;
    });
}

void Click(TDataToolBar& bar, TOption option)
{
    QToolButton* b = bar.Button(option);
    QVERIFY(b);
    QTest::mouseClick(b, Qt::LeftButton);
}

}   // namespace

class TestDataTool : public QObject {
    Q_OBJECT

private slots:
    void created()
    {
        QWidget window;
        window.resize(600, 300);
        TDataToolBar bar(&window);
        QCOMPARE(bar.Options(), TOptions(0x102F0));
        QCOMPARE(bar.Enableds(), bar.Options());   // opSave enabled from the start
        QCOMPARE(bar.PageCount(), 1);
        QCOMPARE(bar.PageIndex(), 1);
        QCOMPARE(bar.Option(), opNone);
        QCOMPARE(Captions(bar), (QStringList{"保存", "存盘", "新增", "编辑", "删除", "关闭"}));
        // Docked along the top, 40 high, following the parent's width.
        QCOMPARE(bar.geometry(), QRect(0, 0, 600, 40));
        window.show();
        window.resize(800, 300);
        QCOMPARE(bar.width(), 800);
        QCOMPARE(bar.font().family(), QStringLiteral("宋体"));
        QCOMPARE(bar.font().pointSize(), 9);
    }

    void pictures()
    {
        const char* names[] = {"BMP_FIND", "BMP_REFRESH", "BMP_COPY",   "BMP_SAVE",  "BMP_SAVEALL",  "BMP_NEW",
                               "BMP_EDIT", "BMP_UNDO",    "BMP_DELETE", "BMP_FIRST", "BMP_PREVIOUS", "BMP_NEXT",
                               "BMP_LAST", "BMP_PRINT",   "BMP_EXPORT", "BMP_CLOSE", "BMP_ADDTOLIST"};
        QSet<QByteArray> distinct;
        for (const char* n : names) {
            const QImage img = ToolBitmap(QLatin1String(n)).toImage();
            QCOMPARE(img.size(), QSize(48, 24));
            const QImage normal = img.copy(0, 0, 24, 24), disabled = img.copy(24, 0, 24, 24);
            QVERIFY2(normal != disabled, n);
            QVERIFY2(normal != QImage(24, 24, normal.format()), n);
            distinct.insert(QByteArray(reinterpret_cast<const char*>(normal.constBits()), int(normal.sizeInBytes())));
        }
        QCOMPARE(distinct.size(), 17);   // every button its own picture
        TDataToolBar bar;
        bar.SetOptions(Set({opFind}));
        const QIcon icon = bar.Button(opFind)->icon();
        QVERIFY(!icon.pixmap(24, 24, QIcon::Normal).isNull());
        QVERIFY(icon.pixmap(24, 24, QIcon::Disabled).toImage() != icon.pixmap(24, 24, QIcon::Normal).toImage());
    }

    void layout_data()
    {
        QTest::addColumn<TOptions>("options");
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("main window") << Set(
            {opFind, opRefresh, opNew, opEdit, opDelete, opFirst, opPrevious, opNext, opLast, opExport})
                                     << QStringList{"查询",   "刷新",   "新增",   "编辑",   "删除",
                                                    "第一页", "上一页", "下一页", "最后页", "导出"};
        QTest::newRow("加入 after 删除") << Set({opEdit, opDelete, opAddToList}) << QStringList{"编辑", "删除", "加入"};
        QTest::newRow("all seventeen") << TOptions(
            0x3FFFE) << QStringList{"查询",   "刷新",   "保存",   "存盘",   "复制", "新增", "编辑", "撤消", "删除",
                                    "第一页", "上一页", "下一页", "最后页", "打印", "导出", "加入", "关闭"};
        QTest::newRow("opNone is no button") << Set({opNone, opClose}) << QStringList{"关闭"};
        QTest::newRow("none") << TOptions(0) << QStringList{};
    }

    void layout()
    {
        QFETCH(TOptions, options);
        QFETCH(QStringList, captions);
        TDataToolBar bar;
        bar.SetOptions(options);
        QCOMPARE(Captions(bar), captions);
        int x = 0;
        for (const TButtonInfo& b : bar.Buttons()) {
            if (!b.Button)
                continue;
            QCOMPARE(b.Button->geometry(), QRect(x, 0, 40, 40));
            QCOMPARE(b.Button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
            QCOMPARE(b.Button->cursor().shape(), Qt::PointingHandCursor);
            x += 40;
        }
    }

    void rebuild()
    {
        TDataToolBar bar;
        bar.SetOptions(
            Set({opFind, opRefresh, opNew, opEdit, opDelete, opFirst, opPrevious, opNext, opLast, opExport}));
        // Edit buttons start disabled; paging follows the numbers (one page: all off).
        QCOMPARE(bar.Enableds(), Set({opFind, opRefresh, opNew, opExport}));
        QVERIFY(!bar.Button(opEdit)->isEnabled());
        QVERIFY(bar.Button(opNew)->isEnabled());
        QCOMPARE(bar.Button(opSave), nullptr);
        // Dropping an option destroys its button and clears its bit; the rest move left.
        bar.SetOptions(Set({opFind, opNew, opExport}));
        QCOMPARE(bar.Button(opRefresh), nullptr);
        QVERIFY(!HasOption(bar.Enableds(), opRefresh));
        QCOMPARE(bar.Button(opExport)->x(), 80);
    }

    void pagingState_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("index");
        QTest::addColumn<TOptions>("enabled");
        QTest::newRow("one page") << 1 << 1 << TOptions(0);
        QTest::newRow("first of three") << 3 << 1 << Set({opNext, opLast});
        QTest::newRow("middle") << 3 << 2 << Paging;
        QTest::newRow("last of three") << 3 << 3 << Set({opFirst, opPrevious});
        QTest::newRow("index beyond the count") << 2 << 5 << Set({opFirst, opPrevious});
    }

    void pagingState()
    {
        QFETCH(int, count);
        QFETCH(int, index);
        QFETCH(TOptions, enabled);
        TDataToolBar bar;
        bar.SetOptions(Paging | OptionBit(opClose));
        // Whatever the window put in for them, the paging buttons follow the two numbers.
        bar.SetEnableds(Paging | OptionBit(opClose));
        bar.SetPageCount(count);
        bar.SetPageIndex(index);
        QCOMPARE(bar.Enableds() & Paging, enabled);
        for (TOption o : {opFirst, opPrevious, opNext, opLast})
            QCOMPARE(bar.Button(o)->isEnabled(), HasOption(enabled, o));
    }

    void pagingClicks()
    {
        QWidget window;
        TDataToolBar bar(&window);
        bar.SetOptions(Paging);
        bar.SetPageCount(3);
        window.show();
        TSeen seen;
        Watch(bar, seen);

        Click(bar, opNext);
        QCOMPARE(seen.Option, opNext);
        QCOMPARE(seen.PageIndex, 2);   // the window reads the new page in its handler
        QCOMPARE(bar.Option(), opNone);   // only during the click
        QCOMPARE(seen.Sender, bar.Button(opNext));
        Click(bar, opLast);
        QCOMPARE(bar.PageIndex(), 3);
        QVERIFY(!bar.Button(opNext)->isEnabled() && !bar.Button(opLast)->isEnabled());
        // A disabled button reports nothing.
        const int clicks = seen.Count;
        Click(bar, opNext);
        QCOMPARE(seen.Count, clicks);
        QCOMPARE(bar.PageIndex(), 3);
        Click(bar, opPrevious);
        QCOMPARE(bar.PageIndex(), 2);
        Click(bar, opFirst);
        QCOMPARE(bar.PageIndex(), 1);
        QVERIFY(!bar.Button(opFirst)->isEnabled() && !bar.Button(opPrevious)->isEnabled());
        QVERIFY(bar.Button(opNext)->isEnabled() && bar.Button(opLast)->isEnabled());
    }

    void editCycle()
    {
        QWidget window;
        TDataToolBar bar(&window);
        bar.SetOptions(Set({opSave, opSaveAll, opNew, opEdit, opUndo, opDelete}));
        bar.SetEnableds(Set({opNew, opEdit, opDelete}));
        window.show();
        const auto on = [&bar](std::initializer_list<TOption> expected) {
            return (bar.Enableds() & ~Paging) == Set(expected);
        };
        Click(bar, opNew);
        QVERIFY(on({opSave, opUndo, opDelete}));
        Click(bar, opSave);
        QVERIFY(on({opNew, opSaveAll, opDelete}));   // 编辑 stays off: the window decides
        QVERIFY(!bar.Button(opEdit)->isEnabled());
        Click(bar, opSaveAll);
        QVERIFY(on({opNew, opDelete}));
        bar.SetEnableds(bar.Enableds() | OptionBit(opEdit));
        Click(bar, opEdit);
        QVERIFY(on({opSave, opUndo, opDelete}));
        Click(bar, opUndo);
        QVERIFY(on({opNew, opDelete}));
        Click(bar, opDelete);
        QVERIFY(on({opNew, opDelete}));
    }

    void closeQuestion_data()
    {
        QTest::addColumn<TOptions>("enableds");
        QTest::addColumn<bool>("answerYes");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("closed");
        QTest::newRow("browsing") << Set({opNew, opClose}) << false << false << true;
        QTest::newRow("editing, No") << Set({opSave, opClose}) << false << true << false;
        QTest::newRow("editing, Yes") << Set({opSave, opClose}) << true << true << true;
    }

    void closeQuestion()
    {
        QFETCH(TOptions, enableds);
        QFETCH(bool, answerYes);
        QFETCH(bool, asked);
        QFETCH(bool, closed);
        TRecorder recorder;
        recorder.Answers.enqueue(answerYes ? TMsgAnswer::Yes : TMsgAnswer::No);
        QWidget window;
        TDataToolBar bar(&window);
        bar.SetOptions(Set({opSave, opNew, opClose}));
        bar.SetEnableds(enableds);
        window.show();
        TSeen seen;
        Watch(bar, seen, &window);
        Click(bar, opClose);
        QCOMPARE(recorder.Messages.size(), asked ? 1 : 0);
        if (asked) {
            const TMessageRequest& m = recorder.Messages.first();
            QCOMPARE(m.Text, QStringLiteral("正处于新增或编辑状态\r\n\r\n是否强制退出？"));
            QCOMPARE(m.Caption, QStringLiteral("请注意"));
            QCOMPARE(m.Icon, TMsgIcon::Question);
            QVERIFY(m.Question);
        }
        // The window sees the click before it closes.
        QCOMPARE(seen.Option, opClose);
        QVERIFY(seen.WindowVisible);
        QCOMPARE(window.isVisible(), !closed);
        // The message seam is left as it was found.
        ShowMsg(QStringLiteral("之后"), QStringLiteral("提示"));
        QCOMPARE(recorder.Last(), QStringLiteral("之后"));
    }

    void closeInsidePanel()
    {
        TRecorder recorder;
        QWidget window;
        QWidget panel(&window);
        TDataToolBar bar(&panel);
        bar.SetOptions(Set({opSave, opClose}));
        bar.SetEnableds(Set({opSave, opClose}));
        window.show();
        Click(bar, opClose);
        QVERIFY(recorder.Messages.isEmpty());
        QVERIFY(window.isVisible());
    }

    void emptyArea()
    {
        QWidget window;
        window.resize(400, 100);
        TDataToolBar bar(&window);
        bar.SetOptions(Set({opFind, opClose}));
        window.show();
        TSeen seen;
        Watch(bar, seen);
        QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(300, 20));
        QCOMPARE(seen.Count, 1);
        QCOMPARE(seen.Sender, &bar);
        QCOMPARE(seen.Option, opNone);
        Click(bar, opFind);
        QCOMPARE(seen.Option, opFind);
        QCOMPARE(bar.Option(), opNone);
    }

    void line()
    {
        QWidget window;
        TLine line(&window);
        QCOMPARE(line.Kind(), sbHor);
        line.setGeometry(0, 0, 50, 10);
        QImage img(line.size(), QImage::Format_RGB32);
        line.render(&img);
        QCOMPARE(line.height(), 2);   // forced at paint
        QCOMPARE(QColor(img.pixel(10, 0)), QColor(172, 168, 153));
        QCOMPARE(QColor(img.pixel(10, 1)), QColor(Qt::white));

        line.SetKind(sbVer);
        line.resize(10, 30);
        QImage v(line.size(), QImage::Format_RGB32);
        line.render(&v);
        QCOMPARE(line.width(), 2);
        QCOMPARE(QColor(v.pixel(0, 10)), QColor(172, 168, 153));
        QCOMPARE(QColor(v.pixel(1, 10)), QColor(Qt::white));
    }
};

QTEST_MAIN(TestDataTool)
#include "tst_datatool.moc"
