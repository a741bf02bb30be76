// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "sim/VirtualController.h"

#include <poll.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace {

using namespace std::chrono_literals;

// Beyond this many unread bytes nobody is listening: drop them as a real line would, so a
// client that opens the port later starts with fresh frames.
constexpr std::size_t kMaxBacklogBytes = 512;
constexpr std::uint8_t kSingleByte = 0x5A;
constexpr auto kSingleByteCheckInterval = 20ms;
constexpr std::size_t kStdinChunk = 256;
constexpr int kStdinFd = 0;

std::string signalName(int signal) {
    switch (signal) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        case SIGHUP:
            return "SIGHUP";
        default:
            return "signal " + std::to_string(signal);
    }
}

std::string joinValues(const ControllerModel::Parameters& values) {
    std::string text;
    for (std::uint8_t value : values) text += ' ' + std::to_string(value);
    return text;
}

// One decimal, and never "-0.0".
std::string percentText(double percent) {
    constexpr double kTenths = 10;
    const double rounded = std::round(percent * kTenths) / kTenths;
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", rounded == 0 ? 0.0 : rounded);
    return text;
}

}  // namespace

VirtualController::VirtualController(const SimOptions& options, const EventLog& log,
                                     SignalPipe& signals)
    : options_(options),
      log_(log),
      signals_(signals),
      model_(options.parameters, options.sweep),
      engine_(options.engine, options.parameters),
      startedAt_(MonotonicClock::now()),
      pacer_(ControllerModel::kFrameSize, options.gap),
      random_(options.seed) {
    makeLink();
    model_.setEcho(options_.echo);
    if (options_.replayPath) {
        replay_ = std::make_unique<LogReplay>(*options_.replayPath);
        if (const auto& start = replay_->startParameters()) model_ = ControllerModel(*start, {});
        model_.setEcho(options_.echo);
        engine_ = FuelTrimModel(options_.engine, model_.parameters());
    }
    if (options_.obd) {
        const ElmAdapter::Settings adapter{options_.obdDelay, options_.obdDropEvery, options_.seed};
        obd_ = std::make_unique<ObdPort>(adapter, options_.obdLinkNumber);
    }
}

void VirtualController::makeLink() {
    if (!options_.linkNumber) return;
    link_ = std::make_unique<PortLink>(PortLink::userFolder(), *options_.linkNumber,
                                       terminal_.slavePath());
}

int VirtualController::run() {
    log_.line("port " + terminal_.slavePath());
    if (link_) log_.line("link " + link_->path().string());
    if (obd_) logObdPort();
    enterMode(options_.mode);
    while (exitReason_.empty()) {
        serviceTimers();
        if (exitReason_.empty()) waitForEvents();
    }
    shutDown();
    return exitCode_;
}

void VirtualController::enterMode(TransmitMode mode) {
    mode_ = mode;
    singleByte_ = SingleByteState::Idle;
    switch (mode) {
        case TransmitMode::Talk:
            if (replay_) {
                // The log keeps its own time: frames due while silent are not sent.
                pacer_.stop();
                if (!replay_->running() && !replay_->done()) replay_->start(MonotonicClock::now());
                break;
            }
            pacer_.start(MonotonicClock::now());
            break;
        case TransmitMode::Garbage:
            pacer_.start(MonotonicClock::now());
            break;
        case TransmitMode::Silent:
            pacer_.stop();
            break;
        case TransmitMode::SingleByte:
            pacer_.stop();
            singleByte_ = SingleByteState::Waiting;
            sendSingleByte();
            break;
    }
}

void VirtualController::serviceTimers() {
    const MonotonicClock::Time now = MonotonicClock::now();
    if (replay_) sendReplayFrames(now);
    if (pacer_.due(now)) {
        sendSlot();
        pacer_.advance(MonotonicClock::now());
    }
    // After a late wake-up the overdue bytes go at once: a frame never loses one.
    while (!lineQueue_.empty() && now >= nextByteAt_) sendQueuedByte();
    if (singleByte_ == SingleByteState::Waiting && now >= nextSingleByteCheck_) {
        checkSingleByte();
        nextSingleByteCheck_ = now + kSingleByteCheckInterval;
    }
    // Last, so that an answer never holds up a frame.
    if (obd_) sendObdAnswer();
}

