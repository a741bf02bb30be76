// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ctl/LinkedRun.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "ctl/ExitCodes.h"
#include "ports/SerialChannel.h"
#include "ports/SystemPortLister.h"
#include "ports/core/PortNames.h"
#include "session/SessionLogger.h"

namespace {
// How often a wait looks again: well inside a send tick.
constexpr int kPollMs = 10;
constexpr int kMsPerSecond = 1000;
// Frames begun before a stop reach the line within this.
constexpr int kDrainMs = 1000;
constexpr int kSupervisionTimer = 100;
constexpr int kSendTimer = 101;
}  // namespace

LinkedRun::LinkedRun(const CtlCommand& command, QTextStream& out, QTextStream& err)
    : command_(command),
      out_(out),
      err_(err),
      session_(std::make_unique<CalibrationSession>(ResolvePortName, ProbeTimings{},
                                                    std::make_shared<SystemPortLister>())),
      signals_([this] { interrupted_ = true; }) {
    // Only `log` writes a log, and the window's choice stays as it was.
    session_->Logger().SetForThisRun(false, {});
    QObject::connect(session_.get(), &CalibrationSession::portOpened, [this] { opened_ = true; });
    QObject::connect(
        session_.get(), &CalibrationSession::channelFailed,
        [this](const ChannelError& error) { failure_ = QString::fromStdString(error.what()); });
    QObject::connect(session_.get(), &CalibrationSession::errorToShow,
                     [this](const QString& text, const QString&) {
                         if (!failure_) failure_ = text;
                     });
}

LinkedRun::~LinkedRun() {
    session_->End();
}

void LinkedRun::Say(const QString& text) {
    err_ << "dx470ctl: " << text << Qt::endl;
}

QString LinkedRun::PortName() const {
    return QStringLiteral("COM%1").arg(session_->Channel().PortNumber());
}

bool LinkedRun::WaitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(kPollMs);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || interrupted_ || clock.elapsed() >= timeoutMs) loop.quit();
    });
    poll.start();
    if (!done()) loop.exec();
    return done();
}

// A port the user named is opened at once; "auto" waits for the search. A
// link counts once every value was reported twice alike and no question about
// another controller is open.
int LinkedRun::Link() {
    CalibrationSession& session = *session_;
    session.Start();
    if (command_.port != 0) session.SelectPort(command_.port);
    const bool linked = WaitFor(
        [&] {
            return failure_.has_value() ||
                   (session.IsUp() && session.Record().panelLoaded && session.Editing());
        },
        command_.timeoutSeconds * kMsPerSecond);
    if (interrupted_) {
        Say(QStringLiteral("interrupted before the link came up"));
        return ExitCode::kInterrupted;
    }
    if (failure_) {
        Say(*failure_);
        return ExitCode::kNoPort;
    }
    if (linked) return ExitCode::kDone;
    if (!opened_) {
        Say(command_.port != 0 ? QStringLiteral("COM%1 could not be opened").arg(command_.port)
                               : QStringLiteral("no controller found on COM1 .. COM20"));
        return ExitCode::kNoPort;
    }
    Say(QStringLiteral("no link on %1: no controller spoke within %2 s")
            .arg(PortName())
            .arg(command_.timeoutSeconds));
    return ExitCode::kNoLink;
}

void LinkedRun::StopSending() {
    session_->Timer(kSendTimer)->stop();
    session_->Timer(kSupervisionTimer)->stop();
    WaitFor([&] { return !session_->Channel().HasUnsentBytes(); }, kDrainMs);
    session_->End();
}
