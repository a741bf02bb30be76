# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 DX470 calibrator project
"""What reaches the controller when the user changes parameters: a spin
click, the Write button, a parameter file."""

import os
import struct
import time
import unittest

from harness import WRITE_BUTTON, Dx470Session

# What the controller holds at start; the panel loads it at link-up.
HELD = 100
# How long to keep watching the wire for frames that should not come.
QUIET_CHECK = 1.0
# An echo of the old value already on its way can make a frame go out once
# more; that is the only repeat allowed.
MOST_REPEATS = 2
# Frames leave at most every third tick of the 100 ms timer.
MIN_SPACING = 0.25
MAX_MEAN_SPACING = 0.5
OPEN_DIALOG_TITLE = "Open"
PARAM_COUNT = 16


class Sending(Dx470Session):
    controller_arguments = ("--gap", "10", "--params", str(HELD))

    def set_frames(self):
        return self.controller.received("rx set ")

    def test_spin_clicks_send_their_frames(self):
        self.start_app()
        self.assertTrue(self.wait_for_link_up(), "the link did not come up")
        first, last = 0, PARAM_COUNT - 1
        self.click(*self.spin_up_arrow(first))
        self.click(*self.spin_up_arrow(last))
        expected = {f"rx set {first} {HELD + 1}", f"rx set {last} {HELD + 1}"}
        self.assertTrue(self.wait_for_line(self.controller, rf"^rx set {last} ", 5),
                        "\n".join(self.controller.lines()))
        time.sleep(QUIET_CHECK)
        frames = self.set_frames()
        self.assertEqual(set(frames), expected)
        self.assertEqual(frames[0], f"rx set {first} {HELD + 1}")
        self.assertLessEqual(len(frames), len(expected) * MOST_REPEATS)

    def test_write_sends_the_store_frame(self):
        self.start_app()
        self.assertTrue(self.wait_for_link_up(), "the link did not come up")
        self.click_control(WRITE_BUTTON)
        self.assertTrue(self.wait_for_line(self.controller, r"^rx store$", 5),
                        "\n".join(self.controller.lines()))
        time.sleep(QUIET_CHECK)
        self.assertEqual(self.controller.received(), ["rx store"])

    def test_loaded_file_sends_the_differing_parameters_lowest_first(self):
        changed = {1: 110, 3: 120, 7: 90, 12: 200, 15: 130}
        values = [changed.get(k, HELD) for k in range(PARAM_COUNT)]
        path = os.path.join(self.config_home, "set.tq4")
        with open(path, "wb") as file:
            file.write(struct.pack("<16i", *values))

        self.start_app()
        self.assertTrue(self.wait_for_link_up(), "the link did not come up")
        self.keys("alt+f", "Return")
        self.assertTrue(self.wait_for_dialog(OPEN_DIALOG_TITLE), "the file dialog did not open")
        self.keys("ctrl+a")
        self.xdo("type", "--delay", "10", path)
        self.keys("Return")

        expected = [f"rx set {k} {v}" for k, v in sorted(changed.items())]
        self.assertTrue(
            self.wait_for_line(self.controller, rf"^rx set {max(changed)} ", 2 * len(changed)),
            "\n".join(self.controller.lines()))
        time.sleep(QUIET_CHECK)
        timed = self.controller.received_with_times("rx set ")
        frames = [line for _, line in timed]
        self.assertEqual(list(dict.fromkeys(frames)), expected, "\n".join(frames))
        self.assertLessEqual(len(frames), len(expected) * MOST_REPEATS)
        gaps = [later - earlier for (earlier, _), (later, _) in zip(timed, timed[1:])]
        self.assertGreaterEqual(min(gaps), MIN_SPACING, gaps)
        self.assertLessEqual(sum(gaps) / len(gaps), MAX_MEAN_SPACING, gaps)


if __name__ == "__main__":
    unittest.main()
