#!/usr/bin/env python3
"""Writes the Brivo effect catalogue into resources/catalogue/ from tools/catalogue_data.py.

The build compiles the files in resources/catalogue/ into the editor as they stand; it
does not run this script. Run it after changing catalogue_data.py and commit its output:

    python3 tools/gen_catalogue.py           # regenerate resources/catalogue/
    python3 tools/gen_catalogue.py --check   # fail if the committed files are stale

Output, one file per resource, named by the upper-case resource name without extension:
  EFFECT_LIST     "0:empty" then "<number in hex>:<display name>" for every effect
  GAIN, ...       the seven category lists, display names in EFFECT_LIST order
  <R>             the effect program: one line of upper-case hex pairs
  <R>_CTRLS       the control descriptor
  <R>_INFO        the information page (HTML 4.0, windows-1252, ASCII only)

The programs are stand-ins for the maker's effect code, built for the virtual pedal:
a real header (length, parameter addresses, effect number and version), the
impulse-response block where the IR loader expects it, and a hash-derived filler
elsewhere. Everything is derived from the data, so every run writes the same bytes.
Python 3 standard library only.
"""

import argparse
import hashlib
import html
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import catalogue_data  # noqa: E402
from resource_files import sync_files  # noqa: E402

CRLF = "\r\n"
MIN_PROGRAM_BYTES = 1280
MAX_PROGRAM_BYTES = 9472
PROGRAM_ALIGN_BYTES = 32
MAX_PARAMS = 24
HEADER_END_BYTE = 64  # last byte of the second address table
NUMBER_BYTE = 35
VERSION_BYTE = 36
IR_FIRST_WORD = bytes.fromhex("FF800000")
CATEGORY_SIZES = [13, 16, 12, 4, 2, 4, 7]


class CatalogueError(Exception):
    pass


def resource_name_of(display_name):
    """Same rule as the editor's resource_name_of: applied in this order, every occurrence."""
    return (display_name.replace(" ", "_").replace("-", "_").replace("+", "plus")
            .replace("X", "mult"))


def address_offset(index):
    """First byte of parameter `index`'s 16-bit address in the program header."""
    return 3 + 2 * index if index < 16 else 49 + 2 * (index - 16)


def switch_texts(line):
    """(name, off text, on text) of a switch line, as the parameter window reads it."""
    parts = line.split(":", 2)
    if len(parts) == 1:
        return line, line, line
    if len(parts) == 2:
        return parts[0], parts[1], parts[1]
    return parts[0], parts[1], parts[2]


def multi_parts(line):
    """(name, options) of a multi-switch line."""
    parts = line.split(";")
    return parts[0], parts[1:]


def param_name(kind, line):
    if kind == "pot":
        return line
    if kind == "switch":
        return switch_texts(line)[0]
    return multi_parts(line)[0]


def params_of(effect):
    return ([("pot", p) for p in effect["pots"]] + [("switch", s) for s in effect.get("switches", [])]
            + [("multi", m) for m in effect.get("multis", [])])


def hash_stream(seed, length):
    """Deterministic bytes from SHA-256 in counter mode: the same on every machine and version."""
    out = bytearray()
    counter = 0
    while len(out) < length:
        out += hashlib.sha256(f"{seed}:{counter}".encode("ascii")).digest()
        counter += 1
    return bytes(out[:length])


def parameter_addresses(resource, count):
    """Distinct, non-zero 16-bit addresses in the pedal's parameter memory (0x0100 to 0x7FFF)."""
    addresses = []
    stream = hash_stream(resource + ":addresses", 4 * count + 64)
    for i in range(0, len(stream), 2):
        value = 0x0100 + int.from_bytes(stream[i:i + 2], "big") % 0x7F00
        if value not in addresses:
            addresses.append(value)
        if len(addresses) == count:
            return addresses
    raise CatalogueError(f"{resource}: could not draw {count} distinct addresses")


