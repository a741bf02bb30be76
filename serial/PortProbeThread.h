#pragma once

#include <QString>
#include <QThread>
#include <atomic>
#include <chrono>

#include "LinkState.h"
#include "PortNames.h"

// The discovery worker: listens on COM1..COM20 in turn and publishes the first
// port on which anything at all arrives. It never writes to a port and never
// touches the window; it talks only through probeStop, probePort, probeFound.
class PortProbeThread : public QThread {
    Q_OBJECT

public:
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 20;
    static constexpr std::chrono::milliseconds kListenTime{300};
    static constexpr int kReadTimeoutMs = 20;
    static constexpr qint64 kReadSize = 15;

    // Starts a worker that nothing waits for; it deletes itself when done.
    static void Launch(LinkState& state, PortResolver resolver);

    // Workers still probing, so the program can end without waiting for them.
    static int RunningCount() { return running_.load(); }
    // Whether a worker holds this device at the moment (from just before it
    // opens it until it has closed it).
    static bool IsListeningOn(const QString& device);

protected:
    void run() override;

private:
    PortProbeThread(LinkState& state, PortResolver resolver);
    int ListenOn(int port) const;
    void Publish(int port);

    LinkState& state_;
    PortResolver resolver_;
    static std::atomic<int> running_;
};
