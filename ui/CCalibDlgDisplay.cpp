// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// What the link asks of the window, mapped onto the window's controls,
// colours and texts.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "serial/RememberedAdapter.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlColours.h"
#include "ui/ControlIds.h"
#include "ui/ControlSets.h"
#include "ui/LiveBar.h"
#include "ui/LiveDisplay.h"
#include "ui/MenuBar.h"
#include "ui/SpinButton.h"
#include "ui/StatusPanes.h"

namespace {
constexpr int kNoMarker = -1;
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
    liveDisplay_->ShowReadouts({});
    if (resetParameters) {
        for (int k = 0; k < kParamCount; ++k) ShowParameter(k, 0);
    }
    ShowStatusColour(StatusColour::NoLink);
    liveDisplay_->ShowMarker(kNoMarker);
}

void CCalibDlg::ShowLinkStatus(LinkStatus /*status*/, const std::string& text) {
    liveDisplay_->ShowPaneText(kStatusPane, QString::fromStdString(text));
}

void CCalibDlg::ShowConnectionTime(const std::string& text) {
    liveDisplay_->ShowPaneText(kTimePane, QString::fromStdString(text));
}

void CCalibDlg::ShowStatusColour(StatusColour colour) {
    liveDisplay_->ShowStatusColour(
        ControlColours::ToQColor(ControlColours::StatusColourOf(colour)));
}

void CCalibDlg::FlushDisplay() {
    liveDisplay_->Flush();
}

void CCalibDlg::ShowParameter(int k, int value) {
    Spin(k)->SetPosition(value);
}

void CCalibDlg::ShowReadouts(const Readouts& readouts) {
    liveDisplay_->ShowReadouts(readouts);
    emit readoutsShown(readouts);
    if (readingPort_) framesOfRead_.push_back(FrameOf(State()));
}

void CCalibDlg::ShowLambdaBand(LambdaBand band) {
    liveDisplay_->ShowLambdaColour(
        ControlColours::ToQColor(ControlColours::LambdaBandColourOf(band)));
}

void CCalibDlg::ShowCellMarker(int k) {
    liveDisplay_->ShowMarker(k);
}

void CCalibDlg::ShowErrorBox(const std::string& text, const std::string& caption) {
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(caption),
                    QString::fromStdString(text), QMessageBox::Ok, this);
    ShowBoxBehindTicks(box);
}

// Every port command marks its choice first: the user's choice ends the
// looking for an adapter that went away.
void CCalibDlg::MarkPortChoice(PortChoice choice) {
    adapter_->OnPortChoice();
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
