// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QEvent>
#include <QHash>
#include <QObject>
#include <algorithm>

// Counts the paint events of each widget it is installed on as event filter.
class PaintCounter : public QObject {
public:
    int Total() const {
        int total = 0;
        for (const int count : counts_) total += count;
        return total;
    }
    // The count of the widget painted most often.
    int Most() const {
        int most = 0;
        for (const int count : counts_) most = std::max(most, count);
        return most;
    }
    void Reset() { counts_.clear(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++counts_[watched];
        return false;
    }

private:
    QHash<QObject*, int> counts_;
};
