# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 DX470 calibrator project
"""English and back to Chinese from the settings menu: the labels, buttons,
menus and the caption."""

import unittest

from harness import EXIT_BUTTON, LABELS, WRITE_BUTTON, Dx470Session

START_CAPTION = "DX470 参数标定软件 V2"
CHINESE_CAPTION = "DX470 参数标定软件"
ENGLISH_CAPTION = "DX470 Model Set"


class Language(Dx470Session):

    def assert_window_texts(self, language):
        self.park_pointer()
        self.assert_crop_matches(f"labels-{language}", [self.box(name) for name in LABELS])
        self.assert_crop_matches(f"buttons-{language}",
                                 [self.box(WRITE_BUTTON), self.box(EXIT_BUTTON)])
        self.assert_crop_matches(f"menubar-{language}", [self.menu_titles_box()])

    def switch_language(self, shown, english):
        """Opens the settings menu, checks its items in the language shown,
        and chooses the other language from its language submenu."""
        self.open_settings_menu()
        self.assert_crop_matches(f"settings-menu-{shown}", [self.settings_menu_box()])
        self.choose_language(english, settings_menu_open=True)

    def test_english_and_back(self):
        self.start_app()
        # Write is enabled only while the link is up; it then looks the same
        # at every step.
        self.assertTrue(self.wait_for_link_up(), "the link did not come up")
        self.assertEqual(self.window_name(), START_CAPTION)
        self.assert_window_texts("zh")

        self.switch_language("zh", english=True)
        self.assertTrue(self.wait_for_window_name(ENGLISH_CAPTION), self.window_name())
        self.assert_window_texts("en")

        self.switch_language("en", english=False)
        self.assertTrue(self.wait_for_window_name(CHINESE_CAPTION), self.window_name())
        self.assert_window_texts("zh")


if __name__ == "__main__":
    unittest.main()
