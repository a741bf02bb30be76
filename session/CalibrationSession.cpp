// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "session/CalibrationSession.h"

#include <QFileInfo>
#include <utility>

#include "edit/SelectionOperations.h"
#include "files/ParamFile.h"
#include "link/ControllerLink.h"
#include "link/StatusTexts.h"
#include "link/Supervision.h"
#include "link/TickCount.h"
#include "obd/ObdLink.h"
#include "obd/ObdPortMemory.h"
#include "ports/PortSearch.h"
#include "ports/RememberedAdapter.h"
#include "ports/SerialChannel.h"
#include "ports/core/PortDirectory.h"
#include "ports/core/PortLabel.h"
#include "session/ReplayPlayer.h"
#include "session/SessionLogger.h"
#include "session/TuneHistory.h"
#include "session/UnstoredChanges.h"

namespace {
constexpr int kSupervisionTimer = 100;
constexpr int kSendTimer = 101;
constexpr int kSupervisionPeriodMs = 200;
constexpr int kSendPeriodMs = 100;
// The first port command and the last: COM1..COM16.
constexpr int kFirstHandPort = 1;
constexpr int kLastHandPort = 16;
// Beyond what the pacing needs for "Write and continue": time for the
// echoes, for late ticks and for values the controller reports back
// unchanged and that go out again.
constexpr int kEchoAllowanceMs = 3000;
constexpr qint64 kUsPerMs = 1000;
// Pane 1 while a log is replayed, the same in both languages.
constexpr char kReplayStatusText[] = "Replay";

QString FromStd(const std::string& text) {
    return QString::fromStdString(text);
}
}  // namespace

CalibrationSession::CalibrationSession(PortResolver resolver, ProbeTimings timings,
                                       std::shared_ptr<PortLister> adapters, QObject* parent)
    : QObject(parent) {
    const bool remembers = adapters != nullptr;
    CreatePorts(std::move(resolver), timings, std::move(adapters));
    CreateRecords();
    CreateObd(remembers);
    connect(&supervisionTimer_, &QTimer::timeout, this, [this] { OnTimer(kSupervisionTimer); });
    connect(&sendTimer_, &QTimer::timeout, this, [this] { OnTimer(kSendTimer); });
}

// The program ended without its exit steps (Enter in an edit): the log still
// ends with the panel's set beside it.
CalibrationSession::~CalibrationSession() {
    logger_->End(link_->Panel());
}

// The channel, the search and the link they serve; made, not yet started.
void CalibrationSession::CreatePorts(PortResolver resolver, ProbeTimings timings,
                                     std::shared_ptr<PortLister> adapters) {
    directory_ = std::make_shared<PortDirectory>(std::move(resolver), adapters);
    // The OBD adapter's port is no controller's.
    search_ = std::make_unique<PortSearch>(
        [this, resolve = directory_->Resolver()](int port) {
            return port == obdPort_.load() ? std::string() : resolve(port);
        },
        timings);
    channel_ = std::make_unique<SerialChannel>(
        directory_->Resolver(),
        [this](const QString& device) { return search_->IsListeningOn(device); });
    adapter_ = std::make_unique<RememberedAdapter>(
        directory_, AdapterMemory(adapters ? AdapterMemory::DefaultFile() : QString()), *channel_);
    WindowOps& observer = *this;
    link_ = std::make_unique<ControllerLink>(observer, *channel_, SystemTickCount, [this] {
        search_->Launch(link_->Record().probeStop, adapter_->FirstPortFinder());
    });
    connect(channel_.get(), &SerialChannel::bytesReceived, this,
            &CalibrationSession::OnBytesReceived);
    connect(channel_.get(), &SerialChannel::opened, this, &CalibrationSession::OnPortOpened);
    connect(channel_.get(), &SerialChannel::deviceLost, this, &CalibrationSession::OnDeviceGone);
    connect(channel_.get(), &SerialChannel::deviceLost, adapter_.get(),
            &RememberedAdapter::OnDeviceLost);
    connect(adapter_.get(), &RememberedAdapter::notSaved, this,
            &CalibrationSession::settingsNotSaved);
    connect(search_.get(), &PortSearch::portFound, this,
            [this](int port) { link_->OnPortFound(port); });
}

