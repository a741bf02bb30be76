// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QDialog>
#include <QFont>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <array>
#include <optional>

#include "domain/Calibration.h"
#include "session/CalibrationSession.h"

class AnalysisViews;
class CellsPanel;
class ChartWindow;
class CurveEditing;
class CurveWindow;
class HelpWindow;
class HistoryWindow;
class LinkHealthPanel;
class ObdCommands;
class LiveBar;
class LiveDisplay;
class MenuBar;
class QAction;
class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;
class ReplayLoad;
class ReplayPanel;
class ReplayViews;
class SessionQuestions;
class SpinButton;
class StatusPanes;
class TypedCharacterFilter;
class UnstoredMarks;
struct UiTexts;

// The calibration window: live readouts, the sixteen parameter spin-edits, the
// Write and Exit buttons, the menus and the status bar. It shows what the
// calibration session tells and passes on what the user does; the session
// owns the link, the ports, the timers and the records.
//
// The pieces: the controls, made from the window's template (WindowLayout)
// and kept as typed members; LiveDisplay, through which the readouts, bars,
// marker and status bar follow the session at most once per screen refresh;
// UnstoredMarks beside the parameters; the questions a way out or another
// controller raise; and the other views of the session (replay controls,
// chart, cell statistics, manual), made when first asked for.
class CCalibDlg : public QDialog {
    Q_OBJECT

public:
    using PortChoice = CalibrationSession::PortChoice;

    // The window over a session it does not own; initialising the window
    // starts the session.
    explicit CCalibDlg(CalibrationSession& session, QWidget* parent = nullptr);
    ~CCalibDlg() override;

    // Set last in initialisation; until then the edits' change notifications
    // do nothing.
    bool initialised = false;

    CalibrationSession& Session() const { return session_; }
    bool EnglishUi() const { return englishUi_; }

    QWidget* Control(int controlId) const { return controls_.value(controlId, nullptr); }
    QAction* Command(int commandId) const;
    MenuBar* Menu() const { return menuBar_; }
    StatusPanes* StatusBar() const { return statusBar_; }
    SpinButton* Spin(int k) const { return spins_.at(static_cast<std::size_t>(k)); }
    QLineEdit* ParamEdit(int k) const { return edits_.at(static_cast<std::size_t>(k)); }
    LiveBar* Bar(int controlId) const;
    QLabel* UnstoredMark(int k) const;
    // The background picture of the language shown; each made once, the
    // Chinese one at initialisation, the English one when first shown.
    const QImage& BackgroundPicture() const;
    QRect ClientRect() const { return clientRect_; }
    // The live readouts, marker and status bar follow the session at most
    // once per screen refresh; this makes them follow now.
    void FlushDisplay();
    // The views, once they have been opened.
    HelpWindow* Manual() const { return helpWindow_; }
    ReplayPanel* Replay() const;
    ReplayLoad* ReplayBeingRead() const;
    ChartWindow* Chart() const;
    CellsPanel* Cells() const;
    CurveWindow* Curve() const;
    HistoryWindow* History() const { return historyWindow_; }
    LinkHealthPanel* HealthPanel() const { return linkHealthPanel_; }

