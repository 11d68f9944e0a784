"""The identity verification service of the HTTP fixture.

The folder holds ivs-registry (lines "<Base64 DER certificate> <hex SHA-256 of the
identity number>"), ivs.key (the service's RSA key, PEM) and optionally ivs-mode, one
word that makes the service misbehave: "garbage", "wrong-nonce" or "bad-signature".
"""
import base64
import json
import os
import subprocess


def read(folder, name, default=""):
    path = os.path.join(folder, name)
    if not os.path.isfile(path):
        return default
    with open(path) as file:
        return file.read().strip()


def sign(folder, text):
    signed = subprocess.run(["openssl", "dgst", "-sha256", "-sign", os.path.join(folder, "ivs.key")],
                            input=text.encode(), capture_output=True, check=True).stdout
    return base64.b64encode(signed).decode()


def answer(folder, body):
    try:
        request = json.loads(body)
    except ValueError:
        return 400, b'{"error":"not JSON"}'
    registry = dict(line.split() for line in read(folder, "ivs-registry").splitlines() if line.strip())
    known = registry.get(request.get("certificate", ""))
    if "identityHash" in request:
        verdict = "match" if known is not None and known == request["identityHash"] else "mismatch"
    else:
        verdict = "match" if known is not None else "mismatch"
    mode = read(folder, "ivs-mode")
    nonce = request.get("nonce", "")
    if mode == "garbage":
        return 200, b"<html>not an answer</html>"
    if mode == "wrong-nonce":
        nonce = "00" * 16
    signature = sign(folder, nonce + ":" + ("mismatch" if mode == "bad-signature" else verdict))
    return 200, json.dumps({"nonce": nonce, "verdict": verdict, "signature": signature}).encode()
