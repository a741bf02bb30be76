"""Leaving while the search is still listening on a port ends the program at
once, without waiting for the worker and without a crash."""

import time
import unittest

from harness import Dx470Session


class ExitDuringProbe(Dx470Session):
    # The controller sits behind three silent ports, so the search is still
    # listening (for about a second) when the user leaves.
    controller_port = "COM4"

    def setUp(self):
        super().setUp()
        for port in ("COM1", "COM2", "COM3"):
            self.start_simulator(port, "--silent")

    def leave_with(self, *keys):
        self.start_app()
        started = time.monotonic()
        self.keys(*keys)
        code = self.app.wait(timeout=10)
        return code, time.monotonic() - started

    def test_escape_while_probing(self):
        code, seconds = self.leave_with("Escape")
        self.assertEqual(code, 0)
        self.assertLess(seconds, 1.0)

    def test_enter_on_exit_button_while_probing(self):
        code, seconds = self.leave_with("Return")
        self.assertEqual(code, 0)
        self.assertLess(seconds, 1.0)


if __name__ == "__main__":
    unittest.main()
