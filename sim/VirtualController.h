// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <memory>
#include <optional>
#include <random>
#include <string>

#include "sim/CommandParser.h"
#include "sim/ControllerModel.h"
#include "sim/EventLog.h"
#include "sim/FramePacer.h"
#include "sim/FuelTrimModel.h"
#include "sim/LineBuffer.h"
#include "sim/LogReplay.h"
#include "sim/MonotonicClock.h"
#include "sim/ObdPort.h"
#include "sim/PortLink.h"
#include "sim/PseudoTerminal.h"
#include "sim/RuntimeCommand.h"
#include "sim/SignalPipe.h"
#include "sim/SimOptions.h"

// dx470-sim's single-threaded event loop: one poll() over the signal pipe, the master side of
// the pseudo-terminal, the OBD adapter's with --obd, and stdin, woken at the frame deadlines
// while there is something to send and when the adapter's answer is due.
class VirtualController {
public:
    // Opens the pseudo-terminal and makes the link; throws on failure.
    VirtualController(const SimOptions& options, const EventLog& log, SignalPipe& signals);

    // Runs until quit, hangup or a signal; returns the exit code.
    int run();

private:
    enum class SingleByteState { Idle, Waiting, Delivered };

    void enterMode(TransmitMode mode);
    void serviceTimers();
    void waitForEvents();
    std::optional<MonotonicClock::Time> nextDeadline() const;

    void sendSlot();
    void sendReplayFrames(MonotonicClock::Time now);
    void transmit(const ControllerModel::Frame& bytes);
    void sendQueuedByte();
    void sendSingleByte();
    void checkSingleByte();

    void readLine();
    void readObdRequests();
    void sendObdAnswer();
    EcuReadings ecuReadings() const;
    void logObdPort();
    void runObdCommand(RuntimeCommand::Kind kind);
    void printTrims();
    void readStdin();
    void runCommand(const std::string& line);
    void dumpParameters();
    void unplug();
    void plug();
    void makeLink();
    void shutDown();

    SimOptions options_;
    const EventLog& log_;
    SignalPipe& signals_;
    PseudoTerminal terminal_;
    // Made at "unplug" and taken at "plug": made while the old one is still
    // open, it never gets the old one's name.
    std::unique_ptr<PseudoTerminal> replugged_;
    std::unique_ptr<PortLink> link_;
    ControllerModel model_;
    // With --obd; the engine behind it runs from the start either way.
    std::unique_ptr<ObdPort> obd_;
    FuelTrimModel engine_;
    MonotonicClock::Time startedAt_;
    CommandParser parser_;
    FramePacer pacer_;
    // With --replay, the log's frames take the place of the sweep.
    std::unique_ptr<LogReplay> replay_;
    LineBuffer stdinLines_;
    std::mt19937 random_;
    // Bytes of the frame under way with --bytewise, and when the next is due.
    std::vector<std::uint8_t> lineQueue_;
    MonotonicClock::Time nextByteAt_{0};
    // Frames (or groups of garbage) whose last byte has gone out.
    long framesSent_ = 0;
    TransmitMode mode_ = TransmitMode::Talk;
    SingleByteState singleByte_ = SingleByteState::Idle;
    bool singleByteMaybeRead_ = false;
    MonotonicClock::Time nextSingleByteCheck_{0};
    bool stdinOpen_ = true;
    std::string exitReason_;
    int exitCode_ = 0;
};
