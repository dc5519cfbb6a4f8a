#!/usr/bin/env bash
# Makes the packages and checks them as a user would meet them: lintian, the desktop entry and
# the AppStream metadata; then installs the Debian package, starts the program as a fresh user
# under Xvfb, once installed and once from the unpacked archive, checks where each writes, and
# purges the package, which must leave none of its files behind. Needs root or sudo.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
started=$(date +%s)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
as_user() { if [ -z "$sudo" ]; then runuser -u "$user" -- "$@"; else sudo -u "$user" -- "$@"; fi; }
fail() { echo "check-package: $*" >&2; exit 1; }

packages=$("$root/scripts/package.sh" | tail -n 2)
deb=$(grep '\.deb$' <<<"$packages")
archive=$(grep '\.tar\.gz$' <<<"$packages")
[ -f "$deb" ] && [ -f "$archive" ] || fail "package.sh made no .deb and .tar.gz"

work=$(mktemp -d)
user=""
cleanup() {
    if [ -n "$user" ]; then $sudo userdel -r "$user" 2>/dev/null || true; fi
    if dpkg -s halvoren >/dev/null 2>&1; then $sudo apt-get purge -y -qq halvoren >/dev/null; fi
    rm -rf "$work"
}
trap cleanup EXIT

echo "== lintian"
lintian_root=""
[ "$(id -u)" -ne 0 ] || lintian_root="--allow-root"
lintian $lintian_root --fail-on error,warning --display-info "$deb"

echo "== desktop entry and AppStream metadata"
dpkg-deb -x "$deb" "$work/deb"
desktop-file-validate "$work"/deb/usr/share/applications/*.desktop
appstreamcli validate --no-net "$work"/deb/usr/share/metainfo/*.metainfo.xml

echo "== install"
$sudo apt-get install -y -qq "$deb" >/dev/null
dpkg -L halvoren >"$work/files"
user="hvcheck$$"
$sudo useradd -m "$user"
home=$(getent passwd "$user" | cut -d: -f6)

# Starts a program as the user under Xvfb and waits until the agreement window shows.
sees_agreement() {
    as_user env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 timeout 40 xvfb-run -a sh -c '
        "$1" >/dev/null 2>&1 &
        xdotool search --sync --name "^Halvoren program software agreement$" >/dev/null
        xwininfo -root -tree | grep -q "\"Halvoren program software agreement\""
        status=$?
        kill $!
        exit $status' sh "$1"
}

echo "== the archive, unpacked where the user can write"
as_user mkdir "$home/portable"
as_user tar -xzf "$archive" -C "$home/portable"
portable=$(find "$home/portable" -name halvoren -type f)
sees_agreement "$portable" || fail "the unpacked archive showed no agreement window"
[ ! -e "$home/.local/share/halvoren" ] || fail "the archive wrote into ~/.local/share/halvoren"

echo "== installed, started as $user"
touch "$work/marker"
sleep 1
sees_agreement halvoren || fail "the installed program showed no agreement window"
written=$(find /usr -newer "$work/marker" 2>/dev/null | head -n 5)
[ -z "$written" ] || fail "written under /usr during the run: $written"
[ -d "$home/.local/share/halvoren" ] || fail "no $home/.local/share/halvoren"
owner=$(stat -c %U "$home/.local/share/halvoren")
[ "$owner" = "$user" ] || fail "$home/.local/share/halvoren is owned by $owner"

echo "== purge"
$sudo apt-get purge -y -qq halvoren >/dev/null
left=""
while read -r path; do
    if [ -e "$path" ] && { [ ! -d "$path" ] || [[ "$path" == */halvoren ]]; }; then
        left+=" $path"
    fi
done <"$work/files"
[ -z "$left" ] || fail "left behind by the purge:$left"

echo "check-package: $(basename "$deb") $(stat -c %s "$deb") bytes," \
    "$(basename "$archive") $(stat -c %s "$archive") bytes, all checks passed" \
    "in $(($(date +%s) - started)) s"
