// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// Start-up to first painted window, seen from the X server: starts a program,
// notes when its first top-level window is mapped, and then the first drawing
// into that window (reported by the DAMAGE extension) after which the window's
// pixels are not all one colour, that is, its content has been painted and not
// only its background cleared. Prints "pid map_ms paint_ms" once painted, in
// milliseconds from just before the program was started, then waits for the
// program to end (the caller ends it).
//
// Only core XCB is used; the three DAMAGE requests it needs are sent by hand, so no
// extension library beyond libxcb is needed.
#include <poll.h>
#include <spawn.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>

extern char** environ;

namespace {
using Clock = std::chrono::steady_clock;

constexpr int kTimeoutMs = 30000;
constexpr int kPollMs = 100;
constexpr std::uint8_t kDamageQueryVersion = 0;
constexpr std::uint8_t kDamageCreate = 1;
constexpr std::uint8_t kDamageSubtract = 3;
constexpr std::uint8_t kDamageNotify = 0;
constexpr std::uint8_t kReportNonEmpty = 3;
constexpr std::uint8_t kEventTypeMask = 0x7f;

xcb_extension_t damageExtension = {"DAMAGE", 0};

struct QueryVersionRequest {
    std::uint8_t major;
    std::uint8_t minor;
    std::uint16_t length;
    std::uint32_t clientMajor;
    std::uint32_t clientMinor;
};

struct CreateRequest {
    std::uint8_t major;
    std::uint8_t minor;
    std::uint16_t length;
    std::uint32_t damage;
    std::uint32_t drawable;
    std::uint8_t level;
    std::uint8_t pad[3];
};

struct SubtractRequest {
    std::uint8_t major;
    std::uint8_t minor;
    std::uint16_t length;
    std::uint32_t damage;
    std::uint32_t repair;
    std::uint32_t parts;
};

struct DamageNotifyEvent {
    std::uint8_t responseType;
    std::uint8_t level;
    std::uint16_t sequence;
    std::uint32_t drawable;
    std::uint32_t damage;
};

// libxcb fills in the major opcode, the minor opcode and the length.
template <typename Request>
unsigned SendDamageRequest(xcb_connection_t* connection, std::uint8_t minor, Request& request,
                           bool hasReply) {
    iovec parts[3];
    parts[2].iov_base = &request;
    parts[2].iov_len = sizeof request;
    const xcb_protocol_request_t info = {1, &damageExtension, minor,
                                         static_cast<std::uint8_t>(hasReply ? 0 : 1)};
    return xcb_send_request(connection, 0, parts + 2, &info);
}

std::optional<std::uint8_t> StartDamage(xcb_connection_t* connection) {
    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(connection, &damageExtension);
    if (extension == nullptr || !extension->present) return std::nullopt;
    QueryVersionRequest request{0, 0, 0, 1, 1};
    const unsigned sequence = SendDamageRequest(connection, kDamageQueryVersion, request, true);
    xcb_generic_error_t* error = nullptr;
    void* reply = xcb_wait_for_reply(connection, sequence, &error);
    std::free(error);
    if (reply == nullptr) return std::nullopt;
    std::free(reply);
    return extension->first_event;
}

void WatchWindow(xcb_connection_t* connection, xcb_window_t window) {
    CreateRequest request{0, 0, 0, xcb_generate_id(connection), window, kReportNonEmpty, {}};
    SendDamageRequest(connection, kDamageCreate, request, false);
}

void EmptyDamage(xcb_connection_t* connection, std::uint32_t damage) {
    SubtractRequest request{0, 0, 0, damage, XCB_NONE, XCB_NONE};
    SendDamageRequest(connection, kDamageSubtract, request, false);
}

// The window as the server holds it, clipped to the screen: painted once its
// pixels are not all the same.
bool IsPainted(xcb_connection_t* connection, xcb_window_t window, const xcb_screen_t& screen) {
    xcb_get_geometry_reply_t* geometry =
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr);
    if (geometry == nullptr) return false;
    const int width = std::min<int>(geometry->width, screen.width_in_pixels - geometry->x);
    const int height = std::min<int>(geometry->height, screen.height_in_pixels - geometry->y);
    std::free(geometry);
    if (width <= 0 || height <= 0) return false;
    xcb_get_image_reply_t* image = xcb_get_image_reply(
        connection,
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0,
                      static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), ~0u),
        nullptr);
    if (image == nullptr) return false;
    const std::uint8_t* data = xcb_get_image_data(image);
    const int length = xcb_get_image_data_length(image);
    const int pixelBytes = std::max(1, length / (width * height));
    bool uniform = true;
    for (int offset = pixelBytes; uniform && offset + pixelBytes <= length; offset += pixelBytes) {
        uniform = std::memcmp(data, data + offset, pixelBytes) == 0;
    }
    std::free(image);
    return !uniform;
}

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Display {
    xcb_connection_t* connection = nullptr;
    const xcb_screen_t* screen = nullptr;
    std::uint8_t damageEvent = 0;
};

