// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The search workers on real pseudo-terminals with the virtual controller:
// what they find, what they skip, and how they stop. They listen 50 ms on
// each port here instead of 300.
#include <QElapsedTimer>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>
#include <array>
#include <atomic>
#include <map>
#include <memory>
#include <thread>

#include "ports/PortSearch.h"
#include "ports/SerialChannel.h"
#include "tests/support/PtyPair.h"
#include "tests/support/SimProcess.h"

namespace {
constexpr int kWorkerTimeoutMs = 15000;
constexpr ProbeTimings kTimings{std::chrono::milliseconds(50), std::chrono::milliseconds(10)};
// Long enough that a byte sent once the test has seen the worker listen
// surely falls inside the window, on a machine slowed by a sanitizer too.
constexpr ProbeTimings kLongListen{std::chrono::milliseconds(1000), std::chrono::milliseconds(10)};
// Time for a worker to open, set up and clear a port it has just claimed.
constexpr int kSettleAfterHoldMs = 300;

// Maps port numbers to device paths and counts which ports were asked for.
class CountingPorts {
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
}  // namespace

class PortProbeTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CountingPorts> ports_;
    std::unique_ptr<PortSearch> search_;
    std::unique_ptr<QSignalSpy> finds_;
    std::shared_ptr<std::atomic<bool>> stop_;

    std::unique_ptr<SimProcess> StartSim() {
        auto sim = std::make_unique<SimProcess>(QStringList{"--gap", "2"});
        if (!sim->Start()) return nullptr;
        return sim;
    }
    bool WaitForWorkers() {
        return QTest::qWaitFor([this] { return search_->RunningCount() == 0; }, kWorkerTimeoutMs);
    }
    int FoundPort() const { return finds_->isEmpty() ? 0 : finds_->last().at(0).toInt(); }
    void UseTimings(ProbeTimings timings) {
        finds_.reset();
        search_ = std::make_unique<PortSearch>(ports_->Resolver(), timings);
        finds_ = std::make_unique<QSignalSpy>(search_.get(), &PortSearch::portFound);
    }

private slots:
    void init() {
        ports_ = std::make_unique<CountingPorts>();
        UseTimings(kTimings);
        stop_ = std::make_shared<std::atomic<bool>>(false);
    }
    void cleanup() {
        finds_.reset();
        search_.reset();
    }

    void findsTalkingPortAfterAbsentOnes() {
        auto sim = StartSim();
        QVERIFY(sim);
        ports_->Set(3, sim->PortPath().toStdString());
        QElapsedTimer timer;
        timer.start();
        search_->Launch(stop_);
        QTRY_COMPARE_WITH_TIMEOUT(finds_->size(), 1, kWorkerTimeoutMs);
        QCOMPARE(FoundPort(), 3);
        QVERIFY(timer.elapsed() >= kTimings.listen.count());
        QVERIFY(WaitForWorkers());
        QCOMPARE(ports_->Asked(4), 0);  // the search ends at the find
    }

    void singleByteCountsAsFound() {
        UseTimings(kLongListen);
        PtyPair device;
        ports_->Set(1, device.SlavePath());
        search_->Launch(stop_);
        // One byte, well inside the listening window. The worker holds the
        // device from just before it opens it and then drops what was waiting,
        // so the byte goes a while after the hold, not at once.
        QTRY_VERIFY_WITH_TIMEOUT(search_->IsListeningOn(QString::fromStdString(device.SlavePath())),
                                 2000);
        QTest::qWait(kSettleAfterHoldMs);
        device.Send({0x42});
        QVERIFY(WaitForWorkers());
        QTRY_COMPARE(finds_->size(), 1);
        QCOMPARE(FoundPort(), 1);
    }

    void aHeldSearchAsksForNoPortUntilReleased() {
        auto sim = StartSim();
        QVERIFY(sim);
        ports_->Set(3, sim->PortPath().toStdString());
        search_->Hold();
        search_->Launch(stop_);
        QTest::qWait(2 * kTimings.listen.count());
        QCOMPARE(ports_->Asked(1), 0);
        QVERIFY(finds_->isEmpty());
        QCOMPARE(search_->RunningCount(), 1);  // under way, waiting
        search_->Release();
        QTRY_COMPARE_WITH_TIMEOUT(finds_->size(), 1, kWorkerTimeoutMs);
        QCOMPARE(FoundPort(), 3);
        QVERIFY(WaitForWorkers());
        // Released, a search starts at once again.
        search_->Launch(stop_);
        QTRY_COMPARE_WITH_TIMEOUT(finds_->size(), 2, kWorkerTimeoutMs);
    }

