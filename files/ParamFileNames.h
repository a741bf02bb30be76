// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

// Names shown by the parameter-set file dialogs and the extension every saved
// set gets. Kept apart from the format so the dialogs can use them without it.

// Appended to a chosen save name unless its last four bytes are exactly this.
inline constexpr char kParamExtension[] = ".tq4";

// The one entry of both dialogs' file-type list: "*.TQ4".
inline constexpr char kParamFileFilter[] = "DX470 Configure Files (*.TQ4)";

// File-name fields as each dialog opens; nothing is remembered between commands.
inline constexpr char kOpenInitialName[] = "*.tq4";
inline constexpr char kSaveInitialName[] = "parameters.tq4";
