// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QWidget>
#include <cstdint>

class QLineEdit;
class QToolButton;

// An up-down button pair with a buddy edit that holds its position as a
// decimal number. Arrow clicks and the Up and Down keys in the buddy step the
// position within the range, without wrapping, and write it into the buddy.
class SpinButton : public QWidget {
    Q_OBJECT

public:
    // The high half of a position query that found no valid number in the buddy.
    static constexpr std::int32_t kQueryFailed = 1 << 16;

    explicit SpinButton(QWidget* parent = nullptr);

    void SetRange(int lower, int upper);
    void SetBuddy(QLineEdit* buddy);
    QLineEdit* Buddy() const { return buddy_; }

    // Clamps to the range and writes the buddy; an unchanged text raises no
    // change notification.
    void SetPosition(int position);
    // The last valid position, without looking at the buddy.
    int Position() const { return position_; }
    // Re-reads the buddy first: a decimal number within the range becomes the
    // position and is returned; otherwise kQueryFailed plus the last valid
    // position.
    std::int32_t QueryPosition();
    // One arrow click: does nothing while disabled.
    void Step(int delta);

    QToolButton* UpArrow() const { return up_; }
    QToolButton* DownArrow() const { return down_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool ReadBuddy(int& value) const;
    void WriteBuddy();

    QToolButton* up_;
    QToolButton* down_;
    QLineEdit* buddy_ = nullptr;
    int lower_ = 0;
    int upper_ = 100;
    int position_ = 0;
};
