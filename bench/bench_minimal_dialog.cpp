// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The floor for this toolkit: the smallest Qt Widgets dialog, a label and a
// button, built by the same CMake with the same Qt and flags as dx470.
//
// With --screen-rate the label shows a new number every screen refresh: the
// least any window costs that keeps a changing value no more than one refresh
// old. With --readouts the dialog also has three numbers and three bars that
// all change every refresh, as dx470's readouts and bars do while a
// controller streams: the same work with nothing but the toolkit's own
// widgets.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <array>
#include <cstring>

namespace {
constexpr int kRefreshMs = 16;
constexpr int kReadouts = 3;
constexpr int kBarRange = 1000;

struct Readout {
    QLabel* number = nullptr;
    QProgressBar* bar = nullptr;
};

std::array<Readout, kReadouts> AddReadouts(QDialog& dialog, QVBoxLayout* layout) {
    std::array<Readout, kReadouts> readouts;
    for (Readout& readout : readouts) {
        readout.number = new QLabel(&dialog);
        readout.bar = new QProgressBar(&dialog);
        readout.bar->setRange(0, kBarRange);
        readout.bar->setTextVisible(false);
        layout->addWidget(readout.number);
        layout->addWidget(readout.bar);
    }
    return readouts;
}

// Petrol time in ms, gas time in ms and lambda in volts, moving as a running
// engine's do.
void Show(std::array<Readout, kReadouts>& readouts, int step) {
    const std::array<double, kReadouts> values = {
        2.0 + (step % 700) / 100.0, 2.5 + (step % 800) / 100.0, (step * 7 % 100) / 100.0};
    for (int i = 0; i < kReadouts; ++i) {
        readouts[i].number->setText(QString::number(values[i], 'f', 2));
        readouts[i].bar->setValue(static_cast<int>(values[i] * kBarRange / 10) % kBarRange);
    }
}
}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const bool screenRate = argc > 1 && std::strcmp(argv[1], "--screen-rate") == 0;
    const bool withReadouts = argc > 1 && std::strcmp(argv[1], "--readouts") == 0;
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Minimal dialog"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(QStringLiteral("A label"), &dialog);
    layout->addWidget(label);
    std::array<Readout, kReadouts> readouts;
    if (withReadouts) readouts = AddReadouts(dialog, layout);
    auto* button = new QPushButton(QStringLiteral("Close"), &dialog);
    QObject::connect(button, &QPushButton::clicked, &dialog, &QDialog::accept);
    layout->addWidget(button);

    QTimer refresh;
    int shown = 0;
    QObject::connect(&refresh, &QTimer::timeout, label, [&] {
        ++shown;
        if (withReadouts)
            Show(readouts, shown);
        else
            label->setNum(shown % 10000);
    });
    if (screenRate || withReadouts) {
        refresh.setTimerType(Qt::PreciseTimer);
        refresh.start(kRefreshMs);
    }
    return dialog.exec();
}
