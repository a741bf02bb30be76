// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "app/AbruptExit.h"

#include <cstdlib>
#include <utility>

namespace {
// The C library's exit handlers take plain functions; the steps wait here.
std::function<void()>& Steps() {
    static std::function<void()> steps;
    return steps;
}

extern "C" void RunSteps() {
    // Once, whatever happens inside them.
    const std::function<void()> steps = std::exchange(Steps(), nullptr);
    if (steps) steps();
}

void RegisterOnce() {
    static const bool registered = std::atexit(RunSteps) == 0;
    (void)registered;
}
}  // namespace

AbruptExit::AbruptExit(std::function<void()> steps) {
    // Registered before the steps are set, so the handler runs before the
    // statics made earlier than it are gone.
    RegisterOnce();
    Steps() = std::move(steps);
}

AbruptExit::~AbruptExit() {
    Steps() = nullptr;
}
