// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "log/LogFile.h"

#include <string_view>
#include <type_traits>
#include <variant>

#include "files/PlainFile.h"
#include "log/LogReader.h"

namespace {
using Outcome = LogFileRead::Outcome;

LogFileRead Ending(const PieceRead& read, LogReader& reader) {
    return std::visit(
        [&reader](const auto& how) -> LogFileRead {
            using How = std::decay_t<decltype(how)>;
            if constexpr (std::is_same_v<How, ReadToEnd>) {
                return {Outcome::Read, {}, reader.Finish()};
            } else if constexpr (std::is_same_v<How, ReadStopped>) {
                // Stopped by the caller, or because the text is no log.
                if (!reader.MayBeALog()) return {Outcome::Read, {}, reader.Finish()};
                return {Outcome::Stopped, {}, {}};
            } else if constexpr (std::is_same_v<How, CannotOpen>) {
                return {Outcome::CannotOpen, {}, {}};
            } else if constexpr (std::is_same_v<How, NotRegular>) {
                return {Outcome::NotAFile, {}, {}};
            } else if constexpr (std::is_same_v<How, TooLarge>) {
                return {Outcome::TooLarge, {}, {}};
            } else {
                return {Outcome::ReadFailed, how.reason, {}};
            }
        },
        read);
}
}  // namespace

LogFileRead ReadLogFile(const std::string& path, std::uint64_t maxBytes,
                        const LogReadProgress& goOn) {
    LogReader reader;
    std::uint64_t done = 0;
    const auto take = [&](std::span<const std::uint8_t> piece, std::uint64_t size) {
        reader.Read({reinterpret_cast<const char*>(piece.data()), piece.size()});
        if (done == 0) reader.ExpectBytes(size);
        done += piece.size();
        return reader.MayBeALog() && (!goOn || goOn(done, size));
    };
    return Ending(ReadRegularFileInPieces(path, maxBytes, take), reader);
}
