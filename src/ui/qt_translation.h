#pragma once
// Qt's own texts (the file dialog, the Cancel button) in Japanese, from the
// translations Qt installs (Debian: qt6-translations-l10n).
class QCoreApplication;

namespace morvelan {

// Loads "qtbase_ja" from Qt's translations folder into the application.
// False when it is not installed; the texts then stay in English.
bool installQtJapaneseTexts(QCoreApplication& app);

} // namespace morvelan
