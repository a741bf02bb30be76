// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QProxyStyle>

// The application's style, except that the menu bar's overflow arrows are
// loaded when first drawn. Every menu bar makes its overflow button as it is
// made, and the style decodes that button's pictures at once, in every size:
// several milliseconds of start-up for a button this window never shows.
class LazyIconStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};
