#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 DX470 calibrator project
# Regenerates the icon PNGs from icon.svg (needs rsvg-convert, Debian package librsvg2-bin).
# The PNGs are committed so the build does not depend on the tool.
set -eu
cd "$(dirname "$0")"
for size in 16 32 48 64; do
    rsvg-convert --width "$size" --height "$size" --format png --output "icon-$size.png" icon.svg
done
