#include "Seams.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

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
    QMessageBox box(r.Owner ? r.Owner : QApplication::activeWindow());
    box.setWindowTitle(r.Caption);
    box.setText(r.Text);
    box.setIcon(icon);
    if (!r.Detail.isEmpty())
        box.setDetailedText(r.Detail);
    if (!r.Question) {
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return TMsgAnswer::Ok;
    }
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? TMsgAnswer::Yes : TMsgAnswer::No;
}

QString ShowFileDialog(const TFileRequest& r)
{
    QWidget* parent = QApplication::activeWindow();
    if (r.Mode == TFileRequest::Folder)
        return QFileDialog::getExistingDirectory(parent, r.Caption, r.Directory);
    QFileDialog dlg(parent, r.Caption, r.Directory, r.Filter);
    dlg.setDefaultSuffix(r.DefaultSuffix);
    if (r.Mode == TFileRequest::Save) {
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setOption(QFileDialog::DontConfirmOverwrite, !r.ConfirmOverwrite);
    } else {
        dlg.setFileMode(QFileDialog::ExistingFile);
    }
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return QString();
    return dlg.selectedFiles().first();
}

bool ShowInputBox(const TInputRequest& r, QString* text)
{
    bool ok = false;
    const QString t =
        QInputDialog::getText(QApplication::activeWindow(), r.Caption, r.Prompt, QLineEdit::Normal, r.Default, &ok);
    if (text)
        *text = ok ? t : QString();
    return ok;
}

TMessageHandler& MessageHandler()
{
    static TMessageHandler h = ShowBox;
    return h;
}

TFileHandler& FileHandler()
{
    static TFileHandler h = ShowFileDialog;
    return h;
}

TInputHandler& InputHandler()
{
    static TInputHandler h = ShowInputBox;
    return h;
}

}   // namespace

TMsgAnswer RunMessage(const TMessageRequest& request)
{
    const TMsgAnswer a = MessageHandler()(request);
    // An OK box has no other answer, whatever a handler says.
    return request.Question ? (a == TMsgAnswer::Yes ? TMsgAnswer::Yes : TMsgAnswer::No) : TMsgAnswer::Ok;
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
    FileHandler() = handler ? std::move(handler) : TFileHandler(ShowFileDialog);
    return old;
}

bool AskInput(const TInputRequest& request, QString* text)
{
    return InputHandler()(request, text);
}

TInputHandler SetInputHandler(TInputHandler handler)
{
    TInputHandler old = InputHandler();
    InputHandler() = handler ? std::move(handler) : TInputHandler(ShowInputBox);
    return old;
}
