// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/TrimStatistics.h"
#include "domain/ObdReadings.h"
#include "edit/PanelHistory.h"
#include "history/HistoryIndex.h"
#include "link/CommChannel.h"
#include "link/LinkHealth.h"
#include "link/WindowOps.h"
#include "log/FrameClock.h"
#include "log/LogFormat.h"
#include "log/SessionRecord.h"
#include "ports/core/PortEntry.h"
#include "ports/core/PortLister.h"
#include "ports/core/PortNames.h"
#include "ports/core/ProbeTimings.h"

// The fuel changes among a log's events, by the time of the frame after each.
std::vector<std::pair<std::int64_t, Fuel>> FuelChangesOf(
    const std::vector<SessionFrame>& frames,
    const std::vector<std::pair<std::size_t, SessionEvent>>& events);

class ControllerLink;
class ObdLink;
class ObdPortMemory;
class PortDirectory;
class PortSearch;
class RememberedAdapter;
class ReplayPlayer;
class SerialChannel;
class SessionLogger;
class TuneHistory;
class UnstoredChanges;

// One calibration, without a window: the serial channel, the port search and
// the remembered adapter, the ControllerLink with the link record and the
// panel, the two timers that drive it, the session log and its clock, the
// record of unstored changes, and a replay. Views show what it tells by its
// signals and pass on what the user does as its commands; a test or a
// command line tool drives it the same way.
//
// Path of a frame: channel bytes -> link -> readoutsShown and frameShown.
// Path of a change: SetPanelValue -> link -> a paced frame on the channel ->
// the controller's echo. Questions for the user (changes not stored, another
// controller, an earlier record) are signals; the answers are commands.
class CalibrationSession : public QObject, private WindowOps {
    Q_OBJECT

public:
    using LinkStatus = WindowOps::LinkStatus;
    using StatusColour = WindowOps::StatusColour;
    using PortChoice = WindowOps::PortChoice;
    enum class WriteOutcome { Written, LinkLost, NotConfirmed };

    // The resolver names the devices of COM1..COM20 for the channel and for
    // the search workers; the timings say how long a worker listens. The
    // lister tells which adapters are plugged in; without one the session
    // knows no adapters and remembers none.
    explicit CalibrationSession(PortResolver resolver = ResolvePortName, ProbeTimings timings = {},
                                std::shared_ptr<PortLister> adapters = nullptr,
                                QObject* parent = nullptr);
    ~CalibrationSession() override;

    // When the first search's worker starts: with the search, or once the
    // window asks (when it has drawn itself, so the worker does not compete
    // with the first paint). The search is under way, and shown, either way.
    enum class FirstProbe { Now, WhenReleased };
    // The timers run and the first search starts. Views are connected first.
    void Start(FirstProbe firstProbe = FirstProbe::Now);
    // Lets a first search held by Start go on; afterwards does nothing.
    void ReleaseFirstProbe();

