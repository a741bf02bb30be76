# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 DX470 calibrator project
"""One calibration, one controller, with the built program: a controller that
comes back with another parameter set receives nothing until a person has
answered, and the default answer loads its values; a signal while an earlier
run's record is offered leaves the record as it was."""

import glob
import os
import struct
import time
import unittest

from harness import EXIT_BUTTON, NO_LINK_RGB, Dx470Session, wait_for

# The set the controller comes back with, in each language.
OTHER_SETS = ((False, 50), (True, 60))
QUIET = 1.5
LOSS_TIMEOUT = 5
APP_NAME = "dx470"


def tq4(values):
    return struct.pack("<16i", *values)


class OneController(Dx470Session):

    def test_another_controller_receives_nothing_until_answered(self):
        for english, other_set in OTHER_SETS:
            with self.subTest(english=english):
                self.start_app()
                self.assertTrue(self.wait_for_link_up(), "the link did not come up")
                if english:
                    self.choose_language(True)
                self.controller.command("silent")
                self.assertTrue(self.wait_for_status_colour([NO_LINK_RGB], LOSS_TIMEOUT),
                                "the link was not lost")
                self.controller.command(f"swap {other_set}")
                self.controller.command("talk")
                self.assertTrue(self.wait_for_dialog(APP_NAME), "no question was asked")
                time.sleep(QUIET)
                self.assertEqual(self.controller.received(), [])
                self.keys("Return")
                time.sleep(QUIET)
                self.assertEqual(self.controller.received(), [])
                # Nothing unstored: Exit ends the program at once, and the
                # log's end snapshot is the panel as it was then.
                self.click_control(EXIT_BUTTON)
                self.assertEqual(self.app.wait(timeout=10), 0)
                ends = sorted(glob.glob(os.path.join(self.log_folder(), "*_end.tq4")),
                              key=os.path.getmtime)
                self.assertTrue(ends, "no log ended")
                with open(ends[-1], "rb") as snapshot:
                    self.assertEqual(snapshot.read(), tq4([other_set] * 16))

    def test_a_signal_during_the_recovery_question_keeps_the_record(self):
        folder = os.path.join(self.env()["XDG_DATA_HOME"], APP_NAME)
        os.makedirs(folder)
        stored = [100] * 16
        panel = list(stored)
        panel[3] = 101
        files = {"unstored-panel.tq4": tq4(panel), "stored-set.tq4": tq4(stored)}
        for name, data in files.items():
            with open(os.path.join(folder, name), "wb") as record:
                record.write(data)
        self.start_app()
        self.assertTrue(self.wait_for_dialog(APP_NAME), "the record was not offered")
        self.app.terminate()
        self.assertEqual(self.app.wait(timeout=10), 0)
        for name, data in files.items():
            with open(os.path.join(folder, name), "rb") as record:
                self.assertEqual(record.read(), data, name)
        self.assertEqual(self.controller.received(), [])


if __name__ == "__main__":
    unittest.main()
