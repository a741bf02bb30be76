# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 DX470 calibrator project
"""Leaving while the search is still listening on a port, by the keyboard or
by a termination signal: the program ends at once with code 0, without waiting
for a whole probe and without a crash, and the port the search was listening
on is released (its lock file, seen before leaving, is gone)."""

import time
import unittest

from harness import EXIT_SIGNALS, Dx470Session, lock_owners, wait_for

PROBE_TIMEOUT = 5

WAYS_OUT = (
    ("Escape", lambda session: session.keys("Escape")),
    ("Enter on the Exit button", lambda session: session.keys("Return")),
    *((number.name, lambda session, number=number: session.app.send_signal(number))
      for number in EXIT_SIGNALS),
)


class ExitDuringProbe(Dx470Session):
    # The controller sits behind three silent ports, so the search is still
    # listening (for about a second) when the user leaves.
    controller_port = "COM4"

    def setUp(self):
        super().setUp()
        self.silent_devices = [self.start_simulator(port, "--silent").device
                               for port in ("COM1", "COM2", "COM3")]

    def probing(self):
        return any(self.app.pid in lock_owners(device) for device in self.silent_devices)

    def test_leaving_while_probing(self):
        for name, leave in WAYS_OUT:
            with self.subTest(way=name):
                self.start_app()
                self.assertTrue(wait_for(self.probing, PROBE_TIMEOUT, step=0.005),
                                "no probe under way")
                started = time.monotonic()
                leave(self)
                self.assert_ended_and_released(
                    started, [*self.silent_devices, self.controller.device])


if __name__ == "__main__":
    unittest.main()
