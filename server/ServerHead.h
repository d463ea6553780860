#pragma once
// The server's messages and file/folder dialogs pass through the seams both programs share
// (flat/Seams.h); these are the server's short forms of them.
#include "Seams.h"

namespace Haskett {

using ::TFileHandler;
using ::TFileRequest;
using ::TMessageHandler;
using ::TMessageRequest;
using ::TMsgAnswer;
using ::TMsgIcon;

// An OK box.
void ShowMsg(const QString& text, const QString& caption, TMsgIcon icon, QWidget* owner = nullptr,
             const QString& detail = QString());
// A Yes/No question, No being the default.
TMsgAnswer AskQuestion(const QString& text, const QString& caption, QWidget* owner = nullptr);

using ::AskFileName;
using ::SetFileHandler;
using ::SetMessageHandler;

}   // namespace Haskett
