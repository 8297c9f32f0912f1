#!/usr/bin/env bash
# encode -o: only a regular or missing file is replaced, atomically, keeping
# its mode (and owner as root); links are followed and stay links; anything
# else is refused with its reason and left as it was, and no staging file
# is ever left behind.
source "$(dirname "$0")/tool_test_lib.sh"
# shellcheck disable=SC2054  # the comma is the point's, not a separator
point=(--plan 2 --point 39.9,116.4)

# The targets, each made fresh: NAME SETUP...
mkdir folder
printf 'old' >old.cld && chmod 640 old.cld
[[ $(id -u) == 0 ]] && chown 1:2 old.cld
printf 'old' >special.cld && chmod 6750 special.cld
printf 'old' >pointed.cld && ln -s pointed.cld link.cld
ln -s sub/../pointed.cld indirect.cld
ln -s missing-target.cld dangling.cld
mkfifo fifo.cld
have_device=0
if mknod null.cld c 1 3 2>/dev/null; then have_device=1; fi

# expect_written TARGET FILE-THAT-HOLDS-THE-BYTES
expect_written() {
  run encode "${point[@]}" -o "$1"
  expect_rc "write $1" 0
  expect_eq "bytes of $1" "$(head -c 19 "$2")" "    (TNC,116.4,39.9"
}
# expect_refused TARGET MESSAGE
expect_refused() {
  local before
  before=$(stat -c '%F %a %s' "$1" 2>&1)
  run encode "${point[@]}" -o "$1"
  expect_rc "refuse $1" 1
  expect_eq "message for $1" "$ERR" "vexa: $2; nothing was written"
  expect_eq "$1 untouched" "$(stat -c '%F %a %s' "$1" 2>&1)" "$before"
}

expect_written new.cld new.cld
expect_eq "new file mode follows the umask" "$(stat -c %a new.cld)" \
  "$(printf '%o' $((0666 & ~$(umask))))"
expect_written old.cld old.cld
expect_eq "mode kept" "$(stat -c %a old.cld)" 640
[[ $(id -u) == 0 ]] && expect_eq "owner kept" "$(stat -c %u:%g old.cld)" 1:2
# The set-ID bits survive too (chown would clear them after chmod).
expect_written special.cld special.cld
expect_eq "set-ID bits kept" "$(stat -c %a special.cld)" 6750
expect_written link.cld pointed.cld
expect_eq "link stays a link" "$(readlink link.cld)" pointed.cld
expect_written dangling.cld missing-target.cld
expect_refused fifo.cld "'fifo.cld' is a FIFO; only a regular file is replaced"
expect_refused folder "'folder' is a directory; only a regular file is replaced"
if ((have_device)); then
  expect_refused null.cld "'null.cld' is a character device; only a regular file is replaced"
fi
ln -s fifo.cld fifo-link.cld
expect_refused fifo-link.cld "'fifo-link.cld' (a link to 'fifo.cld') is a FIFO; only a regular file is replaced"
expect_refused nodir/x.cld "cannot create a file in 'nodir' to write 'nodir/x.cld': No such file or directory"
run encode "${point[@]}" -o old.cld --no-clobber
expect_rc "--no-clobber" 1
expect_eq "--no-clobber message" "$ERR" "vexa: 'old.cld' exists and --no-clobber was given; nothing was written"
run encode "${point[@]}" -o fresh.cld --no-clobber
expect_rc "--no-clobber on a new name" 0
# Root writes into a read-only folder anyway, so only others can check it.
if [[ $(id -u) != 0 ]]; then
  mkdir locked && chmod 555 locked
  expect_refused locked/x.cld "cannot create a file in 'locked' to write 'locked/x.cld': Permission denied"
fi

# A file the user may not write (read-only, of one's own) is refused unless
# --force, which keeps its mode. Root may write anything, so the check runs
# as an ordinary user.
mkdir own && printf 'old' >own/ro.cld && chmod 444 own/ro.cld
# Whoever runs the tests, root too (it passes any permission check, but the
# mode says the file is not to be written).
cp -p own/ro.cld mine.cld
posix_only && expect_refused mine.cld "'mine.cld' is read-only (mode 0444); --force replaces it anyway"
saved=("${VEXA[@]}")
if [[ $(id -u) == 0 ]]; then
  chmod 755 "$SCRATCH" && chown -R 65534:65534 own
  VEXA=(setpriv --reuid=65534 --regid=65534 --clear-groups "${VEXA[@]}")
fi
expect_refused own/ro.cld "'own/ro.cld' is read-only (mode 0444); --force replaces it anyway"
run encode "${point[@]}" -o own/ro.cld --force
expect_rc "--force on a read-only file" 0
expect_eq "--force keeps the mode" "$(stat -c %a own/ro.cld)" 444
VEXA=("${saved[@]}")

# Standard output takes the bytes; the report goes to standard error.
run encode "${point[@]}" -o -
expect_rc "-o -" 0
expect_has "-o - writes the file" "$OUT" "    (TNC,116.4,39.9,,"
expect_has "-o - reports on stderr" "$ERR" "vexa: wrote standard output: destination list (plan 2), 1 point, 25 bytes"

# The longest name a folder takes (255 bytes) is written: the staging
# file's name is shorter than any target's.
long_name=$(printf 'n%.0s' {1..251}).cld
run encode "${point[@]}" -o "$long_name"
expect_rc "a 255-byte file name" 0
[[ -f $long_name ]] || fail "a 255-byte file name: not written"

expect_eq "no staging files left" "$(find . -name '.vexa-*' | wc -l)" 0
finish