void CalibrationSession::CreateRecords() {
    logger_ = new SessionLogger(this);
    connect(logger_, &SessionLogger::recordingChanged, this, &CalibrationSession::recordingChanged);
    connect(logger_, &SessionLogger::stopped, this, &CalibrationSession::logStopped);
    connect(logger_, &SessionLogger::settingsNotSaved, this, &CalibrationSession::settingsNotSaved);
    tuneHistory_ = new TuneHistory({}, this);
    unstored_ = new UnstoredChanges(*link_, this);
    connect(unstored_, &UnstoredChanges::changed, this, &CalibrationSession::unstoredChanged);
    connect(unstored_, &UnstoredChanges::earlierRecordFound, this,
            &CalibrationSession::earlierRecordFound);
    connect(unstored_, &UnstoredChanges::recordSetAside, this, &CalibrationSession::recordSetAside);
    connect(unstored_, &UnstoredChanges::recordWriteFailed, this,
            &CalibrationSession::recordWriteFailed);
}

// The order matters: the timers cannot fire before this returns, and the
// worker starts only once the channel exists and the link state is reset.
int CalibrationSession::EchoDeadlineMs() const {
    return link_->TicksUntilSent() * kSendPeriodMs + kEchoAllowanceMs;
}

void CalibrationSession::Start(FirstProbe firstProbe) {
    if (firstProbe == FirstProbe::WhenReleased) search_->Hold();
    supervisionTimer_.start(kSupervisionPeriodMs);
    sendTimer_.start(kSendPeriodMs);
    choice_ = {PortChoice::Kind::Auto};
    emit portChoiceMarked(choice_);
    StartRememberedObd();
    link_->LaunchSearch();
}

void CalibrationSession::ReleaseFirstProbe() {
    search_->Release();
}

const LinkState& CalibrationSession::Record() const {
    return link_->Record();
}

const PanelParams& CalibrationSession::Panel() const {
    return link_->Panel();
}

bool CalibrationSession::IsUp() const {
    return link_->IsUp();
}

ParamMask CalibrationSession::Unstored() const {
    return unstored_->Unstored();
}

QString CalibrationSession::SetAsideRecord() const {
    return unstored_->SetAsideName();
}

std::vector<PortEntry> CalibrationSession::Ports() const {
    return directory_->List();
}

QString CalibrationSession::OpenPortLabel() const {
    const std::string device = channel_->DevicePath().toStdString();
    const int number = channel_->PortNumber();
    for (const PortEntry& port : directory_->List()) {
        if (port.device == device && port.comPort == number)
            return QString::fromStdString(PortLabel(port));
    }
    return QStringLiteral("COM%1").arg(number);
}

const LinkHealth& CalibrationSession::Health() const {
    return link_->Health();
}

std::optional<int> CalibrationSession::AdapterLatencyMs() const {
    return ReadLatencyTimerMs(channel_->DevicePath().toStdString());
}

std::vector<LinkHint> CalibrationSession::HealthHints(const LinkFigures& figures) const {
    const ChannelFailure::Hint failure =
        lastOpenFailure_ ? lastOpenFailure_->hint : ChannelFailure::Hint::None;
    return HintsFor(figures, AdapterLatencyMs(), failure);
}

bool CalibrationSession::KnowsAdapters() const {
    return directory_->KnowsAdapters();
}

QTimer* CalibrationSession::Timer(int timerId) {
    if (timerId == kSupervisionTimer) return &supervisionTimer_;
    if (timerId == kSendTimer) return &sendTimer_;
    return nullptr;
}

template <typename Handler>
void CalibrationSession::CatchChannelErrors(Handler&& handler) {
    try {
        handler();
    } catch (const ChannelError& error) {
        if (error.failure && error.failure->kind == ChannelFailure::Kind::CannotOpen) {
            lastOpenFailure_ = error.failure;
        }
        if (tickingTimer_ != nullptr) tickingTimer_->start();
        emit channelFailed(error);
    }
}

void CalibrationSession::OnTimer(int timerId) {
    QTimer* const outer = std::exchange(tickingTimer_, Timer(timerId));
    CatchChannelErrors([&] {
        if (timerId == kSupervisionTimer) {
            link_->OnSupervisionTick();
        } else if (timerId == kSendTimer) {
            link_->OnSendTick(SteadyMicros());
        }
    });
    tickingTimer_ = outer;
    unstored_->Follow();
    WatchWrite();
}

