// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "domain/ObdReadings.h"

// The conversation with an ELM327-type adapter, without the port: which
// request goes next, how long to wait for its prompt, and what the answers
// mean. A reset and the set-up (echo, line feeds and spaces off, protocol
// searched), then the PIDs in turn, as fast as the adapter answers; a round
// of readings at the end of each pass.
class ElmDialogue {
public:
    using Milliseconds = std::chrono::milliseconds;
    // A reset takes the real adapters about a second.
    static constexpr Milliseconds kResetWait{2500};
    static constexpr Milliseconds kSetUpWait{1000};
    // The first request after the protocol search also searches the buses.
    static constexpr Milliseconds kSearchWait{8000};
    // The adapter says NO DATA by itself well within this.
    static constexpr Milliseconds kPidWait{1000};
    // A round in which the ECU answered nothing (ignition off, engine
    // stopped): the next one a little later, not at once.
    static constexpr Milliseconds kQuietRoundPause{1000};
    // Requests in a row without a prompt before the adapter counts as gone.
    static constexpr int kMostSilences = 3;

    enum class Condition {
        // Reset and set-up under way.
        Starting,
        // Nothing that talks like an adapter at this speed.
        NoAdapter,
        // The ECU's readings come.
        Reading,
        // The adapter answers, the ECU does not (NO DATA to every PID).
        NoData,
        // The adapter finds no bus or no ECU on it.
        BusFault,
        // What comes is no adapter's reply (another device, a wrong speed
        // after all, a broken line).
        Garbled,
    };

    struct Request {
        std::string text;
        Milliseconds wait{};
        // Before sending.
        Milliseconds pause{};
    };
    struct Step {
        // Empty: no adapter answered at this speed; try another.
        std::optional<Request> next;
        // A round that ended with this answer.
        std::optional<ObdReadings> round;
    };

    // The reset that begins the conversation (again).
    Request Start();
    // The prompt came, with this text before it.
    Step OnReply(std::string_view text);
    // No prompt within the request's wait.
    Step OnSilence();

    Condition GetCondition() const { return condition_; }
    // The adapter's own name, once its reset answered.
    const std::string& AdapterName() const { return adapterName_; }

private:
    enum class Stage { Resetting, SettingUp, Polling };

    Request SetUpRequest() const;
    Request PidRequest() const;
    Step AfterPid();

    Stage stage_ = Stage::Resetting;
    std::size_t setUpIndex_ = 0;
    std::size_t pidIndex_ = 0;
    bool searched_ = false;
    int silences_ = 0;
    Condition condition_ = Condition::Starting;
    std::string adapterName_;
    ObdReadings round_;
    bool roundAnswered_ = false;
    bool roundFaulted_ = false;
    bool roundGarbled_ = false;
};
