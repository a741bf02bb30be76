// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "files/PlainFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
// No pipe or terminal is reached through an ordinary path here.
constexpr int kOpenFlags = O_BINARY;
int SyncToDisk(int descriptor) {
    return ::_commit(descriptor);
}
bool Resize(int descriptor, long long size) {
    return ::_chsize_s(descriptor, size) == 0;
}
#else
// Never wait for a writer or a carrier, never take a terminal as the
// controlling one, and never hand the descriptor to a child.
constexpr int kOpenFlags = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
int SyncToDisk(int descriptor) {
    return ::fsync(descriptor);
}
bool Resize(int descriptor, off_t size) {
    return ::ftruncate(descriptor, size) == 0;
}
#endif

// As many links as the system itself follows in one name.
constexpr int kMostLinks = 40;
// A file read in pieces is read this much at a time: few calls, little memory.
constexpr std::size_t kPieceBytes = std::size_t{1} << 20;

std::string SystemText(int error) {
    return std::generic_category().message(error);
}

FileKind KindOfMode(unsigned mode) {
    if (S_ISREG(mode)) return FileKind::Regular;
    if (S_ISDIR(mode)) return FileKind::Folder;
    if (S_ISFIFO(mode)) return FileKind::NamedPipe;
    if (S_ISCHR(mode) || S_ISBLK(mode)) return FileKind::Device;
#ifdef S_ISSOCK
    if (S_ISSOCK(mode)) return FileKind::Socket;
#endif
    return FileKind::Other;
}

class Descriptor {
public:
    explicit Descriptor(int descriptor = -1) : descriptor_(descriptor) {}
    Descriptor(Descriptor&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor& operator=(Descriptor&&) = delete;
    ~Descriptor() {
        if (descriptor_ >= 0) ::close(descriptor_);
    }
    int get() const { return descriptor_; }

private:
    int descriptor_;
};

struct Opened {
    Descriptor file;  // invalid unless kind is Regular
    FileKind kind = FileKind::Unknown;
    off_t size = 0;
    int error = 0;  // why nothing was opened, if kind is Unknown
};

// Opens path without waiting on it, and keeps it open only if what was opened
// is a regular file: the name may have been pointed elsewhere since it was
// looked at.
Opened OpenRegular(const std::string& path, int access) {
    Descriptor file(::open(path.c_str(), access | kOpenFlags));
    struct stat status {};
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0) {
        return {Descriptor(), FileKind::Unknown, 0, errno};
    }
    const FileKind kind = KindOfMode(status.st_mode);
    if (kind != FileKind::Regular) return {Descriptor(), kind, 0, 0};
    return {std::move(file), kind, status.st_size, 0};
}

// Opens path for reading if it is a regular file. Looked at before opening as
// well: opening a device can act on it (a serial port's control lines, a
// watchdog), and a socket does not open.
std::variant<Opened, CannotOpen, NotRegular> OpenToRead(const std::string& path) {
    const FileKind named = KindAt(path);
    if (named == FileKind::Missing || named == FileKind::Unknown) return CannotOpen{};
    if (named != FileKind::Regular) return NotRegular{named};
    Opened opened = OpenRegular(path, O_RDONLY);
    if (opened.kind == FileKind::Unknown) return CannotOpen{};
    if (opened.kind != FileKind::Regular) return NotRegular{opened.kind};
    return opened;
}

// Reads from the file's start up to its end, but no more than limit bytes;
// false with errno set if a read fails. The buffer grows as the bytes come, so
// a generous limit costs nothing for a small file.
bool ReadFromStart(int descriptor, FileBytes& bytes, std::size_t limit) {
    constexpr std::size_t kFirstRead = 64 * 1024;
    if (::lseek(descriptor, 0, SEEK_SET) != 0) return false;
    std::size_t got = 0;
    while (got < limit) {
        if (got == bytes.size()) bytes.resize(std::min(limit, got + std::max(got, kFirstRead)));
        const auto read = ::read(descriptor, bytes.data() + got, bytes.size() - got);
        if (read < 0 && errno == EINTR) continue;
        if (read < 0) return false;
        if (read == 0) break;
        got += static_cast<std::size_t>(read);
    }
    bytes.resize(got);
    return true;
}

