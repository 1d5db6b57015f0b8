#pragma once

// Qt's own texts in Russian.

namespace korv::app {

// Qt's own texts (the buttons of message boxes, the input box, context menus) in Russian whatever the
// machine's locale: qtbase_ru from Qt's translations directory, and Russian as the default locale.
// Returns false when the translation file is missing (the texts then stay English).
bool installRussianTranslations();

} // namespace korv::app
