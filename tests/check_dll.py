#!/usr/bin/env python3
"""Reads Vantrel.dll with objdump and wrestool, as a loader and Explorer see
it: the exports (names, ordinals, nothing decorated), the DLLs it imports
(Windows' own only, so that no MinGW runtime is needed), for the 32-bit build
that every export and callback removes its own arguments (stdcall: each return
is "ret $N"), and the resources: the icon group and the version record."""

import argparse
import re
import struct
import subprocess
import sys

VERSION_KEYS = [
    ("CompanyName", None), ("FileDescription", "Linux RPM File Description Module for Catalune"),
    ("FileVersion", "1.0.0.0"), ("InternalName", "Vantrel.dll"), ("LegalCopyright", None),
    ("LegalTrademarks", None), ("OriginalFilename", "Vantrel.dll"),
    ("ProductName", "Linux RPM File Description Module"), ("ProductVersion", "1.0.0.0"), ("Comments", "")]

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "msvcrt.dll", "advapi32.dll", "gdi32.dll", "ntdll.dll"}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--dll", required=True)
    parser.add_argument("--wrestool", required=True)
    parser.add_argument("--callback", action="append", default=[], help="NAME=ARGUMENT_BYTES, not exported")
    parser.add_argument("exports", nargs="+", help="NAME=ARGUMENT_BYTES, in ordinal order")
    args = parser.parse_args()
    wanted = [tuple(e.split("=")) for e in args.exports]
    callbacks = [tuple(e.split("=")) for e in args.callback]
    headers = subprocess.run([args.objdump, "-p", args.dll], capture_output=True, text=True, check=True).stdout
    failures, checks = [], 3

    imports = {m.lower() for m in re.findall(r"DLL Name: (\S+)", headers)}
    if not imports <= SYSTEM_DLLS:
        failures.append(f"imports DLLs that Windows does not ship: {sorted(imports - SYSTEM_DLLS)}")

    base = re.search(r"Ordinal Base\s+(\d+)", headers)
    if not base or base.group(1) != "1":
        failures.append("ordinal base is not 1")
    table = headers.split("[Ordinal/Name Pointer] Table", 1)[-1]
    names = re.findall(r"\[\s*(\d+)\] (\S+)", table.split("\n\n", 1)[0])
    got = [(int(index) + 1, name) for index, name in names]
    want = [(i + 1, name) for i, (name, _) in enumerate(wanted)]
    if sorted(got) != want:
        failures.append(f"exports {sorted(got)}, expected {want}")

    if "pei-i386" in subprocess.run([args.objdump, "-f", args.dll], capture_output=True, text=True).stdout:
        checks += len(wanted) + len(callbacks)
        code = subprocess.run([args.objdump, "-d", args.dll], capture_output=True, text=True, check=True).stdout
        for name, size in wanted + callbacks:
            body = re.search(r"<_?" + re.escape(name) + r"@" + size + r">:\n(.*?)(?:\n\n|\Z)", code, re.S)
            if not body:
                failures.append(f"{name}: no stdcall symbol {name}@{size}")
                continue
            rets = re.findall(r"\tret\w*\s*(\S*)", body.group(1))
            if not rets or any(r != f"$0x{int(size):x}" for r in rets):
                failures.append(f"{name}: returns with {rets}, expected ret $0x{int(size):x}")

    checks += check_resources(args.wrestool, args.dll, failures)
    for f in failures:
        print("FAIL", f)
    print(f"{args.dll}: imports {sorted(imports)}; exports {got}")
    print(f"{checks - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


def resource(wrestool, dll, kind, name):
    return subprocess.run([wrestool, "-x", "--raw", f"--type={kind}", f"--name={name}", "--language=0", dll],
                          capture_output=True, check=True).stdout


def check_resources(wrestool, dll, failures):
    """The icon group RPICON and version record 1, both under the neutral language."""
    group = resource(wrestool, dll, 14, "RPICON")
    if len(group) < 6:
        failures.append("no icon group RPICON under the neutral language")
        return 2
    count = struct.unpack_from("<H", group, 4)[0]
    entries = [struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i) for i in range(count)]
    shapes = [(w, h, bits, size) for w, h, _, _, _, bits, size, _ in entries]
    if shapes != [(32, 32, 8, 2216), (32, 32, 24, 3240)]:
        failures.append(f"icon group entries {shapes}")
    masks = set()
    for w, h, _, _, _, bits, size, ident in entries:
        image = resource(wrestool, dll, 3, ident)
        header = struct.unpack_from("<IiiHH", image) if len(image) >= 16 else None
        if len(image) != size or header != (40, 32, 64, 1, bits):
            failures.append(f"icon image {ident}: {len(image)} bytes, header {header}")
        masks.add(image[-128:])
    if len(masks) != 1:
        failures.append("the icon images do not share one transparency mask")

    fixed, tables, translation = parse_version(resource(wrestool, dll, 16, 1))
    if fixed != (0xFEEF04BD, 0x10000, 0x10000, 0, 0x10000, 0, 0x3F, 0, 4, 2, 0, 0, 0):
        failures.append(f"version record fixed part {[hex(v) for v in fixed]}")
    keys = tables.get("340A04E4", [])
    if [k for k, _ in keys] != [k for k, _ in VERSION_KEYS] or any(
            want is not None and got != want for (_, got), (_, want) in zip(keys, VERSION_KEYS)):
        failures.append(f"string tables {tables}")
    if list(tables) != ["340A04E4"] or translation != [(0x340A, 1252)]:
        failures.append(f"string tables {list(tables)}, translation {translation}")
    return 2


def parse_version(data):
    """Walks VS_VERSIONINFO: each block is length, value length, type, key, value, children."""
    def block(offset):
        length, value_length, kind = struct.unpack_from("<HHH", data, offset)
        end_key = data.index(b"\0\0", offset + 6)
        while (end_key - offset) % 2:
            end_key = data.index(b"\0\0", end_key + 1)
        key = data[offset + 6:end_key].decode("utf-16-le")
        value_at = (end_key + 2 + 3) & ~3
        value_bytes = value_length * 2 if kind == 1 else value_length
        children, child = [], (value_at + value_bytes + 3) & ~3
        while child < offset + length:
            children.append(block(child))
            child = (child + children[-1][4] + 3) & ~3
        return key, data[value_at:value_at + value_bytes], kind, children, length

    key, value, _, children, _ = block(0)
    fixed = struct.unpack("<13I", value) if key == "VS_VERSION_INFO" and len(value) == 52 else ()
    tables, translation = {}, []
    for name, _, _, grandchildren, _ in children:
        if name == "StringFileInfo":
            for table, _, _, strings, _ in grandchildren:
                tables[table] = [(k, v.decode("utf-16-le").rstrip("\0")) for k, v, _, _, _ in strings]
        elif name == "VarFileInfo":
            for _, pairs, _, _, _ in grandchildren:
                translation += [struct.unpack_from("<HH", pairs, i) for i in range(0, len(pairs), 4)]
    return fixed, tables, translation


if __name__ == "__main__":
    sys.exit(main())
