// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "log/LogFormat.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>

#include "log/LogReader.h"

namespace {
constexpr std::string_view kColumnRow = "Time\tCell\tPetrol\tGas\tLambda\tBand\tParam\tMark";
constexpr std::string_view kUnitRow = "s\t\tms\tms\tV\t\t\t";
// After the eight columns of a log with OBD columns.
constexpr std::string_view kObdColumnRow = "\tSTFT\tLTFT\tRPM\tCoolant\tLoad";
constexpr std::string_view kObdUnitRow = "\t%\t%\trpm\t°C\t%";
constexpr std::string_view kMarkPrefix = "MARK ";
constexpr std::string_view kMarkSeparator = " - ";
constexpr std::size_t kColumns = 8;
constexpr std::size_t kObdColumns = 5;

constexpr int kMilliDecimals = 3;
// Lambda in units of 10 uV: five decimals of a volt, finer than one step of
// the reading (76 uV), so the reading comes back exactly.
constexpr int kLambdaDecimals = 5;
constexpr std::int64_t kLambdaFullScale = 65535;
constexpr std::int64_t kLambdaFullScaleUnits = 500'000;  // 5 V
constexpr std::int64_t kUsPerPetrolStep = 4;
constexpr std::int64_t kUsPerMs = 1'000;
constexpr std::int32_t kHighestCell = 15;
constexpr std::int32_t kHighestReading = 65535;
constexpr std::int32_t kHighestParam = 255;
constexpr std::int64_t kMostUnits = std::numeric_limits<std::int64_t>::max();

// A PID's byte as the log writes it: byte * num / den - offset, with this
// many decimals; read back, the nearest byte.
struct ObdScale {
    std::int64_t num;
    std::int64_t den;
    std::int64_t offset;
    int decimals;
    std::int64_t highest;
};
constexpr ObdScale kTrimScale{100, 128, 100, 2, 255};
constexpr ObdScale kRpmScale{1, 4, 0, 2, 65535};
constexpr ObdScale kCoolantScale{1, 1, 40, 0, 255};
constexpr ObdScale kLoadScale{100, 255, 0, 1, 255};
// Read to millionths, so that a number a spreadsheet wrote with more
// decimals still comes to its nearest byte.
constexpr int kObdReadDecimals = 6;
// Far past every PID's range, and small enough that the products below stay
// within 64 bits.
constexpr std::int64_t kMostObdUnits = 1'000'000'000'000'000;

// The log's band numbers by the link's (middle, low, high).
constexpr int kLoggedBand[] = {0, -1, 1};

// Event texts, after "MARK n - ".
constexpr std::string_view kMarkText = "mark";
constexpr std::string_view kParameterText = "sent parameter ";
constexpr std::string_view kParameterValueText = " = ";
constexpr std::string_view kStoreText = "sent store";
constexpr std::string_view kFileText = "loaded file ";
constexpr std::string_view kReplayStartedText = "replay started";
constexpr std::string_view kReplayEndedText = "replay ended";
constexpr std::string_view kPetrolText = "fuel petrol";
constexpr std::string_view kGasText = "fuel gas";

std::int64_t Power10(int decimals) {
    std::int64_t power = 1;
    for (int i = 0; i < decimals; ++i) power *= 10;
    return power;
}

void AppendInteger(std::string& text, std::int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    text.append(digits, end);
}

// A non-negative count of 10^-decimals units as a decimal with a point.
void AppendFixed(std::string& text, std::int64_t units, int decimals) {
    const std::int64_t scale = Power10(decimals);
    AppendInteger(text, units / scale);
    text += '.';
    const std::int64_t fraction = units % scale;
    for (std::int64_t digit = scale / 10; digit > fraction && digit > 1; digit /= 10) text += '0';
    AppendInteger(text, fraction);
}

// Of a non-negative value, rounded half up, without adding to the value
// first: the largest ones would overflow.
std::int64_t RoundedDivision(std::int64_t value, std::int64_t divisor) {
    const std::int64_t remainder = value % divisor;
    return value / divisor + (remainder >= divisor - divisor / 2 ? 1 : 0);
}

void AppendSignedFixed(std::string& text, std::int64_t units, int decimals) {
    if (units < 0) text += '-';
    if (decimals == 0) {
        AppendInteger(text, units < 0 ? -units : units);
    } else {
        AppendFixed(text, units < 0 ? -units : units, decimals);
    }
}

// Each field after a tab, empty for a PID that did not answer.
template <typename Byte>
void AppendObdField(std::string& text, const std::optional<Byte>& reading, const ObdScale& scale) {
    text += '\t';
    if (!reading) return;
    const std::int64_t unit = Power10(scale.decimals);
    AppendSignedFixed(
        text,
        RoundedDivision(std::int64_t{*reading} * scale.num * unit, scale.den) - scale.offset * unit,
        scale.decimals);
}

void AppendObdFields(std::string& text, const std::optional<ObdReadings>& obd) {
    const ObdReadings readings = obd.value_or(ObdReadings{});
    AppendObdField(text, readings.shortTrim, kTrimScale);
    AppendObdField(text, readings.longTrim, kTrimScale);
    AppendObdField(text, readings.rpm, kRpmScale);
    AppendObdField(text, readings.coolant, kCoolantScale);
    AppendObdField(text, readings.load, kLoadScale);
}

// Tabs and line ends would break the row.
std::string OneLine(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    return line;
}

std::string EventText(const SessionEvent& event) {
    using Kind = SessionEvent::Kind;
    switch (event.kind) {
        case Kind::Mark:
            return std::string(kMarkText);
        case Kind::ParameterSent:
            return std::string(kParameterText) + std::to_string(event.index) +
                   std::string(kParameterValueText) + std::to_string(event.value);
        case Kind::StoreSent:
            return std::string(kStoreText);
        case Kind::FileLoaded:
            return std::string(kFileText) + OneLine(event.name);
        case Kind::ReplayStarted:
            return std::string(kReplayStartedText);
        case Kind::ReplayEnded:
            return std::string(kReplayEndedText);
        case Kind::FuelChanged:
            return std::string(event.value == 0 ? kPetrolText : kGasText);
    }
    return std::string(kMarkText);
}

// --- reading

template <typename Number>
std::optional<Number> ParseInteger(std::string_view text) {
    Number value{};
    const char* end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || next != end) return std::nullopt;
    return value;
}

