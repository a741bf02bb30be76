// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// What the link asks of the window, mapped onto the window's controls,
// colours and texts.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "ui/CCalibDlg.h"
#include "ui/ControlColours.h"
#include "ui/ControlIds.h"
#include "ui/ControlSets.h"
#include "ui/LiveBar.h"
#include "ui/MenuBar.h"
#include "ui/SpinButton.h"
#include "ui/StatusPanes.h"

namespace {
using ControlSets::kBarIds;
using ControlSets::kReadoutIds;

}  // namespace

void CCalibDlg::SetEditingEnabled(bool enabled) {
    for (int k = 0; k < kParamCount; ++k) Spin(k)->setEnabled(enabled);
    Control(ControlId::kWriteButton)->setEnabled(enabled);
    Command(CommandId::kFileOpen)->setEnabled(enabled);
    Command(CommandId::kFileSave)->setEnabled(enabled);
}

void CCalibDlg::DisableEditing() {
    SetEditingEnabled(false);
}

void CCalibDlg::EnableEditing() {
    SetEditingEnabled(true);
}

void CCalibDlg::ClearLiveDisplay(bool resetParameters) {
    for (const int id : kReadoutIds) SetControlText(id, {});
    for (const int id : kBarIds) Bar(id)->SetPosition(0);
    if (resetParameters) {
        for (int k = 0; k < kParamCount; ++k) ShowParameter(k, 0);
    }
    ShowStatusColour(StatusColour::NoLink);
    for (int k = 0; k < kParamCount; ++k) Control(ControlId::CellMarker(k))->setVisible(false);
}

void CCalibDlg::ShowLinkStatus(LinkStatus /*status*/, const std::string& text) {
    statusBar_->SetPaneText(kStatusPane, QString::fromStdString(text));
}

void CCalibDlg::ShowConnectionTime(const std::string& text) {
    statusBar_->SetPaneText(kTimePane, QString::fromStdString(text));
}

void CCalibDlg::ShowStatusColour(StatusColour colour) {
    statusBar_->SetBackgroundColour(
        ControlColours::ToQColor(ControlColours::StatusColourOf(colour)));
}

void CCalibDlg::ShowParameter(int k, int value) {
    Spin(k)->SetPosition(value);
}

void CCalibDlg::ShowReadouts(const Readouts& readouts) {
    SetControlText(ControlId::kPetrolReadout, QString::fromStdString(readouts.petrolText));
    Bar(ControlId::kPetrolBar)->SetPosition(readouts.petrolBar);
    SetControlText(ControlId::kGasReadout, QString::fromStdString(readouts.gasText));
    Bar(ControlId::kGasBar)->SetPosition(readouts.gasBar);
    SetControlText(ControlId::kLambdaReadout, QString::fromStdString(readouts.lambdaText));
    Bar(ControlId::kLambdaBar)->SetPosition(readouts.lambdaBar);
}

void CCalibDlg::ShowLambdaBand(LambdaBand band) {
    Bar(ControlId::kLambdaBar)
        ->SetBarColour(ControlColours::ToQColor(ControlColours::LambdaBandColourOf(band)));
}

void CCalibDlg::ShowCellMarker(int k) {
    for (int marker = 0; marker < kParamCount; ++marker) {
        Control(ControlId::CellMarker(marker))->setVisible(marker == k);
    }
}

void CCalibDlg::ShowErrorBox(const std::string& text, const std::string& caption) {
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(caption),
                    QString::fromStdString(text), QMessageBox::Ok, this);
    ShowBoxBehindTicks(box);
}

void CCalibDlg::MarkPortChoice(PortChoice choice) {
    menuBar_->SetPortRadioMark(MenuBar::PortPosition(choice));
}

void CCalibDlg::SetControlText(int controlId, const QString& text) {
    QWidget* control = Control(controlId);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QPushButton*>(control)) {
        button->setText(text);
    }
}
