// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QDialog>
#include <QFont>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QPalette>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "link/LinkState.h"
#include "link/StoredSet.h"
#include "link/WindowOps.h"
#include "log/FrameClock.h"
#include "log/SessionRecord.h"
#include "serial/PortLister.h"
#include "serial/PortNames.h"
#include "serial/ProbeTimings.h"

class CellsPanel;
class ChartWindow;
class ControllerLink;
class HelpWindow;
class LiveBar;
class LiveDisplay;
class MenuBar;
class PortDirectory;
class PortSearch;
class QAction;
class QLabel;
class QLineEdit;
class QMessageBox;
class QPainter;
class RecoveryFiles;
class ReplayLoad;
class ReplayPanel;
class RememberedAdapter;
class SerialChannel;
class SessionLogger;
class SpinButton;
class StatusPanes;
class TypedCharacterFilter;
struct UiTexts;

// The calibration window: live readouts, the sixteen parameter spin-edits, the
// Write and Exit buttons, the menus and the status bar.
//
// The pieces: the window owns the serial channel (bytes in and out), the port
// search (its workers report finds), the remembered adapter (found first,
// reopened after an unplug), and the ControllerLink, which holds the
// link record and all protocol rules. Events go from the channel, the two
// timers and the menus into the link; the link answers through WindowOps,
// which this window maps onto its controls, colours and texts. The window
// holds no protocol logic of its own; controls are addressed by id here only.
//
// Every frame shown and every frame sent goes on record: the SessionLogger
// writes a log per link; a ReplayPanel plays a log back into the readouts
// while the link is held (nothing read is shown, nothing is sent). The chart
// and the cells panel, once opened, follow the same frames and events.
class CCalibDlg : public QDialog, public WindowOps {
    Q_OBJECT

public:
    // The resolver names the devices of COM1..COM20 for the channel and for
    // the search workers; the timings say how long a worker listens. The
    // lister tells which adapters are plugged in; without one the window
    // knows no adapters and remembers none.
    explicit CCalibDlg(PortResolver resolver = ResolvePortName, ProbeTimings timings = {},
                       std::shared_ptr<PortLister> adapters = nullptr, QWidget* parent = nullptr);
    ~CCalibDlg() override;

    // The spin-edit values in parameter order.
    PanelParams panelParams{};
    // Set last in initialisation; until then the edits' change notifications
    // do nothing.
    bool initialised = false;

    ControllerLink& Link() { return *link_; }
    LinkState& State();
    PortSearch& Search() { return *search_; }
    RememberedAdapter& Adapter() { return *adapter_; }
    bool EnglishUi() const { return englishUi_; }

    QWidget* Control(int controlId) const { return controls_.value(controlId, nullptr); }
    QAction* Command(int commandId) const;
    QTimer* Timer(int timerId);
    SerialChannel* Channel() const { return channel_.get(); }
    MenuBar* Menu() const { return menuBar_; }
    StatusPanes* StatusBar() const { return statusBar_; }
    SpinButton* Spin(int k) const;
    QLineEdit* ParamEdit(int k) const;
    LiveBar* Bar(int controlId) const;
    // The background picture of the language shown; each made once, the
    // Chinese one at initialisation, the English one when first shown.
    const QImage& BackgroundPicture() const;
    QRect ClientRect() const { return clientRect_; }
    // The live readouts, marker and status bar follow what the link asked
    // at most once per screen refresh; this makes them follow now.
    void FlushDisplay();
    // The user manual's window, once it has been opened.
    HelpWindow* Manual() const { return helpWindow_; }
    SessionLogger* Logger() const { return logger_; }
    // The replay under way, if any.
    ReplayPanel* Replay() const { return replayPanel_; }
    // The log being read for a replay, if any.
    ReplayLoad* ReplayBeingRead() const;
    // The mark beside parameter k, shown while the controller has not stored
    // the value the panel shows.
    QLabel* UnstoredMark(int k) const { return unstoredMarks_[k]; }
    // The chart and the cell statistics, once they have been opened.
    ChartWindow* Chart() const { return chartWindow_; }
    CellsPanel* Cells() const { return cellsPanel_; }

