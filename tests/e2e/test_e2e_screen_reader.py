# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 DX470 calibrator project
"""What a screen reader gets over the real AT-SPI bus: labels and buttons by
the text they show, readouts labelled by the label above them, the link status
pane by its text, and a change of the link's state announced once while the
dots move. Opt-in (DX470_E2E_ATSPI=1): it needs a session bus of its own, the
AT-SPI bus launcher (at-spi2-core) and Debian's python3 with python3-dbus and
python3-gi, which atspi_probe.py runs on."""

import json
import os
import signal
import subprocess
import time
import unittest

from harness import Dx470Session, wait_for

PROBE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "atspi_probe.py")
SYSTEM_PYTHON = "/usr/bin/python3"
ENABLED = os.environ.get("DX470_E2E_ATSPI") == "1"
APP_NAME = "dx470"
# The link's dots move every 200 ms: this long shows several steps.
DOTS_WATCH = 1.5
# The link is declared lost 2.2 to 2.4 s after the last frame.
LOSS_WATCH = 4.0


def probe_ready():
    if not os.path.exists(SYSTEM_PYTHON):
        return False
    found = subprocess.run([SYSTEM_PYTHON, "-c", "import dbus, gi"], capture_output=True)
    return found.returncode == 0


class SessionBus:
    """A D-Bus session bus of the test's own; the AT-SPI bus it starts on
    demand goes with it (one process group)."""

    def __init__(self):
        self.process = subprocess.Popen(
            ["dbus-daemon", "--session", "--nofork", "--print-address=1"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, start_new_session=True)
        self.address = self.process.stdout.readline().strip()
        if not self.address:
            raise RuntimeError("dbus-daemon did not start")

    def stop(self):
        try:
            os.killpg(self.process.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
        self.process.wait(timeout=10)
        self.process.stdout.close()


@unittest.skipUnless(ENABLED, "set DX470_E2E_ATSPI=1 to check over the AT-SPI bus")
class ScreenReader(Dx470Session):

    def setUp(self):
        if not probe_ready():
            self.skipTest(f"{SYSTEM_PYTHON} lacks python3-dbus or python3-gi")
        super().setUp()
        self.bus = SessionBus()
        self.addCleanup(self.bus.stop)
        # The first look starts the AT-SPI bus, as a screen reader's would;
        # the program joins it as it starts.
        self.assertEqual(self.probe("tree", APP_NAME), [])

    def env(self):
        return dict(super().env(), DBUS_SESSION_BUS_ADDRESS=self.bus.address,
                    QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")

    def probe(self, *arguments):
        result = subprocess.run([SYSTEM_PYTHON, PROBE, *arguments], env=self.env(),
                                capture_output=True, text=True, timeout=60)
        self.assertEqual(result.returncode, 0, result.stderr)
        return json.loads(result.stdout.splitlines()[-1])

    def objects(self):
        """Every accessible object of the program, once it has its window."""
        found = wait_for(lambda: [o for o in self.probe("tree", APP_NAME)
                                  if o["role"] == "push button"], 10)
        self.assertTrue(found, "the program did not appear on the AT-SPI bus")
        return self.probe("tree", APP_NAME)

    def named(self, objects, name):
        return [o for o in objects if o["name"] == name]

    def link_pane(self, objects):
        panes = [o for o in objects if o["description"].startswith("连接状态")]
        self.assertEqual(len(panes), 1, panes)
        return panes[0]

    def test_named_as_shown_and_link_changes_announced(self):
        self.start_app()
        self.assert_link_up()
        objects = self.objects()
        for name, role in (("退出", "push button"), ("写入参数", "push button"),
                           ("喷油时间(ms)", "label"), ("喷气时间(ms)", "label"),
                           ("氧传感器(V)", "label"), ("设置", "label")):
            self.assertEqual([o["role"] for o in self.named(objects, name)], [role], name)
        readouts = self.named(objects, "喷油时间(毫秒)")
        self.assertEqual([o["labelled_by"] for o in readouts], [["喷油时间(ms)"]])
        self.assertTrue(self.link_pane(objects)["name"].startswith("COM OK."))

        listener = subprocess.Popen(
            [SYSTEM_PYTHON, PROBE, "listen", str(DOTS_WATCH + LOSS_WATCH)], env=self.env(),
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.assertIn("listening", listener.stdout.readline())
        time.sleep(DOTS_WATCH)
        self.controller.command("silent")
        out, err = listener.communicate(timeout=60)
        self.assertEqual(listener.returncode, 0, err)
        pane = self.link_pane(self.probe("tree", APP_NAME))["path"]
        told = [heard["name"] for heard in json.loads(out.splitlines()[-1])
                if heard["path"] == pane]
        # The dots moved unannounced; the loss was told once.
        self.assertEqual(told, ["COM Waiting..."])


if __name__ == "__main__":
    unittest.main()
