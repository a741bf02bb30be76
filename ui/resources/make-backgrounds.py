#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 DX470 calibrator project
"""Writes background_zh.svg and background_en.svg next to this script.

Both pictures share one artwork (a ghosted cut-away car with its gas system on a
hatched light ground); only the title line differs. The output sticks to what
QtSvg (SVG Tiny 1.2) draws: plain shapes, attributes, gradients, no patterns,
clips, filters or CSS.
"""

import math
import os

WIDTH = 758
HEIGHT = 447

# Ground and wheels.
GROUND_Y = 392
WHEEL_R = 44
WHEEL_Y = GROUND_Y - WHEEL_R
FRONT_WHEEL_X = 186
REAR_WHEEL_X = 578
ARCH_R = 55
SILL_Y = 358

# Pale palette: the window's blue, red and black texts must stay readable on top.
BODY_STROKE = "#9fb2c8"
GLASS_FILL = "#f2f7fc"
CUT_FILL = "#fbf7f0"
CUT_STROKE = "#c8b79f"
METAL_FILL = "#d9dfe6"
METAL_STROKE = "#98a6b6"
GAS_FILL = "#f6e2c8"
GAS_STROKE = "#cfa676"
PIPE = "#dcae7c"
INJECTOR_FILL = "#cfe4d4"
INJECTOR_STROKE = "#8fb39a"
TYRE_FILL = "#cdd4dc"
TYRE_STROKE = "#a5b1be"
HATCH = "#dde4ec"
TITLE = "#1d4178"

TITLES = {
    "zh": (
        '<tspan font-family="DejaVu Sans" font-weight="bold">DX470</tspan>'
        '<tspan font-family="AR PL UMing CN"> 燃气喷射控制器 参数标定</tspan>'
    ),
    "en": (
        '<tspan font-family="DejaVu Sans" font-weight="bold">DX470</tspan>'
        '<tspan font-family="DejaVu Sans"> Gas Injection Controller — Calibration</tspan>'
    ),
}


def fmt(value):
    text = f"{value:.1f}"
    return text[:-2] if text.endswith(".0") else text


def defs():
    return """  <defs>
    <linearGradient id="ground" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#f5f8fb"/>
      <stop offset="0.86" stop-color="#edf2f7"/>
      <stop offset="1" stop-color="#e2e9f1"/>
    </linearGradient>
    <linearGradient id="body" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#edf3f9"/>
      <stop offset="1" stop-color="#dbe5f0"/>
    </linearGradient>
    <linearGradient id="tank" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#fbefdf"/>
      <stop offset="0.45" stop-color="#f6e2c8"/>
      <stop offset="1" stop-color="#ebcfab"/>
    </linearGradient>
    <linearGradient id="rule" x1="0" y1="0" x2="1" y2="0">
      <stop offset="0" stop-color="#1d4178" stop-opacity="0"/>
      <stop offset="0.5" stop-color="#1d4178" stop-opacity="0.55"/>
      <stop offset="1" stop-color="#1d4178" stop-opacity="0"/>
    </linearGradient>
  </defs>
"""


def ground():
    """Light ground with fine diagonal hatching and a road band under the car."""
    step = 7
    segments = []
    for start in range(-HEIGHT, WIDTH + step, step):
        segments.append(f"M{start} {HEIGHT}L{start + HEIGHT} 0")
    hatch = "".join(segments)
    road = GROUND_Y - 6
    dashes = []
    for x in range(18, WIDTH, 46):
        dashes.append(f"M{x} {GROUND_Y + 22}h22")
    return f"""  <rect width="{WIDTH}" height="{HEIGHT}" fill="url(#ground)"/>
  <path d="{hatch}" fill="none" stroke="{HATCH}" stroke-width="0.8"/>
  <rect x="0" y="{road}" width="{WIDTH}" height="{HEIGHT - road}" fill="#e6ecf2" fill-opacity="0.7"/>
  <path d="M0 {road}H{WIDTH}" stroke="#cfd8e2" stroke-width="1.2"/>
  <path d="{"".join(dashes)}" stroke="#d6dee7" stroke-width="3" stroke-linecap="round"/>
  <ellipse cx="{(FRONT_WHEEL_X + REAR_WHEEL_X) // 2}" cy="{GROUND_Y + 1}" rx="330" ry="9" fill="#cdd6e0" fill-opacity="0.6"/>
"""


