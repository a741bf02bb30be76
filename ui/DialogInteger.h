// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QString>
#include <cstdint>

// Reads an edit's text as a whole decimal number the way the dialog does on
// Enter: blanks and tabs around it and a sign are allowed; an empty text, any
// other character or a value beyond 32 bits is not.
bool ParseDialogInteger(const QString& text, std::int32_t& value);
