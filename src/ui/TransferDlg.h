#pragma once

#include "ui/TemplateDialog.h"

#include "remote/TransferWindow.h"
#include "ui/QtMessageBoxes.h"

#include <QPointer>

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

class QEventLoop;
class QLabel;
class QProgressBar;
class QPushButton;

// The progress window of one download: caption with the file name, status line,
// percentage, bar and Cancel. The worker thread's calls return at once; the user-interface
// thread waits for the worker in an event loop, so the window stays alive and Cancel is
// heard. The updates are taken in the order sent, and the window shows the newest of
// them at most once a screen frame: a line for every 4096-byte unit is more than a
// screen can show, and showing each would cost more than the transfer. While the
// window is open its owner is disabled, so the boxes of the download are owned by this
// window instead, with `applicationTitle` as the application's caption.
class CTransferDlg : public CTemplateDialog, public ITransferWindow {
public:
    CTransferDlg(QWidget* owner, const QString& applicationTitle);
    ~CTransferDlg() override;

    bool Start() override;
    void WaitForWorker(const std::function<void()>& onCancel) override;
    void Close() override;
    IMessageBoxes& Boxes() override { return m_boxes; }

    void SetCaptionFile(const std::string& path) override;
    void SetStatusText(const std::string& text) override;
    void SetTotal(int32_t total) override;
    void SetDone(int32_t position) override;
    void NotifyFinished() override;

    // Cancel, Escape and the close box ask the download to stop; the window stays.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The controls the window shows the download on, found once when it is built.
    struct Controls {
        QLabel* status;
        QLabel* percent;
        QProgressBar* progress;
        QPushButton* cancel;
    };

    // What the worker has sent since the window last showed it; of each kind only the
    // newest counts.
    struct PendingView {
        std::optional<std::string> caption;
        std::optional<std::string> status;
        std::optional<int> percent;
    };

    template <typename Change>
    void Send(Change change);
    void ShowSent();
    PendingView TakeSent();
    void ShowView(const PendingView& view);
    void ShowPercent(int percent);
    void RestoreOwner();
    void Finish();

    Controls m_controls;
    QPointer<QWidget> m_owner;
    CQtMessageBoxes m_boxes;
    // The whole status text last shown; the label may show it shortened.
    QString m_strStatus;
    // Worker thread only: the range that SetTotal gives and SetDone reads.
    int32_t m_nLower = 0;
    int32_t m_nUpper = 100;
    std::mutex m_sentMutex;
    PendingView m_sent;           // guarded by m_sentMutex
    bool m_bShowPending = false;  // guarded by m_sentMutex: a ShowSent is on its way
    bool m_bOwnerDisabled = false;
    bool m_bFinished = false;
    QEventLoop* m_pLoop = nullptr;
    std::function<void()> m_onCancel;
};
