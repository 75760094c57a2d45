#!/usr/bin/env bash
# mirovan-export calendar: one-page PDFs for a group member and for the
# personal file, and clear refusals of bad options.
set -uo pipefail
bin=$MIROVAN_BUILD_DIR/bin
"$EXPORT" --help | grep '^ *mirovan-export calendar' >/dev/null || { echo "built without calendar printing"; exit 0; }
source "$(dirname "$0")/common.sh"
export QT_QPA_PLATFORM=offscreen
pages() { pdfinfo "$1" 2>/dev/null | awk '/^Pages:/ { print $2 }'; }

group=$("$bin/mirovan-samplegen" "$work/s" 2007-02)
"$EXPORT" calendar "$group" 2007-02 --member M001 --pdf "$work/a4.pdf" >/dev/null; check a4.status 0 $?
"$EXPORT" calendar "$group" 2007-02 --member M001 --pdf "$work/b4.pdf" --paper B4 --landscape --height 50 >/dev/null
check b4.status 0 $?
"$EXPORT" calendar "$group" 2007-02 --pdf "$work/empty.pdf" --empty --paper 1 >/dev/null; check empty.status 0 $?
"$EXPORT" calendar "$group" 2007-02 --personal "$work/s/calendar.mvp" --pdf "$work/memo.pdf" >/dev/null
check personal.status 0 $?
to_full calendar "$EXPORT" calendar "$group" 2007-02 --pdf "$work/c.pdf"
if command -v pdfinfo >/dev/null; then
  for f in a4 b4 empty memo; do check "$f.pages" 1 "$(pages "$work/$f.pdf")"; done
  shape() { pdfinfo "$1" | awk '/^Page size:/ { print ($3 > $5) ? "landscape" : "portrait" }'; }
  check a4.shape portrait "$(shape "$work/a4.pdf")"
  check b4.shape landscape "$(shape "$work/b4.pdf")"
  check a4.width 595 "$(pdfinfo "$work/a4.pdf" | awk '/^Page size:/ { printf "%d", $3 }')"
fi
if command -v pdftotext >/dev/null; then
  pdftotext "$work/a4.pdf" - | grep '2007年2月' >/dev/null || { echo "FAIL a4.title"; fail=1; }
  pdftotext "$work/a4.pdf" - | grep '佐藤 一郎' >/dev/null || { echo "FAIL a4.member"; fail=1; }
  pdftotext "$work/empty.pdf" - | grep '定例会議' >/dev/null && { echo "FAIL empty.has-texts"; fail=1; }
fi

