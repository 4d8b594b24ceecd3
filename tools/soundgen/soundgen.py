#!/usr/bin/env python3
"""Makes the game's seven sound clips (assets/sounds/*.wav) and measures them.

Run by hand from the repository root:  python3 tools/soundgen/soundgen.py [--check]
The output is committed; the build only embeds it. With --check nothing is written: the clips
are synthesised again and compared with the committed files byte for byte.

Every clip is synthesised from sine partials in floating point, normalised to its own peak
level, given short fades so that it starts and ends on the silence value, and quantised to
mono PCM (8-bit unsigned or 16-bit signed little-endian). Synthesis is deterministic: no
random numbers, so the files come out the same on every run.

Layout of the files (RIFF chunks; a chunk of odd size is followed by one zero pad byte that
its size field does not count, so every chunk starts on an even offset):

  plain     "RIFF" size "WAVE" | "fmt " 16 | "data" n [pad]           44 bytes + data (+ pad)
  extended  "RIFF" size "WAVE" | "fmt " 18 (cbSize 0) | "fact" 4 | "data" n [pad]
                                                                      58 bytes + data (+ pad)

Click has 1031 data bytes in the plain layout: 44 + 1031 = 1075 bytes would leave its data
chunk without the pad byte, which is a malformed RIFF file; it is written well-formed, with
the pad, as 1076 bytes. InvalidSwap, Removal and Victory also have odd data sizes and their
pad byte is part of their file sizes (12632, 37310, 28074).

Deselect's clip is the 7740-byte WAVE file alone: the 140 bytes of trailing tag data that
may follow a clip carry no sound and are not written.
"""

import math
import os
import struct
import sys
import wave

SOUND_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "assets",
                         "sounds")


# --------------------------------------------------------------------------------------------
# Synthesis helpers. A "signal" is a list of floats in -1..1 at the clip's rate.

def tone(n, rate, freq_at, amp_at, partials=((1.0, 1.0),)):
    """Sum of partials whose frequency follows freq_at(t) (phase is integrated, so glides are
    smooth). Partials at or above 0.45 * rate are left out to keep the clip free of aliasing."""
    out = [0.0] * n
    phases = [0.0] * len(partials)
    limit = 0.45 * rate
    for i in range(n):
        t = i / rate
        f = freq_at(t)
        a = amp_at(t)
        s = 0.0
        for k, (ratio, weight) in enumerate(partials):
            fk = f * ratio
            if fk < limit:
                s += weight * math.sin(phases[k])
            phases[k] += 2.0 * math.pi * fk / rate
        out[i] = a * s
    return out


def mix(*signals):
    n = max(len(s) for s in signals)
    out = [0.0] * n
    for s in signals:
        for i, v in enumerate(s):
            out[i] += v
    return out


def delayed(signal, seconds, rate, n):
    """The signal starting `seconds` into a clip of n samples (cut at the clip's end)."""
    d = int(round(seconds * rate))
    out = [0.0] * n
    for i, v in enumerate(signal):
        if d + i < n:
            out[d + i] = v
    return out


def adsr(attack, length, release):
    """Envelope of a note: linear attack, a gentle fall to 0.8 while held, linear release."""
    def env(t):
        if t < 0.0 or t >= length + release:
            return 0.0
        if t < attack:
            return t / attack
        if t < length:
            return 1.0 - 0.2 * (t - attack) / max(length - attack, 1e-9)
        return 0.8 * (1.0 - (t - length) / release)
    return env


def normalise(signal, peak_db):
    peak = max(abs(v) for v in signal)
    gain = 10.0 ** (peak_db / 20.0) / peak
    return [v * gain for v in signal]


def fade(signal, rate, fade_in, fade_out):
    """Raised-cosine fades at both ends; the first and last samples become exactly zero."""
    out = list(signal)
    n = len(out)
    a = max(2, int(fade_in * rate))
    b = max(2, int(fade_out * rate))
    for i in range(a):
        out[i] *= 0.5 - 0.5 * math.cos(math.pi * i / a)
    for i in range(b):
        out[n - 1 - i] *= 0.5 - 0.5 * math.cos(math.pi * i / b)
    return out


def finish(signal, rate, peak_db, fade_in, fade_out):
    """Fades, then scales the clip to its peak level (given in dB below full scale)."""
    return normalise(fade(signal, rate, fade_in, fade_out), peak_db)


# --------------------------------------------------------------------------------------------
# The seven sounds.

