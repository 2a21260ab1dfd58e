#!/usr/bin/env python3
"""Draws every image of the user interface as SVG into assets/images/.

The look: dark hardware panels, white text, the yellow accent 0xFDEE1B and the selection
blue 0x98D7FE. Button states read at a glance: hover lightens and outlines, pressed darkens
and sinks the label, disabled fades, selected lights up in yellow.

The names must match the kit's image table (src/ui/ImageCatalog.cpp); the catalog test
fails on any name without a file and on any file without a name. Run after changing either:
    python3 assets/scripts/make_images.py
"""
import os
import sys

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "images")

WHITE = "#FFFFFF"
YELLOW = "#FDEE1B"
BLUE = "#98D7FE"
RED = "#FF6A4D"
DIM = "#8E8E96"
# One family: the SVG renderer takes the attribute as a single family name.
FONT = "Fira Sans"

images = {}


def svg(name, w, h, body, defs=""):
    images[name] = (
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" '
        f'viewBox="0 0 {w} {h}">\n'
        + (f"<defs>{defs}</defs>\n" if defs else "")
        + body
        + "\n</svg>\n"
    )


def vgrad(gid, top, bottom, top_opacity=1, bottom_opacity=1):
    return (
        f'<linearGradient id="{gid}" x1="0" y1="0" x2="0" y2="1">'
        f'<stop offset="0" stop-color="{top}" stop-opacity="{top_opacity}"/>'
        f'<stop offset="1" stop-color="{bottom}" stop-opacity="{bottom_opacity}"/>'
        "</linearGradient>"
    )


def rgrad(gid, inner, outer):
    return (
        f'<radialGradient id="{gid}" cx="0.4" cy="0.35" r="0.7">'
        f'<stop offset="0" stop-color="{inner}"/><stop offset="1" stop-color="{outer}"/>'
        "</radialGradient>"
    )


def text(x, y, s, size=11, color=WHITE, weight=500, anchor="middle", opacity=1):
    return (
        f'<text x="{x}" y="{y}" font-family="{FONT}" font-size="{size}" font-weight="{weight}" '
        f'fill="{color}" fill-opacity="{opacity}" text-anchor="{anchor}">{s}</text>'
    )


def rect(x, y, w, h, r, fill, stroke="none", sw=1, extra=""):
    return (
        f'<rect x="{x}" y="{y}" width="{w}" height="{h}" rx="{r}" ry="{r}" fill="{fill}" '
        f'stroke="{stroke}" stroke-width="{sw}" {extra}/>'
    )


# Fill, outline and label colours of a panel button in each state.
BUTTON = {
    "": ("#3A3A41", "#27272C", "#55555E", WHITE, 0),
    "_hover": ("#4A4A53", "#33333A", "#A6A6B0", WHITE, 0),
    "_pressed": ("#1A1A1E", "#26262B", "#4A4A52", "#D8D8DC", 1),
    "_disabled": ("#2A2A2E", "#232327", "#34343A", "#5E5E66", 0),
    "_selected": ("#45452E", "#2E2E22", YELLOW, YELLOW, 0),
    "_deselected": ("#3A3A41", "#27272C", "#55555E", DIM, 0),
}


def panel_button(name, w, h, label, state, size=11, accent=None):
    top, bottom, edge, ink, sink = BUTTON[state]
    if accent and state in ("", "_hover"):
        edge = accent
    gid = "g"
    defs_extra = ""
    body = rect(0.5, 0.5, w - 1, h - 1, 5, f"url(#{gid})", edge)
    if state == "_pressed":
        # A soft shadow inside the top edge: the button sits lower than the panel.
        body += rect(1, 1, w - 2, 6, 4, "url(#inset)")
        defs_extra = vgrad("inset", "#000000", "#000000", 0.55, 0)
    else:
        body += f'<line x1="5" y1="1.5" x2="{w - 5}" y2="1.5" stroke="#FFFFFF" stroke-opacity="0.12"/>'
    if label:
        body += text(w / 2, h / 2 + size * 0.36 + sink, label, size, ink)
    svg(name + state, w, h, body, vgrad(gid, top, bottom) + defs_extra)


def push_family(base, w, h, label, states=("", "_pressed", "_disabled", "_hover"), **kw):
    for state in states:
        panel_button(base, w, h, label, state, **kw)


def toggle_family(base, w, h, label, **kw):
    for state in ("_selected", "_deselected", "_pressed", "_hover"):
        panel_button(base, w, h, label, state, **kw)


