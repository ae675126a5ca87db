// Renders every dialog of the program in English and in French to PNG files, for the
// README and for review. Usage: morvane_render_dialogs OUTPUT-FOLDER
#include "core/KelElem.h"
#include "i18n/MessageBoxes.h"
#include "i18n/MessageCatalogue.h"
#include "i18n/MessageTables.h"
#include "i18n/TimeStamp.h"
#include "platform/SettingsFile.h"
#include "ui/AboutBox.h"
#include "ui/ChooseLanguageDlg.h"
#include "ui/DialogTemplates.h"
#include "ui/FileChooser.h"
#include "ui/FtpParametersDlg.h"
#include "ui/KelElemDlg.h"
#include "ui/NewVersionDlg.h"
#include "ui/ResourceIds.h"
#include "ui/TransferDlg.h"
#include "ui/TranslateWindow.h"

#include <QApplication>
#include <QDir>
#include <QTreeWidget>
#include <QLocale>
#include <QTemporaryDir>

#include <cstdio>

namespace {

class SilentBoxes : public IMessageBoxes {
public:
    int ShowBox(const std::string&, const std::string&, BoxIcon, BoxButtons, BoxOwner) override {
        return kAnswerOk;
    }
    int ShowAppBox(const std::string&, BoxIcon, BoxButtons) override { return kAnswerOk; }
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

// 10 February 2002, 10:16:00 in Paris.
constexpr TimeValue kSampleTime = 1013332560;

CKelElem SampleElement() {
    CKelElem element;
    element.m_strDescription = "Weekly report";
    element.m_strCopy = "ftp://files.example.org/pub/report.pdf";
    element.m_strOriginal = "/home/claire/reports/report.pdf";
    element.m_nCheckMode = CHECK_FILE_TIME;
    element.m_timeReference = kSampleTime;
    element.m_timeAtTime = kSampleTime;
    element.m_nWhen = WHEN_AT_TIME;
    element.m_nAction = ACTION_COPY_NEW;
    return element;
}

bool Save(QWidget& window, const QString& folder, const QString& name) {
    window.show();
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
    const bool saved = window.grab().save(path);
    std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
    window.hide();
    return saved;
}

bool RenderLanguage(const Language& language, const QString& folder) {
    TheCatalogue().SetCurrentLcid(language.lcid);
    QLocale::setDefault(language.locale);
    const QString suffix = QStringLiteral("_") + QString::fromUtf8(language.suffix);
    SilentBoxes boxes;
    NoFiles files;
    bool ok = true;

    CKelElem element = SampleElement();
    int32_t modified = 0;
    CKelElemDlg editor(element, modified, boxes, files, nullptr);
    ok &= Save(editor, folder, QStringLiteral("element_editor") + suffix);

    CFtpParametersDlg ftp(element, nullptr);
    ok &= Save(ftp, folder, QStringLiteral("ftp_parameters") + suffix);

    const std::string message = GetMessage("IDS_NEWFILEFOUND") + "\n" + element.m_strCopy;
    CNewVersionDlg notice(FormatTimeStamp(kSampleTime), element.m_strCopy, message);
    ok &= Save(notice, folder, QStringLiteral("new_version") + suffix);

    CTransferDlg transfer(nullptr, QStringLiteral("Morvane"));
    transfer.SetCaptionFile(element.m_strCopy);
    transfer.SetStatusText("226 Transfer complete");
    transfer.SetTotal(1000);
    transfer.SetDone(420);
    QApplication::processEvents();
    ok &= Save(transfer, folder, QStringLiteral("transfer") + suffix);

    QTemporaryDir settingsFolder;
    CSettingsFile settings(settingsFolder.filePath(QStringLiteral("morvane.INI")).toStdString());
    CChooseLanguageDlg chooser(settings);
    ok &= Save(chooser, folder, QStringLiteral("choose_language") + suffix);

    CAboutBox about(boxes);
    ok &= Save(about, folder, QStringLiteral("about") + suffix);

    CTemplateDialog mainWindow(kMainWindowTemplate, nullptr);
    TranslateWindow(mainWindow);
    auto* list = mainWindow.Require<QTreeWidget>(IDC_ELEMLIST);
    list->setHeaderLabels({QString::fromStdString(Lookup("IDS_DESCR")),
                           QString::fromStdString(Lookup("IDS_ACCESS")),
                           QString::fromStdString(Lookup("IDS_STATE"))});
    list->setColumnWidth(0, 200);
    list->setColumnWidth(1, 150);
    ok &= Save(mainWindow, folder, QStringLiteral("main_window_template") + suffix);
    return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
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
