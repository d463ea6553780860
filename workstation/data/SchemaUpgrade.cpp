#include "SchemaUpgrade.h"

#include "FbClient.h"

#include <QRegularExpression>

namespace {

bool HasRelation(TFbConnection& c, TFbTransaction& tra, const char* name)
{
    return c.Execute(QStringLiteral("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = ?"),
                     {TFbValue::FromText(QLatin1String(name))}, &tra)
               .At(0, 0)
               .AsInt64()
        > 0;
}

// The version is read from the view's stored text in the system tables, not through the
// view: an attachment whose upgrade failed at its commit keeps the new view in its metadata
// cache although the system tables were rolled back.
int ReadVersion(TFbConnection& c, TFbTransaction& tra)
{
    const TFbResult r =
        c.Execute(QStringLiteral("SELECT RDB$VIEW_SOURCE FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = 'V_SCHEMA'"), {},
                  &tra);
    if (r.RowCount() == 0)
        return 1;
    static const QRegularExpression number(
        QStringLiteral("^\\s*SELECT\\s+CAST\\s*\\(\\s*(\\d+)\\s+AS\\s+INTEGER\\s*\\)\\s+FROM\\s+RDB\\$DATABASE\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QString text = r.At(0, 0).AsString();
    const QRegularExpressionMatch m = number.match(text);
    if (!m.hasMatch())
        throw TFbError(
            QStringLiteral("数据库的结构版本无法读取（V_SCHEMA 的定义不是本系统的：%1）").arg(text.simplified()));
    return m.captured(1).toInt();
}

// Where a statement of the given words begins, case and blanks aside.
bool Starts(const QString& words, const char* prefix)
{
    const QString p = QLatin1String(prefix);
    return words == p || words.startsWith(p + QLatin1Char(' '));
}

int LineAt(const QString& text, int pos)
{
    return int(text.left(pos).count(QLatin1Char('\n'))) + 1;
}

}   // namespace

bool ParseSchemaScript(const QString& text, QVector<TScriptStatement>* out, QString* error)
{
    QVector<TScriptStatement> list;
    QString term = QStringLiteral(";");
    bool autoDdlOff = false;
    bool committed = false;
    int start = -1;
    auto fail = [&](int pos, const QString& why) {
        if (error)
            *error = QStringLiteral("第 %1 行：%2").arg(LineAt(text, pos)).arg(why);
        return false;
    };

    const int n = int(text.size());
    int i = 0;
    while (i < n) {
        const QChar ch = text.at(i);
        if (ch == QLatin1Char('-') && i + 1 < n && text.at(i + 1) == QLatin1Char('-')) {
            const int end = int(text.indexOf(QLatin1Char('\n'), i));
            i = end < 0 ? n : end + 1;
            continue;
        }
        if (ch == QLatin1Char('/') && i + 1 < n && text.at(i + 1) == QLatin1Char('*')) {
            const int end = int(text.indexOf(QLatin1String("*/"), i + 2));
            if (end < 0)
                return fail(i, QStringLiteral("注释没有结束（缺少 */）"));
            i = end + 2;
            continue;
        }
        if (ch == QLatin1Char('\'') || ch == QLatin1Char('"')) {
            if (start < 0)
                start = i;
            int j = i + 1;
            for (;;) {
                j = int(text.indexOf(ch, j));
                if (j < 0)
                    return fail(i, QStringLiteral("引号没有结束"));
                if (j + 1 < n && text.at(j + 1) == ch) {   // a doubled quote stays inside
                    j += 2;
                    continue;
                }
                break;
            }
            i = j + 1;
            continue;
        }
        if (QStringView(text).mid(i).startsWith(term, Qt::CaseInsensitive)) {
            if (start < 0)
                return fail(i, QStringLiteral("空语句"));
            const QString sql = text.mid(start, i - start).trimmed();
            const QString words = sql.simplified().toUpper();
            const int at = start;
            start = -1;
            i += int(term.size());
            if (committed)
                return fail(at, QStringLiteral("COMMIT 之后还有语句：COMMIT 必须是脚本的最后一句"));
            if (Starts(words, "SET TERM")) {
                term = sql.mid(8).trimmed();
                if (term.isEmpty() || term.contains(QLatin1Char(' ')))
                    return fail(at, QStringLiteral("SET TERM 后面缺少新的结束符"));
                continue;
            }
            if (Starts(words, "SET SQL DIALECT")) {
                if (words != QLatin1String("SET SQL DIALECT 3"))
                    return fail(at, QStringLiteral("只支持 SQL 方言 3"));
                continue;
            }
            if (Starts(words, "SET AUTODDL")) {
                if (words != QLatin1String("SET AUTODDL OFF"))
                    return fail(at, QStringLiteral("脚本必须整体在一个事务里：只能 SET AUTODDL OFF"));
                autoDdlOff = true;
                continue;
            }
            if (words == QLatin1String("COMMIT") || words == QLatin1String("COMMIT WORK")) {
                committed = true;
                continue;
            }
            if (Starts(words, "COMMIT") || Starts(words, "ROLLBACK") || Starts(words, "SET TRANSACTION"))
                return fail(at,
                            QStringLiteral("脚本里不能有事务控制（%1）：只能在最后 COMMIT 一次").arg(sql.simplified()));
            if ((Starts(words, "SET") && !Starts(words, "SET GENERATOR") && !Starts(words, "SET STATISTICS"))
                || Starts(words, "INPUT") || Starts(words, "OUTPUT") || Starts(words, "SHOW")
                || Starts(words, "CONNECT") || Starts(words, "CREATE DATABASE") || Starts(words, "DROP DATABASE")
                || Starts(words, "EXIT") || Starts(words, "QUIT"))
                return fail(at, QStringLiteral("升级脚本不能使用这个 isql 命令：%1").arg(sql.simplified()));
            if (!autoDdlOff)
                return fail(at, QStringLiteral("脚本在第一条语句之前必须 SET AUTODDL OFF"));
            list.append({sql, LineAt(text, at)});
            continue;
        }
        if (start < 0 && !ch.isSpace())
            start = i;
        ++i;
    }
    if (start >= 0)
        return fail(start, QStringLiteral("最后一句没有结束符 %1").arg(term));
    if (!committed)
        return fail(n, QStringLiteral("脚本必须以 COMMIT 结束"));
    if (term != QLatin1String(";"))
        return fail(n, QStringLiteral("SET TERM 没有改回 ;"));
    if (out)
        *out = list;
    return true;
}

int ProgramSchemaVersion()
{
    const std::vector<TSchemaScript>& scripts = CompiledSchemaScripts();
    return scripts.empty() ? 1 : scripts.back().Version;
}

int SchemaVersion(TFbConnection& connection)
{
    TFbTransaction tra(connection);
    const int v = ReadVersion(connection, tra);
    tra.Commit();
    return v;
}

TSchemaUpgrade UpgradeSchema(TFbConnection& connection, QString* report)
{
    return UpgradeSchema(connection, CompiledSchemaScripts(), report);
}

TSchemaUpgrade UpgradeSchema(TFbConnection& connection, const std::vector<TSchemaScript>& scripts, QString* report)
{
    QStringList lines;
    auto done = [&](TSchemaUpgrade r) {
        if (report)
            *report = lines.join(QLatin1Char('\n'));
        return r;
    };
    const int program = scripts.empty() ? 1 : scripts.back().Version;
    for (size_t k = 0; k < scripts.size(); ++k) {
        if (scripts[k].Version != int(k) + 2) {
            lines << QStringLiteral("程序内的升级脚本编号不连续（%1 应为第 %2 版）：程序有误，数据库没有改动。")
                         .arg(scripts[k].Name)
                         .arg(k + 2);
            return done(TSchemaUpgrade::Failed);
        }
    }

    int from = 0;
    try {
        TFbTransaction tra(connection);
        if (!HasRelation(connection, tra, "TB_EMPLOYEE") || !HasRelation(connection, tra, "TB_SALES")) {
            lines << QStringLiteral("这不是本系统的数据库（没有 TB_EMPLOYEE、TB_SALES 表），没有升级。");
            return done(TSchemaUpgrade::Failed);
        }
        from = ReadVersion(connection, tra);
        tra.Commit();
    } catch (const std::exception& e) {
        lines << QStringLiteral("无法读取数据库的结构版本，没有升级：%1").arg(FbErrorText(e));
        return done(TSchemaUpgrade::Failed);
    }
    if (from > program) {
        lines << QStringLiteral("数据库的结构是第 %1 版，比本程序认识的第 %2 版新：请换用新版程序。数据库没有改动。")
                     .arg(from)
                     .arg(program);
        return done(TSchemaUpgrade::TooNew);
    }
    if (from == program) {
        lines << QStringLiteral("数据库的结构已是第 %1 版，无需升级。").arg(from);
        return done(TSchemaUpgrade::UpToDate);
    }

    int current = from;
    for (const TSchemaScript& script : scripts) {
        if (script.Version <= current)
            continue;
        QVector<TScriptStatement> statements;
        QString parseError;
        if (!ParseSchemaScript(script.Text, &statements, &parseError)) {
            lines << QStringLiteral("升级脚本 %1 有误（%2），数据库停在第 %3 版。")
                         .arg(script.Name, parseError)
                         .arg(current);
            return done(TSchemaUpgrade::Failed);
        }
        const TScriptStatement* running = nullptr;
        try {
            TFbTransaction tra(connection);
            for (const TScriptStatement& s : statements) {
                running = &s;
                connection.Execute(s.Sql, {}, &tra);
            }
            running = nullptr;
            tra.Commit();
        } catch (const std::exception& e) {
            // The transaction is gone with its changes. Another program may have applied
            // the same script at the same moment: then its version is there and we go on.
            int now = current;
            try {
                now = SchemaVersion(connection);
            } catch (const std::exception&) {
            }
            if (now >= script.Version) {
                lines << QStringLiteral("第 %1 版已由另一个程序升级好（%2）。").arg(script.Version).arg(script.Name);
                current = now;
                continue;
            }
            const QString where =
                running ? QStringLiteral("第 %1 行的语句").arg(running->Line) : QStringLiteral("提交时");
            lines << QStringLiteral("升级到第 %1 版失败（%2，%3）：%4\n该脚本的改动已全部撤销，数据库仍是第 %5 版。"
                                    "请先断开并重新连接数据库再使用它。")
                         .arg(script.Version)
                         .arg(script.Name, where, FbErrorText(e))
                         .arg(current);
            return done(TSchemaUpgrade::Failed);
        }
        int now = 0;
        try {
            now = SchemaVersion(connection);
        } catch (const std::exception& e) {
            lines << QStringLiteral("升级脚本 %1 已提交，但随后无法读取结构版本：%2").arg(script.Name, FbErrorText(e));
            return done(TSchemaUpgrade::Failed);
        }
        if (now != script.Version) {
            // A script that forgot its version: applied, but the next start would apply it again.
            lines << QStringLiteral("升级脚本 %1 已提交，但数据库报告的是第 %2 版而不是第 %3 版：脚本有误，请勿再升级，"
                                    "并把这条信息告诉维护人员。")
                         .arg(script.Name)
                         .arg(now)
                         .arg(script.Version);
            return done(TSchemaUpgrade::Failed);
        }
        lines << QStringLiteral("已升级到第 %1 版（%2）。").arg(script.Version).arg(script.Name);
        current = now;
    }
    lines << QStringLiteral("数据库的结构已从第 %1 版升级到第 %2 版。").arg(from).arg(current);
    return done(TSchemaUpgrade::Upgraded);
}
