// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <chrono>
#include <memory>
#include <string>

#include "ports/core/ProbeTimings.h"
#include "tests/support/MadeUpAdapters.h"
#include "tests/support/PortTable.h"
#include "ui/CCalibDlg.h"

// A search that listens a few milliseconds on each port instead of 300, so a
// test finds its controller, or nothing, at once.
inline constexpr ProbeTimings kFastSearch{std::chrono::milliseconds(30),
                                          std::chrono::milliseconds(10)};

// What a status pane shows, changes waiting for the next refresh included.
QString ShownPaneText(CCalibDlg& dlg, int pane);
// The status bar's colour, likewise.
QColor ShownStatusColour(CCalibDlg& dlg);

// True once the window's search workers have all ended.
bool WaitForSearchToEnd(CCalibDlg& dlg, int timeoutMs = 5000);

// The calibration window of one test, with its own COM table, its own
// settings folder (Qt's file dialog remembers its last folder there) and its
// own documents folder, where its session logs go; each window opened gets an
// empty data folder (where unstored changes are kept). Its search workers end
// when it goes.
class WindowFixture {
public:
    PortTable ports;
    // The adapters the window is told are plugged in; without them it knows
    // no adapters and remembers none.
    std::shared_ptr<MadeUpAdapters> adapters;
    // The session of the window, and the window over it.
    std::unique_ptr<CalibrationSession> session;
    std::unique_ptr<CCalibDlg> dlg;

    // Makes the window and shows it; false when it is not exposed.
    bool Open(ProbeTimings timings = kFastSearch);
    // Makes the window without showing it, as a window started minimised.
    bool OpenHidden(ProbeTimings timings = kFastSearch);
    // A controller on COMn, found by the start-up search; false when the link
    // does not come up.
    bool OpenLinkedTo(const std::string& device, int port = kControllerPort,
                      ProbeTimings timings = kFastSearch);
    // The window goes, then its session.
    void Close();

    const LinkState& State() const { return session->Record(); }
    // The documents folder the window's logs go into, under a name given
    // before Open (a user's own folder name, Chinese say).
    void SetDocumentsName(const QString& name) { documentsName_ = name; }
    QString DocumentsFolder() const;
    QString LinkStatusText() const;
    bool WaitForLinkUp(int timeoutMs = kLinkTimeoutMs);
    // True once no search worker runs any more.
    bool WaitForSearchToEnd(int timeoutMs = 5000);
    void Choose(int commandId);
    // A data folder the test shares between windows or processes; the
    // windows opened while it is set use it instead of an empty one.
    QString dataHome;
    // Where the window keeps the adapter it remembers.
    QString SettingsFile() const;

    static constexpr int kControllerPort = 3;
    static constexpr int kLinkTimeoutMs = 15000;

private:
    QTemporaryDir configHome_;
    QString documentsName_ = QStringLiteral("Documents");
    std::unique_ptr<QTemporaryDir> ownDataHome_;
};