// A decimal as a count of 10^-decimals units; digits beyond those are cut. A
// number too large to count so is no reading.
std::optional<std::int64_t> ParseFixed(std::string_view text, int decimals) {
    if (text.starts_with('-')) return std::nullopt;
    const std::size_t point = text.find_first_of(".,");
    const auto whole = ParseInteger<std::int64_t>(text.substr(0, point));
    if (!whole) return std::nullopt;
    const std::int64_t unit = Power10(decimals);
    if (*whole > (kMostUnits - (unit - 1)) / unit) return std::nullopt;
    std::int64_t units = *whole * unit;
    if (point == std::string_view::npos) return units;
    std::string_view fraction = text.substr(point + 1);
    if (fraction.empty()) return std::nullopt;
    std::int64_t scale = unit;
    for (const char digit : fraction) {
        if (digit < '0' || digit > '9') return std::nullopt;
        scale /= 10;
        units += (digit - '0') * scale;
    }
    return units;
}

// The fields of a frame's row, split at its tabs: how many, or one more than
// any log's columns for a row with more, whose rest is then not looked at.
using FrameFields = std::array<std::string_view, kColumns + kObdColumns>;
std::size_t SplitFrameRow(std::string_view row, FrameFields& fields) {
    std::size_t count = 0;
    std::size_t start = 0;
    while (count < fields.size()) {
        const std::size_t tab = row.find('\t', start);
        fields[count++] = row.substr(start, tab - start);
        if (tab == std::string_view::npos) return count;
        start = tab + 1;
    }
    return count + 1;
}

bool InRange(std::int64_t value, std::int64_t lowest, std::int64_t highest) {
    return value >= lowest && value <= highest;
}

