// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "ports/AdapterMemory.h"
#include "ports/core/AdapterIdentity.h"
#include "ports/core/PortDirectory.h"

class SerialChannel;

// The adapter the program remembers: kept in the settings each time the link
// comes up on it, listened to first by each search, and, once it has gone
// away, looked for every 500 ms under any name until it really opens again.
// The link then comes back as after a loss on the same port. A port command
// of the user's ends the looking. With nothing remembered it does nothing.
class RememberedAdapter : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kLookInterval{500};

    RememberedAdapter(std::shared_ptr<PortDirectory> directory, AdapterMemory memory,
                      SerialChannel& channel, QObject* parent = nullptr);

    // For a search about to start, run on its worker: the COM number of the
    // remembered adapter if it is present, else 0. Empty when nothing can be
    // remembered, so the search goes exactly as it would without.
    std::function<int()> FirstPortFinder() const;

    // The link came up on the channel's device.
    void OnLinkUp();
    // AUTO, OFFLINE or a COM port was chosen.
    void OnPortChoice();
    // The channel's device went away.
    void OnDeviceLost();

    bool IsLooking() const { return lookTimer_.isActive(); }

signals:
    // The settings file was left alone, and why: the adapter is remembered
    // for this run only.
    void notSaved(const QString& reason);

private:
    void Look();

    std::shared_ptr<PortDirectory> directory_;
    AdapterMemory memory_;
    SerialChannel& channel_;
    std::optional<AdapterIdentity> remembered_;
    // The adapter the link is up on, or was until it went away.
    std::optional<AdapterIdentity> linked_;
    QTimer lookTimer_;
};
