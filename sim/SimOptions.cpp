// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "sim/SimOptions.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string_view>
#include <utility>

#include "sim/ParameterList.h"
#include "sim/PortLink.h"

namespace {

constexpr long kMaxGapMs = 60000;
constexpr long kMaxRaw = 65535;
constexpr long kMaxPetrolSweep = 4095;
constexpr long kMaxSeed = 4294967295L;
constexpr long kLastCell = 15;
constexpr long kMaxObdDelayMs = 5000;
constexpr long kMaxObdDrop = 1000;
constexpr double kMostTrimError = 50;
constexpr double kMostPetrolTrim = 25;
constexpr long kColdestCoolant = -40;
constexpr long kHottestCoolant = 215;

std::optional<long> parseNumber(std::string_view text, long maximum) {
    long value = 0;
    const char* end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || next != end || value < 0 || value > maximum) {
        return std::nullopt;
    }
    return value;
}

// Takes off a leading plus or minus sign; true when it was a minus.
bool takeSign(std::string_view& text) {
    const bool negative = text.starts_with('-');
    if (negative || text.starts_with('+')) text.remove_prefix(1);
    return negative;
}

// A whole number with an optional sign.
std::optional<long> parseSignedNumber(std::string_view text, long minimum, long maximum) {
    const bool negative = takeSign(text);
    const auto size = parseNumber(text, std::max(-minimum, maximum));
    if (!size) return std::nullopt;
    const long value = negative ? -*size : *size;
    if (value < minimum || value > maximum) return std::nullopt;
    return value;
}

// A number such as 8, +6.5 or -0.25, within -most..+most.
std::optional<double> parseDecimal(std::string_view text, double most) {
    const bool negative = takeSign(text);
    // Digits first: from_chars would take a second sign, "inf" and "nan".
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text.front()))) {
        return std::nullopt;
    }
    double size = 0;
    const char* end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data(), end, size, std::chars_format::fixed);
    if (error != std::errc() || next != end || size > most) return std::nullopt;
    return negative ? -size : size;
}

// "CELL:VALUE", the cell 0..15 and the value as `parseValue` reads it.
template <typename Value, typename Parse>
std::optional<std::pair<std::size_t, Value>> parseCellValue(std::string_view text,
                                                            Parse parseValue) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const auto cell = parseNumber(text.substr(0, colon), kLastCell);
    const auto value = parseValue(text.substr(colon + 1));
    if (!cell || !value) return std::nullopt;
    return std::pair{std::size_t(*cell), static_cast<Value>(*value)};
}

// "CELL:OFFSET", the offset signed (a plus sign allowed) within a reading's range.
std::optional<std::pair<std::size_t, std::int32_t>> parseBias(std::string_view text) {
    return parseCellValue<std::int32_t>(
        text, [](std::string_view offset) { return parseSignedNumber(offset, -kMaxRaw, kMaxRaw); });
}

// "CELL:PERCENT", how much too lean (positive) or rich the cell's gas map is.
std::optional<std::pair<std::size_t, double>> parseTrimError(std::string_view text) {
    return parseCellValue<double>(
        text, [](std::string_view percent) { return parseDecimal(percent, kMostTrimError); });
}

// Walks the arguments; options with a value accept "--opt VALUE" and "--opt=VALUE".
class OptionReader {
public:
    explicit OptionReader(const std::vector<std::string>& args) : args_(args) {}

    SimOptions::ParseResult run() {
        while (position_ < args_.size() && result_.error.empty() && !result_.helpRequested) {
            readOne(args_[position_++]);
        }
        applyFixedReadings();
        checkLinks();
        return result_;
    }

private:
    void readOne(std::string_view arg) {
        std::string_view name = arg;
        std::optional<std::string_view> inlineValue;
        if (const std::size_t equals = arg.find('='); arg.starts_with("--") && equals != arg.npos) {
            name = arg.substr(0, equals);
            inlineValue = arg.substr(equals + 1);
        }
        if (readFlag(name, inlineValue.has_value())) return;
        if (!knownValueOption(name)) {
            fail("unknown option '" + std::string(arg) + "'");
            return;
        }
        const auto value = inlineValue ? inlineValue : nextValue();
        if (!value) {
            fail("option '" + std::string(name) + "' needs a value");
            return;
        }
        readValue(name, *value);
    }

