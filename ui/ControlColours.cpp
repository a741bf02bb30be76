// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/ControlColours.h"

#include <QLineEdit>
#include <QWidget>

#include "link/LinkState.h"
#include "ui/ControlIds.h"
#include "ui/ControlSets.h"

namespace ControlColours {
namespace {
void SetEditColours(QWidget* edit, Colour text, Colour background) {
    QPalette palette = edit->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Text, ToQColor(text));
        palette.setColor(group, QPalette::Base, ToQColor(background));
    }
    edit->setPalette(palette);
}

// The readouts change with every frame. Filled opaque, they repaint alone,
// without the picture behind them being drawn again each time.
void MakeOpaque(QWidget* control, Colour background) {
    QPalette palette = control->palette();
    palette.setColor(QPalette::Window, ToQColor(background));
    control->setPalette(palette);
    control->setAutoFillBackground(true);
}

// Statics draw no background of their own, so the picture shows through.
void SetStaticColour(QWidget* control, Colour text) {
    QPalette palette = control->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::WindowText, ToQColor(text));
    }
    control->setPalette(palette);
    control->setAutoFillBackground(false);
}

bool IsMarker(int id) {
    return id >= ControlId::kFirstMarker && id <= ControlId::kLastMarker;
}

}  // namespace

QColor ToQColor(Colour colour) {
    return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

Colour StatusColourOf(WindowOps::StatusColour colour) {
    switch (colour) {
        case WindowOps::StatusColour::LinkUp:
            return kStatusLinkUp;
        case WindowOps::StatusColour::FrameSent:
            return kStatusFrameSent;
        case WindowOps::StatusColour::NoLink:
            break;
    }
    return kStatusNoLink;
}

Colour LambdaBandColourOf(LambdaBand band) {
    switch (band) {
        case LambdaBand::Low:
            return kLambdaLow;
        case LambdaBand::High:
            return kLambdaHigh;
        case LambdaBand::Middle:
            break;
    }
    return kLambdaMiddle;
}

Colour ReadoutTextColour(int readoutId) {
    switch (readoutId) {
        case ControlId::kPetrolReadout:
            return kYellow;
        case ControlId::kGasReadout:
            return kCyan;
        default:
            return kRed;
    }
}

void Apply(const QHash<int, QWidget*>& controls) {
    using ControlSets::kLabelIds;
    using ControlSets::kReadoutIds;
    for (const int id : kReadoutIds) {
        SetEditColours(controls.value(id), ReadoutTextColour(id), kBlack);
        MakeOpaque(controls.value(id), kBlack);
    }
    for (int k = 0; k < kParamCount; ++k) {
        SetEditColours(controls.value(ControlId::ParamEdit(k)), kBlack, kWhite);
    }
    for (const int id : kLabelIds) SetStaticColour(controls.value(id), kLabelBlue);
    for (auto it = controls.cbegin(); it != controls.cend(); ++it) {
        if (IsMarker(it.key())) SetStaticColour(it.value(), kRed);
    }
}

void ApplyToUnstoredMark(QWidget* mark) {
    SetStaticColour(mark, kUnstoredOrange);
}

}  // namespace ControlColours
