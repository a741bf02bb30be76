// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/CCalibDlg.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>

#include "files/ParamFile.h"
#include "link/ControllerLink.h"
#include "serial/PortSearch.h"
#include "serial/RememberedAdapter.h"
#include "serial/SerialChannel.h"
#include "ui/CAboutDlg.h"
#include "ui/ControlIds.h"
#include "ui/ControlSets.h"
#include "ui/DialogInteger.h"
#include "ui/HelpWindow.h"
#include "ui/LiveBar.h"
#include "ui/MenuBar.h"
#include "ui/ParamFileCommands.h"
#include "ui/ReplayPanel.h"
#include "ui/SessionLogger.h"
#include "ui/SpinButton.h"
#include "ui/StartupMarks.h"
#include "ui/UiTexts.h"

namespace {
using ControlSets::kBindingOrder;

QString AppTitle() {
    return QCoreApplication::applicationName();
}

bool IsEnterKey(const QKeyEvent& event) {
    return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
}

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// A failed channel operation as the user reads it, in the window's language.
QString ChannelErrorText(const ChannelError& error, const ChannelTexts& texts) {
    if (!error.failure) return QString::fromStdString(error.what());
    const ChannelFailure& failure = *error.failure;
    const QString device = QString::fromStdString(failure.device);
    const QString reason = QString::fromStdString(failure.reason);
    switch (failure.kind) {
        case ChannelFailure::Kind::AlreadyOpen:
            return Text(texts.alreadyOpen);
        case ChannelFailure::Kind::CannotConfigure:
            return Text(texts.cannotConfigure).arg(device, reason);
        case ChannelFailure::Kind::CannotOpen:
            break;
    }
    QString text = Text(texts.cannotOpen).arg(device, reason);
    if (failure.hint == ChannelFailure::Hint::JoinDialout) text += Text(texts.joinDialout);
    if (failure.hint == ChannelFailure::Hint::InUse) text += Text(texts.inUse);
    return text;
}

int PortOfCommand(int commandId) {
    for (int port = CommandId::kFirstHandPort; port <= CommandId::kLastHandPort; ++port) {
        if (CommandId::SelectPort(port) == commandId) return port;
    }
    return 0;
}
}  // namespace

QAction* CCalibDlg::Command(int commandId) const {
    return menuBar_->Command(commandId);
}

QTimer* CCalibDlg::Timer(int timerId) {
    if (timerId == TimerId::kSupervision) return &supervisionTimer_;
    if (timerId == TimerId::kSend) return &sendTimer_;
    return nullptr;
}

LinkState& CCalibDlg::State() {
    return link_->State();
}

SpinButton* CCalibDlg::Spin(int k) const {
    return static_cast<SpinButton*>(Control(ControlId::ParamSpin(k)));
}

QLineEdit* CCalibDlg::ParamEdit(int k) const {
    return static_cast<QLineEdit*>(Control(ControlId::ParamEdit(k)));
}

LiveBar* CCalibDlg::Bar(int controlId) const {
    return qobject_cast<LiveBar*>(Control(controlId));
}

template <typename Handler>
void CCalibDlg::CatchChannelErrors(Handler&& handler) {
    try {
        handler();
    } catch (const ChannelError& error) {
        QMessageBox box(QMessageBox::Critical, AppTitle(), ChannelErrorText(error, Texts().channel),
                        QMessageBox::Ok, this);
        ShowBoxBehindTicks(box);
    }
}

void CCalibDlg::ShowBoxBehindTicks(QMessageBox& box) {
    if (tickingTimer_ != nullptr) tickingTimer_->start();
    box.exec();
}

void CCalibDlg::OnTimer(int timerId) {
    QTimer* const outer = tickingTimer_;
    tickingTimer_ = Timer(timerId);
    CatchChannelErrors([&] {
        if (timerId == TimerId::kSupervision) {
            const bool wasUp = State().linkUp;
            link_->OnSupervisionTick();
            FollowLinkWithLog();
            if (!wasUp && State().linkUp) adapter_->OnLinkUp();
        } else if (timerId == TimerId::kSend) {
            link_->OnSendTick();
        }
    });
    tickingTimer_ = outer;
    FollowUnstoredChanges();
}

