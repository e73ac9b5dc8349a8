#!/usr/bin/env python3
"""Writes the birthday song as a WAV file: "Happy Birthday to You" (a public
domain melody), played once on a soft plucked tone with a plain bass.

Usage: make_song.py OUT.wav
The build turns the WAV into the program's MP3 with lame."""

import math
import struct
import sys
import wave

RATE = 22050
BEAT = 0.42  # seconds per quarter note

# Semitones above A4 (440 Hz); None is a rest. Lengths in beats (3/4 time).
A4 = 440.0
NOTES = {"G4": -2, "A4": 0, "B4": 2, "C5": 3, "D5": 5, "E5": 7, "F5": 8, "G5": 10}
MELODY = [
    ("G4", 0.75), ("G4", 0.25), ("A4", 1), ("G4", 1), ("C5", 1), ("B4", 2),
    ("G4", 0.75), ("G4", 0.25), ("A4", 1), ("G4", 1), ("D5", 1), ("C5", 2),
    ("G4", 0.75), ("G4", 0.25), ("G5", 1), ("E5", 1), ("C5", 1), ("B4", 1), ("A4", 1),
    ("F5", 0.75), ("F5", 0.25), ("E5", 1), ("C5", 1), ("D5", 1), ("C5", 3),
]
# One bass note per bar (C, G, G, C, C, F, C G, C), bars of three beats after
# the one-beat pickup.
BASS = [("C3", 3), ("G2", 3), ("G2", 3), ("C3", 3), ("C3", 3), ("F2", 3), ("C3", 1.5), ("G2", 1.5), ("C3", 3)]
BASS_FREQ = {"C3": 130.81, "G2": 98.0, "F2": 87.31}


def freq(name):
    return A4 * 2 ** (NOTES[name] / 12)


def tone(f, seconds, volume, decay):
    n = int(seconds * RATE)
    out = []
    for i in range(n):
        t = i / RATE
        env = min(1.0, t / 0.01) * math.exp(-decay * t)
        release = min(1.0, (n - i) / (0.02 * RATE))
        s = math.sin(2 * math.pi * f * t) + 0.35 * math.sin(4 * math.pi * f * t) + 0.12 * math.sin(6 * math.pi * f * t)
        out.append(volume * env * release * s)
    return out


def render(notes, lookup, volume, decay, offset_beats=0.0):
    samples = [0.0] * int(offset_beats * BEAT * RATE)
    for name, beats in notes:
        samples.extend(tone(lookup(name), beats * BEAT, volume, decay))
    return samples


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_song.py OUT.wav")
    melody = render(MELODY, freq, 0.45, 2.2)
    bass = render(BASS, BASS_FREQ.get, 0.25, 1.2, offset_beats=1.0)
    length = max(len(melody), len(bass)) + int(0.5 * RATE)
    mix = [0.0] * length
    for i, s in enumerate(melody):
        mix[i] += s
    for i, s in enumerate(bass):
        mix[i] += s
    peak = max(abs(s) for s in mix) or 1.0
    frames = b"".join(struct.pack("<h", int(32000 * s / peak * 0.8)) for s in mix)
    with wave.open(sys.argv[1], "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)


if __name__ == "__main__":
    main()
