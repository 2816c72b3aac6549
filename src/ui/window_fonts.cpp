#include "ui/window_fonts.h"

#include <QFont>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QWidget>

namespace morvelan {
namespace {

constexpr int kPointSize = 9;

QStringList proportionalFamilies()
{
    return {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")};
}

QStringList fixedPitchFamilies()
{
    return {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"),
            QStringLiteral("monospace")};
}

} // namespace

void applyWindowFace(QWidget& widget)
{
    QFont controls = widget.font();
    controls.setFamilies(proportionalFamilies());
    controls.setPointSize(kPointSize);
    widget.setFont(controls);
}

void applyFixedPitchFace(QWidget& widget)
{
    QFont fixed = widget.font();
    fixed.setFamilies(fixedPitchFamilies());
    fixed.setPointSize(kPointSize);
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setFixedPitch(true);
    widget.setFont(fixed);
}

void applyWindowFonts(QWidget& window, QWidget& resultList)
{
    applyWindowFace(window); // children inherit it; the title keeps its own size
    applyFixedPitchFace(resultList);

    // The form gives some controls a fixed width for a 96 dpi screen; a
    // larger text scale widens them to what their text needs.
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (w->minimumWidth() != w->maximumWidth() || w->minimumWidth() == 0) continue;
        int needed = 0;
        if (qobject_cast<QLineEdit*>(w) != nullptr)
            needed = w->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 10;
        else if (auto* button = qobject_cast<QPushButton*>(w))
            needed = button->sizeHint().width();
        if (needed > w->minimumWidth()) w->setFixedWidth(needed);
    }
}

} // namespace morvelan