// During a replay the controller's bytes are read and dropped: the window
// shows the log, and the link starts afresh when the replay ends.
void CCalibDlg::OnCommEvent(const QByteArray& bytes, qint64 arrivalMicros) {
    if (replayPanel_ != nullptr) return;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    readingPort_ = true;
    link_->OnBytesReceived(std::span(data, static_cast<std::size_t>(bytes.size())), arrivalMicros);
    readingPort_ = false;
    RecordFramesOfRead(arrivalMicros);
}

// Stores only a valid position: a pasted text that is no number within the
// range leaves the parameter at its last valid value, so nothing the user did
// not choose is sent and the parameters above it are not held up.
void CCalibDlg::OnParamEditChange(int k) {
    if (!initialised) return;
    const std::optional<std::int32_t> position = ValidPosition(k);
    if (!position) return;
    panelParams[k] = *position;
    FollowUnstoredChanges();
}

std::optional<std::int32_t> CCalibDlg::ValidPosition(int k) const {
    const std::int32_t position = Spin(k)->QueryPosition();
    if ((position >> 16) != 0) return std::nullopt;
    return position;
}

// Choosing a port may cost changes the controller has not stored; the user
// is asked first. (Loading a file asks once a file was chosen.)
void CCalibDlg::OnCommand(int commandId) {
    const bool mayCostChanges = commandId == CommandId::kPortAuto ||
                                commandId == CommandId::kPortOffline ||
                                PortOfCommand(commandId) != 0;
    if (mayCostChanges && AskAboutUnstored() == UnstoredAnswer::Cancelled) return;
    RunCommand(commandId);
    FollowUnstoredChanges();
}

void CCalibDlg::RunCommand(int commandId) {
    switch (commandId) {
        case CommandId::kFileOpen:
            return OnFileOpen();
        case CommandId::kFileSave:
            return OnFileSave();
        case CommandId::kFileExit:
            return OnCancelCommand();
        case CommandId::kHelp:
            return OnHelp();
        case CommandId::kHelpAbout:
            return OnAbout();
        case CommandId::kChinese:
            return ApplyChineseTexts();
        case CommandId::kEnglish:
            return ApplyEnglishTexts();
        case CommandId::kReplayLog:
            return OnReplayLog();
        case CommandId::kAddMark:
            return OnAddMark();
        case CommandId::kOpenLogFolder:
            return OnOpenLogFolder();
        case CommandId::kRecordLogs:
            return OnRecordLogs();
        case CommandId::kShowChart:
            return OnShowChart();
        case CommandId::kShowCells:
            return OnShowCells();
        default:
            break;
    }
    const int port = PortOfCommand(commandId);
    if (commandId != CommandId::kPortAuto && commandId != CommandId::kPortOffline && port == 0) {
        return;
    }
    // Every port command takes the link down: its log ends first, with the
    // panel as it stands before a new port clears it.
    logger_->End(panelParams);
    CatchChannelErrors([&] {
        if (commandId == CommandId::kPortAuto) {
            link_->StartAutoSearch();
        } else if (commandId == CommandId::kPortOffline) {
            link_->GoOffline();
        } else {
            link_->SelectPort(port);
        }
    });
    FollowLinkWithLog();
}

void CCalibDlg::OnWrite() {
    link_->RequestWrite();
}

void CCalibDlg::OnAbout() {
    CAboutDlg about(this);
    about.exec();
}

// Made when first asked for, so start-up does not pay for it; later requests
// bring the same window back to the front.
void CCalibDlg::OnHelp() {
    if (helpWindow_ == nullptr) helpWindow_ = new HelpWindow(this);
    helpWindow_->SetLanguage(Texts());
    helpWindow_->show();
    helpWindow_->raise();
    helpWindow_->activateWindow();
}

