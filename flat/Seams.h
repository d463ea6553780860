#pragma once
// The one seam per kind through which both programs meet the user outside their own windows:
// message boxes, file and folder dialogs, the input box. Production shows the real thing;
// tests install handlers that answer and keep what was asked. Nothing else calls
// QMessageBox, QFileDialog or QInputDialog.
#include <QString>

#include <functional>

class QWidget;

enum class TMsgIcon { None, Error, Warning, Information, Question };
enum class TMsgAnswer { Ok, Yes, No };

struct TMessageRequest {
    QString Text;
    QString Caption;
    TMsgIcon Icon = TMsgIcon::None;
    bool Question = false;   // Yes/No with No the default and the escape answer, rather than OK
    QWidget* Owner = nullptr;   // null: the active window
    QString Detail;   // shown under "详细信息" (the database's own text, say); may be empty
};
using TMessageHandler = std::function<TMsgAnswer(const TMessageRequest&)>;
// Shows the message through the installed handler and returns the answer (Ok for an OK box).
TMsgAnswer RunMessage(const TMessageRequest& request);
// Replaces the handler; returns the previous one. An empty handler restores the real boxes.
TMessageHandler SetMessageHandler(TMessageHandler handler);

struct TFileRequest {
    enum Kind { Open, Save, Folder } Mode = Open;
    QString Caption;   // the prompt of a folder dialog
    QString Directory;
    QString Filter;   // Qt filter text, e.g. "Excel文件(*.xls)"
    QString DefaultSuffix;   // without the dot
    bool ConfirmOverwrite = false;   // a save dialog asks before replacing a file only if set
};
using TFileHandler = std::function<QString(const TFileRequest&)>;
// The chosen file or folder; empty text when the user cancelled.
QString AskFileName(const TFileRequest& request);
TFileHandler SetFileHandler(TFileHandler handler);

struct TInputRequest {
    QString Caption;
    QString Prompt;
    QString Default;
};
using TInputHandler = std::function<bool(const TInputRequest&, QString*)>;
// False when the user cancelled; text then empty.
bool AskInput(const TInputRequest& request, QString* text);
TInputHandler SetInputHandler(TInputHandler handler);