def arch(center_x):
    """Wheel arch from its rear end to its front end, over the top."""
    dy = WHEEL_Y - SILL_Y
    dx = math.sqrt(ARCH_R * ARCH_R - dy * dy)
    rear = center_x + dx
    front = center_x - dx
    return f"L{fmt(rear)} {SILL_Y}A{ARCH_R} {ARCH_R} 0 1 0 {fmt(front)} {SILL_Y}"


def body_outline():
    return (
        f"M70 {SILL_Y}"
        "C60 352 56 336 57 318"
        "C57 298 60 282 72 272"
        "C86 262 104 254 128 250"
        "L270 234"
        "C300 206 328 172 356 154"
        "C368 146 380 143 396 142"
        "L530 142"
        "C548 142 560 146 572 158"
        "C596 184 616 212 632 236"
        "L698 242"
        "C708 244 713 252 714 264"
        "L716 322"
        "C716 342 712 352 700 356"
        f"L700 {SILL_Y}"
        f"{arch(REAR_WHEEL_X)}"
        f"{arch(FRONT_WHEEL_X)}"
        "Z"
    )


def car_body():
    outline = body_outline()
    return f"""  <path d="{outline}" fill="url(#body)" stroke="none"/>
  <path d="M290 236C314 204 338 176 362 162C370 158 378 156 392 156L448 156L448 236Z" fill="{GLASS_FILL}" stroke="{BODY_STROKE}" stroke-width="1.5" stroke-linejoin="round"/>
  <path d="M460 156L528 156C540 156 548 160 556 168C574 188 590 210 604 234L460 236Z" fill="{GLASS_FILL}" stroke="{BODY_STROKE}" stroke-width="1.5" stroke-linejoin="round"/>
  <path d="M318 200L372 162M480 196L520 160" stroke="#ffffff" stroke-width="6" stroke-opacity="0.8" stroke-linecap="round"/>
  <path d="M282 244L282 340M454 240L454 344M612 246L612 300" fill="none" stroke="{BODY_STROKE}" stroke-width="1" stroke-opacity="0.8"/>
  <path d="M262 268L640 274" fill="none" stroke="{BODY_STROKE}" stroke-width="1" stroke-opacity="0.6"/>
  <rect x="402" y="252" width="26" height="5" rx="2.5" fill="#cfd9e4" stroke="{BODY_STROKE}" stroke-width="0.8"/>
  <rect x="572" y="252" width="26" height="5" rx="2.5" fill="#cfd9e4" stroke="{BODY_STROKE}" stroke-width="0.8"/>
  <path d="M270 234L262 220L250 222L254 236" fill="#d5dfea" stroke="{BODY_STROKE}" stroke-width="1" stroke-linejoin="round"/>
  <path d="M58 330H90M684 332H716" stroke="{BODY_STROKE}" stroke-width="1.2" stroke-linecap="round"/>
"""


def car_outline_on_top():
    return f"""  <path d="{body_outline()}" fill="none" stroke="{BODY_STROKE}" stroke-width="2" stroke-linejoin="round"/>
"""


