#pragma once
// The server's own seams for message boxes and file/folder dialogs: production shows the
// real thing, tests install handlers that answer and keep what was asked. Nothing else in
// the server calls QMessageBox or QFileDialog.
#include <QString>

#include <functional>

class QWidget;

namespace Haskett {

enum class TMsgIcon { None, Error, Warning, Information, Question };
enum class TMsgAnswer { Ok, Yes, No };

struct TMessageRequest {
    QString Text;
    QString Caption;
    TMsgIcon Icon = TMsgIcon::None;
    bool Question = false;      // Yes/No with No as the default, rather than OK
    QWidget* Owner = nullptr;   // null: a box without owner window
};
using TMessageHandler = std::function<TMsgAnswer(const TMessageRequest&)>;

// An OK box.
void ShowMsg(const QString& text, const QString& caption, TMsgIcon icon, QWidget* owner = nullptr);
// A Yes/No question, No being the default.
TMsgAnswer AskQuestion(const QString& text, const QString& caption, QWidget* owner = nullptr);
// Replaces the handler; returns the previous one. An empty handler restores the real boxes.
TMessageHandler SetMessageHandler(TMessageHandler handler);

struct TFileRequest {
    enum Kind { Open, Folder } Mode = Open;
    QString Caption;         // the prompt of a folder dialog
    QString Filter;          // Qt filter text, e.g. "数据库文件(*.FDB)"
    QString DefaultSuffix;   // without the dot
};
using TFileHandler = std::function<QString(const TFileRequest&)>;
// The chosen file or folder; empty text when the user cancelled.
QString AskFileName(const TFileRequest& request);
TFileHandler SetFileHandler(TFileHandler handler);

} // namespace Haskett
