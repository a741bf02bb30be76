# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 DX470 calibrator project
"""Leaving during a search, over and over: at different moments of a probe
(opening a port, listening, moving on to the next) and with several workers
overlapping after AUTO. The program ends at once with code 0 every time (a
crash or an abort from a worker still running would show as a signal) and
leaves no lock file behind, and a new run afterwards still finds the
controller."""

import os
import time
import unittest

from harness import Dx470Session, wait_for

SILENT_PORTS = ("COM1", "COM2", "COM3", "COM4", "COM5")
ROUNDS = 15
# Waits after a worker was seen holding a port: the listening window is
# 300 ms, so these fall early, midway and late in it and across its end.
DELAYS = (0.0, 0.07, 0.15, 0.23, 0.31)
PROBE_TIMEOUT = 5


def held_terminals(pid):
    """The pseudo-terminals the process has open."""
    held = set()
    folder = f"/proc/{pid}/fd"
    for fd in os.listdir(folder):
        try:
            held.add(os.readlink(os.path.join(folder, fd)))
        except OSError:
            pass
    return {path for path in held if path.startswith("/dev/pts/")}


class ExitDuringProbeRepeated(Dx470Session):
    # Five silent ports in front of the controller keep a search busy for
    # about 1.6 s.
    controller_port = "COM6"

    def setUp(self):
        super().setUp()
        self.silent_devices = set()
        for port in SILENT_PORTS:
            sim = self.start_simulator(port, "--silent")
            self.silent_devices.add(sim.lines()[0].split(" ", 1)[1])

    def choose_auto(self):
        # Settings menu, its first item (the port submenu), its first item.
        self.keys("alt+t", "Right", "Return")

    def probing(self):
        return held_terminals(self.app.pid) & self.silent_devices

    def leave(self, round_number):
        if round_number % 2 == 0:
            self.keys("Escape")
        else:
            self.keys("alt+f")
            self.keys("x")

    def test_leaving_during_probes_many_times(self):
        for round_number in range(ROUNDS):
            with self.subTest(round=round_number):
                self.start_app()
                for _ in range(round_number % 3):
                    self.choose_auto()
                self.assertTrue(wait_for(self.probing, PROBE_TIMEOUT, step=0.005),
                                "no probe under way")
                time.sleep(DELAYS[round_number % len(DELAYS)])
                started = time.monotonic()
                self.leave(round_number)
                self.assert_ended_and_released(started, self.silent_devices)

        self.start_app()
        self.assertTrue(self.wait_for_link_up(), "a new run did not find the controller")
        self.keys("Escape")
        self.assertEqual(self.app.wait(timeout=10), 0)


if __name__ == "__main__":
    unittest.main()
