# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 DX470 calibrator project
"""Leaving while linked closes the controller's port, whichever way the user or
the system asks: the program ends at once with code 0 and QSerialPort's lock
file for the port is gone."""

import signal
import time
import unittest

from harness import EXIT_BUTTON, EXIT_SIGNALS, Dx470Session, wait_for

PORT_TIMEOUT = 5


def open_about_box(session):
    session.keys("alt+h", "a")
    session.assertTrue(session.wait_for_dialog("关于DX470"), "the About box did not open")


def send(number):
    return lambda session: session.app.send_signal(number)


# What the user does first, if anything, and how the program is then left.
WAYS_OUT = (
    ("Exit button", None, lambda session: session.click_control(EXIT_BUTTON)),
    ("File > Exit", None, lambda session: session.keys("alt+f", "x")),
    *((number.name, None, send(number)) for number in EXIT_SIGNALS),
    # The signal also ends the box's own event loop.
    ("SIGTERM behind the About box", open_about_box, send(signal.SIGTERM)),
)


class ExitClosesThePort(Dx470Session):

    def linked_device(self):
        self.start_app()
        self.assertTrue(self.wait_for_link_up(), "the link did not come up")
        device = self.controller.device
        self.assertTrue(wait_for(lambda: self.holds_port(device), PORT_TIMEOUT),
                        f"the program does not hold {device}")
        return device

    def test_every_way_out_closes_the_port(self):
        for name, before, leave in WAYS_OUT:
            with self.subTest(way=name):
                device = self.linked_device()
                if before is not None:
                    before(self)
                started = time.monotonic()
                leave(self)
                self.assert_ended_and_released(started, [device])


if __name__ == "__main__":
    unittest.main()
