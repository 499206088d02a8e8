#!/usr/bin/env bash
# Regenerates the seed corpora of the fuzz targets under tests/fuzz/corpus/:
# archives written by tolvane-cli, Info-ZIP zip and Python's zipfile, and text
# seeds taken from the unit tests. Regression inputs (regression-*) are kept.
# Usage: tests/fuzz/make_corpus.sh [BUILD_DIR]   (default: build, for tolvane-cli)
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
cli="${1:-$top/build}/src/cli/tolvane-cli"
corpus="$top/tests/fuzz/corpus"
[ -x "$cli" ] || { echo "no $cli: build first (scripts/build.sh)" >&2; exit 2; }

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# The password the archive targets try; the encrypted seeds use it.
echo tolvane > "$scratch/password"

# A small folder: text that deflates, an empty file, a stored type, a subfolder.
src="$scratch/src"
mkdir -p "$src/sub"
for i in $(seq 1 12); do echo "line $i of the publisher's notes, the same words again"; done > "$src/a.txt"
printf 'hello\n' > "$src/sub/b.txt"
: > "$src/e.dat"
head -c 64 /dev/zero | tr '\0' 'z' > "$src/c.zip"

Fresh() {
  rm -rf "${corpus:?}/$1"/seed-*
  mkdir -p "$corpus/$1"
}

# --- BH archives -------------------------------------------------------------
Fresh fuzz_bh_reader
bh="$corpus/fuzz_bh_reader"
"$cli" pack "$src" -o "$bh/seed-deflate.bh" >/dev/null
"$cli" pack "$src" -o "$bh/seed-store.bh" --level S >/dev/null
"$cli" pack "$src" -o "$bh/seed-max.bh" --level X >/dev/null
"$cli" pack "$src" -o "$bh/seed-fuse.bh" --method fuse >/dev/null
"$cli" pack "$src" -o "$bh/seed-fuse-password.bh" --method fuse \
  --password-file "$scratch/password" >/dev/null
cp "$bh/seed-store.bh" "$bh/seed-updated.bh"
mkdir -p "$scratch/more"
printf 'a later file\n' > "$scratch/more/later.txt"
"$cli" pack "$scratch/more" -o "$bh/seed-updated.bh" >/dev/null
: > "$bh/seed-empty.bh"
head -c 60 "$bh/seed-deflate.bh" > "$bh/seed-cut.bh"

# --- ZIP archives ------------------------------------------------------------
Fresh fuzz_zip_reader
zp="$corpus/fuzz_zip_reader"
"$cli" zip "$src/a.txt" "$src/sub/b.txt" "$src/e.dat" "$src/c.zip" -o "$zp/seed-tolvane.zip" >/dev/null
"$cli" zip "$src/a.txt" "$src/e.dat" -o "$zp/seed-tolvane-password.zip" \
  --password-file "$scratch/password" >/dev/null
(cd "$src" && zip -q -X -r "$zp/seed-infozip.zip" a.txt sub e.dat)
(cd "$src" && printf 'note' | zip -q -X -z "$zp/seed-infozip-comment.zip" a.txt &&
  printf 'streamed text, streamed text\n' | zip -q -X "$zp/seed-infozip-comment.zip" -)
