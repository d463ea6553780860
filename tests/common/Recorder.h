#pragma once
// Answers message boxes, file dialogs and input boxes in tests and keeps what was shown;
// both programs' tests use it, since both programs show everything through the same seams.
#include "Seams.h"

#include <QStringList>

#include <QList>
#include <QQueue>

class TRecorder {
public:
    TRecorder();   // installs itself
    ~TRecorder();   // puts the previous handlers back

    QList<TMessageRequest> Messages;
    QQueue<TMsgAnswer> Answers;   // for questions; No when empty (the default button)
    QQueue<QString> FileNames;   // empty text when empty (cancelled)
    QQueue<QString> Inputs;   // cancelled when empty
    QList<TFileRequest> FileRequests;
    QList<TInputRequest> InputRequests;

    QStringList Texts() const;
    QString Last() const { return Messages.isEmpty() ? QString() : Messages.last().Text; }
    void Clear()
    {
        Messages.clear();
        FileRequests.clear();
        InputRequests.clear();
    }

private:
    TMessageHandler FOldMessage;
    TFileHandler FOldFile;
    TInputHandler FOldInput;
};
