// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QObject>
#include <QString>

class CalibrationSession;
class MenuBar;
class QWidget;
struct UiTexts;

// The OBD-II adapter's submenu: its port (refused, with a box, when it is
// the controller's) and the fuel the engine runs on, both marked as the
// session has them.
class ObdCommands : public QObject {
    Q_OBJECT

public:
    ObdCommands(QWidget* window, MenuBar& menu, CalibrationSession& session, const UiTexts& texts);

    void SetLanguage(const UiTexts& texts);
    // The OBD link's state as the window words it, and the fuel.
    static QString StateText(const UiTexts& texts, const CalibrationSession& session);
    static QString FuelText(const UiTexts& texts, const CalibrationSession& session);

private:
    void ChoosePort(int port);

    QWidget* window_;
    MenuBar& menu_;
    CalibrationSession& session_;
    const UiTexts* texts_;
};