    // What there is to know; read only.
    const LinkState& Record() const;
    const PanelParams& Panel() const;
    bool IsUp() const;
    bool Editing() const { return editing_; }
    ParamMask Unstored() const;
    // The name a damaged record of unstored changes was set aside under at
    // start, if one was.
    QString SetAsideRecord() const;
    bool Replaying() const { return player_ != nullptr; }
    // A write of the panel asked for is still under way.
    bool Writing() const { return writeClock_.isValid(); }
    // How long the values now waiting may take to go out, paced, and come
    // back as echoes.
    int EchoDeadlineMs() const;
    ReplayPlayer* Player() const { return player_; }
    // The ports present under a COM name, and whether adapters are known.
    std::vector<PortEntry> Ports() const;
    bool KnowsAdapters() const;
    // The port last opened: "COM3", or with its adapter, "COM3 — FTDI FT232R ...".
    QString OpenPortLabel() const;
    const SerialChannel& Channel() const { return *channel_; }
    // The parts behind it, for tests and tools that look closer.
    SerialChannel& Channel() { return *channel_; }
    const ControllerLink& Link() const { return *link_; }
    // How the link fares, as the link counts it, and what its hints need
    // besides: how the last port open failed (until a port opens), and the
    // latency timer of the adapter last opened (none for a pseudo-terminal).
    const LinkHealth& Health() const;
    const std::optional<ChannelFailure>& LastOpenFailure() const { return lastOpenFailure_; }
    std::optional<int> AdapterLatencyMs() const;
    // The hints of these figures (the link's, taken just now).
    std::vector<LinkHint> HealthHints(const LinkFigures& figures) const;
    PortSearch& Search() { return *search_; }
    RememberedAdapter& Adapter() { return *adapter_; }
    SessionLogger& Logger() { return *logger_; }
    TuneHistory& History() { return *tuneHistory_; }
    // Timer 100 (supervision) or 101 (take-over and sending).
    QTimer* Timer(int timerId);
    // A tick of timer 100 or 101, as the timer runs it.
    void OnTimer(int timerId);

    // The port commands; the user was asked about changes not stored.
    void StartAutoSearch();
    void GoOffline();
    void SelectPort(int port);
    // A value of the panel, one step of its history; false for one outside
    // 0..255.
    bool SetPanelValue(int k, std::int32_t value);
    // The chosen parameters' values, as one step: an operation on a
    // selection, a paste, a dragged point. False, with nothing changed, when
    // a value is outside 0..255.
    bool SetPanelValues(const PanelParams& values, ParamMask which);
    // A parameter set file's values, each as a spin takes it, as one step.
    void LoadSet(const PanelParams& set, const QString& fileName);
    // The panel's history: a step undone sets its parameters back, a step
    // redone sets them again; the scheduler then sends what differs from the
    // controller, as for any change. Only while the panel can be edited.
    bool CanUndo() const;
    bool CanRedo() const;
    void Undo();
    void Redo();
    // What the controller keeps over a power cycle, as far as is known.
    std::optional<PanelParams> StoredSet() const;
    // A cell statistics suggestion is about to be applied: the first of a
    // run of them keeps a restore point. The run ends when the statistics
    // window is shown again or another port is chosen.
    void BeforeCellsApply();
    void EndCellsApplyRun() { cellsApplyPointKept_ = false; }
    // Values from the history go into the panel as one change, after a
    // restore point of the panel as it was.
    bool RestoreValues(const PanelParams& values, ParamMask which);
    // The Write button.
    void RequestWrite();
    // The panel's values and a store, for a question's "Write and continue":
    // panelWritten tells how it went.
    void WritePanel();
    // The answer when the link came back with another controller.
    void ChooseControllerValues();
    void ChoosePanelValues();
    // The answers to an earlier run's record.
    void RestoreEarlierRecord();
    void DiscardEarlierRecord();
    void KeepEarlierRecord();

    // The session log: a mark (its number, 0 when no log is written), and
    // logging switched on or off for this run and the next.
    std::int32_t AddMark();
    void SetLogging(bool record);
    bool Logging() const;
    bool Recording() const;

    // The OBD adapter's link, beside the controller's and never on its port:
    // COMn, or 0 for none. Kept for the next run. The controller's search
    // passes its port by.
    enum class ObdPortOutcome { Set, ControllersPort };
    ObdPortOutcome SetObdPort(int port);
    int ObdPort() const { return obdPort_.load(); }
    const ObdLink& Obd() const { return *obd_; }
    ObdLink& Obd() { return *obd_; }
    // The fuel the fitter says the engine runs on; an event of the session.
    void SetFuel(Fuel fuel);
    Fuel CurrentFuel() const { return trims_.CurrentFuel(); }
    // The petrol ECU's trims per cell, from the frames shown, live or
    // replayed, while an adapter is chosen or a replay runs.
    const TrimStatistics& Trims() const { return trims_; }

