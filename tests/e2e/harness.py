# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 DX470 calibrator project
"""End-to-end harness: the built dx470 in a real X server (Xvfb), the virtual
controller linked as a COM port in a temporary port folder, driven through the
X server with xdotool, watched through the controller's log and screenshots.

Run with `ctest -L e2e` in a build folder. Crops of the window are compared
with the pictures in reference/; after a deliberate change of the window,
`DX470_UPDATE_REFERENCES=1 ctest -L e2e` writes them anew (look at each)."""

import json
import os
import re
import shutil
import signal
import subprocess
import tempfile
import threading
import time
import unittest

APP = os.environ.get("DX470_APP", "")
SIM = os.environ.get("DX470_SIM", "")
REFERENCE_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "reference")
# DX470_UPDATE_REFERENCES=1 writes the crops as new reference images instead
# of comparing them; look at each one before committing it.
UPDATE_REFERENCES = os.environ.get("DX470_UPDATE_REFERENCES") == "1"
# Crops that do not match are kept here for a look.
FAILURE_DIR = os.environ.get("DX470_E2E_FAILURES",
                             os.path.join(tempfile.gettempdir(), "dx470-e2e-failures"))
SCREEN = "1024x768x24"
LINK_UP_RGB = (0x50, 0x78, 0xE1)
FRAME_SENT_RGB = (0xFF, 0xFF, 0x00)
NO_LINK_RGB = (0xFF, 0x00, 0x00)

# A pixel counts as different when a channel is off by more than this...
COMPARE_FUZZ = "15%"
# ...and a crop matches when no more than this many pixels differ. The same
# build on the same X server draws the same pixels; the allowance only absorbs
# an odd anti-aliased edge, far below what one changed character makes.
ALLOWED_PIXELS = 6

# The program writes its layout to the file this variable names: each
# control's [x, y, width, height] in window pixels, by its objectName ("nested/
# names" below the window), and each menu of the menu bar by its title.
LAYOUT_FILE_VARIABLE = "DX470_LAYOUT_FILE"
LAYOUT_TIMEOUT = 5
# Controls by name.
WRITE_BUTTON = "writeButton"
EXIT_BUTTON = "exitButton"
LABELS = ("petrolLabel", "gasLabel", "lambdaLabel", "paramRowLabel")
STATUS_BAR = "statusBar"
LINK_STATUS_PANE = "statusBar/linkStatusPane"
MENU_BAR = "menuBar"
SETTINGS_TITLE = "menuBar/settingsMenu"
# The status colour is read this far in from the status bar's bottom-left corner.
STATUS_SAMPLE_INSET = 4
# The sunken frame around a status pane's text.
PANE_FRAME = 1
# "COM OK" without the dots that follow it and move.
COM_OK_PREFIX_WIDTH = 39
# The titles of the menu bar from its left end, wide enough for either
# language (the layout gives the titles of the language at start only).
MENU_TITLES_WIDTH = 240
# The drop-down of the settings menu, which exists only while open: from just
# left of its title, wide enough for either language.
SETTINGS_MENU_LEFT_OF_TITLE = 2
SETTINGS_MENU_SIZE = (140, 46)

# The port submenu in order; the arrow keys step over its separator.
PORT_MENU_ITEMS = ("AUTO", "OFFLINE", *(f"COM{n}" for n in range(1, 17)))
# Where QSerialPort puts its lock files on Debian (/var/lock links to /run/lock).
LOCK_DIRS = ("/run/lock", "/var/lock")
# The signals that end the program the way its Exit button does.
EXIT_SIGNALS = (signal.SIGTERM, signal.SIGINT, signal.SIGHUP)
# How long the program may take to end once asked.
EXIT_TIME = 1.0


