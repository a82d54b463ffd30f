#!/usr/bin/env bash
# Run by scripts/test-packages.sh inside a fresh Debian 12 root:
#   in_chroot.sh /tmp/korvel-test/korvel_VERSION-1_amd64.deb
# Beside the package: window_check.exe, sample.krv and Справка.txt (a plain
# CP866 text).
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive LANG=C.UTF-8
deb=$1
dir=$(dirname "$deb")
fail() { echo "FAILED: $*" >&2; exit 1; }
step() { echo "== $*"; }

step "apt installs the package and everything it needs"
dpkg --add-architecture i386
apt-get update -q >/dev/null
# The test's own tools first, so that the package's dependencies alone bring Wine.
apt-get install -y -q --no-install-recommends xvfb xauth shared-mime-info desktop-file-utils man-db \
    >/dev/null
apt-get install -y -q --no-install-recommends "$deb" >"$dir/apt-install.log" 2>&1 ||
    { tail -n 20 "$dir/apt-install.log"; fail "apt install $deb"; }
files=$(dpkg -L korvel)

step "desktop integration"
grep -qx 'application/x-korvel-document:\*\.krv' /usr/share/mime/globs ||
    fail "*.krv is not application/x-korvel-document"
! grep -q 'korvel.*:cs' /usr/share/mime/globs2 || fail "the *.krv glob is case-sensitive"
grep -q '^application/x-korvel-document=.*korvel\.desktop' /usr/share/applications/mimeinfo.cache ||
    fail "korvel.desktop is not offered for .krv files"
desktop-file-validate /usr/share/applications/korvel.desktop
man -w korvel >/dev/null || fail "no man page korvel(1)"
[ -f /usr/share/icons/hicolor/48x48/apps/korvel.png ] || fail "no icon"

if command -v korvel-convert >/dev/null; then
    step "korvel-convert converts a sample"
    man -w korvel-convert >/dev/null || fail "no man page korvel-convert(1)"
    korvel-convert --version | grep -q "$(dpkg-query -W -f='${Version}' korvel | cut -d- -f1)" ||
        fail "korvel-convert --version"
    korvel-convert -q -o "$dir/out.txt" "$dir/Справка.txt"
    iconv -f CP866 -t UTF-8 "$dir/Справка.txt" | tr -d '\r' >"$dir/expected.txt"
    tr -d '\r' <"$dir/out.txt" | cmp -s - "$dir/expected.txt" || fail "the text export differs"
    korvel-convert -q -o "$dir/out.pdf" "$dir/sample.krv"
    head -c 5 "$dir/out.pdf" | grep -q '%PDF-' || fail "no PDF made"
else
    echo "(this package has no korvel-convert)"
fi

step "korvel shows a document as an ordinary user, in a prefix of their own"
useradd -m tester
cp "$dir/Справка.txt" /home/tester/
chown tester: /home/tester/Справка.txt
cat >"$dir/as_user.sh" <<'USER'
set -u
dir=/tmp/korvel-test
data="$HOME/.local/share/korvel"
korvel "$HOME/Справка.txt" &
viewer=$!
# The first start makes the prefix; the checker joins it once it is ready.
for _ in $(seq 1 600); do
    [ -f "$data/prefix.ready" ] && break
    kill -0 "$viewer" 2>/dev/null || break
    sleep 0.5
done
WINEPREFIX="$data/wine" WINEARCH=win32 WINEDEBUG=-all LOCPATH=/usr/lib/korvel/locale \
    LC_ALL=ru_RU.UTF-8 wine "$dir/window_check.exe" 'Z:\usr\lib\korvel\fonts' \
    "Z:$(printf '%s' "$HOME/Справка.txt" | tr / '\\')"
checked=$?
wait "$viewer"
ended=$?
WINEPREFIX="$data/wine" wineserver -k 2>/dev/null
echo "window_check $checked, viewer exit $ended"
[ "$checked" -eq 0 ] && [ "$ended" -eq 0 ]
USER
su tester -c "xvfb-run -a -s '-screen 0 1024x768x24' bash $dir/as_user.sh" ||
    fail "the viewer's window did not show the document"
log=/home/tester/.local/share/korvel/wine/drive_c/Korvel/debug.log
grep -q 'loading "Z:\\home\\tester\\' "$log" || fail "no load in $log"
# The Find plug-in the package ships, loaded for every user.
grep -q 'loading library "C:\\Korvel\\Plugins\\find.dll"' "$log" || fail "no find.dll in $log"

step "without Wine's 32-bit part korvel names what to install"
dpkg -r --force-depends wine32:i386 >/dev/null 2>&1
if message=$(su tester -c "DISPLAY=:9 korvel" 2>&1); then fail "korvel started without wine32"; fi
echo "$message" | grep -q 'apt-get install wine wine32:i386' || fail "message: $message"
apt-get install -y -q --no-install-recommends wine32:i386 >/dev/null

step "apt purge leaves nothing behind"
apt-get purge -y -q korvel >/dev/null
for file in $files; do
    case "$file" in /usr/lib/korvel* | */korvel* | */korvel.* ) [ ! -e "$file" ] || fail "$file left" ;; esac
done
left=$(find / -xdev \( -path /proc -o -path /dev -o -path /sys -o -path /home -o -path /tmp \
    -o -path /var/lib/dpkg -o -path /var/lib/apt -o -path /var/cache/apt -o -path /var/log \) -prune \
    -o -iname '*korvel*' -print)
[ -z "$left" ] || fail "left: $left"
mentions=$(grep -rlis korvel /usr/share/mime /usr/share/applications /usr/share/icons /etc || true)
[ -z "$mentions" ] || fail "still mentioned in: $mentions"
[ -d /home/tester/.local/share/korvel/wine ] || fail "the user's prefix is gone"
echo "packages: ok"
