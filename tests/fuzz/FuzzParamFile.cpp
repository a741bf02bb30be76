// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// Feeds arbitrary bytes to the parameter set loader and checks what it must
// always do: refuse exactly the files longer than a set, lay a shorter file
// over the panel byte for byte, and leave the rest of the panel alone.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "files/ParamFile.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

// Nonzero high bytes everywhere, so a byte overwritten by mistake shows.
PanelParams StartingPanel() {
    PanelParams params{};
    for (int k = 0; k < kParamCount; ++k) {
        params[k] = static_cast<std::int32_t>(0xA5C30000u + 0x0101u * static_cast<unsigned>(k));
    }
    return params;
}

void CheckLoad(std::span<const std::uint8_t> file) {
    const PanelParams before = StartingPanel();
    PanelParams params = before;

    const ParamFileLoad result = DecodeParamFile(file, params);

    Require((result == ParamFileLoad::TooLong) == (file.size() > kParamFileSize));
    if (result == ParamFileLoad::TooLong) {
        Require(params == before);
        return;
    }
    const ParamFileBytes old = EncodeParamFile(before);
    const ParamFileBytes now = EncodeParamFile(params);
    for (std::size_t i = 0; i < kParamFileSize; ++i) {
        Require(now[i] == (i < file.size() ? file[i] : old[i]));
    }
    for (std::int32_t value : params) {
        const int position = SpinPositionFor(value);
        Require(position >= kSpinLowest && position <= kSpinHighest);
        Require(value < kSpinLowest || value > kSpinHighest || position == value);
    }
}

void CheckExtension(std::span<const std::uint8_t> bytes) {
    const std::string chosen(bytes.begin(), bytes.end());
    const std::string saved = WithParamExtension(chosen);
    const std::string extension = kParamExtension;
    Require(saved.ends_with(extension));
    Require(saved == chosen || saved == chosen + extension);
    Require(WithParamExtension(saved) == saved);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    CheckLoad(bytes);
    CheckExtension(bytes);
    return 0;
}