    void endingAHeldSearchDropsIt() {
        PtyPair device;
        ports_->Set(1, device.SlavePath());
        search_->Hold();
        search_->Launch(stop_);
        QVERIFY(search_->EndAll(std::chrono::milliseconds(0)));
        QCOMPARE(search_->RunningCount(), 0);
        search_->Release();
        QTest::qWait(kTimings.listen.count());
        QCOMPARE(ports_->Asked(1), 0);
    }

    void silentPortsFindNothing() {
        PtyPair first, second;
        ports_->Set(1, first.SlavePath());
        ports_->Set(2, second.SlavePath());
        QElapsedTimer timer;
        timer.start();
        search_->Launch(stop_);
        QVERIFY(WaitForWorkers());
        QTest::qWait(20);
        QVERIFY(finds_->isEmpty());
        QVERIFY2(timer.elapsed() >= 2 * kTimings.listen.count(),
                 "each present port is listened to for the whole window");
        QCOMPARE(ports_->Asked(20), 1);  // every port up to COM20 was tried
    }

    void stopBeforeFirstPortOpensNothing() {
        auto sim = StartSim();
        QVERIFY(sim);
        ports_->Set(1, sim->PortPath().toStdString());
        stop_->store(true);
        search_->Launch(stop_);
        QVERIFY(WaitForWorkers());
        QCOMPARE(ports_->AskedInTotal(), 0);
    }

    void stopDuringProbeEndsBeforeNextPort() {
        UseTimings(kLongListen);
        PtyPair silent;
        auto sim = StartSim();
        QVERIFY(sim);
        ports_->Set(1, silent.SlavePath());
        ports_->Set(2, sim->PortPath().toStdString());
        search_->Launch(stop_);
        QTRY_VERIFY_WITH_TIMEOUT(search_->IsListeningOn(QString::fromStdString(silent.SlavePath())),
                                 2000);
        stop_->store(true);
        QVERIFY(WaitForWorkers());
        QCOMPARE(ports_->Asked(2), 0);
        QVERIFY(finds_->isEmpty());
    }

    // At the end of the program: the listening stops at once, the port is
    // free again (its lock file gone) and the talker there is not reported.
    void endAllStopsTheListeningAtOnce() {
        auto sim = StartSim();
        QVERIFY(sim);
        ports_->Set(1, sim->PortPath().toStdString());
        search_ = std::make_unique<PortSearch>(ports_->Resolver(), ProbeTimings{});
        finds_ = std::make_unique<QSignalSpy>(search_.get(), &PortSearch::portFound);
        search_->Launch(stop_);
        QTRY_VERIFY_WITH_TIMEOUT(search_->IsListeningOn(sim->PortPath()), 2000);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(search_->EndAll(search_->EndTime()));
        QVERIFY2(timer.elapsed() < 100, "the worker listened on");
        QCOMPARE(search_->RunningCount(), 0);
        QTest::qWait(20);
        QVERIFY(finds_->isEmpty());
        QSerialPort again(sim->PortPath());
        QVERIFY(again.open(QIODevice::ReadWrite));
    }

    void portHeldByChannelIsSkipped() {
        auto held = StartSim();
        auto free = StartSim();
        QVERIFY(held && free);
        ports_->Set(1, held->PortPath().toStdString());
        ports_->Set(2, free->PortPath().toStdString());
        SerialChannel channel(ports_->Resolver());
        channel.SetPortNumber(1);
        channel.Open();
        QVERIFY(channel.IsOpen());
        search_->Launch(stop_);
        QVERIFY(WaitForWorkers());
        QTRY_COMPARE(finds_->size(), 1);
        QCOMPARE(FoundPort(), 2);
        QVERIFY(channel.IsOpen());
    }

    void overlappingWorkersAllAgree() {
        auto sim = StartSim();
        QVERIFY(sim);
        ports_->Set(3, sim->PortPath().toStdString());
        for (int i = 0; i < 10; ++i) search_->Launch(stop_);
        QVERIFY(WaitForWorkers());
        QTRY_VERIFY(!finds_->isEmpty());
        for (const auto& find : *finds_) QCOMPARE(find.at(0).toInt(), 3);
    }
};

QTEST_GUILESS_MAIN(PortProbeTest)
#include "tst_portprobe.moc"
