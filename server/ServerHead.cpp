#include "ServerHead.h"

#include "MessageBox.h"

#include <QFileDialog>
#include <QFileInfo>

namespace Haskett {

namespace {

TMsgAnswer ShowBox(const TMessageRequest& r)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (r.Icon) {
    case TMsgIcon::Error: icon = QMessageBox::Critical; break;
    case TMsgIcon::Warning: icon = QMessageBox::Warning; break;
    case TMsgIcon::Information: icon = QMessageBox::Information; break;
    case TMsgIcon::Question: icon = QMessageBox::Question; break;
    case TMsgIcon::None: break;
    }
    const bool yes = ExecMessageBox(r.Owner, r.Caption, r.Text, icon, r.Question);
    if (!r.Question)
        return TMsgAnswer::Ok;
    return yes ? TMsgAnswer::Yes : TMsgAnswer::No;
}

QString ShowDialog(const TFileRequest& r)
{
    if (r.Mode == TFileRequest::Folder)
        return QFileDialog::getExistingDirectory(nullptr, r.Caption, QString());
    QFileDialog dlg(nullptr, r.Caption, QString(), r.Filter);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setDefaultSuffix(r.DefaultSuffix);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return QString();
    return dlg.selectedFiles().first();
}

TMessageHandler& MessageHandler()
{
    static TMessageHandler h = ShowBox;
    return h;
}

TFileHandler& FileHandler()
{
    static TFileHandler h = ShowDialog;
    return h;
}

} // namespace

void ShowMsg(const QString& text, const QString& caption, TMsgIcon icon, QWidget* owner)
{
    MessageHandler()(TMessageRequest{text, caption, icon, false, owner});
}

TMsgAnswer AskQuestion(const QString& text, const QString& caption, QWidget* owner)
{
    return MessageHandler()(TMessageRequest{text, caption, TMsgIcon::Question, true, owner});
}

TMessageHandler SetMessageHandler(TMessageHandler handler)
{
    TMessageHandler old = MessageHandler();
    MessageHandler() = handler ? std::move(handler) : TMessageHandler(ShowBox);
    return old;
}

QString AskFileName(const TFileRequest& request)
{
    return FileHandler()(request);
}

TFileHandler SetFileHandler(TFileHandler handler)
{
    TFileHandler old = FileHandler();
    FileHandler() = handler ? std::move(handler) : TFileHandler(ShowDialog);
    return old;
}

} // namespace Haskett