# --- Window and header ---------------------------------------------------------------------

def window_background():
    w, h = 1100, 720
    lines = "".join(
        f'<line x1="0" y1="{y}" x2="{w}" y2="{y}" stroke="#FFFFFF" stroke-opacity="0.018"/>'
        for y in range(3, h, 6)
    )
    body = f'<rect width="{w}" height="{h}" fill="url(#bg)"/>' + lines
    # The header band behind the logo, the pedal board, the tabs and the menu button.
    body += f'<rect width="{w}" height="80" fill="#000000" fill-opacity="0.25"/>'
    body += f'<line x1="0" y1="80.5" x2="{w}" y2="80.5" stroke="#FFFFFF" stroke-opacity="0.08"/>'
    svg("WINDOW_background", w, h, body, vgrad("bg", "#202025", "#121215"))


def app_icon():
    # A dark tile with the vendor's ring mark and a yellow tail.
    body = rect(2, 2, 60, 60, 13, "url(#tile)", "#4A4A52", 1)
    body += '<circle cx="29" cy="29" r="14" fill="none" stroke="#FFFFFF" stroke-width="6"/>'
    body += f'<line x1="38" y1="38" x2="47" y2="47" stroke="{YELLOW}" stroke-width="6" stroke-linecap="round"/>'
    svg("WINDOW_app_icon", 64, 64, body, vgrad("tile", "#34343B", "#17171A"))


def header_buttons():
    states = {"": (WHITE, 0.0), "_hover": (YELLOW, 0.10), "_pressed": ("#9C9CA4", 0.18)}
    for state, (ink, shade) in states.items():
        # Logo: a round mark and the vendor's three letters.
        body = rect(0, 0, 76, 30, 6, "#FFFFFF", extra=f'fill-opacity="{shade}"')
        body += f'<circle cx="14" cy="15" r="8" fill="none" stroke="{ink}" stroke-width="3"/>'
        body += f'<line x1="18" y1="19" x2="23" y2="24" stroke="{YELLOW}" stroke-width="3" stroke-linecap="round"/>'
        body += text(48, 21, "QOR", 17, ink, 700)
        svg("HEADER_qor_logo" + state, 76, 30, body)
        # Menu: three bars.
        body = rect(0, 0, 30, 30, 6, "#FFFFFF", extra=f'fill-opacity="{shade}"')
        for y in (9, 15, 21):
            body += f'<line x1="8" y1="{y}" x2="22" y2="{y}" stroke="{ink}" stroke-width="2.2" stroke-linecap="round"/>'
        svg("HEADER_hamburger_menu_button" + state, 30, 30, body)
        # Device drop-down: a chevron in a ring.
        body = rect(0, 0, 30, 30, 15, "#FFFFFF", extra=f'fill-opacity="{shade}"')
        body += f'<circle cx="15" cy="15" r="11" fill="none" stroke="{ink}" stroke-opacity="0.6" stroke-width="1.5"/>'
        body += f'<polyline points="10,13 15,18 20,13" fill="none" stroke="{ink}" stroke-width="2.2" stroke-linecap="round" stroke-linejoin="round"/>'
        svg("HEADER_device_drop" + state, 30, 30, body)


MODELS = {"MIV3": ("MIV III", "#2F3C4A", "#1C252F"), "NAX3": ("NAX III", "#4A2F2F", "#2C1B1B")}


def pedal_shape(x, y, w, h, model, label_size=9):
    caption, top, bottom = MODELS[model]
    gid = "p" + model
    body = rect(x, y, w, h, 6, f"url(#{gid})", "#0C0C0E", 1)
    body += rect(x + w * 0.15, y + h * 0.12, w * 0.7, h * 0.2, 2, "#0A0A0C", "#3A5A70", 0.8)
    body += f'<circle cx="{x + w * 0.3}" cy="{y + h * 0.78}" r="{w * 0.11}" fill="#B9B9C0" stroke="#555" stroke-width="0.8"/>'
    body += f'<circle cx="{x + w * 0.7}" cy="{y + h * 0.78}" r="{w * 0.11}" fill="#B9B9C0" stroke="#555" stroke-width="0.8"/>'
    body += text(x + w / 2, y + h * 0.52, caption, label_size, WHITE, 700)
    return body, vgrad(gid, top, bottom)


