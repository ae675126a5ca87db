#include "ui/TransferDlg.h"
#include "ui/DialogTemplates.h"
#include "ui/OneLineText.h"
#include "ui/ResourceIds.h"
#include "ui/TranslateWindow.h"

#include "i18n/MessageCatalogue.h"
#include "remote/ProgressPercent.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <utility>

namespace {

// A screen shows no more than this often.
constexpr std::chrono::milliseconds kFrameInterval{16};

}  // namespace

CTransferDlg::CTransferDlg(QWidget* owner, const QString& applicationTitle)
    : CTemplateDialog(kTransferTemplate, nullptr),
      m_controls{.status = Require<QLabel>(IDC_STATUS),
                 .percent = Require<QLabel>(IDC_PERCENT),
                 .progress = Require<QProgressBar>(IDC_PROGRESS),
                 .cancel = Require<QPushButton>(IDCANCEL)},
      m_owner(owner),
      m_boxes(applicationTitle) {
    m_boxes.SetMainWindow(this);
    // Not a child of the owner: disabling the owner would disable this window too.
    TranslateWindow(*this);
    m_strStatus = m_controls.status->text();
    m_controls.progress->setRange(0, 100);
    m_controls.progress->setValue(m_nLower);
    // Enter does nothing here, even on the Cancel button.
    m_controls.cancel->setDefault(false);
    m_controls.cancel->setAutoDefault(false);
}

CTransferDlg::~CTransferDlg() {
    RestoreOwner();
}

bool CTransferDlg::Start() {
    if (m_owner != nullptr && m_owner->isEnabled()) {
        m_owner->setEnabled(false);
        m_bOwnerDisabled = true;
    }
    if (m_owner != nullptr) {
        winId();
        m_owner->window()->winId();
        windowHandle()->setTransientParent(m_owner->window()->windowHandle());
    }
    show();
    return true;
}

void CTransferDlg::WaitForWorker(const std::function<void()>& onCancel) {
    m_onCancel = onCancel;
    if (!m_bFinished) {
        QEventLoop loop;
        m_pLoop = &loop;
        loop.exec();
        m_pLoop = nullptr;
        // Only the end of the program ends the loop before the worker: the download stops
        // with it, so that it leaves no partly written file.
        if (!m_bFinished) {
            onCancel();
        }
    }
    m_bFinished = false;
    m_onCancel = nullptr;
}

void CTransferDlg::Close() {
    RestoreOwner();
    hide();
}

void CTransferDlg::SetCaptionFile(const std::string& path) {
    std::string caption = CaptionForFile(path);
    Send([&caption](PendingView& view) { view.caption = std::move(caption); });
}

void CTransferDlg::SetStatusText(const std::string& text) {
    Send([&text](PendingView& view) { view.status = text; });
}

void CTransferDlg::SetTotal(int32_t total) {
    m_nLower = 0;
    m_nUpper = total;
}

void CTransferDlg::SetDone(int32_t position) {
    if (const std::optional<int> percent = PercentFor(position, m_nLower, m_nUpper)) {
        Send([&percent](PendingView& view) { view.percent = percent; });
    }
}

void CTransferDlg::NotifyFinished() {
    QMetaObject::invokeMethod(
        this, [this] { Finish(); }, Qt::QueuedConnection);
}

void CTransferDlg::reject() {
    if (m_onCancel) {
        m_onCancel();
    }
}

void CTransferDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    reject();
}

void CTransferDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    CTemplateDialog::keyPressEvent(event);
}

// Worker thread: records the update and, when no showing is on its way, asks the
// user-interface thread for one.
template <typename Change>
void CTransferDlg::Send(Change change) {
    bool ask = false;
    {
        const std::lock_guard lock(m_sentMutex);
        change(m_sent);
        ask = !std::exchange(m_bShowPending, true);
    }
    if (ask) {
        QMetaObject::invokeMethod(
            this, [this] { ShowSent(); }, Qt::QueuedConnection);
    }
}

// Shows what was sent, then looks again a frame later; once nothing more has come, the
// next update asks anew.
void CTransferDlg::ShowSent() {
    {
        const std::lock_guard lock(m_sentMutex);
        if (!m_sent.caption && !m_sent.status && !m_sent.percent) {
            m_bShowPending = false;
            return;
        }
    }
    ShowView(TakeSent());
    QTimer::singleShot(kFrameInterval, this, [this] { ShowSent(); });
}

CTransferDlg::PendingView CTransferDlg::TakeSent() {
    const std::lock_guard lock(m_sentMutex);
    return std::exchange(m_sent, PendingView{});
}

// Texts are rewritten only when they change.
void CTransferDlg::ShowView(const PendingView& view) {
    if (view.caption) {
        setWindowTitle(QString::fromStdString(*view.caption));
    }
    if (view.status) {
        QString text = QString::fromStdString(*view.status);
        if (text != m_strStatus) {
            ShowOnOneLine(*m_controls.status, text);
            m_strStatus = std::move(text);
        }
    }
    if (view.percent) {
        ShowPercent(*view.percent);
    }
}

void CTransferDlg::ShowPercent(int percent) {
    m_controls.progress->setValue(percent);
    const QString text = QString::fromStdString(PercentText(percent));
    if (m_controls.percent->text() != text) {
        m_controls.percent->setText(text);
    }
}

void CTransferDlg::RestoreOwner() {
    if (m_bOwnerDisabled && m_owner != nullptr) {
        m_owner->setEnabled(true);
    }
    m_bOwnerDisabled = false;
}

// Everything the worker sent is on the screen before the download's end is.
void CTransferDlg::Finish() {
    ShowView(TakeSent());
    m_bFinished = true;
    if (m_pLoop != nullptr) {
        m_pLoop->quit();
    }
}
