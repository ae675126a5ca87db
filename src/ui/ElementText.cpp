#include "ui/ElementText.h"

#include "core/DisplayText.h"

QString ShownText(const std::string& bytes) {
    return QString::fromStdString(DisplayText(bytes));
}

std::string EditedBytes(const QString& text, const std::string& original) {
    return text == ShownText(original) ? original : text.toStdString();
}