def pedalboards():
    w, h = 260, 72
    board = rect(1, 40, w - 2, 28, 5, "url(#board)", "#000000")
    for x in range(14, w - 10, 24):
        board += f'<circle cx="{x}" cy="62" r="1.4" fill="#000" fill-opacity="0.5"/>'
    board_def = vgrad("board", "#3B3B40", "#1F1F23")
    for model in MODELS:
        pedal, pdef = pedal_shape(100, 4, 60, 58, model)
        svg(f"HEADER_{model}_pedalboard", w, h, board + pedal, board_def + pdef)
    empty = rect(100, 8, 60, 54, 6, "none", "#6A6A72", 1.2, 'stroke-dasharray="4 3"')
    empty += text(130, 40, "NO DEVICE", 8, DIM, 500)
    svg("HEADER_empty_pedalboard", w, h, board + empty, board_def)


def selector_icons():
    w, h = 96, 112
    for model in MODELS:
        for state in ("", "_pressed"):
            shift = 2 if state else 0
            # The chooser writes the caption under the pedal, so the pedal keeps to the top.
            pedal, pdef = pedal_shape(22, 4 + shift, 52, 64, model, 10)
            body = pedal
            if state:
                body += rect(22, 4 + shift, 52, 64, 6, "#000000", extra='fill-opacity="0.35"')
            svg(f"HEADER_selector_icon_{model}{state}", w, h, body, pdef)


def header_tabs():
    labels = {"transfers": "TRANSFERS", "editor": "EDITOR", "settings": "SETTINGS"}
    looks = {
        "_selected": (WHITE, YELLOW, 1.0, 0.10),
        "_deselected": (DIM, None, 0, 0),
        "_hover": ("#D4D4DA", "#FFFFFF", 0.35, 0.06),
        "_pressed": ("#66666E", YELLOW, 0.5, 0.14),
    }
    for key, label in labels.items():
        for state, (ink, line, line_opacity, shade) in looks.items():
            body = rect(0, 0, 112, 36, 4, "#FFFFFF", extra=f'fill-opacity="{shade}"')
            body += text(56, 22, label, 12, ink, 500)
            if line:
                body += f'<rect x="18" y="31" width="76" height="3" rx="1.5" fill="{line}" fill-opacity="{line_opacity}"/>'
            svg(f"HEADER_tab_{key}{state}", 112, 36, body)


# --- Transfers screen ----------------------------------------------------------------------

SLOT_SIZES = {"20": (290, 88, 40), "50": (230, 46, 34), "100": (288, 19, 30)}
SLOT_LOOKS = {
    # state: (top, bottom, outline, outline width, divider)
    "empty": ("#1C1C20", "#18181B", "#2A2A30", 1, "#2A2A30"),
    "full": ("#34343B", "#29292F", "#46464F", 1, "#4A4A53"),
    "selected": ("#2C4656", "#223644", BLUE, 1.5, BLUE),
    "hover": ("#42424A", "#35353C", "#9A9AA4", 1.5, "#6A6A74"),
    "hover_swap": ("#4A4728", "#38361E", YELLOW, 2, YELLOW),
    "hover_overwrite": ("#52302A", "#3A221E", RED, 2, RED),
    "rename": ("#F4F4F6", "#E4E4E8", BLUE, 2, "#B0B0B8"),
}


