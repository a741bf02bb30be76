# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 DX470 calibrator project
"""A file-size limit (RLIMIT_FSIZE) on the running program: a save that runs
into it fails and is reported in a box; SIGXFSZ does not kill the program.
The limit is lowered only once the link is up, so the port's lock file could
still be written. subprocess starts the program with SIGXFSZ at its default
action, though Python itself ignores the signal."""

import os
import resource
import unittest

from harness import Dx470Session, wait_for

SAVE_DIALOG_TITLE = "Save As"
BOX_TITLE = "dx470"
# Less than a parameter set, so the save runs into it.
LIMIT_BYTES = 10
STILL_RUNNING_CHECK = 1.0


class SaveUnderAFileSizeLimit(Dx470Session):

    def test_save_past_the_limit_is_reported_and_the_program_goes_on(self):
        self.start_app()
        self.assertTrue(self.wait_for_link_up(), "the link did not come up")
        hard = resource.prlimit(self.app.pid, resource.RLIMIT_FSIZE)[1]
        resource.prlimit(self.app.pid, resource.RLIMIT_FSIZE, (LIMIT_BYTES, hard))
        path = os.path.join(self.config_home, "set.tq4")

        self.keys("alt+f", "Down", "Return")
        self.assertTrue(self.wait_for_dialog(SAVE_DIALOG_TITLE), "the save dialog did not open")
        self.keys("ctrl+a")
        self.xdo("type", "--delay", "10", path)
        self.keys("Return")

        box = self.wait_for_dialog(BOX_TITLE)
        self.assertIsNone(self.app.poll(), f"the program ended with {self.app.returncode}")
        self.assertTrue(box, "no box reported the failed save")
        self.keys("Return")
        self.assertFalse(wait_for(lambda: self.app.poll() is not None, STILL_RUNNING_CHECK),
                         f"the program ended with {self.app.returncode}")
        self.assertFalse(os.path.exists(path))


if __name__ == "__main__":
    unittest.main()
