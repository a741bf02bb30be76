// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "session/ReplayPlayer.h"

#include <utility>

namespace {
constexpr std::int64_t kNsPerUs = 1000;
}  // namespace

ReplayPlayer::ReplayPlayer(std::vector<SessionFrame> frames, const SkippedRows& skipped,
                           QObject* parent)
    : QObject(parent), cursor_(std::move(frames)), skipped_(skipped) {
    tick_.setInterval(kTickMs);
    connect(&tick_, &QTimer::timeout, this, &ReplayPlayer::Tick);
}

std::int64_t ReplayPlayer::Position() const {
    if (speed_ == kPaused) return anchorUs_;
    const std::int64_t played = clock_.nsecsElapsed() / kNsPerUs * speed_;
    // Compared before adding: a log's times may reach the end of 64 bits.
    const std::int64_t left = cursor_.Duration() - anchorUs_;
    return played >= left ? cursor_.Duration() : anchorUs_ + played;
}

void ReplayPlayer::SetSpeed(int speed) {
    anchorUs_ = Position();
    if (speed != kPaused && cursor_.AtEnd()) SeekTo(0);
    speed_ = speed;
    clock_.start();
    if (speed == kPaused) {
        tick_.stop();
    } else {
        tick_.start();
    }
    emit speedChanged(speed);
}

void ReplayPlayer::SeekTo(std::int64_t positionUs) {
    const SessionFrame& frame = cursor_.SeekTo(positionUs);
    anchorUs_ = cursor_.Position();
    clock_.start();
    emit frameDue(frame);
    emit positionChanged(anchorUs_);
}

void ReplayPlayer::Tick() {
    const std::int64_t position = Position();
    for (const SessionFrame& frame : cursor_.AdvanceTo(position)) emit frameDue(frame);
    emit positionChanged(position);
    if (cursor_.AtEnd()) SetSpeed(kPaused);
}
