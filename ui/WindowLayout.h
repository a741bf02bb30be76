// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QHash>
#include <QPoint>
#include <QRect>
#include <QString>
#include <vector>

#include "ui/UiTexts.h"

class DialogUnits;
class QWidget;

// The calibration window's controls as a template: ids, kinds, names, texts
// and rectangles in dialog units, in template order (also the tab and stacking
// order).
namespace WindowLayout {

inline constexpr int kClientWidthUnits = 373;
inline constexpr int kClientHeightUnits = 233;

enum class ControlKind {
    PushButton,
    Readout,
    Label,
    SegmentedBar,
    SmoothBar,
    ParamEdit,
    Spin,
    Marker,
    SerialControl,
};

inline constexpr int kNoParam = -1;
// A control that shows text is named by that text, as a sighted user reads it.
inline constexpr const char* AccessibleTexts::*kNamedByText = nullptr;

struct TemplateEntry {
    int id;
    ControlKind kind;
    // The objectName; the parameter row's names end in the parameter's number.
    const char* name;
    int param;  // 0..15 in the parameter row, else kNoParam
    // What a screen reader says for a control that shows no text, in the
    // table of each language; kNamedByText for one that does.
    const char* AccessibleTexts::*accessible;
    const char* text;  // UTF-8; nullptr for controls without a text
    int x;
    int y;
    int width;
    int height;
};

// The 61 controls of the window.
std::vector<TemplateEntry> WindowTemplate();

QString ObjectName(const TemplateEntry& entry);
// The name of a control that shows no text; empty for one named by its text.
QString AccessibleName(const TemplateEntry& entry, const AccessibleTexts& texts);

// Each readout with the label above it, so that a screen reader reads the
// label with the readout.
struct LabelledControl {
    int label;
    int control;
};
std::vector<LabelledControl> LabelledReadouts();

// Creates the controls as children of parent, placed with their client-area
// origin at origin, and returns them by id. Kinds: QPushButton, QLineEdit
// (readouts and parameter edits), QLabel (labels and markers), LiveBar,
// SpinButton, and an empty QWidget for the serial control. Each control carries
// its objectName, and each readout its label as the label's buddy; the map by
// id is for the window's own use.
QHash<int, QWidget*> BuildControls(QWidget* parent, const DialogUnits& units, QPoint origin);

// The mark of a parameter the controller has not stored, in dialog units:
// under parameter k's spin, beside its cell marker.
QRect UnstoredMarkRect(int k);

}  // namespace WindowLayout
