// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "link/Telemetry.h"

// Finds the telemetry frames in the byte stream from the controller. Frames
// carry no start marker, so a frame boundary comes from one of two things:
//  - a pause on the line: the first byte after a pause starts a frame;
//  - the content: of the six ways to cut a gapless stream into frames, the one
//    whose index byte runs through all sixteen indices while every index keeps
//    reporting one value. Reading one byte late would take the petrol time's
//    high byte (0..15 below 16.4 ms) for the index and the next frame's index
//    for the value, so that cut is rejected by its disagreeing reports.
// A boundary found from the content outranks a pause (a late read can look
// like a pause) and is given up on the first frame whose index is above 15.
// Until a boundary is known no frame is handed out: a frame read across two
// frames' bytes could put a value nobody chose into the panel.
class FrameReader {
public:
    using Micros = std::int64_t;

    // One byte on a 9600-baud line: start bit, eight data bits, stop bit
    // (1.04 ms).
    static constexpr Micros kBaud = 9'600;
    static constexpr Micros kBitsPerByte = 10;
    static constexpr Micros kByteTimeUs = (kBitsPerByte * 1'000'000 + kBaud / 2) / kBaud;
    // A line idle this long between bytes has ended a frame; frames follow one
    // another without a pause or with one of 5 ms and more.
    static constexpr Micros kPauseUs = 3000;

    // Forgets the stream: the port was opened or closed at `now`.
    void Reset(Micros now);

    // Takes bytes that were read together at `arrival` and returns the frames
    // they complete, in order.
    std::vector<TelemetryFrame> Feed(std::span<const std::uint8_t> bytes, Micros arrival);

    // Whether the boundary is known from the content of the stream.
    bool LockedOnContent() const { return lockedOnContent_; }
    // Whether frames are being handed out at all.
    bool HasBoundary() const { return boundary_.has_value(); }
    // Bytes taken since the reader was made that no frame handed out has
    // taken or can still take, for the link's health figures.
    std::uint64_t DiscardedBytes() const { return discarded_; }

private:
    static constexpr int kPhases = 6;

    // What one way of cutting the stream has read since it last went wrong.
    struct PhaseRecord {
        std::uint16_t indicesSeen = 0;
        std::array<std::uint8_t, kParamCount> values{};
        int agreements = 0;

        void Restart();
        void Observe(const TelemetryFrame& frame);
        bool Convincing() const;
    };

    void TakeByte(std::uint8_t byte, std::vector<TelemetryFrame>& frames);
    void MarkPause();
    void ChooseBoundary(int observedPhase, std::uint64_t frameStart);
    void LoseBoundary();
    void DiscardBefore(std::uint64_t position);

    std::array<std::uint8_t, kFrameSize> recent_{};
    std::uint64_t position_ = 0;
    Micros lastArrival_ = 0;
    std::array<PhaseRecord, kPhases> phases_{};
    std::optional<int> boundary_;
    std::uint64_t boundaryFrom_ = 0;
    bool lockedOnContent_ = false;
    // Every byte before this position is in a frame handed out or discarded.
    std::uint64_t settled_ = 0;
    std::uint64_t discarded_ = 0;
};
