// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The floor for this toolkit: the smallest Qt Widgets dialog, a label and a
// button, built by the same CMake with the same Qt and flags as dx470.
//
// With --screen-rate the label shows a new number every screen refresh: the
// least any window costs that keeps a changing value no more than one refresh
// old, as dx470's readouts are kept while a controller streams.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cstring>

namespace {
constexpr int kRefreshMs = 16;
}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Minimal dialog"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(QStringLiteral("A label"), &dialog);
    layout->addWidget(label);
    auto* button = new QPushButton(QStringLiteral("Close"), &dialog);
    QObject::connect(button, &QPushButton::clicked, &dialog, &QDialog::accept);
    layout->addWidget(button);

    QTimer refresh;
    int shown = 0;
    QObject::connect(&refresh, &QTimer::timeout, label,
                     [label, &shown] { label->setNum(++shown % 10000); });
    if (argc > 1 && std::strcmp(argv[1], "--screen-rate") == 0) {
        refresh.setTimerType(Qt::PreciseTimer);
        refresh.start(kRefreshMs);
    }
    return dialog.exec();
}
