#!/usr/bin/env python3
"""Writes IDW_CASH_ADDED.wav: a short bright two-note chime (about a quarter of a second).

Run again to regenerate; the output is deterministic.
"""
import math
import struct
import sys
import wave

RATE = 16000


def note(freq, start, length, volume):
    samples = []
    for i in range(int(length * RATE)):
        t = i / RATE
        attack = min(1.0, t / 0.004)
        decay = math.exp(-t * 18.0)
        tone = (math.sin(2 * math.pi * freq * t)
                + 0.35 * math.sin(2 * math.pi * 2 * freq * t)
                + 0.15 * math.sin(2 * math.pi * 3 * freq * t))
        samples.append((int((start + t) * RATE), volume * attack * decay * tone))
    return samples


def main(path):
    total = int(0.28 * RATE)
    mix = [0.0] * total
    for at, value in note(1318.5, 0.0, 0.14, 0.35) + note(1975.5, 0.07, 0.21, 0.38):
        if at < total:
            mix[at] += value
    peak = max(abs(v) for v in mix)
    frames = b"".join(struct.pack("<h", int(v / peak * 0.8 * 32767)) for v in mix)
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(frames)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "IDW_CASH_ADDED.wav")
