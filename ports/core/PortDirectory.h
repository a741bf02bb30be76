// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "ports/core/PortEntry.h"
#include "ports/core/PortLister.h"
#include "ports/core/PortNames.h"

// Which present port answers to which COM name: the names of the COM table
// (links and the built-in table), and free names given to the USB adapters
// the table does not reach. The channel and the search workers resolve COM
// names through it, so a name given here opens the same device everywhere.
// Safe to use from any thread.
class PortDirectory {
public:
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 20;

    // Without a lister it knows only the COM table: no adapters, no names
    // given, nothing listed beyond what the table names.
    PortDirectory(PortResolver table, std::shared_ptr<PortLister> lister);

    bool KnowsAdapters() const { return lister_ != nullptr; }

    // COMn: a name given to an adapter, else the table's.
    PortResolver Resolver() const;

    // The ports present under a COM name, looked at afresh; gives free names
    // to adapters beyond the table on the way.
    std::vector<PortEntry> List();

private:
    struct GivenNames {
        std::mutex mutex;
        std::map<int, std::string> devices;
    };

    PortResolver table_;
    std::shared_ptr<PortLister> lister_;
    std::shared_ptr<GivenNames> given_ = std::make_shared<GivenNames>();
};
