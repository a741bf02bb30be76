// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "obd/core/ElmDialogue.h"

#include <array>

#include "obd/core/ElmReply.h"
#include "obd/core/ObdPids.h"

namespace {
constexpr std::string_view kReset = "ATZ";
// Echo, line feeds and spaces off, so replies are short and plain; the
// protocol searched for.
constexpr std::array<std::string_view, 4> kSetUp = {"ATE0", "ATL0", "ATS0", "ATSP0"};
}  // namespace

ElmDialogue::Request ElmDialogue::Start() {
    stage_ = Stage::Resetting;
    setUpIndex_ = 0;
    pidIndex_ = 0;
    searched_ = false;
    silences_ = 0;
    round_ = {};
    roundAnswered_ = false;
    roundFaulted_ = false;
    roundGarbled_ = false;
    condition_ = Condition::Starting;
    return {std::string(kReset), kResetWait, {}};
}

ElmDialogue::Request ElmDialogue::SetUpRequest() const {
    return {std::string(kSetUp[setUpIndex_]), kSetUpWait, {}};
}

ElmDialogue::Request ElmDialogue::PidRequest() const {
    return {RequestFor(kPolledPids[pidIndex_]), searched_ ? kPidWait : kSearchWait, {}};
}

ElmDialogue::Step ElmDialogue::OnReply(std::string_view text) {
    silences_ = 0;
    switch (stage_) {
        case Stage::Resetting:
            // A reply that is no adapter's (a controller, a modem) is no
            // adapter at this speed either.
            if (!NamesAnElm(text)) {
                condition_ = Condition::NoAdapter;
                return {};
            }
            adapterName_ = ParseElmReply(text, kReset).text;
            stage_ = Stage::SettingUp;
            return {SetUpRequest(), {}};
        case Stage::SettingUp:
            // An adapter that does not know one of them still reads PIDs.
            if (++setUpIndex_ < kSetUp.size()) return {SetUpRequest(), {}};
            stage_ = Stage::Polling;
            return {PidRequest(), {}};
        case Stage::Polling:
            break;
    }
    const std::uint8_t pid = kPolledPids[pidIndex_];
    const ElmReply reply = ParseElmReply(text, RequestFor(pid));
    searched_ = true;
    if (reply.kind == ElmReply::Kind::Data && StorePid(round_, pid, reply.data)) {
        roundAnswered_ = true;
    } else if (reply.kind == ElmReply::Kind::BusFault) {
        roundFaulted_ = true;
    } else if (reply.kind == ElmReply::Kind::Text) {
        roundGarbled_ = true;
    }
    return AfterPid();
}

ElmDialogue::Step ElmDialogue::OnSilence() {
    if (stage_ != Stage::Polling || ++silences_ >= kMostSilences) {
        condition_ = Condition::NoAdapter;
        return {};
    }
    return AfterPid();
}

ElmDialogue::Step ElmDialogue::AfterPid() {
    if (++pidIndex_ < kPolledPids.size()) return {PidRequest(), {}};
    pidIndex_ = 0;
    Step step{PidRequest(), {}};
    if (roundAnswered_) {
        condition_ = Condition::Reading;
        step.round = round_;
    } else {
        condition_ = roundFaulted_   ? Condition::BusFault
                     : roundGarbled_ ? Condition::Garbled
                                     : Condition::NoData;
        step.next->pause = kQuietRoundPause;
    }
    round_ = {};
    roundAnswered_ = false;
    roundFaulted_ = false;
    roundGarbled_ = false;
    return step;
}
