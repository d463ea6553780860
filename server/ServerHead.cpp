#include "ServerHead.h"

namespace Haskett {

void ShowMsg(const QString& text, const QString& caption, TMsgIcon icon, QWidget* owner, const QString& detail)
{
    TMessageRequest r;
    r.Text = text;
    r.Caption = caption;
    r.Icon = icon;
    r.Owner = owner;
    r.Detail = detail;
    RunMessage(r);
}

TMsgAnswer AskQuestion(const QString& text, const QString& caption, QWidget* owner)
{
    TMessageRequest r;
    r.Text = text;
    r.Caption = caption;
    r.Icon = TMsgIcon::Question;
    r.Question = true;
    r.Owner = owner;
    return RunMessage(r);
}

}   // namespace Haskett
