// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "domain/Calibration.h"

// Everything the program knows about the controller link. It lives on the
// window's thread; only the stop flag of the search is shared with the search
// workers.
struct LinkState {
    // Entry 16 is never written: for cell 15 the gas time interpolates towards 0.
    std::array<std::uint8_t, 17> deviceParams{};
    std::uint16_t receivedMask = 0;
    // Indices whose last two reports since the mask was cleared agree: the
    // panel is loaded only from values the controller really reported.
    std::uint16_t confirmedMask = 0;
    std::uint8_t silenceTicks = 0;
    bool linkUp = false;
    std::uint32_t linkUpTick = 0;
    bool panelLoaded = false;
    // What the controller keeps over a power cycle, as far as the program
    // knows; meaningful while panelLoaded is set (see StoredSet.h).
    std::array<std::uint8_t, kParamCount> storedParams{};
    bool writeRequested = false;
    // Parameters sent whose echo has not come back since: a store meant to
    // keep what the panel shows waits for them.
    std::uint16_t unechoedMask = 0;
    // The link came back with a controller whose values are not those the
    // panel was made for: nothing is sent until the user has chosen which
    // values to keep. A port command, which reloads the panel, ends it.
    bool choicePending = false;
    // The store went out while parameter frames were still waiting; one more
    // store follows them, so the stored set is what the window shows.
    bool followUpStore = false;
    std::uint8_t sendHoldoff = 0;
    std::uint8_t portError = 0;
    // A search worker's find, handed to the window's thread, waiting for the
    // next send tick to take it over.
    bool probeFound = false;
    std::int16_t probePort = 0;
    // Asks the search workers to stop before their next port. Shared with
    // them, so a worker still running when the window is gone touches
    // nothing destroyed.
    std::shared_ptr<std::atomic<bool>> probeStop = std::make_shared<std::atomic<bool>>(false);
    LambdaBand lambdaBand = LambdaBand::Middle;
    std::int32_t cellIndex = 0;
    std::int32_t petrolRaw = 0;
    std::int32_t lambdaRaw = 0;
    std::int32_t gasTimeUs = 0;

    void ResetForSearch();
    void ResetForPortChange();
    void ResetForOffline();
    void ResetForLinkLoss();
    // A store asked of one controller never goes to another.
    void DropPendingStore();
};

inline constexpr std::uint16_t kAllIndicesSeen = 0xFFFF;
