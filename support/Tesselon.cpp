#include "Tesselon.h"

#include <QByteArray>
#include <QLineEdit>
#include <QString>
#include <QStringEncoder>
#include <QToolTip>
#include <QVariant>
#include <QWidget>

#include <atomic>

namespace {

std::atomic<TTesselonPrompt> Prompt{nullptr};

QByteArray ToGbk(const QString& text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

// Our labelled fields carry their label as "caption"; others may at least have a name.
QString CaptionOf(const QWidget* field)
{
    QString caption = field->property("caption").toString().trimmed();
    if (caption.isEmpty())
        caption = field->accessibleName().trimmed();
    if (caption.isEmpty())
        caption = field->objectName().trimmed();
    if (caption.isEmpty())
        caption = QString::fromUtf8("必填项");
    return caption;
}

// A widget without a text property counts as empty: better to stop a save than to let
// an unchecked field through.
bool IsEmpty(const QWidget* field)
{
    return field->property("text").toString().trimmed().isEmpty();
}

void Tell(QWidget* field, const QString& text)
{
    if (TTesselonPrompt handler = Prompt.load()) {
        const QByteArray gbkText = ToGbk(text);
        const QByteArray gbkCaption = ToGbk(QString::fromUtf8("警告"));
        handler(gbkText.constData(), gbkCaption.constData());
        return;
    }
    QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())), text, field);
}

}   // namespace

extern "C" {

TESSELON_API void SetPromptHandler(TTesselonPrompt handler)
{
    Prompt.store(handler);
}

TESSELON_API int IsCtrlEmpty(void* const* controls, int high)
{
    if (!controls || high < 0)
        return 0;
    for (int i = 0; i <= high; ++i) {
        QWidget* field = static_cast<QWidget*>(controls[i]);
        if (!field || !IsEmpty(field))
            continue;
        // Focus first: a focus change would hide the tool tip shown below.
        field->setFocus(Qt::OtherFocusReason);
        if (QLineEdit* edit = qobject_cast<QLineEdit*>(field))
            edit->selectAll();   // blanks typed by mistake are replaced by the next key
        Tell(field, QString::fromUtf8("请填写“%1”！").arg(CaptionOf(field)));
        return 1;
    }
    return 0;
}

}   // extern "C"
