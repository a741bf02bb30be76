// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "sim/RuntimeCommand.h"

#include <array>
#include <sstream>
#include <utility>

#include "sim/ParameterList.h"

namespace {

using Kind = RuntimeCommand::Kind;

constexpr std::array<std::pair<std::string_view, Kind>, 12> kWords = {{
    {"talk", Kind::Talk},
    {"silent", Kind::Silent},
    {"garbage", Kind::Garbage},
    {"echo", Kind::Echo},
    {"noecho", Kind::NoEcho},
    {"restart", Kind::Restart},
    {"dump", Kind::Dump},
    {"count", Kind::Count},
    {"hangup", Kind::Hangup},
    {"unplug", Kind::Unplug},
    {"plug", Kind::Plug},
    {"quit", Kind::Quit},
}};

constexpr int kParameterCount = 16;
constexpr int kMaxValue = 255;

RuntimeCommand parseSet(std::istringstream& rest) {
    RuntimeCommand command;
    int index = -1;
    int value = -1;
    std::string extra;
    const bool numbers = static_cast<bool>(rest >> index >> value);
    if (!numbers || (rest >> extra) || index < 0 || index >= kParameterCount || value < 0 ||
        value > kMaxValue) {
        command.kind = Kind::Invalid;
        return command;
    }
    command.kind = Kind::Set;
    command.index = static_cast<std::uint8_t>(index);
    command.value = static_cast<std::uint8_t>(value);
    return command;
}

// "swap LIST": another controller, with its own set, stored and working.
RuntimeCommand parseSwap(std::istringstream& rest) {
    RuntimeCommand command;
    std::string list;
    std::string extra;
    const auto parameters = (rest >> list) ? ParseParameterList(list) : std::nullopt;
    if (!parameters || (rest >> extra)) {
        command.kind = Kind::Invalid;
        return command;
    }
    command.kind = Kind::Swap;
    command.parameters = *parameters;
    return command;
}

}  // namespace

RuntimeCommand RuntimeCommand::parse(std::string_view line) {
    std::istringstream words{std::string(line)};
    std::string word;
    RuntimeCommand command;
    if (!(words >> word)) return command;
    if (word == "set") return parseSet(words);
    if (word == "swap") return parseSwap(words);
    command.kind = Kind::Invalid;
    std::string extra;
    if (words >> extra) return command;
    for (const auto& [name, kind] : kWords) {
        if (word == name) command.kind = kind;
    }
    return command;
}