(cd "$src" && zip -q -X -P tolvane "$zp/seed-infozip-password.zip" a.txt sub/b.txt)
python3 - "$zp" <<'PY'
import sys, zipfile
out = sys.argv[1]
text = b"line of the publisher's notes, " * 20
with zipfile.ZipFile(out + "/seed-python.zip", "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("notes.txt", text)
    z.writestr("stored.bin", bytes(range(64)), compress_type=zipfile.ZIP_STORED)
    z.writestr("dir/", b"")
with zipfile.ZipFile(out + "/seed-python-zip64.zip", "w", zipfile.ZIP_DEFLATED) as z:
    with z.open("big.txt", "w", force_zip64=True) as f:
        f.write(b"zip64 " * 100)
with zipfile.ZipFile(out + "/seed-python-empty.zip", "w") as z:
    pass
PY

# --- Update runs over both formats ---------------------------------------------
Fresh fuzz_writer_update
wu="$corpus/fuzz_writer_update"
cp "$bh/seed-deflate.bh" "$wu/seed-deflate.bh"
cp "$bh/seed-fuse.bh" "$wu/seed-fuse.bh"
cp "$bh/seed-empty.bh" "$wu/seed-empty"
cp "$zp/seed-tolvane.zip" "$zp/seed-infozip-comment.zip" "$zp/seed-python-zip64.zip" "$wu/"
head -c "$(($(stat -c %s "$zp/seed-tolvane.zip") - 30))" "$zp/seed-tolvane.zip" > "$wu/seed-cut.zip"
printf 'just some text, not an archive' > "$wu/seed-text"

# --- transl.dat ----------------------------------------------------------------
Fresh fuzz_translation
tr="$corpus/fuzz_translation"
head -n 31 "$top/data/transl.dat" > "$tr/seed-five-languages.dat"
{ printf '2\r\n'; sed -n '2,3p;7,8p;12,13p' "$top/data/transl.dat"; } > "$tr/seed-two-languages.dat"
printf '3\nEn\nEs\nFr\nGet\nObt\nObt-fr\nstray\n' > "$tr/seed-lf-stray.dat"
printf '2\nEn\nEs\nYes\nS\xc3\xad\nYes\nDuplicado\nOpen\n' > "$tr/seed-duplicate-key.dat"
printf '3\r\nEn\r\nEs\r\n' > "$tr/seed-short.dat"
printf 'five\r\nEn\r\n' > "$tr/seed-not-a-number.dat"
printf '0\r\n' > "$tr/seed-zero.dat"
printf -- '-2\r\nx\r\n' > "$tr/seed-negative.dat"
: > "$tr/seed-empty.dat"

# --- settings ----------------------------------------------------------------
Fresh fuzz_settings
st="$corpus/fuzz_settings"
printf '# Tolvane settings\nsignedup=dword:1\npartnerid=sz: 12 34\\\\x\\n\nsoftwareid=sz:soft=ware:1\ntargetlanguage=dword:-1\n' > "$st/seed-saved"
printf 'partnerid=sz:p\n' > "$st/seed-one-value"
printf 'signedup=dword:1\npartnerid=sz:p1\nsoftwareid=dword:5\ntargetlanguage=dword:2\n' > "$st/seed-wrong-type"
printf 'garbage without equals\nsignedup=dword:1\npartnerid=sz:p1\ntargetlanguage=dword:2x\n' > "$st/seed-corrupt"
printf 'signedup=dword:4294967296\n' > "$st/seed-too-big"
printf 'softwareid=sz:a\\rb\\\\\r\ntargetlanguage=dword:4294967295\r\nsignedup=dword:0\n' > "$st/seed-escapes-crlf"

# --- update pages --------------------------------------------------------------
Fresh fuzz_update_page
up="$corpus/fuzz_update_page"
{
  printf '<HTML><HEAD>\r\n'
  for tag in upProduct upClientSideName upAuthor upEmail upRunParameters; do
    printf '<META NAME="%s" CONTENT="%s value">\r\n' "$tag" "$tag"
  done
  printf '<META NAME="upVersion" CONTENT="1.2.3">\r\n'
  printf '<META NAME="upDownload" CONTENT="http://update.example.com/setup.exe">\r\n'
  printf '</HEAD></HTML>\r\n'
} > "$up/seed-page.html"
printf '<META NAME="upRedirection" content="HTTP://other.example.com:8080/update.html">\n' > "$up/seed-redirection.html"
printf '<meta name="upVersion" content="1.1">\n<META name="upVersion" CONTENT="1.1">\n<META NAME="upVersion" CoNtEnT="2.0">\r<META NAME = "upVersion" CONTENT="3">\n' > "$up/seed-cases.html"
printf '<META NAME="upProduct" CONTENT="A"><META NAME="upVersion" CONTENT="B">\n<META NAME="upVersion">\n' > "$up/seed-two-tags.html"
printf '1.0\n1.10\n1.9.9\n2\n 1.5 \n+3\nnan\n1e308\n-0\n18446744073709551616.1\n/setup.exe\n' > "$up/seed-versions.txt"

# --- SMTP replies ----------------------------------------------------------------
Fresh fuzz_smtp_replies
sm="$corpus/fuzz_smtp_replies"
accepting='250-mail.example
250-auth=login plain
250 SIZE 10000
250 reset
334 VXNlcm5hbWU6
334 UGFzc3dvcmQ6
235 welcome
250 sender ok
250 recipient ok
251 will forward
354 go ahead
250 queued'
printf '220 ready\n%s\n' "$accepting" | sed 's/$/\r/' > "$sm/seed-auth-login"
printf '220 ready\n250-mail.example\n250 8BITMIME\n250 reset\n250 ok\n250 ok\n250 ok\n354 go\n250 queued\n' > "$sm/seed-no-auth"
printf '220 ready\n250 AUTH PLAIN CRAM-MD5\n250 reset\n250 ok\n250 ok\n250 ok\n354 go\n250 queued\n' > "$sm/seed-auth-plain"
printf '220 ready\n502 unknown command\n250 hello\n250 reset\n250 ok\n250 ok\n250 ok\n354 go\n250 queued\n' > "$sm/seed-helo"
printf '220 ready\n250-mail.example\n250 AUTH LOGIN\n250 reset\n334 a\n334 b\n535-5.7.8 Authentication\n535 credentials invalid\n' > "$sm/seed-login-refused"
printf '220 ready\n250 hi\n250 reset\n250 ok\n550 5.1.1 no such user\n' > "$sm/seed-recipient-refused"
printf '554 no service here\n' > "$sm/seed-greeting-refused"
printf '220 ready\n250 hi\n!timeout\n' > "$sm/seed-timeout"
printf '220 ready\n!sendfail\n250 hi\n250 reset\n' > "$sm/seed-send-failure"
printf '220\n25x hi\n' > "$sm/seed-bad-code"

ls -l "$corpus"/*/ | awk '$5 > 8192 {print "large seed: " $0}'
echo "corpus written under $corpus"
