// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The serial channel against a real pseudo-terminal: configuration, the
// bytes received, one by one and in batches, writes, and a device that goes
// away.
#include <sys/resource.h>
#include <termios.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <memory>
#include <thread>

#include "ports/DeviceGone.h"
#include "ports/OpenFailureHint.h"
#include "ports/SerialChannel.h"
#include "tests/support/PtyPair.h"

namespace {
constexpr std::int16_t kTestPort = 3;
// A second of a controller that hands over every byte at 9600 baud.
constexpr int kLinePacedBytes = 960;
constexpr std::chrono::microseconds kByteTime{1042};
constexpr int kLinePacedMs = 1000;
// Long enough for a switch of read mode and a last batch to be done.
constexpr int kSettleMs = 100;
// Taken by the port, and not yet due to be handed on 17 ms later.
constexpr int kHoldMs = 5;
// Batched, the window wakes a few times per 17 ms screen refresh; byte by
// byte, once per byte.
constexpr int kMostWakeUpsBatched = kLinePacedBytes / 4;
// From the descriptor, about once per refresh (about 68 a second here).
constexpr int kMostWakeUpsFromDescriptor = 2 * kLinePacedMs / 17;

PortResolver OnlyPort(int port, std::string path) {
    return [port, path](int n) { return n == port ? path : std::string(); };
}

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> bytes;
    for (int v : values) bytes.push_back(static_cast<std::uint8_t>(v));
    return bytes;
}

// Qt writes from its event loop, so the loop runs while the test listens.
std::vector<unsigned char> ReceiveWhilePumping(const PtyPair& pty, std::size_t count,
                                               int timeoutMs) {
    std::vector<unsigned char> wire;
    QElapsedTimer timer;
    timer.start();
    while (wire.size() < count && timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents();
        const auto more = pty.Receive(count - wire.size(), 10);
        wire.insert(wire.end(), more.begin(), more.end());
    }
    return wire;
}

// As under exec(): QTest::qWait sleeps between its rounds of events, which
// would count as wake-ups and merge bytes.
void RunEventLoopFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// How often this thread has slept and woken again.
long ThreadWakeUps() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_nvcsw;
}

std::vector<unsigned char> Counting(int count) {
    std::vector<unsigned char> bytes;
    for (int i = 0; i < count; ++i) bytes.push_back(static_cast<unsigned char>(i));
    return bytes;
}

// The bytes one by one at line pace, from another thread, while this one
// runs its event loop.
void SendAtLinePace(const PtyPair& pty, const std::vector<unsigned char>& bytes) {
    std::jthread controller([&pty, &bytes] {
        auto due = std::chrono::steady_clock::now();
        for (const unsigned char byte : bytes) {
            std::this_thread::sleep_until(due);
            pty.Send({byte});
            due += kByteTime;
        }
    });
    RunEventLoopFor(kLinePacedMs);
}

QByteArray Joined(const QSignalSpy& received) {
    QByteArray bytes;
    for (const auto& arguments : received) bytes += arguments.at(0).toByteArray();
    return bytes;
}

QByteArray AsBytes(const std::vector<unsigned char>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

double ProcessCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 +
           usage.ru_stime.tv_sec * 1e3 + usage.ru_stime.tv_usec / 1e3;
}
}  // namespace

class SerialChannelTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<PtyPair> pty_;
    std::unique_ptr<SerialChannel> channel_;

    void OpenOnPty() {
        channel_->SetPortNumber(kTestPort);
        channel_->Open();
        QVERIFY(channel_->IsOpen());
    }

    // Batches are read from the descriptor where the system allows it, and
    // through the port where it does not; both keep every byte in order.
    static void ReadPaths() {
        QTest::addColumn<bool>("descriptorReads");
        QTest::addColumn<int>("mostWakeUps");
        QTest::newRow("from the descriptor") << true << kMostWakeUpsFromDescriptor;
        QTest::newRow("through the port") << false << kMostWakeUpsBatched;
    }

    void BatchOnPty() {
        QFETCH(bool, descriptorReads);
        OpenOnPty();
        channel_->SetDescriptorReads(descriptorReads);
        channel_->SetBatchedReads(true);
    }