// During a replay the controller's bytes are read and dropped: the readouts
// show the log, and the link starts afresh when the replay ends.
void CalibrationSession::OnBytesReceived(const QByteArray& bytes, qint64 arrivalMicros) {
    if (Replaying()) return;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    readingPort_ = true;
    link_->OnBytesReceived(std::span(data, static_cast<std::size_t>(bytes.size())), arrivalMicros);
    readingPort_ = false;
    RecordFramesOfRead(arrivalMicros);
    WatchWrite();
}

// Nothing more can reach the controller: the link ends now, not when
// supervision would notice the silence.
void CalibrationSession::OnDeviceGone() {
    link_->OnDeviceGone();
    unstored_->Follow();
    WatchWrite();
}

// A port chosen by hand that opens again under another number (an adapter
// plugged back in) takes the mark with it.
void CalibrationSession::OnPortOpened(qint64 atMicros) {
    lastOpenFailure_.reset();
    link_->OnPortOpened(atMicros);
    const int port = channel_->PortNumber();
    if (choice_.kind == PortChoice::Kind::Port && port != choice_.port && port >= kFirstHandPort &&
        port <= kLastHandPort) {
        choice_.port = port;
        emit portChoiceMarked(choice_);
    }
    emit portOpened();
}

// Every port command takes the link down: its log ends first, with the panel
// as it stands before a new port clears it.
template <typename Command>
void CalibrationSession::RunPortCommand(Command&& command) {
    logger_->End(link_->Panel());
    ForgetHistory();
    linkedSincePortCommand_ = false;
    cellsApplyPointKept_ = false;
    tuneHistory_->CloseController();
    CatchChannelErrors(command);
    unstored_->Follow();
}

void CalibrationSession::StartAutoSearch() {
    RunPortCommand([&] { link_->StartAutoSearch(); });
}

void CalibrationSession::GoOffline() {
    RunPortCommand([&] { link_->GoOffline(); });
}

void CalibrationSession::SelectPort(int port) {
    RunPortCommand([&] { link_->SelectPort(port); });
}

// --- the panel and its history

bool CalibrationSession::SetPanelValue(int k, std::int32_t value) {
    if (k < 0 || k >= kParamCount) return false;
    PanelParams values = link_->Panel();
    values[static_cast<std::size_t>(k)] = value;
    return SetPanelValues(values, CellRange(k, k));
}

bool CalibrationSession::SetPanelValues(const PanelParams& values, ParamMask which) {
    for (int k = 0; k < kParamCount; ++k) {
        const std::int32_t value = values[static_cast<std::size_t>(k)];
        if (IsSelected(which, k) && (value < kLowestValue || value > kHighestValue)) return false;
    }
    const PanelParams before = link_->Panel();
    if (ApplyToPanel(values, which) == 0) return true;
    history_.Record(before, link_->Panel());
    unstored_->Follow();
    emit historyChanged();
    return true;
}

void CalibrationSession::LoadSet(const PanelParams& set, const QString& fileName) {
    KeepRestorePoint(RestoreCause::FileLoad);
    PanelParams values{};
    for (int k = 0; k < kParamCount; ++k) {
        values[static_cast<std::size_t>(k)] = SpinPositionFor(set[static_cast<std::size_t>(k)]);
    }
    SetPanelValues(values, kEveryParam);
    NoteEvent({.kind = SessionEvent::Kind::FileLoaded, .name = fileName.toStdString()});
}

// One by one, lowest first, so the scheduler finds them in the order a
// click on each would leave them.
ParamMask CalibrationSession::ApplyToPanel(const PanelParams& values, ParamMask which) {
    ParamMask changed = 0;
    for (int k = 0; k < kParamCount; ++k) {
        const std::int32_t value = values[static_cast<std::size_t>(k)];
        if (!IsSelected(which, k) || link_->PanelValue(k) == value) continue;
        if (link_->SetPanelValue(k, value)) changed |= CellRange(k, k);
    }
    return changed;
}

bool CalibrationSession::CanUndo() const {
    return editing_ && !Replaying() && history_.CanUndo();
}

bool CalibrationSession::CanRedo() const {
    return editing_ && !Replaying() && history_.CanRedo();
}

void CalibrationSession::Undo() {
    if (CanUndo()) ApplyStep(history_.Undo(), true);
}