    bool readFlag(std::string_view name, bool hasInlineValue) {
        SimOptions& options = result_.options;
        if (hasInlineValue) return false;
        if (name == "-h" || name == "--help") {
            result_.helpRequested = true;
        } else if (name == "--silent") {
            options.mode = TransmitMode::Silent;
        } else if (name == "--garbage") {
            options.mode = TransmitMode::Garbage;
        } else if (name == "--single-byte") {
            options.mode = TransmitMode::SingleByte;
        } else if (name == "--noecho") {
            options.echo = false;
        } else if (name == "--bytewise") {
            options.bytewise = true;
        } else if (name == "--obd") {
            options.obd = true;
        } else {
            return false;
        }
        return true;
    }

    static bool knownValueOption(std::string_view name) {
        for (std::string_view known :
             {"--link", "--gap", "--params", "--petrol", "--petrol-step", "--petrol-max",
              "--lambda", "--lambda-step", "--lambda-bias", "--seed", "--replay", "--obd-link",
              "--obd-delay", "--obd-drop", "--trim-error", "--petrol-trim", "--fuel",
              "--coolant"}) {
            if (name == known) return true;
        }
        return false;
    }

    std::optional<std::string_view> nextValue() {
        if (position_ >= args_.size()) return std::nullopt;
        return args_[position_++];
    }

    void readValue(std::string_view name, std::string_view value) {
        SimOptions& options = result_.options;
        if (readObdValue(name, value)) return;
        if (name == "--link") {
            options.linkNumber = PortLink::portNumber(value);
            if (!options.linkNumber) fail("--link wants COM1 .. COM20");
        } else if (name == "--params") {
            const auto parameters = ParseParameterList(value);
            if (parameters) options.parameters = *parameters;
            if (!parameters) fail("--params wants one or sixteen values 0..255, comma-separated");
        } else if (name == "--gap") {
            if (const auto ms = number(name, value, kMaxGapMs)) {
                options.gap = std::chrono::milliseconds(*ms);
            }
        } else if (name == "--petrol") {
            fixedPetrol_ = number(name, value, kMaxRaw);
        } else if (name == "--petrol-step") {
            petrolStep_ = number(name, value, kMaxPetrolSweep);
        } else if (name == "--petrol-max") {
            petrolMaximum_ = number(name, value, kMaxPetrolSweep);
        } else if (name == "--lambda") {
            fixedLambda_ = number(name, value, kMaxRaw);
        } else if (name == "--lambda-step") {
            lambdaStep_ = number(name, value, kMaxRaw);
        } else if (name == "--lambda-bias") {
            const auto bias = parseBias(value);
            if (bias) options.sweep.lambdaBias[bias->first] = bias->second;
            if (!bias) fail("--lambda-bias wants CELL:OFFSET, cell 0..15, offset -65535..+65535");
        } else if (name == "--replay") {
            options.replayPath = std::string(value);
        } else if (name == "--seed") {
            if (const auto seed = number(name, value, kMaxSeed)) {
                options.seed = static_cast<std::uint32_t>(*seed);
            }
        }
    }

