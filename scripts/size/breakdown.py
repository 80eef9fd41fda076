"""Sums the bytes of a GNU ld link map by library and by object file.

Reads the "Linker script and memory map" part of a map written with -Wl,-Map and counts every
input section of code and constant data (.text, .rdata, .data, .pdata, .xdata, .rodata) that the
link kept. Sections dropped by --gc-sections or discarded as duplicate COMDATs are not listed
there, so the sums are what the image holds before the file alignment of its sections.
"""
import collections
import re
import sys

SECTION_OF_INTEREST = re.compile(r"\.(text|rdata|data|pdata|xdata|rodata)")
# " .text  0x0000000140001000  0x1a0 path/to/object.o" (the name may sit alone on the line before)
PLACED_INPUT = re.compile(r"^ (\S+)?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S+)\s*$")
NAME_ALONE = re.compile(r"^ (\.\S+)\s*$")
ARCHIVE_MEMBER = re.compile(r"([^/\\]+\.a)\(([^)]+)\)")


def object_key(path):
    member = ARCHIVE_MEMBER.search(path)
    if member:
        return member.group(1) + ":" + member.group(2)
    return path.replace("\\", "/").split("/")[-1]


def sizes_by_object(map_path):
    sizes = collections.Counter()
    in_memory_map = False
    pending_name = None
    with open(map_path, encoding="utf-8", errors="replace") as lines:
        for line in lines:
            if line.startswith("Linker script and memory map"):
                in_memory_map = True
                continue
            if not in_memory_map:
                continue
            placed = PLACED_INPUT.match(line)
            if not placed:
                alone = NAME_ALONE.match(line)
                pending_name = alone.group(1) if alone else None
                continue
            section = placed.group(1) or pending_name
            pending_name = None
            if not section or int(placed.group(2), 16) == 0:
                continue
            if not SECTION_OF_INTEREST.match(section):
                continue
            sizes[object_key(placed.group(4))] += int(placed.group(3), 16)
    return sizes


def library_of(key):
    return key.split(":")[0] if ":" in key else "(project objects)"


def main():
    if len(sys.argv) < 2:
        sys.exit("usage: breakdown.py LINK.map [OBJECT_COUNT]")
    object_count = int(sys.argv[2]) if len(sys.argv) > 2 else 40
    sizes = sizes_by_object(sys.argv[1])
    by_library = collections.Counter()
    for key, size in sizes.items():
        by_library[library_of(key)] += size
    print(f"{sum(sizes.values()):9d} total (code and data sections)")
    print("-- by library")
    for name, size in by_library.most_common(20):
        print(f"{size:9d} {name}")
    print(f"-- by object (largest {object_count})")
    for name, size in sizes.most_common(object_count):
        print(f"{size:9d} {name}")


if __name__ == "__main__":
    main()
