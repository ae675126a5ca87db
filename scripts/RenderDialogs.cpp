// Renders every dialog of the program in English and in French to PNG files, for the
// README and for review. Usage: morvane_render_dialogs OUTPUT-FOLDER
#include "EveryDialog.h"
#include "platform/SettingsFile.h"
#include "i18n/MessageBoxes.h"
#include "i18n/MessageCatalogue.h"
#include "i18n/MessageTables.h"
#include "ui/FileChooser.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

class SilentBoxes : public IMessageBoxes {
public:
    BoxAnswer ShowBox(const std::string&, const std::string&, BoxIcon, BoxButtons,
                      BoxOwner) override {
        return BoxAnswer::Ok;
    }
    BoxAnswer ShowAppBox(const std::string&, BoxIcon, BoxButtons) override { return BoxAnswer::Ok; }
};

class NoFiles : public IFileChooser {
public:
    std::optional<QString> ChooseFileToOpen(QWidget*) override { return std::nullopt; }
};

struct Language {
    uint32_t lcid;
    const char* suffix;
    QLocale locale;
};

bool Save(QWidget& window, const QString& folder, const QString& name) {
    window.show();
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
    const bool saved = window.grab().save(path);
    // A note on the side: the result is the return value.
    (void)std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
    window.hide();
    return saved;
}

bool RenderLanguage(const Language& language, const QString& folder) {
    TheCatalogue().SetCurrentLcid(language.lcid);
    QLocale::setDefault(language.locale);
    const QString suffix = QStringLiteral("_") + QString::fromUtf8(language.suffix);
    SilentBoxes boxes;
    NoFiles files;
    QTemporaryDir settingsFolder;
    CSettingsFile settings(settingsFolder.filePath(QStringLiteral("morvane.INI")).toStdString());
    DialogSamples samples{boxes, files, settings};
    bool ok = true;
    for (const DialogResource& dialog : kEveryDialog) {
        const std::unique_ptr<CTemplateDialog> made = MakeDialog(dialog.resource, samples);
        ok &= Save(*made, folder, QString::fromUtf8(dialog.name) + suffix);
    }
    return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 2) {
        (void)std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);  // ends with 2 anyway
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    SilentBoxes boxes;
    RegisterShippedLanguages(TheCatalogue(), boxes);
    const Language languages[] = {
        {kLcidEnglish, "en", QLocale(QLocale::English, QLocale::UnitedStates)},
        {kLcidFrench, "fr", QLocale(QLocale::French, QLocale::France)},
    };
    bool ok = true;
    for (const Language& language : languages) {
        ok &= RenderLanguage(language, folder);
    }
    return ok ? 0 : 1;
}