    // The adapter and the car behind it.
    bool readObdValue(std::string_view name, std::string_view value) {
        SimOptions& options = result_.options;
        FuelTrimModel::Settings& engine = options.engine;
        if (name == "--obd-link") {
            options.obd = true;
            options.obdLinkNumber = PortLink::portNumber(value);
            if (!options.obdLinkNumber) fail("--obd-link wants COM1 .. COM20");
        } else if (name == "--obd-delay") {
            const auto ms = number(name, value, kMaxObdDelayMs);
            if (ms) options.obdDelay = std::chrono::milliseconds(*ms);
        } else if (name == "--obd-drop") {
            if (const auto every = number(name, value, kMaxObdDrop)) {
                options.obdDropEvery = static_cast<int>(*every);
            }
        } else if (name == "--trim-error") {
            const auto error = parseTrimError(value);
            if (error) engine.trimErrors[error->first] = error->second;
            if (!error) fail("--trim-error wants CELL:PERCENT, cell 0..15, percent -50..+50");
        } else if (name == "--petrol-trim") {
            const auto percent = parseDecimal(value, kMostPetrolTrim);
            if (percent) engine.petrolTrim = *percent;
            if (!percent) fail("--petrol-trim wants a percentage -25..+25");
        } else if (name == "--fuel") {
            const auto fuel = engineFuelNamed(value);
            if (fuel) engine.fuel = *fuel;
            if (!fuel) fail("--fuel wants petrol or gas");
        } else if (name == "--coolant") {
            const auto celsius = parseSignedNumber(value, kColdestCoolant, kHottestCoolant);
            if (celsius) engine.coolantCelsius = static_cast<int>(*celsius);
            if (!celsius) fail("--coolant wants a whole number of degrees -40..215");
        } else {
            return false;
        }
        return true;
    }

    // Both links in one folder cannot share a name.
    void checkLinks() {
        const SimOptions& options = result_.options;
        if (options.obdLinkNumber && options.obdLinkNumber == options.linkNumber) {
            fail("--obd-link must name another port than --link");
        }
    }

    std::optional<long> number(std::string_view name, std::string_view value, long maximum) {
        const auto parsed = parseNumber(value, maximum);
        if (!parsed) {
            fail(std::string(name) + " wants a whole number 0.." + std::to_string(maximum));
        }
        return parsed;
    }

    // A fixed reading holds still unless a step is given as well.
    void applyFixedReadings() {
        TelemetrySweep& sweep = result_.options.sweep;
        if (fixedPetrol_) {
            sweep.petrolStart = static_cast<std::uint16_t>(*fixedPetrol_);
            sweep.petrolStep = 0;
            if (sweep.petrolStart > sweep.petrolMaximum) sweep.petrolMaximum = sweep.petrolStart;
        }
        if (petrolStep_) sweep.petrolStep = static_cast<std::uint16_t>(*petrolStep_);
        if (petrolMaximum_) {
            sweep.petrolMaximum = static_cast<std::uint16_t>(*petrolMaximum_);
            if (sweep.petrolStart > sweep.petrolMaximum) sweep.petrolStart = sweep.petrolMaximum;
        }
        if (fixedLambda_) {
            sweep.lambdaStart = static_cast<std::uint16_t>(*fixedLambda_);
            sweep.lambdaStep = 0;
        }
        if (lambdaStep_) sweep.lambdaStep = static_cast<std::uint16_t>(*lambdaStep_);
    }

    void fail(std::string message) {
        if (result_.error.empty()) result_.error = std::move(message);
    }

    const std::vector<std::string>& args_;
    std::size_t position_ = 0;
    SimOptions::ParseResult result_;
    std::optional<long> fixedPetrol_;
    std::optional<long> petrolStep_;
    std::optional<long> petrolMaximum_;
    std::optional<long> fixedLambda_;
    std::optional<long> lambdaStep_;
};

}  // namespace

ControllerModel::Parameters SimOptions::defaultParameters() {
    ControllerModel::Parameters parameters{};
    parameters.fill(kDefaultParameter);
    return parameters;
}

SimOptions::ParseResult SimOptions::parse(const std::vector<std::string>& args) {
    return OptionReader(args).run();
}

