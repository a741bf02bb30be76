// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <sys/resource.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <cstdlib>

// Figures of the test process itself, read from the kernel, for checks that
// the program gives back what it takes.
namespace ProcessFigures {

// User plus system CPU time of the whole process so far.
inline double CpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 +
           usage.ru_stime.tv_sec * 1e3 + usage.ru_stime.tv_usec / 1e3;
}

inline int OpenFileDescriptors() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd"))
                                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)
                                .size());
}

// Threads of the process whose name is `name` (threads of a QThread
// subclass carry the class name).
inline int ThreadsNamed(const QByteArray& name) {
    const QDir tasks(QStringLiteral("/proc/self/task"));
    int count = 0;
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(task + QStringLiteral("/comm")));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == name) ++count;
    }
    return count;
}

// VmRSS in KiB, or -1 when it cannot be read.
inline long ResidentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// A length in seconds from the environment, for shortening a long run by hand.
inline int SecondsFromEnvironment(const char* name, int fallback) {
    const QByteArray value = qgetenv(name);
    bool ok = false;
    const int seconds = value.toInt(&ok);
    return ok && seconds > 0 ? seconds : fallback;
}

}  // namespace ProcessFigures