// A reading as the link's integer, checked in 64 bits before it is narrowed.
std::optional<std::int32_t> Reading(std::int64_t value, std::int64_t highest) {
    if (!InRange(value, 0, highest)) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

// A trim below zero, a coolant below freezing.
std::optional<std::int64_t> ParseSignedFixed(std::string_view text, int decimals) {
    const bool negative = text.starts_with('-');
    if (negative) text.remove_prefix(1);
    const auto units = ParseFixed(text, decimals);
    if (!units) return std::nullopt;
    return negative ? -*units : *units;
}

// Of a value of either sign, rounded half away from zero.
std::int64_t Nearest(std::int64_t value, std::int64_t divisor) {
    return value < 0 ? -RoundedDivision(-value, divisor) : RoundedDivision(value, divisor);
}

// An empty field leaves the reading empty; false for a field that is no
// number, or whose nearest byte is out of the PID's range.
template <typename Byte>
bool ParseObdField(std::string_view field, const ObdScale& scale, std::optional<Byte>& reading) {
    if (field.empty()) return true;
    const auto units = ParseSignedFixed(field, kObdReadDecimals);
    if (!units || *units > kMostObdUnits || *units < -kMostObdUnits) return false;
    const std::int64_t unit = Power10(kObdReadDecimals);
    const std::int64_t raw = Nearest((*units + scale.offset * unit) * scale.den, scale.num * unit);
    if (!InRange(raw, 0, scale.highest)) return false;
    reading = static_cast<Byte>(raw);
    return true;
}

// The five fields after the eight columns; empty readings when all five are.
bool ParseObdFields(std::span<const std::string_view, kObdColumns> fields,
                    std::optional<ObdReadings>& obd) {
    ObdReadings readings;
    if (!ParseObdField(fields[0], kTrimScale, readings.shortTrim) ||
        !ParseObdField(fields[1], kTrimScale, readings.longTrim) ||
        !ParseObdField(fields[2], kRpmScale, readings.rpm) ||
        !ParseObdField(fields[3], kCoolantScale, readings.coolant) ||
        !ParseObdField(fields[4], kLoadScale, readings.load)) {
        return false;
    }
    if (readings != ObdReadings{}) obd = readings;
    return true;
}

std::optional<std::int32_t> LambdaReading(std::int64_t units) {
    // Past twice the full scale no reading is in range, and the product
    // below stays far from overflowing.
    if (units > 2 * kLambdaFullScaleUnits) return std::nullopt;
    return Reading(RoundedDivision(units * kLambdaFullScale, kLambdaFullScaleUnits),
                   kHighestReading);
}

std::optional<SessionEvent> ParseEventText(std::string_view text) {
    using Kind = SessionEvent::Kind;
    SessionEvent event;
    if (text == kMarkText) {
        event.kind = Kind::Mark;
    } else if (text == kStoreText) {
        event.kind = Kind::StoreSent;
    } else if (text == kReplayStartedText) {
        event.kind = Kind::ReplayStarted;
    } else if (text == kReplayEndedText) {
        event.kind = Kind::ReplayEnded;
    } else if (text == kPetrolText || text == kGasText) {
        event.kind = Kind::FuelChanged;
        event.value = text == kGasText ? 1 : 0;
    } else if (text.starts_with(kFileText)) {
        event.kind = Kind::FileLoaded;
        event.name = std::string(text.substr(kFileText.size()));
    } else if (text.starts_with(kParameterText)) {
        text.remove_prefix(kParameterText.size());
        const std::size_t equals = text.find(kParameterValueText);
        if (equals == std::string_view::npos) return std::nullopt;
        const auto index = ParseInteger<std::int32_t>(text.substr(0, equals));
        const auto value =
            ParseInteger<std::int32_t>(text.substr(equals + kParameterValueText.size()));
        if (!index || !value) return std::nullopt;
        event.kind = Kind::ParameterSent;
        event.index = *index;
        event.value = *value;
    } else {
        return std::nullopt;
    }
    return event;
}

}  // namespace

std::string LogHeader(bool withObd) {
    std::string header(kColumnRow);
    if (withObd) header += kObdColumnRow;
    header += '\n';
    header += kUnitRow;
    if (withObd) header += kObdUnitRow;
    header += '\n';
    return header;
}

void AppendFrameRow(std::string& text, const SessionFrame& frame, bool withObd) {
    const std::int64_t timeMs = RoundedDivision(std::max<std::int64_t>(frame.timeUs, 0), kUsPerMs);
    AppendFixed(text, timeMs, kMilliDecimals);
    text += '\t';
    AppendInteger(text, frame.cell);
    text += '\t';
    AppendFixed(text, std::int64_t{frame.petrolRaw} * kUsPerPetrolStep, kMilliDecimals);
    text += '\t';
    AppendFixed(text, frame.gasTimeUs, kMilliDecimals);
    text += '\t';
    AppendFixed(
        text,
        RoundedDivision(std::int64_t{frame.lambdaRaw} * kLambdaFullScaleUnits, kLambdaFullScale),
        kLambdaDecimals);
    text += '\t';
    AppendInteger(text, kLoggedBand[static_cast<int>(BandOf(frame))]);
    text += '\t';
    AppendInteger(text, frame.param);
    text += '\t';
    AppendInteger(text, frame.mark);
    if (withObd) AppendObdFields(text, frame.obd);
    text += '\n';
}

