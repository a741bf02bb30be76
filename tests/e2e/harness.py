"""End-to-end harness: the built dx470 in a real X server (Xvfb), the virtual
controller linked as a COM port in a temporary port folder, driven through the
X server with xdotool, watched through the controller's log and screenshots."""

import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest

APP = os.environ.get("DX470_APP", "")
SIM = os.environ.get("DX470_SIM", "")
REFERENCE_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "reference")
SCREEN = "1024x768x24"
LINK_UP_RGB = (0x50, 0x78, 0xE1)
FRAME_SENT_RGB = (0xFF, 0xFF, 0x00)
NO_LINK_RGB = (0xFF, 0x00, 0x00)


def wait_for(predicate, timeout, step=0.05):
    """Polls predicate until it gives a true value or the time is up."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(step)


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
    """dx470-sim with its stdout log collected in a file."""

    def __init__(self, config_home, port_name, *arguments):
        self.log_path = os.path.join(config_home, f"sim-{port_name}.log")
        self.log = open(self.log_path, "w")
        env = dict(os.environ, XDG_CONFIG_HOME=config_home)
        self.process = subprocess.Popen(
            [SIM, "--link", port_name, *arguments], env=env, stdin=subprocess.PIPE,
            stdout=self.log, stderr=subprocess.STDOUT, text=True)
        if not wait_for(lambda: any(l.startswith("link ") for l in self.lines()), 5):
            raise RuntimeError("dx470-sim did not link its port")

    def lines(self):
        with open(self.log_path) as log:
            return log.read().splitlines()

    def received(self, prefix="rx "):
        return [line for line in self.lines() if line.startswith(prefix)]

    def command(self, text):
        self.process.stdin.write(text + "\n")
        self.process.stdin.flush()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(timeout=10)
        self.process.stdin.close()
        self.log.close()


class Dx470Session(unittest.TestCase):
    """One X server, one port folder with all twenty COM names linked (so the
    search never touches a real device), a controller on COM3, and the program."""

    controller_port = "COM3"
    controller_arguments = ("--gap", "10")

    def setUp(self):
        if not APP or not SIM:
            self.skipTest("DX470_APP and DX470_SIM are not set")
        self.config_home = tempfile.mkdtemp(prefix="dx470-e2e-")
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

    def tearDown(self):
        if self.app is not None and self.app.poll() is None:
            self.app.kill()
            self.app.wait(timeout=10)
        for sim in self.simulators:
            sim.stop()
        shutil.rmtree(self.config_home, ignore_errors=True)

    def start_simulator(self, port_name, *arguments):
        link = os.path.join(self.config_home, "dx470", "ports", port_name)
        if os.path.islink(link):
            os.unlink(link)
        sim = Simulator(self.config_home, port_name, *arguments)
        self.simulators.append(sim)
        return sim

    def env(self):
        return dict(os.environ, DISPLAY=self.x.display, XDG_CONFIG_HOME=self.config_home,
                    QT_QPA_PLATFORM="xcb")

    def start_app(self):
        self.app = subprocess.Popen([APP], env=self.env(), stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
        self.window = wait_for(lambda: self.find_window("DX470"), 15)
        self.assertTrue(self.window, "the calibration window did not appear")
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

    def size(self):
        geometry = self.xdo("getwindowgeometry", "--shell", self.window)
        values = dict(line.split("=") for line in geometry.splitlines())
        return int(values["WIDTH"]), int(values["HEIGHT"])

    def pixel(self, x, y):
        """The (red, green, blue) of one pixel of the window."""
        text = subprocess.run(
            ["import", "-window", self.window, "-crop", f"1x1+{x}+{y}", "-depth", "8", "txt:-"],
            env=self.env(), capture_output=True, text=True, timeout=30).stdout
        match = re.search(r"\((\d+),(\d+),(\d+)", text.splitlines()[-1])
        return tuple(int(v) for v in match.groups())

    def status_colour(self):
        width, height = self.size()
        return self.pixel(4, height - 4)

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
