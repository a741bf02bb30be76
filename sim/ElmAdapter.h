// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "sim/EcuReadings.h"

// An ELM327 OBD-II adapter as its client sees it, without any I/O: the client's bytes in, the
// adapter's text out, the time passed in. A request ends with CR (LF or CR LF too), is read
// without regard to case or spaces, and is answered after the adapter's delay, the answer
// ended by the prompt '>'; an empty request repeats the last one. Requests starting with AT
// are the adapter's own; other hex requests go to the car, whose petrol ECU answers mode 01
// from the readings it has when the answer is due. A byte arriving while a request to the car
// is under way stops it ("STOPPED") and is lost, as on the real device; bytes arriving while
// the adapter answers an AT command wait their turn.
class ElmAdapter {
public:
    using Time = std::chrono::nanoseconds;

    // How the car side answers: as it should, NO DATA to every mode 01 request, or junk.
    enum class Behaviour { Talk, NoData, Garbage };

    struct Settings {
        std::chrono::milliseconds delay{15};
        // Every Nth request to the car is lost on the way, as on a flaky wireless link: no
        // echo, no answer, no prompt. 0: none is.
        int dropEvery = 0;
        std::uint32_t seed = 1;
    };

    explicit ElmAdapter(const Settings& settings);

    // Bytes from the client; returns what goes back at once (the echo, STOPPED).
    std::string receive(std::string_view bytes, Time now);
    // When the answer under way is due; nothing when none is.
    std::optional<Time> deadline() const;
    // The answer under way once it is due (nothing before), then what the waiting bytes give.
    std::string answerDue(Time now, const EcuReadings& ecu);

    void setBehaviour(Behaviour behaviour) { behaviour_ = behaviour; }
    // Powered up again: settings as after ATZ, anything under way or half typed gone.
    void powerOn();

    long mode01Requests() const { return mode01Requests_; }
    long mode01Answered() const { return mode01Answered_; }

private:
    using Lines = std::vector<std::string>;

    struct Request {
        Time due;
        std::string text;  // upper case, without spaces
        bool toCar = false;
    };

    std::string accept(char byte, Time now);
    std::string startRequest(Time now);
    bool countCarRequest(const std::string& request);
    std::string answer(const Request& request, const EcuReadings& ecu);
    Lines adapterAnswer(std::string_view command);
    bool setSwitch(std::string_view command);
    Lines carAnswer(const std::string& request, const EcuReadings& ecu);
    std::optional<std::vector<std::uint8_t>> mode01Reply(const std::string& request,
                                                         const EcuReadings& ecu);
    Lines junkLines();
    std::string stop();
    std::string formatted(const Lines& lines) const;
    std::string hexText(const std::vector<std::uint8_t>& bytes) const;
    std::string lineEnd() const { return linefeeds_ ? "\r\n" : "\r"; }
    void reset();

    Settings settings_;
    std::mt19937 random_;
    Behaviour behaviour_ = Behaviour::Talk;
    bool echo_ = true;
    bool linefeeds_ = false;
    bool spaces_ = true;
    // The next request to the car looks for its protocol first (ATZ, ATSP0).
    bool searching_ = true;
    std::string typed_;
    bool afterCr_ = false;
    std::string lastRequest_;
    std::optional<Request> underWay_;
    std::string waiting_;
    long carRequests_ = 0;
    long mode01Requests_ = 0;
    long mode01Answered_ = 0;
};
