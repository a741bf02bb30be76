// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "tests/support/SendWatch.h"

#include <QElapsedTimer>
#include <QTest>

#include "tests/support/SimProcess.h"

namespace SendWatch {

namespace {
const QString kSetPrefix = QStringLiteral("rx set");
}

qsizetype Seen(SimProcess& sim) {
    return sim.LinesStartingWith(kSetPrefix).size();
}

QList<Arrival> Watch(SimProcess& sim, qsizetype from, int count) {
    QList<Arrival> arrivals;
    QElapsedTimer clock;
    clock.start();
    qint64 lastAt = 0;
    while (clock.elapsed() < kTimeoutMs + kQuietMs) {
        const QStringList lines = sim.LinesStartingWith(kSetPrefix);
        for (qsizetype i = from + arrivals.size(); i < lines.size(); ++i) {
            lastAt = clock.elapsed();
            arrivals.append({lines.at(i), lastAt});
        }
        if (arrivals.size() >= count && clock.elapsed() - lastAt >= kQuietMs) break;
        QTest::qWait(5);
    }
    return arrivals;
}

QStringList Distinct(const QList<Arrival>& arrivals) {
    QStringList distinct;
    for (const Arrival& arrival : arrivals) {
        if (distinct.isEmpty() || distinct.last() != arrival.line) distinct << arrival.line;
    }
    return distinct;
}

QString Check(const QList<Arrival>& arrivals, const QStringList& expected, int repeats) {
    const QStringList distinct = Distinct(arrivals);
    if (distinct != expected) {
        return QStringLiteral("frames %1, expected %2")
            .arg(distinct.join(QStringLiteral(", ")), expected.join(QStringLiteral(", ")));
    }
    if (arrivals.size() > expected.size() + repeats) return QStringLiteral("too many repeats");
    for (qsizetype i = 1; i < arrivals.size(); ++i) {
        const qint64 gap = arrivals.at(i).atMs - arrivals.at(i - 1).atMs;
        if (gap < kMinGapMs || gap > kMaxGapMs) {
            return QStringLiteral("%1 ms before %2").arg(gap).arg(arrivals.at(i).line);
        }
    }
    return {};
}

QStringList SetFrames(std::initializer_list<std::pair<int, int>> frames) {
    QStringList lines;
    for (const auto& [k, value] : frames) lines << QStringLiteral("rx set %1 %2").arg(k).arg(value);
    return lines;
}

}  // namespace SendWatch
