#!/usr/bin/env bash
# Makes the packages and checks them as a user would meet them: lintian, the desktop entry and
# the AppStream metadata; then installs the Debian package and, as a fresh user under Xvfb, goes
# through the first start (agree, Detect a simulated modem, Save config) once from the unpacked
# archive and once installed, checking where each writes; last it purges the package, which must
# leave none of its files behind. Needs root or sudo.
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

# A first start as the user under Xvfb, by key presses: the agreement window shows; agree; with
# a simulated modem on port 1 of the data folder (linked once the program has made the folder),
# Detect lists com1:, which is picked and saved.
first_run() {
    as_user env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 timeout 90 xvfb-run -a sh -c '
        program=$1 data=$2 sim=$3
        "$program" >/dev/null 2>&1 &
        app=$!
        trap "kill \$app \$sim_pid 2>/dev/null" EXIT
        xdotool search --sync --onlyvisible --name "^Halvoren program software agreement\$" \
            >/dev/null
        xwininfo -root -tree | grep -q "\"Halvoren program software agreement\"" || exit 1
        "$sim" --link "$data/ports/com1" --script "$HOME/hold-line" </dev/null \
            >"$data/modem-sim.log" 2>&1 &
        sim_pid=$!
        xdotool sleep 0.5 key alt+a sleep 0.3 key alt+n
        xdotool search --sync --onlyvisible --name "Halvoren 1.5 configuration menu" >/dev/null
        xdotool sleep 0.5 key alt+d
        for _ in $(seq 60); do
            grep -q "^rx ATV1Q0" "$data/modem-sim.log" 2>/dev/null && break
            sleep 0.5
        done
        sleep 8
        xdotool key Down sleep 0.3 key alt+s
        for _ in $(seq 20); do [ -e "$data/cconfig.ini" ] && break; sleep 0.5; done' sh "$@"
}
settings_saved() {
    [ "$(as_user head -n 1 "$1/cconfig.ini" 2>/dev/null)" = $'com1:\r' ] \
        || fail "no com1: saved in $1/cconfig.ini"
    owner=$(stat -c %U "$1" "$1/cconfig.ini" | sort -u)
    [ "$owner" = "$user" ] || fail "$1 or its cconfig.ini is owned by $owner"
}
# Handed over, since the user may not read the checkout.
$sudo install -o "$user" -g "$(id -gn "$user")" -m 755 "$(dirname "$deb")/modem-sim" "$home/"
$sudo install -o "$user" -g "$(id -gn "$user")" -m 644 "$archive" "$home/"
# Keeps the simulated modem running: it ends when its inputs do.
as_user sh -c 'echo "wait 120000" >"$0"' "$home/hold-line"

echo "== the archive, unpacked where the user can write"
as_user tar -xzf "$home/$(basename "$archive")" -C "$home"
portable=$(dirname "$(find "$home" -mindepth 2 -maxdepth 2 -name halvoren -type f)")
first_run "$portable/halvoren" "$portable" "$home/modem-sim" \
    || fail "the unpacked archive showed no agreement window"
settings_saved "$portable"
[ ! -e "$home/.local/share/halvoren" ] || fail "the archive wrote into ~/.local/share/halvoren"

echo "== installed, started as $user"
touch "$work/marker"
sleep 1
first_run halvoren "$home/.local/share/halvoren" "$home/modem-sim" \
    || fail "the installed program showed no agreement window"
written=$(find /usr -newer "$work/marker" 2>/dev/null | head -n 5)
[ -z "$written" ] || fail "written under /usr during the run: $written"
settings_saved "$home/.local/share/halvoren"

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
