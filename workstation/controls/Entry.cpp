#include "Entry.h"

#include "ConPool.h"
#include "DataHead.h"
#include "DataTool.h"
#include "Gbk.h"
#include "GlobalHead.h"
#include "LabeledEdit.h"
#include "Product.h"
#include "Triple.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QWidget>

namespace EntryTexts {
const QString NotGbk = QStringLiteral("“%1”中有不能保存的字符（例如表情符号），请删去后再保存。");
const QString TooLong = QStringLiteral("“%1”太长：最多 %2 个字节（一个汉字算 2 个），现在是 %3 个。请缩短后再保存。");
const QString Dropped = QStringLiteral("“%1”中不能有这些字符：%2 请删去后再保存。");
const QString Characters = QStringLiteral(", ' % * ? < = > + !");
const QString LookupGone = QStringLiteral("所选的“%1”已被删除，请重新选择“%2”后再保存。");
const QString RecordGone = QStringLiteral("保存失败：这条记录已被其他工作站删除。请关闭窗口，刷新列表后再试。");
const QString NotWhole = QStringLiteral("“%1”只能是 0 到 %2 之间的整数，请改正后再保存。");
}   // namespace EntryTexts

bool TextsStorable(std::initializer_list<TStoredText> fields, bool listSource)
{
    // The characters a list source drops from every value it stores.
    static const QString dropped = QStringLiteral(",'%*?<=>+!");
    for (const TStoredText& f : fields) {
        if (!f.Edit)
            continue;
        const QString text = f.Edit->text();
        QString problem;
        if (!Gbk::Fits(text))
            problem = EntryTexts::NotGbk.arg(f.Edit->Caption());
        else if (Gbk::ByteLength(text) > f.Bytes)
            problem = EntryTexts::TooLong.arg(f.Edit->Caption()).arg(f.Bytes).arg(Gbk::ByteLength(text));
        else if (listSource && std::any_of(text.begin(), text.end(), [](QChar c) { return dropped.contains(c); }))
            problem = EntryTexts::Dropped.arg(f.Edit->Caption(), EntryTexts::Characters);
        if (problem.isEmpty())
            continue;
        ShowMsg(problem, Texts::CaptionWarning, TMsgIcon::Warning);
        f.Edit->setFocus();
        return false;
    }
    return true;
}

QString LookupName(const TTriple* lookup, bool* exists)
{
    if (exists)
        *exists = false;
    bool number = false;
    const qint64 id = lookup->ID().trimmed().toLongLong(&number);
    const QString sql = lookup->NameStatement();
    if (!number || sql.isEmpty() || !Pool || !Pool->Connected())
        return QString();
    const TFbResult r = Pool->Execute(sql, {TFbValue::FromInt(id)});
    if (r.RowCount() == 0)
        return QString();
    if (exists)
        *exists = true;
    return r.At(0, 0).AsString();
}

void ShowStartingName(TTriple* lookup)
{
    bool exists = false;
    const QString name = LookupName(lookup, &exists);
    if (!exists)
        lookup->SetID(QString());
    lookup->SetText(name);
}

bool LookupStillThere(TTriple* lookup)
{
    // No ID, or 0 as older records have it, means nothing chosen.
    if (lookup->ID().trimmed().toLongLong() <= 0)
        return true;
    bool exists = false;
    LookupName(lookup, &exists);
    if (exists)
        return true;
    ShowMsg(EntryTexts::LookupGone.arg(lookup->Text(), lookup->Caption()), Texts::CaptionWarning, TMsgIcon::Warning);
    lookup->setFocus();
    return false;
}

namespace {

class TEnterMovesOn : public QObject {
public:
    explicit TEnterMovesOn(QWidget* window)
        : QObject(window)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(e)->key();
            // Passed on as Tab and Shift+Tab, so the fields' own tab order is followed.
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
                const bool back = key == Qt::Key_Escape;
                QKeyEvent tab(QEvent::KeyPress, back ? Qt::Key_Backtab : Qt::Key_Tab,
                              back ? Qt::ShiftModifier : Qt::NoModifier);
                QCoreApplication::sendEvent(watched, &tab);
                return true;
            }
        }
        return QObject::eventFilter(watched, e);
    }
};

}   // namespace

