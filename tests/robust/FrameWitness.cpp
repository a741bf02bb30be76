// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "tests/robust/FrameWitness.h"

#include <sstream>

#include "tests/robust/ByteRelay.h"

namespace {
constexpr std::size_t kFixedZeroEntry = 16;
constexpr int kHighestIndex = 15;
constexpr std::size_t kFrameBytes = 6;
constexpr int kMaxReported = 10;

// The fields a receive event may touch, all equal.
bool ReceiveFieldsEqual(const LinkSnapshot& a, const LinkSnapshot& b) {
    return a.deviceParams == b.deviceParams && a.receivedMask == b.receivedMask &&
           a.silenceTicks == b.silenceTicks && a.cellIndex == b.cellIndex &&
           a.petrolRaw == b.petrolRaw && a.lambdaRaw == b.lambdaRaw && a.gasTimeUs == b.gasTimeUs &&
           a.lambdaBand == b.lambdaBand && a.linkUp == b.linkUp;
}

// The record that storing this frame turns `before` into, live values aside.
LinkSnapshot Stored(LinkSnapshot before, const std::uint8_t* frame) {
    const int index = frame[0];
    before.deviceParams[index] = frame[5];
    before.receivedMask = static_cast<std::uint16_t>(before.receivedMask | (1u << index));
    before.silenceTicks = 0;
    before.cellIndex = frame[1] & 0x0F;
    before.petrolRaw = frame[1] * 256 + frame[2];
    before.lambdaRaw = frame[3] * 256 + frame[4];
    return before;
}

bool StoredFieldsEqual(const LinkSnapshot& a, const LinkSnapshot& b) {
    return a.deviceParams == b.deviceParams && a.receivedMask == b.receivedMask &&
           a.silenceTicks == b.silenceTicks && a.cellIndex == b.cellIndex &&
           a.petrolRaw == b.petrolRaw && a.lambdaRaw == b.lambdaRaw;
}

int ChangedEntries(const LinkSnapshot& a, const LinkSnapshot& b, int* changed) {
    int count = 0;
    for (std::size_t i = 0; i < a.deviceParams.size(); ++i) {
        if (a.deviceParams[i] != b.deviceParams[i]) {
            ++count;
            *changed = static_cast<int>(i);
        }
    }
    return count;
}
}  // namespace

FrameWitness::FrameWitness(const ByteRelay& relay, const LinkState& state)
    : relay_(relay), state_(state), last_(TakeSnapshot(state)) {}

// One read may complete several frames, back to back on the line; those with
// an index above 15 among them change nothing.
std::optional<FrameWitness::LineFrames> FrameWitness::FindFramesOnLine(
    const LinkSnapshot& now) const {
    const std::vector<std::uint8_t> line = relay_.ForwardedFrom(lineCursor_);
    for (std::size_t first = 0; first + kFrameBytes <= line.size(); ++first) {
        if (line[first] > kHighestIndex) continue;
        LinkSnapshot record = last_;
        std::uint16_t indices = 0;
        for (std::size_t at = first; at + kFrameBytes <= line.size(); at += kFrameBytes) {
            if (line[at] > kHighestIndex) continue;
            record = Stored(record, &line[at]);
            indices = static_cast<std::uint16_t>(indices | (1u << line[at]));
            if (StoredFieldsEqual(record, now)) return LineFrames{at + kFrameBytes, indices};
        }
    }
    return std::nullopt;
}

void FrameWitness::AfterReceive() {
    const LinkSnapshot now = TakeSnapshot(state_);
    if (ReceiveFieldsEqual(now, last_)) {
        ++unchanged_;
    } else if (const auto frames = FindFramesOnLine(now)) {
        ++accepted_;
        lineCursor_ += frames->end;
        indicesOnLine_ |= frames->indices;
    } else {
        Report(QStringLiteral("a receive event changed the record with no such frame on the line"),
               now);
    }
    if (now.receivedMask != kAllIndicesSeen && now.gasTimeUs != last_.gasTimeUs) {
        Report(QStringLiteral("live values computed before all sixteen indices were seen"), now);
    }
    if (now.deviceParams[kFixedZeroEntry] != 0) Report(QStringLiteral("entry 16 written"), now);
    last_ = now;
}

void FrameWitness::AfterSendTick(const PanelParams& panel) {
    const LinkSnapshot now = TakeSnapshot(state_);
    int index = -1;
    const int changes = ChangedEntries(last_, now, &index);
    if (changes > 1) {
        Report(QStringLiteral("a send tick changed %1 parameters").arg(changes), now);
    } else if (changes == 1) {
        ++sent_;
        if (index > kHighestIndex || now.deviceParams[index] != (panel[index] & 0xFF)) {
            Report(QStringLiteral("a send tick wrote %1 into entry %2, not the panel value")
                       .arg(now.deviceParams[index])
                       .arg(index),
                   now);
        }
    }
    last_ = now;
}

void FrameWitness::AfterSupervisionTick() {
    const LinkSnapshot now = TakeSnapshot(state_);
    if (now.deviceParams != last_.deviceParams) {
        Report(QStringLiteral("a supervision tick changed the parameters"), now);
    }
    if (now.linkUp && !last_.linkUp) {
        ++linkUps_;
        if (indicesOnLine_ != kAllIndicesSeen) {
            Report(QStringLiteral("link declared up with indices 0x%1 on the line")
                       .arg(indicesOnLine_, 4, 16, QLatin1Char('0')),
                   now);
        }
    }
    if (now.receivedMask == 0) indicesOnLine_ = 0;
    last_ = now;
}

void FrameWitness::Report(const QString& what, const LinkSnapshot& now) {
    if (violations_.size() >= kMaxReported) return;
    std::ostringstream states;
    states << "\n  before " << last_ << "\n  after  " << now;
    violations_ << what + QString::fromStdString(states.str());
}
