#include "StarMask.h"

#include <QLineEdit>
#include <QProxyStyle>

namespace {

class TStarStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

}   // namespace

void MaskWithStars(QLineEdit* edit)
{
    edit->setEchoMode(QLineEdit::Password);
    auto* style = new TStarStyle;
    style->setParent(edit);   // goes with the field
    edit->setStyle(style);
}
