// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/CAboutDlg.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "ui/Artwork.h"
#include "ui/DialogUnits.h"
#include "ui/WindowFonts.h"

namespace {
constexpr int kWidthUnits = 251;
constexpr int kHeightUnits = 100;
constexpr const char* kCaption = "关于DX470";
constexpr const char* kVersionLine = "DX470 v1.0 版 (0101)";
constexpr const char* kOwnerLine = "版权所有 (C) DX470 项目组";
constexpr const char* kRightsLine = "保留所有权利";
constexpr const char* kCloseText = "退出";

QLabel* AddText(QWidget* parent, const DialogUnits& units, const char* text, QRect unitRect) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setGeometry(
        units.ToPixels(unitRect.x(), unitRect.y(), unitRect.width(), unitRect.height()));
    return label;
}
}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(WindowFonts::SongFont(WindowFonts::kAboutPoints));
    const DialogUnits units(font());
    setFixedSize(units.ToPixelsX(kWidthUnits), units.ToPixelsY(kHeightUnits));

    auto* picture = new QLabel(this);
    picture->setGeometry(units.ToPixels(15, 16, 62, 67));
    picture->setPixmap(QPixmap::fromImage(
        Artwork::Picture(Artwork::kAboutPicture)
            .scaled(picture->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    picture->setObjectName(QStringLiteral("picture"));

    AddText(this, units, kVersionLine, QRect(122, 20, 84, 10));
    AddText(this, units, kOwnerLine, QRect(101, 40, 127, 10));
    AddText(this, units, kRightsLine, QRect(122, 60, 79, 10));

    auto* close = new QPushButton(QString::fromUtf8(kCloseText), this);
    close->setGeometry(units.ToPixels(210, 74, 32, 16));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}