// Writes all of bytes from the file's start, continuing a write the system cut
// short so that the next attempt reports why it stopped.
bool WriteFromStart(int descriptor, std::span<const std::uint8_t> bytes) {
    if (::lseek(descriptor, 0, SEEK_SET) != 0) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto written = ::write(descriptor, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

bool Replace(int descriptor, std::span<const std::uint8_t> bytes, off_t size) {
    return WriteFromStart(descriptor, bytes) && Resize(descriptor, size) &&
           SyncToDisk(descriptor) == 0;
}

}  // namespace

FileKind KindAt(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) return KindOfMode(status.st_mode);
    return errno == ENOENT || errno == ENOTDIR ? FileKind::Missing : FileKind::Unknown;
}

bool MayWriteOver(FileKind kind) {
    return kind == FileKind::Missing || kind == FileKind::Regular || kind == FileKind::Unknown;
}

std::string RefusalText(FileKind kind) {
    const char* what = "something else";
    switch (kind) {
        case FileKind::Folder:
            what = "a folder";
            break;
        case FileKind::NamedPipe:
            what = "a named pipe";
            break;
        case FileKind::Device:
            what = "a device";
            break;
        case FileKind::Socket:
            what = "a socket";
            break;
        default:
            break;
    }
    return std::string("not a regular file: ") + what;
}

FileRead ReadRegularFile(const std::string& path, std::size_t maxBytes) {
    std::variant<Opened, CannotOpen, NotRegular> opened = OpenToRead(path);
    if (auto* cannot = std::get_if<CannotOpen>(&opened)) return *cannot;
    if (auto* notRegular = std::get_if<NotRegular>(&opened)) return *notRegular;
    FileBytes bytes;
    if (!ReadFromStart(std::get<Opened>(opened).file.get(), bytes, maxBytes + 1))
        return ReadFailed{SystemText(errno)};
    return bytes;
}

PieceRead ReadRegularFileInPieces(const std::string& path, std::uint64_t maxBytes,
                                  const PieceTaker& take) {
    std::variant<Opened, CannotOpen, NotRegular> opened = OpenToRead(path);
    if (auto* cannot = std::get_if<CannotOpen>(&opened)) return *cannot;
    if (auto* notRegular = std::get_if<NotRegular>(&opened)) return *notRegular;
    const Opened& file = std::get<Opened>(opened);
    const auto size = static_cast<std::uint64_t>(file.size);
    if (size > maxBytes) return TooLarge{size};
    FileBytes piece(kPieceBytes);
    for (std::uint64_t done = 0;;) {
        const auto read = ::read(file.file.get(), piece.data(), piece.size());
        if (read < 0 && errno == EINTR) continue;
        if (read < 0) return ReadFailed{SystemText(errno)};
        if (read == 0) return ReadToEnd{};
        done += static_cast<std::uint64_t>(read);
        if (done > maxBytes) return TooLarge{done};
        if (!take(std::span(piece.data(), static_cast<std::size_t>(read)), size)) {
            return ReadStopped{};
        }
    }
}

LinkEnd FollowLinks(const std::string& path) {
    namespace fs = std::filesystem;
    fs::path current(path);
    // The caller's own bytes until a link is followed: on Windows a narrow
    // name goes into std::filesystem in one encoding and comes out in UTF-8,
    // which the C library's file functions would take for another name.
    std::string end = path;
    for (int hop = 0; hop < kMostLinks; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error))) return {end, {}};
        const fs::path target = fs::read_symlink(current, error);
        if (error) return {end, error.message()};
        current = target.is_absolute() ? target : current.parent_path() / target;
        end = current.string();
    }
    return {end, std::make_error_code(std::errc::too_many_symbolic_link_levels).message()};
}

InPlaceWrite WriteInPlace(const std::string& path, std::span<const std::uint8_t> bytes) {
    using Outcome = InPlaceWrite::Outcome;
    const Opened opened = OpenRegular(path, O_RDWR);
    if (opened.kind != FileKind::Regular) {
        const int error = opened.kind == FileKind::Unknown ? opened.error : EINVAL;
        return {Outcome::Untouched, SystemText(error)};
    }
    const int file = opened.file.get();
    FileBytes old(std::min(static_cast<std::size_t>(opened.size), bytes.size()));
    if (!ReadFromStart(file, old, old.size())) return {Outcome::Untouched, SystemText(errno)};
    if (Replace(file, bytes, static_cast<off_t>(bytes.size()))) return {Outcome::Written, {}};
    const int error = errno;
    const bool restored = Replace(file, old, opened.size);
    return {restored ? Outcome::Restored : Outcome::Damaged, SystemText(error)};
}
