// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QPixmap>
#include <QProxyStyle>
#include <QSize>
#include <QStyle>
#include <vector>

// The application's style, except that the frame of an edit is drawn once
// per size, state and palette and then copied. The readouts repaint with
// every frame the controller sends, and the style's rounded, shaded frame is
// the dearest part of that paint; its pixels do not change.
class CachedFrameStyle : public QProxyStyle {
public:
    // One instance for the whole program, deleted with the application.
    static CachedFrameStyle* Instance();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

private:
    struct Frame {
        QSize size;
        QStyle::State state;
        qint64 palette = 0;
        qreal ratio = 1;
        bool filled = false;
        QPixmap pixmap;
    };
    // A handful of edits in a few states each; more means something keeps
    // changing, and the oldest copies go.
    static constexpr std::size_t kMostFrames = 16;

    QPixmap Draw(const QStyleOption& option, const QWidget* widget, qreal ratio, bool filled) const;

    mutable std::vector<Frame> frames_;
};
