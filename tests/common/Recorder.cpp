#include "Recorder.h"

TRecorder::TRecorder()
{
    FOldMessage = SetMessageHandler([this](const TMessageRequest& r) {
        Messages << r;
        if (!r.Question)
            return TMsgAnswer::Ok;
        return Answers.isEmpty() ? TMsgAnswer::No : Answers.dequeue();
    });
    FOldFile = SetFileHandler([this](const TFileRequest& r) {
        FileRequests << r;
        return FileNames.isEmpty() ? QString() : FileNames.dequeue();
    });
    FOldInput = SetInputHandler([this](const TInputRequest& r, QString* text) {
        InputRequests << r;
        if (Inputs.isEmpty()) {
            if (text)
                text->clear();
            return false;
        }
        if (text)
            *text = Inputs.dequeue();
        return true;
    });
}

TRecorder::~TRecorder()
{
    SetMessageHandler(FOldMessage);
    SetFileHandler(FOldFile);
    SetInputHandler(FOldInput);
}

QStringList TRecorder::Texts() const
{
    QStringList out;
    for (const TMessageRequest& r : Messages)
        out << r.Text;
    return out;
}
