# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 DX470 calibrator project
"""The program's session logs: written under a German locale into a documents
folder with a Chinese name, a log keeps its decimal points; played back, a log
shows the readouts the window showed live and nothing goes to the controller."""

import glob
import os
import signal
import time
import unittest

from harness import ALLOWED_PIXELS, Dx470Session, differing_pixels, wait_for

# The controller holds its readings: petrol 10,480 ms in cell 10, lambda 1,75 V.
HELD_READINGS = ("--petrol", "2620", "--lambda", "23040")
LIVE_CONTROLS = ("petrolReadout", "petrolBar", "gasReadout", "gasBar", "lambdaReadout",
                 "lambdaBar", "cellMarker10")
COLUMNS = 8
# Long enough for the log to have reached the disk.
RECORD_TIME = 2.5
QUIET_CHECK = 1.5
# How late the link-up may have been seen, and a flush may come.
FLUSH_SLACK = 0.3
OPEN_DIALOG_TITLE = "Open"
OTHER_PORT = "COM4"
# Petrol 3,068 ms in cell 2, lambda 0,44 V.
OTHER_READINGS = ("--petrol", "767", "--lambda", "5888")
REPLAY_TITLE = "日志回放"


class SessionLog(Dx470Session):
    controller_arguments = ("--gap", "10", *HELD_READINGS)
    locale = None

    def env(self):
        env = super().env()
        if self.locale:
            env["LC_ALL"] = self.locale
        return env

    def logs(self):
        return sorted(glob.glob(os.path.join(self.log_folder(), "*.msl")))

    def live_boxes(self):
        return [self.box(name) for name in LIVE_CONTROLS]

    def test_a_german_locale_and_a_chinese_folder_keep_the_decimal_point(self):
        self.set_documents_folder("文档")
        self.locale = "de_DE.UTF-8"
        self.start_app()
        self.assertTrue(self.wait_for_link_up(), "the link did not come up")
        time.sleep(RECORD_TIME)
        self.app.send_signal(signal.SIGTERM)
        self.assertEqual(self.app.wait(timeout=10), 0)

        logs = self.logs()
        self.assertEqual(len(logs), 1, os.listdir(self.documents))
        with open(logs[0], encoding="ascii") as log:
            rows = log.read().splitlines()
        self.assertEqual(rows[0].split("\t")[:3], ["Time", "Cell", "Petrol"])
        self.assertGreater(len(rows), 2)
        for row in rows[2:]:
            fields = row.split("\t")
            self.assertEqual(len(fields), COLUMNS, row)
            self.assertNotIn(",", row)
            self.assertEqual(fields[1:3], ["10", "10.480"], row)
        for moment in ("start", "end"):
            snapshot = logs[0].replace(".msl", f"_{moment}.tq4")
            self.assertEqual(os.path.getsize(snapshot), 64, snapshot)

    def test_a_crash_leaves_every_row_up_to_the_last_second(self):
        self.start_app()
        self.assertTrue(self.wait_for_link_up(), "the link did not come up")
        time.sleep(RECORD_TIME)
        self.app.send_signal(signal.SIGKILL)
        self.app.wait(timeout=10)

        logs = self.logs()
        self.assertEqual(len(logs), 1, os.listdir(self.documents))
        with open(logs[0], encoding="ascii") as log:
            text = log.read()
        self.assertTrue(text.endswith("\n"), "the last row was cut short")
        frames = [row.split("\t") for row in text.splitlines()[2:]]
        frames = [fields for fields in frames if len(fields) == COLUMNS]
        self.assertTrue(frames, "no frame reached the disk")
        # Rows reach the disk at least once a second; the log starts at link-up.
        self.assertGreaterEqual(float(frames[-1][0]), RECORD_TIME - 1.0 - FLUSH_SLACK)

    def test_a_replay_shows_what_was_shown_and_sends_nothing(self):
        self.start_app()
        self.assertTrue(self.wait_for_link_up(), "the link did not come up")
        self.assert_crop_matches("readouts-held", self.live_boxes())
        live = self.crop(self.live_boxes(), os.path.join(self.config_home, "live.png"))
        time.sleep(RECORD_TIME)
        # Another controller with other readings; it keeps a parameter of its
        # own (no echo), so the window keeps sending its value to it.
        other = self.start_simulator(OTHER_PORT, "--gap", "10", *OTHER_READINGS, "--noecho")
        self.choose_port(OTHER_PORT)
        self.assertTrue(self.wait_for_link_up(), "the link to the other controller did not come up")
        other.command("set 3 77")
        self.assertTrue(self.wait_for_line(other, r"^rx set 3 100$", 5))
        changed = self.crop(self.live_boxes(), os.path.join(self.config_home, "changed.png"))
        self.assertGreater(differing_pixels(live, changed), ALLOWED_PIXELS)

        self.keys("alt+f", "Down", "Down", "Return")
        self.assertTrue(self.wait_for_dialog(OPEN_DIALOG_TITLE), "the file dialog did not open")
        self.keys("ctrl+a")
        self.xdo("type", "--delay", "10", self.logs()[0])
        self.keys("Return")
        replay = wait_for(lambda: self.find_window(REPLAY_TITLE), 10)
        self.assertTrue(replay, "the replay window did not open")
        time.sleep(0.3)  # a frame sent just before may still be on its way
        sent = len(other.received())

        self.assert_crop_matches("readouts-held", self.live_boxes())
        replayed = self.crop(self.live_boxes(), os.path.join(self.config_home, "replayed.png"))
        self.assertLessEqual(differing_pixels(live, replayed), ALLOWED_PIXELS)
        self.assert_crop_matches("pane1-replay", [self.pane1_box()])
        time.sleep(QUIET_CHECK)
        self.assertEqual(len(other.received()), sent)

        self.xdo("windowfocus", "--sync", replay)
        self.keys("Escape")
        self.assertTrue(wait_for(lambda: not self.find_window(REPLAY_TITLE), 5))
        self.assertTrue(wait_for(lambda: len(other.received()) > sent, 5),
                        "sending did not resume after the replay")
        self.assert_link_up()


if __name__ == "__main__":
    unittest.main()
