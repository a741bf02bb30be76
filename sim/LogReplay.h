// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "log/SessionRecord.h"
#include "sim/ControllerModel.h"
#include "sim/MonotonicClock.h"

// A session log played back as a controller would have sent it: each row is
// a frame, due at the row's time after the start. The rows carry the readings
// and the parameter of their cell; the parameters of the other cells come from
// the set saved beside the log at its start, when there is one.
class LogReplay {
public:
    using Time = MonotonicClock::Time;

    // Reads the log; throws std::runtime_error saying why it cannot be played.
    explicit LogReplay(const std::string& path);

    const std::optional<ControllerModel::Parameters>& startParameters() const {
        return startParameters_;
    }
    std::size_t frameCount() const { return frames_.size(); }

    // The first frame is due at once.
    void start(Time now);
    bool running() const { return started_ && !done(); }
    bool done() const { return next_ == frames_.size(); }
    // When the next frame is due.
    Time deadline() const;
    // The next row if it is due at `now`, moving on past it.
    std::optional<SessionFrame> takeDue(Time now);

private:
    std::vector<SessionFrame> frames_;
    std::optional<ControllerModel::Parameters> startParameters_;
    std::size_t next_ = 0;
    bool started_ = false;
    Time start_{0};
};
