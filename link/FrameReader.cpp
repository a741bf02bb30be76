// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "link/FrameReader.h"

void FrameReader::PhaseRecord::Restart() {
    indicesSeen = 0;
    agreements = 0;
}

// A cut of the stream that names an index above 15 is no cut into frames; one
// whose index reports a value other than last time starts its count again.
void FrameReader::PhaseRecord::Observe(const TelemetryFrame& frame) {
    const int index = frame[0];
    if (index > kHighestIndex) {
        Restart();
        return;
    }
    const auto bit = static_cast<std::uint16_t>(1u << index);
    if ((indicesSeen & bit) != 0) {
        if (values[index] == frame[5]) {
            ++agreements;
        } else {
            Restart();
        }
    }
    indicesSeen = static_cast<std::uint16_t>(indicesSeen | bit);
    values[index] = frame[5];
}

// Every index seen and at least one of them reported twice alike: a stream of
// constant bytes can look like frames with one index, but not with sixteen.
bool FrameReader::PhaseRecord::Convincing() const {
    return indicesSeen == kAllIndicesSeen && agreements > 0;
}

void FrameReader::Reset(Micros now) {
    // The last bytes of the stream before will never complete a frame.
    DiscardBefore(position_);
    settled_ = 0;
    recent_ = {};
    position_ = 0;
    lastArrival_ = now;
    for (PhaseRecord& record : phases_) record.Restart();
    LoseBoundary();
}

std::vector<TelemetryFrame> FrameReader::Feed(std::span<const std::uint8_t> bytes, Micros arrival) {
    std::vector<TelemetryFrame> frames;
    if (bytes.empty()) return frames;
    // The bytes of this read took their own time on the line; what is left
    // of the time since the last read, the line was idle.
    const Micros idle = arrival - lastArrival_ - static_cast<Micros>(bytes.size()) * kByteTimeUs;
    if (idle >= kPauseUs) MarkPause();
    lastArrival_ = arrival;
    for (const std::uint8_t byte : bytes) TakeByte(byte, frames);
    return frames;
}

void FrameReader::MarkPause() {
    if (lockedOnContent_) return;
    boundary_ = static_cast<int>(position_ % kPhases);
    boundaryFrom_ = position_;
}

void FrameReader::TakeByte(std::uint8_t byte, std::vector<TelemetryFrame>& frames) {
    recent_[position_ % kFrameSize] = byte;
    ++position_;
    if (position_ < kFrameSize) return;
    const std::uint64_t start = position_ - kFrameSize;
    TelemetryFrame frame{};
    for (std::size_t i = 0; i < kFrameSize; ++i) frame[i] = recent_[(start + i) % kFrameSize];
    const int phase = static_cast<int>(start % kPhases);
    phases_[phase].Observe(frame);
    ChooseBoundary(phase, start);
    if (boundary_ != phase || start < boundaryFrom_) {
        // Any later frame begins after this one's first byte.
        DiscardBefore(start + 1);
        return;
    }
    DiscardBefore(start);
    settled_ = position_;
    frames.push_back(frame);
    if (lockedOnContent_ && frame[0] > kHighestIndex) LoseBoundary();
}

// A lock on the content holds while its cut stays convincing, and also while
// a changed parameter value restarts its count, as long as no other cut
// convinces instead (bytes lost on the line shift the cut).
void FrameReader::ChooseBoundary(int observedPhase, std::uint64_t frameStart) {
    if (lockedOnContent_ && phases_[*boundary_].Convincing()) return;
    int convincing = 0;
    int only = 0;
    for (int phase = 0; phase < kPhases; ++phase) {
        if (!phases_[phase].Convincing()) continue;
        ++convincing;
        only = phase;
    }
    if (convincing != 1 || (lockedOnContent_ && only == *boundary_)) return;
    // The frame that convinced is itself the first one handed out; a cut that
    // was convincing already goes on from its next frame.
    const std::uint64_t from = only == observedPhase ? frameStart : position_ + 1 - kFrameSize;
    boundary_ = only;
    boundaryFrom_ = from;
    lockedOnContent_ = true;
}

void FrameReader::DiscardBefore(std::uint64_t position) {
    if (position <= settled_) return;
    discarded_ += position - settled_;
    settled_ = position;
}

void FrameReader::LoseBoundary() {
    boundary_.reset();
    boundaryFrom_ = 0;
    lockedOnContent_ = false;
}