def build_program(number, effect):
    resource = resource_name_of(effect["name"])
    size = effect["size"]
    program = bytearray(hash_stream(resource + ":program", size))
    program[0:3] = size.to_bytes(3, "big")
    params = params_of(effect)
    addresses = parameter_addresses(resource, len(params))
    for index in range(MAX_PARAMS):
        value = addresses[index] if index < len(params) else 0
        program[address_offset(index):address_offset(index) + 2] = value.to_bytes(2, "big")
    program[NUMBER_BYTE] = number
    program[VERSION_BYTE] = effect["version"]
    region = catalogue_data.IR_REGIONS.get(effect["name"])
    if region:
        first, words = region
        program[first:first + 4 * words] = IR_FIRST_WORD + bytes(4 * (words - 1))
    return program.hex().upper()


def build_descriptor(effect):
    params = params_of(effect)
    counts = (len(effect["pots"]), len(effect.get("switches", [])), len(effect.get("multis", [])))
    lines = ["%X%X%X" % counts] + [line for _, line in params]
    if effect.get("blank_tail"):
        lines.append("")
    eol = "\n" if effect.get("eol") == "lf" else CRLF
    text = eol.join(lines)
    if effect.get("final_break", True) or effect.get("blank_tail"):
        text += eol
    return text


def describe_param(kind, line):
    if kind == "pot":
        return "knob"
    if kind == "switch":
        _, off, on = switch_texts(line)
        return "switch" if off == on else f"switch: {off} / {on}"
    return "selector: " + ", ".join(multi_parts(line)[1])


def build_info(number, effect):
    def e(text):
        return html.escape(text, quote=False)

    name = effect["name"]
    help_texts = effect.get("help", {})
    out = [
        '<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.0 Transitional//EN">',
        "<html>",
        "<head>",
        '<meta http-equiv="Content-Type" content="text/html; charset=windows-1252">',
        f"<title>{e(name)} - Brivo effect</title>",
        "</head>",
        '<body bgcolor="#FFFFFF" text="#202020">',
        f'<h2><font face="Arial">{e(name)}</font></h2>',
        f"<p><i>Category: {e(effect['category'])}. Effect {number}, version {effect['version']}.</i></p>",
    ]
    out += [f"<p>{e(paragraph)}</p>" for paragraph in effect["about"]]
    if effect.get("image"):
        src, alt = effect["image"]
        out.append(f'<p><img src="{html.escape(src)}" alt="{html.escape(alt)}" width="240" '
                   'height="160"></p>')
    out += ["<h3>Controls</h3>", "<dl>"]
    for kind, line in params_of(effect):
        pname = param_name(kind, line)
        text = help_texts.get(pname) or catalogue_data.GLOSSARY.get(pname)
        if not text:
            raise CatalogueError(f"{name}: no help text for parameter {pname!r}")
        out.append(f"<dt><b>{e(pname)}</b> ({e(describe_param(kind, line))})</dt>")
        out.append(f"<dd>{e(text)}</dd>")
    out += [
        "</dl>",
        "<p>Any control can be assigned to one of the pedal's footswitches, knobs or the expression "
        "input in the FX Parameters window.</p>",
        "</body>",
        "</html>",
    ]
    return CRLF.join(out) + CRLF