def transfers_slots():
    for size, (w, h, number_width) in SLOT_SIZES.items():
        r = 3 if h < 30 else 5
        for state, (top, bottom, edge, sw, divider) in SLOT_LOOKS.items():
            inset = sw / 2
            body = rect(inset, inset, w - sw, h - sw, r, "url(#g)", edge, sw)
            if state == "rename":
                # The number keeps its dark ground (and white digits) beside the light field.
                body += f'<path d="M{inset + r} {inset} H{number_width} V{h - inset} H{inset + r} Q{inset} {h - inset} {inset} {h - inset - r} V{inset + r} Q{inset} {inset} {inset + r} {inset} Z" fill="#34343B"/>'
            body += f'<line x1="{number_width}" y1="{3 + sw}" x2="{number_width}" y2="{h - 3 - sw}" stroke="{divider}" stroke-opacity="0.7"/>'
            if state == "hover_swap":
                y = h / 2
                x = w - 52
                body += f'<path d="M{x} {y - 3} h12 l-3 -3 M{x + 12} {y + 3} h-12 l3 3" fill="none" stroke="{YELLOW}" stroke-width="1.6" stroke-linecap="round" stroke-linejoin="round"/>'
            if state == "hover_overwrite":
                body += warning_mark(w - 52, h / 2 - 6, 12, RED)
            svg(f"TRANSFERS_slot_{size}_{state}", w, h, body, vgrad("g", top, bottom))
        for suffix, color in (("", YELLOW), ("_overwrite", RED)):
            body = rect(1, 1, w - 2, h - 2, r, color, color, 2, 'fill-opacity="0.08" stroke-dasharray="5 3"')
            svg(f"TRANSFERS_slot_{size}_export{suffix}", w, h, body)
        d = {"20": 24, "50": 18, "100": 15}[size]
        for state, (fill, ink) in {"": ("#3A3A41", WHITE), "_hover": ("#55555E", YELLOW),
                                   "_pressed": ("#1E1E22", "#A0A0A8")}.items():
            c = d / 2
            body = f'<circle cx="{c}" cy="{c}" r="{c - 0.75}" fill="{fill}" stroke="{ink}" stroke-opacity="0.7" stroke-width="1.2"/>'
            body += f'<path d="M{c} {d * 0.27} V{d * 0.73} M{d * 0.27} {c} H{d * 0.73}" stroke="{ink}" stroke-width="{max(1.5, d / 10)}" stroke-linecap="round"/>'
            svg(f"TRANSFERS_slot_{size}_add{state}", d, d, body)


def warning_mark(x, y, size, color):
    s = size
    return (
        f'<path d="M{x + s / 2} {y + 0.8} L{x + s - 0.6} {y + s - 0.8} H{x + 0.6} Z" fill="{color}" stroke="{color}" stroke-linejoin="round"/>'
        f'<path d="M{x + s / 2} {y + s * 0.36} V{y + s * 0.64}" stroke="#1A1A1A" stroke-width="{s / 9}" stroke-linecap="round"/>'
        f'<circle cx="{x + s / 2}" cy="{y + s * 0.79}" r="{s / 16}" fill="#1A1A1A"/>'
    )


def transfers_small():
    for state, (fill, ink) in {"": ("#3A3A41", WHITE), "_hover": (RED, WHITE),
                               "_pressed": ("#8A3A2C", "#D0D0D0")}.items():
        body = f'<circle cx="8" cy="8" r="7.25" fill="{fill}"/>'
        body += f'<path d="M5.2 5.2 L10.8 10.8 M10.8 5.2 L5.2 10.8" stroke="{ink}" stroke-width="1.6" stroke-linecap="round"/>'
        svg("TRANSFERS_x" + state, 16, 16, body)
    svg("TRANSFERS_overwrite_warning", 16, 16, warning_mark(0, 0, 16, YELLOW))


def drag_images():
    w, h = 160, 28
    icons = {
        "move": (WHITE, '<path d="M7 14 H19 M15 10 L19 14 L15 18" fill="none" stroke="{c}" stroke-width="1.8" stroke-linecap="round" stroke-linejoin="round"/>'),
        "copy": (BLUE, '<rect x="7" y="9" width="8" height="9" rx="1.5" fill="none" stroke="{c}" stroke-width="1.5"/><rect x="11" y="6" width="8" height="9" rx="1.5" fill="#2A2A30" stroke="{c}" stroke-width="1.5"/>'),
        "swap": (YELLOW, '<path d="M7 11 H19 L16 8 M19 17 H7 L10 20" fill="none" stroke="{c}" stroke-width="1.7" stroke-linecap="round" stroke-linejoin="round"/>'),
        "nuke": (RED, None),
    }
    for kind, (color, icon) in icons.items():
        body = rect(0.5, 0.5, w - 1, h - 1, 5, "#2A2A30", color, 1, 'fill-opacity="0.94"')
        body += rect(0.5, 0.5, 25, h - 1, 5, color, extra='fill-opacity="0.16"')
        body += icon.format(c=color) if icon else warning_mark(6, 7, 14, color)
        svg(f"TRANSFERS_drag_image_{kind}", w, h, body)
    svg("TRANSFERS_drag_image_blank", w, h,
        rect(0.5, 0.5, w - 1, h - 1, 5, "#2A2A30", "#6A6A72", 1, 'fill-opacity="0.55" stroke-dasharray="4 3"'))


