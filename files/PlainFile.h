// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <variant>
#include <vector>

// Reading and rewriting files the user names, without ever waiting on
// something that is not a file: a named pipe or a terminal typed as a file
// name would otherwise hold the window's thread for good.

// What a path leads to, links followed. Unknown when that cannot be told (a
// folder on the way may not be searched): only using the path can say why.
enum class FileKind { Missing, Regular, Folder, NamedPipe, Device, Socket, Other, Unknown };

// A read that did not happen, and why.
struct CannotOpen {};  // missing, no permission, locked: nothing to say
struct NotRegular {
    FileKind kind;
};
struct ReadFailed {
    std::string reason;  // the system's text
};
using FileBytes = std::vector<std::uint8_t>;
using FileRead = std::variant<FileBytes, CannotOpen, NotRegular, ReadFailed>;

// The bytes of a regular file from its start, but never more than maxBytes + 1,
// so a caller can tell a file longer than maxBytes without reading all of it.
FileRead ReadRegularFile(const std::string& path, std::size_t maxBytes);

// A file read piece by piece, for files too large to hold whole. The size is
// looked at once the file is open, so a file over the limit is refused before
// any byte of it is read; one that grows past the limit while it is read is
// refused as well. The taker gets each piece with the file's size (0 for a
// file that does not tell it, such as those of /proc) and returns false to
// stop the reading.
struct ReadToEnd {};
struct ReadStopped {};
struct TooLarge {
    std::uint64_t size;
};
using PieceTaker = std::function<bool(std::span<const std::uint8_t> piece, std::uint64_t size)>;
using PieceRead =
    std::variant<ReadToEnd, ReadStopped, CannotOpen, NotRegular, TooLarge, ReadFailed>;
PieceRead ReadRegularFileInPieces(const std::string& path, std::uint64_t maxBytes,
                                  const PieceTaker& take);

FileKind KindAt(const std::string& path);

// Whether a write may replace what a path leads to (links followed): a
// regular file, or nothing yet. Anything else (a device node, a named pipe,
// a folder, reached through a link too) is left alone. A kind that cannot be
// told is left to the write, which then says why it failed.
bool MayWriteOver(FileKind kind);
// Why such a write was refused, as the system would say it: "not a regular
// file: a device".
std::string RefusalText(FileKind kind);

// Where writing to path really goes: the end of its chain of symbolic links,
// each relative target taken from its own link's folder, so that the links
// themselves stay. A dangling chain ends at the name a new file would get.
struct LinkEnd {
    std::string path;
    std::string problem;  // the system's text when the chain does not end
};
LinkEnd FollowLinks(const std::string& path);

// Rewrites an existing regular file where it is, for when no new file can be
// made beside it. The bytes about to be overwritten are kept first, and a
// longer file is cut short only once the new bytes are all written, so a
// failed write can put the old contents back whole.
struct InPlaceWrite {
    enum class Outcome {
        Written,
        Untouched,  // could not be opened or read: nothing was changed
        Restored,   // the write failed and the old contents are back
        Damaged,    // the write failed and the old contents could not be put back
    };
    Outcome outcome;
    std::string reason;  // the system's text, when not Written
};
InPlaceWrite WriteInPlace(const std::string& path, std::span<const std::uint8_t> bytes);
