# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 DX470 calibrator project
"""What the status bar tells of the link: the search, the find, a controller
that falls silent and one that talks again."""

import time
import unittest

from harness import NO_LINK_RGB, Dx470Session


class SearchThenFound(Dx470Session):
    # Six silent controllers ahead of the real one hold the search for nearly
    # two seconds (it listens 300 ms on each), long enough to look at it even
    # when the window is slow to appear.
    controller_port = "COM7"

    def setUp(self):
        super().setUp()
        for n in range(1, 7):
            self.start_simulator(f"COM{n}", "--silent")

    def test_searching_then_ok(self):
        self.start_app()
        self.assert_crop_matches("pane1-searching", [self.pane1_box()], timeout=1.0)
        self.assert_link_up()


class SilenceAndBack(Dx470Session):
    # The link is declared lost 2.2 to 2.4 s after the last frame.
    earliest_loss = 2.0
    silence = 3.0

    def test_silent_controller_then_talking_again(self):
        self.start_app()
        self.assert_link_up()
        self.controller.command("silent")
        silenced = time.monotonic()
        self.assertTrue(self.wait_for_status_colour((NO_LINK_RGB,), 8),
                        "the status bar did not turn red")
        self.assertGreater(time.monotonic() - silenced, self.earliest_loss)
        self.assert_crop_matches("pane1-waiting", [self.pane1_box()])

        # Nothing brings the link back while the controller keeps silent.
        time.sleep(max(0.0, self.silence - (time.monotonic() - silenced)))
        self.assertEqual(self.status_colour(), NO_LINK_RGB)
        self.assert_crop_matches("pane1-waiting", [self.pane1_box()], timeout=0)

        self.controller.command("talk")
        self.assert_link_up()


if __name__ == "__main__":
    unittest.main()
