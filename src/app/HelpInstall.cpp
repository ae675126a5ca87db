#include "app/HelpInstall.h"
#include "app/HelpAccess.h"

#include "ui/HelpRoutine.h"
#include "ui/HelpViewer.h"

#include <QApplication>
#include <QPointer>

#include <memory>

namespace {

// The viewer window belongs to the modal dialog open at the request, if any, so that it
// can be used while that dialog is open; it goes with that dialog.
class CQtHelpViewer : public IHelpViewer {
public:
    void ShowTopic(const std::string& path, uint32_t topic) override {
        QWidget* owner = QApplication::activeModalWidget();
        if (m_viewer != nullptr && m_viewer->parentWidget() != owner) {
            delete m_viewer.data();
        }
        if (m_viewer == nullptr) {
            m_viewer = new CHelpViewer(owner);
            if (owner == nullptr) {
                m_viewer->setAttribute(Qt::WA_DeleteOnClose);
            }
        }
        m_viewer->ShowTopic(QString::fromStdString(path), static_cast<int>(topic));
    }

private:
    QPointer<CHelpViewer> m_viewer;
};

}  // namespace

void InstallProgramHelp(const std::string& programFile) {
    static CQtHelpViewer viewer;
    static std::unique_ptr<CHelpAccess> help;
    help = std::make_unique<CHelpAccess>(HelpFolders(programFile), viewer);
    SetHelpRoutine([](uint32_t context, uint32_t command) { help->WinHelp(context, command); });
}

void ShowHelpIndex() {
    RequestHelp(0, HELP_INDEX);
}