void CalibrationSession::Redo() {
    if (CanRedo()) ApplyStep(history_.Redo(), false);
}

void CalibrationSession::ApplyStep(const std::optional<PanelStep>& step, bool undo) {
    if (!step) return;
    ApplyToPanel(undo ? step->before : step->after, step->changed);
    unstored_->Follow();
    emit historyChanged();
}

// The panel is about to hold another controller's values, or none: a step
// undone then would send one controller's values to another.
void CalibrationSession::ForgetHistory() {
    history_.Clear();
    emit historyChanged();
}

void CalibrationSession::BeforeCellsApply() {
    if (cellsApplyPointKept_) return;
    cellsApplyPointKept_ = true;
    KeepRestorePoint(RestoreCause::CellsApply);
}

bool CalibrationSession::RestoreValues(const PanelParams& values, ParamMask which) {
    KeepRestorePoint(RestoreCause::Restore);
    return SetPanelValues(values, which);
}

// Only while a controller is linked and its stored set known: a point is
// always of one controller.
void CalibrationSession::KeepRestorePoint(RestoreCause cause) {
    const std::optional<PanelParams> stored = StoredSet();
    if (!link_->IsUp() || !stored || tuneHistory_->CurrentController().isEmpty()) return;
    QString reason;
    if (!tuneHistory_->AddPoint(cause, link_->Panel(), *stored, reason)) {
        emit historyWriteFailed(reason);
    }
}

void CalibrationSession::OpenControllerHistory() {
    if (const std::optional<PanelParams> stored = StoredSet()) {
        tuneHistory_->OpenController(*stored);
        KeepRestorePoint(RestoreCause::LinkUp);
    }
}

std::optional<PanelParams> CalibrationSession::StoredSet() const {
    const LinkState& record = link_->Record();
    if (!record.panelLoaded) return std::nullopt;
    PanelParams stored{};
    for (int k = 0; k < kParamCount; ++k) {
        stored[static_cast<std::size_t>(k)] = record.storedParams[static_cast<std::size_t>(k)];
    }
    return stored;
}

void CalibrationSession::RequestWrite() {
    KeepRestorePoint(RestoreCause::Store);
    link_->RequestWrite();
}

// The pending values, their echoes and then the store frame go out at the
// scheduler's pace. A replay holds the link and its send ticks: it ends first.
void CalibrationSession::WritePanel() {
    EndReplay();
    KeepRestorePoint(RestoreCause::Store);
    link_->RequestStoreOfPanel();
    writeDeadlineMs_ = EchoDeadlineMs();
    writeClock_.start();
    WatchWrite();
}

// After each event that can bring the write on: a tick, an echo, the device
// gone.
void CalibrationSession::WatchWrite() {
    if (!writeClock_.isValid()) return;
    if (link_->IsUp() && link_->PanelStored() && !channel_->HasUnsentBytes()) {
        FinishWrite(WriteOutcome::Written);
    } else if (!link_->IsUp()) {
        FinishWrite(WriteOutcome::LinkLost);
    } else if (writeClock_.elapsed() >= writeDeadlineMs_) {
        FinishWrite(WriteOutcome::NotConfirmed);
    }
}

// A store that did not go out is no longer wanted: it would store whatever
// the panel shows later.
void CalibrationSession::FinishWrite(WriteOutcome outcome) {
    writeClock_.invalidate();
    if (outcome != WriteOutcome::Written) link_->DropPendingStore();
    unstored_->Follow();
    emit panelWritten(outcome);
}

// The panel about to be replaced is kept with the controller it was made for;
// the new controller's history begins with its own values.
void CalibrationSession::ChooseControllerValues() {
    KeepRestorePoint(RestoreCause::OtherControllerLoaded);
    ForgetHistory();
    link_->ChooseControllerValues();
    OpenControllerHistory();
    unstored_->Follow();
}

void CalibrationSession::ChoosePanelValues() {
    link_->ChoosePanelValues();
    OpenControllerHistory();
    unstored_->Follow();
}

void CalibrationSession::RestoreEarlierRecord() {
    unstored_->RestoreEarlier();
}

void CalibrationSession::DiscardEarlierRecord() {
    unstored_->DiscardEarlier();
}

void CalibrationSession::KeepEarlierRecord() {
    unstored_->KeepEarlier();
}

void CalibrationSession::Finish(bool keepChanges) {
    unstored_->Finish(keepChanges);
}

