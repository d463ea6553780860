#pragma once
// What the record windows share: the check that every typed text can be stored as it stands,
// the lookups' starting names, and Enter and Esc moving through the fields.
#include <QDate>
#include <QString>
#include <QStringList>

#include "GlobalHead.h"
#include "Modules.h"

#include <QApplication>

#include <functional>
#include <initializer_list>

class QComboBox;
class QDialog;
class TData;
class TDataToolBar;
class QDateEdit;
class QWidget;
class TLabeledEdit;
class TTriple;

namespace EntryTexts {
extern const QString NotGbk;   // "“%1”中有不能保存的字符（例如表情符号）…"
extern const QString TooLong;   // "“%1”太长：最多 %2 个字节…"
extern const QString Dropped;   // "“%1”中不能有这些字符：…"
extern const QString Characters;   // , ' % * ? < = > + !
extern const QString LookupGone;   // "所选的“%1”已被删除…"
extern const QString RecordGone;   // the record edited was deleted by another desk
extern const QString NotWhole;   // "“%1”只能是 0 到 %2 之间的整数…"
}   // namespace EntryTexts

// A field and the bytes of GBK text its column holds.
struct TStoredText {
    TLabeledEdit* Edit;
    int Bytes;
};

// True when every text can be stored exactly as typed: GBK holds it, it fits its column, and,
// with listSource, it has none of the characters a list source would drop. Otherwise the user
// is told about the first field that cannot, which gets the focus; nothing is cut or dropped
// behind the user's back.
bool TextsStorable(std::initializer_list<TStoredText> fields, bool listSource);

// The name the lookup's ID stands for in its table, read from the program's pool; empty with
// exists false when there is no such entry (or no ID).
QString LookupName(const TTriple* lookup, bool* exists = nullptr);
// Shows the name of the lookup's starting ID. Where no entry has it the lookup is left with no
// ID at all, so that what the window shows is what it stores.
void ShowStartingName(TTriple* lookup);
// False, with the user told and the lookup focused, when its ID names an entry no longer
// there (removed by another desk since it was chosen). No ID is fine: nothing is chosen.
bool LookupStillThere(TTriple* lookup);

// The window sees every key first: Enter moves to the next field and is swallowed, Esc moves
// back to the previous one.
void EnterMovesOn(QWidget* window);

// A drop-down list with its caption label to its left (named after it for screen readers);
// item i carries the code i, which is what is stored.
QComboBox* NewChoice(const QString& caption, QWidget* parent, int x, int y, int width, const QStringList& items);
// Selects the item of a stored code. A code the list has no item for gets an item of its own
// (named by names, or by its number), so that saving unchanged stores the same code.
void SetChoiceCode(QComboBox* box, int code, const QStringList& names = {});
int ChoiceCode(const QComboBox* box);
// A date picker with its caption label, showing yyyy-MM-dd, from 1900-01-01 on.
QDateEdit* NewDatePicker(const QString& caption, QWidget* parent, int x, int y, int width, const QDate& start);
// The date a stored text stands for; 1900-01-01 for an empty text or one that is no date.
QDate StoredDate(const QString& text);
QString ShortDateText(const QDate& date);   // yyyy-MM-dd, as the list sources read it back

// A labelled edit taking at most maxLength characters (none when 0).
TLabeledEdit* NewEdit(const QString& caption, QWidget* parent, int x, int y, int width, int maxLength);
// A lookup field on the dictionary dicName, in "宋体" of fontPixels, whose list borrows a data
// set of the program's pool while it is open.
TTriple* NewLookup(const QString& caption, const QString& dicName, QWidget* parent, int x, int y, int textWidth,
                   int fontPixels = 14);

// Saves the values stored in the list source through its procedure (a new record when id is
// 0) and clears them once the database took them. False when it did not (the record edited is
// gone); the caller says why.
bool RunListSave(TData* list, int id);
// The record windows' 保存: a save that did not happen gives 保存 back, with everything typed
// still there; one that did closes the window.
void SaveAndClose(QDialog* window, TDataToolBar* bar, const std::function<bool()>& save);

// Opens the record window modally on the main window's list, for new or edit; a list of
// another kind is told to the user. list: "%1" in "请先在“%1”中打开%2列表。", what: "%2".
template <class TWindow, class TList>
void OpenRecordWindow(int mode, TData* list, const QString& module, const QString& what)
{
    auto* own = dynamic_cast<TList*>(list);
    if (!own) {
        ShowMsg(QStringLiteral("请先在“%1”中打开%2列表。").arg(module, what), Texts::CaptionInfo,
                TMsgIcon::Information);
        return;
    }
    TWindow frm(own, mode == ModeEdit, QApplication::activeWindow());
    frm.exec();
}