std::optional<MonotonicClock::Time> VirtualController::nextDeadline() const {
    std::optional<MonotonicClock::Time> deadline;
    if (pacer_.running()) deadline = pacer_.deadline();
    if (replay_ && replay_->running()) {
        if (!deadline || replay_->deadline() < *deadline) deadline = replay_->deadline();
    }
    if (!lineQueue_.empty() && (!deadline || nextByteAt_ < *deadline)) deadline = nextByteAt_;
    if (singleByte_ == SingleByteState::Waiting) {
        if (!deadline || nextSingleByteCheck_ < *deadline) deadline = nextSingleByteCheck_;
    }
    if (const auto answerDue = obd_ ? obd_->deadline() : std::nullopt) {
        if (!deadline || *answerDue < *deadline) deadline = answerDue;
    }
    return deadline;
}

// ppoll waits to the nanosecond, so bytes 1.04 ms apart keep their pace and
// the pseudo-terminal and stdin are still listened to between them.
void VirtualController::waitForEvents() {
    timespec timeout{};
    const timespec* wait = nullptr;
    if (const auto deadline = nextDeadline()) {
        const auto remaining = std::max(*deadline - MonotonicClock::now(), MonotonicClock::Time(0));
        timeout.tv_sec = static_cast<time_t>(remaining / 1s);
        timeout.tv_nsec = static_cast<long>((remaining % 1s).count());
        wait = &timeout;
    }
    std::array<pollfd, 4> fds = {{
        {signals_.readFd(), POLLIN, 0},
        {terminal_.masterFd(), POLLIN | POLLPRI, 0},
        {stdinOpen_ ? kStdinFd : -1, POLLIN, 0},
        {obd_ ? obd_->masterFd() : -1, POLLIN | POLLPRI, 0},
    }};
    if (::ppoll(fds.data(), fds.size(), wait, nullptr) <= 0) return;
    if (fds[0].revents != 0) {
        if (const int signal = signals_.takeSignal()) exitReason_ = signalName(signal);
        return;
    }
    if (fds[1].revents != 0) readLine();
    if (fds[2].revents != 0 && exitReason_.empty()) readStdin();
    if (fds[3].revents != 0 && exitReason_.empty() && obd_) readObdRequests();
}

void VirtualController::sendSlot() {
    ControllerModel::Frame bytes;
    if (mode_ == TransmitMode::Garbage) {
        std::uniform_int_distribution<int> byteValue(0, UINT8_MAX);
        for (auto& byte : bytes) byte = static_cast<std::uint8_t>(byteValue(random_));
    } else {
        bytes = model_.nextTelemetryFrame();
    }
    transmit(bytes);
}

// Each row is a frame that reports the row's readings; the row's parameter
// is what the controller held for the row's cell then.
void VirtualController::sendReplayFrames(MonotonicClock::Time now) {
    while (const auto row = replay_->takeDue(now)) {
        if (mode_ == TransmitMode::Talk) {
            model_.setParameter(static_cast<std::size_t>(row->cell),
                                static_cast<std::uint8_t>(row->param));
            transmit(model_.nextTelemetryFrame(static_cast<std::uint16_t>(row->petrolRaw),
                                               static_cast<std::uint16_t>(row->lambdaRaw)));
        }
        if (replay_->done()) log_.line("replay done " + std::to_string(replay_->frameCount()));
    }
}

void VirtualController::transmit(const ControllerModel::Frame& bytes) {
    if (terminal_.pendingForClient() > kMaxBacklogBytes) terminal_.discardPendingForClient();
    if (!options_.bytewise) {
        terminal_.write(bytes);
        ++framesSent_;
        return;
    }
    if (lineQueue_.empty()) nextByteAt_ = MonotonicClock::now();
    lineQueue_.insert(lineQueue_.end(), bytes.begin(), bytes.end());
}

