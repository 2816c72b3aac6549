#pragma once
// The window's fonts: a proportional Japanese face for the controls and a
// fixed-pitch one for the result list, so that its padded columns line up.
// Each list names the classic face first, then faces found on Linux.
class QPlainTextEdit;
class QWidget;

namespace morvelan {

void applyWindowFonts(QWidget& window, QPlainTextEdit& resultList);

} // namespace morvelan
