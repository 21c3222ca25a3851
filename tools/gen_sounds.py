#!/usr/bin/python3
"""Generates every sound and piece of music of the game, and the five bank manifests.

Writes Ogg Vorbis files to Assets/Music/sounds/ and the manifests SFX.bank, Music.bank, Master.bank,
Master.strings.bank and Ambience.bank to Assets/Music/. Everything is synthesised here with numpy;
sox adds room reverb and shapes the guards' voices, espeak-ng speaks their barks, oggenc encodes.

Running it again gives the same bytes: every sound draws its noise from its own generator seeded by
its name, sox runs in repeatable mode without dither, and oggenc gets a fixed serial number and no
comment tags.

    /usr/bin/python3 tools/gen_sounds.py [--out DIR]
"""

import argparse
import shutil
import subprocess
import sys
import tempfile
import wave
import zlib
from pathlib import Path

import numpy as np

SR = 44100
ROOT = Path(__file__).resolve().parent.parent
SFX_QUALITY = 4      # oggenc -q for effects (mono)
MUSIC_QUALITY = 4    # oggenc -q for music (stereo)

TMP = None           # scratch folder, created in main()


# ----------------------------------------------------------------------------------------------
# Small signal helpers
# ----------------------------------------------------------------------------------------------

def rng_for(name):
    """A noise source that depends only on the sound's name, so sounds stay put when others change."""
    return np.random.default_rng(zlib.crc32(name.encode("utf-8")))


def samples(seconds):
    return int(round(seconds * SR))


def t_axis(n):
    return np.arange(n) / SR


def perc(n, attack, decay):
    """Linear attack then exponential decay (decay is the 1/e time in seconds)."""
    t = t_axis(n)
    e = np.exp(-t / decay)
    if attack > 0:
        e *= np.minimum(1.0, t / attack)
    return e


def gate(n, hold, release):
    """1 until `hold` seconds, then an exponential release."""
    t = t_axis(n)
    return np.where(t < hold, 1.0, np.exp(-(t - hold) / release))


def ramp_in(n, attack):
    return np.minimum(1.0, t_axis(n) / attack) if attack > 0 else np.ones(n)


def fade_end(x, seconds):
    """Half-cosine fade over the last `seconds`, so a note cut to length does not click."""
    m = min(len(x), samples(seconds))
    if m > 1:
        x = x.copy()
        x[-m:] *= 0.5 * (1.0 + np.cos(np.linspace(0.0, np.pi, m)))
    return x


def place(dst, src, start):
    """Adds src into dst at sample `start`; returns dst, grown when src rings past its end."""
    end = start + len(src)
    if end > len(dst):
        dst = np.concatenate([dst, np.zeros(end - len(dst))])
    dst[start:end] += src
    return dst


def mtof(m):
    return 440.0 * 2.0 ** ((m - 69) / 12.0)


NOTE_INDEX = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}


def note(name):
    """'C#4', 'Bb3', 'E5' -> MIDI number."""
    base = NOTE_INDEX[name[0]]
    rest = name[1:]
    while rest and rest[0] in "#b":
        base += 1 if rest[0] == "#" else -1
        rest = rest[1:]
    return base + 12 * (int(rest) + 1)


def hz(name):
    return mtof(note(name))


# Zero-phase spectral filters. For one-shots the signal is padded so nothing wraps; for loops the
# transform length is the loop length, which makes the filtering circular and the loop seamless.

def lowpass(fc, order=2):
    return lambda f: 1.0 / np.sqrt(1.0 + (f / fc) ** (2 * order))


def highpass(fc, order=2):
    return lambda f: 1.0 / np.sqrt(1.0 + (fc / np.maximum(f, 1e-3)) ** (2 * order))


def bandpass(fc, q):
    return lambda f: 1.0 / np.sqrt(1.0 + q * q * (f / fc - fc / np.maximum(f, 1e-3)) ** 2)


def filt(x, *responses, circular=False):
    n = len(x)
    size = n if circular else 1 << int(np.ceil(np.log2(n + samples(0.1))))
    spectrum = np.fft.rfft(x, size)
    f = np.fft.rfftfreq(size, 1.0 / SR)
    for response in responses:
        spectrum *= response(f)
    return np.fft.irfft(spectrum, size)[:n]


def sweep_bandpass(x, fc, q):
    """Causal state-variable band-pass whose centre follows the array fc (Hz, < SR/6)."""
    f = (2.0 * np.sin(np.pi * np.asarray(fc) / SR)).tolist()
    damp = 1.0 / q
    low = band = 0.0
    out = [0.0] * len(x)
    for i, v in enumerate(x.tolist()):
        low += f[i] * band
        high = v - low - damp * band
        band += f[i] * high
        out[i] = band
    return np.array(out)


def normalise(x, peak_db):
    peak = np.max(np.abs(x))
    if peak <= 0:
        return x
    return x * (10.0 ** (peak_db / 20.0) / peak)


def edges(x, fade_in=0.002, fade_out=0.012):
    """Softens the first and last samples so a one-shot never starts or ends with a click."""
    x = x.copy()
    a, b = samples(fade_in), samples(fade_out)
    if a:
        x[:a] *= np.linspace(0.0, 1.0, a)
    if b:
        x[-b:] *= np.linspace(1.0, 0.0, b)
    return x


def trim_tail(x, floor_db=-66.0):
    """Drops the silent tail (below floor_db of the peak), keeping a few milliseconds."""
    level = np.abs(x) if x.ndim == 1 else np.max(np.abs(x), axis=1)
    threshold = np.max(level) * 10.0 ** (floor_db / 20.0)
    loud = np.nonzero(level > threshold)[0]
    end = min(len(x), (loud[-1] + samples(0.01)) if len(loud) else len(x))
    return x[:end]


# ----------------------------------------------------------------------------------------------
# Files: WAV in and out, sox, espeak-ng, oggenc
# ----------------------------------------------------------------------------------------------

