// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// Feeds arbitrary bytes to the session log reader and checks what it must
// always do: read the same whether the text comes whole or in pieces, give
// only frames in range and in time order, and give frames that, written
// back, read back the same with nothing skipped.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "log/LogFormat.h"
#include "log/LogReader.h"

namespace {

constexpr std::size_t kPieceSizes = 61;

void Require(bool condition) {
    if (!condition) std::abort();
}

ParsedLog ReadInPieces(std::string_view text, std::size_t pieceBytes) {
    LogReader reader;
    for (std::size_t at = 0; at < text.size(); at += pieceBytes) {
        reader.Read(text.substr(at, pieceBytes));
    }
    return reader.Finish();
}

void RequireSame(const ParsedLog& a, const ParsedLog& b) {
    Require(a.recognised == b.recognised);
    Require(a.withObd == b.withObd);
    Require(a.frames == b.frames);
    Require(a.events == b.events);
    Require(a.skipped == b.skipped);
}

void CheckFrames(const ParsedLog& log) {
    std::int64_t lastTime = 0;
    for (const SessionFrame& frame : log.frames) {
        Require(frame.timeUs >= lastTime);
        lastTime = frame.timeUs;
        Require(frame.cell >= 0 && frame.cell <= 15);
        Require(frame.petrolRaw >= 0 && frame.petrolRaw <= 65535);
        Require(frame.lambdaRaw >= 0 && frame.lambdaRaw <= 65535);
        Require(frame.gasTimeUs >= 0);
        Require(frame.param >= 0 && frame.param <= 255);
        Require(frame.mark >= 0);
    }
    for (const auto& [framesBefore, event] : log.events) Require(framesBefore <= log.frames.size());
}

void CheckWrittenBack(const ParsedLog& log) {
    if (!log.recognised) return;
    std::string text = LogHeader(log.withObd);
    for (const SessionFrame& frame : log.frames) AppendFrameRow(text, frame, log.withObd);
    const ParsedLog again = ParseLog(text);
    Require(again.recognised && again.withObd == log.withObd);
    Require(again.frames == log.frames);
    Require(again.skipped.Total() == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ParsedLog log = ParseLog(text);
    RequireSame(ReadInPieces(text, 1), log);
    RequireSame(ReadInPieces(text, 1 + size % kPieceSizes), log);
    CheckFrames(log);
    CheckWrittenBack(log);
    return 0;
}