void EnterMovesOn(QWidget* window)
{
    auto* filter = new TEnterMovesOn(window);
    window->installEventFilter(filter);
    for (QWidget* w : window->findChildren<QWidget*>())
        w->installEventFilter(filter);
}

namespace {

QLabel* CaptionLeftOf(const QString& caption, QWidget* parent, int x, int y, QWidget* field)
{
    auto* label = new QLabel(caption, parent);
    const int width = label->fontMetrics().horizontalAdvance(caption) + 2;
    label->setGeometry(x - width - 4, y, width, 22);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    NameAfterLabel(label, field);
    return label;
}

}   // namespace

QComboBox* NewChoice(const QString& caption, QWidget* parent, int x, int y, int width, const QStringList& items)
{
    auto* box = new QComboBox(parent);
    for (int i = 0; i < items.size(); ++i)
        box->addItem(items[i], i);
    box->setGeometry(x, y, width, 22);
    CaptionLeftOf(caption, parent, x, y, box);
    return box;
}

void SetChoiceCode(QComboBox* box, int code, const QStringList& names)
{
    int index = box->findData(code);
    if (index < 0) {
        box->addItem(code >= 0 && code < names.size() ? names[code] : QString::number(code), code);
        index = box->count() - 1;
    }
    box->setCurrentIndex(index);
}

int ChoiceCode(const QComboBox* box)
{
    return box->currentData().toInt();
}

QDateEdit* NewDatePicker(const QString& caption, QWidget* parent, int x, int y, int width, const QDate& start)
{
    auto* picker = new QDateEdit(start, parent);
    picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    picker->setMinimumDate(QDate(1900, 1, 1));
    picker->setCalendarPopup(true);
    picker->setGeometry(x, y, width, 22);
    CaptionLeftOf(caption, parent, x, y, picker);
    return picker;
}

QDate StoredDate(const QString& text)
{
    const QString t = text.trimmed();
    QDate d = QDate::fromString(t, QStringLiteral("yyyy-MM-dd"));
    if (!d.isValid())
        d = QLocale::system().toDate(t, QLocale::ShortFormat);
    return d.isValid() ? d : QDate(1900, 1, 1);
}

QString ShortDateText(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

TLabeledEdit* NewEdit(const QString& caption, QWidget* parent, int x, int y, int width, int maxLength)
{
    auto* e = new TLabeledEdit(caption, parent);
    e->SetBounds(x, y, width, 22);
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    return e;
}

TTriple* NewLookup(const QString& caption, const QString& dicName, QWidget* parent, int x, int y, int textWidth,
                   int fontPixels)
{
    auto* t = new TTriple(parent);
    t->SetFont(SongFont(fontPixels));
    t->SetCaption(caption);
    t->SetDicName(dicName);
    t->SetIcon(TTriple::DefaultIcon());
    t->move(x, y);
    t->SetTextWidth(textWidth);
    t->AdjustWidth();
    LendPoolDataSets(t);
    return t;
}

bool RunListSave(TData* list, int id)
{
    TStoredProcLoan proc(Pool);
    TSPResultInfo result;
    list->Execute(proc.get(), id == 0 ? TExecMode::New : TExecMode::Edit, result);
    if (result.Success)
        list->ClearValues();
    return result.Success;
}

void SaveAndClose(QDialog* window, TDataToolBar* bar, const std::function<bool()>& save)
{
    if (bar->Option() != opSave)
        return;
    // The toolbar has just disabled 保存; a refused save gives it back, so that nothing typed
    // is lost and closing still asks.
    TSaveAgain again(bar);
    if (!save())
        return;
    again.Done();
    window->accept();
}
