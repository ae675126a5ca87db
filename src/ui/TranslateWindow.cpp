#include "ui/TranslateWindow.h"
#include "ui/WindowText.h"

#include "i18n/MessageCatalogue.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace {

bool IsKey(const QString& text) {
    return text.startsWith(QStringLiteral("$$"));
}

QString LookupText(const QString& key) {
    return QString::fromStdString(Lookup(key.toStdString()));
}

// Items are replaced where they stand, so their indexes keep their meaning.
void TranslateItems(QComboBox& combo) {
    for (int index = 0; index < combo.count(); ++index) {
        const QString text = combo.itemText(index);
        if (IsKey(text)) {
            combo.removeItem(index);
            combo.insertItem(index, LookupText(text));
        }
    }
}

void TranslateActions(QWidget& menu) {
    const QList<QAction*> actions = menu.actions();
    for (auto it = actions.crbegin(); it != actions.crend(); ++it) {
        QAction* action = *it;
        if (IsKey(action->text())) {
            action->setText(LookupText(action->text()));
            action->setCheckable(false);
            action->setEnabled(true);
        }
        if (QMenu* submenu = action->menu()) {
            TranslateMenu(*submenu);
        }
    }
}

}  // namespace

void TranslateWindow(QWidget& window) {
    for (QObject* child : window.children()) {
        auto* control = qobject_cast<QWidget*>(child);
        if (control == nullptr) {
            continue;
        }
        const QString text = ControlText(*control);
        if (IsKey(text)) {
            SetControlText(*control, LookupText(text));
        }
        if (auto* combo = qobject_cast<QComboBox*>(control)) {
            TranslateItems(*combo);
        }
    }
    if (IsKey(window.windowTitle())) {
        window.setWindowTitle(LookupText(window.windowTitle()));
    }
    if (auto* menuBar = window.findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly)) {
        TranslateActions(*menuBar);
    }
}

void TranslateMenu(QMenu& menu) {
    TranslateActions(menu);
}
