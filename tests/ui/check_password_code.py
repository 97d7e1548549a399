"""The stored password form against the key-stream rule written out here."""
import subprocess
import sys

MASK = 0x0FFFFFFF


def key_stream(seed):
    a, b, c = 48213577, 183647205, seed
    key = []
    for _ in range(32):
        a = ((a * 5) % 2**32 // 3) & MASK
        b = ((b * 7) % 2**32 // 5) & MASK
        c = ((c * 11) % 2**32 // 7) & MASK
        key.append(((c & 0xFF) + (b & 0xFF) + (a & 0xFF)) & 0xFF)
    return key


def stored(seed, text):
    plain = text.encode("latin-1")[:24].ljust(24, b"\0")
    key = key_stream(seed)
    head = seed.to_bytes(4, "little")
    body = bytes(p ^ k for p, k in zip(plain, key))
    return (head + body).hex().upper()


def main(tool):
    cases = [(0, ""), (1, "a"), (1700000000, "Supervisor1"), (0x12345678, "abc"),
             (0xFFFFFFFF, "ABCDEFGHIJKLMNOPQRSTUVWX"), (0x9E3779B9, "with space & 24 chars..!")]
    failed = 0
    for seed, text in cases:
        got = subprocess.run([tool, str(seed), text], check=True, capture_output=True,
                             text=True).stdout.strip()
        want = stored(seed, text)
        if got != want:
            print(f"seed {seed} {text!r}: got {got} want {want}")
            failed += 1
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
