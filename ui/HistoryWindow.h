// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QDialog>
#include <array>
#include <optional>

#include "domain/Calibration.h"
#include "session/TuneHistory.h"

class CalibrationSession;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
struct UiTexts;

// The tune history beside the calibration window: the restore points of the
// linked controller (or of all), newest first, filtered by their notes; the
// notes of a point and of the controller; and the difference report of what
// is compared: two points, one point against the panel, the controller
// against a file, the panel against the stored set. A restore puts the
// report's first side into the panel, all of it or the ticked parameters, as
// one change the session sends as it sends any: paced, until echoed, and
// undoable.
class HistoryWindow : public QDialog {
    Q_OBJECT

public:
    enum Column { kTimeColumn, kCauseColumn, kControllerColumn, kNoteColumn };
    enum ReportColumn { kParamColumn, kPetrolColumn, kFromColumn, kWithColumn, kDifferenceColumn };

    HistoryWindow(CalibrationSession& session, const UiTexts& texts, QWidget* parent);

    void SetLanguage(const UiTexts& texts);
    // Reads the history again and shows it.
    void Refresh();

    // What is shown, for tests and screen readers alike.
    QTableWidget* Points() const { return points_; }
    QTableWidget* Report() const { return report_; }
    QLabel* Message() const { return message_; }
    QLabel* Problems() const { return problems_; }
    QLineEdit* Search() const { return search_; }
    QCheckBox* AllControllers() const { return allControllers_; }
    QPlainTextEdit* ControllerNote() const { return controllerNote_; }
    QLineEdit* PointNote() const { return pointNote_; }
    QPushButton* SaveNotesButton() const { return saveNotes_; }
    QPushButton* RestoreAllButton() const { return restoreAll_; }
    QPushButton* RestoreChosenButton() const { return restoreChosen_; }
    QPushButton* PanelAgainstStoredButton() const { return panelAgainstStored_; }
    // The shown points, newest first, as the table lists them.
    const std::vector<TuneHistory::Point>& ShownPoints() const { return shown_; }
    // The controller against a set, as the file button does after its dialog.
    void CompareControllerWith(const PanelParams& set, const QString& name);

private:
    void BuildLayout();
    void ShowPoints();
    void ShowProblems(const std::vector<TuneHistory::Problem>& problems);
    void OnSelectionChanged();
    void ShowReport(const PanelParams& from, const PanelParams& with, const QString& title);
    void CompareWithFile();
    void ComparePanelWithStored();
    void SaveNotes();
    void Restore(bool chosenOnly);
    QString PointLabel(const TuneHistory::Point& point) const;
    QString ControllerShown() const;

    CalibrationSession& session_;
    TuneHistory& history_;
    const UiTexts* texts_;
    QLineEdit* search_;
    QCheckBox* allControllers_;
    QTableWidget* points_;
    QTableWidget* report_;
    QLabel* reportTitle_;
    QLabel* message_;
    QLabel* problems_;
    QLabel* controllerNoteLabel_;
    QLabel* pointNoteLabel_;
    QPlainTextEdit* controllerNote_;
    QLineEdit* pointNote_;
    QPushButton* saveNotes_;
    QPushButton* againstFile_;
    QPushButton* panelAgainstStored_;
    QPushButton* restoreAll_;
    QPushButton* restoreChosen_;
    std::vector<TuneHistory::Point> all_;
    std::vector<TuneHistory::Point> shown_;
    std::vector<TuneHistory::Problem> problemsRead_;
    // The side a restore takes its values from.
    std::optional<PanelParams> restoreFrom_;
};