def transfers_buttons():
    labels = {"select_all": "SELECT ALL", "deselect_all": "DESELECT ALL", "cancel": "CANCEL",
              "delete": "DELETE", "import": "IMPORT", "export": "EXPORT"}
    for key, label in labels.items():
        accent = YELLOW if key == "export" else (RED if key == "delete" else None)
        push_family(f"TRANSFERS_{key}", 108, 28, label, accent=accent)
    for n in ("20", "50", "100"):
        toggle_family(f"TRANSFERS_per_page_{n}", 42, 24, n, size=11)
    # Page tabs: dark and white-titled when on, light and black-titled when off; the titles
    # are drawn by the buttons, so one three-slice image serves every width.
    looks = {"_selected": ("#3C3C44", "#2E2E35", YELLOW), "_deselected": ("#C8C8CE", "#B4B4BB", "#9A9AA2"),
             "_hover": ("#E0E0E5", "#CBCBD1", WHITE), "_pressed": ("#8E8E96", "#A2A2AA", "#77777F")}
    for state, (top, bottom, edge) in looks.items():
        body = f'<path d="M0.5 26 V6 Q0.5 0.5 6 0.5 H114 Q119.5 0.5 119.5 6 V26 Z" fill="url(#g)" stroke="{edge}"/>'
        svg(f"TRANSFERS_tab{state}", 120, 26, body, vgrad("g", top, bottom))
    body = rect(0, 0, 600, 28, 0, "url(#g)") + '<line x1="0" y1="27.5" x2="600" y2="27.5" stroke="#4A4A52"/>'
    svg("TRANSFERS_tabs_background", 600, 28, body, vgrad("g", "#1A1A1E", "#141417"))


# --- Editor screen -------------------------------------------------------------------------

def editor_rows():
    looks = {"empty": ("#19191C", "#232327", None), "full": ("#26262B", "#303036", None),
             "hover": ("#3A3A42", "#4A4A52", None), "selected": ("#2D4A5C", "#3C6378", BLUE)}
    for state, (fill, line, bar) in looks.items():
        body = rect(0, 0, 240, 21, 0, fill) + f'<line x1="0" y1="20.5" x2="240" y2="20.5" stroke="{line}"/>'
        if bar:
            body += rect(0, 0, 3, 21, 0, bar)
        svg(f"EDITOR_preset_slot_{state}", 240, 21, body)
    svg("EDITOR_preset_scrollbar", 8, 40, rect(0.5, 0.5, 7, 39, 3.5, "#FFFFFF", extra='fill-opacity="0.5"'))


def fader_caps():
    w, h = 44, 24
    lit_for = {"0": 0, "10": 1, "25": 2, "50": 3, "75": 4, "100": 5}
    for key, lit in lit_for.items():
        body = rect(0.5, 0.5, w - 1, h - 1, 4, "url(#g)", "#0E0E10")
        body += '<line x1="3" y1="12" x2="41" y2="12" stroke="#111" stroke-width="1.4"/>'
        body += '<line x1="3" y1="13.2" x2="41" y2="13.2" stroke="#FFF" stroke-opacity="0.35"/>'
        for i in range(5):
            on = i < lit
            color = YELLOW if on else "#4A4A50"
            body += rect(8 + i * 6.2, 4, 4.4, 3, 1, color, extra=f'fill-opacity="{1 if on else 0.8}"')
        svg(f"EDITOR_MIV3_slider_cap_{key}", w, h, body, vgrad("g", "#D6D6DC", "#8A8A92"))
    body = rect(1, 0.5, 8, 199, 4, "#0B0B0D", "#3A3A42")
    body += '<line x1="5" y1="6" x2="5" y2="194" stroke="#000" stroke-width="2"/>'
    svg("EDITOR_MIV3_slider_track", 10, 200, body)


def knob():
    s = 56
    defs = rgrad("body", "#5A5A62", "#1C1C20") + vgrad("ring", "#3A3A40", "#0C0C0E")
    body = f'<circle cx="28" cy="28" r="27" fill="url(#ring)"/>'
    for i in range(24):
        body += f'<line x1="28" y1="2.5" x2="28" y2="5.5" stroke="#FFFFFF" stroke-opacity="0.25" transform="rotate({i * 15} 28 28)"/>'
    body += f'<circle cx="28" cy="28" r="21" fill="url(#body)" stroke="#000" stroke-width="1"/>'
    body += f'<line x1="28" y1="9" x2="28" y2="21" stroke="{YELLOW}" stroke-width="3" stroke-linecap="round"/>'
    svg("EDITOR_MIV3_knob", s, s, body, defs)


