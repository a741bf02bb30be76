"""Leaving closes the controller's port: the program ends at once with code 0
and QSerialPort's lock file for the port is gone."""

import time
import unittest

from harness import EXIT_BUTTON, Dx470Session, lock_files, wait_for

PORT_TIMEOUT = 5
EXIT_TIME = 1.0


class ExitClosesThePort(Dx470Session):

    def linked_device(self):
        self.start_app()
        self.assertTrue(self.wait_for_link_up(), "the link did not come up")
        device = self.controller.device
        self.assertTrue(wait_for(lambda: self.holds_port(device), PORT_TIMEOUT),
                        f"the program does not hold {device}")
        return device

    def assert_ended_and_released(self, device, started):
        code = self.app.wait(timeout=10)
        self.assertEqual(code, 0)
        self.assertLess(time.monotonic() - started, EXIT_TIME)
        self.assertEqual(lock_files(device), [])

    def test_exit_button(self):
        device = self.linked_device()
        started = time.monotonic()
        self.click_control(EXIT_BUTTON)
        self.assert_ended_and_released(device, started)

    def test_file_exit(self):
        device = self.linked_device()
        self.keys("alt+f")
        started = time.monotonic()
        self.keys("x")
        self.assert_ended_and_released(device, started)


if __name__ == "__main__":
    unittest.main()
