// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/TypedCharacterFilter.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

namespace {
// Ctrl with a letter or with one of @[\]^_ makes a control character.
bool IsControlCharacterKey(int key) {
    return (key >= Qt::Key_A && key <= Qt::Key_Z) || key == Qt::Key_At ||
           key == Qt::Key_BracketLeft || key == Qt::Key_Backslash || key == Qt::Key_BracketRight ||
           key == Qt::Key_AsciiCircum || key == Qt::Key_Underscore;
}

bool IsDialogKey(int key) {
    return key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Return ||
           key == Qt::Key_Enter || key == Qt::Key_Escape;
}
}  // namespace

bool TypedCharacterFilter::IsTypedCharacter(const QKeyEvent& event) {
    const int key = event.key();
    if (IsDialogKey(key)) return false;
    if (key == Qt::Key_Backspace) return true;
    // Alt combinations are menu keys, not characters.
    if (event.modifiers().testFlag(Qt::AltModifier)) return false;
    const bool control = event.modifiers().testFlag(Qt::ControlModifier);
    if (control && IsControlCharacterKey(key)) return true;
    const QString text = event.text();
    return !text.isEmpty() && text.at(0).isPrint();
}

bool TypedCharacterFilter::eventFilter(QObject* /*watched*/, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
            return IsTypedCharacter(*static_cast<QKeyEvent*>(event));
        case QEvent::InputMethod:
            return !static_cast<QInputMethodEvent*>(event)->commitString().isEmpty();
        default:
            return false;
    }
}
