// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The window's ports: the link ends as the channel's device goes away, the
// radio mark follows a port chosen by hand as it comes back, the port menu
// and the status tooltip name what each present port is, and the remembered
// adapter hears of the device going away.
#include <QLabel>
#include <QMenu>

#include "adapters/PortLabel.h"
#include "link/ControllerLink.h"
#include "link/StatusTexts.h"
#include "serial/PortDirectory.h"
#include "serial/RememberedAdapter.h"
#include "serial/SerialChannel.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlIds.h"
#include "ui/MenuBar.h"
#include "ui/StatusPanes.h"
#include "ui/UiTexts.h"

namespace {
QString ComName(int port) {
    return QStringLiteral("COM%1").arg(port);
}
}  // namespace

void CCalibDlg::ConnectAdapter() {
    connect(channel_.get(), &SerialChannel::deviceLost, this, &CCalibDlg::OnDeviceGone);
    connect(channel_.get(), &SerialChannel::deviceLost, adapter_.get(),
            &RememberedAdapter::OnDeviceLost);
    connect(channel_.get(), &SerialChannel::opened, this, &CCalibDlg::FollowOpenedPort);
    connect(adapter_.get(), &RememberedAdapter::notSaved, this, [this](const QString& reason) {
        ShowLogMessage(QString::fromUtf8(Texts().files.settingsNotSaved).arg(reason));
    });
    // Without a lister the menu and the status bar stay as they always were.
    if (!directory_->KnowsAdapters()) return;
    connect(menuBar_->PortMenu(), &QMenu::aboutToShow, this, &CCalibDlg::ShowPortNames);
    connect(channel_.get(), &SerialChannel::opened, this, &CCalibDlg::ShowOpenPortName);
}

void CCalibDlg::ShowPortNames() {
    QHash<int, QString> labels;
    for (const PortEntry& port : directory_->List()) {
        if (!labels.contains(port.comPort))
            labels.insert(port.comPort, QString::fromStdString(PortLabel(port)));
    }
    for (int port = CommandId::kFirstHandPort; port <= CommandId::kLastHandPort; ++port) {
        menuBar_->SetPortLabel(port, labels.value(port, ComName(port)));
    }
}

void CCalibDlg::ShowOpenPortName() {
    const std::string device = channel_->DevicePath().toStdString();
    QString label = ComName(channel_->PortNumber());
    for (const PortEntry& port : directory_->List()) {
        if (port.device == device && port.comPort == channel_->PortNumber())
            label = QString::fromStdString(PortLabel(port));
    }
    statusBar_->Pane(kStatusPane)->setToolTip(label);
}

// Nothing more can reach the controller: the link ends now, not when
// supervision would notice the silence. A replay keeps the display; the link
// it gives back at its end is down.
void CCalibDlg::OnDeviceGone() {
    if (replayPanel_ != nullptr) {
        State().ResetForLinkLoss();
        paneTextsBeforeReplay_[0] = QString::fromUtf8(kTextWaiting);
        ShowStatusColour(StatusColour::NoLink);
    } else {
        link_->OnDeviceGone();
    }
    FollowLinkWithLog();
    FollowUnstoredChanges();
}

void CCalibDlg::FollowOpenedPort() {
    const int firstPortPosition =
        MenuBar::PortPosition({PortChoice::Kind::Port, CommandId::kFirstHandPort});
    const int port = channel_->PortNumber();
    if (menuBar_->PortRadioMark() < firstPortPosition) return;
    if (port < CommandId::kFirstHandPort || port > CommandId::kLastHandPort) return;
    menuBar_->SetPortRadioMark(MenuBar::PortPosition({PortChoice::Kind::Port, port}));
}
