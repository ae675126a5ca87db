#pragma once

#include <QString>
#include <QTextBrowser>

// The program's help window: one HTML manual, shown at its top (the default topic) or at
// a numbered topic (the anchor "topic<number>").
class CHelpViewer : public QTextBrowser {
public:
    explicit CHelpViewer(QWidget* parent = nullptr);

    // Loads the manual when it is not the one shown, then shows the topic (0: the top).
    void ShowTopic(const QString& file, int topic);
};

// The anchor of a numbered topic in a manual.
QString TopicAnchor(int topic);
