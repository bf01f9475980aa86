#!/usr/bin/env python3
"""Writes the start-gun sound: a short cannon-like report (a sharp crack
decaying into a low rumble), 16-bit mono WAVE at 22050 Hz, deterministic."""
import math
import random
import struct
import sys

RATE = 22050
SECONDS = 1.2


def main(path):
    rng = random.Random(20090719)
    n = int(RATE * SECONDS)
    samples = []
    low = 0.0
    for i in range(n):
        t = i / RATE
        noise = rng.uniform(-1.0, 1.0)
        # One-pole low-pass turns the white noise into a boom.
        low += 0.06 * (noise - low)
        crack = noise * math.exp(-t * 60.0)
        boom = low * 3.5 * math.exp(-t * 4.5)
        thump = math.sin(2 * math.pi * 55 * t) * math.exp(-t * 9.0) * 0.6
        attack = min(1.0, t / 0.002)
        value = attack * (0.55 * crack + boom + thump)
        samples.append(max(-1.0, min(1.0, value)))
    data = b"".join(struct.pack("<h", int(s * 30000)) for s in samples)
    header = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVE"
    header += b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, RATE, RATE * 2, 2, 16)
    header += b"data" + struct.pack("<I", len(data))
    with open(path, "wb") as f:
        f.write(header + data)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "gun.wav")