std::string SimOptions::usage() {
    return R"(Usage: dx470-sim [OPTIONS]

A virtual DX470 controller on a pseudo-terminal. It streams 6-byte telemetry frames
at 9600 baud pace, applies set-parameter frames (AB 01 00 k v sum) and the store
frame (AB 02 48 07 1A 16), and logs what it receives on stdout.

Options:
  --link COMn         also link the port as COMn (n 1..20) in the port folder
                      $XDG_CONFIG_HOME/dx470/ports (default ~/.config/dx470/ports);
                      an existing link of that name is replaced, the link is removed at exit
  --gap MS            pause between two frames, 0..60000 ms (default 10)
  --params LIST       initial parameters: one value for all sixteen or sixteen
                      comma-separated values, each 0..255 (default 100 for all)
  --petrol RAW        hold the petrol time at RAW (4 us units, 0..65535)
  --petrol-step N     petrol time change per frame, 0..4095 (default 8); the petrol
                      time sweeps up and down across 0..4095, visiting all sixteen cells
  --petrol-max RAW    top of the petrol sweep, 0..4095 (default 4095); 1023 keeps the
                      sweep in cells 0..3
  --lambda RAW        hold the lambda reading at RAW (0..65535)
  --lambda-step N     lambda change per frame (default 512); lambda swings 0..65535
  --lambda-bias CELL:OFFSET
                      make cell CELL (0..15) run lean or rich: its lambda readings sit
                      OFFSET raw units (65535 = 5 V) below the sweep, so +8000 is lean
                      (lower voltage) and -8000 rich; each step its parameter is raised
                      above its starting value (more gas time) takes )" +
           std::to_string(EngineMixture::kRawPerStep) + R"( of a lean
                      offset back, as in an engine. May be given once per cell
  --silent            start silent (send nothing, keep reading)
  --garbage           start sending random bytes instead of frames
  --single-byte       send one byte and then nothing: the byte is sent again only when a
                      client discards it unread (input flush), until one client reads it
  --noecho            start with echo off (set-parameter frames are not applied)
  --bytewise          send each byte on its own, 1.04 ms apart as on a 9600-baud line,
                      instead of a frame's six bytes at once; with --gap 0 the frames
                      follow one another without a pause, as a real controller's do
  --seed N            seed of the random bytes (default 1)
  --replay FILE       send the frames of a session log (DX470_....msl) with their timing,
                      then nothing: the readings and each cell's parameter come from the
                      log's rows, the other parameters from the set saved at the log's start
                      (..._start.tq4 beside it) or --params
  --obd               also play an ELM327 OBD-II adapter on a second pseudo-terminal, and the
                      car's petrol ECU behind it, from the same engine as the telemetry
  --obd-link COMn     link the adapter's pseudo-terminal as COMn too, in the same folder as
                      --link (another n than --link's; implies --obd); removed at exit
  --obd-delay MS      how long the adapter takes to answer, 0..5000 ms (default 15)
  --obd-drop N        every Nth request to the car gets no answer at all, not even the
                      prompt, as over a flaky wireless adapter; 0..1000 (default 0: none)
  --trim-error CELL:PERCENT
                      on gas, the map of cell CELL (0..15) is PERCENT (-50..+50, decimals
                      allowed) too lean, or too rich when negative: the ECU's short-term
                      fuel trim shows it until the cell's parameter makes up for it: raised
                      by about PERCENT/100 x (4 x RAW + 14 x its start value) / 14 steps,
                      RAW the petrol time. May be given once per cell
  --petrol-trim PERCENT
                      the car's own long-term fuel trim, -25..+25 (default 0), on either fuel
  --fuel petrol|gas   what the engine runs on at start (default gas); on petrol the
                      short-term fuel trim is 0
  --coolant C         coolant temperature at start, -40..215 (default 90); it warms by one
                      degree a second up to 90
  -h, --help          show this text

Commands on stdin, one per line (end of input does not stop the program):
  talk | silent | garbage   choose what is sent
  echo | noecho             apply set-parameter frames, or keep reporting the old values
  set K V                   change parameter K (0..15) to V (0..255) as the controller would
  swap LIST                 another controller on the line: LIST (as --params) becomes its
                            working and its stored set
  restart                   switched off and on: the working set goes back to the stored one
  dump                      print the current and the stored parameters
  count                     print how many frames have been sent so far
  hangup                    close the pseudo-terminal (clients see the device go away),
                            remove the link and exit with code 0
  unplug                    close the pseudo-terminal and remove the link, and keep running
                            with the same parameters, as a controller whose cable was pulled
  plug                      after unplug: a new pseudo-terminal (another /dev/pts/N), linked
                            again with --link
  quit                      remove the link and exit with code 0
  fuel petrol|gas           the engine runs on petrol or on gas from now on
  petrol RAW                hold the petrol time at RAW (0..65535) from now on, as --petrol
  obd talk|nodata|garbage   the adapter answers as it should, NO DATA to every mode 01
                            request, or junk lines and the prompt to every request to the car
  obd unplug                close the adapter's pseudo-terminal and remove its link
  obd plug                  after "obd unplug": a new pseudo-terminal, linked again with
                            --obd-link, and the adapter as just powered up
  obd count                 print how many mode 01 requests came and how many were answered
  trims                     print per cell the fuel trim (short + long-term) the ECU would
                            show on gas at the middle of the cell now

Lines on stdout:
  port /dev/pts/N           always the first line; again after "plug"
  unplugged                 after "unplug"
  link PATH                 second line, with --link; again after "plug"
  obd /dev/pts/N            with --obd, after the port and link lines; again after "obd plug"
  obd-link PATH             with --obd-link, after the obd line; again after "obd plug"
  rx set K V                valid set-parameter frame (logged in noecho mode too)
  rx store                  store frame; the current parameters become the stored copy
  rx badsum XX XX XX XX XX XX   frame from 0xAB with a wrong checksum, ignored
  rx unknown XX XX XX XX XX XX  frame from 0xAB with a valid checksum but no meaning
  rx junk XX ...            bytes skipped while looking for 0xAB
  mode talk|silent|garbage|echo|noecho   after a command on stdin
  param K V                 after "set K V"
  swapped V0 .. V15         after "swap"
  restarted V0 .. V15       after "restart": the working set, now the stored one
  params V0 .. V15          after "dump"; then: stored V0 .. V15
  sent N                    after "count": frames sent, each once its last byte is out
  tx single                 the single byte was sent (--single-byte)
  single delivered          a client has read the single byte
  replay done N             --replay: the log's N frames have all been sent
  fuel petrol|gas           after "fuel"
  petrol RAW                after "petrol"
  obd talk|nodata|garbage|unplugged|plugged   after an "obd" command ("obd plugged" before
                            the new obd and obd-link lines)
  obd requests N answered M after "obd count": mode 01 requests received (lost ones too),
                            and those answered with data
  trims T0 .. T15           after "trims": percent, one decimal
  exit quit|hangup|SIGINT|SIGTERM|SIGHUP   last line ("exit error", code 1, if the
                            pseudo-terminal fails)

The OBD adapter answers as an ELM327 v1.5: a request ends with CR, case and spaces do not
matter, each answer ends with the prompt '>'. Its own commands: ATZ ATI ATE0/1 ATL0/1
ATS0/1 ATH0/1 ATSP0..ATSPA ATAT0..2 ATST xx ATDP ATRV; anything else is '?'. The car
answers mode 01 PIDs 00 04 05 06 07 0C (the first request after ATZ or ATSP0 says
SEARCHING... first), NO DATA to the rest, and NO DATA but to 00 while the engine is off:
the controller silent or unplugged, or the petrol time 0. A byte sent before the answer
to the car has come stops it (STOPPED).

SIGINT, SIGTERM and SIGHUP end the program like "quit" (exit code 0). Invalid options
exit with code 2, failures to open the pseudo-terminal or to make the link with code 1.
)";
}
