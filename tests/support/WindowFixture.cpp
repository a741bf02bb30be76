// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "tests/support/WindowFixture.h"

#include <QAction>
#include <QFile>
#include <QTest>

#include "ports/PortSearch.h"
#include "ui/StatusPanes.h"

bool WindowFixture::OpenHidden(ProbeTimings timings) {
    if (!configHome_.isValid()) return false;
    qputenv("XDG_CONFIG_HOME", configHome_.path().toUtf8());
    // Where the desktop says the user's documents are.
    QFile userDirs(configHome_.filePath(QStringLiteral("user-dirs.dirs")));
    if (!userDirs.open(QIODevice::WriteOnly)) return false;
    userDirs.write("XDG_DOCUMENTS_DIR=\"" + DocumentsFolder().toUtf8() + "\"\n");
    userDirs.close();
    auto emptyData = std::make_unique<QTemporaryDir>();
    if (!emptyData->isValid()) return false;
    qputenv("XDG_DATA_HOME", (dataHome.isEmpty() ? emptyData->path() : dataHome).toUtf8());
    Close();
    session = std::make_unique<CalibrationSession>(ports.Resolver(), timings, adapters);
    dlg = std::make_unique<CCalibDlg>(*session);
    // Kept from here: a window this one replaced has gone with its folder.
    ownDataHome_ = std::move(emptyData);
    return true;
}

bool WindowFixture::Open(ProbeTimings timings) {
    if (!OpenHidden(timings)) return false;
    dlg->show();
    return QTest::qWaitForWindowExposed(dlg.get());
}

bool WindowFixture::OpenLinkedTo(const std::string& device, int port, ProbeTimings timings) {
    ports.Set(port, device);
    return Open(timings) && WaitForLinkUp();
}

QString WindowFixture::DocumentsFolder() const {
    return configHome_.filePath(documentsName_);
}

QString WindowFixture::LinkStatusText() const {
    return ShownPaneText(*dlg, kStatusPane);
}

bool WindowFixture::WaitForLinkUp(int timeoutMs) {
    return QTest::qWaitFor([this] { return State().linkUp; }, timeoutMs);
}

QString ShownPaneText(CCalibDlg& dlg, int pane) {
    dlg.FlushDisplay();
    return dlg.StatusBar()->PaneText(pane);
}

QColor ShownStatusColour(CCalibDlg& dlg) {
    dlg.FlushDisplay();
    return dlg.StatusBar()->BackgroundColour();
}

void WindowFixture::Close() {
    dlg.reset();
    session.reset();
}

bool WaitForSearchToEnd(CCalibDlg& dlg, int timeoutMs) {
    return QTest::qWaitFor([&dlg] { return dlg.Session().Search().RunningCount() == 0; },
                           timeoutMs);
}

bool WindowFixture::WaitForSearchToEnd(int timeoutMs) {
    return ::WaitForSearchToEnd(*dlg, timeoutMs);
}

void WindowFixture::Choose(int commandId) {
    dlg->Command(commandId)->trigger();
}

QString WindowFixture::SettingsFile() const {
    return configHome_.filePath(QStringLiteral("dx470/dx470.conf"));
}