    // A log's frames played into the readouts while the link is held.
    // The log's events come with it for the fuel it tells: the trims follow
    // the fuel of the moment shown.
    void StartReplay(std::vector<SessionFrame> frames, const SkippedRows& skipped,
                     const QString& fileName,
                     const std::vector<std::pair<std::size_t, SessionEvent>>& events = {});
    void EndReplay();

    // The ways out: the user's (the record keeps the changes or not), the
    // exit steps, and an end nobody chose (the display gone).
    void Finish(bool keepChanges);
    void End();
    void EndAbruptly();

signals:
    // The live display.
    void readoutsShown(const Readouts& readouts);
    void lambdaBandShown(LambdaBand band);
    void cellMarkerShown(int k);
    // Readouts blank, bars empty, marker hidden, the no-link colour.
    void liveDisplayCleared();
    void linkStatusShown(LinkStatus status, const QString& text);
    void connectionTimeShown(const QString& text);
    void statusColourShown(StatusColour colour);
    // The panel and what can be done with it.
    void panelValueChanged(int k, int value);
    void editingChanged(bool editing);
    void unstoredChanged(ParamMask unstored);
    // What undo and redo can do has changed.
    void historyChanged();
    void portChoiceMarked(PortChoice choice);
    void portOpened();
    // The link came up (the panel loaded, editing allowed) or went down.
    void linkUpChanged(bool up);
    // Each frame shown, live or replayed, with its time, and each event of
    // the session, numbered as in the log being written.
    void frameShown(const SessionFrame& frame);
    void eventNoted(const SessionEvent& event);
    // Boxes: the port-open failure (text and caption as the link gives
    // them), and a channel operation that failed. Shown at once; the timers
    // go on behind them.
    void errorToShow(const QString& text, const QString& caption);
    void channelFailed(const ChannelError& error);
    // Questions: another controller on the line (the panel kept in a file,
    // or why not), an earlier run's record.
    void otherControllerFound(ParamMask differing, const std::optional<QString>& keptIn,
                              const QString& whyNotKept);
    void earlierRecordFound(bool sameController, int changes, const QDateTime& savedAt);
    void panelWritten(WriteOutcome outcome);
    // What the status bar's message pane tells.
    void recordingChanged(bool recording);
    void logStopped(const QString& file, const QString& reason);
    void settingsNotSaved(const QString& reason);
    void recordSetAside(const QString& name);
    void recordWriteFailed(const QString& reason);
    // A restore point could not be kept.
    void historyWriteFailed(const QString& reason);
    // The OBD link's state, its port and the fuel changed.
    void obdStateChanged();
    void obdPortMarked(int port);
    void fuelMarked(Fuel fuel);
    // A replay began (its player is there) or ended.
    void replayStarted(const QString& fileName);
    void replayEnded();

private:
    void CreatePorts(PortResolver resolver, ProbeTimings timings,
                     std::shared_ptr<PortLister> adapters);
    void CreateRecords();
    void CreateObd(bool remembers);
    void StartRememberedObd();
    // The readings of the round go with the next frame shown.
    void OnObdReadings(const ObdReadings& readings);
    void CountTrims(const SessionFrame& frame);
    // The fuel a replayed log told at a frame's time, to the trims and views.
    void FollowReplayedFuel(std::int64_t timeUs);
    // The user's fuel, to the trims again after a replay.
    void RestoreLiveFuel();
    bool ControllerHolds(int port) const;
    void OnBytesReceived(const QByteArray& bytes, qint64 arrivalMicros);
    void OnDeviceGone();
    void OnPortOpened(qint64 atMicros);
    void RecordFramesOfRead(qint64 arrivalMicros);
    std::int32_t NoteEvent(SessionEvent event);
    void ShowReplayedFrame(const SessionFrame& frame);
    void HoldLinkForReplay();
    void ResumeLinkAfterReplay();
    void WatchWrite();
    void FinishWrite(WriteOutcome outcome);
    // Runs one event's handler; a failed channel operation ends it and is
    // told, with the timer whose tick it was started afresh first, as Qt
    // never runs a timer again while its own tick is being handled.
    template <typename Handler>
    void CatchChannelErrors(Handler&& handler);
    // A port command, with the log ended before it and the record of
    // unstored changes following after.
    template <typename Command>
    void RunPortCommand(Command&& command);
    // Sets the panel to the values of the parameters in the mask, lowest
    // first, and says what it changed.
    ParamMask ApplyToPanel(const PanelParams& values, ParamMask which);
    void ApplyStep(const std::optional<PanelStep>& step, bool undo);
    void ForgetHistory();
    // A restore point of the panel and the stored set, before what the cause
    // says, for the linked controller.
    void KeepRestorePoint(RestoreCause cause);
    // The linked controller's history, found by the set it stores.
    void OpenControllerHistory();

