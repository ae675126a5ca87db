#pragma once

#include "ui/TemplateDialog.h"

#include "remote/TransferWindow.h"
#include "ui/QtMessageBoxes.h"

#include <QPointer>

#include <cstdint>
#include <functional>

class QEventLoop;

// The progress window of one download: caption with the file name, status line,
// percentage, bar and Cancel. The worker thread's calls return at once and reach the
// window as queued calls, in the order sent; the user-interface thread waits for the
// worker in an event loop, so the window stays alive and Cancel is heard. While the
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
    void ShowPercent(int32_t position);
    void RestoreOwner();
    void Finish();

    QPointer<QWidget> m_owner;
    QtMessageBoxes m_boxes;
    int32_t m_nLower = 0;
    int32_t m_nUpper = 100;
    bool m_bOwnerDisabled = false;
    bool m_bFinished = false;
    QEventLoop* m_pLoop = nullptr;
    std::function<void()> m_onCancel;
};

// The caption's file name: what follows the last slash, or else the last backslash, or
// the whole path.
std::string LastPathComponent(const std::string& path);
