#!/usr/bin/env python3
"""Every build flavour this processor can run searches the same tree.

Flavours: x86-64 (portable), x86-64-v2, x86-64-v3 and native. Each one the
compiler knows and this processor can run is built (Release, build-flavour-<name>,
the engine alone) and checked against the node-count signature at depth 8. The
flavour the default build (build/, ARCH=auto) picked is not built again: its
depth-8 signature is a test of its own, and here it is checked at depth 10.
The others are skipped, each with its reason.

Usage: tools/flavours.py [--jobs 2] [--default-build build]
"""

import argparse
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# What the processor must have for each level, as the macros the compiler
# defines for -march=native (the v2 list is the one CMakeLists.txt checks for ARCH=auto).
V2 = ["__POPCNT__", "__SSE4_2__", "__SSSE3__", "__SSE4_1__"]
V3 = V2 + ["__AVX2__", "__BMI__", "__BMI2__", "__LZCNT__", "__FMA__", "__F16C__", "__MOVBE__"]
FLAVOURS = [("x86-64", []), ("x86-64-v2", V2), ("x86-64-v3", V3), ("native", [])]


def compiler():
    return os.environ.get("CXX") or "c++"


def macros(march):
    """The macros the compiler defines for -march=<march>, or None if it refuses it."""
    out = subprocess.run([compiler(), f"-march={march}", "-dM", "-E", "-x", "c++", "/dev/null"],
                         capture_output=True, text=True)
    return None if out.returncode != 0 else set(re.findall(r"#define (\w+)", out.stdout))


def default_flavour(build):
    try:
        with open(os.path.join(build, "CMakeCache.txt")) as cache:
            found = re.search(r"^TARNIC_ARCH_USED:INTERNAL=(.*)$", cache.read(), re.M)
    except OSError:
        return None
    return found.group(1) if found else None


def signature(engine, depth):
    print(f"  signature at depth {depth}: {os.path.relpath(engine, ROOT)}", flush=True)
    return subprocess.run([sys.executable, os.path.join(ROOT, "tools", "signature.py"), "--engine", engine,
                           "--depth", str(depth), "--check", os.path.join(ROOT, "tools", "signature.txt")]
                          ).returncode == 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--default-build", default=os.path.join(ROOT, "build"))
    args = parser.parse_args()

    native = macros("native")
    default = default_flavour(args.default_build)
    checked, skipped, failed = [], [], []
    for name, needs in FLAVOURS:
        print(f"== {name}", flush=True)
        if macros(name) is None:
            skipped.append((name, f"{compiler()} does not know -march={name}"))
            continue
        missing = [m.strip("_") for m in needs if native is None or m not in native]
        if missing:
            skipped.append((name, "this processor lacks " + ", ".join(missing)))
            continue
        if name == default:
            engine = os.path.join(args.default_build, "tarnic")
            ok = os.path.exists(engine) and signature(engine, 10)
        else:
            build = os.path.join(ROOT, f"build-flavour-{name}")
            ok = (subprocess.run(["cmake", "-S", ROOT, "-B", build, "-DCMAKE_BUILD_TYPE=Release",
                                  f"-DTARNIC_ARCH={name}"], stdout=subprocess.DEVNULL).returncode == 0 and
                  subprocess.run(["cmake", "--build", build, f"-j{args.jobs}", "--target", "tarnic"],
                                 stdout=subprocess.DEVNULL).returncode == 0 and
                  signature(os.path.join(build, "tarnic"), 8))
        (checked if ok else failed).append(name + (" (the default build)" if name == default else ""))

    print("flavours checked: " + (", ".join(checked) or "none"))
    for name, why in skipped:
        print(f"flavour skipped: {name}: {why}")
    if failed:
        print("flavours FAILED: " + ", ".join(failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
