// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "domain/Calibration.h"

// A controller's restore points: snapshots of the panel and of the stored set
// taken before each change that matters, each kept as two parameter set files
// in the controller's history folder, and listed in an index file there.
//
// The index is UTF-8 text, one line per point, oldest first, after a first
// line that names the format:
//
//   DX470 history 1
//   <number>\t<time>\t<cause>\t<panel file>\t<stored file>\t<note>
//
// number: 1, 2, ... within the controller, never used twice; time:
// milliseconds since 1970-01-01 UTC; cause: one of the names of CauseName;
// the two files: plain file names within the folder (no '/', not "." or
// ".."); note: free text with backslash, tab, line feed and carriage return
// written as \\, \t, \n and \r. Lines end with "\n".

enum class RestoreCause {
    LinkUp,
    Store,
    FileLoad,
    ReplayStart,
    CellsApply,
    OtherControllerLoaded,
    Restore,
};

// "link-up", "store", "file-load", "replay", "cells-apply",
// "other-controller", "restore".
std::string_view CauseName(RestoreCause cause);
std::optional<RestoreCause> CauseNamed(std::string_view name);

struct RestorePoint {
    std::uint64_t number = 0;
    std::int64_t timeMs = 0;
    RestoreCause cause = RestoreCause::LinkUp;
    std::string panelFile;
    std::string storedFile;
    std::string note;
    bool operator==(const RestorePoint&) const = default;
};

inline constexpr std::string_view kIndexHeader = "DX470 history 1";

std::string EscapeNote(std::string_view note);
// A lone backslash at the end, or before any other character, stays as it
// is.
std::string UnescapeNote(std::string_view escaped);

std::string FormatIndex(const std::vector<RestorePoint>& points);

struct ParsedIndex {
    std::vector<RestorePoint> points;
    // The lines (counted from 1) that are not a whole point: too few or too
    // many fields, a number or time that is not one, an unknown cause, a
    // file name that is not a plain name, a number used twice. They are
    // skipped; the others stay usable.
    std::vector<int> damagedLines;
    // False when the first line is not the header: then nothing is read.
    bool known = false;
};

// Reads what FormatIndex writes. A last line without its line end (a write
// cut short) counts as damaged.
ParsedIndex ParseIndex(std::string_view text);

// The points to let go so that at most `limit` stay: the oldest (lowest
// numbers) first. The points themselves are not changed.
std::vector<RestorePoint> PointsBeyond(const std::vector<RestorePoint>& points, std::size_t limit);

// A name for a file in a history folder is plain: not empty, no '/', no
// '\\', no NUL, not "." or "..".
bool IsPlainFileName(std::string_view name);

// The controller's fingerprint: its stored set as 32 lower-case hex digits,
// two per parameter in parameter order (values taken as bytes). The name of
// its history folder when first seen.
std::string FingerprintOf(const PanelParams& stored);
// The set a fingerprint stands for; nothing for anything that is not 32 hex
// digits.
std::optional<PanelParams> SetOfFingerprint(std::string_view fingerprint);
