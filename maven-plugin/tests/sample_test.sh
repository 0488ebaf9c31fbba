#!/bin/sh
# The Maven plugin in a project's build (tests/maven-sample), offline with
# the local repository tools/maven-plugin.sh filled: mvn install makes the
# program, which java -jar runs, launcher-config shows with the POM's names
# and the settings, the local repository holds as an artifact, and Wine
# starts with the stand-in runtime; the parameters' variants; failures
# that leave no program behind; a signature that verifies.
#
#   sample_test.sh CHECKOUT LAUNCHER_CONFIG JAVA_STANDIN TRACECAP
#
# Runs in a Wine session (tools/test.sh starts one for the 64-bit tree).
set -euf
top=$1
built_config=$2
standin=$3
tracecap=$4
repo="$top/build-maven/repo"
work=$(mktemp -d "${TMPDIR:-/tmp}/maven-sample-test.XXXXXX")
trap 'rm -rf "$work" "$repo/org/example/greeter"' EXIT
cp -r "$top/tests/maven-sample" "$work/app"
cd "$work/app"
cp pom.xml pom.orig
fail() { printf 'FAILED: %s\n' "$*"; exit 1; }
# build EDIT ARGUMENTS...: mvn with the sample's POM changed by a sed expression.
build() {
  sed "$1" pom.orig >pom.xml
  shift
  mvn -o -B -Dstyle.color=never -s "$top/build-maven/settings.xml" -Dmaven.repo.local="$repo" "$@" >mvn.log 2>&1
}
name=greeter-2.5.1-SNAPSHOT
exe=target/$name.exe
config=target/java-launcher-1.0.0.0/linux-x86_64/launcher-config
greeting="Hello from the Maven build: resource read"
runs() { out=$(java -jar "$1" 2>&1) && [ "$out" = "$greeting" ] || fail "java -jar $1: $out"; }
shown() { "$config" show "$1" | grep -qxF "$2" || { "$config" show "$1"; fail "show $1 lacks: $2"; }; }
machine() { python3 -c "import sys,struct; d=open(sys.argv[1],'rb').read(); print('%x' % struct.unpack_from('<H', d, struct.unpack_from('<I', d, 60)[0] + 4))" "$1"; }
java -version 2>&1 | head -1

# The POM's names and version, the file's settings with the POM's on top,
# the jar inside; the program is an artifact of the project.
build "" install || { cat mvn.log; fail "mvn install"; }
runs "$exe"
[ "$(machine "$exe")" = 8664 ] || fail "not the 64-bit launcher"
for line in "  104  PROP_MIN_VERSION        text     \"17\"" \
    "  100  PROP_VM_OPTIONS         text     \"-Xmx256m -Dgreeter.mode=windows\"" \
    "  114  PROP_JAR_IN_IMAGE       flag     \"on\"  -> on" \
    "Version information: file 2.5.1.0, product 2.5.1.0" "  FileDescription: Greeter" "  ProductName: Greeter" \
    "  CompanyName: Example Ltd" "  LegalCopyright: Copyright (c) 2024 Example Ltd" "  OriginalFilename: $name.exe" \
    "  SHA-256: $(sha256sum target/$name.jar | cut -c1-64) (the jar file's, as sha256sum prints it)"; do
  shown "$exe" "$line"
done
cmp -s "$exe" "$repo/org/example/greeter/greeter/2.5.1-SNAPSHOT/$name.exe" || fail "the program is not in the repository"

# Under Wine, with a stand-in runtime beside it: Java gets the program's own path as the jar.
mkdir -p win/jre/bin
cp "$exe" win/App.exe
for java in java javaw; do cp "$standin" "win/jre/bin/$java.exe"; done
app=$(winepath -w "$work/app/win/App.exe" 2>/dev/null)
status=0
wine "$tracecap" "$app" </dev/null >trace.raw 2>&1 || status=$?
tr -d '\r' <trace.raw >trace.txt
grep -qxF "Jar in image: $app" trace.txt && [ $status = 0 ] || { cat trace.txt; fail "the trace under Wine (exit code $status)"; }
expected="commandline=\"${app%\\*}\\jre\\bin\\javaw.exe\" -Xmx256m -Dgreeter.mode=windows -jar \"$app\" "
i=0
until [ -f win/jre/bin/standin-record.txt ] && tr -d '\r' <win/jre/bin/standin-record.txt | grep -qxF "$expected"; do
  i=$((i + 1))
  [ $i -lt 100 ] || { cat trace.txt win/jre/bin/standin-record.txt; fail "the stand-in was not started as $expected"; }
  sleep 0.2
done

