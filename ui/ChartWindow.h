// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QDialog>
#include <array>

class ChartView;
class QPushButton;
struct UiTexts;

// The chart in a window of its own beside the calibration window, with the
// choice of how many seconds it spans. It is made when first asked for and
// then kept, gathering frames while hidden so that it opens on its recent
// past.
class ChartWindow : public QDialog {
    Q_OBJECT

public:
    ChartWindow(const UiTexts& texts, QWidget* parent);

    void SetLanguage(const UiTexts& texts);
    ChartView* View() const { return view_; }
    QPushButton* SpanButton(int position) const { return spanButtons_.at(std::size_t(position)); }

private:
    ChartView* view_;
    std::array<QPushButton*, 3> spanButtons_{};
};