// A cancelled dialog, or a file that cannot be read, neither stores nor loads.
void CCalibDlg::OnFileOpen() {
    const std::optional<QString> path = ParamFileCommands::AskOpenPath(this);
    if (!path) return;
    const std::optional<PanelParams> loaded =
        ParamFileCommands::Read(this, *path, panelParams, Texts().files);
    if (!loaded || AskAboutUnstored() == UnstoredAnswer::Cancelled) return;
    ParamFileCommands::Apply(*loaded, *this);
    NoteEvent({.kind = SessionEvent::Kind::FileLoaded,
               .name = QFileInfo(*path).fileName().toStdString()});
}

void CCalibDlg::OnFileSave() {
    ParamFileCommands::Save(this, panelParams, Texts().files);
}

// The edits are read into a copy, taken only once the window really ends: a
// question answered with Cancel leaves the panel as it was. A number outside
// the spin's range counts as the edit's change handler counts it: not at all.
void CCalibDlg::OnOK() {
    PanelParams read = panelParams;
    for (const int k : kBindingOrder) {
        QLineEdit* edit = ParamEdit(k);
        std::int32_t value = 0;
        if (!ParseDialogInteger(edit->text(), value)) {
            QMessageBox::warning(this, AppTitle(), QString::fromUtf8(kNotAnIntegerText));
            edit->setFocus();
            edit->selectAll();
            return;
        }
        if (value >= kSpinLowest && value <= kSpinHighest) read[k] = value;
    }
    if (!MayEnd()) return;
    panelParams = read;
    accept();
}

// The window closes at once; the search workers end with it, each within a
// moment (see PortSearch).
void CCalibDlg::OnCancel() {
    EndReplay();
    logger_->End(panelParams);
    CatchChannelErrors([&] {
        supervisionTimer_.stop();
        sendTimer_.stop();
        if (channel_ != nullptr && channel_->IsOpen()) channel_->Close();
        QDialog::reject();
    });
}

void CCalibDlg::OnAbruptEnd() {
    supervisionTimer_.stop();
    sendTimer_.stop();
    logger_->End(panelParams);
    if (channel_ != nullptr && channel_->IsOpen()) channel_->Close();
    search_.reset();
}

void CCalibDlg::OnCancelCommand() {
    if (MayEnd()) OnCancel();
}

void CCalibDlg::reject() {
    OnCancelCommand();
}

void CCalibDlg::paintEvent(QPaintEvent* event) {
    StartupMarks::Mark("paint");
    QPainter painter(this);
    const QRect menuStrip(0, 0, width(), clientOrigin_.y());
    painter.fillRect(event->rect() & menuStrip, palette().window());
    PaintBackground(painter, event->rect() & clientRect_);
}

// The picture repeats from the client area's top-left corner. It is drawn
// tile by tile rather than through a pattern brush: plain image copies
// allocate nothing while painting, a pattern fill does on every call.
void CCalibDlg::PaintBackground(QPainter& painter, const QRect& area) const {
    const QImage& picture = BackgroundPicture();
    const int tileWidth = picture.width();
    const int tileHeight = picture.height();
    for (int y = clientOrigin_.y(); y <= area.bottom(); y += tileHeight) {
        for (int x = clientOrigin_.x(); x <= area.right(); x += tileWidth) {
            const QRect target = QRect(x, y, tileWidth, tileHeight) & area;
            if (!target.isEmpty()) painter.drawImage(target, picture, target.translated(-x, -y));
        }
    }
}

// Enter in an edit (or anywhere but on a button) is the OK command; Escape
// goes on to the dialog, which cancels.
void CCalibDlg::keyPressEvent(QKeyEvent* event) {
    if (IsEnterKey(*event)) {
        OnOK();
        return;
    }
    QDialog::keyPressEvent(event);
}

// Enter on a button presses that button; the window has no default button.
bool CCalibDlg::eventFilter(QObject* watched, QEvent* event) {
    auto* button = qobject_cast<QPushButton*>(watched);
    if (button == nullptr || event->type() != QEvent::KeyPress) return false;
    if (!IsEnterKey(*static_cast<QKeyEvent*>(event))) return false;
    button->click();
    return true;
}
