#include "i18n/MessageBoxes.h"

#include "i18n/MessageCatalogue.h"

void ShowErrorBox(IMessageBoxes& boxes, const std::string& key, BoxOwner owner) {
    boxes.ShowBox(Lookup(key), Lookup("IDS_ERROR"), BoxIcon::Error, BoxButtons::Ok, owner);
}
