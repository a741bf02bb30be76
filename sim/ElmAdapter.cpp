// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "sim/ElmAdapter.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <utility>

#include "sim/Mode01Pids.h"

namespace {

constexpr std::string_view kVersion = "ELM327 v1.5";
constexpr std::string_view kProtocol = "AUTO, ISO 15765-4 (CAN 11/500)";
constexpr std::string_view kVoltage = "12.6V";
constexpr std::string_view kOk = "OK";
constexpr std::string_view kUnknown = "?";
constexpr std::string_view kNoData = "NO DATA";
constexpr std::string_view kSearching = "SEARCHING...";
constexpr std::string_view kStopped = "STOPPED";
constexpr char kPrompt = '>';
constexpr std::string_view kAdapterPrefix = "AT";
constexpr std::string_view kMode01 = "01";
constexpr std::size_t kMode01RequestSize = 4;
constexpr std::uint8_t kMode01Answer = 0x41;
constexpr std::size_t kMaxTyped = 128;
constexpr int kHexBase = 16;

// Junk never holds a hex digit or the prompt, so it can never pass for an answer.
constexpr std::string_view kJunkCharacters =
    "GHIJKLMNOPQRSTUVWXYZghijklmnopqrstuvwxyz!#$%&()*+-/:;<=?@[]^_{|}~";
constexpr int kMostJunkLines = 3;
constexpr int kShortestJunk = 4;
constexpr int kLongestJunk = 20;

std::string normalised(std::string_view typed) {
    std::string text;
    for (const char c : typed) {
        if (c != ' ') text += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

bool isHex(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

// Whole bytes in hex, the only thing the adapter passes on to the car.
bool isCarRequest(std::string_view text) {
    return !text.empty() && text.size() % 2 == 0 && isHex(text);
}

// ATSP0 .. ATSPA.
bool isProtocolChoice(std::string_view command) {
    return command.size() == 3 && command.starts_with("SP") &&
           (std::isdigit(static_cast<unsigned char>(command[2])) || command[2] == 'A');
}

// ATAT0 .. ATAT2 and ATST xx: how long to wait for the car, which the simulated one never
// makes anybody do.
bool isTimingCommand(std::string_view command) {
    if (command == "AT0" || command == "AT1" || command == "AT2") return true;
    return command.size() == 4 && command.starts_with("ST") && isHex(command.substr(2));
}

std::uint8_t pidOf(std::string_view request) {
    std::uint8_t pid = 0;
    const std::string_view digits = request.substr(kMode01.size());
    std::from_chars(digits.data(), digits.data() + digits.size(), pid, kHexBase);
    return pid;
}

}  // namespace

ElmAdapter::ElmAdapter(const Settings& settings) : settings_(settings), random_(settings.seed) {}

std::string ElmAdapter::receive(std::string_view bytes, Time now) {
    std::string out;
    for (const char byte : bytes) {
        if (byte == '\n' && afterCr_) {
            afterCr_ = false;
            continue;
        }
        afterCr_ = byte == '\r';
        out += accept(byte, now);
    }
    return out;
}

std::optional<ElmAdapter::Time> ElmAdapter::deadline() const {
    if (!underWay_) return std::nullopt;
    return underWay_->due;
}

std::string ElmAdapter::answerDue(Time now, const EcuReadings& ecu) {
    if (!underWay_ || now < underWay_->due) return {};
    const Request request = *std::exchange(underWay_, std::nullopt);
    std::string out = answer(request, ecu);
    for (const char byte : std::exchange(waiting_, {})) out += accept(byte, now);
    return out;
}

void ElmAdapter::powerOn() {
    reset();
    typed_.clear();
    afterCr_ = false;
    lastRequest_.clear();
    underWay_.reset();
    waiting_.clear();
}

void ElmAdapter::reset() {
    echo_ = true;
    linefeeds_ = false;
    spaces_ = true;
    searching_ = true;
}

std::string ElmAdapter::accept(char byte, Time now) {
    if (underWay_ && underWay_->toCar) return stop();
    if (underWay_) {
        waiting_ += byte;
        return {};
    }
    if (byte == '\r' || byte == '\n') return startRequest(now);
    if (std::isprint(static_cast<unsigned char>(byte)) && typed_.size() < kMaxTyped) {
        typed_ += byte;
    }
    return {};
}

// The echo goes at once; the answer when the delay is over.
std::string ElmAdapter::startRequest(Time now) {
    const std::string echo = echo_ ? typed_ + lineEnd() : std::string();
    std::string text = normalised(std::exchange(typed_, {}));
    if (text.empty()) text = lastRequest_;
    lastRequest_ = text;
    Request request{now + settings_.delay, text, isCarRequest(text)};
    if (request.toCar && countCarRequest(text)) return {};
    underWay_ = std::move(request);
    return echo;
}

// Returns true when the request is lost on the way.
bool ElmAdapter::countCarRequest(const std::string& request) {
    if (request.starts_with(kMode01)) ++mode01Requests_;
    ++carRequests_;
    return settings_.dropEvery > 0 && carRequests_ % settings_.dropEvery == 0;
}

std::string ElmAdapter::answer(const Request& request, const EcuReadings& ecu) {
    if (request.toCar) return formatted(carAnswer(request.text, ecu));
    if (request.text.starts_with(kAdapterPrefix)) {
        return formatted(
            adapterAnswer(std::string_view(request.text).substr(kAdapterPrefix.size())));
    }
    return formatted({std::string(kUnknown)});
}

ElmAdapter::Lines ElmAdapter::adapterAnswer(std::string_view command) {
    if (command == "Z") {
        reset();
        return {"", "", std::string(kVersion)};
    }
    if (command == "I") return {std::string(kVersion)};
    if (command == "DP") return {std::string(kProtocol)};
    if (command == "RV") return {std::string(kVoltage)};
    if (isProtocolChoice(command)) searching_ = command == "SP0";
    if (setSwitch(command) || isProtocolChoice(command) || isTimingCommand(command)) {
        return {std::string(kOk)};
    }
    return {std::string(kUnknown)};
}

// E, L, S and H followed by 0 or 1; headers are accepted but never shown.
bool ElmAdapter::setSwitch(std::string_view command) {
    if (command.size() != 2 || (command[1] != '0' && command[1] != '1')) return false;
    const bool on = command[1] == '1';
    switch (command[0]) {
        case 'E':
            echo_ = on;
            return true;
        case 'L':
            linefeeds_ = on;
            return true;
        case 'S':
            spaces_ = on;
            return true;
        case 'H':
            return true;
        default:
            return false;
    }
}

ElmAdapter::Lines ElmAdapter::carAnswer(const std::string& request, const EcuReadings& ecu) {
    if (behaviour_ == Behaviour::Garbage) return junkLines();
    Lines lines;
    if (std::exchange(searching_, false)) lines.emplace_back(kSearching);
    const auto reply = mode01Reply(request, ecu);
    if (reply) ++mode01Answered_;
    lines.push_back(reply ? hexText(*reply) : std::string(kNoData));
    return lines;
}

// A stopped engine has nothing to tell but which PIDs the ECU knows. The short-term trim
// jitters by one step from one answer to the next, as a real one does.
std::optional<std::vector<std::uint8_t>> ElmAdapter::mode01Reply(const std::string& request,
                                                                 const EcuReadings& ecu) {
    if (behaviour_ == Behaviour::NoData || request.size() != kMode01RequestSize ||
        !request.starts_with(kMode01)) {
        return std::nullopt;
    }
    const std::uint8_t pid = pidOf(request);
    if (pid != kSupportedPidsPid && !ecu.running) return std::nullopt;
    EcuReadings measured = ecu;
    std::uniform_int_distribution<int> jitter(-1, 1);
    if (pid == kShortTrimPid) measured.shortTrimPercent += jitter(random_) * kTrimPercentPerStep;
    auto data = Mode01Data(pid, measured);
    if (data) data->insert(data->begin(), {kMode01Answer, pid});
    return data;
}

ElmAdapter::Lines ElmAdapter::junkLines() {
    std::uniform_int_distribution<int> lineCount(1, kMostJunkLines);
    std::uniform_int_distribution<int> length(kShortestJunk, kLongestJunk);
    std::uniform_int_distribution<std::size_t> character(0, kJunkCharacters.size() - 1);
    Lines lines(static_cast<std::size_t>(lineCount(random_)));
    for (std::string& line : lines) {
        for (int i = length(random_); i > 0; --i) line += kJunkCharacters[character(random_)];
    }
    return lines;
}

std::string ElmAdapter::stop() {
    underWay_.reset();
    return formatted({std::string(kStopped)});
}

// Each line ends, then an empty one, then the prompt: "OK\r\r>".
std::string ElmAdapter::formatted(const Lines& lines) const {
    std::string text;
    for (const std::string& line : lines) text += line + lineEnd();
    return text + lineEnd() + kPrompt;
}

std::string ElmAdapter::hexText(const std::vector<std::uint8_t>& bytes) const {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", byte);
        if (spaces_ && !text.empty()) text += ' ';
        text += digits;
    }
    return text;
}
