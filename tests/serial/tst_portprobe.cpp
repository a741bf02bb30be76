// The discovery worker on real pseudo-terminals with the virtual controller:
// what it finds, what it skips, and how it stops.
#include <QElapsedTimer>
#include <QSerialPort>
#include <QTest>
#include <array>
#include <atomic>
#include <map>
#include <memory>
#include <thread>

#include "PortProbeThread.h"
#include "PtyPair.h"
#include "SerialChannel.h"
#include "SimProcess.h"

namespace {
constexpr int kWorkerTimeoutMs = 15000;

// Maps port numbers to device paths and counts which ports were asked for.
class PortTable {
public:
    void Set(int port, const std::string& path) { paths_[port] = path; }
    PortResolver Resolver() {
        return [this](int port) {
            asked_[port]++;
            const auto it = paths_.find(port);
            return it == paths_.end() ? std::string() : it->second;
        };
    }
    int Asked(int port) const { return asked_[port].load(); }
    int AskedInTotal() const {
        int total = 0;
        for (const auto& count : asked_) total += count.load();
        return total;
    }

private:
    std::map<int, std::string> paths_;
    std::array<std::atomic<int>, 32> asked_{};
};

bool WaitForWorkers() {
    QElapsedTimer timer;
    timer.start();
    while (PortProbeThread::RunningCount() > 0 && timer.elapsed() < kWorkerTimeoutMs) {
        QTest::qWait(10);
    }
    return PortProbeThread::RunningCount() == 0;
}
}  // namespace

class PortProbeTest : public QObject {
    Q_OBJECT

private:
    LinkState state_;
    std::unique_ptr<PortTable> table_;

    std::unique_ptr<SimProcess> StartSim() {
        auto sim = std::make_unique<SimProcess>(QStringList{"--gap", "2"});
        if (!sim->Start()) return nullptr;
        return sim;
    }

private slots:
    void init() {
        state_.ResetForSearch();
        table_ = std::make_unique<PortTable>();
    }

    void findsTalkingPortAfterAbsentOnes() {
        auto sim = StartSim();
        QVERIFY(sim);
        table_->Set(3, sim->PortPath().toStdString());
        QElapsedTimer timer;
        timer.start();
        PortProbeThread::Launch(state_, table_->Resolver());
        QTRY_VERIFY_WITH_TIMEOUT(state_.probeFound.load(), kWorkerTimeoutMs);
        QCOMPARE(state_.probePort.load(), std::int16_t(3));
        QVERIFY(timer.elapsed() >= 300);
        QVERIFY(WaitForWorkers());
        QCOMPARE(table_->Asked(4), 0);  // the search ends at the find
    }

    void singleByteCountsAsFound() {
        PtyPair device;
        table_->Set(1, device.SlavePath());
        PortProbeThread::Launch(state_, table_->Resolver());
        // One byte, well inside the 300 ms listening window.
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        device.Send({0x42});
        QVERIFY(WaitForWorkers());
        QVERIFY(state_.probeFound.load());
        QCOMPARE(state_.probePort.load(), std::int16_t(1));
    }

    void silentPortsFindNothing() {
        PtyPair first, second;
        table_->Set(1, first.SlavePath());
        table_->Set(2, second.SlavePath());
        QElapsedTimer timer;
        timer.start();
        PortProbeThread::Launch(state_, table_->Resolver());
        QVERIFY(WaitForWorkers());
        QVERIFY(!state_.probeFound.load());
        QVERIFY2(timer.elapsed() >= 600, "each present port is listened to for 300 ms");
        QCOMPARE(table_->Asked(20), 1);  // every port up to COM20 was tried
    }

    void stopBeforeFirstPortOpensNothing() {
        auto sim = StartSim();
        QVERIFY(sim);
        table_->Set(1, sim->PortPath().toStdString());
        state_.probeStop = true;
        PortProbeThread::Launch(state_, table_->Resolver());
        QVERIFY(WaitForWorkers());
        QCOMPARE(table_->AskedInTotal(), 0);
        QVERIFY(!state_.probeFound.load());
    }

    void stopDuringProbeEndsBeforeNextPort() {
        PtyPair silent;
        auto sim = StartSim();
        QVERIFY(sim);
        table_->Set(1, silent.SlavePath());
        table_->Set(2, sim->PortPath().toStdString());
        PortProbeThread::Launch(state_, table_->Resolver());
        QTest::qWait(100);
        state_.probeStop = true;
        QVERIFY(WaitForWorkers());
        QCOMPARE(table_->Asked(2), 0);
        QVERIFY(!state_.probeFound.load());
    }

    void findDuringStoppedProbeIsDropped() {
        auto sim = StartSim();
        QVERIFY(sim);
        table_->Set(1, sim->PortPath().toStdString());
        PortProbeThread::Launch(state_, table_->Resolver());
        QTest::qWait(100);
        state_.probeStop = true;
        QVERIFY(WaitForWorkers());
        QVERIFY2(!state_.probeFound.load(), "OFFLINE chosen during the probe must stay offline");
    }

    // At the end of the program: the listening stops at once, the port is
    // free again (its lock file gone) and the talker there is not published.
    void endAllStopsTheListeningAtOnce() {
        auto sim = StartSim();
        QVERIFY(sim);
        table_->Set(1, sim->PortPath().toStdString());
        PortProbeThread::Launch(state_, table_->Resolver());
        QTRY_VERIFY_WITH_TIMEOUT(PortProbeThread::IsListeningOn(sim->PortPath()), 2000);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(PortProbeThread::EndAll(PortProbeThread::kEndTime));
        QVERIFY2(timer.elapsed() < 100, "the worker listened on");
        QCOMPARE(PortProbeThread::RunningCount(), 0);
        QVERIFY(!state_.probeFound.load());
        QSerialPort again(sim->PortPath());
        QVERIFY(again.open(QIODevice::ReadWrite));
    }

    void portHeldByChannelIsSkipped() {
        auto held = StartSim();
        auto free = StartSim();
        QVERIFY(held && free);
        table_->Set(1, held->PortPath().toStdString());
        table_->Set(2, free->PortPath().toStdString());
        SerialChannel channel(table_->Resolver());
        channel.SetPortNumber(1);
        channel.Open();
        QVERIFY(channel.IsOpen());
        PortProbeThread::Launch(state_, table_->Resolver());
        QVERIFY(WaitForWorkers());
        QVERIFY(state_.probeFound.load());
        QCOMPARE(state_.probePort.load(), std::int16_t(2));
        QVERIFY(channel.IsOpen());
    }

    void overlappingWorkersAllAgree() {
        auto sim = StartSim();
        QVERIFY(sim);
        table_->Set(3, sim->PortPath().toStdString());
        for (int i = 0; i < 10; ++i) {
            state_.ResetForSearch();
            PortProbeThread::Launch(state_, table_->Resolver());
        }
        QVERIFY(WaitForWorkers());
        QVERIFY(state_.probeFound.load());
        QCOMPARE(state_.probePort.load(), std::int16_t(3));
    }
};

QTEST_GUILESS_MAIN(PortProbeTest)
#include "tst_portprobe.moc"
