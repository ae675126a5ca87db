#include "i18n/MessageBoxes.h"

#include "i18n/MessageCatalogue.h"

void ShowErrorBox(IMessageBoxes& boxes, const std::string& key, BoxOwner owner) {
    ShowErrorText(boxes, Lookup(key), owner);
}

void ShowErrorText(IMessageBoxes& boxes, const std::string& text, BoxOwner owner) {
    boxes.ShowBox(text, Lookup("IDS_ERROR"), BoxIcon::Error, BoxButtons::Ok, owner);
}
