// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "obd/ObdLink.h"

#include <QFileInfo>
#include <algorithm>
#include <utility>

#include "link/TickCount.h"
#include "ports/OpenFailureHint.h"

namespace {
constexpr char kPrompt = '>';
constexpr char kEndOfRequest = '\r';

ObdLink::State StateOf(ElmDialogue::Condition condition) {
    switch (condition) {
        case ElmDialogue::Condition::Starting:
            return ObdLink::State::Starting;
        case ElmDialogue::Condition::NoAdapter:
            return ObdLink::State::NoAdapter;
        case ElmDialogue::Condition::Reading:
            return ObdLink::State::Reading;
        case ElmDialogue::Condition::NoData:
            return ObdLink::State::NoData;
        case ElmDialogue::Condition::BusFault:
            return ObdLink::State::BusFault;
        case ElmDialogue::Condition::Garbled:
            return ObdLink::State::Garbled;
    }
    return ObdLink::State::Starting;
}
}  // namespace

ObdLink::ObdLink(PortResolver resolver, QObject* parent)
    : QObject(parent), resolver_(std::move(resolver)) {
    for (QTimer* timer : {&wait_, &pause_, &retry_}) timer->setSingleShot(true);
    connect(&wait_, &QTimer::timeout, this, &ObdLink::OnSilence);
    connect(&pause_, &QTimer::timeout, this, &ObdLink::WriteRequest);
    connect(&retry_, &QTimer::timeout, this, &ObdLink::Open);
    connect(&serial_, &QSerialPort::readyRead, this, &ObdLink::OnReadyRead);
    connect(&serial_, &QSerialPort::errorOccurred, this, &ObdLink::OnError);
}

ObdLink::~ObdLink() {
    Close();
}

void ObdLink::SetPort(int port) {
    Close();
    port_ = port;
    rounds_ = 0;
    if (port_ == 0) {
        SetState(State::Off);
        return;
    }
    Open();
}

void ObdLink::Close() {
    for (QTimer* timer : {&wait_, &pause_, &retry_}) timer->stop();
    if (serial_.isOpen()) serial_.close();
    reply_.clear();
}

void ObdLink::Open() {
    Close();
    if (port_ == 0) return;
    const QString device = QString::fromStdString(resolver_(port_));
    if (device.isEmpty() || !QFileInfo::exists(device)) return RetryLater(State::Absent);
    serial_.setPortName(device);
    if (!serial_.open(QIODevice::ReadWrite)) {
        const auto hint = HintForOpenFailure(serial_.error(), UserMayReadWrite(device));
        return RetryLater(hint == OpenFailureHint::JoinDialout ? State::Denied : State::Busy);
    }
    serial_.setDataBits(QSerialPort::Data8);
    serial_.setParity(QSerialPort::NoParity);
    serial_.setStopBits(QSerialPort::OneStop);
    serial_.setFlowControl(QSerialPort::NoFlowControl);
    baudIndex_ = 0;
    StartAtBaud();
}

void ObdLink::StartAtBaud() {
    serial_.setBaudRate(kBauds[baudIndex_]);
    serial_.clear(QSerialPort::Input);
    reply_.clear();
    SetState(State::Starting);
    Send(dialogue_.Start());
}

void ObdLink::Send(const ElmDialogue::Request& request) {
    request_ = QByteArray::fromStdString(request.text) + kEndOfRequest;
    wait_.setInterval(static_cast<int>(request.wait.count()));
    if (request.pause.count() > 0) {
        pause_.start(static_cast<int>(request.pause.count()));
    } else {
        WriteRequest();
    }
}

void ObdLink::WriteRequest() {
    if (std::exchange(roundBegins_, false)) roundClock_.start();
    reply_.clear();
    serial_.write(request_);
    wait_.start();
}

void ObdLink::OnReadyRead() {
    reply_ += serial_.readAll();
    const qsizetype prompt = reply_.indexOf(kPrompt);
    if (prompt < 0) {
        // A stream without prompts is no adapter: keep only its tail.
        if (reply_.size() > kLongestReply) reply_ = reply_.right(kLongestReply);
        return;
    }
    // An answer that comes while a pause runs is a late one: the request it
    // answers has been given up already.
    if (!wait_.isActive() || pause_.isActive()) {
        reply_.clear();
        return;
    }
    wait_.stop();
    const std::string text = reply_.left(prompt).toStdString();
    reply_.clear();
    Take(dialogue_.OnReply(text));
}

void ObdLink::OnSilence() {
    Take(dialogue_.OnSilence());
}

void ObdLink::Take(const ElmDialogue::Step& step) {
    if (step.round) {
        ++rounds_;
        emit readingsReceived(*step.round, SteadyMicros());
    }
    if (step.next) {
        SetState(StateOf(dialogue_.GetCondition()));
        Send(step.round ? PacedRound(*step.next) : *step.next);
        return;
    }
    // Nothing answers at this speed: the next one, and after the last, all
    // of them again a little later.
    if (++baudIndex_ < kBauds.size()) {
        StartAtBaud();
        return;
    }
    Close();
    RetryLater(State::NoAdapter);
}

// The trims change over seconds, and a quick adapter asked flat out would
// wake the program hundreds of times a second: the next round waits until
// the last began a round's time ago.
ElmDialogue::Request ObdLink::PacedRound(ElmDialogue::Request first) {
    roundBegins_ = true;
    if (roundClock_.isValid() && first.pause.count() == 0) {
        const auto since = std::chrono::milliseconds(roundClock_.elapsed());
        first.pause = std::max(kShortestRound - since, std::chrono::milliseconds::zero());
    }
    return first;
}

void ObdLink::OnError(QSerialPort::SerialPortError error) {
    if (error != QSerialPort::ResourceError) return;
    // Unplugged, or the Bluetooth link dropped: tried again until it is back.
    RetryLater(State::Lost);
}

void ObdLink::RetryLater(State state) {
    for (QTimer* timer : {&wait_, &pause_}) timer->stop();
    if (serial_.isOpen()) serial_.close();
    SetState(state);
    retry_.start(kRetryMs);
}

void ObdLink::SetState(State state) {
    if (state == state_) return;
    state_ = state;
    emit stateChanged();
}
