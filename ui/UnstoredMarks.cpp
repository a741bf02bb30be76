// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/UnstoredMarks.h"

#include <QLabel>
#include <QPushButton>

#include "ui/ControlColours.h"
#include "ui/DialogUnits.h"
#include "ui/UiTexts.h"
#include "ui/WindowFonts.h"
#include "ui/WindowLayout.h"

namespace {
bool IsSet(ParamMask mask, int k) {
    return ((mask >> k) & 1U) != 0;
}
}  // namespace

UnstoredMarks::UnstoredMarks(QWidget* window, const DialogUnits& units, QPoint clientOrigin,
                             QPushButton* writeButton)
    : QObject(window),
      writeButton_(writeButton),
      writeFont_(writeButton->font()),
      writePalette_(writeButton->palette()) {
    const QFont markFont = WindowFonts::SongFont(WindowFonts::kSystemPoints);
    for (int k = 0; k < kParamCount; ++k) {
        auto* mark = new QLabel(QString::fromUtf8(kUnstoredMarkText), window);
        const QRect rect = WindowLayout::UnstoredMarkRect(k);
        mark->setGeometry(units.ToPixels(rect.x(), rect.y(), rect.width(), rect.height())
                              .translated(clientOrigin));
        mark->setObjectName(QStringLiteral("unstoredMark%1").arg(k));
        mark->setAlignment(Qt::AlignCenter);
        mark->setFont(markFont);
        ControlColours::ApplyToUnstoredMark(mark);
        mark->hide();
        marks_[static_cast<std::size_t>(k)] = mark;
    }
}

void UnstoredMarks::Name(const UnstoredTexts& texts) {
    for (int k = 0; k < kParamCount; ++k) {
        Mark(k)->setAccessibleName(QString::fromUtf8(texts.markName).arg(k));
    }
}

void UnstoredMarks::Show(ParamMask unstored) {
    for (int k = 0; k < kParamCount; ++k) Mark(k)->setVisible(IsSet(unstored, k));
    if (unstored != 0) {
        QFont bold = writeFont_;
        bold.setBold(true);
        QPalette emphasised = writePalette_;
        const QColor orange = ControlColours::ToQColor(kUnstoredOrange);
        emphasised.setColor(QPalette::Active, QPalette::ButtonText, orange);
        emphasised.setColor(QPalette::Inactive, QPalette::ButtonText, orange);
        writeButton_->setFont(bold);
        writeButton_->setPalette(emphasised);
    } else {
        writeButton_->setFont(writeFont_);
        writeButton_->setPalette(writePalette_);
    }
    shown_ = unstored;
}