"$EXPORT" calendar "$group" 2007-02 --pdf "$work/x.pdf" --height 0 2>/dev/null; check height0 2 $?
"$EXPORT" calendar "$group" 2007-02 --pdf "$work/x.pdf" --date 999 2>/dev/null; check date999 2 $?
"$EXPORT" calendar "$group" 2007-02 --pdf "$work/x.pdf" --heading 0 2>/dev/null; check heading0 2 $?
"$EXPORT" calendar "$group" 2007-02 --pdf "$work/x.pdf" --paper A9 2>/dev/null; check paper 2 $?
"$EXPORT" calendar "$group" 2007-02 2>/dev/null; check nopdf 2 $?
"$EXPORT" calendar "$group" 2007-02 --pdf "$work/no/such/folder/x.pdf" 2>/dev/null; check folder 1 $?
"$EXPORT" calendar "$work/none.group" 2007-02 --pdf "$work/x.pdf" 2>/dev/null; check nogroup 1 $?
"$EXPORT" calendar "$group" 2007-02 --personal "$work/none.mvp" --pdf "$work/x.pdf" 2>/dev/null; check nopersonal 1 $?
# A personal file that cannot be read (a FIFO) or is cut short: no page
# that would pass for a month without memos, and the file left alone.
mkfifo "$work/fifo.mvp"
"$EXPORT" calendar "$group" 2007-02 --personal "$work/fifo.mvp" --pdf "$work/p.pdf" 2>"$work/err.txt"
check personal.fifo 1 $?
check personal.fifo.lines 1 "$(grep -c 'fifo.mvp' "$work/err.txt")"
head -c 7 "$work/s/calendar.mvp" >"$work/cut.mvp"
"$EXPORT" calendar "$group" 2007-02 --personal "$work/cut.mvp" --pdf "$work/p.pdf" 2>/dev/null; check personal.cut 1 $?
check personal.cut.size 7 "$(stat -c %s "$work/cut.mvp")"
[ ! -e "$work/p.pdf" ] || { echo "FAIL personal: a PDF was left"; fail=1; }
# A month file that cannot be read: told, and no page of it.
mkdir "$work/u"; cp "$group" "$work/u/"; mkfifo "$work/u/sales200702.sch"
"$EXPORT" calendar "$work/u/sales.group" 2007-02 --member M001 --pdf "$work/u.pdf" 2>"$work/err.txt"; check fifo 1 $?
check fifo.lines 1 "$(grep -c 'sales200702.sch' "$work/err.txt")"
[ ! -e "$work/u.pdf" ] || { echo "FAIL fifo: a PDF was left"; fail=1; }
# The height the print dialog stored gets the checks --height gets; 0 is
# what it stores when no height was chosen.
for stored in 7 0 101; do
  mkdir -p "$work/config/Tavric"
  printf '[Property]\nPrintHeight=%s\n' "$stored" >"$work/config/Tavric/Mirovan.INI"
  "$EXPORT" calendar "$group" 2007-02 --pdf "$work/x.pdf" 2>/dev/null; check "stored$stored" 2 $?
  "$EXPORT" calendar "$group" 2007-02 --pdf "$work/h.pdf" --height 60 >/dev/null 2>&1; check "stored$stored.given" 0 $?
done
rm -f "$work/config/Tavric/Mirovan.INI"
# A PDF that cannot be written is reported once, in the program's words.
mkdir "$work/dir.pdf"
"$EXPORT" calendar "$group" 2007-02 --pdf "$work/dir.pdf" 2>"$work/err.txt"; check unwritable 1 $?
check unwritable.lines 1 "$(grep -vc XDG_RUNTIME_DIR "$work/err.txt")"
grep -q "^mirovan-export: $work/dir.pdf へのｱｸｾｽは拒否されました。" "$work/err.txt" || { echo "FAIL unwritable.message"; fail=1; }
[ ! -e "$work/x.pdf" ] || { echo "FAIL a refused run left a file"; fail=1; }
# A write that fails part way: a full device behind the name, a file size
# limit as a full disk. Once told, nothing left, the link still a link.
ln -s /dev/full "$work/full.pdf"
"$EXPORT" calendar "$group" 2007-02 --pdf "$work/full.pdf" >/dev/null 2>"$work/err.txt"; check full 1 $?
check full.message "mirovan-export: $work/full.pdf へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。" "$(grep -v XDG_RUNTIME_DIR "$work/err.txt")"
[ -L "$work/full.pdf" ] || { echo "FAIL full: the link was replaced"; fail=1; }
mkdir "$work/tmp"
(trap '' XFSZ; ulimit -f 8; TMPDIR=$work/tmp exec "$EXPORT" calendar "$group" 2007-02 --member M001 --pdf "$work/big.pdf") \
  >/dev/null 2>"$work/err.txt"
check limit 1 $?
check limit.lines 1 "$(grep -vc XDG_RUNTIME_DIR "$work/err.txt")"
grep -q "big.pdf" "$work/err.txt" || { echo "FAIL limit.message"; cat "$work/err.txt"; fail=1; }
check limit.left "" "$(ls -A "$work/tmp" | grep -v '^runtime-'; ls -A "$work" | grep -e big.pdf -e '^\.mirovan')"
exit $fail
