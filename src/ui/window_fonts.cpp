#include "ui/window_fonts.h"

#include <QFont>
#include <QPlainTextEdit>
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

void applyWindowFonts(QWidget& window, QPlainTextEdit& resultList)
{
    QFont controls = window.font();
    controls.setFamilies(proportionalFamilies());
    controls.setPointSize(kPointSize);
    window.setFont(controls); // children inherit it; the title keeps its own size

    QFont fixed = controls;
    fixed.setFamilies(fixedPitchFamilies());
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setFixedPitch(true);
    resultList.setFont(fixed);
}

} // namespace morvelan
