#pragma once

class CMessageCatalogue;
class QCoreApplication;

// Puts Qt's own texts (standard buttons, file dialog, date and time pickers) and the
// default locale in the language of the catalogue's current texts: French when the French
// table serves the current language, English otherwise.
void FollowInterfaceLanguage(QCoreApplication& application, const CMessageCatalogue& catalogue);