# The parameters' variants: EDIT@ARGUMENTS@MACHINE@LINES SHOW PRINTS (; between lines).
# No machine: nothing made.
convert -size 48x48 xc:red icon.ico
printf '#!/bin/sh\necho "$@" >>"%s/called"\nexec "%s" "$@"\n' "$work" "$built_config" >own-config.sh && chmod +x own-config.sh
for case in \
    "s|<settings>|<company>Other Ltd</company><settings>|@-DjavaLauncher.launcher=x86@14c@  CompanyName: Other Ltd;  LegalCopyright: Copyright (c) 2024 Example Ltd" \
    "s|<settings>|<icon>icon.ico</icon><splash>$top/tests/data/splash-400x300.gif</splash><settings>|@-DjavaLauncher.embedJar=false@8664@  101  PROP_START_JAR          text     \"$name.jar\";  114  PROP_JAR_IN_IMAGE       flag     (absent)  -> off;Icon: 1 image: 48x48 32-bit;Splash picture (RT_BITMAP 104): GIF, 400 x 300, 1101 bytes" \
    "@-DjavaLauncher.configurator=own-config.sh@8664@  104  PROP_MIN_VERSION        text     \"17\"" \
    "s|<configFile>[^<]*</configFile>||@@8664@  100  PROP_VM_OPTIONS         text     (absent);  101  PROP_START_JAR          text     \"$name.jar\"" \
    "@-DjavaLauncher.skip@@"; do
  old=$IFS; IFS=@; set -- $case; IFS=$old
  args=$2 width=$3 lines=${4:-}
  rm -f "$exe"
  build "$1" $args package || { cat mvn.log; fail "$case"; }
  [ -n "$width" ] || { [ ! -e "$exe" ] || fail "made a program with $args"; continue; }
  [ "$(machine "$exe")" = "$width" ] || fail "$args: machine $(machine "$exe")"
  old=$IFS; IFS=';'; for line in $lines; do shown "$exe" "$line"; done; IFS=$old
done
grep -q "^configure .*launcher-x64.exe $work/app/$exe " "$work/called" || fail "<configurator> was not used: $(cat "$work/called")"

# Failures: the build fails with what launcher-config (or the plugin) says
# and leaves no program, not even the one of the last build.
for case in \
    "s|<settings>|<settings><PROP_NO_SUCH>1</PROP_NO_SUCH>|@@launcher-config: unknown setting \"PROP_NO_SUCH\"" \
    "s|<settings>|<icon>missing.ico</icon><settings>|@@launcher-config: cannot read the icon $work/app/missing.ico" \
    "s|<settings>|<signCommand><w>sh</w><w>-c</w><w>exit 3</w><w>{in}</w></signCommand><settings>|@@launcher-config: the signing command failed with exit status 3" \
    "@-DjavaLauncher.launcher=arm@<launcher> is x64 or x86, not \"arm\""; do
  edit=${case%%@*}; rest=${case#*@}; args=${rest%%@*}; message=${rest#*@}
  build "" package && [ -e "$exe" ] || fail "no program to be left"
  if build "$edit" $args package; then fail "built with $edit $args"; fi
  grep -qF "$message" mvn.log || { cat mvn.log; fail "no message: $message"; }
  [ -z "$(ls target | grep -v -e '^classes$' -e '^maven-' -e '^generated-' -e '^java-launcher-' -e "^$name.jar$")" ] ||
    fail "left in target/ after $edit $args: $(ls target)"
  [ -z "$(ls -A target/java-launcher-1.0.0.0 | grep -v -e '^launcher' -e '^linux-' -e '^windows$' -e '^.extracted$')" ] ||
    fail "left in the tools' folder: $(ls -A target/java-launcher-1.0.0.0)"
done

# Signed with osslsigncode and a throwaway certificate: the signature
# verifies and java -jar still runs the program.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Throwaway test signer" \
  -addext "keyUsage=digitalSignature" -addext "extendedKeyUsage=codeSigning" -keyout key.pem -out cert.pem 2>/dev/null
words=""
for w in osslsigncode sign -certs cert.pem -key key.pem -h sha256 -n Greeter -in {in} -out {out}; do words="$words<w>$w</w>"; done
build "s|<settings>|<signCommand>$words</signCommand><settings>|" package || { cat mvn.log; fail "signed build"; }
osslsigncode verify -CAfile cert.pem -in "$exe" 2>&1 | grep -q "Signature verification: ok" || fail "the signature does not verify"
runs "$exe"
shown "$exe" "  Zip comment reaches the end of the file: yes, java -jar reads this file"
echo "the Maven plugin: made, shown, run under Wine, varied, refused, signed: passed"
