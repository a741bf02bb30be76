# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 DX470 calibrator project
"""The display goes away while the program is linked and logging (its X server
killed): Qt ends the process itself, and still no lock file names the
controller's port, the log ends with a whole row, and its end snapshot is
written."""

import glob
import os
import signal
import time
import unittest

from harness import Dx470Session, lock_files, wait_for

LOG_TIMEOUT = 5
EXIT_TIMEOUT = 10


class DisplayLoss(Dx470Session):

    def test_killed_x_server_leaves_no_lock_and_a_whole_log(self):
        self.start_app()
        self.assertTrue(self.wait_for_link_up(), "the link did not come up")
        device = self.controller.device
        logs = lambda: glob.glob(os.path.join(self.log_folder(), "*.msl"))
        self.assertTrue(wait_for(logs, LOG_TIMEOUT), "no log began")
        # Some rows gathered, not all of them written yet.
        time.sleep(1.5)
        self.x.process.send_signal(signal.SIGKILL)
        self.x.process.wait(timeout=EXIT_TIMEOUT)
        self.app.wait(timeout=EXIT_TIMEOUT)
        self.assertEqual(lock_files(device), [], f"a lock file names {device}")
        log = logs()[0]
        with open(log, "rb") as text:
            content = text.read()
        self.assertTrue(content.endswith(b"\n"), "the log ends inside a row")
        self.assertGreater(content.count(b"\n"), 10)
        self.assertTrue(os.path.exists(log[:-len(".msl")] + "_end.tq4"), "no end snapshot")

    def tearDown(self):
        # The server is gone already; the harness's own stop must not wait on it.
        self.x.stop = lambda: None
        super().tearDown()


if __name__ == "__main__":
    unittest.main()
