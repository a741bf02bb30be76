// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class CalibrationSession;
class QAction;
class QWidget;
class ReplayLoad;
class ReplayPanel;
struct UiTexts;

// The session's replay as the user sees it: the log chosen, read on a worker
// with its progress, refused with the reason, the replay's controls while it
// plays, and the log written as CSV. The port menu waits while a replay holds
// the display.
class ReplayViews : public QObject {
    Q_OBJECT

public:
    ReplayViews(QWidget* window, CalibrationSession& session, QAction* portMenu,
                std::function<const UiTexts&()> texts);

    ReplayPanel* Panel() const;
    ReplayLoad* Loading() const;
    // Asks for a log in the logs' folder and plays it.
    void AskAndPlay();
    // Reads a log and plays it; a log chosen while another is read replaces it.
    void Play(const QString& path);
    void SetLanguage(const UiTexts& texts);

private:
    void Read(ReplayLoad* load);
    void OpenPanel(const QString& fileName);
    void ClosePanel();
    void ExportCsv();
    void WriteCsv(ReplayLoad* load, const QString& csvPath);

    QWidget* window_;
    CalibrationSession& session_;
    QAction* portMenu_;
    std::function<const UiTexts&()> texts_;
    QPointer<ReplayPanel> panel_;
    QPointer<ReplayLoad> load_;
    // The log being played, and its reading again for a CSV.
    QString playingPath_;
    QPointer<ReplayLoad> csvLoad_;
};
