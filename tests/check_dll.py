#!/usr/bin/env python3
"""Reads Vantrel.dll with objdump, as a loader sees it: the exports (names,
ordinals, nothing decorated), the DLLs it imports (Windows' own only, so that
no MinGW runtime is needed), and, for the 32-bit build, that every export
removes its own arguments (stdcall: each return is "ret $N")."""

import argparse
import re
import subprocess
import sys

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "msvcrt.dll", "advapi32.dll", "gdi32.dll", "ntdll.dll"}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--dll", required=True)
    parser.add_argument("exports", nargs="+", help="NAME=ARGUMENT_BYTES, in ordinal order")
    args = parser.parse_args()
    wanted = [tuple(e.split("=")) for e in args.exports]
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
        checks += len(wanted)
        code = subprocess.run([args.objdump, "-d", args.dll], capture_output=True, text=True, check=True).stdout
        for name, size in wanted:
            body = re.search(r"<_?" + re.escape(name) + r"@" + size + r">:\n(.*?)(?:\n\n|\Z)", code, re.S)
            if not body:
                failures.append(f"{name}: no stdcall symbol {name}@{size}")
                continue
            rets = re.findall(r"\tret\w*\s*(\S*)", body.group(1))
            if not rets or any(r != f"$0x{int(size):x}" for r in rets):
                failures.append(f"{name}: returns with {rets}, expected ret $0x{int(size):x}")

    for f in failures:
        print("FAIL", f)
    print(f"{args.dll}: imports {sorted(imports)}; exports {got}")
    print(f"{checks - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
