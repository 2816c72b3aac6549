#pragma once
// SIGTERM and SIGHUP reach the window through its event loop: the handler
// only writes the signal number into a pipe, and a socket notifier turns it
// into a Qt signal at the next event processing (the run yields often), where
// it is safe to act on it.
#include <QObject>

class QSocketNotifier;

namespace morvelan {

class EndSignals : public QObject {
    Q_OBJECT

public:
    // Installs the handlers for SIGTERM and SIGHUP; one per process.
    explicit EndSignals(QObject* parent = nullptr);
    ~EndSignals() override;
    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

    bool installed() const { return notifier_ != nullptr; }

signals:
    void endRequested(int signalNumber);

private:
    void drain();
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace morvelan
