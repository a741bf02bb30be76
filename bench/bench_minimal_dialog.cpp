// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The floor for this toolkit: the smallest Qt Widgets dialog, a label and a
// button, built by the same CMake with the same Qt and flags as dx470.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Minimal dialog"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("A label"), &dialog));
    auto* button = new QPushButton(QStringLiteral("Close"), &dialog);
    QObject::connect(button, &QPushButton::clicked, &dialog, &QDialog::accept);
    layout->addWidget(button);
    return dialog.exec();
}
