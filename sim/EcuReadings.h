// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

// What the car's petrol ECU measures at one moment, in the units it reports them in.
struct EcuReadings {
    // A stopped engine has no live data: the ECU answers only which PIDs it knows.
    bool running = false;
    double rpm = 0;
    double loadPercent = 0;
    int coolantCelsius = 0;
    double shortTrimPercent = 0;
    double longTrimPercent = 0;
};
