#include "PlainFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
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
#else
// Never wait for a writer or a carrier, never take a terminal as the
// controlling one, and never hand the descriptor to a child.
constexpr int kOpenFlags = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
#endif

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

// Fills bytes from the file's start up to its end; false with errno set if a
// read fails.
bool ReadFromStart(int descriptor, FileBytes& bytes) {
    if (::lseek(descriptor, 0, SEEK_SET) != 0) return false;
    std::size_t got = 0;
    while (got < bytes.size()) {
        const auto read = ::read(descriptor, bytes.data() + got, bytes.size() - got);
        if (read < 0 && errno == EINTR) continue;
        if (read < 0) return false;
        if (read == 0) break;
        got += static_cast<std::size_t>(read);
    }
    bytes.resize(got);
    return true;
}

}  // namespace

FileKind KindAt(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) return KindOfMode(status.st_mode);
    return errno == ENOENT || errno == ENOTDIR ? FileKind::Missing : FileKind::Unknown;
}

FileRead ReadRegularFile(const std::string& path, std::size_t maxBytes) {
    // Looked at before opening as well: opening a device can act on it (a
    // serial port's control lines, a watchdog), and a socket does not open.
    const FileKind named = KindAt(path);
    if (named == FileKind::Missing || named == FileKind::Unknown) return CannotOpen{};
    if (named != FileKind::Regular) return NotRegular{named};
    const Opened opened = OpenRegular(path, O_RDONLY);
    if (opened.kind == FileKind::Unknown) return CannotOpen{};
    if (opened.kind != FileKind::Regular) return NotRegular{opened.kind};
    FileBytes bytes(maxBytes + 1);
    if (!ReadFromStart(opened.file.get(), bytes)) return ReadFailed{SystemText(errno)};
    return bytes;
}