void AppendEventRow(std::string& text, const SessionEvent& event) {
    text += kMarkPrefix;
    AppendInteger(text, event.number);
    text += kMarkSeparator;
    text += EventText(event);
    text += '\n';
}

std::string EventTextOf(const SessionEvent& event) {
    return EventText(event);
}

std::array<std::string, kObdColumns> ObdFieldTexts(const ObdReadings& readings) {
    std::string row;
    AppendObdFields(row, readings);
    std::array<std::string, kObdColumns> fields;
    std::size_t start = 1;  // past the first field's tab
    for (std::string& field : fields) {
        const std::size_t tab = std::min(row.find('\t', start), row.size());
        field = row.substr(start, tab - start);
        start = tab + 1;
    }
    return fields;
}

ParsedLog ParseLog(std::string_view text) {
    LogReader reader;
    reader.Read(text);
    return reader.Finish();
}

bool IsColumnRow(std::string_view row) {
    return row == kColumnRow || IsObdColumnRow(row);
}

bool IsObdColumnRow(std::string_view row) {
    return row.size() == kColumnRow.size() + kObdColumnRow.size() && row.starts_with(kColumnRow) &&
           row.ends_with(kObdColumnRow);
}

std::optional<SessionFrame> ParseFrameRow(std::string_view row, bool withObd) {
    FrameFields fields;
    const std::size_t count = SplitFrameRow(row, fields);
    // Fields past a log's columns were always passed over (a spreadsheet may
    // add some); in a log with the readings' columns they are all there or
    // none is.
    const bool obdFields = withObd && count >= fields.size();
    if (count < kColumns || (withObd && count > kColumns && !obdFields)) return std::nullopt;
    const auto timeMs = ParseFixed(fields[0], kMilliDecimals);
    const auto cell = ParseInteger<std::int32_t>(fields[1]);
    const auto petrolUs = ParseFixed(fields[2], kMilliDecimals);
    const auto gasUs = ParseFixed(fields[3], kMilliDecimals);
    const auto lambda = ParseFixed(fields[4], kLambdaDecimals);
    const auto param = ParseInteger<std::int32_t>(fields[6]);
    const auto mark = ParseInteger<std::int32_t>(fields[7]);
    if (!timeMs || !cell || !petrolUs || !gasUs || !lambda || !param || !mark) return std::nullopt;
    const auto petrolRaw = Reading(RoundedDivision(*petrolUs, kUsPerPetrolStep), kHighestReading);
    const auto lambdaRaw = LambdaReading(*lambda);
    if (*timeMs > kMostUnits / kUsPerMs || !petrolRaw || !lambdaRaw ||
        !InRange(*cell, 0, kHighestCell) || !InRange(*param, 0, kHighestParam) || *mark < 0) {
        return std::nullopt;
    }
    SessionFrame frame;
    frame.timeUs = *timeMs * kUsPerMs;
    frame.cell = *cell;
    frame.petrolRaw = *petrolRaw;
    frame.gasTimeUs = static_cast<std::int32_t>(std::min<std::int64_t>(*gasUs, INT32_MAX));
    frame.lambdaRaw = *lambdaRaw;
    frame.param = *param;
    frame.mark = *mark;
    if (obdFields &&
        !ParseObdFields(std::span(fields).subspan<kColumns, kObdColumns>(), frame.obd)) {
        return std::nullopt;
    }
    return frame;
}

std::optional<SessionEvent> ParseEventRow(std::string_view row) {
    if (!row.starts_with(kMarkPrefix)) return std::nullopt;
    row.remove_prefix(kMarkPrefix.size());
    const std::size_t separator = row.find(kMarkSeparator);
    if (separator == std::string_view::npos) return std::nullopt;
    const auto number = ParseInteger<std::int32_t>(row.substr(0, separator));
    auto event = ParseEventText(row.substr(separator + kMarkSeparator.size()));
    if (!number || !event) return std::nullopt;
    event->number = *number;
    return event;
}
