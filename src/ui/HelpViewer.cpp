#include "ui/HelpViewer.h"
#include "ui/ProgramIcon.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextFrame>
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
    // Shown first: the document is laid out for the window's width only then, and the
    // scroll position depends on that layout.
    show();
    LeaveRoomAfterLastTopic();
    if (topic > 0) {
        scrollToAnchor(TopicAnchor(topic));
    } else {
        verticalScrollBar()->setValue(0);
    }
    raise();
    activateWindow();
}

// A window's height of blank below the text, so that a short last topic can still be
// scrolled to the top.
void CHelpViewer::LeaveRoomAfterLastTopic() {
    QTextFrameFormat root = document()->rootFrame()->frameFormat();
    root.setBottomMargin(viewport()->height());
    document()->rootFrame()->setFrameFormat(root);
}

void CHelpViewer::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QTextBrowser::keyPressEvent(event);
}

QString TopicAnchor(int topic) {
    return QStringLiteral("topic%1").arg(topic);
}
