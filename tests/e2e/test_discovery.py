# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 DX470 calibrator project
"""The program finds the controller by itself and a keyboard change reaches it."""

import unittest

from harness import Dx470Session


class FindsControllerAndSends(Dx470Session):
    controller_port = "COM3"

    def test_keyboard_change_reaches_the_controller(self):
        self.start_app()
        self.assertTrue(self.wait_for_link_up(), "the link did not come up")
        # Exit has the focus; the readouts 1002, 1005 and 1007 come next in the
        # tab order, then parameter 0.
        self.keys("Tab", "Tab", "Tab", "Tab", "Up")
        self.assertTrue(self.wait_for_line(self.controller, r"^rx set 0 101$", 5),
                        "\n".join(self.controller.lines()))


if __name__ == "__main__":
    unittest.main()
