#!/bin/sh
# One file to ship, with a real JVM: a jar embedded into a configured
# launcher runs with java -jar and reads as a zip, configuring again keeps
# one jar, launcher-config sign keeps it runnable and the signature
# verifying, and what the configurator must refuse is refused.
#
#   one_file_test.sh CONFIGURATOR LAUNCHER_IMAGE JAR_FUZZ
set -eu
config=$1
image=$2
fuzz=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/one-file-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAILED: $*"; exit 1; }
java -version 2>&1 | head -1
greeting="Hello from the embedded jar: resource read"
runs() { out=$(java -jar "$1" 2>&1) && [ "$out" = "$greeting" ] || fail "java -jar $1: $out"; }
shown() { "$config" show "$1" | grep -qF "$2" || { "$config" show "$1"; fail "show $1 lacks: $2"; }; }
sha() { sha256sum "$1" | cut -c1-64; }
end_records() { python3 -c "import sys; print(open(sys.argv[1],'rb').read().count(b'PK\5\6'))" "$1"; }
names="--company Example --product-name App --file-description App"

# The application: a main class that reads a resource from its own jar.
mkdir -p src/app classes/app
cat >src/app/Main.java <<'EOF'
package app;
public class Main {
    public static void main(String[] args) throws Exception {
        try (java.io.InputStream in = Main.class.getResourceAsStream("/app/greeting.txt")) {
            System.out.println("Hello from the embedded jar: " + new String(in.readAllBytes(), "UTF-8").trim());
        }
    }
}
EOF
echo "resource read" >classes/app/greeting.txt
javac -d classes src/app/Main.java
jar --create --file App.jar --main-class app.Main -C classes .
jar --create --file NoMain.jar -C classes .
cp App.jar Comment.jar && echo "a comment" | zip -qz Comment.jar
echo "not a zip" >NotZip.jar
# More than 65,535 entries: ZIP64 end records.
python3 - <<'EOF'
import zipfile
with zipfile.ZipFile('Big.jar', 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('META-INF/MANIFEST.MF', 'Manifest-Version: 1.0\r\nMain-Class: app.Main\r\n\r\n')
    z.write('classes/app/Main.class', 'app/Main.class')
    z.write('classes/app/greeting.txt', 'app/greeting.txt')
    for i in range(65600):
        z.writestr(zipfile.ZipInfo('f/%d' % i), b'')
EOF
# Every size and offset in ZIP64 fields (which java -jar does not read, zip tools do).
python3 - <<'EOF'
import zipfile
zipfile.ZIP64_LIMIT = zipfile.ZIP_FILECOUNT_LIMIT = 0
with zipfile.ZipFile('Zip64Fields.jar', 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('META-INF/MANIFEST.MF', 'Main-Class: app.Main\n')
    z.writestr('app/data.txt', 'x' * 1000)
EOF

# Embedded: java -jar runs the launcher's file, zip tools read it without
# complaint, show names the jar, and the embedded jar is the jar file.
for case in "App 5" "Big 65603" "Zip64Fields 2"; do
  set -- $case
  "$config" configure "$image" "$1.exe" --embed-jar "$1.jar" $names
  unzip -tq "$1.exe" >/dev/null || fail "unzip -tq $1.exe"
  shown "$1.exe" "114  PROP_JAR_IN_IMAGE       flag     \"on\"  -> on"
  shown "$1.exe" "Embedded jar: $(wc -c <"$1.jar") bytes at offset"
  shown "$1.exe" ", $2 entries, Main-Class: app.Main"
  shown "$1.exe" "SHA-256: $(sha "$1.jar")"
  shown "$1.exe" "reaches the end of the file: yes"
  [ "$1" = Zip64Fields ] || runs "$1.exe"
done

# Configured again: the jar is kept for its new place, or replaced; never two.
"$config" configure App.exe Kept.exe --set PROP_VM_OPTIONS="$(printf '%4000s' | tr ' ' x)"
mkdir conf && echo "embed-jar = ../Big.jar" >conf/replace.conf && echo "embed-jar =" >conf/out.conf
"$config" configure App.exe Replaced.exe --config conf/replace.conf
for case in "Kept App" "Replaced Big"; do
  set -- $case
  runs "$1.exe"
  shown "$1.exe" "SHA-256: $(sha "$2.jar")"
  [ "$(end_records "$1.exe")" = 1 ] || fail "$1.exe holds more than one end record"
done
# Taken out: the same file as one configured without a jar.
mkdir ref && "$config" configure "$image" ref/App.exe $names
for option in --no-embedded-jar "--config conf/out.conf"; do
  "$config" configure App.exe NoJar.exe $option
  cmp -s NoJar.exe ref/App.exe || fail "$option left more than a launcher without a jar"
done

# Signing: a signer that writes {out}, and one that signs {in} in place.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Throwaway test signer" \
  -addext "keyUsage=digitalSignature" -addext "extendedKeyUsage=codeSigning" \
  -keyout key.pem -out cert.pem 2>/dev/null
ossl="osslsigncode sign -certs cert.pem -key key.pem -h sha256"
verifies() { osslsigncode verify -CAfile cert.pem -in "$1" 2>&1 | grep -q "Signature verification: ok"; }
# The description's length sets the signature's size, as a timestamp may:
# DESCRIPTIONS gives one per signing, the last one repeated.
cat >signer.sh <<EOF
#!/bin/sh
n=\$(( \$(cat count 2>/dev/null || echo 0) + 1 )); echo \$n >count
description=\$(echo "\$DESCRIPTIONS" | tr ' ' '\n' | sed -n "\${n}p")
[ -n "\$description" ] || description=\${DESCRIPTIONS##* }
if [ "\$#" = 1 ]; then $ossl -n "\$description" -in "\$1" -out "\$1.tmp" >/dev/null && mv "\$1.tmp" "\$1"
else $ossl -n "\$description" -in "\$1" -out "\$2" >/dev/null; fi
EOF
chmod +x signer.sh
B=BBBBBBBBBBBBBBBBBBBBB C=$(printf '%40s' | tr ' ' C)
for case in "out A" "in A" "out A $B" "in A $B" "out A $B $C"; do
  set -- $case
  mode=$1; shift
  export DESCRIPTIONS="$*"
  rm -f count && cp App.exe "S-$mode.exe"
  if [ $mode = out ]; then words="{in} {out}"; else words="{in}"; fi
  "$config" sign "S-$mode.exe" -- ./signer.sh $words >said.txt || fail "sign ($case)"
  grep -q "at try $#: the embedded jar's comment covers the .* reaches the end of the file" said.txt &&
    [ "$(grep -c '^try [0-9]*, room made for [0-9]* bytes: the signature takes [0-9]* bytes, [0-9]*\.[0-9][0-9] s$' said.txt)" = $# ] ||
    fail "sign ($case) says: $(cat said.txt)"
  verifies "S-$mode.exe" || fail "S-$mode.exe ($case) does not verify"
  runs "S-$mode.exe"
  shown "S-$mode.exe" "reaches the end of the file: yes"
  shown "S-$mode.exe" "SHA-256: $(sha App.jar)"
  [ "$(cat count)" = $(( $# + 1 )) ] || fail "$(cat count) signings ($case)"
done
# Signed without the step, java refuses the file: the reason for the step.
$ossl -n App -in App.exe -out Plain.exe >/dev/null
verifies Plain.exe || fail "Plain.exe does not verify"
java -jar Plain.exe 2>&1 | grep -q "Invalid or corrupt jarfile" || fail "java -jar ran a file signed without the step"
shown Plain.exe "reaches the end of the file: no"
# One byte of the embedded jar changed: the signature covers the jar.
cp S-out.exe Flipped.exe
printf 'X' | dd of=Flipped.exe bs=1 seek=$(( $(wc -c <App.exe) - $(wc -c <App.jar) + 200 )) conv=notrunc 2>/dev/null
if verifies Flipped.exe; then fail "a changed byte in the jar still verifies"; fi
# Without a jar, one signing.
rm -f count && "$config" configure "$image" Bare.exe $names && "$config" sign Bare.exe -- ./signer.sh {in} >/dev/null
verifies Bare.exe && [ "$(cat count)" = 1 ] || fail "a launcher without a jar was not signed once"

# Failures: one message, the file unchanged; the command's exit status.
cp App.exe Unchanged.exe
printf '#!/bin/sh\nexit 3\n' >fails.sh && chmod +x fails.sh
# A new size at every signing: descriptions 16 bytes apart.
DESCRIPTIONS=D
for n in 17 33 49 65 81 97 113 129 145; do DESCRIPTIONS="$DESCRIPTIONS $(printf "%${n}s" | tr ' ' D)"; done
export DESCRIPTIONS
for case in "3 ./fails.sh {in}" "1 ./no-such-signer {in}" "1 ./signer.sh {in}"; do
  set -- $case
  expected=$1; shift
  rm -f count
  status=0; "$config" sign Unchanged.exe -- "$@" >/dev/null 2>err.txt || status=$?
  [ "$status" = "$expected" ] && [ "$(wc -l <err.txt)" = 1 ] || fail "sign -- $* gave $status: $(cat err.txt)"
  grep -q "^launcher-config: .*Unchanged.exe is unchanged$" err.txt || fail "sign -- $*: $(cat err.txt)"
  cmp -s App.exe Unchanged.exe || fail "a failed signing changed the file"
done
ls | grep -q -e '\.signing-' -e '\.unsigned-' -e '\.signed-' && fail "temporary files left behind"

# Refused with one message, exit code 1, nothing written.
for case in "NotZip.jar|not a zip file" "NoMain.jar|names no Main-Class" "Comment.jar|has a zip comment" \
    "S-out.exe|the image is signed" \
    "--set PROP_JAR_IN_IMAGE=on|PROP_JAR_IN_IMAGE follows --embed-jar" \
    "--set PROP_RUNTIME_URL=https://example.com/jre.zip|needs PROP_RUNTIME_SHA256" \
    "--set PROP_RUNTIME_URL=https://example.com/jre.zip --set PROP_RUNTIME_SHA256=$(printf '%064d' 0)|needs PROP_RUNTIME_SIZE" \
    "--set PROP_RUNTIME_URL=ftp://example.com/jre.zip|an https:// or http:// address" \
    "--set PROP_RUNTIME_SHA256=0123abc|64 hex digits" \
    "--set PROP_RUNTIME_SHA256=$(printf '%063dg' 0)|64 hex digits" \
    "--set PROP_RUNTIME_SIZE=0|a positive decimal number" \
    "--set PROP_RUNTIME_SIZE=-5|a positive decimal number" \
    "--set PROP_RUNTIME_SIZE=12MB|a positive decimal number" \
    "--set PROP_RUNTIME_FOLDER=C:jre|a folder under" \
    "--set PROP_RUNTIME_FOLDER=../jre|a folder under" \
    "--set PROP_RUNTIME_FOLDER=a\\..\\jre|a folder under" \
    "--set PROP_RUNTIME_FOLDER=\\jre|a folder under"; do
  what=${case%%|*}; message=${case#*|}
  case $what in
    *.jar) args="$image out.exe --embed-jar $what" ;;
    *.exe) args="$what out.exe --embed-jar App.jar" ;;
    *) args="$image out.exe $what" ;;
  esac
  status=0; "$config" configure $args >err.txt 2>&1 || status=$?
  [ "$status" = 1 ] && [ "$(wc -l <err.txt)" = 1 ] && grep -qF "$message" err.txt || fail "$what: $status $(cat err.txt)"
  [ ! -e out.exe ] || fail "$what: an output was written"
done
"$config" configure "$image" Runtime.exe $names --set PROP_RUNTIME_URL=https://example.com/jre.zip \
  --set PROP_RUNTIME_SHA256="$(sha App.jar)" --set PROP_RUNTIME_SIZE=52428800 --set PROP_RUNTIME_FOLDER=MyApp.jre
for line in "115  PROP_RUNTIME_URL        text     \"https://example.com/jre.zip\"" \
    "116  PROP_RUNTIME_SHA256     text     \"$(sha App.jar)\"" "117  PROP_RUNTIME_SIZE       integer  \"52428800\"" \
    "118  PROP_RUNTIME_FOLDER     text     \"MyApp.jre\""; do shown Runtime.exe "$line"; done

# The shipped sample's names: a file description alone names the file after
# the output and warns, in one line, of the sample's names still there.
"$config" configure "$image" Desc.exe --file-description "My App" 2>err.txt
shown Desc.exe "OriginalFilename: Desc.exe"
shown Desc.exe "InternalName: Desc"
[ "$(wc -l <err.txt)" = 1 ] && grep -qF 'warning: the version information still holds the shipped sample'"'"'s CompanyName "Marblewright", ProductName "Marblewright" (set --company, --product-name)' err.txt \
  || fail "warning: $(cat err.txt)"
"$config" configure "$image" Named.exe $names 2>err.txt
[ ! -s err.txt ] || fail "warned with every name set: $(cat err.txt)"

for exe in App.exe Zip64Fields.exe; do "$fuzz" $exe 3000 >/dev/null || fail "the jar reader on corrupted jars ($exe)"; done
echo "embedded, run, configured again, signed, refused: passed"
