#pragma once

#include <QHash>
#include <QPoint>
#include <vector>

class DialogUnits;
class QWidget;

// The calibration window's controls as a template: ids, kinds, texts and
// rectangles in dialog units, in template order (also the tab and stacking
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

struct TemplateEntry {
    int id;
    ControlKind kind;
    const char* text;  // UTF-8; nullptr for controls without a text
    int x;
    int y;
    int width;
    int height;
};

// The 61 controls of the window.
std::vector<TemplateEntry> WindowTemplate();

// Creates the controls as children of parent, placed with their client-area
// origin at origin, and returns them by id. Kinds: QPushButton, QLineEdit
// (readouts and parameter edits), QLabel (labels and markers), LiveBar,
// SpinButton, and an empty QWidget for the serial control.
QHash<int, QWidget*> BuildControls(QWidget* parent, const DialogUnits& units, QPoint origin);

}  // namespace WindowLayout
