# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 DX470 calibrator project
"""OFFLINE and a COM port chosen from the settings menu with the keyboard."""

import unittest

from harness import NO_LINK_RGB, Dx470Session, wait_for

PORT_TIMEOUT = 5


class PortMenu(Dx470Session):
    controller_port = "COM3"

    def test_offline_releases_the_port_and_com3_takes_it_again(self):
        self.start_app()
        self.assert_link_up()
        device = self.controller.device
        self.assertTrue(wait_for(lambda: self.holds_port(device), PORT_TIMEOUT),
                        f"the program does not hold {device}")

        self.choose_port("OFFLINE")
        self.assert_crop_matches("pane1-stop", [self.pane1_box()])
        self.assertEqual(self.status_colour(), NO_LINK_RGB)
        self.assertTrue(wait_for(lambda: self.released_port(device), PORT_TIMEOUT),
                        f"{device} is still open or locked")

        # A silent controller keeps the new port waiting until we have looked.
        self.controller.command("silent")
        self.choose_port("COM3")
        self.assert_crop_matches("pane1-waiting", [self.pane1_box()])
        self.assertTrue(wait_for(lambda: self.holds_port(device), PORT_TIMEOUT),
                        f"COM3 did not open {device}")
        self.controller.command("talk")
        self.assert_link_up()


if __name__ == "__main__":
    unittest.main()
