// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QFont>
#include <QObject>
#include <QPalette>
#include <array>

#include "domain/Calibration.h"

class DialogUnits;
class QLabel;
class QPoint;
class QPushButton;
class QWidget;
struct UnstoredTexts;

// Changes the controller has not stored, at a glance: a mark beside each such
// parameter, and the Write button in bold orange while there is any.
class UnstoredMarks : public QObject {
    Q_OBJECT

public:
    UnstoredMarks(QWidget* window, const DialogUnits& units, QPoint clientOrigin,
                  QPushButton* writeButton);

    QLabel* Mark(int k) const { return marks_.at(static_cast<std::size_t>(k)); }
    ParamMask Shown() const { return shown_; }
    void Show(ParamMask unstored);
    // What a screen reader says for each mark.
    void Name(const UnstoredTexts& texts);

private:
    std::array<QLabel*, kParamCount> marks_{};
    QPushButton* writeButton_;
    QFont writeFont_;
    QPalette writePalette_;
    ParamMask shown_ = 0;
};
