// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QRect>
#include <QString>
#include <QWidget>
#include <optional>

#include "domain/Calibration.h"

struct CurveTexts;

// The sixteen parameters as a curve over petrol time: a point per cell at the
// start of its cell, the panel's values joined by a line, the stored set as a
// faint baseline and, when one is compared, a file's set as a second
// overlay; the engine's cell is shaded. The view changes nothing itself: a
// dragged point, a key that steps the selection, copy and paste are told as
// signals, and the panel's values come back through SetValues.
//
// Mouse: a click selects a cell, Shift+click extends the selection, Ctrl+click
// adds or removes a cell; a point dragged moves in whole steps and is told
// when let go. Keys: Left and Right move the selection, with Shift they
// extend it; + and - (or Up and Down) step it by one, Page Up and Page Down by
// ten; Ctrl+A selects every cell; Ctrl+C and Ctrl+V copy and paste.
class CurveView : public QWidget {
    Q_OBJECT

public:
    static constexpr int kPageStep = 10;

    explicit CurveView(const CurveTexts& texts, QWidget* parent = nullptr);

    void SetTexts(const CurveTexts& texts);
    void SetValues(const PanelParams& values);
    void SetStored(const std::optional<PanelParams>& stored);
    void SetFileOverlay(const std::optional<PanelParams>& values, const QString& name);
    // -1 hides the engine's cell.
    void SetLiveCell(int k);
    // Whether points may be dragged and the selection stepped.
    void SetEditable(bool editable);
    void SetSelection(ParamMask selection);

    const PanelParams& Values() const { return values_; }
    ParamMask Selection() const { return selection_; }
    int LiveCell() const { return liveCell_; }
    // Where cell k is shaded as the engine's; empty for none.
    QRect LiveCellRect(int k) const;
    bool Editable() const { return editable_; }
    bool HasFileOverlay() const { return file_.has_value(); }
    // Where cell k's point is drawn now, for a test's mouse and for screen
    // readers; the point of a drag in progress where it is dragged.
    QPoint PointOf(int k) const;
    QRect PointRect(int k) const;
    // The accessible name of cell k's point.
    QString PointName(int k) const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void selectionChanged(ParamMask selection);
    // A point let go at another value.
    void pointDragged(int k, int value);
    // + and - and their kin: the selection is to move by this many steps.
    void stepRequested(int steps);
    void copyRequested();
    void pasteRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QRect PlotRect() const;
    int XOf(int k) const;
    int YOf(std::int32_t value) const;
    std::int32_t ValueAt(int y) const;
    // The cell whose point is nearest to x.
    int CellAt(int x) const;
    std::int32_t ShownValue(int k) const;
    void Select(ParamMask selection, int cursor);
    void MoveCursor(int by, bool extend);
    void PaintGrid(QPainter& painter) const;
    void PaintSet(QPainter& painter, const PanelParams& values, const QPen& pen) const;
    void PaintPoints(QPainter& painter) const;
    void PaintLegend(QPainter& painter) const;

    const CurveTexts* texts_;
    PanelParams values_{};
    std::optional<PanelParams> stored_;
    std::optional<PanelParams> file_;
    QString fileName_;
    ParamMask selection_ = 1;
    // The cell the keys move from, and the end a Shift extension keeps.
    int cursor_ = 0;
    int anchor_ = 0;
    int liveCell_ = -1;
    bool editable_ = false;
    int dragCell_ = -1;
    std::int32_t dragValue_ = 0;
};
