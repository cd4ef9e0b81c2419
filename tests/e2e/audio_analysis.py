"""Reading what the player's wav: output recorded, and measuring it."""
import array
import math
import wave


def _mono(frames, chans):
    data = array.array("h")
    data.frombytes(frames[: len(frames) // 2 * 2])
    return [sum(data[i:i + chans]) / (chans * 32768.0) for i in range(0, len(data) - chans + 1, chans)]


def read_wav(path):
    """Returns (rate, mono samples as floats in -1..1)."""
    with wave.open(path, "rb") as w:
        rate, chans, width = w.getframerate(), w.getnchannels(), w.getsampwidth()
        frames = w.readframes(w.getnframes())
    assert width == 2, "16-bit output expected"
    return rate, _mono(frames, chans)


# The player's wav: output is a 16-bit file with a 44-byte header, written as the
# engine mixes (silence while nothing plays), so its length is the engine's clock.
def read_recording(path):
    """(rate, mono samples) of what a recording still being written holds so far."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError:
        return 44100, []
    if len(data) < 44:
        return 44100, []
    chans = int.from_bytes(data[22:24], "little") or 2
    rate = int.from_bytes(data[24:28], "little") or 44100
    return rate, _mono(data[44:], chans)


def recorded_seconds(path):
    """How long the recording is so far."""
    try:
        with open(path, "rb") as f:
            header = f.read(44)
            size = f.seek(0, 2)
    except OSError:
        return 0.0
    if len(header) < 44:
        return 0.0
    chans = int.from_bytes(header[22:24], "little") or 2
    rate = int.from_bytes(header[24:28], "little") or 44100
    return (size - 44) / (rate * chans * 2)


def tail_level(path, seconds):
    """RMS level of the last `seconds` of the recording so far (None while shorter)."""
    try:
        with open(path, "rb") as f:
            header = f.read(44)
            size = f.seek(0, 2)
            if len(header) < 44:
                return None
            chans = int.from_bytes(header[22:24], "little") or 2
            rate = int.from_bytes(header[24:28], "little") or 44100
            want = int(seconds * rate) * chans * 2
            if size - 44 < want:
                return None
            f.seek(size - want)
            data = f.read(want)
    except OSError:
        return None
    return rms(_mono(data, chans))


def quieter_than(level, threshold):
    """True when a measured level (tail_level) is below `threshold`; an unmeasured one
    (None: the recording is still too short) is neither quieter nor louder."""
    return level is not None and level < threshold


def heard_seconds(path, threshold=0.01):
    """From the first to the last sounding moment of the recording so far (0 before)."""
    rate, samples = read_recording(path)
    span = sounding_span(rate, samples, threshold)
    return span[1] - span[0] if span else 0.0


def quiet_after_sound(path, seconds, threshold=0.01, since=0.0):
    """True once the recording holds sound after `since` seconds followed by `seconds`
    of quiet."""
    rate, samples = read_recording(path)
    samples = samples[int(since * rate):]
    span = sounding_span(rate, samples, threshold)
    return bool(span) and len(samples) / rate - span[1] >= seconds


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
