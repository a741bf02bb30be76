# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 DX470 calibrator project
"""The reference images can tell apart what the other tests must tell apart:
every pair that should differ does so by far more than the allowance, so a
wrong text on the screen cannot pass for the right one."""

import os
import subprocess
import tempfile
import unittest

from harness import ALLOWED_PIXELS, COM_OK_PREFIX_WIDTH, REFERENCE_DIR, differing_pixels

# Each group holds references of the same size that the tests rely on to differ.
DISTINCT_GROUPS = (
    ("pane1-searching", "pane1-waiting", "pane1-stop", "pane1-replay"),
    ("labels-zh", "labels-en"),
    ("buttons-zh", "buttons-en"),
    ("menubar-zh", "menubar-en"),
    ("settings-menu-zh", "settings-menu-en"),
)
# A difference must be at least this many times the allowance.
MARGIN = 2


def reference(name):
    return os.path.join(REFERENCE_DIR, name + ".png")


class ReferencesTellApart(unittest.TestCase):

    def assert_distinct(self, first, second):
        count = differing_pixels(first, second)
        self.assertIsNotNone(count, f"{first} and {second} cannot be compared")
        self.assertGreater(count, MARGIN * ALLOWED_PIXELS, f"{first} and {second}")

    def test_each_pair_differs(self):
        for group in DISTINCT_GROUPS:
            for i, first in enumerate(group):
                for second in group[i + 1:]:
                    with self.subTest(first=first, second=second):
                        self.assert_distinct(reference(first), reference(second))

    def test_one_changed_letter_is_seen(self):
        # "COM Searching..." and "COM Stop" cut to the width of the "COM OK"
        # crop differ in one letter on the same background.
        with tempfile.TemporaryDirectory() as folder:
            cut = []
            for name in ("pane1-searching", "pane1-stop"):
                path = os.path.join(folder, name + ".png")
                # No height: the crop keeps the pane's full height.
                subprocess.run(["convert", reference(name), "-crop",
                                f"{COM_OK_PREFIX_WIDTH}x+0+0", "+repage", path],
                               check=True, timeout=30)
                cut.append(path)
            self.assert_distinct(*cut)


if __name__ == "__main__":
    unittest.main()
