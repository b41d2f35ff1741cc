#!/usr/bin/env bash
# The built user's manual: a PDF with a title page, the contents and every
# chapter on pages of its own, its text readable (the fonts were embedded),
# and each chapter's title in the contents and in the text.
# Usage: check-manual.sh MANUAL.pdf CHAPTER.md...
set -euo pipefail
pdf=$1
shift
fail() { echo "check-manual: $*" >&2; exit 1; }

[ -s "$pdf" ] || fail "$pdf is missing or empty"
pages=$(pdfinfo "$pdf" | awk '/^Pages:/ { print $2 }')
[ -n "$pages" ] || fail "pdfinfo cannot read $pdf"
[ "$pages" -ge $(( $# + 2 )) ] || fail "$pdf has $pages pages for $# chapters"

# Ligatures the PDF's font draws as one glyph are read back as letters.
text=$(pdftotext -layout "$pdf" - | sed 's/ﬁ/fi/g; s/ﬂ/fl/g; s/ﬀ/ff/g; s/ﬃ/ffi/g; s/ﬄ/ffl/g')
grep -q "User's Manual" <<<"$text" || fail "no title in $pdf"
grep -q "Contents" <<<"$text" || fail "no contents in $pdf"
for chapter in "$@"; do
  title=$(grep -m1 '^# ' "$chapter" | sed 's/^# //')
  [ -n "$title" ] || fail "$chapter has no title line (# ...)"
  count=$(grep -cF -- "$title" <<<"$text" || true)
  # Once in the contents, once on its first page.
  [ "$count" -ge 2 ] || fail "\"$title\" is in $pdf $count times"
done
# Every page after the title page carries its number in the footer.
last=$(pdftotext -f "$pages" -l "$pages" -layout "$pdf" - | grep -c "User's Manual.* $pages\$" || true)
[ "$last" -ge 1 ] || fail "the last page has no footer with its number"
echo "check-manual: $pdf, $pages pages, $# chapters"