// The next byte is due one byte time after this one was, not after it was
// sent, so a late wake-up does not stretch the frame.
void VirtualController::sendQueuedByte() {
    terminal_.write(std::span(lineQueue_.data(), 1));
    lineQueue_.erase(lineQueue_.begin());
    nextByteAt_ += FramePacer::lineTime(1);
    if (lineQueue_.size() % ControllerModel::kFrameSize == 0) ++framesSent_;
}

void VirtualController::sendSingleByte() {
    const std::uint8_t byte = kSingleByte;
    terminal_.write(std::span(&byte, 1));
    singleByteMaybeRead_ = false;
    nextSingleByteCheck_ = MonotonicClock::now() + kSingleByteCheckInterval;
    log_.line("tx single");
}

// The byte counts as read once the line has been empty at two checks in a row with no input
// flush in between; a flush makes the byte go out again.
void VirtualController::checkSingleByte() {
    if (terminal_.pendingForClient() > 0) {
        singleByteMaybeRead_ = false;
    } else if (singleByteMaybeRead_) {
        singleByte_ = SingleByteState::Delivered;
        log_.line("single delivered");
    } else {
        singleByteMaybeRead_ = true;
    }
}

void VirtualController::readLine() {
    const PseudoTerminal::Input input = terminal_.read();
    if (input.failed) {
        std::cerr << "dx470-sim: the pseudo-terminal failed\n";
        exitReason_ = "error";
        exitCode_ = 1;
        return;
    }
    if (input.clientFlushed && singleByte_ == SingleByteState::Waiting) sendSingleByte();
    for (const ReceivedCommand& command : parser_.feed(input.data)) {
        log_.line(model_.apply(command));
    }
}

void VirtualController::readObdRequests() {
    if (obd_->readRequests(MonotonicClock::now())) return;
    std::cerr << "dx470-sim: the OBD pseudo-terminal failed\n";
    exitReason_ = "error";
    exitCode_ = 1;
}

void VirtualController::sendObdAnswer() {
    const MonotonicClock::Time now = MonotonicClock::now();
    const auto due = obd_->deadline();
    if (due && now >= *due) obd_->sendDueAnswer(now, ecuReadings());
}

// While the controller is silent or unplugged the engine is taken to be off.
EcuReadings VirtualController::ecuReadings() const {
    const bool running =
        terminal_.isOpen() && (mode_ == TransmitMode::Talk || mode_ == TransmitMode::Garbage);
    const std::uint16_t petrol = running ? model_.petrolNow() : 0;
    return engine_.readings(petrol, model_.parameters(), MonotonicClock::now() - startedAt_);
}

void VirtualController::logObdPort() {
    log_.line("obd " + obd_->slavePath());
    if (const PortLink* link = obd_->link()) log_.line("obd-link " + link->path().string());
}

void VirtualController::readStdin() {
    std::array<char, kStdinChunk> buffer;
    const ssize_t count = ::read(kStdinFd, buffer.data(), buffer.size());
    if (count < 0 && errno == EINTR) return;
    if (count > 0) {
        for (const std::string& line : stdinLines_.feed({buffer.data(), std::size_t(count)})) {
            if (exitReason_.empty()) runCommand(line);
        }
        return;
    }
    // End of input (or no stdin at all) only stops listening to it.
    stdinOpen_ = false;
    if (const std::string rest = stdinLines_.finish(); !rest.empty()) runCommand(rest);
}

