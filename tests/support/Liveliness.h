// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <algorithm>

#include "tests/support/PaintCounter.h"

// How often a window painted, and the longest its event loop stood still,
// while it is watched: it is asked to repaint every repaintMs.
class Liveliness {
public:
    Liveliness(QWidget& window, int repaintMs) : window_(window) {
        window.installEventFilter(&paints_);
        clock_.start();
        ticker_.setInterval(repaintMs);
        QObject::connect(&ticker_, &QTimer::timeout, [this] {
            longestStall_ = std::max(longestStall_, clock_.restart());
            window_.update();
        });
        ticker_.start();
    }
    ~Liveliness() { window_.removeEventFilter(&paints_); }

    int Paints() const { return paints_.Total(); }
    qint64 LongestStallMs() const { return std::max(longestStall_, clock_.elapsed()); }

private:
    QWidget& window_;
    PaintCounter paints_;
    QTimer ticker_;
    QElapsedTimer clock_;
    qint64 longestStall_ = 0;
};