def engine_bay():
    """Opened engine bay: engine block, head, gas rail with four injectors, reducer."""
    parts = [
        f'  <path d="M74 296C78 284 92 274 112 270L258 250L262 350L86 350C78 340 72 316 74 296Z" '
        f'fill="{CUT_FILL}" stroke="{CUT_STROKE}" stroke-width="1.2" stroke-dasharray="5 3"/>',
        # Block, oil pan, head and valve cover.
        f'  <path d="M112 298H224L220 334H116Z" fill="{METAL_FILL}" stroke="{METAL_STROKE}" stroke-width="1.2" stroke-linejoin="round"/>',
        f'  <path d="M120 334H216L210 344H126Z" fill="#cdd4dc" stroke="{METAL_STROKE}" stroke-width="1" stroke-linejoin="round"/>',
        f'  <rect x="114" y="284" width="108" height="14" fill="#e3e8ee" stroke="{METAL_STROKE}" stroke-width="1.2"/>',
        f'  <rect x="120" y="275" width="96" height="10" rx="4" fill="#d2dae3" stroke="{METAL_STROKE}" stroke-width="1.2"/>',
        f'  <path d="M124 308H212M124 318H212" stroke="#bfc9d4" stroke-width="1"/>',
        f'  <circle cx="104" cy="318" r="9" fill="#e3e8ee" stroke="{METAL_STROKE}" stroke-width="1.2"/>',
        f'  <circle cx="104" cy="318" r="3" fill="{METAL_STROKE}" fill-opacity="0.6"/>',
    ]
    # Four gas injectors on one rail, each with a short hose to its intake runner.
    parts.append(
        f'  <rect x="124" y="255" width="96" height="7" rx="3.5" fill="{GAS_FILL}" stroke="{GAS_STROKE}" stroke-width="1.2"/>'
    )
    for index in range(4):
        x = 134 + index * 24
        parts.append(
            f'  <rect x="{x}" y="262" width="9" height="9" rx="2" fill="{INJECTOR_FILL}" '
            f'stroke="{INJECTOR_STROKE}" stroke-width="1"/>'
        )
        parts.append(
            f'  <path d="M{x + 4.5} 271V276" stroke="{INJECTOR_STROKE}" stroke-width="2" stroke-linecap="round"/>'
        )
    # Reducer (vaporiser) at the bulkhead, filter on the way to the rail.
    parts.append(
        f'  <path d="M220 258.5C232 259 240 268 240 288" fill="none" stroke="{PIPE}" stroke-width="2.5" stroke-linecap="round"/>'
    )
    parts.append(
        f'  <circle cx="240" cy="300" r="12" fill="{GAS_FILL}" stroke="{GAS_STROKE}" stroke-width="1.2"/>'
    )
    parts.append(
        f'  <circle cx="240" cy="300" r="5" fill="none" stroke="{GAS_STROKE}" stroke-width="1"/>'
    )
    parts.append(
        f'  <path d="M258 250L262 350" stroke="{CUT_STROKE}" stroke-width="1" stroke-dasharray="3 3"/>'
    )
    return "\n".join(parts) + "\n"


def boot():
    """Opened boot with the gas tank and its multivalve; the outlet pipe runs behind the tank."""
    return f"""  <path d="M616 246L698 252C706 254 708 262 708 272L708 316L616 316C612 300 612 266 616 246Z" fill="{CUT_FILL}" stroke="{CUT_STROKE}" stroke-width="1.2" stroke-dasharray="5 3"/>
  <path d="M669 257C676 257 680 262 680 270L680 306" fill="none" stroke="{PIPE}" stroke-width="2.5" stroke-linecap="round"/>
  <rect x="620" y="262" width="84" height="44" rx="22" fill="url(#tank)" stroke="{GAS_STROKE}" stroke-width="1.4"/>
  <path d="M634 270H690" stroke="#ffffff" stroke-width="3" stroke-opacity="0.8" stroke-linecap="round"/>
  <path d="M642 262V306M682 262V306" stroke="{GAS_STROKE}" stroke-width="0.8" stroke-opacity="0.7"/>
  <rect x="655" y="252" width="14" height="10" rx="2" fill="{INJECTOR_FILL}" stroke="{INJECTOR_STROKE}" stroke-width="1"/>
  <circle cx="662" cy="250" r="3" fill="#f3c9c4" stroke="#d49b94" stroke-width="0.8"/>
"""