def switches():
    looks = {"_selected": ("#5C5620", YELLOW, 25, "#1A1A1A"), "_deselected": ("#1A1A1E", "#9A9AA2", 9, "#1A1A1A"),
             "_hover": ("#2A2A30", "#D8D8DE", 9, "#1A1A1A"), "_pressed": ("#101012", "#6A6A70", 17, "#1A1A1A")}
    for state, (track, knob_color, x, _) in looks.items():
        body = rect(0.5, 0.5, 33, 17, 8.5, track, "#55555E")
        body += f'<circle cx="{x}" cy="9" r="6.5" fill="{knob_color}"/>'
        svg(f"EDITOR_MIV3_switch{state}", 34, 18, body)


def editor_pedal(model):
    """The pedal picture of the editor: its display, encoder, lamps and three footswitches sit
    in wells that the screen's controls are laid over (see src/editor/Editor.ui)."""
    caption, top, bottom = MODELS[model]
    gid = "p" + model
    body = rect(1, 1, 228, 328, 6, f"url(#{gid})", "#0C0C0E", 1)
    body += rect(27, 35, 176, 58, 3, "#0A0A0C", "#3A5A70", 0.8)
    body += f'<circle cx="115" cy="125" r="20" fill="#0A0A0C" stroke="#3A3A42"/>'
    body += text(115, 176, caption, 16, WHITE, 700)
    for cx, label in ((46, "BYPASS"), (115, "DOWN"), (184, "UP")):
        body += f'<circle cx="{cx}" cy="258" r="26" fill="#0A0A0C" stroke="#3A3A42"/>'
        body += text(cx, 304, label, 9, WHITE, 500, opacity=0.6)
    for cx in (46, 184):
        body += f'<circle cx="{cx}" cy="212" r="8" fill="#0A0A0C" stroke="#3A3A42"/>'
    svg(f"EDITOR_{model}_pedal", 230, 330, body, vgrad(gid, top, bottom))


def editor_misc():
    svg("EDITOR_detail_item_open", 12, 12, f'<path d="M2 4 H10 L6 9 Z" fill="{WHITE}"/>')
    svg("EDITOR_detail_item_closed", 12, 12, f'<path d="M4 2 V10 L9 6 Z" fill="{WHITE}" fill-opacity="0.75"/>')
    for state, (fill, ink) in {"": ("#3A3A41", WHITE), "_hover": ("#4E4E57", YELLOW),
                               "_pressed": ("#1A1A1E", "#9A9AA2")}.items():
        body = rect(0.5, 0.5, 23, 23, 5, fill, "#5A5A64")
        body += f'<path d="M9 7 L14 12 L9 17 M14 7 L19 12 L14 17" fill="none" stroke="{ink}" stroke-width="1.8" stroke-linecap="round" stroke-linejoin="round"/>'
        svg("EDITOR_breakout_open" + state, 24, 24, body)
        close = rect(0.5, 0.5, 23, 23, 5, fill, "#5A5A64")
        close += f'<path d="M15 7 L10 12 L15 17 M10 7 L5 12 L10 17" fill="none" stroke="{ink}" stroke-width="1.8" stroke-linecap="round" stroke-linejoin="round"/>'
        svg("EDITOR_breakout_close" + state, 24, 24, close)
    labels = {"delete": "DELETE", "revert": "REVERT", "undo": "UNDO", "redo": "REDO",
              "save_as": "SAVE AS", "save": "SAVE"}
    for key, label in labels.items():
        accent = YELLOW if key == "save" else (RED if key == "delete" else None)
        push_family(f"EDITOR_{key}", 84, 28, label, accent=accent)
    for model in MODELS:
        editor_pedal(model)
    for state, (ring, shade) in {"": ("#6A6A72", 0), "_hover": (YELLOW, 0), "_pressed": ("#6A6A72", 0.35)}.items():
        body = f'<circle cx="23" cy="23" r="22" fill="url(#m)" stroke="{ring}" stroke-width="1.5"/>'
        body += f'<circle cx="23" cy="23" r="14" fill="url(#m2)" stroke="#555"/>'
        body += f'<circle cx="23" cy="23" r="22" fill="#000" fill-opacity="{shade}"/>'
        svg("EDITOR_footswitch" + state, 46, 46, body, rgrad("m", "#E8E8EC", "#7A7A82") + rgrad("m2", "#FFFFFF", "#9A9AA2"))
    for state, (ring, shade) in {"": ("#2A2A2E", 0), "_hover": (YELLOW, 0), "_pressed": ("#2A2A2E", 0.35)}.items():
        body = f'<circle cx="17" cy="17" r="16" fill="url(#k)" stroke="{ring}" stroke-width="1.5"/>'
        for i in range(16):
            body += f'<line x1="17" y1="2" x2="17" y2="5" stroke="#000" stroke-opacity="0.5" transform="rotate({i * 22.5} 17 17)"/>'
        body += f'<circle cx="17" cy="17" r="16" fill="#000" fill-opacity="{shade}"/>'
        svg("EDITOR_navcoder" + state, 34, 34, body, rgrad("k", "#6A6A72", "#232327"))
    svg("EDITOR_light_on", 12, 12, '<circle cx="6" cy="6" r="5.5" fill="#FF3B2F"/><circle cx="4.5" cy="4.5" r="1.8" fill="#FFFFFF" fill-opacity="0.6"/>')
    svg("EDITOR_light_off", 12, 12, '<circle cx="6" cy="6" r="5.5" fill="#4A1C1A" stroke="#000" stroke-opacity="0.5"/>')
    svg("EDITOR_oled", 170, 52, rect(0.5, 0.5, 169, 51, 3, "#050607", "#2E4A5C"))
    svg("EDITOR_status_background", 420, 64, rect(0.5, 0.5, 419, 63, 6, "url(#g)", "#3A3A42"),
        vgrad("g", "#2A2A30", "#1E1E22"))


