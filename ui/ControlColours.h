// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QColor>
#include <QHash>

#include "link/WindowOps.h"
#include "ui/Colours.h"

class QWidget;

// Colours chosen per control: the readouts in their own colour on black, the
// parameter edits black on white, labels and markers transparent over the
// window's picture in blue and red. Each control gets its palette once, so
// painting later asks for nothing new.
namespace ControlColours {

QColor ToQColor(Colour colour);

// The status bar's colour for what it tells of the link.
Colour StatusColourOf(WindowOps::StatusColour colour);
// The lambda bar's colour in each band.
Colour LambdaBandColourOf(LambdaBand band);

// Readout text colour by readout id.
Colour ReadoutTextColour(int readoutId);

void Apply(const QHash<int, QWidget*>& controls);

// The mark beside a parameter the controller has not stored.
void ApplyToUnstoredMark(QWidget* mark);

}  // namespace ControlColours
