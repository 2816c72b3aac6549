#pragma once
// The window's fonts: a proportional Japanese face for the controls and a
// fixed-pitch one for the result list, so that its padded columns line up.
// Each list names the classic face first, then faces found on Linux.
class QWidget;

namespace morvelan {

// The main window's face and size, for the windows and boxes it opens
// (message boxes, file dialogs, the raster viewer): children inherit it.
// One Japanese face for lines of mixed Japanese text and digits: left to
// font fallback, the digits after katakana come from another face and sit
// smaller and higher than the rest.
void applyWindowFace(QWidget& widget);
// The result list's fixed-pitch Japanese face at the window's size.
void applyFixedPitchFace(QWidget& widget);

// Also widens the form's fixed-width controls when the text scale needs it.
void applyWindowFonts(QWidget& window, QWidget& resultList);

} // namespace morvelan
