#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP, from the session or a terminal, reach the user-interface thread
// as `received`, so that the run ends through the window as Quit ends it. The handler only
// writes a byte into a pipe that the event loops watch. A second signal, when the first has
// not yet ended the program, removes the temporary files of the writes under way and ends
// the process as the signal does by default. A signal ignored by whoever started the program
// (nohup) stays ignored. One object at a time; it restores the former handling when it goes.
class CTerminationSignals : public QObject {
    Q_OBJECT

public:
    CTerminationSignals();
    ~CTerminationSignals() override;
    CTerminationSignals(const CTerminationSignals&) = delete;
    CTerminationSignals& operator=(const CTerminationSignals&) = delete;

signals:
    void received();

private:
    void OnPipeReadable();

    QSocketNotifier* m_notifier = nullptr;
};
