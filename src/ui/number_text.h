#pragma once
// A Japanese input method types digits, signs and the decimal point
// full-width ("６００"); the numeric fields read them as their ASCII forms.
#include <QString>

namespace morvelan {

inline QString toAsciiNumberText(QString text)
{
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u >= u'０' && u <= u'９')
            c = QChar(u - u'０' + u'0');
        else if (u == u'＋')
            c = QLatin1Char('+');
        else if (u == u'－' || u == u'−') // full-width hyphen-minus and the minus sign
            c = QLatin1Char('-');
        else if (u == u'．')
            c = QLatin1Char('.');
        else if (u == u'　')
            c = QLatin1Char(' ');
    }
    return text;
}

} // namespace morvelan
