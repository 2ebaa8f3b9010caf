#!/usr/bin/env python3
"""Describes real packages, and packages that rpmbuild makes here with random
contents, through vantrel-describe or through the test host under Wine, and
holds every description against rpm's own reading of the same package."""

import argparse
import calendar
import os
import random
import shutil
import subprocess
import sys
import time

# (label, rpm query, rendering); the order is the description's.
FIELDS = [
    ("Name: ", "NAME", "inline"),
    ("Version: ", "VERSION", "inline"),
    ("Release: ", "RELEASE", "inline"),
    ("Vendor: ", "VENDOR", "inline"),
    ("Size: ", "SIZE", "inline"),
    ("Build Date: ", "BUILDTIME", "date"),
    ("Build Host: ", "BUILDHOST", "inline"),
    ("Group: ", "GROUP", "inline"),
    ("License: ", "LICENSE", "inline"),
    ("Packager: ", "PACKAGER", "inline"),
    ("Source RPM: ", "SOURCE", "source"),
    ("URL: ", "URL", "inline"),
    ("Summary: ", "SUMMARY", "inline"),
    ("Description: ", "DESCRIPTION", "below"),
]
DAYS = ["Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"]
MONTHS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]
SEP = "\x01VANTREL\x01"


def rpm_fields(path):
    """Each field's text as rpm reads it, or None when rpm cannot read the package."""
    parts = []
    for _, tag, rendering in FIELDS:
        if tag == "SIZE":  # 4 GiB and more, and rpm 6 packages: LONGSIZE only
            parts.append("%|SIZE?{%{SIZE}}:{%|LONGSIZE?{%{LONGSIZE}}:{}|}|")
        elif rendering == "source":  # an array in source packages: every element and ", "
            parts.append("%|SOURCE?{[%{SOURCE}, ]}:{%|SOURCERPM?{%{SOURCERPM}}:{}|}|")
        else:
            parts.append("%|" + tag + "?{%{" + tag + "}}:{}|")
    query = SEP.join(parts)
    env = dict(os.environ, LC_ALL="C")
    run = subprocess.run(["rpm", "-qp", "--nosignature", "--nodigest", "--qf", query, path],
                         capture_output=True, env=env)
    if run.returncode != 0:
        return None
    return run.stdout.split(SEP.encode())


def build_date(seconds, style):
    t = time.gmtime(int(seconds))
    date = f"{DAYS[t.tm_wday]} {t.tm_mday:02d} {MONTHS[t.tm_mon - 1]} {t.tm_year:04d} "
    if style == "c":  # the C locale: 24-hour clock with a leading zero
        return date + f"{t.tm_hour:02d}:{t.tm_min:02d}:{t.tm_sec:02d}"
    hour = (t.tm_hour + 11) % 12 + 1  # English (United States): h:mm:ss AM
    return date + f"{hour}:{t.tm_min:02d}:{t.tm_sec:02d} " + ("AM" if t.tm_hour < 12 else "PM")


def expected_description(values, style):
    text = b""
    for (label, _, rendering), value in zip(FIELDS, values):
        if not value:
            continue
        if rendering == "date":
            value = build_date(value, style).encode()
        text += label.encode()
        if rendering == "below":
            text += b"\r\n"
        text += value + b"\r\n"
    return text[:32766]


class Cli:
    style = "c"

    def __init__(self, program):
        self.program = program

    def describe(self, paths):
        env = dict(os.environ, LC_ALL="C")
        results = {}
        for path in paths:
            run = subprocess.run([self.program, path], capture_output=True, env=env, timeout=60)
            results[path] = (run.returncode, run.stdout, run.stderr.decode(errors="replace"))
        return results


class Host:
    """catalune-host.exe under Wine, one run for all files: its stdout and stderr
    share one pipe, so each text is followed by its "FILE: result N" line."""
    style = "en-us"

    def __init__(self, program, wine):
        self.program, self.wine = program, wine

    def describe(self, paths):
        names = ["Z:" + p.replace("/", "\\") for p in paths]
        run = subprocess.run([self.wine, self.program, "--lcid", "0409", "describe", *names],
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=1200)
        if run.returncode == 77:  # this machine cannot run the program under Wine
            print(run.stdout.decode(errors="replace"))
            sys.exit(77)
        output, results = run.stdout, {}
        for path, name in zip(paths, names):
            marker = f"{name}: result ".encode()
            at = output.index(marker)
            end = output.index(b"\n", at)
            code = int(output[at + len(marker):end].strip())
            results[path] = (code, output[:at], "")
            output = output[end + 1:]
        return results


