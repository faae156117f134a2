#!/usr/bin/env python3
"""The shipped files are 32-bit Windows programs, whichever configuration the tests run in:
PE32 for Intel 80386, and the two programs GUI programs (no console window).

check_i686_programs.py BIN_DIR
"""
import struct
import sys
from pathlib import Path

I386 = 0x14C
PE32 = 0x10B
GUI = 2
# File, and whether its subsystem must be GUI (the setup is whatever its stub is).
PROGRAMS = [("lotwise.exe", True), ("LotwiseMgr.exe", True), ("LotwiseSetup.exe", False)]


def pe_header(path):
    data = path.read_bytes()
    if data[:2] != b"MZ":
        raise ValueError("no MZ header")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("no PE signature")
    machine = struct.unpack_from("<H", data, pe + 4)[0]
    optional = pe + 24
    magic, = struct.unpack_from("<H", data, optional)
    subsystem, = struct.unpack_from("<H", data, optional + 68)
    return machine, magic, subsystem


def main():
    bin_dir = Path(sys.argv[1])
    failed = 0
    for name, gui in PROGRAMS:
        path = bin_dir / name
        try:
            machine, magic, subsystem = pe_header(path)
        except (OSError, ValueError, struct.error) as e:
            print(f"FAIL {name}: {e}")
            failed += 1
            continue
        faults = []
        if machine != I386:
            faults.append(f"machine 0x{machine:x}, not Intel 80386")
        if magic != PE32:
            faults.append(f"optional header 0x{magic:x}, not PE32")
        if gui and subsystem != GUI:
            faults.append(f"subsystem {subsystem}, not GUI")
        print(("FAIL " if faults else "ok   ") + name + (": " + "; ".join(faults) if faults else ""))
        failed += bool(faults)
    print(f"{len(PROGRAMS) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
