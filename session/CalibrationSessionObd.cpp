// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The calibration's second link, to the petrol ECU over an OBD adapter: its
// port, the readings it brings to the frames, the fuel, the trims per cell.
#include "link/ControllerLink.h"
#include "obd/ObdLink.h"
#include "obd/ObdPortMemory.h"
#include "ports/AdapterMemory.h"
#include "ports/SerialChannel.h"
#include "ports/core/PortDirectory.h"
#include "session/CalibrationSession.h"
#include "session/ReplayPlayer.h"
#include "session/SessionLogger.h"

namespace {
constexpr int kPetrolValue = 0;
constexpr int kGasValue = 1;

SessionEvent FuelEvent(Fuel fuel) {
    return {.kind = SessionEvent::Kind::FuelChanged,
            .value = fuel == Fuel::Petrol ? kPetrolValue : kGasValue};
}
}  // namespace

std::vector<std::pair<std::int64_t, Fuel>> FuelChangesOf(
    const std::vector<SessionFrame>& frames,
    const std::vector<std::pair<std::size_t, SessionEvent>>& events) {
    std::vector<std::pair<std::int64_t, Fuel>> changes;
    for (const auto& [before, event] : events) {
        if (event.kind != SessionEvent::Kind::FuelChanged || before >= frames.size()) continue;
        changes.emplace_back(frames[before].timeUs,
                             event.value == kPetrolValue ? Fuel::Petrol : Fuel::Gas);
    }
    return changes;
}

void CalibrationSession::CreateObd(bool remembers) {
    obd_ = std::make_unique<ObdLink>(directory_->Resolver());
    obdMemory_ =
        std::make_unique<ObdPortMemory>(remembers ? AdapterMemory::DefaultFile() : QString());
    connect(obd_.get(), &ObdLink::readingsReceived, this, &CalibrationSession::OnObdReadings);
    connect(obd_.get(), &ObdLink::stateChanged, this, &CalibrationSession::obdStateChanged);
}

void CalibrationSession::StartRememberedObd() {
    const int port = obdMemory_->Load().value_or(0);
    if (port == 0) return;
    obdPort_ = port;
    logger_->SetObdColumns(true, link_->Panel());
    obd_->SetPort(port);
    emit obdPortMarked(port);
}

bool CalibrationSession::ControllerHolds(int port) const {
    if (channel_->IsOpen() && channel_->PortNumber() == port) return true;
    return choice_.kind == PortChoice::Kind::Port && choice_.port == port;
}

CalibrationSession::ObdPortOutcome CalibrationSession::SetObdPort(int port) {
    if (port != 0 && ControllerHolds(port)) return ObdPortOutcome::ControllersPort;
    obdPort_ = port;
    pendingObd_.reset();
    logger_->SetObdColumns(port != 0, link_->Panel());
    obd_->SetPort(port);
    if (const auto refusal = obdMemory_->Save(port)) emit settingsNotSaved(*refusal);
    emit obdPortMarked(port);
    return ObdPortOutcome::Set;
}

void CalibrationSession::SetFuel(Fuel fuel) {
    if (fuel == liveFuel_) return;
    liveFuel_ = fuel;
    NoteEvent(FuelEvent(fuel));
    emit fuelMarked(fuel);
}

// The last change at or before the frame; before the first, the fuel the
// log began with is not known and the user's stands.
void CalibrationSession::FollowReplayedFuel(std::int64_t timeUs) {
    Fuel fuel = liveFuel_;
    for (const auto& [fromUs, changed] : replayFuels_) {
        if (fromUs > timeUs) break;
        fuel = changed;
    }
    if (fuel == trims_.CurrentFuel()) return;
    const SessionEvent event = FuelEvent(fuel);
    trims_.AddEvent(event);
    emit eventNoted(event);
}

void CalibrationSession::RestoreLiveFuel() {
    replayFuels_.clear();
    if (trims_.CurrentFuel() != liveFuel_) trims_.AddEvent(FuelEvent(liveFuel_));
}

// While a replay holds the display its frames carry their own readings; the
// live ones are not shown then.
void CalibrationSession::OnObdReadings(const ObdReadings& readings) {
    if (Replaying()) return;
    pendingObd_ = readings;
}

// Only while the trims can come: with no adapter and no replay they cost
// nothing.
void CalibrationSession::CountTrims(const SessionFrame& frame) {
    if (obdPort_.load() != 0 || Replaying()) trims_.AddFrame(frame);
}
