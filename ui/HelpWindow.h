// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QDialog>

class QPushButton;
class QTextBrowser;
struct UiTexts;

// The user manual in a window of its own beside the calibration window, which
// stays usable meanwhile. Closing it only hides it.
class HelpWindow : public QDialog {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent);

    // Shows the manual of that language: its page, caption and button text.
    void SetLanguage(const UiTexts& texts);
    QTextBrowser* Browser() const { return browser_; }

private:
    QTextBrowser* browser_;
    QPushButton* closeButton_;
};