// Connects, checks for DAMAGE and asks to hear of every top-level window.
std::optional<Display> OpenDisplay() {
    int screenNumber = 0;
    Display display;
    display.connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(display.connection)) {
        std::fprintf(stderr, "no X display\n");
        return std::nullopt;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(display.connection));
    for (int i = 0; i < screenNumber; ++i) xcb_screen_next(&screens);
    display.screen = screens.data;
    const std::optional<std::uint8_t> damageEvent = StartDamage(display.connection);
    if (!damageEvent) {
        std::fprintf(stderr, "the X server has no DAMAGE extension\n");
        return std::nullopt;
    }
    display.damageEvent = *damageEvent;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(display.connection, display.screen->root, XCB_CW_EVENT_MASK,
                                 &mask);
    xcb_flush(display.connection);
    return display;
}

// The program's top-level windows as they are created, mapped and drawn into.
struct Progress {
    std::map<xcb_window_t, bool> mapped;
    std::optional<double> mapMs;
    std::optional<double> paintMs;
};

void HandleEvent(const Display& display, const xcb_generic_event_t& event,
                 Clock::time_point started, Progress& progress) {
    const std::uint8_t type = event.response_type & kEventTypeMask;
    if (type == XCB_CREATE_NOTIFY) {
        const auto& created = reinterpret_cast<const xcb_create_notify_event_t&>(event);
        // Popups and tool tips are no program window.
        if (created.parent == display.screen->root && !created.override_redirect) {
            progress.mapped[created.window] = false;
            WatchWindow(display.connection, created.window);
            xcb_flush(display.connection);
        }
    } else if (type == XCB_MAP_NOTIFY) {
        const auto& map = reinterpret_cast<const xcb_map_notify_event_t&>(event);
        if (progress.mapped.count(map.window) != 0) {
            progress.mapped[map.window] = true;
            if (!progress.mapMs) progress.mapMs = MsSince(started);
        }
    } else if (type == display.damageEvent + kDamageNotify) {
        const auto& damage = reinterpret_cast<const DamageNotifyEvent&>(event);
        const double at = MsSince(started);
        EmptyDamage(display.connection, damage.damage);
        if (progress.mapped[damage.drawable] &&
            IsPainted(display.connection, damage.drawable, *display.screen)) {
            progress.paintMs = at;
        }
    }
}

Progress WaitForFirstPaint(const Display& display, Clock::time_point started) {
    Progress progress;
    const int fd = xcb_get_file_descriptor(display.connection);
    while (!progress.paintMs && MsSince(started) < kTimeoutMs) {
        xcb_generic_event_t* event = xcb_poll_for_event(display.connection);
        if (event == nullptr) {
            if (xcb_connection_has_error(display.connection)) break;
            pollfd wait{fd, POLLIN, 0};
            poll(&wait, 1, kPollMs);
            continue;
        }
        HandleEvent(display, *event, started, progress);
        std::free(event);
    }
    return progress;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [ARGUMENTS...]\n", argv[0]);
        return 2;
    }
    const std::optional<Display> display = OpenDisplay();
    if (!display) return 1;

    const Clock::time_point started = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[1], nullptr, nullptr, argv + 1, environ) != 0) {
        std::perror("posix_spawnp");
        return 1;
    }
    const Progress progress = WaitForFirstPaint(*display, started);
    xcb_disconnect(display->connection);
    if (!progress.paintMs) {
        std::fprintf(stderr, "no painted window within %d ms\n", kTimeoutMs);
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        return 1;
    }
    std::printf("%d %.1f %.1f\n", static_cast<int>(pid), progress.mapMs.value_or(*progress.paintMs),
                *progress.paintMs);
    std::fflush(stdout);
    int status = 0;
    waitpid(pid, &status, 0);
    return 0;
}