// The exit steps: the timers first, then the port; search workers end with
// the session, each within a moment.
void CalibrationSession::End() {
    EndReplay();
    logger_->End(link_->Panel());
    supervisionTimer_.stop();
    sendTimer_.stop();
    CatchChannelErrors([&] {
        if (channel_->IsOpen()) channel_->Close();
    });
    obd_->Stop();
}

// No timer runs again, the log ends with its snapshot, and every port, the
// search workers' too, is closed. Nothing else is touched: the process is
// ending under it.
void CalibrationSession::EndAbruptly() {
    supervisionTimer_.stop();
    sendTimer_.stop();
    logger_->End(link_->Panel());
    if (channel_->IsOpen()) channel_->Close();
    obd_->Stop();
    search_.reset();
}

// --- the session log

// A log per link: it begins as the link comes up and ends as it goes; the
// adapter the link came up on is the one remembered.
void CalibrationSession::NoteLinkUp(bool up) {
    if (up) {
        logger_->Begin(link_->Panel());
        adapter_->OnLinkUp();
        if (!std::exchange(linkedSincePortCommand_, true)) OpenControllerHistory();
    } else {
        logger_->End(link_->Panel());
    }
    emit linkUpChanged(up);
}

void CalibrationSession::RecordFramesOfRead(qint64 arrivalMicros) {
    if (framesOfRead_.empty()) return;
    frameClock_.Stamp(framesOfRead_, arrivalMicros);
    if (pendingObd_) framesOfRead_.front().obd = std::exchange(pendingObd_, std::nullopt);
    for (const SessionFrame& frame : framesOfRead_) {
        logger_->AddFrame(frame);
        CountTrims(frame);
        emit frameShown(frame);
    }
    framesOfRead_.clear();
}

std::int32_t CalibrationSession::NoteEvent(SessionEvent event) {
    event.number = logger_->AddEvent(event);
    trims_.AddEvent(event);
    emit eventNoted(event);
    return event.number;
}

std::int32_t CalibrationSession::AddMark() {
    if (!logger_->Recording()) return 0;
    return NoteEvent({.kind = SessionEvent::Kind::Mark});
}

// Turned on while the link is up, a log begins at once.
void CalibrationSession::SetLogging(bool record) {
    logger_->SetEnabled(record, link_->Panel());
    if (record && link_->IsUp()) logger_->Begin(link_->Panel());
}

bool CalibrationSession::Logging() const {
    return logger_->Enabled();
}

bool CalibrationSession::Recording() const {
    return logger_->Recording();
}

// --- a replay

void CalibrationSession::StartReplay(
    std::vector<SessionFrame> frames, const SkippedRows& skipped, const QString& fileName,
    const std::vector<std::pair<std::size_t, SessionEvent>>& events) {
    EndReplay();
    replayFuels_ = FuelChangesOf(frames, events);
    KeepRestorePoint(RestoreCause::ReplayStart);
    HoldLinkForReplay();
    player_ = new ReplayPlayer(std::move(frames), skipped, this);
    connect(player_, &ReplayPlayer::frameDue, this, &CalibrationSession::ShowReplayedFrame);
    connect(player_, &ReplayPlayer::positionChanged, this, [this](std::int64_t positionUs) {
        emit connectionTimeShown(
            FromStd(ConnectionTimeText(static_cast<std::uint64_t>(positionUs / kUsPerMs))));
    });
    emit replayStarted(fileName);
    player_->SeekTo(0);
    player_->SetSpeed(ReplayPlayer::kNormal);
}

void CalibrationSession::EndReplay() {
    if (player_ == nullptr) return;
    ReplayPlayer* player = std::exchange(player_, nullptr);
    // Its last tick may still be on its way.
    player->disconnect(this);
    player->deleteLater();
    ResumeLinkAfterReplay();
    RestoreLiveFuel();
}

void CalibrationSession::ShowReplayedFrame(const SessionFrame& frame) {
    const LambdaBand band = BandOf(frame);
    if (band != replayBand_) {
        replayBand_ = band;
        emit lambdaBandShown(band);
    }
    emit readoutsShown(ReadoutsOf(frame));
    emit cellMarkerShown(frame.cell);
    FollowReplayedFuel(frame.timeUs);
    CountTrims(frame);
    emit frameShown(frame);
}