def lamps():
    """Head and tail lamps, over the opened bays at the two ends."""
    return f"""  <path d="M62 286C68 276 78 269 92 265L96 276C84 279 72 282 62 286Z" fill="#fbf3d2" stroke="#d3c48f" stroke-width="1" stroke-linejoin="round"/>
  <path d="M704 250C710 254 712 262 713 274L704 276Z" fill="#f6d3d3" stroke="#d7a3a3" stroke-width="1" stroke-linejoin="round"/>
"""


def gas_line():
    """From under the tank along the floor, forward to the reducer."""
    return f"""  <path d="M680 306L680 346C680 352 676 354 670 354L270 354C262 354 256 350 254 342L248 312" fill="none" stroke="{PIPE}" stroke-width="2.5" stroke-linecap="round" stroke-linejoin="round"/>
  <rect x="330" y="349" width="22" height="10" rx="3" fill="{GAS_FILL}" stroke="{GAS_STROKE}" stroke-width="1"/>
"""


def wheel_well(center_x):
    """Inside of the arch, drawn over the cut-away so the wheel stays in front."""
    dy = WHEEL_Y - SILL_Y
    dx = math.sqrt(ARCH_R * ARCH_R - dy * dy)
    return (
        f'  <path d="M{fmt(center_x + dx)} {SILL_Y}A{ARCH_R} {ARCH_R} 0 1 0 {fmt(center_x - dx)} {SILL_Y}Z" '
        f'fill="#dfe5ec" stroke="none"/>\n'
    )


def wheel(center_x):
    spokes = []
    for index in range(5):
        angle = math.radians(-90 + index * 72)
        x1 = center_x + 9 * math.cos(angle)
        y1 = WHEEL_Y + 9 * math.sin(angle)
        x2 = center_x + 25 * math.cos(angle)
        y2 = WHEEL_Y + 25 * math.sin(angle)
        spokes.append(f"M{fmt(x1)} {fmt(y1)}L{fmt(x2)} {fmt(y2)}")
    return f"""  <circle cx="{center_x}" cy="{WHEEL_Y}" r="{WHEEL_R}" fill="{TYRE_FILL}" stroke="{TYRE_STROKE}" stroke-width="1.5"/>
  <circle cx="{center_x}" cy="{WHEEL_Y}" r="29" fill="#eef1f5" stroke="{TYRE_STROKE}" stroke-width="1.2"/>
  <path d="{"".join(spokes)}" stroke="#c3ccd6" stroke-width="5" stroke-linecap="round"/>
  <circle cx="{center_x}" cy="{WHEEL_Y}" r="8" fill="#dde3ea" stroke="{TYRE_STROKE}" stroke-width="1"/>
"""


def title(language):
    return f"""  <text xml:space="preserve" x="{WIDTH // 2}" y="45" text-anchor="middle" font-size="24" fill="{TITLE}">{TITLES[language]}</text>
  <rect x="129" y="53" width="500" height="1.5" fill="url(#rule)"/>
"""


def picture(language):
    return (
        '<?xml version="1.0" encoding="UTF-8"?>\n'
        f'<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" '
        f'width="{WIDTH}" height="{HEIGHT}" viewBox="0 0 {WIDTH} {HEIGHT}">\n'
        + defs()
        + ground()
        + car_body()
        + engine_bay()
        + boot()
        + lamps()
        + gas_line()
        + wheel_well(FRONT_WHEEL_X)
        + wheel_well(REAR_WHEEL_X)
        + car_outline_on_top()
        + wheel(FRONT_WHEEL_X)
        + wheel(REAR_WHEEL_X)
        + title(language)
        + "</svg>\n"
    )


def main():
    folder = os.path.dirname(os.path.abspath(__file__))
    for language in ("zh", "en"):
        path = os.path.join(folder, f"background_{language}.svg")
        with open(path, "w", encoding="utf-8", newline="\n") as out:
            out.write(picture(language))


if __name__ == "__main__":
    main()
