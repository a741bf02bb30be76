// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/CurveWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "domain/Calibration.h"
#include "ui/CurveView.h"
#include "ui/QtTexts.h"
#include "ui/UiTexts.h"
#include "ui/WindowFonts.h"

namespace {
using Button = CurveWindow::Button;

// Each button's text in the texts of a language, in the order of Button.
constexpr std::array<const char * CurveTexts::*, CurveWindow::kButtons> kButtonTexts = {
    &CurveTexts::set,         &CurveTexts::add,    &CurveTexts::subtract,  &CurveTexts::scale,
    &CurveTexts::interpolate, &CurveTexts::smooth, &CurveTexts::selectAll, &CurveTexts::copy,
    &CurveTexts::copyAll,     &CurveTexts::paste,  &CurveTexts::undo,      &CurveTexts::redo,
    &CurveTexts::compareFile,
};

// The buttons that change the panel.
constexpr std::array kChangingButtons = {Button::Set,   Button::Add,         Button::Subtract,
                                         Button::Scale, Button::Interpolate, Button::Smooth,
                                         Button::Paste};
}  // namespace

CurveWindow::CurveWindow(const CurveTexts& texts, QWidget* parent)
    : QDialog(parent),
      view_(new CurveView(texts, this)),
      amount_(new QSpinBox(this)),
      percent_(new QSpinBox(this)),
      amountLabel_(new QLabel(this)),
      message_(new QLabel(this)) {
    setObjectName(QStringLiteral("curveWindow"));
    setFont(WindowFonts::SongFont(WindowFonts::kSystemPoints));
    setModal(false);
    amount_->setObjectName(QStringLiteral("curveAmount"));
    amount_->setRange(kLowestValue, kHighestValue);
    amount_->setValue(1);
    percent_->setObjectName(QStringLiteral("curvePercent"));
    percent_->setRange(0, kHighestPercent);
    percent_->setValue(kWholePercent);
    percent_->setSuffix(QStringLiteral(" %"));
    amountLabel_->setBuddy(amount_);
    message_->setObjectName(QStringLiteral("curveMessage"));

    // A row for the operations that take an amount, one for those on the
    // shape and the selection, one for the clipboard, the history and files.
    auto* amounts = new QHBoxLayout;
    amounts->addWidget(amountLabel_);
    amounts->addWidget(amount_);
    for (Button button : {Button::Set, Button::Add, Button::Subtract}) {
        amounts->addWidget(MakeButton(button));
    }
    amounts->addWidget(percent_);
    amounts->addWidget(MakeButton(Button::Scale));
    amounts->addStretch();
    auto* shape = new QHBoxLayout;
    for (Button button : {Button::Interpolate, Button::Smooth, Button::SelectAll}) {
        shape->addWidget(MakeButton(button));
    }
    shape->addStretch();
    auto* others = new QHBoxLayout;
    for (Button button : {Button::Copy, Button::CopyAll, Button::Paste, Button::Undo, Button::Redo,
                          Button::Compare}) {
        others->addWidget(MakeButton(button));
    }
    others->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_, 1);
    for (QHBoxLayout* row : {amounts, shape, others}) layout->addLayout(row);
    layout->addWidget(message_);
    SetLanguage(texts);
    SetEditable(false);
    SetHistory(false, false);
    view_->setFocus();
}

QPushButton* CurveWindow::MakeButton(Button button) {
    auto* made = new QPushButton(this);
    // Enter in the amount must not click a button the user did not choose.
    made->setAutoDefault(false);
    buttons_.at(static_cast<std::size_t>(button)) = made;
    connect(made, &QPushButton::clicked, this, [this, button] { emit buttonClicked(button); });
    return made;
}

QPushButton* CurveWindow::ButtonOf(Button button) const {
    return buttons_.at(static_cast<std::size_t>(button));
}

void CurveWindow::SetLanguage(const CurveTexts& texts) {
    setWindowTitle(Text(texts.caption));
    amountLabel_->setText(Text(texts.amount));
    for (int i = 0; i < kButtons; ++i) {
        buttons_.at(static_cast<std::size_t>(i))->setText(Text(texts.*kButtonTexts.at(i)));
    }
    view_->SetTexts(texts);
}

void CurveWindow::ShowMessage(const QString& text) {
    message_->setText(text);
}

void CurveWindow::SetEditable(bool editable) {
    for (Button button : kChangingButtons) ButtonOf(button)->setEnabled(editable);
    view_->SetEditable(editable);
}

void CurveWindow::SetHistory(bool canUndo, bool canRedo) {
    ButtonOf(Button::Undo)->setEnabled(canUndo);
    ButtonOf(Button::Redo)->setEnabled(canRedo);
}