def click(n, rate):
    # A short, dry tick: a high partial pair with a very fast decay.
    sig = tone(n, rate, lambda t: 1900.0, lambda t: math.exp(-t / 0.007),
               ((1.0, 1.0), (2.37, 0.45), (3.9, 0.2)))
    return finish(sig, rate, -3.0, 0.0007, 0.012)


def hover(n, rate):
    # Softer and quieter than the click, so it can repeat as the pointer crosses tiles.
    sig = tone(n, rate, lambda t: 1350.0, lambda t: math.exp(-t / 0.018),
               ((1.0, 1.0), (2.0, 0.25)))
    return finish(sig, rate, -14.0, 0.002, 0.04)


def deselect(n, rate):
    # A tone falling by an octave and a half over 0.6 s, dying away.
    dur = n / rate
    sig = tone(n, rate, lambda t: 880.0 * (330.0 / 880.0) ** (min(t, 0.6) / 0.6),
               lambda t: (1.0 - t / dur) ** 1.5 * min(1.0, t / 0.01),
               ((1.0, 1.0), (2.0, 0.3), (3.0, 0.1)))
    return finish(sig, rate, -6.0, 0.002, 0.03)


def swap(n, rate):
    # A rising sweep across the 600 ms blink, then a short ring-out.
    def freq(t):
        return 350.0 * (1400.0 / 350.0) ** (min(t, 0.6) / 0.6)

    def amp(t):
        swell = min(1.0, t / 0.05)
        body = 0.7 + 0.3 * math.sin(math.pi * min(t, 0.6) / 0.6)
        ring = 1.0 if t < 0.6 else math.exp(-(t - 0.6) / 0.035)
        wobble = 1.0 + 0.12 * math.sin(2.0 * math.pi * 9.0 * t)
        return swell * body * ring * wobble

    sig = tone(n, rate, freq, amp, ((1.0, 1.0), (0.5, 0.35), (2.0, 0.2)))
    return finish(sig, rate, -6.0, 0.002, 0.02)


def invalid_swap(n, rate):
    # Two pulses of a low, rough buzz: a band-limited square wave at 98 Hz.
    square = tuple((float(k), 1.0 / k) for k in range(1, 40, 2))
    pulses = ((0.02, 0.40), (0.52, 0.56))

    def amp(t):
        for start, length in pulses:
            e = adsr(0.015, length, 0.04)(t - start)
            if e > 0.0:
                return e
        return 0.0

    sig = tone(n, rate, lambda t: 98.0, amp, square)
    return finish(sig, rate, -6.0, 0.002, 0.03)


def bell(n, rate, freq, decay):
    # Inharmonic partials of a small bell, each with its own decay.
    partials = ((1.0, 1.0, 1.0), (2.0, 0.55, 0.6), (2.76, 0.35, 0.45), (4.07, 0.2, 0.3))
    out = [0.0] * n
    for ratio, weight, d in partials:
        p = tone(n, rate, lambda t, f=freq * ratio: f,
                 lambda t, w=weight, dd=decay * d: w * math.exp(-t / dd) * min(1.0, t / 0.002))
        out = mix(out, p)
    return out


def removal(n, rate):
    # A bright two-note chime (G6, then C7) ringing out.
    first = bell(n, rate, 1568.0, 0.45)
    second = delayed(bell(n, rate, 2093.0, 0.5), 0.11, rate, n)
    sig = mix(first, [0.9 * v for v in second])
    return finish(sig, rate, -4.0, 0.001, 0.06)


def victory(n, rate):
    # A short brass fanfare: three quick G4s, C5, a rising run and a held C major chord.
    brass = ((1.0, 1.0), (2.0, 0.6), (3.0, 0.4), (4.0, 0.25), (5.0, 0.15))
    notes = (  # start, length, frequency
        (0.00, 0.12, 392.00), (0.16, 0.12, 392.00), (0.32, 0.12, 392.00),
        (0.48, 0.45, 523.25),
        (1.00, 0.20, 392.00), (1.24, 0.20, 523.25), (1.48, 0.20, 659.25),
        (1.72, 1.50, 783.99), (1.72, 1.50, 659.25), (1.72, 1.50, 523.25),
    )
    out = [0.0] * n
    for start, length, freq in notes:
        depth = 0.004 if length > 1.0 else 0.0
        vibrato = (lambda t, f=freq, d=depth: f * (1.0 + d * math.sin(2.0 * math.pi * 5.5 * t)))
        env = adsr(0.02, length, 0.12 if length > 1.0 else 0.04)
        m = int((length + 0.2) * rate)
        note = tone(m, rate, vibrato, env, brass)
        out = mix(out, delayed(note, start, rate, n))
    return finish(out, rate, -3.0, 0.002, 0.05)