    // What the link asks of the window.
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

signals:
    // Each frame's readouts as the link asks for them, before they are
    // painted at the next refresh.
    void readoutsShown(const WindowOps::Readouts& readouts);
    // Each frame shown, live or replayed, with its time (see SessionFrame).
    void frameShown(const SessionFrame& frame);
    // Each event of the session, numbered as in the log being written.
    void eventNoted(const SessionEvent& event);

public slots:
    // Timer 100: supervision; timer 101: port take-over, then sending.
    void OnTimer(int timerId);
    // Bytes from the serial channel, read together at arrivalMicros.
    void OnCommEvent(const QByteArray& bytes, qint64 arrivalMicros);
    void OnParamEditChange(int k);
    // The channel's device went away.
    void OnDeviceGone();
    void OnCommand(int commandId);
    void OnWrite();
    void OnAbout();
    void OnHelp();
    // Asks for a file, then, once one was chosen and read, about changes not
    // stored; then loads it.
    void OnFileOpen();
    void OnFileSave();
    void ApplyChineseTexts();
    void ApplyEnglishTexts();
    // File > Replay log: asks for a log and plays it.
    void OnReplayLog();
    // Reads a log on a worker and plays it into the window once it is read,
    // or says in a box why it cannot be played. The window goes on meanwhile;
    // a log already being read is given up.
    void StartReplay(const QString& path);
    // The live link takes the window back.
    void EndReplay();
    void OnAddMark();
    void OnOpenLogFolder();
    void OnRecordLogs();
    // File > Chart and File > Cell statistics: made when first chosen.
    void OnShowChart();
    void OnShowCells();
    // A suggestion's Apply: the spin steps as if clicked.
    void ApplySuggestion(int cell, int steps);
    // Enter in an edit: read the sixteen edits back, then close.
    void OnOK();
    // The exit steps.
    void OnCancel();
    // Exit button, File > Exit, Escape and the close box: the exit steps,
    // once the user has said what becomes of changes not stored.
    void OnCancelCommand();
    void reject() override;
    // The process ends without the window's own way out (the display has
    // gone): no timer runs again, the log ends with its snapshot, and every
    // port, the search workers' too, is closed. Nothing is drawn.
    void OnAbruptEnd();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateLink();
    void ConnectAdapter();
    void ConnectControls();
    void OnInitDialog();
    void InitStatusBar();
    void InitLiveDisplay();
    void InitTimers();
    void InitBackgrounds();
    void InitFonts();
    void InitSpins();
    void InitBars();
    void SetEditingEnabled(bool enabled);
    // The position of spin k as its edit's text gives it, if that is valid.
    std::optional<std::int32_t> ValidPosition(int k) const;
    void SetControlText(int controlId, const QString& text);
    // Shows the texts of one language and marks it in the language submenu.
    void ApplyTexts(const UiTexts& texts, bool english);
    void PaintBackground(QPainter& painter, const QRect& area) const;
    // The chart's and the cell statistics' items, and their windows if open.
    void ApplyAnalysisTexts(const UiTexts& texts);
    const UiTexts& Texts() const;
    // The session log follows the link: a new log when it comes up, the end
    // when it goes.
    void CreateLogger();
    void FollowLinkWithLog();
    void RecordFramesOfRead(qint64 arrivalMicros);
    // Records the event in the log being written; its mark number there, or 0.
    std::int32_t NoteEvent(SessionEvent event);
    void ShowLogMessage(const QString& text);
    void PlayReadLog(ReplayLoad* load);
    void ShowReplayedFrame(const SessionFrame& frame);
    // While a replay runs the link is held: no ticks, nothing read is shown,
    // no editing, no port commands.
    void HoldLinkForReplay();
    void ResumeLinkAfterReplay();
    void RunCommand(int commandId);
    void SetCaption(const QString& caption);

