#pragma once

#include <QColor>
#include <QHash>

#include "Colours.h"

class QWidget;

// Colours chosen per control: the readouts in their own colour on black, the
// parameter edits black on white, labels and markers transparent over the
// window's picture in blue and red. Each control gets its palette once, so
// painting later asks for nothing new.
namespace ControlColours {

QColor ToQColor(Colour colour);

// Readout text colour by readout id.
Colour ReadoutTextColour(int readoutId);

void Apply(const QHash<int, QWidget*>& controls);

}  // namespace ControlColours