def wait_for(predicate, timeout, step=0.05):
    """Polls predicate until it gives a true value or the time is up."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(step)


def differing_pixels(first, second, fuzz=COMPARE_FUZZ):
    """How many pixels of two images differ by more than fuzz; None when the
    images cannot be compared (different sizes, a missing file)."""
    result = subprocess.run(["compare", "-metric", "AE", "-fuzz", fuzz, first, second, "null:"],
                            capture_output=True, text=True, timeout=30)
    if result.returncode not in (0, 1):
        return None
    return int(float(result.stderr.split()[0]))


def read_layout(path):
    """The layout the program wrote, or None while there is none."""
    try:
        with open(path) as file:
            return json.load(file)
    except (OSError, ValueError):
        return None


def lock_file_name(device):
    """QSerialPort's lock file for a device: /dev/pts/3 gives LCK..pts_3."""
    return "LCK.." + device.removeprefix("/dev/").replace("/", "_")


def lock_files(device):
    """The lock files that name the device, each once."""
    paths = {os.path.realpath(os.path.join(folder, lock_file_name(device))) for folder in LOCK_DIRS}
    return sorted(path for path in paths if os.path.exists(path))


def lock_owners(device):
    """Process ids written into the lock files that name the device."""
    owners = set()
    for path in lock_files(device):
        try:
            with open(path) as lock:
                owners.add(int(lock.readline().strip() or "0"))
        except (OSError, ValueError):
            pass
    return owners


def open_descriptors(pid, device):
    """How many file descriptors of the process refer to the device."""
    folder = f"/proc/{pid}/fd"
    count = 0
    for fd in os.listdir(folder):
        try:
            count += os.readlink(os.path.join(folder, fd)) == device
        except OSError:
            pass
    return count


def keep_failure(path, screen, test_id, name):
    """Copies a crop that did not match, and the screen it came from, to
    FAILURE_DIR; gives the crop's new path."""
    os.makedirs(FAILURE_DIR, exist_ok=True)
    kept = os.path.join(FAILURE_DIR, f"{test_id}.{name}.png")
    shutil.copyfile(path, kept)
    shutil.copyfile(screen, os.path.join(FAILURE_DIR, f"{test_id}.{name}.screen.png"))
    return kept


class XServer:
    def __init__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", SCREEN,
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)