def write_wav(path, x, bits=16):
    """Writes mono (n,) or stereo (n, 2) float samples in [-1, 1] as PCM."""
    x = np.clip(x, -1.0, 1.0)
    channels = 1 if x.ndim == 1 else x.shape[1]
    scale = 32767.0 if bits == 16 else 2147483647.0
    dtype = "<i2" if bits == 16 else "<i4"
    data = np.round(x * scale).astype(dtype)
    with wave.open(str(path), "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(bits // 8)
        w.setframerate(SR)
        w.writeframes(data.tobytes())


def read_wav(path):
    """Reads PCM WAV, including the extensible header sox writes for 32-bit samples."""
    data = Path(path).read_bytes()
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise RuntimeError(f"{path}: not a WAV file")
    pos, fmt, pcm = 12, None, None
    while pos + 8 <= len(data):
        tag, size = data[pos:pos + 4], int.from_bytes(data[pos + 4:pos + 8], "little")
        body = data[pos + 8:pos + 8 + size]
        if tag == b"fmt ":
            fmt = body
        elif tag == b"data":
            pcm = body
        pos += 8 + size + (size & 1)
    channels = int.from_bytes(fmt[2:4], "little")
    rate = int.from_bytes(fmt[4:8], "little")
    width = int.from_bytes(fmt[14:16], "little") // 8
    if rate != SR:
        raise RuntimeError(f"{path}: expected {SR} Hz, got {rate}")
    dtype = {2: "<i2", 4: "<i4"}[width]
    x = np.frombuffer(pcm[: len(pcm) // (width * channels) * width * channels], dtype=dtype)
    x = x.astype(np.float64) / (2.0 ** (8 * width - 1))
    return x if channels == 1 else x.reshape(-1, channels)


def run(cmd):
    result = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if result.returncode != 0:
        raise RuntimeError(f"{' '.join(cmd)} failed: {result.stderr.decode(errors='replace')}")


def sox(x, effects, pad_tail=0.0):
    """Runs mono float samples through a sox effect chain (repeatable, no dither); returns mono."""
    src, dst = TMP / "sox_in.wav", TMP / "sox_out.wav"
    peak = max(1e-9, np.max(np.abs(x)))
    if pad_tail:
        x = np.concatenate([x, np.zeros(samples(pad_tail))])
    write_wav(src, x * (0.5 / peak), bits=32)
    run(["sox", "-R", "-D", "-V1", str(src), "-b", "32", "-e", "signed-integer", str(dst)]
        + [str(e) for e in effects] + ["channels", "1", "rate", str(SR)])
    return read_wav(dst) * (peak / 0.5)


def speak(text, voice, speed, pitch, effects):
    """espeak-ng speaks `text`; sox turns the synthesiser into a character (rate, pitch, room)."""
    raw, dst = TMP / "speech.wav", TMP / "speech_fx.wav"
    run(["espeak-ng", "-v", voice, "-s", str(speed), "-p", str(pitch), "-a", "160", "-w", str(raw), text])
    run(["sox", "-R", "-D", "-V1", str(raw), "-b", "32", "-e", "signed-integer", str(dst),
         "rate", str(SR), "channels", "1"] + [str(e) for e in effects])
    return read_wav(dst)


class Writer:
    def __init__(self, out_dir):
        self.out_dir = out_dir
        self.sound_dir = out_dir / "sounds"
        self.sound_dir.mkdir(parents=True, exist_ok=True)
        self.written = []

    def ogg(self, name, x, quality=SFX_QUALITY):
        """Encodes float samples to sounds/<name>.ogg with a serial number fixed by the name."""
        wav = TMP / "encode.wav"
        write_wav(wav, x)
        serial = zlib.crc32(name.encode("utf-8")) & 0x7FFFFFFF
        out = self.sound_dir / f"{name}.ogg"
        run(["oggenc", "-Q", "-q", str(quality), "-s", str(serial), "-o", str(out), str(wav)])
        self.written.append(out)
        return f"sounds/{name}.ogg"


# ----------------------------------------------------------------------------------------------
# Instruments (shared by effects and music)
# ----------------------------------------------------------------------------------------------

def modal(freq, ratios, amps, decays, length, rng=None, detune=0.0):
    """A struck object: a sum of decaying sine modes at freq * ratio."""
    n = samples(length)
    t = t_axis(n)
    out = np.zeros(n)
    for r, a, d in zip(ratios, amps, decays):
        f = freq * r * (1.0 + (rng.uniform(-detune, detune) if rng is not None and detune else 0.0))
        if f >= SR * 0.45:
            continue
        phase = rng.uniform(0, 2 * np.pi) if rng is not None else 0.0
        out += a * np.sin(2 * np.pi * f * t + phase) * np.exp(-t / d)
    return fade_end(out * ramp_in(n, 0.001), 0.25 * length)


def pluck(freq, hold, decay=0.6, bright=0.55, length=None, release=0.04):
    """Plucked string (pizzicato, upright bass, harp): harmonics that die faster the higher they are."""
    length = length or hold + 6 * release
    n = samples(length)
    t = t_axis(n)
    out = np.zeros(n)
    k = 1
    while k * freq < 9000 and k <= 24:
        amp = (bright ** (k - 1)) / k ** 0.6
        tau = decay / (1.0 + 0.35 * (k - 1) ** 1.3)
        out += amp * np.sin(2 * np.pi * k * freq * t * (1 + 0.0004 * k)) * np.exp(-t / tau)
        k += 1
    return out * ramp_in(n, 0.002) * gate(n, hold, release)


def vibes(freq, hold, tremolo=5.2, depth=0.2):
    """Vibraphone bar: modes 1, 4 and 10 with the motor's tremolo and a soft mallet tick."""
    length = hold + 0.7
    n = samples(length)
    t = t_axis(n)
    bar = (np.sin(2 * np.pi * freq * t) * np.exp(-t / 1.6)
           + 0.22 * np.sin(2 * np.pi * 4.0 * freq * t) * np.exp(-t / 0.35)
           + 0.05 * np.sin(2 * np.pi * 10.0 * freq * t) * np.exp(-t / 0.08))
    bar *= 1.0 - depth * 0.5 * (1 - np.cos(2 * np.pi * tremolo * t))
    return bar * ramp_in(n, 0.003) * gate(n, hold, 0.12)


def clarinet(freq, hold, vibrato=0.004):
    """Reed voice: strong odd harmonics, a little breath, slow vibrato that sets in late."""
    n = samples(hold + 0.25)
    t = t_axis(n)
    vib = 1.0 + vibrato * np.sin(2 * np.pi * 5.0 * t) * np.minimum(1.0, t / 0.4)
    phase = 2 * np.pi * freq * np.cumsum(vib) / SR
    amps = {1: 1.0, 2: 0.06, 3: 0.45, 4: 0.04, 5: 0.25, 6: 0.03, 7: 0.14, 9: 0.07, 11: 0.035}
    out = np.zeros(n)
    for k, a in amps.items():
        if k * freq < 10000:
            out += a * np.sin(k * phase)
    env = np.minimum(1.0, t / 0.025) * gate(n, hold, 0.05)
    return out * env


def saw_voice(freq, n, harmonics=18, tilt=1.0):
    t = t_axis(n)
    out = np.zeros(n)
    for k in range(1, harmonics + 1):
        if k * freq >= 11000:
            break
        out += np.sin(2 * np.pi * k * freq * t) / k ** tilt
    return out


def strings(freq, hold, attack=0.008, release=0.05, cents=6.0):
    """Section strings: three slightly detuned saws with a dark top."""
    n = samples(hold + 6 * release)
    out = sum(saw_voice(freq * 2 ** (c / 1200.0), n, 16, 1.25) for c in (-cents, 0.0, cents)) / 3.0
    return out * np.minimum(1.0, t_axis(n) / attack) * gate(n, hold, release)


def brass(freqs, hold, attack=0.03, release=0.12):
    """Brass chord: harmonics open up during the attack and close again as it decays."""
    n = samples(hold + 6 * release)
    t = t_axis(n)
    bright = 2.0 + 10.0 * np.minimum(1.0, t / (attack * 2)) * np.exp(-t / 0.6)
    out = np.zeros(n)
    for f in freqs:
        for c in (-4.0, 4.0):
            fc = f * 2 ** (c / 1200.0)
            for k in range(1, 20):
                if k * fc > 10000:
                    break
                out += np.sin(2 * np.pi * k * fc * t) / k * np.exp(-(k - 1) / bright)
    env = np.minimum(1.0, t / attack) * gate(n, hold, release)
    return out * env / len(freqs)


def pad(freqs, hold, attack=0.9, release=1.2):
    n = samples(hold + 6 * release)
    t = t_axis(n)
    out = np.zeros(n)
    for f in freqs:
        for c in (-7.0, 0.0, 7.0):
            out += saw_voice(f * 2 ** (c / 1200.0), n, 10, 1.6)
    env = (1 - np.exp(-t / (attack / 3))) * gate(n, hold, release)
    return out * env / (3 * len(freqs))


def bell(freq, length, bright=1.0):
    """Tubular bell / chime: inharmonic partials with a long hum."""
    ratios = [0.5, 1.0, 1.19, 1.56, 2.0, 2.51, 2.66, 3.01, 4.1]
    amps = [0.35, 1.0, 0.5 * bright, 0.45 * bright, 0.5, 0.3 * bright, 0.2 * bright, 0.15, 0.1 * bright]
    decays = [length * 0.9, length * 0.6, length * 0.3, length * 0.25, length * 0.35,
              length * 0.15, length * 0.12, length * 0.1, length * 0.05]
    return modal(freq, ratios, amps, decays, length)


# Drums, each returns a mono one-shot.

def kick(rng, decay=0.28, punch=1.0):
    n = samples(decay * 5)
    t = t_axis(n)
    f = 44.0 + 90.0 * np.exp(-t / 0.035)
    body = np.sin(2 * np.pi * np.cumsum(f) / SR) * np.exp(-t / decay)
    click = filt(rng.standard_normal(n), highpass(1500), lowpass(6000)) * np.exp(-t / 0.004) * 0.3 * punch
    return body + click


def snare(rng, decay=0.13, tone=190.0):
    n = samples(decay * 5)
    t = t_axis(n)
    body = 0.55 * np.sin(2 * np.pi * tone * t) * np.exp(-t / 0.06)
    rattle = filt(rng.standard_normal(n), highpass(1400), lowpass(8000)) * np.exp(-t / decay)
    return body + 0.6 * rattle / np.std(rattle[: samples(0.02)])


def hat(rng, decay=0.03):
    n = samples(decay * 6 + 0.01)
    t = t_axis(n)
    metal = sum(np.sign(np.sin(2 * np.pi * f * t)) for f in (3120, 4270, 5410, 6830, 8210))
    noise = rng.standard_normal(n)
    x = filt(0.4 * metal + noise, highpass(7000, 3))
    return x * np.exp(-t / decay) * ramp_in(n, 0.0005)


def shaker(rng, length=0.09):
    n = samples(length)
    t = t_axis(n)
    env = np.minimum(1.0, t / 0.02) * np.exp(-np.maximum(0, t - 0.02) / 0.03)
    return filt(rng.standard_normal(n), bandpass(6500, 1.2)) * env


def snap(rng):
    n = samples(0.12)
    t = t_axis(n)
    x = filt(rng.standard_normal(n), bandpass(2300, 3.0)) * np.exp(-t / 0.016)
    return x + 0.3 * np.sin(2 * np.pi * 1200 * t) * np.exp(-t / 0.006)


def rim(rng):
    n = samples(0.15)
    t = t_axis(n)
    x = filt(rng.standard_normal(n), bandpass(1800, 6.0)) * np.exp(-t / 0.02)
    return x + 0.5 * np.sin(2 * np.pi * 830 * t) * np.exp(-t / 0.025)


def tom(rng, f0):
    n = samples(0.7)
    t = t_axis(n)
    f = f0 * (1 + 0.35 * np.exp(-t / 0.05))
    body = np.sin(2 * np.pi * np.cumsum(f) / SR) * np.exp(-t / 0.22)
    hit = filt(rng.standard_normal(n), bandpass(f0 * 6, 1.0)) * np.exp(-t / 0.02) * 0.2
    return body + hit


def cymbal(rng, decay=1.4):
    n = samples(decay * 4)
    t = t_axis(n)
    metal = sum(np.sin(2 * np.pi * f * t + rng.uniform(0, 6.28)) for f in rng.uniform(3000, 11000, 24))
    noise = filt(rng.standard_normal(n), highpass(3500, 2))
    return (0.5 * metal / 24 * 4 + noise) * np.exp(-t / decay) * ramp_in(n, 0.002)


def timpani(f0, length=1.6):
    return modal(f0, [1.0, 1.5, 1.98, 2.44], [1.0, 0.5, 0.3, 0.2], [0.9, 0.5, 0.35, 0.25], length)


def brush_swirl(rng, length):
    n = samples(length)
    t = t_axis(n)
    swell = np.sin(np.pi * np.minimum(1.0, t / length)) ** 2
    return filt(rng.standard_normal(n), bandpass(3200, 0.8)) * swell


# ----------------------------------------------------------------------------------------------
# Sound effects
# ----------------------------------------------------------------------------------------------

def room(x, size=20, reverberance=30, damping=60, wet=-6):
    """A little room around a dry one-shot."""
    tail = np.concatenate([x, np.zeros(samples(0.6))])
    reverb = sox(x, ["reverb", "-w", reverberance, damping, size, 100, 0, 0], pad_tail=0.6)
    return trim_tail(tail + 10 ** (wet / 20.0) * reverb[: len(tail)])


def step_floor(rng, weight=1.0):
    """A soft-soled step on a hard floor: heel thump, then a quieter toe scuff."""
    n = samples(0.22)
    t = t_axis(n)
    heel = filt(rng.standard_normal(n), lowpass(900 + rng.uniform(-150, 150), 2)) * perc(n, 0.002, 0.018)
    heel += 0.5 * np.sin(2 * np.pi * (85 + rng.uniform(-10, 10)) * t) * perc(n, 0.003, 0.03)
    toe_at = samples(0.045 + rng.uniform(-0.01, 0.015))
    m = n - toe_at
    toe = filt(rng.standard_normal(m), bandpass(1800 + rng.uniform(-300, 300), 0.9)) * perc(m, 0.004, 0.022)
    out = weight * heel
    out = place(out, 0.35 * toe, toe_at)
    return out


def step_wood(rng, creak=False):
    """A step on boards: a hollow knock of a few plank modes, sometimes a creak under it."""
    n = samples(0.4)
    f0 = 165 + rng.uniform(-20, 20)
    knock = modal(f0, [1.0, 1.83, 2.9, 4.2], [1.0, 0.6, 0.35, 0.15], [0.07, 0.05, 0.035, 0.02], 0.4, rng, 0.03)
    thump = filt(rng.standard_normal(n), lowpass(700)) * perc(n, 0.002, 0.015)
    out = 0.8 * knock + 0.6 * thump
    toe_at = samples(0.05 + rng.uniform(0, 0.02))
    out = place(out, 0.2 * knock, toe_at)
    if creak:
        m = samples(0.22)
        tc = t_axis(m)
        f = 420 + 90 * np.sin(2 * np.pi * 3.0 * tc) + rng.uniform(-30, 30)
        saw = (np.cumsum(f) / SR) % 1.0 - 0.5
        grit = (rng.uniform(size=m) < 0.35).astype(float)
        cr = filt(saw * grit, bandpass(900, 2.0)) * np.sin(np.pi * tc / tc[-1]) ** 2
        out = place(out, 0.18 * cr, samples(0.04))
    return out


def step_vent(rng):
    """A step inside a sheet-metal duct: a boomy panel, a ringing clank and a tinny rattle."""
    f0 = 280 + rng.uniform(-40, 40)
    clank = modal(f0, [1.0, 2.32, 4.25, 6.63, 9.38, 12.1], [1.0, 0.7, 0.5, 0.35, 0.2, 0.12],
                  [0.22, 0.16, 0.1, 0.07, 0.05, 0.03], 0.6, rng, 0.02)
    boom = modal(95 + rng.uniform(-8, 8), [1.0, 1.6], [1.0, 0.4], [0.09, 0.05], 0.6)
    n = len(clank)
    tap = filt(rng.standard_normal(n), bandpass(3000, 1.2)) * perc(n, 0.001, 0.01)
    out = 0.45 * clank + 0.8 * boom + 0.5 * tap
    out = place(out, 0.25 * clank, samples(0.05))
    return sox(out, ["reverb", 25, 20, 12, 100, 4, -4], pad_tail=0.3)


def step_boot(rng, hard=1.0):
    """A guard's boot: a heavy thump with a sharp heel click."""
    n = samples(0.3)
    t = t_axis(n)
    thump = np.sin(2 * np.pi * (62 + rng.uniform(-6, 6)) * t) * perc(n, 0.003, 0.045)
    thump += filt(rng.standard_normal(n), lowpass(600)) * perc(n, 0.002, 0.025) * 0.8
    click = filt(rng.standard_normal(n), bandpass(3200 + rng.uniform(-400, 400), 1.5)) * perc(n, 0.0005, 0.008)
    out = thump + (0.5 + 0.3 * hard) * click
    scuff_at = samples(0.06 + rng.uniform(-0.01, 0.01))
    m = n - scuff_at
    scuff = filt(rng.standard_normal(m), bandpass(1500, 0.8)) * perc(m, 0.01, 0.03 * hard)
    out = place(out, 0.25 * hard * scuff, scuff_at)
    return out


def whoosh(rng, length, f_start, f_end, peak_at):
    n = samples(length)
    t = t_axis(n)
    u = t / length
    fc = f_start * (f_end / f_start) ** u
    body = sweep_bandpass(rng.standard_normal(n), fc, 2.2)
    env = np.where(u < peak_at, (u / peak_at) ** 2, np.exp(-(u - peak_at) / (0.18 * (1 - peak_at))))
    return body * env


def cloth(rng, length):
    n = samples(length)
    grains = (rng.uniform(size=n) < 0.004) * rng.uniform(0.3, 1.0, n)
    grains = np.convolve(grains, np.exp(-t_axis(samples(0.01)) / 0.002), mode="same")
    noise = filt(rng.standard_normal(n), bandpass(2500, 0.8)) * 0.25
    return filt(grains, highpass(800), lowpass(5000)) * 2 + noise * np.sin(np.pi * t_axis(n) / (length + 1e-9))


def blip(f_start, f_end, length, shape="sine", harmonics=(1.0,)):
    n = samples(length)
    t = t_axis(n)
    f = f_start * (f_end / f_start) ** (t / length)
    phase = 2 * np.pi * np.cumsum(f) / SR
    out = sum(a * np.sin((k + 1) * phase) for k, a in enumerate(harmonics))
    return out


def glass_shatter(rng):
    n = samples(1.6)
    t = t_axis(n)
    burst = filt(rng.standard_normal(n), highpass(2500, 2)) * perc(n, 0.0005, 0.06)
    crunch = filt(rng.standard_normal(n), bandpass(1200, 1.0)) * perc(n, 0.001, 0.025)
    impact = 0.6 * np.sin(2 * np.pi * 140 * t) * perc(n, 0.001, 0.03)
    out = burst + 0.7 * crunch + impact
    # Cracks: a spray of clicks in the first tenth of a second.
    for _ in range(40):
        at = samples(rng.uniform(0, 0.12))
        m = samples(0.01)
        c = filt(rng.standard_normal(m), highpass(4000)) * perc(m, 0.0002, 0.0015)
        out = place(out, rng.uniform(0.3, 0.9) * c, at)
    # Tinkles: shards landing, thinning out over a second.
    for i in range(34):
        at = 0.05 + 1.1 * rng.uniform() ** 2
        f = rng.uniform(2400, 7800)
        piece = modal(f, [1.0, 2.76, 5.4], [1.0, 0.45, 0.2], [0.05, 0.025, 0.012], 0.2, rng, 0.01)
        out = place(out, rng.uniform(0.12, 0.45) * piece * (1.0 - 0.6 * at), samples(at))
    return room(out, size=35, reverberance=40, damping=30, wet=-5)


def thud(rng, f0=70.0, length=0.35):
    n = samples(length)
    t = t_axis(n)
    body = np.sin(2 * np.pi * f0 * (1 + 0.5 * np.exp(-t / 0.02)) * t) * perc(n, 0.002, 0.06)
    return body + filt(rng.standard_normal(n), lowpass(800)) * perc(n, 0.001, 0.03)


# ----------------------------------------------------------------------------------------------
# Guards' voices
# ----------------------------------------------------------------------------------------------

# The synthesiser is pitched down, given some chest, a little grit and a room around it, so the
# barks sound like people standing in the level rather than a screen reader. One voice per guard
# "character"; each bark has one line per character, picked at random when it plays.
ROOM_VOICE = ["highpass", 110, "lowpass", 5500, "overdrive", 3, 25,
              "compand", "0.004,0.12", "6:-60,-60,-30,-15,-10,-7,0,-4", -3,
              "pad", 0, 0.45, "reverb", 28, 50, 30, 100, 6, -8]
RADIO_VOICE = ["highpass", 380, "lowpass", 2900, "overdrive", 12, 40,
               "compand", "0.002,0.08", "6:-60,-60,-30,-12,0,-3", -2,
               "pad", 0, 0.3, "reverb", 12, 70, 10, 100, 2, -10]

CHARACTERS = {
    # name: espeak voice, words per minute, espeak pitch (0..99), sox pitch shift in cents, chain
    "gruff": ("en-gb+m3", 160, 34, -320, ROOM_VOICE),
    "young": ("en-us+m1", 175, 48, -180, ROOM_VOICE),
    "radio": ("en-gb-scotland+m7", 170, 40, -260, RADIO_VOICE),
}

BARK_LINES = {
    "enemy_halfalert": [("gruff", "Huh? Who's there?"), ("young", "What was that?"),
                        ("radio", "Hello? Anyone there?")],
    "enemy_fullalert": [("gruff", "Hey! Stop!"), ("young", "There you are! Stop!"),
                        ("radio", "Intruder! Stop, thief!")],
    "enemy_giveup": [("gruff", "Must have been the wind."), ("young", "Huh. Nothing there."),
                     ("radio", "I must be hearing things.")],
    "enemy_catch": [("gruff", "Gotcha!"), ("young", "Got you now!"), ("radio", "Caught you!")],
    "enemy_hit": [("gruff", "Oof!"), ("young", "Ugh!"), ("radio", "Ow!")],
}


def bark(character, text, shout=False):
    voice, speed, pitch, cents, chain = CHARACTERS[character]
    if shout:
        speed, pitch = speed + 10, pitch + 12
    x = speak(text, voice, speed, pitch, ["pitch", cents, "bass", 3] + chain)
    return x


# ----------------------------------------------------------------------------------------------
# Effect events
# ----------------------------------------------------------------------------------------------

class Event:
    """One event of a bank manifest."""

    def __init__(self, path, bus, files, loop=False, volume=1.0, pitch=0.0, positioned=False, layers=()):
        self.path, self.bus, self.files = path, bus, list(files)
        self.loop, self.volume, self.pitch, self.positioned = loop, volume, pitch, positioned
        self.layers = list(layers)  # (parameter path, file, fade seconds)


def finish(x, peak_db, fade_out=0.012):
    """Removes rumble below hearing, trims the silent tail, sets the level, softens both ends."""
    return edges(normalise(trim_tail(filt(x, highpass(35, 2))), peak_db), fade_out=fade_out)


def variants(w, name, count, make, peak_db):
    files = []
    for i in range(count):
        rng = rng_for(f"{name}_{i + 1}")
        files.append(w.ogg(f"{name}_{i + 1}", finish(make(rng, i), peak_db)))
    return files


def sfx_events(w):
    ev = []
    sfx = "bus:/SFX"

    # Player -----------------------------------------------------------------------------------
    def windup(rng, i):
        x = normalise(whoosh(rng, 0.5, 260, 2400, 0.85), 0) + 0.12 * normalise(cloth(rng, 0.5), 0)
        return room(x, size=15, wet=-10)

    def throw(rng, i):
        x = normalise(whoosh(rng, 0.34, 2800, 380, 0.18), 0) + 0.1 * normalise(cloth(rng, 0.34), 0)
        return room(x, size=15, wet=-10)

    ev.append(Event("event:/SFX/Player/PlayerWindup", sfx, variants(w, "player_windup", 2, windup, -5),
                    volume=0.8, pitch=0.6))
    ev.append(Event("event:/SFX/Player/PlayerThrow", sfx, variants(w, "player_throw", 2, throw, -3),
                    pitch=0.8))
    ev.append(Event("event:/SFX/Player/PlayerFootsteps", sfx,
                    variants(w, "player_step_floor", 4, lambda r, i: room(step_floor(r), 12, wet=-12), -12),
                    volume=0.8, pitch=1.0))
    ev.append(Event("event:/SFX/Player/PlayerFootstepsVent", sfx,
                    variants(w, "player_step_vent", 4, lambda r, i: step_vent(r), -9), volume=0.8, pitch=0.8))
    ev.append(Event("event:/SFX/Player/PlayerFootstepsWood", sfx,
                    variants(w, "player_step_wood", 4,
                             lambda r, i: room(step_wood(r, creak=(i == 2)), 14, wet=-12), -11),
                    volume=0.8, pitch=1.0))

    # Food -------------------------------------------------------------------------------------
    def drop(rng, i):
        x = 0.9 * thud(rng, 120 + 15 * i, 0.5)
        x = place(x, 0.35 * thud(rng, 150, 0.3), samples(0.13))
        crinkle = filt(rng.standard_normal(samples(0.06)), highpass(3000)) * perc(samples(0.06), 0.001, 0.012)
        x = place(x, 0.25 * crinkle, 0)
        return room(x, 12, wet=-12)

    def grab(rng, i):
        x = 0.5 * cloth(rng, 0.16)
        pop = blip(320 + 40 * i, 900, 0.06, harmonics=(1.0, 0.3)) * perc(samples(0.06), 0.002, 0.02)
        x = place(x, 0.8 * pop, samples(0.02))
        return room(x, 10, wet=-14)

    def collision(rng, i):
        n = samples(0.3)
        t = t_axis(n)
        squish = blip(210 + 25 * i, 90, 0.3) * perc(n, 0.002, 0.05)
        mush = filt(rng.standard_normal(n), lowpass(1200)) * perc(n, 0.001, 0.03)
        return room(squish + 0.7 * mush + 0.15 * np.sin(2 * np.pi * 55 * t) * perc(n, 0.002, 0.08), 12, wet=-12)

    def collect(rng, i):
        x = np.zeros(samples(1.2))
        for k, (nm, at) in enumerate([("E6", 0.0), ("B6", 0.07), ("E7", 0.14)][: 2 + (i > 0)]):
            x = place(x, (0.9 - 0.2 * k) * bell(hz(nm), 0.9, bright=0.6), samples(at))
        for _ in range(8):
            x = place(x, 0.12 * modal(rng.uniform(5000, 9000), [1.0], [1.0], [0.03], 0.1), samples(rng.uniform(0.05, 0.35)))
        return room(x, 25, reverberance=45, wet=-7)

    ev.append(Event("event:/SFX/Food/FoodDrop", sfx, variants(w, "food_drop", 3, drop, -6), pitch=1.0))
    ev.append(Event("event:/SFX/Food/FoodGrab", sfx, variants(w, "food_grab", 3, grab, -7), pitch=1.0))
    ev.append(Event("event:/SFX/Food/FoodCollision", sfx, variants(w, "food_collision", 3, collision, -5),
                    pitch=1.5, positioned=True))
    ev.append(Event("event:/SFX/Food/FoodCollect", sfx, variants(w, "food_collect", 2, collect, -6), pitch=0.0))

    x = np.zeros(samples(2.2))
    for k, nm in enumerate(["C5", "E5", "G5", "C6"]):
        x = place(x, vibes(hz(nm), 0.25) * 0.8, samples(0.11 * k))
    for nm in ["C5", "E5", "G5", "B5", "E6"]:
        x = place(x, 0.45 * vibes(hz(nm), 1.2), samples(0.5))
    x = place(x, 0.5 * pluck(hz("C3"), 1.0, decay=0.8), samples(0.5))
    ev.append(Event("event:/SFX/Food/FoodNeeded", sfx,
                    [w.ogg("food_needed", finish(room(x, 40, reverberance=50, wet=-6), -3, 0.2))]))

    rng = rng_for("food_max")
    beat = 0.16
    x = np.zeros(samples(4.2))
    for k in range(3):
        x = place(x, 0.7 * brass([hz("G4"), hz("D5")], beat * 0.7, attack=0.015), samples(k * beat))
    x = place(x, brass([hz("C4"), hz("E4"), hz("G4"), hz("C5")], beat * 2.6), samples(3 * beat))
    x = place(x, brass([hz("F4"), hz("A4"), hz("C5"), hz("F5")], beat * 1.6), samples(6 * beat))
    x = place(x, brass([hz("G4"), hz("B4"), hz("D5"), hz("G5")], beat * 1.6), samples(8 * beat))
    x = place(x, 1.1 * brass([hz("C4"), hz("E4"), hz("G4"), hz("C5"), hz("E5")], 1.3, release=0.3), samples(10 * beat))
    for k in range(10):
        x = place(x, (0.25 + 0.05 * k) * timpani(hz("C2"), 0.6), samples(10 * beat - 0.45 + k * 0.045))
    x = place(x, 0.9 * timpani(hz("C2")), samples(10 * beat))
    x = place(x, 0.35 * cymbal(rng, 1.6), samples(10 * beat))
    ev.append(Event("event:/SFX/Food/FoodMax", sfx,
                    [w.ogg("food_max", finish(room(x, 60, reverberance=50, wet=-6), -2, 0.3))]))

    # Guards -----------------------------------------------------------------------------------
    ev.append(Event("event:/SFX/Enemey/EnemyFootsteps", sfx,
                    variants(w, "enemy_step", 4, lambda r, i: room(step_boot(r, 0.8), 16, wet=-12), -8),
                    volume=0.9, pitch=0.8, positioned=True))
    ev.append(Event("event:/SFX/Enemey/EnemyFootstepsChase", sfx,
                    variants(w, "enemy_step_chase", 4, lambda r, i: room(step_boot(r, 1.6), 16, wet=-12), -5),
                    pitch=1.0, positioned=True))

    def bark_files(name, shout=False, extra=None):
        files = []
        for i, (character, text) in enumerate(BARK_LINES[name]):
            x = bark(character, text, shout)
            if extra is not None:
                x = extra(rng_for(f"{name}_{i + 1}"), i, x)
            files.append(w.ogg(f"{name}_{i + 1}", finish(x, -2, 0.05)))
        return files

    def with_hit(rng, i, voice):
        out = np.zeros(len(voice) + samples(0.1))
        out = place(out, 1.4 * normalise(room(thud(rng, 58 + 6 * i, 0.5), 15, wet=-12), -1), 0)
        out = place(out, normalise(voice, -3), samples(0.09))
        return out

    def with_sting(rng, i, voice):
        out = np.zeros(len(voice) + samples(1.4))
        chord = [hz("C3"), hz("Gb3"), hz("C4")]
        out = place(out, 0.35 * normalise(brass(chord, 0.5, attack=0.01, release=0.25), -1), 0)
        out = place(out, 0.6 * normalise(timpani(hz("C2"), 1.2), -1), 0)
        out = place(out, normalise(voice, -1), samples(0.05))
        return out

    ev.append(Event("event:/SFX/Enemey/EnemyHalfAlert", sfx, bark_files("enemy_halfalert"), positioned=True))
    ev.append(Event("event:/SFX/Enemey/EnemyFullAlert", sfx, bark_files("enemy_fullalert", shout=True),
                    positioned=True))
    ev.append(Event("event:/SFX/Enemey/EnemyGiveUp", sfx, bark_files("enemy_giveup"), positioned=True))
    ev.append(Event("event:/SFX/Enemey/EnemyCatch", sfx, bark_files("enemy_catch", True, with_sting)))
    ev.append(Event("event:/SFX/Enemey/EnemyHit", sfx, bark_files("enemy_hit", False, with_hit),
                    pitch=0.5, positioned=True))

    # Glass ------------------------------------------------------------------------------------
    ev.append(Event("event:/SFX/GlassShatter", sfx,
                    variants(w, "glass_shatter", 2, lambda r, i: glass_shatter(r), -2),
                    pitch=1.0, positioned=True))

    # Menu -------------------------------------------------------------------------------------
    def two_tone(a, b, gap=0.09):
        x = np.zeros(samples(0.6))
        x = place(x, vibes(hz(a), 0.12, depth=0.0), 0)
        x = place(x, vibes(hz(b), 0.2, depth=0.0), samples(gap))
        return room(filt(x, lowpass(5000)), 18, wet=-10)

    def ui_click(f0, f1):
        n = samples(0.12)
        x = blip(f0, f1, 0.12, harmonics=(1.0, 0.25, 0.1)) * perc(n, 0.002, 0.03)
        tick = filt(rng_for(f"click{f0}").standard_normal(n), highpass(3000)) * perc(n, 0.0003, 0.003)
        return room(x + 0.3 * tick, 10, wet=-14)

    ev.append(Event("event:/SFX/Menu/Pause", sfx, [w.ogg("menu_pause", finish(two_tone("A5", "E5"), -8, 0.05))]))
    ev.append(Event("event:/SFX/Menu/PauseEnd", sfx,
                    [w.ogg("menu_pause_end", finish(two_tone("E5", "A5"), -8, 0.05))]))
    ev.append(Event("event:/SFX/Menu/MenuForward", sfx,
                    [w.ogg("menu_forward", finish(ui_click(hz("G5"), hz("D6")), -9))]))
    ev.append(Event("event:/SFX/Menu/MenuBack", sfx, [w.ogg("menu_back", finish(ui_click(hz("D5"), hz("G4")), -9))]))

    # Corvan: a slow, stately peal over a low hum.
    x = np.zeros(samples(5.0))
    for k, nm in enumerate(["D4", "A4", "F#4", "D5"]):
        x = place(x, 0.7 * bell(hz(nm), 3.5), samples(0.42 * k))
    for nm in ["D3", "A3", "D4", "F#4", "A4"]:
        x = place(x, 0.35 * bell(hz(nm), 3.2, bright=0.6), samples(1.75))
    x = place(x, 0.5 * pad([hz("D2"), hz("A2"), hz("D3")], 2.4, attack=0.8, release=0.6), 0)
    ev.append(Event("event:/SFX/Menu/CorvanLogo", sfx,
                    [w.ogg("logo_corvan", finish(room(x, 80, reverberance=60, damping=40, wet=-4), -3, 0.3))]))

    # Lullwick: a quick marimba run, a slide-whistle swoop and a pop.
    rng = rng_for("logo_lullwick")
    x = np.zeros(samples(2.4))
    for k, nm in enumerate(["C5", "D5", "E5", "G5", "A5", "C6"]):
        x = place(x, 0.7 * modal(hz(nm), [1.0, 3.9, 9.2], [1.0, 0.3, 0.08], [0.3, 0.06, 0.02], 0.5), samples(0.07 * k))
    n = samples(0.55)
    t = t_axis(n)
    f = 600 * (2.8 ** ((t / t[-1]) ** 1.5)) * (1 + 0.01 * np.sin(2 * np.pi * 6 * t))
    whistle = (np.sin(2 * np.pi * np.cumsum(f) / SR) + 0.05 * filt(rng.standard_normal(n), bandpass(2000, 1.0)))
    whistle *= np.minimum(1, t / 0.05) * np.minimum(1, (t[-1] - t) / 0.05)
    x = place(x, 0.35 * whistle, samples(0.48))
    pop = blip(500, 1500, 0.05) * perc(samples(0.05), 0.001, 0.012)
    x = place(x, 0.8 * pop, samples(1.06))
    for k, nm in enumerate(["G5", "C6", "E6"]):
        x = place(x, 0.55 * modal(hz(nm), [1.0, 3.9], [1.0, 0.25], [0.5, 0.08], 0.9), samples(1.1 + 0.04 * k))
    x = place(x, 0.6 * pluck(hz("C3"), 0.3, decay=0.4), samples(1.1))
    ev.append(Event("event:/SFX/Menu/LullwickLogo", sfx,
                    [w.ogg("logo_lullwick", finish(room(x, 30, reverberance=40, wet=-8), -3, 0.2))]))
    return ev


# ----------------------------------------------------------------------------------------------
# Music
# ----------------------------------------------------------------------------------------------

class Loop:
    """A stereo loop rendered circularly: whatever rings past the end comes back in at the start,
    and the reverb is a circular convolution, so the file loops without a seam."""

    def __init__(self, bpm, bars, seed, beats_per_bar=4):
        self.beat = 60.0 / bpm
        self.beats = bars * beats_per_bar
        self.n = samples(self.beats * self.beat)
        self.dry = np.zeros((self.n, 2))
        self.send = np.zeros((self.n, 2))
        self.rng = np.random.default_rng(seed)

    def seconds(self, beats):
        return beats * self.beat

    def add(self, x, beat, gain=1.0, pan=0.0, reverb=0.2, humanise=0.004):
        theta = (pan + 1.0) * np.pi / 4.0
        left, right = np.cos(theta) * np.sqrt(2.0), np.sin(theta) * np.sqrt(2.0)
        jitter = self.rng.uniform(-humanise, humanise) if humanise else 0.0
        start = int(round((beat * self.beat + jitter) * SR)) % self.n
        x = fade_end(x, 0.006)
        pos = 0
        while pos < len(x):
            i = (start + pos) % self.n
            k = min(len(x) - pos, self.n - i)
            seg = x[pos:pos + k] * gain
            self.dry[i:i + k, 0] += seg * min(1.0, left)
            self.dry[i:i + k, 1] += seg * min(1.0, right)
            self.send[i:i + k, 0] += seg * reverb * left
            self.send[i:i + k, 1] += seg * reverb * right
            pos += k

    def render(self, decay=1.8, wet=0.6):
        """Dry plus a hall made of decaying, darkening noise (one impulse response per side)."""
        out = self.dry.copy()
        m = samples(decay * 1.6)
        t = t_axis(m)
        for ch in range(2):
            ir = self.rng.standard_normal(m) * np.exp(-t * 6.9 / decay)
            ir = filt(ir, lowpass(5500, 1))
            ir[: samples(0.018)] = 0.0
            ir /= np.sqrt(np.sum(ir ** 2))
            kernel = np.zeros(self.n)
            kernel[:m] = ir
            out[:, ch] += wet * np.fft.irfft(np.fft.rfft(self.send[:, ch]) * np.fft.rfft(kernel), self.n)
        return out


def circular_filter(x, *responses):
    return np.stack([filt(x[:, c], *responses, circular=True) for c in range(2)], axis=1)


# Chords: bass root, then the voicing used by pads, comping and stabs.
CHORDS = {
    "Em": ("E2", ["E3", "G3", "B3"]),
    "Am": ("A2", ["A3", "C4", "E4"]),
    "B7": ("B1", ["A3", "B3", "D#4", "F#4"]),
    "C": ("C2", ["G3", "C4", "E4"]),
    "F#m7b5": ("F#2", ["F#3", "A3", "C4", "E4"]),
    "Dm7": ("D2", ["F3", "A3", "C4", "E4"]),
    "Bbmaj7": ("Bb1", ["F3", "A3", "D4"]),
    "Gm7": ("G2", ["F3", "Bb3", "D4"]),
    "A7": ("A1", ["G3", "C#4", "E4"]),
    "C7": ("C2", ["G3", "Bb3", "E4"]),
    "Am7": ("A1", ["G3", "C4", "E4"]),
    "Fmaj7": ("F2", ["E3", "A3", "C4"]),
}


def melody(loop, score, bar0, voice, gain, pan=0.0, reverb=0.25, swing=None):
    """score: bar-relative (beat, length in beats, note) tuples, one list per bar from bar0 (1-based)."""
    for b, bar in enumerate(score):
        for beat, length, nm in bar:
            at = (bar0 - 1 + b) * 4 + (swing(beat) if swing else beat)
            loop.add(voice(hz(nm), loop.seconds(length)), at, gain, pan, reverb)


LEVEL_BARS = ["Em", "Em", "Am", "B7", "Em", "Em", "Am", "B7", "Em", "C", "Am", "B7",
              "C", "Am", "F#m7b5", "B7", "Em", "Am", "C", "B7"]

LEVEL_CLARINET_A = [  # bars 5..12
    [(1.0, 0.4, "E5"), (1.5, 0.4, "F#5"), (2.0, 0.9, "G5"), (3.5, 0.4, "B4")],
    [(0.0, 0.4, "E5"), (0.5, 0.4, "D#5"), (1.0, 0.4, "E5"), (1.5, 0.4, "G5"), (2.0, 0.4, "F#5"),
     (2.5, 0.4, "E5"), (3.0, 0.9, "D5")],
    [(0.0, 0.4, "C5"), (0.5, 0.4, "E5"), (1.0, 1.4, "A5"), (2.5, 0.4, "G5"), (3.0, 0.4, "F#5"), (3.5, 0.4, "E5")],
    [(0.0, 0.9, "D#5"), (1.0, 0.4, "F#5"), (1.5, 0.4, "A5"), (2.0, 1.5, "B5")],
    [(0.0, 0.4, "G5"), (0.5, 0.4, "F#5"), (1.0, 0.4, "E5"), (1.5, 0.9, "B4"), (3.0, 0.4, "E5"), (3.5, 0.4, "G5")],
    [(0.0, 1.4, "E5"), (2.0, 0.4, "C5"), (2.5, 0.4, "D5"), (3.0, 0.9, "E5")],
    [(0.0, 0.4, "A4"), (0.5, 0.4, "C5"), (1.0, 0.9, "E5"), (2.0, 0.4, "D5"), (2.5, 0.4, "C5"), (3.0, 0.9, "B4")],
    [(0.0, 0.4, "A4"), (0.5, 0.4, "B4"), (1.0, 0.4, "C5"), (1.5, 0.4, "D#5"), (2.0, 1.4, "F#5")],
]
LEVEL_VIBES_B = [  # bars 13..16
    [(0.0, 1.5, "G5"), (1.5, 0.5, "E5"), (2.0, 1.9, "C6")],
    [(0.0, 1.0, "B5"), (1.0, 1.0, "A5"), (2.0, 1.9, "E5")],
    [(0.0, 1.0, "F#5"), (1.0, 1.0, "A5"), (2.0, 1.5, "C6"), (3.5, 0.5, "B5")],
    [(0.0, 1.0, "A5"), (1.0, 1.0, "F#5"), (2.0, 1.9, "D#5")],
]
LEVEL_CLARINET_C = [  # bars 17..20, low answer that leads back to the top
    [(0.0, 0.4, "E4"), (0.5, 0.4, "G4"), (1.0, 0.4, "B4"), (1.5, 0.9, "E5")],
    [(0.0, 0.4, "C5"), (0.5, 0.4, "B4"), (1.0, 0.9, "A4")],
    [(0.0, 0.4, "G4"), (0.5, 0.4, "E4"), (1.0, 0.4, "G4"), (1.5, 0.9, "C5")],
    [(0.0, 0.4, "B4"), (0.5, 0.4, "A4"), (1.0, 0.4, "F#4"), (1.5, 0.4, "D#4"), (2.0, 1.0, "B3")],
]


def shift(nm, semitones):
    return note(nm) + semitones


def level_one(bpm=100):
    """The sneaking theme and its chase layer: same tempo, same bars, same length."""
    base = Loop(bpm, len(LEVEL_BARS), seed=101)
    chase = Loop(bpm, len(LEVEL_BARS), seed=202)
    rng = base.rng
    kit = {"kick": kick(rng, 0.2, 0.4), "snap": snap(rng), "shaker": [shaker(rng) for _ in range(4)],
           "hat": [hat(rng, 0.03) for _ in range(4)], "open": hat(rng, 0.16)}
    for bar, name in enumerate(LEVEL_BARS):
        b0 = bar * 4
        root, voicing = CHORDS[name]
        nxt = CHORDS[LEVEL_BARS[(bar + 1) % len(LEVEL_BARS)]][0]
        r = note(root) + (12 if note(root) < note("D2") else 0)
        approach = note(nxt) + (12 if note(nxt) < note("D2") else 0) - 1
        # Tiptoeing pizzicato bass.
        for beat, m, length in [(0, r, 0.45), (1, r + 7, 0.4), (2, r + 12, 0.4), (2.5, r + 7, 0.3),
                                (3, r, 0.4), (3.5, approach, 0.3)]:
            base.add(pluck(mtof(m), base.seconds(length), decay=0.35, bright=0.5), b0 + beat, 0.6, -0.1, 0.15)
        # Finger snaps on two and four, a shaker on the eighths, a soft kick.
        for beat in (1, 3):
            base.add(kit["snap"], b0 + beat, 0.35, 0.35, 0.3)
        for k in range(8):
            base.add(kit["shaker"][k % 4], b0 + k * 0.5, 0.07 if k % 2 else 0.11, -0.4, 0.1)
        base.add(kit["kick"], b0, 0.4, 0.0, 0.05)
        # Muted string pad under everything, louder in the middle section.
        level = 0.05 if bar < 12 or bar >= 16 else 0.08
        base.add(pad([hz(v) for v in voicing], base.seconds(3.6), attack=1.2, release=0.6), b0, level, 0.0, 0.4)
        # Vibes comping on the "and" of two where the clarinet rests.
        if bar < 4 or bar >= 16:
            for v in voicing:
                base.add(vibes(hz(v) * 2, base.seconds(0.4)), b0 + 1.5, 0.07, 0.3, 0.35)
    melody(base, LEVEL_CLARINET_A, 5, clarinet, 0.4, -0.15, 0.3)
    melody(base, LEVEL_VIBES_B, 13, vibes, 0.45, 0.2, 0.4)
    melody(base, LEVEL_CLARINET_C, 17, clarinet, 0.4, -0.15, 0.3)

    # Chase layer: driving drums, a string ostinato in sixteenths and brass stabs.
    crng = chase.rng
    ck = {"kick": kick(crng, 0.22, 1.0), "snare": snare(crng), "hat": [hat(crng, 0.025) for _ in range(4)],
          "crash": cymbal(crng, 1.2)}
    for bar, name in enumerate(LEVEL_BARS):
        b0 = bar * 4
        root, voicing = CHORDS[name]
        r = note(root) + (12 if note(root) < note("D2") else 0)
        for beat in (0, 1, 2, 2.5, 3):
            chase.add(ck["kick"], b0 + beat, 0.65, 0.0, 0.05, 0.0)
        for beat in (1, 3):
            chase.add(ck["snare"], b0 + beat, 0.45, 0.1, 0.2, 0.0)
        for k in range(16):
            chase.add(ck["hat"][k % 4], b0 + k * 0.25, 0.16 if k % 2 == 0 else 0.08, 0.45, 0.05, 0.0)
        if bar % 4 == 0:
            chase.add(ck["crash"], b0, 0.3, -0.3, 0.3, 0.0)
        if bar % 4 == 3:
            for k in range(8):
                chase.add(tom(crng, 160 - 9 * k), b0 + 2 + k * 0.25, 0.45, -0.5 + k * 0.12, 0.2, 0.0)
        for k in range(16):
            m = r + 24 + [0, 0, 12, 0, 7, 0, 12, 7][k % 8]
            chase.add(strings(mtof(m), chase.seconds(0.18)), b0 + k * 0.25, 0.14 if k % 4 else 0.2, -0.35, 0.2, 0.0)
        for beat, length in ((0.0, 0.3), (2.5, 0.25)) if bar % 2 == 0 else ((0.0, 0.3),):
            chase.add(brass([hz(v) for v in voicing], chase.seconds(length), attack=0.012), b0 + beat,
                      0.28, 0.3, 0.3, 0.0)
        for k in range(8):
            m = r + (12 if k % 2 else 0)
            chase.add(np.tanh(2.0 * pluck(mtof(m), chase.seconds(0.22), decay=0.3, bright=0.75)), b0 + k * 0.5,
                      0.35, 0.0, 0.05, 0.0)

    base_mix = circular_filter(base.render(decay=1.9, wet=0.55), highpass(30, 2))
    chase_mix = circular_filter(chase.render(decay=1.2, wet=0.35), highpass(30, 2))
    base_mix = base_mix * (10 ** (-5 / 20) / np.max(np.abs(base_mix)))
    chase_mix = chase_mix * (10 ** (-6 / 20) / np.max(np.abs(chase_mix)))
    # The two layers play together at Chase = 1; keep their sum clear of clipping.
    both = np.max(np.abs(base_mix + chase_mix))
    if both > 10 ** (-0.5 / 20):
        chase_mix *= (10 ** (-0.5 / 20) - np.max(np.abs(base_mix))) / max(1e-9, both - np.max(np.abs(base_mix)))
    return base_mix, chase_mix


MENU_BARS = ["Dm7", "Bbmaj7", "Gm7", "A7", "Dm7", "Bbmaj7", "Gm7", "A7",
             "Bbmaj7", "C7", "Am7", "Dm7", "Gm7", "C7", "Fmaj7", "A7"]

MENU_VIBES = [  # bars 5..16
    [(0.0, 1.0, "A4"), (1.0, 0.5, "D5"), (1.5, 0.5, "E5"), (2.0, 1.5, "F5"), (3.5, 0.5, "E5")],
    [(0.0, 2.0, "D5"), (2.0, 1.0, "A4"), (3.0, 1.0, "F5")],
    [(0.0, 1.0, "G5"), (1.0, 0.5, "F5"), (1.5, 0.5, "D5"), (2.0, 2.0, "Bb4")],
    [(0.0, 1.0, "C#5"), (1.0, 1.0, "E5"), (2.0, 1.0, "G5"), (3.0, 0.5, "A5"), (3.5, 0.5, "G5")],
    [(0.0, 1.5, "F5"), (1.5, 0.5, "D5"), (2.0, 2.0, "A5")],
    [(0.0, 1.0, "G5"), (1.0, 1.0, "E5"), (2.0, 1.0, "Bb4"), (3.0, 1.0, "C5")],
    [(0.0, 1.0, "E5"), (1.0, 1.0, "C5"), (2.0, 1.0, "A4"), (3.0, 1.0, "G5")],
    [(0.0, 2.5, "F5"), (2.5, 0.5, "E5"), (3.0, 1.0, "D5")],
    [(0.0, 0.5, "D5"), (0.5, 0.5, "F5"), (1.0, 1.0, "A5"), (2.0, 1.0, "G5"), (3.0, 1.0, "F5")],
    [(0.0, 1.5, "E5"), (1.5, 0.5, "G5"), (2.0, 1.0, "Bb5"), (3.0, 0.5, "A5"), (3.5, 0.5, "G5")],
    [(0.0, 2.0, "A5"), (2.0, 1.0, "E5"), (3.0, 1.0, "F5")],
    [(0.0, 1.0, "E5"), (1.0, 1.0, "C#5"), (2.0, 2.0, "A4")],
]


def menu_theme(bpm=84):
    """A slow, swung lounge piece with a hint of mischief."""
    loop = Loop(bpm, len(MENU_BARS), seed=303)
    rng = loop.rng

    def swing(beat):
        frac = beat - np.floor(beat)
        return np.floor(beat) + (0.62 if abs(frac - 0.5) < 1e-6 else frac)

    ride = [hat(rng, 0.22) for _ in range(3)]
    for bar, name in enumerate(MENU_BARS):
        b0 = bar * 4
        root, voicing = CHORDS[name]
        r = note(root) + (12 if note(root) < note("D2") else 0)
        nxt = CHORDS[MENU_BARS[(bar + 1) % len(MENU_BARS)]][0]
        nr = note(nxt) + (12 if note(nxt) < note("D2") else 0)
        third = 3 if "m" in name.replace("maj", "") else 4
        walk = [r, r + third, r + 7, nr + (1 if bar % 2 else -1)]
        for k, m in enumerate(walk):
            loop.add(pluck(mtof(m), loop.seconds(0.85), decay=0.9, bright=0.4, release=0.08), b0 + k, 0.55, -0.05, 0.15)
        loop.add(pad([hz(v) for v in voicing], loop.seconds(3.8), attack=1.0, release=0.9), b0, 0.1, 0.0, 0.5)
        # Brushes: a swirl across each half bar, a feathered kick, a rim click on four, a soft ride.
        for half in (0, 2):
            loop.add(brush_swirl(rng, loop.seconds(1.9)), b0 + half, 0.05, 0.3, 0.2)
            loop.add(kick(rng, 0.18, 0.2), b0 + half, 0.35, 0.0, 0.05)
        loop.add(rim(rng), b0 + 3, 0.12, -0.25, 0.3)
        for beat in (0, 1, 1.5, 2, 3, 3.5):
            loop.add(ride[int(beat * 2) % 3], b0 + swing(beat), 0.05 if beat % 1 else 0.08, 0.5, 0.2)
        if bar < 4:
            for v in voicing:
                loop.add(vibes(hz(v), loop.seconds(0.6)), b0 + swing(1.5), 0.06, -0.3, 0.4)
                loop.add(vibes(hz(v), loop.seconds(0.4)), b0 + swing(3.5), 0.04, -0.3, 0.4)
    melody(loop, MENU_VIBES, 5, vibes, 0.45, 0.15, 0.45, swing)
    mix = circular_filter(loop.render(decay=2.4, wet=0.65), highpass(30, 2))
    return mix * (10 ** (-4 / 20) / np.max(np.abs(mix)))


def music_events(w):
    menu = menu_theme()
    base, chase = level_one()
    return [
        Event("event:/Music/MenuMusic", "bus:/Music", [w.ogg("music_menu", menu, MUSIC_QUALITY)],
              loop=True, volume=0.8),
        Event("event:/Music/LevelOneMusic", "bus:/Music", [w.ogg("music_level_one", base, MUSIC_QUALITY)],
              loop=True, volume=0.8,
              layers=[("parameter:/Chase", w.ogg("music_level_one_chase", chase, MUSIC_QUALITY), 0.5)]),
    ]


# ----------------------------------------------------------------------------------------------
# Bank manifests
# ----------------------------------------------------------------------------------------------

HEADER = "quillbank 1\n"


def number(v):
    return f"{v:g}"


def manifest(title, events=(), buses=()):
    lines = [HEADER.rstrip("\n"), f"# {title}", "# Written by tools/gen_sounds.py; the format is described in README.md.", ""]
    for bus in buses:
        lines.append(f"bus {bus}")
    if buses:
        lines.append("")
    for e in events:
        lines.append(f"event {e.path}")
        lines.append(f"  bus {e.bus}")
        for f in e.files:
            lines.append(f"  sound {f}")
        lines.append(f"  loop {'yes' if e.loop else 'no'}")
        lines.append(f"  volume {number(e.volume)}")
        lines.append(f"  pitch {number(e.pitch)}")
        lines.append(f"  positioned {'yes' if e.positioned else 'no'}")
        for parameter, f, fade in e.layers:
            lines.append(f"  layer {parameter} {f} {number(fade)}")
        lines.append("end")
        lines.append("")
    return "\n".join(lines)


def write_text(path, text):
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


def main():
    global TMP
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=str(ROOT / "Assets" / "Music"), help="the Music folder to write")
    args = parser.parse_args()
    for tool in ("sox", "espeak-ng", "oggenc"):
        if shutil.which(tool) is None:
            sys.exit(f"gen_sounds: {tool} is missing (apt-get install sox espeak-ng vorbis-tools)")

    out = Path(args.out)
    with tempfile.TemporaryDirectory(prefix="gen_sounds_") as scratch:
        TMP = Path(scratch)
        w = Writer(out)
        old = set(p.name for p in w.sound_dir.glob("*.ogg"))
        sfx = sfx_events(w)
        music = music_events(w)
        for stale in old - set(p.name for p in w.written):
            (w.sound_dir / stale).unlink()

    write_text(out / "SFX.bank", manifest("Sound effects: player, food, guards, glass and menus.", sfx))
    write_text(out / "Music.bank", manifest("Music: the menu theme and the level theme with its chase layer.", music))
    write_text(out / "Master.bank", manifest("Master: the buses every event is routed to.",
                                             buses=["bus:/Music", "bus:/SFX"]))
    write_text(out / "Master.strings.bank", manifest("Master strings: names are resolved from the other banks."))
    write_text(out / "Ambience.bank", manifest("Ambience: no ambient beds yet."))

    total = sum(p.stat().st_size for p in out.rglob("*") if p.is_file())
    print(f"gen_sounds: {len(w.written)} sounds, {len(sfx) + len(music)} events, {total / 1e6:.2f} MB in {out}")


if __name__ == "__main__":
    main()