    // What the link asks; told on as signals. While a replay holds the link
    // the display is the replay's: the link's last word is kept and told when
    // the replay ends.
    void DisableEditing() override;
    void EnableEditing() override;
    void ClearLiveDisplay(bool resetParameters) override;
    void ShowLinkStatus(LinkStatus status, const std::string& text) override;
    void ShowConnectionTime(const std::string& text) override;
    void ShowStatusColour(StatusColour colour) override;
    void ShowParameter(int k, int value) override;
    void ShowReadouts(const Readouts& readouts) override;
    void ShowLambdaBand(LambdaBand band) override;
    void ShowCellMarker(int k) override;
    void ShowErrorBox(const std::string& text, const std::string& caption) override;
    void MarkPortChoice(PortChoice choice) override;
    void AskAboutOtherController(std::uint16_t differing) override;
    void NoteParameterSent(int index, int value) override;
    void NoteStoreSent() override;
    void NoteLinkUp(bool up) override;

    std::shared_ptr<PortDirectory> directory_;
    std::unique_ptr<PortSearch> search_;
    std::unique_ptr<SerialChannel> channel_;
    std::unique_ptr<RememberedAdapter> adapter_;
    std::unique_ptr<ControllerLink> link_;
    QTimer supervisionTimer_;
    QTimer sendTimer_;
    // The timer whose tick is being handled, if any.
    QTimer* tickingTimer_ = nullptr;
    SessionLogger* logger_ = nullptr;
    UnstoredChanges* unstored_ = nullptr;
    PanelHistory history_;
    TuneHistory* tuneHistory_ = nullptr;
    // The link has come up since the last port command: later link-ups are
    // the same controller coming back.
    bool linkedSincePortCommand_ = false;
    bool cellsApplyPointKept_ = false;
    // Frames shown while the bytes of one read are handled, stamped after it.
    bool readingPort_ = false;
    std::vector<SessionFrame> framesOfRead_;
    FrameClock frameClock_;
    bool editing_ = false;
    PortChoice choice_;
    // The link's last word on its status, kept while a replay holds the link.
    LinkStatus linkStatus_ = LinkStatus::Searching;
    QString linkStatusText_;
    QString connectionTime_;
    ReplayPlayer* player_ = nullptr;
    std::optional<LambdaBand> replayBand_;
    std::unique_ptr<ObdLink> obd_;
    std::unique_ptr<ObdPortMemory> obdMemory_;
    // Read by the search workers too.
    std::atomic<int> obdPort_ = 0;
    std::optional<ObdReadings> pendingObd_;
    TrimStatistics trims_;
    Fuel liveFuel_ = Fuel::Gas;
    // The fuel changes of the log being replayed: from which frame time on.
    std::vector<std::pair<std::int64_t, Fuel>> replayFuels_;
    std::optional<ChannelFailure> lastOpenFailure_;
    // Running while a write of the panel is watched.
    QElapsedTimer writeClock_;
    int writeDeadlineMs_ = 0;
};
