#include "ServerHead.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace Haskett {

namespace {

TMsgAnswer ShowBox(const TMessageRequest& r)
{
    QMessageBox box(r.Owner);
    box.setWindowTitle(r.Caption);
    box.setText(r.Text);
    switch (r.Icon) {
    case TMsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case TMsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case TMsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case TMsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case TMsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    }
    if (r.Question) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? TMsgAnswer::Yes : TMsgAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return TMsgAnswer::Ok;
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
