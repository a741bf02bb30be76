#pragma once

#include <QString>
#include <QThread>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

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
    // A worker asked to end is at most one listening window away from having
    // closed its port and ended.
    static constexpr std::chrono::milliseconds kEndTime = kListenTime;

    // Starts a worker that nothing waits for; it deletes itself when done.
    static void Launch(LinkState& state, PortResolver resolver);

    // Workers still probing, so the program can end without waiting for them.
    static int RunningCount() { return running_.load(); }
    // Whether a worker holds this device at the moment (from just before it
    // opens it until it has closed it).
    static bool IsListeningOn(const QString& device);

    // For the end of the program: every worker stops listening at once,
    // closes its port (releasing its lock file) and ends without a find.
    // Waits for them at most `limit`; true when none is left running.
    static bool EndAll(std::chrono::milliseconds limit);

protected:
    void run() override;

private:
    PortProbeThread(LinkState& state, PortResolver resolver);
    ~PortProbeThread() override;
    int ListenOn(int port);
    // Sleeps for the time unless asked to end; true when it slept it all.
    bool SleepUnlessEnded(std::chrono::milliseconds time);
    void AskToEnd();
    void Publish(int port);

    LinkState& state_;
    PortResolver resolver_;
    std::mutex endMutex_;
    std::condition_variable endRequested_;
    static std::atomic<int> running_;
};
