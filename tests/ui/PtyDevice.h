// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <array>
#include <cstdint>
#include <vector>

#include "tests/support/PtyPair.h"

// The controller's side of a pseudo-terminal, for window tests that need
// exact control of the telemetry: streams frames for the indices 0..15 in
// turn with the parameters it holds, applies set-parameter frames with a
// valid checksum, and keeps every command frame it received with its time.
class PtyDevice : public QObject {
    Q_OBJECT

public:
    using Frame = std::array<std::uint8_t, 6>;

    explicit PtyDevice(PtyPair& pty);

    std::array<std::uint8_t, 16> params{};
    std::uint16_t petrolRaw = 0x0A3C;
    std::uint16_t lambdaRaw = 0x5A00;
    // Apply set-parameter frames (the echo of the new value follows).
    bool applyCommands = true;

    void StartTalking(int periodMs = 15);
    void StopTalking();

    std::vector<Frame> received;
    // Milliseconds of clock at which each frame in received arrived.
    std::vector<qint64> receivedAt;
    QElapsedTimer clock;

    static Frame SetFrame(int index, int value);
    static constexpr Frame kStoreFrame{0xAB, 0x02, 0x48, 0x07, 0x1A, 0x16};

private:
    void SendNextFrame();
    void ReadCommands();

    PtyPair& pty_;
    QTimer timer_;
    QSocketNotifier notifier_;
    std::vector<std::uint8_t> pending_;
    int nextIndex_ = 0;
};
