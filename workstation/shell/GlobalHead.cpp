#include "GlobalHead.h"

#include "ConPool.h"
#include "DbAccount.h"
#include "DbErrors.h"
#include "FbClient.h"
#include "Log.h"
#include "XmlFile.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>

TSymbol Symbol;
TConPool* Pool = nullptr;
QString AppPath;

const QStringList& FunctionNames()
{
    static const QStringList names = {
        QStringLiteral("本单位"),   QStringLiteral("维修结账"), QStringLiteral("供应商"),   QStringLiteral("通讯录"),
        QStringLiteral("人事档案"), QStringLiteral("数据字典"), QStringLiteral("商品字典"), QStringLiteral("送修登记"),
        QStringLiteral("维修历史"), QStringLiteral("配件入库"), QStringLiteral("配件销售"), QStringLiteral("进货明细"),
        QStringLiteral("销售明细"), QStringLiteral("库存盘点"), QStringLiteral("工具管理")};
    return names;
}

namespace Texts {
const QString Administrator = QStringLiteral("管理员");
const QString CaptionError = QStringLiteral("错误");
const QString CaptionQuestion = QStringLiteral("询问");
const QString CaptionInfo = QStringLiteral("提示");
const QString CaptionWarning = QStringLiteral("警告");
const QString OperationOk = QStringLiteral("操作成功！");
const QString OperationFailed = QStringLiteral("操作失败！");
const QString RecordSaved = QStringLiteral("记录保存成功！");
const QString ExitQuestion = QStringLiteral("你确定要退出系统吗？");
const QString WrongPassword = QStringLiteral("密码错误！");
const QString PasswordNotGbk =
    QStringLiteral("密码中有不能使用的字符（例如表情符号或不常用的外文字母）。请只用字母、数字、标点和汉字。");
const QString Departed = QStringLiteral("“%1”已离职，不能再登录。如需使用本系统，请与管理员联系。");
const QString DbConnectFailed = QStringLiteral("数据库连接失败!");
const QString NetworkError = QStringLiteral("网络通信错误！");
const QString TimedOut = QStringLiteral("连接超时！");
}   // namespace Texts

// ---- Settings -----------------------------------------------------------------------

QString SettingsPath()
{
    return AppPath + QStringLiteral("configure.xml");
}

bool StartUp(const QString& programFolder)
{
    AppPath = QDir::cleanPath(programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder);
    if (!AppPath.endsWith(QLatin1Char('/')))
        AppPath += QLatin1Char('/');
    if (!Pool)
        Pool = new TConPool();   // lives until the process ends
    QString error;
    if (!LoadSettings(SettingsPath(), &error)) {
        ShowMsg(error + QStringLiteral("\n程序无法启动，请检查配置文件。"), Texts::CaptionError);
        return false;
    }
    Pool->SetAccount(Symbol.DbUser, Symbol.DbPassword);
    return true;
}

bool LoadSettings(const QString& path, QString* error)
{
    TXmlFile xml;
    if (!xml.Load(path)) {
        if (error)
            *error = xml.ErrorText();
        return false;
    }
    QStringList missing;
    for (const char* name : {"countperpage", "ip", "port", "timeout"})
        if (!xml.HasChild(QLatin1String(name)))
            missing << QLatin1String(name);
    if (!missing.isEmpty()) {
        if (error)
            *error = QStringLiteral("配置文件 %1 缺少设置项：%2").arg(path, missing.join(QStringLiteral("、")));
        return false;
    }
    Symbol.CountPerPage = TXmlFile::ToInt(xml.Text(QStringLiteral("countperpage")), 100);
    Symbol.ServerIP = xml.Text(QStringLiteral("ip"));   // taken as it stands
    Symbol.Port = TXmlFile::ToInt(xml.Text(QStringLiteral("port")), 4305);
    // Clamped: below a second nothing can answer, and a huge figure would make the login
    // wait forever (or overflow into a negative interval).
    Symbol.TimeOut =
        qBound(MinTimeOutSeconds, TXmlFile::ToInt(xml.Text(QStringLiteral("timeout")), 5), MaxTimeOutSeconds) * 1000;
    const DbAccount::TAccount account =
        DbAccount::FromSettings(xml.Text(DbAccount::UserElement()), xml.Text(DbAccount::PasswordElement()));
    Symbol.DbUser = account.User;
    Symbol.DbPassword = account.Password;
    return true;
}

// ---- Message seam -------------------------------------------------------------------

TMsgIcon IconForCaption(const QString& caption)
{
    if (caption == Texts::CaptionError)
        return TMsgIcon::Error;
    if (caption == Texts::CaptionWarning)
        return TMsgIcon::Warning;
    if (caption == Texts::CaptionInfo)
        return TMsgIcon::Information;
    if (caption == Texts::CaptionQuestion)
        return TMsgIcon::Question;
    return TMsgIcon::None;
}

TMsgAnswer ShowMsg(const QString& text, const QString& caption)
{
    return ShowMsg(text, caption, IconForCaption(caption));
}

TMsgAnswer ShowMsg(const QString& text, const QString& caption, TMsgIcon icon, const QString& detail)
{
    TMessageRequest r;
    r.Text = text;
    r.Caption = caption;
    r.Icon = icon;
    r.Detail = detail;
    r.Question = caption == Texts::CaptionQuestion;
    return RunMessage(r);
}

TMsgAnswer AskYesNo(const QString& text, const QString& caption)
{
    TMessageRequest r;
    r.Text = text;
    r.Caption = caption;
    r.Icon = TMsgIcon::Question;
    r.Question = true;
    return RunMessage(r);
}

void ShowError(const std::exception& e)
{
    const TErrorText t = DescribeError(e);
    qCWarning(lcData).noquote() << t.Text << (t.Detail.isEmpty() ? QString() : QStringLiteral(" | ") + t.Detail);
    ShowMsg(t.Text, Texts::CaptionError, TMsgIcon::Error, t.Detail);
}

void ShowError(const QString& text)
{
    qCWarning(lcData).noquote() << text;
    ShowMsg(text, Texts::CaptionError);
}
