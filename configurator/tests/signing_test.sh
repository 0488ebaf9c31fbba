#!/bin/sh
# A configured launcher can be signed, and a signed one is refused with the
# order to follow: sign with a throwaway self-signed certificate, verify the
# signature, then try to configure the signed image.
#
#   signing_test.sh CONFIGURATOR LAUNCHER_IMAGE
set -eu
configurator=$1
image=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/signing-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAILED: $*"; exit 1; }

"$configurator" configure "$image" MyApp.exe --set PROP_START_JAR=myapp.jar --product-name "My Application"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Throwaway test signer" \
  -addext "keyUsage=digitalSignature" -addext "extendedKeyUsage=codeSigning" \
  -keyout key.pem -out cert.pem 2>/dev/null
osslsigncode sign -certs cert.pem -key key.pem -h sha256 -n "My Application" -in MyApp.exe -out signed.exe >/dev/null \
  || fail "osslsigncode cannot sign the configured launcher"
osslsigncode verify -CAfile cert.pem -in signed.exe >verify.txt 2>&1 || { cat verify.txt; fail "the signature does not verify"; }
grep -q "Signature verification: ok" verify.txt || { cat verify.txt; fail "no verified signature"; }

# A changed byte breaks the signature: the verification above is real.
cp signed.exe tampered.exe
printf 'X' | dd of=tampered.exe bs=1 seek=1024 conv=notrunc 2>/dev/null
if osslsigncode verify -CAfile cert.pem -in tampered.exe >/dev/null 2>&1; then fail "a changed image still verifies"; fi

status=0
"$configurator" configure signed.exe again.exe --set PROP_START_JAR=other.jar >refusal.txt 2>&1 || status=$?
[ "$status" = 1 ] || fail "a signed launcher was not refused (exit code $status)"
grep -q "configure an unsigned launcher first and sign the result afterwards" refusal.txt || { cat refusal.txt; fail "refusal message"; }
[ ! -e again.exe ] || fail "an output was written for a signed input"
echo "signed, verified, and refused once signed: passed"