def check_effect(number, effect):
    name = effect["name"]
    resource = resource_name_of(name)
    if not re.fullmatch(r"[A-Za-z0-9_]+", resource):
        raise CatalogueError(f"{name}: resource name {resource!r} is not a plain file name")
    size = effect["size"]
    if not (MIN_PROGRAM_BYTES <= size <= MAX_PROGRAM_BYTES) or size % PROGRAM_ALIGN_BYTES:
        raise CatalogueError(f"{name}: program size {size} out of range or not a multiple of 32")
    if not 1 <= effect["version"] <= 9:
        raise CatalogueError(f"{name}: version {effect['version']} not in 1..9")
    params = params_of(effect)
    if not effect["pots"] or len(params) > MAX_PARAMS:
        raise CatalogueError(f"{name}: needs 1 pot at least and 24 parameters at most")
    if max(len(effect["pots"]), len(effect.get("switches", [])), len(effect.get("multis", []))) > 15:
        raise CatalogueError(f"{name}: a count does not fit one hex digit")
    for kind, line in params:
        if not line or line != line.strip() or "\r" in line or "\n" in line:
            raise CatalogueError(f"{name}: bad parameter line {line!r}")
        if kind == "pot" and (":" in line or ";" in line):
            raise CatalogueError(f"{name}: pot line {line!r} holds a separator")
        if kind == "switch" and ";" in line:
            raise CatalogueError(f"{name}: switch line {line!r} holds ';'")
        if kind == "multi":
            options = multi_parts(line)[1]
            if not 2 <= len(options) <= 16 or not all(options):
                raise CatalogueError(f"{name}: multi-switch {line!r} needs 2 to 16 non-empty options")
    names = [param_name(kind, line) for kind, line in params]
    if len(set(names)) != len(names):
        raise CatalogueError(f"{name}: parameter names repeat")
    region = catalogue_data.IR_REGIONS.get(name)
    if region:
        first, words = region
        if first <= HEADER_END_BYTE or first + 4 * words > size:
            raise CatalogueError(f"{name}: IR region does not fit the program")
    if number > 0xFF:
        raise CatalogueError(f"{name}: effect number {number} does not fit a byte")


def build_catalogue():
    """All resources as {file name: bytes}."""
    effects = catalogue_data.EFFECTS
    category_names = [display for display, _ in catalogue_data.CATEGORIES]
    files = {}
    upper_names = set()
    for number, effect in enumerate(effects, start=1):
        check_effect(number, effect)
        if effect["category"] not in category_names:
            raise CatalogueError(f"{effect['name']}: unknown category {effect['category']!r}")
        upper = resource_name_of(effect["name"]).upper()
        if upper in upper_names:
            raise CatalogueError(f"{effect['name']}: resource name {upper} is taken")
        upper_names.add(upper)
        files[upper] = build_program(number, effect)
        files[upper + "_CTRLS"] = build_descriptor(effect)
        files[upper + "_INFO"] = build_info(number, effect)

    for name in catalogue_data.IR_REGIONS:
        if not any(e["name"] == name and e["category"] == "Impulse Response" for e in effects):
            raise CatalogueError(f"IR effect {name!r} missing from the Impulse Response category")

    files["EFFECT_LIST"] = CRLF.join(
        ["0:empty"] + ["%X:%s" % (n, e["name"]) for n, e in enumerate(effects, start=1)])
    for (display, resource), expected in zip(catalogue_data.CATEGORIES, CATEGORY_SIZES):
        members = [e["name"] for e in effects if e["category"] == display]
        if len(members) != expected:
            raise CatalogueError(f"category {display} holds {len(members)} effects, not {expected}")
        if resource in files:
            raise CatalogueError(f"category list {resource} clashes with an effect resource")
        files[resource] = CRLF.join(members)

    images = [e["name"] for e in effects if e.get("image")]
    if len(images) != 1:
        raise CatalogueError(f"exactly one page should show an illustration, not {images}")

    out = {}
    for name, text in files.items():
        data = text.encode("ascii")  # raises on any non-ASCII text
        out[name] = data
    return out


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(here, "..", "resources", "catalogue"))
    parser.add_argument("--check", action="store_true", help="compare with the files, write nothing")
    args = parser.parse_args()

    try:
        files = build_catalogue()
    except CatalogueError as error:
        print(f"gen_catalogue: {error}", file=sys.stderr)
        return 1

    return sync_files("gen_catalogue", args.out, files, args.check)

if __name__ == "__main__":
    sys.exit(main())
