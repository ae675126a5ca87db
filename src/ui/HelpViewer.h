#pragma once

#include <QString>
#include <QTextBrowser>

// The program's help window: one HTML manual, shown at its top (the default topic) or with
// a numbered topic's heading (the anchor "topic<number>") at the top. Escape closes it.
class CHelpViewer : public QTextBrowser {
public:
    explicit CHelpViewer(QWidget* parent = nullptr);

    // Loads the manual when it is not the one shown, then shows the topic (0: the top).
    void ShowTopic(const QString& file, int topic);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void LeaveRoomAfterLastTopic();
};

// The anchor of a numbered topic in a manual.
QString TopicAnchor(int topic);
