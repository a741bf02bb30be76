// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class SimProcess;

// The set-parameter frames a virtual controller receives after a change of
// the panel, with the time each was seen, and what a test expects of them:
// the frames in order, each once, one per 300 ms.
namespace SendWatch {

struct Arrival {
    QString line;
    qint64 atMs;
};

// One frame every third 100 ms tick; what the test sees may come a little
// early or late.
inline constexpr qint64 kMinGapMs = 250;
inline constexpr qint64 kMaxGapMs = 1500;
inline constexpr int kTimeoutMs = 10000;
// Long enough for three more frames, had any been due.
inline constexpr int kQuietMs = 1000;

// How many set frames the controller has logged so far.
qsizetype Seen(SimProcess& sim);
// Every set frame the controller logs ("rx set K V") after the first `from`,
// until at least `count` have come and none for a while.
QList<Arrival> Watch(SimProcess& sim, qsizetype from, int count);

// The frames as they came, a frame repeated at once left out: a telemetry
// frame already on its way may still carry the old value and cause the same
// frame once more.
QStringList Distinct(const QList<Arrival>& arrivals);

// Empty when the frames came as expected: in that order, each repeated at most
// by the race above, `repeats` times in all at most, and paced; otherwise what
// went wrong.
QString Check(const QList<Arrival>& arrivals, const QStringList& expected, int repeats = 2);

// "rx set K V" for each (K, V).
QStringList SetFrames(std::initializer_list<std::pair<int, int>> frames);

}  // namespace SendWatch
