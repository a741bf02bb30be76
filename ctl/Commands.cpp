// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ctl/Commands.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSerialPort>
#include <QTimer>
#include <variant>

#include "ctl/ExitCodes.h"
#include "ctl/LinkedRun.h"
#include "files/ParamFile.h"
#include "files/PlainFile.h"
#include "link/ControllerLink.h"
#include "link/LinkHealth.h"
#include "link/StoredSet.h"
#include "link/TickCount.h"
#include "log/CsvExport.h"
#include "log/LogFile.h"
#include "log/LogNames.h"
#include "ports/OpenFailureHint.h"
#include "ports/SerialChannel.h"
#include "ports/SystemPortLister.h"
#include "ports/core/PortLabel.h"
#include "ports/core/PortNames.h"
#include "session/SessionLogger.h"
#include "session/SetFiles.h"

namespace {
constexpr int kMsPerSecond = 1000;
// Frames after the store before the values are read back: every index twice.
constexpr int kReadBackFrames = 2 * kParamCount;
constexpr int kReadBackTimeoutMs = 3000;
// The largest log convert reads; an hour at line rate is about 30 MB.
constexpr std::uint64_t kMostLogBytes = std::uint64_t{1} << 30;
constexpr int kMonitorPeriodMs = 1000;

QString Values(const PanelParams& values) {
    QStringList texts;
    for (const std::int32_t value : values) texts << QString::number(value);
    return texts.join(QLatin1Char(' '));
}

PanelParams DeviceValues(const LinkState& record) {
    PanelParams values{};
    for (int k = 0; k < kParamCount; ++k) values[k] = record.deviceParams[k];
    return values;
}

// "3=41 5=60" for the parameters in the mask.
QString Listed(const PanelParams& values, ParamMask which) {
    QStringList texts;
    for (int k = 0; k < kParamCount; ++k) {
        if ((which >> k) & 1) texts << QStringLiteral("%1=%2").arg(k).arg(values[k]);
    }
    return texts.isEmpty() ? QStringLiteral("none") : texts.join(QLatin1Char(' '));
}

// Exactly 64 bytes of sixteen values within 0..255: the controller gets only
// what the user chose.
std::optional<PanelParams> ReadSetFile(LinkedRun& run, const QString& path) {
    const FileRead read = ReadRegularFile(QFile::encodeName(path).toStdString(), kParamFileSize);
    const auto* bytes = std::get_if<FileBytes>(&read);
    if (bytes == nullptr) {
        run.Say(QStringLiteral("%1: cannot be read").arg(path));
        return std::nullopt;
    }
    if (bytes->size() != kParamFileSize) {
        run.Say(QStringLiteral("%1: not a parameter set (%2 bytes, not %3)")
                    .arg(path)
                    .arg(bytes->size())
                    .arg(kParamFileSize));
        return std::nullopt;
    }
    PanelParams set{};
    DecodeParamFile(*bytes, set);
    for (int k = 0; k < kParamCount; ++k) {
        if (set[k] < kLowestValue || set[k] > kHighestValue) {
            run.Say(QStringLiteral("%1: parameter %2 is %3, outside 0..255")
                        .arg(path)
                        .arg(k)
                        .arg(set[k]));
            return std::nullopt;
        }
    }
    return set;
}

bool AllEchoed(CalibrationSession& session) {
    const LinkState& record = session.Record();
    return session.IsUp() && record.unechoedMask == 0 && DeviceValues(record) == session.Panel() &&
           !session.Channel().HasUnsentBytes();
}

ParamMask Differing(const PanelParams& a, const PanelParams& b) {
    ParamMask mask = 0;
    for (int k = 0; k < kParamCount; ++k) {
        if (a[k] != b[k]) mask |= static_cast<ParamMask>(1u << k);
    }
    return mask;
}

std::string Local(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString FromLocal(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// The log and the two sets beside it take the new name together, so a replay
// of it still finds the set it began with. Only a regular file is replaced.
bool Rename(const QString& from, const QString& to) {
    for (const Snapshot moment : {Snapshot::Start, Snapshot::End}) {
        const QString fromSet = FromLocal(SnapshotPath(Local(from), moment));
        const QString toSet = FromLocal(SnapshotPath(Local(to), moment));
        if (!QFileInfo::exists(fromSet)) continue;
        if (!MayWriteOver(KindAt(Local(toSet)))) return false;
        QFile::remove(toSet);
        if (!QFile::rename(fromSet, toSet)) return false;
    }
    if (!MayWriteOver(KindAt(Local(to)))) return false;
    QFile::remove(to);
    return QFile::rename(from, to);
}

QString Milliseconds(const std::optional<std::int64_t>& us) {
    return us ? QString::number(double(*us) / 1000, 'f', 1) : QStringLiteral("-");
}

// The link's health as the window's panel shows it, with its hints.
QString HealthLine(const CalibrationSession& session) {
    const LinkFigures figures = session.Health().Figures(SteadyMicros());
    QString line = QStringLiteral(
                       "read %1 B, frames %2, discarded %3 B, losses %4, resends %5, "
                       "echo %6/%7 ms")
                       .arg(figures.bytesRead)
                       .arg(figures.framesTaken)
                       .arg(figures.bytesDiscarded)
                       .arg(figures.linkLosses)
                       .arg(figures.resends)
                       .arg(Milliseconds(figures.medianEchoUs), Milliseconds(figures.worstEchoUs));
    for (const LinkHint hint : session.HealthHints(figures)) {
        switch (hint) {
            case LinkHint::AdapterLatency:
                line += QStringLiteral("; the adapter's latency timer is above 1 ms");
                break;
            case LinkHint::BytesWithoutFrames:
                line += QStringLiteral("; bytes but no controller frames: another device or baud?");
                break;
            case LinkHint::PortBusy:
                line += QStringLiteral("; the port is busy");
                break;
            case LinkHint::PortDenied:
                line += QStringLiteral("; the port is not permitted");
                break;
        }
    }
    return line;
}

// Whether each present port can be opened now, and if not why.
QString OpenState(const QString& device) {
    if (!QFileInfo::exists(device)) return QStringLiteral("absent");
    QSerialPort port(device);
    if (port.open(QIODevice::ReadWrite)) {
        port.close();
        return QStringLiteral("free");
    }
    switch (HintForOpenFailure(port.error(), UserMayReadWrite(device))) {
        case OpenFailureHint::InUse:
            return QStringLiteral("busy");
        case OpenFailureHint::JoinDialout:
            return QStringLiteral("not permitted (join the dialout group)");
        case OpenFailureHint::None:
            break;
    }
    return QStringLiteral("cannot be opened: ") + port.errorString();
}
}  // namespace

namespace Commands {

int Ports(QTextStream& out, QTextStream&) {
    SystemPortLister lister;
    const std::vector<PortEntry> present = lister.List();
    for (int n = 1; n <= kHighestComPort; ++n) {
        const QString device = QString::fromStdString(ResolvePortName(n));
        QString adapter = QStringLiteral("-");
        for (const PortEntry& entry : present) {
            if (entry.comPort == n && entry.usb)
                adapter = QString::fromStdString(entry.description);
        }
        out << QStringLiteral("COM%1\t%2\t%3\t%4").arg(n).arg(device, adapter, OpenState(device))
            << Qt::endl;
    }
    return ExitCode::kDone;
}

int Read(const CtlCommand& command, QTextStream& out, QTextStream& err) {
    LinkedRun run(command, out, err);
    if (const int linked = run.Link(); linked != ExitCode::kDone) return linked;
    CalibrationSession& session = run.Session();
    const PanelParams values = session.Panel();
    const PanelParams stored = session.StoredSet().value_or(values);
    if (command.json) {
        QJsonArray parameters;
        QJsonArray storedValues;
        for (int k = 0; k < kParamCount; ++k) {
            parameters.append(values[k]);
            storedValues.append(stored[k]);
        }
        const QJsonObject object{{QStringLiteral("port"), run.PortName()},
                                 {QStringLiteral("parameters"), parameters},
                                 {QStringLiteral("stored"), storedValues}};
        out << QJsonDocument(object).toJson(QJsonDocument::Compact) << Qt::endl;
    } else {
        out << run.PortName() << Qt::endl;
        out << "parameters " << Values(values) << Qt::endl;
        out << "stored     " << Values(stored) << Qt::endl;
    }
    if (command.output.empty()) return ExitCode::kDone;
    const QString path = QFile::decodeName(QByteArray::fromStdString(WithParamExtension(
        QFile::encodeName(QString::fromStdString(command.output)).toStdString())));
    QString reason;
    if (!WriteSetFile(path, values, reason)) {
        run.Say(reason);
        return ExitCode::kBadFile;
    }
    return ExitCode::kDone;
}

int Write(const CtlCommand& command, QTextStream& out, QTextStream& err) {
    LinkedRun run(command, out, err);
    const QString path = QString::fromStdString(command.file);
    const std::optional<PanelParams> set = ReadSetFile(run, path);
    if (!set) return ExitCode::kBadFile;
    if (const int linked = run.Link(); linked != ExitCode::kDone) return linked;
    QElapsedTimer sinceLinkUp;
    sinceLinkUp.start();
    CalibrationSession& session = run.Session();
    PanelParams sent = session.Panel();
    ParamMask sentMask = 0;
    QObject::connect(&session, &CalibrationSession::eventNoted, [&](const SessionEvent& event) {
        if (event.kind != SessionEvent::Kind::ParameterSent) return;
        sent[event.index] = event.value;
        sentMask |= static_cast<ParamMask>(1u << event.index);
    });
    const ParamMask differing = Differing(*set, session.Panel());
    session.LoadSet(*set, QFileInfo(path).fileName());
    const int echoMs = session.EchoDeadlineMs();
    const bool echoed = run.WaitFor([&] { return AllEchoed(session); }, echoMs);
    if (run.Interrupted()) {
        run.StopSending();
        run.Say(QStringLiteral("interrupted: sent %1; not sent: %2")
                    .arg(Listed(sent, sentMask), Listed(*set, differing & ~sentMask)));
        return ExitCode::kInterrupted;
    }
    if (!echoed) {
        // Sent and not echoed, or reported back with another value: a value just
        // sent again already stands in the record as the controller's.
        const ParamMask missing =
            session.Record().unechoedMask | Differing(DeviceValues(session.Record()), *set);
        run.Say(QStringLiteral("not echoed by the controller: %1").arg(Listed(*set, missing)));
        return session.IsUp() ? ExitCode::kNotEchoed : ExitCode::kNoLink;
    }
    out << "sent " << Listed(*set, differing) << Qt::endl;
    if (command.store) {
        std::optional<CalibrationSession::WriteOutcome> outcome;
        QObject::connect(&session, &CalibrationSession::panelWritten,
                         [&](CalibrationSession::WriteOutcome written) { outcome = written; });
        session.WritePanel();
        run.WaitFor([&] { return outcome.has_value(); }, echoMs);
        if (run.Interrupted() && !outcome) {
            run.StopSending();
            run.Say(QStringLiteral("interrupted before the store was confirmed"));
            return ExitCode::kInterrupted;
        }
        if (outcome != CalibrationSession::WriteOutcome::Written) {
            run.Say(QStringLiteral("the store was not confirmed"));
            return outcome == CalibrationSession::WriteOutcome::LinkLost ? ExitCode::kNoLink
                                                                         : ExitCode::kNotEchoed;
        }
        out << "stored" << Qt::endl;
    }
    if (command.verify) {
        int frames = 0;
        QObject::connect(&session, &CalibrationSession::frameShown,
                         [&](const SessionFrame&) { ++frames; });
        run.WaitFor([&] { return frames >= kReadBackFrames; }, kReadBackTimeoutMs);
        const ParamMask wrong = Differing(DeviceValues(session.Record()), *set);
        if (frames < kReadBackFrames || wrong != 0) {
            run.Say(QStringLiteral("verify failed: the controller reports %1")
                        .arg(Listed(DeviceValues(session.Record()), wrong)));
            return ExitCode::kVerifyFailed;
        }
        out << "verified" << Qt::endl;
    }
    out << QStringLiteral("done in %1 s after the link came up")
               .arg(double(sinceLinkUp.elapsed()) / kMsPerSecond, 0, 'f', 2)
        << Qt::endl;
    return ExitCode::kDone;
}

// The window's log, written in the output's folder and given the output's
// name once it has ended with its snapshots.
int Log(const CtlCommand& command, QTextStream& out, QTextStream& err) {
    LinkedRun run(command, out, err);
    CalibrationSession& session = run.Session();
    const QString output = QString::fromStdString(command.output);
    const QString folder = output.isEmpty() ? QString() : QFileInfo(output).absolutePath();
    session.Logger().SetForThisRun(true, folder);
    if (const int linked = run.Link(); linked != ExitCode::kDone) return linked;
    const int seconds = command.seconds != 0 ? command.seconds : kLongestLogSeconds;
    run.WaitFor([] { return false; }, seconds * kMsPerSecond);
    const QString written = session.Logger().Path();
    session.End();
    if (written.isEmpty()) {
        run.Say(QStringLiteral("no log was written"));
        return ExitCode::kBadFile;
    }
    if (!output.isEmpty() && !Rename(written, output)) {
        run.Say(QStringLiteral("the log stays as %1: it cannot be named %2").arg(written, output));
        return ExitCode::kBadFile;
    }
    out << (output.isEmpty() ? written : output) << Qt::endl;
    return ExitCode::kDone;
}

int Monitor(const CtlCommand& command, QTextStream& out, QTextStream& err) {
    LinkedRun run(command, out, err);
    if (const int linked = run.Link(); linked != ExitCode::kDone) return linked;
    CalibrationSession& session = run.Session();
    Readouts shown;
    int frames = 0;
    QObject::connect(&session, &CalibrationSession::readoutsShown,
                     [&](const Readouts& readouts) { shown = readouts; });
    QObject::connect(&session, &CalibrationSession::frameShown,
                     [&](const SessionFrame&) { ++frames; });
    QElapsedTimer clock;
    clock.start();
    while (!run.Interrupted()) {
        run.WaitFor([] { return false; }, kMonitorPeriodMs);
        out << QStringLiteral("%1  petrol %2 ms  gas %3 ms  lambda %4 V  cell %5  %6 frames/s")
                   .arg(session.IsUp() ? QStringLiteral("up  ") : QStringLiteral("down"))
                   .arg(QString::fromStdString(shown.petrolText),
                        QString::fromStdString(shown.gasText),
                        QString::fromStdString(shown.lambdaText))
                   .arg(session.Record().cellIndex)
                   .arg(frames * kMsPerSecond / std::max<qint64>(1, clock.restart()))
            << "  |  " << HealthLine(session) << Qt::endl;
        frames = 0;
    }
    return ExitCode::kDone;
}

int Convert(const CtlCommand& command, QTextStream& out, QTextStream& err) {
    const std::string path = command.file;
    LogFileRead read =
        ReadLogFile(QFile::encodeName(QString::fromStdString(path)).toStdString(), kMostLogBytes);
    const QString name = QString::fromStdString(path);
    if (read.outcome != LogFileRead::Outcome::Read || !read.log.recognised) {
        err << "dx470ctl: " << name << ": "
            << (read.outcome == LogFileRead::Outcome::Read ? QStringLiteral("not a DX470 log")
                                                           : QStringLiteral("cannot be read"))
            << Qt::endl;
        return ExitCode::kBadFile;
    }
    const std::string csv = CsvOfLog(read.log, command.separator);
    if (command.output.empty()) {
        out << QString::fromStdString(csv);
        out.flush();
        return ExitCode::kDone;
    }
    QString reason;
    if (!WriteWholeFile(QString::fromStdString(command.output), QByteArray::fromStdString(csv),
                        reason)) {
        err << "dx470ctl: " << reason << Qt::endl;
        return ExitCode::kBadFile;
    }
    return ExitCode::kDone;
}

}  // namespace Commands