def random_text(rng, length, alphabet="abcdefghijklmnopqrstuvwxyz ABCDEFGHIJ0123456789-_.,:;!?()"):
    return "".join(rng.choice(alphabet) for _ in range(length)).strip() or "x"


def build_random_packages(work, count, seed):
    """Packages with random names, versions, texts and build times, made by rpmbuild."""
    rng = random.Random(seed)
    top = os.path.join(work, "rpmbuild")
    shutil.rmtree(top, ignore_errors=True)
    made = []
    for i in range(count):
        name = f"vt{i}-" + random_text(rng, 8, "abcdefghijklmnopqrstuvwxyz0123456789")
        fields = {
            "Name": name,
            "Version": f"{rng.randint(0, 99)}.{rng.randint(0, 999)}",
            "Release": f"{rng.randint(1, 50)}.test",
            "Summary": random_text(rng, rng.randint(1, 70)),
            "License": rng.choice(["GPL-2.0-or-later", "MIT", "BSD-3-Clause"]),
            "Group": "Development/Tools",
            "BuildArch": "noarch",
        }
        if rng.random() < 0.6:
            fields["Vendor"] = random_text(rng, 20)
        if rng.random() < 0.6:
            fields["Packager"] = random_text(rng, 20) + " <p@example.org>"
        if rng.random() < 0.6:
            fields["URL"] = "https://example.org/" + random_text(rng, 10, "abcdefghij")
        description = "\n".join(random_text(rng, rng.randint(1, 70)) for _ in range(rng.randint(1, 6)))
        payload = "x" * rng.randint(0, 5000)
        spec = "".join(f"{k}: {v}\n" for k, v in fields.items())
        spec += f"\n%description\n{description}\n\n%install\nmkdir -p %{{buildroot}}/opt/{name}\n"
        spec += f"printf '%s' '{payload}' > %{{buildroot}}/opt/{name}/data\n\n%files\n/opt/{name}\n"
        spec_path = os.path.join(work, f"{name}.spec")
        with open(spec_path, "w") as f:
            f.write(spec)
        env = dict(os.environ, SOURCE_DATE_EPOCH=str(rng.randint(0, 2**31 - 1)), LC_ALL="C")
        subprocess.run(["rpmbuild", "-bb", "--quiet", "--define", f"_topdir {top}",
                        "--define", "use_source_date_epoch_as_buildtime 1",
                        "--define", "_buildhost build-" + str(i) + ".example.org", spec_path],
                       check=True, env=env, capture_output=True)
    for root, _, files in os.walk(os.path.join(top, "RPMS")):
        made += [os.path.join(root, f) for f in files if f.endswith(".rpm")]
    return sorted(made)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli")
    parser.add_argument("--host")
    parser.add_argument("--wine")
    parser.add_argument("--packages", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--random", type=int, default=12)
    args = parser.parse_args()
    tool = Cli(args.cli) if args.cli else Host(args.host, args.wine)
    os.makedirs(args.work, exist_ok=True)

    real = sorted(os.path.join(args.packages, f) for f in os.listdir(args.packages)
                  if os.path.isfile(os.path.join(args.packages, f)) and ".rpm" in f)
    broken = sorted(os.path.join(args.packages, "broken", f) for f in os.listdir(os.path.join(args.packages, "broken")))
    built = build_random_packages(args.work, args.random, 2026) if shutil.which("rpmbuild") else []
    results = tool.describe(real + broken + built)
    failures, compared = [], 0
    for path in real + built:
        values = rpm_fields(path)
        if values is None:
            failures.append(f"{path}: rpm cannot read it")
            continue
        code, text, err = results[path]
        want = expected_description(values, tool.style)
        compared += 1
        if code != 0 or text != want:
            failures.append(f"{path}: exit {code} {err}\n  want {want!r}\n  got  {text!r}")
    for path in broken:  # damaged files: a clear answer, never a crash
        code, _, err = results[path]
        if code not in (0, 1, -3):
            failures.append(f"{path}: unexpected exit {code} {err}")
    for f in failures:
        print("FAIL", f)
    print(f"end-to-end: {compared} packages compared with rpm ({len(built)} built here), "
          f"{len(broken)} damaged files described")
    print(f"{compared + len(broken) - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
