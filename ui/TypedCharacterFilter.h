// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QObject>

class QKeyEvent;

// Keeps typed characters out of the edits it watches: printable characters,
// Backspace and the control-key characters (Ctrl+V, Ctrl+C, ...) are dropped,
// as is text from an input method. Keys that work without producing a
// character still reach the edit: Delete, the arrows, Shift+Insert (paste),
// Ctrl+Insert, Shift+Delete, and the context menu. Tab, Enter and Escape pass
// on to the dialog.
class TypedCharacterFilter : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    static bool IsTypedCharacter(const QKeyEvent& event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