void VirtualController::runCommand(const std::string& line) {
    const RuntimeCommand command = RuntimeCommand::parse(line);
    using Kind = RuntimeCommand::Kind;
    switch (command.kind) {
        case Kind::None:
            return;
        case Kind::Talk:
            enterMode(TransmitMode::Talk);
            break;
        case Kind::Silent:
            enterMode(TransmitMode::Silent);
            break;
        case Kind::Garbage:
            enterMode(TransmitMode::Garbage);
            break;
        case Kind::Echo:
        case Kind::NoEcho:
            model_.setEcho(command.kind == Kind::Echo);
            log_.line(model_.echo() ? "mode echo" : "mode noecho");
            return;
        case Kind::Set:
            model_.setParameter(command.index, command.value);
            log_.line("param " + std::to_string(command.index) + ' ' +
                      std::to_string(command.value));
            return;
        case Kind::Swap:
            model_.swapController(command.parameters);
            log_.line("swapped" + joinValues(model_.parameters()));
            return;
        case Kind::Restart:
            model_.restart();
            log_.line("restarted" + joinValues(model_.parameters()));
            return;
        case Kind::Dump:
            dumpParameters();
            return;
        case Kind::Count:
            log_.line("sent " + std::to_string(framesSent_));
            return;
        case Kind::Hangup:
            terminal_.close();
            exitReason_ = "hangup";
            return;
        case Kind::Unplug:
            unplug();
            return;
        case Kind::Plug:
            plug();
            return;
        case Kind::Quit:
            exitReason_ = "quit";
            return;
        case Kind::SetFuel:
            engine_.setFuel(command.fuel);
            log_.line("fuel " + std::string(engineFuelName(command.fuel)));
            return;
        case Kind::HoldPetrol:
            model_.holdPetrol(command.petrol);
            log_.line("petrol " + std::to_string(command.petrol));
            return;
        case Kind::ObdTalk:
        case Kind::ObdNoData:
        case Kind::ObdGarbage:
        case Kind::ObdUnplug:
        case Kind::ObdPlug:
        case Kind::ObdCount:
            runObdCommand(command.kind);
            return;
        case Kind::Trims:
            printTrims();
            return;
        case Kind::Invalid:
            std::cerr << "dx470-sim: unknown command '" << line << "'\n";
            return;
    }
    log_.line("mode " + std::string(transmitModeName(mode_)));
}

void VirtualController::runObdCommand(RuntimeCommand::Kind kind) {
    using Kind = RuntimeCommand::Kind;
    if (!obd_) {
        std::cerr << "dx470-sim: no OBD adapter (start with --obd)\n";
        return;
    }
    ElmAdapter& adapter = obd_->adapter();
    switch (kind) {
        case Kind::ObdTalk:
            adapter.setBehaviour(ElmAdapter::Behaviour::Talk);
            log_.line("obd talk");
            return;
        case Kind::ObdNoData:
            adapter.setBehaviour(ElmAdapter::Behaviour::NoData);
            log_.line("obd nodata");
            return;
        case Kind::ObdGarbage:
            adapter.setBehaviour(ElmAdapter::Behaviour::Garbage);
            log_.line("obd garbage");
            return;
        case Kind::ObdUnplug:
            if (obd_->unplug()) log_.line("obd unplugged");
            return;
        case Kind::ObdPlug:
            if (!obd_->plug()) return;
            log_.line("obd plugged");
            logObdPort();
            return;
        case Kind::ObdCount:
            log_.line("obd requests " + std::to_string(adapter.mode01Requests()) + " answered " +
                      std::to_string(adapter.mode01Answered()));
            return;
        default:
            return;
    }
}

void VirtualController::printTrims() {
    std::string line = "trims";
    for (std::size_t cell = 0; cell < EngineMixture::kCells; ++cell) {
        line += ' ' + percentText(engine_.gasTrimAtMiddle(cell, model_.parameters()));
    }
    log_.line(line);
}

void VirtualController::dumpParameters() {
    log_.line("params" + joinValues(model_.parameters()));
    log_.line("stored" + joinValues(model_.storedParameters()));
}

// As a cable pulled out: the device and its link go away, the controller
// itself runs on and keeps its parameters.
void VirtualController::unplug() {
    if (!terminal_.isOpen()) return;
    replugged_ = std::make_unique<PseudoTerminal>();
    terminal_.close();
    link_.reset();
    lineQueue_.clear();
    log_.line("unplugged");
}

// Plugged in again: a new pseudo-terminal, as a replugged adapter comes back
// under a new device name, and the link moved to it.
void VirtualController::plug() {
    if (!replugged_) return;
    terminal_ = std::move(*replugged_);
    replugged_.reset();
    makeLink();
    log_.line("port " + terminal_.slavePath());
    if (link_) log_.line("link " + link_->path().string());
}

// The link goes before the last line, so a reader that sees "exit" finds it gone.
void VirtualController::shutDown() {
    terminal_.close();
    link_.reset();
    obd_.reset();
    log_.line("exit " + exitReason_);
}
