#!/usr/bin/env python3
"""Independent computation of the channel-key construction, for the session tests.

  kdf_reference.py block SECRET SEED1 SEED2   key block (hex in, hex out)
  kdf_reference.py wrap SECRET               key block of the wrapping key schedule
"""
import hashlib
import sys

LABELS = [b"A", b"BB", b"CCC", b"DDDD"]


def sha1(data):
    return hashlib.sha1(data).digest()


def key_block(secret, seed1, seed2):
    master = sha1(secret)
    seed = seed1 + seed2
    block = b""
    for label in LABELS:
        inner = sha1(label + master + seed)
        middle = sha1(master + inner)
        block += hashlib.sha256(middle).digest()
    return block


def wrap_block(secret):
    digest = hashlib.sha256(secret).digest()
    swapped = digest[16:32] + digest[0:16]
    seed_a = sha1(swapped)
    seed_b = sha1(seed_a)
    return key_block(secret, seed_a, seed_b)


def main(argv):
    args = [bytes.fromhex(a) for a in argv[2:]]
    if argv[1] == "block":
        print(key_block(*args).hex())
    elif argv[1] == "wrap":
        print(wrap_block(*args).hex())
    else:
        raise SystemExit("unknown mode " + argv[1])


if __name__ == "__main__":
    main(sys.argv)