# --- Settings and the empty-state screen ---------------------------------------------------

def settings():
    push_family("SETTINGS_update", 112, 28, "UPDATE", accent=YELLOW)
    push_family("SETTINGS_restore", 112, 28, "RESTORE", accent=RED)
    push_family("SETTINGS_value", 72, 26, "")
    looks = {"_selected": (YELLOW, YELLOW, "#1A1A1A"), "_deselected": ("#1C1C20", "#6A6A72", None),
             "_hover": ("#2A2A30", "#D8D8DE", None), "_pressed": ("#9A9020", "#6A6A72", "#1A1A1A")}
    for state, (fill, edge, tick) in looks.items():
        body = rect(1, 1, 16, 16, 3, fill, edge, 1.5)
        if tick:
            body += f'<polyline points="4.5,9.5 7.5,12.5 13.5,5.5" fill="none" stroke="{tick}" stroke-width="2.2" stroke-linecap="round" stroke-linejoin="round"/>'
        svg("SETTINGS_checkbox" + state, 18, 18, body)
    body = rect(0.5, 0.5, 15, 23, 4, "url(#g)", "#111") + '<line x1="8" y1="6" x2="8" y2="18" stroke="#333" stroke-width="1.5"/>'
    svg("SETTINGS_slider_thumb", 16, 24, body, vgrad("g", "#E6E6EA", "#9A9AA2"))
    svg("SETTINGS_slider_track", 200, 6, rect(0.5, 0.5, 199, 5, 2.5, "#0B0B0D", "#3A3A42"))
    body = f'<circle cx="8" cy="8" r="7.5" fill="{YELLOW}"/>' + text(8, 12.2, "!", 11, "#1A1A1A", 700)
    svg("SETTINGS_firmware_available", 16, 16, body)
    svg("SETTINGS_divider", 2, 18, rect(0.5, 0, 1, 18, 0, "#FFFFFF", extra='fill-opacity="0.35"'))
    push_family("NOTHING_install_driver", 150, 32, "INSTALL DRIVER", accent=YELLOW, size=12)


def main():
    window_background()
    app_icon()
    header_buttons()
    pedalboards()
    selector_icons()
    header_tabs()
    transfers_slots()
    transfers_small()
    drag_images()
    transfers_buttons()
    editor_rows()
    fader_caps()
    knob()
    switches()
    editor_misc()
    settings()
    os.makedirs(OUT, exist_ok=True)
    for old in os.listdir(OUT):
        if old.endswith(".svg") and old[:-4] not in images:
            os.remove(os.path.join(OUT, old))
    for name, content in sorted(images.items()):
        with open(os.path.join(OUT, name + ".svg"), "w", encoding="utf-8") as f:
            f.write(content)
    print(f"{len(images)} images in {os.path.normpath(OUT)}", file=sys.stderr)


if __name__ == "__main__":
    main()