    // The spin of parameter k moves to the value; its edit follows.
    void ShowParameter(int k, int value);
    // The spins, the Write button and File > Open and Save go off or on.
    void SetEditingEnabled(bool enabled);

public slots:
    void OnParamEditChange(int k);
    void OnWrite();
    void OnAbout();
    void OnHelp();
    void OnFileOpen();
    void OnFileSave();
    void OnAutoSearch();
    void OnOffline();
    void OnSelectPort(int port);
    void ApplyChineseTexts();
    void ApplyEnglishTexts();
    // File > Replay log: asks for a log, reads it and plays it.
    void OnReplayLog();
    // Reads a log (on a worker, with its progress) and plays it; a box says
    // why when it cannot.
    void StartReplay(const QString& path);
    void EndReplay();
    void OnAddMark();
    void OnOpenLogFolder();
    void OnRecordLogs();
    // File > Chart and File > Cell statistics: made when first chosen.
    void OnShowChart();
    void OnShowCells();
    // The panel's history, and the curve editor (made when first chosen).
    void OnUndo();
    void OnRedo();
    void OnShowCurve();
    // File > Tune history.
    void OnShowHistory();
    // File > Link health.
    void OnShowLinkHealth();
    // Enter in an edit: read the sixteen edits back, then close.
    void OnOK();
    // The exit steps.
    void OnCancel();
    // Exit button, File > Exit, Escape and the close box: the exit steps,
    // once the user has said what becomes of changes not stored.
    void OnCancelCommand();
    void reject() override;
    // The process ends without the window's own way out (the display has
    // gone): the session ends what must not be lost. Nothing is drawn.
    void OnAbruptEnd();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void TakeControls();
    void ConnectControls();
    void ConnectMenu();
    void ConnectSession();
    void ConnectRecords();
    void OnInitDialog();
    void InitStatusBar();
    void InitLiveDisplay();
    void InitBackgrounds();
    void InitFonts();
    void InitSpins();
    void InitBars();
    // Shows the texts of one language and marks it in the language submenu.
    void ApplyTexts(const UiTexts& texts, bool english);
    void SetCaption(const QString& caption);
    void PaintBackground(QPainter& painter, const QRect& area) const;
    const UiTexts& Texts() const;
    // Changes not stored, asked about before a port command or a file (true
    // to go on) and before a way out (false when the program is to stay).
    bool MayLeaveUnstored();
    bool MayEnd();
    void ShowLogMessage(const QString& text, bool forAMoment = false);
    // The status tooltip names the port last opened, adapter and all.
    void ShowOpenPortName();
    // Undo and Redo are offered while the session can do them.
    void ShowHistoryCommands();
    // Ctrl+Z and its kin in a parameter's edit act on the panel's history,
    // and an edit that takes the focus selects its cell in the curve.
    bool FilterParamEditEvent(int k, QEvent* event);

    CalibrationSession& session_;
    QIcon appIcon_;
    // The controls by id, as the template makes them: data for the layout
    // and the accessible names. The window itself uses the typed members.
    QHash<int, QWidget*> controls_;
    std::array<SpinButton*, kParamCount> spins_{};
    std::array<QLineEdit*, kParamCount> edits_{};
    std::array<QLineEdit*, 3> readouts_{};
    std::array<QLabel*, 4> labels_{};
    QPushButton* writeButton_ = nullptr;
    QPushButton* exitButton_ = nullptr;
    MenuBar* menuBar_ = nullptr;
    StatusPanes* statusBar_ = nullptr;
    LiveDisplay* liveDisplay_ = nullptr;
    UnstoredMarks* unstoredMarks_ = nullptr;
    SessionQuestions* questions_ = nullptr;
    TypedCharacterFilter* typedCharacterFilter_ = nullptr;
    HelpWindow* helpWindow_ = nullptr;
    HistoryWindow* historyWindow_ = nullptr;
    LinkHealthPanel* linkHealthPanel_ = nullptr;
    ReplayViews* replay_ = nullptr;
    AnalysisViews* analysis_ = nullptr;
    ObdCommands* obdCommands_ = nullptr;
    CurveEditing* curveEditing_ = nullptr;
    QPoint clientOrigin_;
    QRect clientRect_;
    QImage chineseBackground_;
    mutable QImage englishBackground_;
    QFont labelFont_;
    QFont readoutFont_;
    // 0: Chinese texts and the Chinese picture; 1: English.
    bool englishUi_ = false;
    // Drawn at least once: the first search's worker may start.
    bool painted_ = false;
    // The caption of the language shown, without the star.
    QString caption_;
};
