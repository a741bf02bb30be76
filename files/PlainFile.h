#pragma once

#include <cstddef>
#include <cstdint>
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

FileKind KindAt(const std::string& path);
