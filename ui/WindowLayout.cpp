// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/WindowLayout.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "link/LinkState.h"
#include "ui/CachedFrameStyle.h"
#include "ui/ControlIds.h"
#include "ui/DialogUnits.h"
#include "ui/LiveBar.h"
#include "ui/SpinButton.h"
#include "ui/UiTexts.h"

namespace WindowLayout {
namespace {
// Left edges of the parameter row, by k; the row comes in four groups of four.
constexpr int kParamEditX[kParamCount] = {10,  30,  51,  72,  99,  120, 141, 162,
                                          189, 210, 231, 252, 279, 300, 321, 342};
constexpr int kParamRowY = 142;
constexpr int kParamEditWidth = 15;
constexpr int kParamRowHeight = 14;
constexpr int kSpinWidth = 6;
// The spin overlaps the right edge of its edit by one unit.
constexpr int kSpinOffset = 14;
constexpr int kMarkerY = 158;
constexpr int kMarkerSize = 8;
constexpr int kMarkerIndent = 4;
constexpr QMargins kParamEditMargins(-1, 0, -1, 0);

void AppendParameterRow(std::vector<TemplateEntry>& controls) {
    for (int k = 0; k < kParamCount; ++k) {
        const int x = kParamEditX[k];
        controls.push_back({ControlId::ParamEdit(k), ControlKind::ParamEdit, "paramEdit", k,
                            &AccessibleTexts::paramEdit, nullptr, x, kParamRowY, kParamEditWidth,
                            kParamRowHeight});
        controls.push_back({ControlId::ParamSpin(k), ControlKind::Spin, "paramSpin", k,
                            &AccessibleTexts::paramSpin, nullptr, x + kSpinOffset, kParamRowY,
                            kSpinWidth, kParamRowHeight});
    }
}

void AppendMarkers(std::vector<TemplateEntry>& controls) {
    for (int k = 0; k < kParamCount; ++k) {
        controls.push_back({ControlId::CellMarker(k), ControlKind::Marker, "cellMarker", k,
                            &AccessibleTexts::cellMarker, kMarkerText,
                            kParamEditX[k] + kMarkerIndent, kMarkerY, kMarkerSize, kMarkerSize});
    }
}

QWidget* CreateControl(const TemplateEntry& entry, QWidget* parent) {
    const QString text = entry.text != nullptr ? QString::fromUtf8(entry.text) : QString();
    switch (entry.kind) {
        case ControlKind::PushButton:
            return new QPushButton(text, parent);
        case ControlKind::Readout: {
            auto* edit = new QLineEdit(parent);
            edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            edit->setStyle(CachedFrameStyle::Instance());
            return edit;
        }
        case ControlKind::ParamEdit: {
            auto* edit = new QLineEdit(parent);
            edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            // Three digits fill the narrow edit; the toolkit's inner margin
            // would scroll them.
            edit->setTextMargins(kParamEditMargins);
            return edit;
        }
        case ControlKind::Label: {
            auto* label = new QLabel(text, parent);
            label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            return label;
        }
        case ControlKind::Marker: {
            auto* marker = new QLabel(text, parent);
            marker->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            marker->setVisible(false);
            return marker;
        }
        case ControlKind::SegmentedBar:
            return new LiveBar(LiveBar::Fill::Segmented, parent);
        case ControlKind::SmoothBar:
            return new LiveBar(LiveBar::Fill::Smooth, parent);
        case ControlKind::Spin:
            return new SpinButton(parent);
        case ControlKind::SerialControl: {
            // Holds the place of the serial control; it draws nothing and
            // takes no input.
            auto* placeholder = new QWidget(parent);
            placeholder->setAttribute(Qt::WA_TransparentForMouseEvents);
            return placeholder;
        }
    }
    return nullptr;
}
}  // namespace

std::vector<TemplateEntry> WindowTemplate() {
    using enum ControlKind;
    using namespace ControlId;
    using A = AccessibleTexts;
    const UiTexts& zh = kChineseTexts;
    std::vector<TemplateEntry> controls = {
        {kExitButton, PushButton, "exitButton", kNoParam, kNamedByText, zh.exitButton, 230, 195, 42,
         16},
        {kPetrolReadout, Readout, "petrolReadout", kNoParam, &A::petrolReadout, nullptr, 32, 59, 71,
         24},
        {kPetrolLabel, Label, "petrolLabel", kNoParam, kNamedByText, zh.petrolLabel, 39, 34, 55,
         24},
        {kPetrolBar, SegmentedBar, "petrolBar", kNoParam, &A::petrolBar, nullptr, 32, 96, 72, 12},
        {kGasReadout, Readout, "gasReadout", kNoParam, &A::gasReadout, nullptr, 153, 59, 71, 24},
        {kGasLabel, Label, "gasLabel", kNoParam, kNamedByText, zh.gasLabel, 161, 34, 55, 24},
        {kGasBar, SegmentedBar, "gasBar", kNoParam, &A::gasBar, nullptr, 153, 96, 72, 12},
        {kLambdaLabel, Label, "lambdaLabel", kNoParam, kNamedByText, zh.lambdaLabel, 283, 38, 49,
         18},
        {kLambdaReadout, Readout, "lambdaReadout", kNoParam, &A::lambdaReadout, nullptr, 278, 59,
         55, 24},
        {kLambdaBar, SmoothBar, "lambdaBar", kNoParam, &A::lambdaBar, nullptr, 278, 96, 55, 12},
    };
    AppendParameterRow(controls);
    controls.push_back({kParamRowLabel, Label, "paramRowLabel", kNoParam, kNamedByText,
                        zh.paramRowLabel, 13, 128, 28, 12});
    controls.push_back({kWriteButton, PushButton, "writeButton", kNoParam, kNamedByText,
                        zh.writeButton, 105, 195, 42, 16});
    AppendMarkers(controls);
    controls.push_back({kSerialControl, SerialControl, "serialControl", kNoParam, &A::serialControl,
                        nullptr, 6, 7, 19, 19});
    return controls;
}

QString ObjectName(const TemplateEntry& entry) {
    const QString name = QString::fromLatin1(entry.name);
    return entry.param == kNoParam ? name : name + QString::number(entry.param);
}

QString AccessibleName(const TemplateEntry& entry, const AccessibleTexts& texts) {
    if (entry.accessible == kNamedByText) return {};
    const QString text = QString::fromUtf8(texts.*entry.accessible);
    return entry.param == kNoParam ? text : text.arg(entry.param);
}

std::vector<LabelledControl> LabelledReadouts() {
    using namespace ControlId;
    return {
        {kPetrolLabel, kPetrolReadout}, {kGasLabel, kGasReadout}, {kLambdaLabel, kLambdaReadout}};
}

QHash<int, QWidget*> BuildControls(QWidget* parent, const DialogUnits& units, QPoint origin) {
    QHash<int, QWidget*> controls;
    for (const TemplateEntry& entry : WindowTemplate()) {
        QWidget* control = CreateControl(entry, parent);
        control->setGeometry(
            units.ToPixels(entry.x, entry.y, entry.width, entry.height).translated(origin));
        control->setObjectName(ObjectName(entry));
        controls.insert(entry.id, control);
    }
    // The labels hold no '&', so a buddy adds no shortcut: only the relation
    // screen readers follow.
    for (const LabelledControl& pair : LabelledReadouts()) {
        static_cast<QLabel*>(controls.value(pair.label))->setBuddy(controls.value(pair.control));
    }
    return controls;
}

QRect UnstoredMarkRect(int k) {
    return QRect(kParamEditX[k] + kSpinOffset - 1, kMarkerY, kMarkerSize, kMarkerSize);
}

}  // namespace WindowLayout
