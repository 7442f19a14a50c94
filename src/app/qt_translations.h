#pragma once
// Qt's own texts (file dialogs, the edit boxes' menus, standard buttons) in
// Japanese, like the rest of the window, whatever the user's locale says.

class QCoreApplication;

namespace zr {

// Loads Qt's Japanese translations from Qt's translations folder; false when
// they are not installed (Qt's texts then stay in English).
bool InstallQtJapaneseTranslations(QCoreApplication &app);

}  // namespace zr