# --------------------------------------------------------------------------------------------
# The clips: file, sample rate, sample size, data bytes, layout, file size.

CLIPS = (
    ("click.wav", 22050, 8, 1031, "plain", 1076, click),
    ("hover.wav", 11025, 16, 3556, "plain", 3600, hover),
    ("deselect.wav", 11025, 8, 7696, "plain", 7740, deselect),
    ("swap.wav", 22050, 8, 15876, "plain", 15920, swap),
    ("invalid_swap.wav", 11025, 8, 12587, "plain", 12632, invalid_swap),
    ("removal.wav", 22050, 8, 37251, "extended", 37310, removal),
    ("victory.wav", 8000, 8, 28015, "extended", 28074, victory),
)


def quantise(signal, bits):
    if bits == 8:
        return bytes(max(0, min(255, 128 + int(round(v * 127.0)))) for v in signal)
    return b"".join(struct.pack("<h", max(-32768, min(32767, int(round(v * 32767.0)))))
                    for v in signal)


def chunk(tag, body):
    return tag + struct.pack("<I", len(body)) + body + (b"\0" if len(body) % 2 else b"")


def wave_file(rate, bits, data, layout):
    block = bits // 8
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate * block, block, bits)
    samples = len(data) // block
    if layout == "extended":
        body = chunk(b"fmt ", fmt + struct.pack("<H", 0)) + \
            chunk(b"fact", struct.pack("<I", samples)) + chunk(b"data", data)
    else:
        body = chunk(b"fmt ", fmt) + chunk(b"data", data)
    return b"RIFF" + struct.pack("<I", 4 + len(body)) + b"WAVE" + body


def build(entry):
    name, rate, bits, data_bytes, layout, file_bytes, synth = entry
    n = data_bytes // (bits // 8)
    data = quantise(synth(n, rate), bits)
    assert len(data) == data_bytes, name
    out = wave_file(rate, bits, data, layout)
    assert len(out) == file_bytes, (name, len(out))
    return out


# --------------------------------------------------------------------------------------------
# Measurement, from the file as written, read back by Python's own wave module.

def db(v):
    return 20.0 * math.log10(v) if v > 0 else float("-inf")


def measure(path):
    with wave.open(path, "rb") as w:
        rate, width, n = w.getframerate(), w.getsampwidth(), w.getnframes()
        assert w.getnchannels() == 1 and w.getcomptype() == "NONE"
        raw = w.readframes(n)
    if width == 1:
        x = [(b - 128) / 128.0 for b in raw]
        silence = lambda i: raw[i] == 128
    else:
        x = [s / 32768.0 for (s,) in struct.iter_unpack("<h", raw)]
        silence = lambda i: x[i] == 0.0
    peak = max(abs(v) for v in x)
    rms = math.sqrt(sum(v * v for v in x) / len(x))
    loud = [i for i, v in enumerate(x) if abs(v) >= 0.01]  # above -40 dBFS
    clipped = sum(1 for v in x if abs(v) >= 0.999)
    return {
        "rate": rate, "bits": 8 * width, "samples": n, "duration": n / rate,
        "peak": db(peak), "rms": db(rms),
        "audible": (loud[0] / rate, (loud[-1] + 1) / rate) if loud else (0.0, 0.0),
        "ends_silent": silence(0) and silence(n - 1), "clipped": clipped,
    }


def main():
    check = "--check" in sys.argv[1:]
    failed = False
    print(f"{'clip':<17}{'rate':>6}{'bits':>5}{'bytes':>7}{'dur s':>8}{'peak dB':>9}"
          f"{'rms dB':>8}  audible s      ends  clip")
    for entry in CLIPS:
        name = entry[0]
        path = os.path.join(SOUND_DIR, name)
        out = build(entry)
        if check:
            with open(path, "rb") as f:
                if f.read() != out:
                    print(f"{name}: differs from the committed file")
                    failed = True
        else:
            with open(path, "wb") as f:
                f.write(out)
        m = measure(path)
        print(f"{name:<17}{m['rate']:>6}{m['bits']:>5}{os.path.getsize(path):>7}"
              f"{m['duration']:>8.3f}{m['peak']:>9.1f}{m['rms']:>8.1f}  "
              f"{m['audible'][0]:.3f}-{m['audible'][1]:.3f}  "
              f"{'yes' if m['ends_silent'] else 'NO':>5}{m['clipped']:>6}")
        if not m["ends_silent"] or m["clipped"] or m["peak"] > -0.5:
            failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
