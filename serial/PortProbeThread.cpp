#include "PortProbeThread.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QList>
#include <QSerialPort>
#include <QStringList>

namespace {
// The devices workers hold. Never destroyed, so that a worker still running
// when the process ends touches nothing destroyed.
struct ListeningDevices {
    std::mutex mutex;
    QStringList devices;
};

ListeningDevices& Listening() {
    static auto* listening = new ListeningDevices;
    return *listening;
}

void SetListening(const QString& device, bool listening) {
    std::lock_guard lock(Listening().mutex);
    if (listening) {
        Listening().devices.append(device);
    } else {
        Listening().devices.removeOne(device);
    }
}

// Workers not yet deleted. Touched only on the window's thread: by Launch, by
// EndAll and by a worker's deletion, which its finished signal queues there.
// Never destroyed, like the list above, so no deletion can come after it.
QList<PortProbeThread*>& Workers() {
    static auto* workers = new QList<PortProbeThread*>;
    return *workers;
}
}  // namespace

std::atomic<int> PortProbeThread::running_{0};

bool PortProbeThread::IsListeningOn(const QString& device) {
    std::lock_guard lock(Listening().mutex);
    return Listening().devices.contains(device);
}

PortProbeThread::PortProbeThread(LinkState& state, PortResolver resolver)
    : state_(state), resolver_(std::move(resolver)) {}

PortProbeThread::~PortProbeThread() {
    Workers().removeOne(this);
}

void PortProbeThread::Launch(LinkState& state, PortResolver resolver) {
    auto* worker = new PortProbeThread(state, std::move(resolver));
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    Workers().append(worker);
    ++running_;
    worker->start();
}

bool PortProbeThread::EndAll(std::chrono::milliseconds limit) {
    const QDeadlineTimer deadline(limit);
    for (PortProbeThread* worker : Workers()) worker->AskToEnd();
    bool allEnded = true;
    for (PortProbeThread* worker : Workers()) allEnded = worker->wait(deadline) && allEnded;
    return allEnded;
}

void PortProbeThread::AskToEnd() {
    {
        std::lock_guard lock(endMutex_);
        requestInterruption();
    }
    endRequested_.notify_all();
}

bool PortProbeThread::SleepUnlessEnded(std::chrono::milliseconds time) {
    std::unique_lock lock(endMutex_);
    return !endRequested_.wait_for(lock, time, [this] { return isInterruptionRequested(); });
}

void PortProbeThread::run() {
    for (int port = kFirstPort; port <= kLastPort; ++port) {
        if (state_.probeStop.load(std::memory_order_acquire)) break;
        if (isInterruptionRequested()) break;
        if (ListenOn(port) > 0) {
            Publish(port);
            break;
        }
    }
    --running_;
}

// Bytes heard on the port in the listening window; 0 when it cannot be opened.
int PortProbeThread::ListenOn(int port) {
    const QString device = QString::fromStdString(resolver_(port));
    if (device.isEmpty() || !QFileInfo::exists(device)) return 0;
    // Created here, on the worker's own thread. Through the same canonical path
    // as the channel, so their lock files exclude each other.
    QSerialPort serial;
    serial.setPortName(device);
    SetListening(device, true);
    if (!serial.open(QIODevice::ReadWrite)) {
        SetListening(device, false);
        return 0;
    }
    serial.setBaudRate(QSerialPort::Baud9600);
    serial.setDataBits(QSerialPort::Data8);
    serial.setParity(QSerialPort::NoParity);
    serial.setStopBits(QSerialPort::OneStop);
    serial.setFlowControl(QSerialPort::NoFlowControl);
    serial.clear(QSerialPort::Input);
    qint64 heard = 0;
    if (SleepUnlessEnded(kListenTime)) {
        serial.waitForReadyRead(kReadTimeoutMs);
        heard = serial.read(kReadSize).size();
    }
    serial.close();
    SetListening(device, false);
    return static_cast<int>(heard);
}

void PortProbeThread::Publish(int port) {
    // OFFLINE chosen during this probe: offline means offline, drop the find.
    if (state_.probeStop.load(std::memory_order_acquire)) return;
    state_.probePort.store(static_cast<std::int16_t>(port), std::memory_order_relaxed);
    state_.probeFound.store(true, std::memory_order_release);
}
