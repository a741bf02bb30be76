// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QObject>

#include "domain/Calibration.h"
#include "ui/CurveWindow.h"

class CalibrationSession;
class QWidget;
struct UiTexts;

// The curve editor at work: its window, made when first asked for, follows
// the panel, the stored set, the engine's cell and what the panel's history
// can do; what the user does in it (a drag, an operation on the selection, a
// paste, undo and redo) becomes one change of the session's panel, which
// sends it as it sends a spin's click. Nothing goes to the wire from here.
class CurveEditing : public QObject {
    Q_OBJECT

public:
    CurveEditing(QWidget* window, CalibrationSession& session);

    CurveWindow* Window() const { return curve_; }
    void Show(const UiTexts& texts);
    void SetLanguage(const UiTexts& texts);
    // A parameter's edit took the focus: its cell becomes the selection.
    void SelectCell(int k);

private:
    void Follow();
    void ShowPanel();
    void ShowHistory();
    void OnButton(CurveWindow::Button button);
    void Operate(CurveWindow::Button button);
    void Step(int steps);
    void Drag(int k, int value);
    // The values of the cells in the mask, as one change; false, with the
    // reason shown, when the panel cannot be edited now.
    bool Change(const PanelParams& values, ParamMask which);
    void Copy(ParamMask cells);
    void Paste();
    void CompareWithFile();

    QWidget* window_;
    CalibrationSession& session_;
    const UiTexts* texts_ = nullptr;
    CurveWindow* curve_ = nullptr;
};
