#!/usr/bin/env python3
"""Writes the placeholder firmware image: 260,096 bytes, pseudo-random content up to offset
0x2500E and 0xFF from there to the end, the shape of the real image. Deterministic, so the file
in the repository can be made again byte for byte."""
import sys

SIZE = 260_096
CONTENT_END = 0x2500E


def main() -> None:
    out = sys.argv[1] if len(sys.argv) > 1 else "firmware.bin"
    state = 0x2545F491
    data = bytearray()
    while len(data) < CONTENT_END:
        # xorshift32: every byte value occurs, 0x00 and 0x0A among them
        state ^= (state << 13) & 0xFFFFFFFF
        state ^= state >> 17
        state ^= (state << 5) & 0xFFFFFFFF
        data.append(state & 0xFF)
    data += b"\xff" * (SIZE - CONTENT_END)
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
