// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <string>
#include <vector>

// A raw pseudo-terminal for tests: the program under test opens the slave by
// its path, the test plays the device on the master side.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& SlavePath() const { return slavePath_; }
    int MasterFd() const { return master_; }

    void Send(const std::vector<unsigned char>& bytes) const;
    // Whatever has arrived within the time limit, up to count bytes.
    std::vector<unsigned char> Receive(std::size_t count, int timeoutMs) const;
    // The device goes away: the master closes.
    void HangUp();

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};