// The port stays as it is; its bytes are dropped unread (see
// OnBytesReceived).
void CalibrationSession::HoldLinkForReplay() {
    supervisionTimer_.stop();
    sendTimer_.stop();
    // The flash of a frame just sent ends, as the next send tick would end it.
    if (link_->IsUp()) emit statusColourShown(StatusColour::LinkUp);
    emit editingChanged(false);
    replayBand_.reset();
    NoteEvent({.kind = SessionEvent::Kind::ReplayStarted});
    emit linkStatusShown(linkStatus_, QString::fromLatin1(kReplayStatusText));
}

// The display shows the link as the link has it: blank until its next frame,
// the lambda bar in the band the link last showed, the status as the link
// last told it (a device gone meanwhile included).
void CalibrationSession::ResumeLinkAfterReplay() {
    NoteEvent({.kind = SessionEvent::Kind::ReplayEnded});
    emit replayEnded();
    emit readoutsShown({});
    emit cellMarkerShown(-1);
    emit lambdaBandShown(link_->Record().lambdaBand);
    emit linkStatusShown(linkStatus_, linkStatusText_);
    emit connectionTimeShown(connectionTime_);
    emit editingChanged(editing_);
    // Bytes were dropped meanwhile: the frames start afresh.
    link_->OnPortOpened(SteadyMicros());
    supervisionTimer_.start();
    sendTimer_.start();
}

// --- what the link asks

void CalibrationSession::DisableEditing() {
    editing_ = false;
    if (!Replaying()) emit editingChanged(false);
    emit historyChanged();
}

void CalibrationSession::EnableEditing() {
    editing_ = true;
    if (!Replaying()) emit editingChanged(true);
    emit historyChanged();
}

void CalibrationSession::ClearLiveDisplay(bool /*resetParameters*/) {
    if (Replaying()) {
        emit statusColourShown(StatusColour::NoLink);
        return;
    }
    emit liveDisplayCleared();
}

void CalibrationSession::ShowLinkStatus(LinkStatus status, const std::string& text) {
    linkStatus_ = status;
    linkStatusText_ = FromStd(text);
    if (!Replaying()) emit linkStatusShown(status, linkStatusText_);
}

void CalibrationSession::ShowConnectionTime(const std::string& text) {
    connectionTime_ = FromStd(text);
    if (!Replaying()) emit connectionTimeShown(connectionTime_);
}

void CalibrationSession::ShowStatusColour(StatusColour colour) {
    if (!Replaying()) emit statusColourShown(colour);
}

void CalibrationSession::ShowParameter(int k, int value) {
    emit panelValueChanged(k, value);
}

void CalibrationSession::ShowReadouts(const Readouts& readouts) {
    emit readoutsShown(readouts);
    if (readingPort_) framesOfRead_.push_back(FrameOf(link_->Record()));
}

void CalibrationSession::ShowLambdaBand(LambdaBand band) {
    emit lambdaBandShown(band);
}

void CalibrationSession::ShowCellMarker(int k) {
    emit cellMarkerShown(k);
}

void CalibrationSession::ShowErrorBox(const std::string& text, const std::string& caption) {
    if (tickingTimer_ != nullptr) tickingTimer_->start();
    emit errorToShow(FromStd(text), FromStd(caption));
}

// Every port command marks its choice first: the user's choice ends the
// looking for an adapter that went away.
void CalibrationSession::MarkPortChoice(PortChoice choice) {
    adapter_->OnPortChoice();
    choice_ = choice;
    emit portChoiceMarked(choice);
}

// The panel is kept in a file before anything can replace it.
void CalibrationSession::AskAboutOtherController(std::uint16_t differing) {
    QString reason;
    const std::optional<QString> kept = unstored_->KeepPanel(reason);
    emit otherControllerFound(differing, kept, reason);
}

void CalibrationSession::NoteParameterSent(int index, int value) {
    NoteEvent({.kind = SessionEvent::Kind::ParameterSent, .index = index, .value = value});
}

// The link takes the new stored set once the frame is out: the history
// learns it after the tick.
void CalibrationSession::NoteStoreSent() {
    NoteEvent({.kind = SessionEvent::Kind::StoreSent});
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (const std::optional<PanelParams> stored = StoredSet()) {
                tuneHistory_->NoteStored(*stored);
            }
        },
        Qt::QueuedConnection);
}