    // Changes the controller has not stored: their marks, the Write button's
    // emphasis and the caption's star; the question before a way out or a
    // port command; the record kept against a crash and offered at the next
    // start.
    enum class UnstoredAnswer { NoneUnstored, Written, LeftUnstored, Cancelled };
    void InitUnstoredChanges();
    void NameUnstoredMarks(const UiTexts& texts);
    UnstoredAnswer AskAboutUnstored();
    // The answer for a way out; false when the program is to stay.
    bool MayEnd();
    // True once the controller has echoed the panel and the store has left;
    // otherwise the user is told the changes were not written.
    bool WriteAndWait();
    void FollowUnstoredChanges();
    void ShowUnstored(ParamMask unstored);
    std::optional<UnstoredRecord> CurrentRecord() const;
    void OfferRecovery();
    // A damaged record found at start is named in the status bar.
    void ReportSetAsideRecord();
    void ReportRecoveryFailure(const QString& reason);
    // Runs one event's handler; a failed channel operation ends it with a box.
    template <typename Handler>
    void CatchChannelErrors(Handler&& handler);
    // A box opened from a timer's tick: the timer is started afresh first, as
    // Qt never runs a timer again while its own tick is being handled, and
    // supervision and sending must go on behind the box.
    void ShowBoxBehindTicks(QMessageBox& box);
    // The port menu shows what each present port is, beside its COM name.
    void ShowPortNames();
    // A port chosen by hand that opens again under another number (an
    // adapter plugged back in) moves the radio mark with it.
    void FollowOpenedPort();
    // The question about another controller on the line, asked outside the
    // tick that found it.
    void ResolveOtherController();
    // The status tooltip names the port last opened.
    void ShowOpenPortName();

    PortResolver resolver_;
    ProbeTimings timings_;
    std::shared_ptr<PortLister> adapters_;
    QIcon appIcon_;
    QHash<int, QWidget*> controls_;
    MenuBar* menuBar_ = nullptr;
    StatusPanes* statusBar_ = nullptr;
    LiveDisplay* liveDisplay_ = nullptr;
    TypedCharacterFilter* typedCharacterFilter_ = nullptr;
    HelpWindow* helpWindow_ = nullptr;
    QPoint clientOrigin_;
    QRect clientRect_;
    QImage chineseBackground_;
    mutable QImage englishBackground_;
    QFont labelFont_;
    QFont readoutFont_;
    // 0: Chinese texts and the Chinese picture; 1: English.
    bool englishUi_ = false;
    QTimer supervisionTimer_;
    QTimer sendTimer_;
    // The timer whose tick is being handled, if any.
    QTimer* tickingTimer_ = nullptr;
    std::shared_ptr<PortDirectory> directory_;
    std::unique_ptr<SerialChannel> channel_;
    std::unique_ptr<PortSearch> search_;
    std::unique_ptr<RememberedAdapter> adapter_;
    std::unique_ptr<ControllerLink> link_;
    SessionLogger* logger_ = nullptr;
    // Whether the log was last told the link is up.
    bool logFollowsLinkUp_ = false;
    // Frames shown while the bytes of one read are handled, stamped after it.
    bool readingPort_ = false;
    std::vector<SessionFrame> framesOfRead_;
    FrameClock frameClock_;
    QTimer logMessageTimer_;
    QPointer<ReplayLoad> replayLoad_;
    ReplayPanel* replayPanel_ = nullptr;
    std::optional<LambdaBand> replayBand_;
    // The link status and connection time as the replay found them.
    QString paneTextsBeforeReplay_[2];
    // The caption of the language shown, without the star.
    QString caption_;
    std::array<QLabel*, kParamCount> unstoredMarks_{};
    ParamMask shownUnstored_ = 0;
    QFont writeFont_;
    QPalette writePalette_;
    RecoveryFiles* recovery_ = nullptr;
    bool recoveryOffered_ = false;
    // The parameters by which the controller now linked differs from the
    // stored set, while the user is asked about it.
    ParamMask otherControllerParams_ = 0;
    bool recoveryFailureShown_ = false;
    ChartWindow* chartWindow_ = nullptr;
    CellsPanel* cellsPanel_ = nullptr;
};
