// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>
#include <array>
#include <chrono>

#include "domain/ObdReadings.h"
#include "obd/core/ElmDialogue.h"
#include "ports/core/PortNames.h"

// The second serial link, to an ELM327-type adapter on the car's OBD-II
// socket: opened on its own COM port, spoken to at 38400 baud and, when
// nothing answers there, at 9600 and 115200, then polled for the petrol
// ECU's readings as fast as it answers. Whatever the adapter does, the
// controller's link never notices: this link has its own port, timers and
// state, and only tells what it read. It sends requests to the adapter and
// nothing else, ever.
class ObdLink : public QObject {
    Q_OBJECT

public:
    static constexpr std::array<qint32, 3> kBauds = {38400, 9600, 115200};
    // A port that cannot be had (absent, busy, gone) is tried again this often.
    static constexpr int kRetryMs = 3000;
    // Rounds of readings begin at most this often (four a second).
    static constexpr std::chrono::milliseconds kShortestRound{250};
    // Bytes without a prompt beyond this are no adapter's reply.
    static constexpr int kLongestReply = 4096;

    enum class State {
        Off,
        // The COM port names no device (not plugged in).
        Absent,
        // Another program holds the port.
        Busy,
        // The user may not open the device.
        Denied,
        // The port opens, but nothing answers as an adapter at any speed.
        NoAdapter,
        Starting,
        Reading,
        // The adapter answers, the ECU does not: ignition or engine off.
        NoData,
        // The adapter finds no bus or ECU.
        BusFault,
        // The port answers, but not as an adapter does.
        Garbled,
        // The device went away while open.
        Lost,
    };

    explicit ObdLink(PortResolver resolver, QObject* parent = nullptr);
    ~ObdLink() override;

    // COMn, or 0 for none.
    void SetPort(int port);
    int Port() const { return port_; }
    // At the end of the program: the port closed and nothing tried again,
    // without a word.
    void Stop() { Close(); }
    State GetState() const { return state_; }
    QString Device() const { return serial_.portName(); }
    QString AdapterName() const { return QString::fromStdString(dialogue_.AdapterName()); }
    qint32 Baud() const { return kBauds[baudIndex_]; }
    // Rounds of readings since the port was set.
    qint64 Rounds() const { return rounds_; }

signals:
    // A round of readings came, at this time (steady clock, microseconds).
    void readingsReceived(const ObdReadings& readings, qint64 atMicros);
    void stateChanged();

private:
    void Open();
    void Close();
    void StartAtBaud();
    void Send(const ElmDialogue::Request& request);
    void WriteRequest();
    void OnReadyRead();
    void OnSilence();
    void OnError(QSerialPort::SerialPortError error);
    void Take(const ElmDialogue::Step& step);
    ElmDialogue::Request PacedRound(ElmDialogue::Request first);
    void SetState(State state);
    void RetryLater(State state);

    PortResolver resolver_;
    QSerialPort serial_;
    ElmDialogue dialogue_;
    QTimer wait_;
    QTimer pause_;
    QTimer retry_;
    QByteArray reply_;
    QByteArray request_;
    int port_ = 0;
    std::size_t baudIndex_ = 0;
    State state_ = State::Off;
    qint64 rounds_ = 0;
    QElapsedTimer roundClock_;
    bool roundBegins_ = true;
};
