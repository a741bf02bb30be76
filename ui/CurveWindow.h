// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QDialog>
#include <array>

class CurveView;
class QLabel;
class QPushButton;
class QSpinBox;
struct CurveTexts;

// The curve editor's window beside the calibration window: the curve, the
// amount and percentage the operations take, a button per operation, the
// clipboard's and the history's buttons, and a line that says what the last
// of them did. It tells what the user asks; CurveEditing does it.
class CurveWindow : public QDialog {
    Q_OBJECT

public:
    enum class Button {
        Set,
        Add,
        Subtract,
        Scale,
        Interpolate,
        Smooth,
        SelectAll,
        Copy,
        CopyAll,
        Paste,
        Undo,
        Redo,
        Compare,
    };
    static constexpr int kButtons = static_cast<int>(Button::Compare) + 1;
    // The percentage a scale starts from: nothing changes.
    static constexpr int kWholePercent = 100;
    static constexpr int kHighestPercent = 400;

    CurveWindow(const CurveTexts& texts, QWidget* parent);

    void SetLanguage(const CurveTexts& texts);
    CurveView* View() const { return view_; }
    QSpinBox* Amount() const { return amount_; }
    QSpinBox* Percent() const { return percent_; }
    QPushButton* ButtonOf(Button button) const;
    QLabel* Message() const { return message_; }
    void ShowMessage(const QString& text);
    // The buttons that change the panel go off while it cannot be edited.
    void SetEditable(bool editable);
    void SetHistory(bool canUndo, bool canRedo);

signals:
    void buttonClicked(Button button);

private:
    QPushButton* MakeButton(Button button);

    CurveView* view_;
    QSpinBox* amount_;
    QSpinBox* percent_;
    QLabel* amountLabel_;
    QLabel* message_;
    std::array<QPushButton*, kButtons> buttons_{};
};
