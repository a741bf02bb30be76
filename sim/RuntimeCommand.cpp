// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "sim/RuntimeCommand.h"

#include <array>
#include <optional>
#include <span>
#include <sstream>
#include <utility>

#include "sim/ParameterList.h"

namespace {

using Kind = RuntimeCommand::Kind;

constexpr std::array<std::pair<std::string_view, Kind>, 13> kWords = {{
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
    {"trims", Kind::Trims},
}};

// The words after "obd".
constexpr std::array<std::pair<std::string_view, Kind>, 6> kObdWords = {{
    {"talk", Kind::ObdTalk},
    {"nodata", Kind::ObdNoData},
    {"garbage", Kind::ObdGarbage},
    {"unplug", Kind::ObdUnplug},
    {"plug", Kind::ObdPlug},
    {"count", Kind::ObdCount},
}};

constexpr int kParameterCount = 16;
constexpr int kMaxValue = 255;
constexpr long kMaxPetrol = 65535;

// The one word left on the line; nothing when there is none or more than one.
std::optional<std::string> lastWord(std::istringstream& rest) {
    std::string word;
    std::string extra;
    if (!(rest >> word) || (rest >> extra)) return std::nullopt;
    return word;
}

Kind kindNamed(const std::string& word, std::span<const std::pair<std::string_view, Kind>> names) {
    for (const auto& [name, kind] : names) {
        if (word == name) return kind;
    }
    return Kind::Invalid;
}

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

RuntimeCommand parseFuel(std::istringstream& rest) {
    RuntimeCommand command;
    const auto word = lastWord(rest);
    const auto fuel = word ? engineFuelNamed(*word) : std::nullopt;
    command.kind = fuel ? Kind::SetFuel : Kind::Invalid;
    command.fuel = fuel.value_or(EngineFuel::Gas);
    return command;
}

RuntimeCommand parsePetrol(std::istringstream& rest) {
    RuntimeCommand command;
    long petrol = -1;
    std::string extra;
    if (!(rest >> petrol) || (rest >> extra) || petrol < 0 || petrol > kMaxPetrol) {
        command.kind = Kind::Invalid;
        return command;
    }
    command.kind = Kind::HoldPetrol;
    command.petrol = static_cast<std::uint16_t>(petrol);
    return command;
}

RuntimeCommand parseObd(std::istringstream& rest) {
    RuntimeCommand command;
    const auto word = lastWord(rest);
    command.kind = word ? kindNamed(*word, kObdWords) : Kind::Invalid;
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
    if (word == "fuel") return parseFuel(words);
    if (word == "petrol") return parsePetrol(words);
    if (word == "obd") return parseObd(words);
    command.kind = Kind::Invalid;
    std::string extra;
    if (words >> extra) return command;
    command.kind = kindNamed(word, kWords);
    return command;
}