private slots:
    void init() {
        pty_ = std::make_unique<PtyPair>();
        channel_ = std::make_unique<SerialChannel>(OnlyPort(kTestPort, pty_->SlavePath()));
    }
    void cleanup() {
        channel_.reset();
        pty_.reset();
    }

    void startsClosedWithoutDevice() {
        QVERIFY(!channel_->IsOpen());
        QCOMPARE(channel_->DeviceHandle(), -1);
    }

    void absentPortLeavesChannelClosed() {
        channel_->SetPortNumber(5);
        channel_->Open();
        QVERIFY(!channel_->IsOpen());
        QCOMPARE(channel_->DeviceHandle(), -1);
    }

    void opensConfigured9600N81() {
        OpenOnPty();
        QVERIFY(channel_->DeviceHandle() >= 0);
        termios settings{};
        QCOMPARE(tcgetattr(channel_->DeviceHandle(), &settings), 0);
        QCOMPARE(cfgetospeed(&settings), speed_t(B9600));
        QCOMPARE(settings.c_cflag & CSIZE, tcflag_t(CS8));
        QCOMPARE(settings.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
        QCOMPARE(settings.c_iflag & (IXON | IXOFF), tcflag_t(0));
    }

    void portNumberChangeWhileOpenAppliesAtNextOpen() {
        OpenOnPty();
        channel_->SetPortNumber(7);
        QVERIFY(channel_->IsOpen());
        QCOMPARE(channel_->PortNumber(), std::int16_t(7));
        channel_->Close();
        QCOMPARE(channel_->DeviceHandle(), -1);
        channel_->Open();  // COM7 does not resolve to anything
        QVERIFY(!channel_->IsOpen());
    }

    // Every byte is handed on, in order, with the time it was read; nothing
    // waiting from before the open is.
    void bytesArriveInOrderWithTheirTime() {
        pty_->Send({0xEE, 0xEE});
        QTest::qWait(50);
        QSignalSpy opened(channel_.get(), &SerialChannel::opened);
        QSignalSpy received(channel_.get(), &SerialChannel::bytesReceived);
        OpenOnPty();
        QCOMPARE(opened.count(), 1);
        std::vector<unsigned char> sent;
        for (int burst = 0; burst < 5; ++burst) {
            const std::vector<unsigned char> bytes(burst + 1, static_cast<unsigned char>(burst));
            pty_->Send(bytes);
            sent.insert(sent.end(), bytes.begin(), bytes.end());
            QTest::qWait(20);
        }
        QByteArray got;
        qint64 last = opened.at(0).at(0).toLongLong();
        QTRY_VERIFY_WITH_TIMEOUT(received.count() >= 5, 2000);
        for (const auto& arguments : received) {
            got += arguments.at(0).toByteArray();
            const qint64 arrival = arguments.at(1).toLongLong();
            QVERIFY(arrival >= last);
            last = arrival;
        }
        QCOMPARE(got,
                 QByteArray(reinterpret_cast<const char*>(sent.data()), qsizetype(sent.size())));
    }

    void writesQueueInOrder() {
        OpenOnPty();
        const auto first = Bytes({0xAB, 0x01, 0x00, 0x03, 0x80, 0x2F});
        const auto second = Bytes({0xAB, 0x02, 0x48, 0x07, 0x1A, 0x16});
        channel_->Write(first);
        channel_->Write(second);
        const auto wire = ReceiveWhilePumping(*pty_, 12, 2000);
        std::vector<unsigned char> expected(first.begin(), first.end());
        expected.insert(expected.end(), second.begin(), second.end());
        QCOMPARE(wire, expected);
    }

    // Held by another program: Qt says "permission", the box says "in use"
    // and does not send the user to the dialout group.
    void heldPortIsReportedInUse() {
        QSerialPort otherProgram(QString::fromStdString(pty_->SlavePath()));
        QVERIFY(otherProgram.open(QIODevice::ReadWrite));
        channel_->SetPortNumber(kTestPort);
        try {
            channel_->Open();
            QFAIL("a held port was opened twice");
        } catch (const ChannelError& error) {
            const QString text = QString::fromUtf8(error.what());
            QVERIFY2(text.contains(QString::fromStdString(pty_->SlavePath())), qPrintable(text));
            QVERIFY2(text.contains(QStringLiteral("in use by another program")), qPrintable(text));
            QVERIFY2(!text.contains(QStringLiteral("dialout")), qPrintable(text));
        }
        QVERIFY(!channel_->IsOpen());
        QVERIFY(otherProgram.isOpen());
    }

    void openFailureHint() {
        using enum OpenFailureHint;
        QCOMPARE(HintForOpenFailure(QSerialPort::PermissionError, false), JoinDialout);
        QCOMPARE(HintForOpenFailure(QSerialPort::PermissionError, true), InUse);
        QCOMPARE(HintForOpenFailure(QSerialPort::OpenError, false), None);
        QCOMPARE(HintForOpenFailure(QSerialPort::DeviceNotFoundError, true), None);
    }

    void errorsThatMeanTheDeviceIsGone_data() {
        QTest::addColumn<QSerialPort::SerialPortError>("error");
        QTest::addColumn<bool>("gone");
        QTest::newRow("none") << QSerialPort::NoError << false;
        QTest::newRow("time-out") << QSerialPort::TimeoutError << false;
        QTest::newRow("read") << QSerialPort::ReadError << true;
        QTest::newRow("write") << QSerialPort::WriteError << true;
        QTest::newRow("resource") << QSerialPort::ResourceError << true;
        QTest::newRow("not found") << QSerialPort::DeviceNotFoundError << true;
        QTest::newRow("unknown") << QSerialPort::UnknownError << true;
    }
    void errorsThatMeanTheDeviceIsGone() {
        QFETCH(QSerialPort::SerialPortError, error);
        QFETCH(bool, gone);
        QCOMPARE(MeansDeviceGone(error), gone);
    }

    void vanishedDeviceClosesOnceWithoutSpinning() {
        OpenOnPty();
        QSignalSpy lost(channel_.get(), &SerialChannel::deviceLost);
        pty_->HangUp();
        QTRY_VERIFY_WITH_TIMEOUT(!channel_->IsOpen(), 2000);
        QCOMPARE(channel_->DeviceHandle(), -1);
        const double before = ProcessCpuMs();
        QTest::qWait(500);
        QVERIFY2(ProcessCpuMs() - before < 100, "the event loop spins after the device went away");
        QCOMPARE(lost.count(), 1);
        channel_->Write(Bytes({0xAB, 0x02, 0x48, 0x07, 0x1A, 0x16}));  // dropped, no error
    }

    void batchedReadsKeepEveryByteWithoutWakingForEach_data() { ReadPaths(); }
    // Batched, every byte still arrives in order, but a stream sent byte by
    // byte neither wakes the window nor is handed on for every byte.
    void batchedReadsKeepEveryByteWithoutWakingForEach() {
        QFETCH(int, mostWakeUps);
        BatchOnPty();
        RunEventLoopFor(kSettleMs);
        QSignalSpy received(channel_.get(), &SerialChannel::bytesReceived);
        const auto sent = Counting(kLinePacedBytes);
        const long wakeUpsBefore = ThreadWakeUps();
        SendAtLinePace(*pty_, sent);
        RunEventLoopFor(kSettleMs);
        const long wakeUps = ThreadWakeUps() - wakeUpsBefore;
        QCOMPARE(Joined(received), AsBytes(sent));
        QVERIFY2(wakeUps < mostWakeUps, qPrintable(QString::number(wakeUps)));
        QVERIFY2(received.count() < kMostWakeUpsBatched,
                 qPrintable(QString::number(received.count())));
        qint64 last = 0;
        for (const auto& arguments : received) {
            QVERIFY(arguments.at(1).toLongLong() >= last);
            last = arguments.at(1).toLongLong();
        }
    }

    void endingBatchedReadsHandsOnTheHeldByteThenEachByte_data() { ReadPaths(); }
    // A byte kept for the next batch is handed on when batching ends, and
    // from then on each byte comes with its own time again.
    void endingBatchedReadsHandsOnTheHeldByteThenEachByte() {
        BatchOnPty();
        RunEventLoopFor(kSettleMs);
        QSignalSpy received(channel_.get(), &SerialChannel::bytesReceived);
        pty_->Send({0x5A});
        RunEventLoopFor(kHoldMs);
        channel_->SetBatchedReads(false);
        RunEventLoopFor(kSettleMs);
        QCOMPARE(Joined(received), QByteArray("\x5A"));
        received.clear();
        const auto sent = Counting(kLinePacedBytes);
        SendAtLinePace(*pty_, sent);
        RunEventLoopFor(kSettleMs);
        QCOMPARE(Joined(received), AsBytes(sent));
        QVERIFY2(received.count() > kLinePacedBytes / 2,
                 qPrintable(QString::number(received.count())));
    }

    void vanishedDeviceWhileBatchedClosesOnce_data() {
        QTest::addColumn<bool>("descriptorReads");
        QTest::addColumn<bool>("byteHeld");
        for (const bool descriptorReads : {true, false}) {
            const char* path = descriptorReads ? "from the descriptor" : "through the port";
            QTest::addRow("%s, nothing waiting", path) << descriptorReads << false;
            QTest::addRow("%s, a byte held", path) << descriptorReads << true;
        }
    }
    void vanishedDeviceWhileBatchedClosesOnce() {
        QFETCH(bool, byteHeld);
        BatchOnPty();
        RunEventLoopFor(kSettleMs);
        QSignalSpy lost(channel_.get(), &SerialChannel::deviceLost);
        QSignalSpy received(channel_.get(), &SerialChannel::bytesReceived);
        if (byteHeld) {
            pty_->Send({0x5A});
            RunEventLoopFor(kHoldMs);
        }
        pty_->HangUp();
        QTRY_VERIFY_WITH_TIMEOUT(!channel_->IsOpen(), 2000);
        const double before = ProcessCpuMs();
        RunEventLoopFor(500);
        QVERIFY2(ProcessCpuMs() - before < 100, "the event loop spins after the device went away");
        QCOMPARE(lost.count(), 1);
        QCOMPARE(Joined(received), byteHeld ? QByteArray("\x5A") : QByteArray());
    }
};

QTEST_GUILESS_MAIN(SerialChannelTest)
#include "tst_serialchannel.moc"
