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
#include <QWindow>

CTransferDlg::CTransferDlg(QWidget* owner, const QString& applicationTitle)
    : CTemplateDialog(kTransferTemplate, nullptr), m_owner(owner), m_boxes(applicationTitle) {
    m_boxes.SetMainWindow(this);
    // Not a child of the owner: disabling the owner would disable this window too.
    TranslateWindow(*this);
    auto* bar = Control<QProgressBar>(IDC_PROGRESS);
    bar->setRange(0, 100);
    bar->setValue(m_nLower);
    // Enter does nothing here, even on the Cancel button.
    auto* cancel = Control<QPushButton>(IDCANCEL);
    cancel->setDefault(false);
    cancel->setAutoDefault(false);
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
    QMetaObject::invokeMethod(
        this,
        [this, path] {
            setWindowTitle(
                QString::fromStdString(GetMessage("IDS_DOWNLOADING") + LastPathComponent(path)));
        },
        Qt::QueuedConnection);
}

void CTransferDlg::SetStatusText(const std::string& text) {
    QMetaObject::invokeMethod(
        this,
        [this, text] { ShowOnOneLine(*Control<QLabel>(IDC_STATUS), QString::fromStdString(text)); },
        Qt::QueuedConnection);
}

void CTransferDlg::SetTotal(int32_t total) {
    QMetaObject::invokeMethod(
        this,
        [this, total] {
            m_nLower = 0;
            m_nUpper = total;
        },
        Qt::QueuedConnection);
}

void CTransferDlg::SetDone(int32_t position) {
    QMetaObject::invokeMethod(
        this, [this, position] { ShowPercent(position); }, Qt::QueuedConnection);
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

// Rewrites the percentage only when it changes: it comes at every 4096-byte unit.
void CTransferDlg::ShowPercent(int32_t position) {
    const std::optional<int> percent = PercentFor(position, m_nLower, m_nUpper);
    if (!percent) {
        return;
    }
    Control<QProgressBar>(IDC_PROGRESS)->setValue(*percent);
    auto* label = Control<QLabel>(IDC_PERCENT);
    const QString text = QString::fromStdString(PercentText(*percent));
    if (label->text() != text) {
        label->setText(text);
    }
}

void CTransferDlg::RestoreOwner() {
    if (m_bOwnerDisabled && m_owner != nullptr) {
        m_owner->setEnabled(true);
    }
    m_bOwnerDisabled = false;
}

void CTransferDlg::Finish() {
    m_bFinished = true;
    if (m_pLoop != nullptr) {
        m_pLoop->quit();
    }
}

std::string LastPathComponent(const std::string& path) {
    std::string::size_type separator = path.rfind('/');
    if (separator == std::string::npos) {
        separator = path.rfind('\\');
    }
    return separator == std::string::npos ? path : path.substr(separator + 1);
}
