#include "ui/HelpViewer.h"
#include "ui/ProgramIcon.h"

#include <QScrollBar>
#include <QUrl>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 560;

}  // namespace

CHelpViewer::CHelpViewer(QWidget* parent) : QTextBrowser(parent) {
    setWindowFlag(Qt::Window);
    setWindowIcon(ProgramIcon());
    setOpenExternalLinks(true);
    resize(kWidth, kHeight);
    connect(this, &QTextBrowser::sourceChanged, this, [this] { setWindowTitle(documentTitle()); });
}

void CHelpViewer::ShowTopic(const QString& file, int topic) {
    const QUrl url = QUrl::fromLocalFile(file);
    if (source().adjusted(QUrl::RemoveFragment) != url) {
        setSource(url);
    }
    if (topic > 0) {
        scrollToAnchor(TopicAnchor(topic));
    } else {
        verticalScrollBar()->setValue(0);
    }
    show();
    raise();
    activateWindow();
}

QString TopicAnchor(int topic) {
    return QStringLiteral("topic%1").arg(topic);
}
