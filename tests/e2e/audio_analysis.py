"""Reading what the player's wav: output recorded, and measuring it."""
import array
import math
import wave


def read_wav(path):
    """Returns (rate, mono samples as floats in -1..1)."""
    with wave.open(path, "rb") as w:
        rate, chans, width = w.getframerate(), w.getnchannels(), w.getsampwidth()
        frames = w.readframes(w.getnframes())
    assert width == 2, "16-bit output expected"
    data = array.array("h")
    data.frombytes(frames[: len(frames) // 2 * 2])
    mono = [sum(data[i:i + chans]) / (chans * 32768.0) for i in range(0, len(data) - chans + 1, chans)]
    return rate, mono


def rms(samples):
    return math.sqrt(sum(s * s for s in samples) / len(samples)) if samples else 0.0


def windows_rms(rate, samples, window_s=0.05):
    n = max(1, int(rate * window_s))
    return [rms(samples[i:i + n]) for i in range(0, len(samples) - n + 1, n)]


def sounding_span(rate, samples, threshold=0.01, window_s=0.05):
    """(start, end) in seconds of the part louder than `threshold`, or None."""
    levels = windows_rms(rate, samples, window_s)
    loud = [i for i, v in enumerate(levels) if v > threshold]
    if not loud:
        return None
    return loud[0] * window_s, (loud[-1] + 1) * window_s


def frequency(rate, samples):
    """The dominant frequency by zero crossings (a clean tone is assumed)."""
    crossings = sum(1 for a, b in zip(samples, samples[1:]) if a < 0 <= b)
    return crossings * rate / len(samples) if samples else 0.0
