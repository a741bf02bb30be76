// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/CachedFrameStyle.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOption>
#include <QWidget>
#include <algorithm>

CachedFrameStyle* CachedFrameStyle::Instance() {
    static CachedFrameStyle* style = [] {
        auto* created = new CachedFrameStyle;
        created->setParent(qApp);
        return created;
    }();
    return style;
}

void CachedFrameStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                     QPainter* painter, const QWidget* widget) const {
    const auto* panel = qstyleoption_cast<const QStyleOptionFrame*>(option);
    if (element != PE_PanelLineEdit || panel == nullptr || option->rect.isEmpty()) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const qreal ratio = painter->device()->devicePixelRatioF();
    // Over a filled background the copy can be opaque, the cheapest to draw.
    const bool filled = widget != nullptr && widget->autoFillBackground();
    const qint64 palette = filled ? widget->palette().cacheKey() : option->palette.cacheKey();
    const auto same = [&](const Frame& frame) {
        return frame.size == option->rect.size() && frame.state == option->state &&
               frame.palette == palette && frame.ratio == ratio && frame.filled == filled;
    };
    auto found = std::find_if(frames_.begin(), frames_.end(), same);
    if (found == frames_.end()) {
        if (frames_.size() >= kMostFrames) frames_.erase(frames_.begin());
        frames_.push_back({option->rect.size(), option->state, palette, ratio, filled,
                           Draw(*panel, widget, ratio, filled)});
        found = frames_.end() - 1;
    }
    painter->drawPixmap(option->rect.topLeft(), found->pixmap);
}

QPixmap CachedFrameStyle::Draw(const QStyleOption& option, const QWidget* widget, qreal ratio,
                               bool filled) const {
    QPixmap pixmap(option.rect.size() * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(filled ? widget->palette().color(widget->backgroundRole())
                       : QColor(Qt::transparent));
    QStyleOptionFrame atOrigin = *qstyleoption_cast<const QStyleOptionFrame*>(&option);
    atOrigin.rect.moveTopLeft({0, 0});
    QPainter painter(&pixmap);
    baseStyle()->drawPrimitive(PE_PanelLineEdit, &atOrigin, &painter, widget);
    return pixmap;
}
