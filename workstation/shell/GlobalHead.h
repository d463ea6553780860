#pragma once
// The workstation's session record, shared texts and the seams through which every
// message box, file dialog and input box passes (tests install their own answers).
#include "Seams.h"
#include "Session.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <exception>

class TConPool;
class QWidget;

struct TSymbol {
    QString Version;
    QString ServerIP;
    QString ModuleName;
    int Port = 0;
    int TimeOut = 0;
    TUserInfo User;
    TTheUnit TheUnit;
    TRightInfo Rights[RightCount];
    int CountPerPage = 0;
    // The database account from dbuser and dbpassword; SYSDBA and its fixed password while
    // the settings name none.
    QString DbUser;
    QString DbPassword;
};

extern TSymbol Symbol;
extern TConPool* Pool;   // created at start-up, never destroyed before the process ends
extern QString AppPath;   // the program folder, ending in a path separator

// The 15 function names, in the order of Symbol.Rights.
const QStringList& FunctionNames();

// ---- Shared texts -----------------------------------------------------------------
namespace Texts {
extern const QString Administrator;   // "管理员"
extern const QString CaptionError;   // "错误"
extern const QString CaptionQuestion;   // "询问"
extern const QString CaptionInfo;   // "提示"
extern const QString CaptionWarning;   // "警告"
extern const QString OperationOk;   // "操作成功！"
extern const QString OperationFailed;   // "操作失败！"
extern const QString RecordSaved;   // "记录保存成功！"
extern const QString ExitQuestion;   // "你确定要退出系统吗？"
extern const QString WrongPassword;   // "密码错误！"
// A password with a character the digest cannot tell apart from others (an emoji).
extern const QString PasswordNotGbk;
extern const QString Departed;   // "“%1”已离职，不能登录。…"
extern const QString DbConnectFailed;   // "数据库连接失败!"
extern const QString NetworkError;   // "网络通信错误！"
extern const QString TimedOut;   // "连接超时！"
}   // namespace Texts

// ---- Settings (configure.xml) -----------------------------------------------------
// Reads countperpage, ip, port and timeout into Symbol, and the database account (dbuser and
// dbpassword, both optional). False, with the reason, when the file is missing or unreadable
// or one of the four elements is absent: the program must not reach the login window without
// a server address.
bool LoadSettings(const QString& path, QString* error);
constexpr int MinTimeOutSeconds = 1;   // the handshake time-out is kept within these
constexpr int MaxTimeOutSeconds = 120;
QString SettingsPath();   // AppPath + "configure.xml"
// The program's start: AppPath from programFolder (empty: the executable's folder), the one
// Pool, and configure.xml read into Symbol, the Pool attaching with its account. False, with the reason shown, when the settings
// cannot be read: the program must then end.
bool StartUp(const QString& programFolder);

// ---- Message seam -----------------------------------------------------------------
// The boxes, file dialogs and the input box themselves pass through the shared seams.

// The caption chooses the icon ("错误", "警告", "提示", "询问"); "询问" asks Yes/No with No
// the default. Returns the user's answer.
TMsgAnswer ShowMsg(const QString& text, const QString& caption);
// detail: shown under the message on request (the database's own text, say).
TMsgAnswer ShowMsg(const QString& text, const QString& caption, TMsgIcon icon, const QString& detail = QString());
TMsgIcon IconForCaption(const QString& caption);
// A Yes/No question under any caption, No the default.
TMsgAnswer AskYesNo(const QString& text, const QString& caption);

// The general error display: an error no window catches is shown with its own text.
void ShowError(const std::exception& e);
void ShowError(const QString& text);