class Simulator:
    """dx470-sim with its stdout log collected in a file. A reader thread notes
    the time each line arrives, so tests can measure the pace on the wire."""

    def __init__(self, config_home, port_name, *arguments):
        self.log_path = os.path.join(config_home, f"sim-{port_name}.log")
        self.log = open(self.log_path, "w")
        self.stamped = []
        env = dict(os.environ, XDG_CONFIG_HOME=config_home)
        self.process = subprocess.Popen(
            [SIM, "--link", port_name, *arguments], env=env, stdin=subprocess.PIPE,
            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()
        if not wait_for(lambda: any(l.startswith("link ") for l in self.lines()), 5):
            raise RuntimeError("dx470-sim did not link its port")

    def _read(self):
        for line in self.process.stdout:
            self.stamped.append((time.monotonic(), line.rstrip("\n")))
            self.log.write(line)
            self.log.flush()

    def lines(self):
        return [line for _, line in list(self.stamped)]

    def received(self, prefix="rx "):
        return [line for line in self.lines() if line.startswith(prefix)]

    def received_with_times(self, prefix="rx "):
        """(monotonic time of arrival, line) for each received line."""
        return [(at, line) for at, line in list(self.stamped) if line.startswith(prefix)]

    @property
    def device(self):
        """The pseudo-terminal the controller talks on, /dev/pts/N."""
        return self.lines()[0].split(" ", 1)[1]

    def command(self, text):
        self.process.stdin.write(text + "\n")
        self.process.stdin.flush()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(timeout=10)
        self.reader.join(timeout=10)
        self.process.stdin.close()
        self.process.stdout.close()
        self.log.close()


class Dx470Session(unittest.TestCase):
    """One X server, one port folder with all twenty COM names linked (so the
    search never touches a real device), a data folder of its own, a controller
    on COM3, and the program."""

    controller_port = "COM3"
    controller_arguments = ("--gap", "10")

    def setUp(self):
        if not APP or not SIM:
            self.skipTest("DX470_APP and DX470_SIM are not set")
        self.config_home = tempfile.mkdtemp(prefix="dx470-e2e-")
        self.set_documents_folder("Documents")
        ports = os.path.join(self.config_home, "dx470", "ports")
        os.makedirs(ports)
        for n in range(1, 21):
            if f"COM{n}" != self.controller_port:
                os.symlink(os.path.join(self.config_home, f"absent-{n}"),
                           os.path.join(ports, f"COM{n}"))
        self.x = XServer()
        self.addCleanup(self.x.stop)
        self.simulators = []
        self.controller = self.start_simulator(self.controller_port, *self.controller_arguments)
        self.app = None
        self.window = None
        self.layout = None

    def tearDown(self):
        self.kill_app()
        for sim in self.simulators:
            sim.stop()
        shutil.rmtree(self.config_home, ignore_errors=True)

    def set_documents_folder(self, name):
        """The user's documents folder as the desktop names it, in the
        temporary folder: the program's session logs go into it."""
        self.documents = os.path.join(self.config_home, name)
        with open(os.path.join(self.config_home, "user-dirs.dirs"), "w", encoding="utf-8") as dirs:
            dirs.write(f'XDG_DOCUMENTS_DIR="{self.documents}"\n')

    def log_folder(self):
        return os.path.join(self.documents, "DX470 logs")

    def start_simulator(self, port_name, *arguments):
        link = os.path.join(self.config_home, "dx470", "ports", port_name)
        if os.path.islink(link):
            os.unlink(link)
        sim = Simulator(self.config_home, port_name, *arguments)
        self.simulators.append(sim)
        return sim

    def env(self):
        # The data folder too: changes a run leaves unstored are kept there
        # and offered by the next run.
        return dict(os.environ, DISPLAY=self.x.display, XDG_CONFIG_HOME=self.config_home,
                    XDG_DATA_HOME=os.path.join(self.config_home, "data"), QT_QPA_PLATFORM="xcb")

    def kill_app(self):
        """Kills a program still running (a case that failed left it)."""
        if self.app is not None and self.app.poll() is None:
            self.app.kill()
            self.app.wait(timeout=10)

    def start_app(self):
        self.kill_app()
        layout_path = os.path.join(self.config_home, "layout.json")
        if os.path.exists(layout_path):
            os.unlink(layout_path)
        env = dict(self.env(), **{LAYOUT_FILE_VARIABLE: layout_path})
        self.app = subprocess.Popen([APP], env=env, cwd=self.config_home,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # A run that failed to release its ports must not trouble later tests.
        self.addCleanup(self.remove_stale_locks, self.app.pid)
        self.window = wait_for(lambda: self.find_window("DX470"), 15)
        self.assertTrue(self.window, "the calibration window did not appear")
        self.layout = wait_for(lambda: read_layout(layout_path), LAYOUT_TIMEOUT)
        self.assertTrue(self.layout, "the program wrote no layout")
        self.xdo("windowfocus", "--sync", self.window)
        return self.window

    def xdo(self, *arguments):
        result = subprocess.run(["xdotool", *arguments], env=self.env(), capture_output=True,
                                text=True, timeout=30)
        return result.stdout.strip()

    def find_window(self, title):
        found = self.xdo("search", "--onlyvisible", "--name", title)
        return found.splitlines()[0] if found else None

    def keys(self, *names):
        for name in names:
            self.xdo("key", "--clearmodifiers", name)
            time.sleep(0.05)

    def click(self, x, y):
        """A left click at window coordinates."""
        self.xdo("mousemove", "--window", self.window, str(x), str(y))
        self.xdo("click", "1")

    def pixel(self, x, y):
        """The (red, green, blue) of one pixel of the window."""
        text = subprocess.run(
            ["import", "-window", self.window, "-crop", f"1x1+{x}+{y}", "-depth", "8", "txt:-"],
            env=self.env(), capture_output=True, text=True, timeout=30).stdout
        match = re.search(r"\((\d+),(\d+),(\d+)", text.splitlines()[-1])
        return tuple(int(v) for v in match.groups())

    def status_colour(self):
        x, y, width, height = self.box(STATUS_BAR)
        return self.pixel(x + STATUS_SAMPLE_INSET, y + height - STATUS_SAMPLE_INSET)

    def wait_for_link_up(self, timeout=15):
        """The status bar turns blue (or flashes yellow) once the link is up."""
        return wait_for(lambda: self.status_colour() in (LINK_UP_RGB, FRAME_SENT_RGB), timeout,
                        step=0.2)

    def wait_for_line(self, sim, pattern, timeout=10):
        regex = re.compile(pattern)
        return wait_for(lambda: [l for l in sim.lines() if regex.search(l)], timeout)

    def screenshot(self, name):
        path = os.path.join(self.config_home, name + ".png")
        subprocess.run(["import", "-window", self.window, path], env=self.env(), check=True,
                       timeout=30)
        return path

    # --- the window's geometry

    def box(self, name):
        """A control's box in window pixels, as the program laid it out."""
        return tuple(self.layout[name])

    def centre(self, name):
        x, y, width, height = self.box(name)
        return x + width // 2, y + height // 2

    def spin_up_arrow(self, k):
        """The middle of the upper arrow of parameter k's spin button."""
        return self.centre(f"paramSpin{k}/up")

    def pane1_box(self, width=None):
        """Status pane 1 (link status) inside its frame; width cuts it short."""
        x, y, full_width, height = self.box(LINK_STATUS_PANE)
        inner_width = full_width - 2 * PANE_FRAME
        return (x + PANE_FRAME, y + PANE_FRAME, width or inner_width, height - 2 * PANE_FRAME)

    def menu_titles_box(self):
        x, y, _, height = self.box(MENU_BAR)
        return (x, y, MENU_TITLES_WIDTH, height)

    def settings_menu_box(self):
        x, y, _, height = self.box(SETTINGS_TITLE)
        width, menu_height = SETTINGS_MENU_SIZE
        return (x - SETTINGS_MENU_LEFT_OF_TITLE, y + height, width, menu_height)

    # --- pictures

    def position(self):
        geometry = self.xdo("getwindowgeometry", "--shell", self.window)
        values = dict(line.split("=") for line in geometry.splitlines())
        return int(values["X"]), int(values["Y"])

    def screen_path(self):
        return os.path.join(self.config_home, "screen.png")

    def crop(self, boxes, path):
        """Cuts boxes (window pixels) out of the screen, side by side into one
        picture. The screen, not the window, so open menus show too."""
        screen = self.screen_path()
        subprocess.run(["import", "-window", "root", screen], env=self.env(), check=True,
                       timeout=30)
        left, top = self.position()
        command = ["convert", screen]
        for x, y, width, height in boxes:
            command += ["(", "-clone", "0", "-crop", f"{width}x{height}+{left + x}+{top + y}",
                        "+repage", ")"]
        command += ["-delete", "0", "-background", "white", "+append", "+repage", path]
        subprocess.run(command, check=True, timeout=30)
        return path

    def assert_crop_matches(self, name, boxes, timeout=5.0, allowed=ALLOWED_PIXELS):
        """Polls until the crop of boxes matches reference/<name>.png. With
        DX470_UPDATE_REFERENCES=1 it writes the crop as that reference instead,
        once two crops in a row agree."""
        reference = os.path.join(REFERENCE_DIR, name + ".png")
        current = os.path.join(self.config_home, name + ".png")
        if UPDATE_REFERENCES:
            self.write_reference(reference, current, boxes, timeout)
            return
        self.assertTrue(os.path.exists(reference),
                        f"{reference} is missing: run with DX470_UPDATE_REFERENCES=1")
        last = []

        def matches():
            last.append(differing_pixels(reference, self.crop(boxes, current)))
            return last[-1] is not None and last[-1] <= allowed

        if not wait_for(matches, timeout, step=0.1):
            kept = keep_failure(current, self.screen_path(), self.id(), name)
            self.fail(f"{name}: {last[-1]} pixels differ from the reference (allowed {allowed});"
                      f" the crop is kept as {kept}")

    def write_reference(self, reference, current, boxes, timeout):
        previous = os.path.join(self.config_home, "previous.png")
        self.crop(boxes, previous)

        def settled():
            self.crop(boxes, current)
            if differing_pixels(previous, current, fuzz="0%") == 0:
                return True
            shutil.copyfile(current, previous)
            return False

        self.assertTrue(wait_for(settled, timeout, step=0.1), "the crop did not settle")
        os.makedirs(REFERENCE_DIR, exist_ok=True)
        shutil.copyfile(current, reference)

    # --- the link as the window shows it

    def wait_for_status_colour(self, colours, timeout):
        return wait_for(lambda: self.status_colour() in colours, timeout, step=0.1)

    def assert_link_up(self, timeout=15):
        self.assertTrue(self.wait_for_link_up(timeout), "the status bar did not turn blue")
        self.assert_crop_matches("pane1-com-ok", [self.pane1_box(COM_OK_PREFIX_WIDTH)])

    # --- the user's hands

    def click_control(self, name):
        self.click(*self.centre(name))

    def park_pointer(self):
        """Moves the pointer off the window, so nothing shows a hover look."""
        self.xdo("mousemove", "0", "0")

    def open_settings_menu(self):
        """The settings menu drops down with its first item, the port submenu, lit."""
        self.keys("alt+t")

    def open_port_menu(self):
        """The port submenu, with AUTO lit."""
        self.open_settings_menu()
        self.keys("Right")

    def choose_port(self, label):
        self.open_port_menu()
        self.keys(*["Down"] * PORT_MENU_ITEMS.index(label), "Return")

    def choose_language(self, english, settings_menu_open=False):
        """Settings menu, second item (the language submenu): 中文 or English."""
        if not settings_menu_open:
            self.open_settings_menu()
        self.keys("Down", "Right", *(["Down"] if english else []), "Return")

    def window_name(self):
        return self.xdo("getwindowname", self.window)

    def wait_for_window_name(self, name, timeout=5):
        return wait_for(lambda: self.window_name() == name, timeout)

    def wait_for_dialog(self, title, timeout=10):
        """A window of that title that has the keyboard focus."""
        def focused_dialog():
            found = self.xdo("search", "--onlyvisible", "--name", f"^{title}$")
            focus = self.xdo("getwindowfocus")
            return focus if focus and focus in found.splitlines() else None
        return wait_for(focused_dialog, timeout)

    # --- the serial port as the system sees it

    def holds_port(self, device):
        """The program has the device open and its lock file names it."""
        return open_descriptors(self.app.pid, device) > 0 and self.app.pid in lock_owners(device)

    def assert_ended_and_released(self, started, devices, within=EXIT_TIME):
        """The program ended with code 0 within the time since started, and
        no lock file names any of the devices."""
        code = self.app.wait(timeout=10)
        self.assertEqual(code, 0)
        self.assertLess(time.monotonic() - started, within)
        for device in devices:
            self.assertEqual(lock_files(device), [], f"a lock file names {device}")

    def released_port(self, device):
        return open_descriptors(self.app.pid, device) == 0 and not lock_files(device)

    def remove_stale_locks(self, pid):
        """Lock files left by a program this session killed."""
        for folder in LOCK_DIRS:
            names = os.listdir(folder) if os.path.isdir(folder) else ()
            for name in (n for n in names if n.startswith("LCK..")):
                path = os.path.join(folder, name)
                try:
                    with open(path) as lock:
                        stale = lock.readline().strip() == str(pid)
                    if stale:
                        os.unlink(path)
                except OSError:
                    pass
