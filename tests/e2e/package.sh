#!/usr/bin/env bash
# Makes the Debian package with scripts/package and tries it as a fresh machine
# would: installs it with apt-get into a bare Debian root (debootstrap,
# minbase, the host's release, so the Depends computed from the host's
# libraries can be met), checks where the files land, runs
# `scribble-squadron --version` there as an ordinary user, then removes and
# purges it and checks that none of its files is left.
#
# Usage: package.sh SOURCE_DIR WORK_DIR
# WORK_DIR keeps the package's build folder and the Debian root between runs:
# the root is made once and brought back to its first state after each run
# that passes.
# SCRIBBLE_DEBIAN_MIRROR overrides the mirror read from the host's apt sources.
# Exit status 77 means skipped: not root, no debootstrap, no chroot, or no
# mirror within reach.
set -euo pipefail

readonly skip_status=77
source_dir=$(readlink -f "$1")
work=$2
readonly package=scribble-squadron

fail() {
    echo "FAILED: $*" >&2
    exit 1
}
skip() {
    echo "SKIPPED: $*"
    exit "$skip_status"
}
now() { date +%s.%N; }
seconds_since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }
started=$(now)

# --- What the test needs ------------------------------------------------------------

[[ $(id -u) -eq 0 ]] || skip "debootstrap and chroot need root"
export PATH=$PATH:/usr/sbin:/sbin
command -v debootstrap >/dev/null || skip "debootstrap is not installed (scripts/setup --tests installs it)"
command -v dpkg >/dev/null || skip "not a Debian host: no dpkg to build the package with"
chroot / true 2>/dev/null || skip "chroot is not permitted here"

codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
[[ -n "$codename" ]] || skip "the host's release has no code name in /etc/os-release"

# The host's mirror for its release: the first URI of the deb822 stanza whose
# suites include the code name itself, else a one-line sources.list entry.
host_mirror() {
    local file
    for file in /etc/apt/sources.list.d/*.sources; do
        [[ -f "$file" ]] || continue
        awk -v suite="$codename" '
            BEGIN { RS = ""; FS = "\n" }
            {
                uri = ""; hit = 0
                for (i = 1; i <= NF; i++) {
                    if ($i ~ /^URIs:/) { split($i, w, /[ \t]+/); uri = w[2] }
                    if ($i ~ /^Suites:/) {
                        n = split($i, w, /[ \t]+/)
                        for (j = 2; j <= n; j++) if (w[j] == suite) hit = 1
                    }
                }
                if (hit && uri != "") { print uri; exit }
            }' "$file"
    done
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [[ -f "$file" ]] || continue
        # deb [options] URI SUITE COMPONENTS...
        awk -v suite="$codename" '
            { line = $0; sub(/\[[^]]*\]/, "", line); $0 = line }
            $1 == "deb" && $3 == suite { print $2; exit }' "$file"
    done
}
mirror=${SCRIBBLE_DEBIAN_MIRROR:-$(host_mirror | head -n1)}
[[ -n "$mirror" ]] || skip "no Debian mirror for $codename in the host's apt sources"
# wget comes with debootstrap, which uses it too.
wget -q --spider --timeout=20 --tries=2 "$mirror/dists/$codename/InRelease" ||
    skip "the mirror $mirror does not answer for $codename"

mkdir -p "$work"
work=$(readlink -f "$work")

# --- The package -------------------------------------------------------------------

log=$work/package.log
folder=$(PACKAGE_BUILD_DIR=$work/build "$source_dir/scripts/package" 2>"$log") || {
    cat "$log" >&2
    fail "scripts/package failed"
}
debs=("$folder"/*.deb)
[[ ${#debs[@]} -eq 1 && -f "${debs[0]}" ]] || fail "expected one .deb in $folder, found: ${debs[*]}"
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
arch=$(dpkg --print-architecture)
[[ "${deb##*/}" == "${package}_${version}_${arch}.deb" ]] ||
    fail "the package is named ${deb##*/}, not ${package}_${version}_${arch}.deb"
echo "package: $deb"

# --- A bare Debian root, made once --------------------------------------------------

# The root is kept for the next run only when this one ends well and puts it
# back as debootstrap left it (the downloaded packages aside, to save fetching
# them again); a run that fails or is stopped leaves no mark, and the next one
# makes a new root.
root=$work/root-$codename
clean_mark=$work/root-$codename.clean
in_root() {
    chroot "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        LC_ALL=C DEBIAN_FRONTEND=noninteractive \
        ${http_proxy:+http_proxy=$http_proxy} ${https_proxy:+https_proxy=$https_proxy} "$@"
}
apt_in_root() {
    in_root apt-get -y -q -o Dpkg::Use-Pty=0 "$@" >>"$work/apt.log" 2>&1 || {
        tail -n 80 "$work/apt.log" >&2
        fail "apt-get $* in the Debian root failed"
    }
}
: >"$work/apt.log"
bootstrap_time=cached
if [[ ! -f "$clean_mark" ]]; then
    rm -rf "$root"
    t=$(now)
    debootstrap --variant=minbase "$codename" "$root" "$mirror" >"$work/debootstrap.log" 2>&1 || {
        tail -n 30 "$work/debootstrap.log" >&2
        fail "debootstrap --variant=minbase $codename from $mirror failed"
    }
    bootstrap_time="$(seconds_since "$t") s"
fi
rm -f "$clean_mark"

# Whether dpkg in the root still has any of the package: installed, half
# installed or its configuration files (the second letter of the state is
# n for not installed).
package_in_root() {
    in_root dpkg-query -W -f='${db:Status-Abbrev}' "$package" 2>/dev/null | grep -q '^.[^n]'
}

# --- Install as a fresh machine would ---------------------------------------------

in_root dpkg-query -W -f='${Package}\n' >"$work/packages-before"
t=$(now)
apt_in_root update
cp "$deb" "$root/tmp/"
chmod 0644 "$root/tmp/${deb##*/}"
apt_in_root install --no-install-recommends "/tmp/${deb##*/}"
install_time=$(seconds_since "$t")

status=$(in_root dpkg-query -W -f='${db:Status-Abbrev}' "$package")
[[ "$status" == "ii " ]] || fail "after apt-get install the package's state is '$status'"
in_root dpkg-query -L "$package" >"$work/files"

for path in /usr/games/$package /usr/lib/games/$package/$package \
    /usr/share/games/$package/data/fire.ogg /usr/share/man/man6/$package.6.gz \
    /usr/share/doc/$package/copyright /usr/share/doc/$package/changelog.gz \
    /usr/share/applications/io.github.scribblesquadron.ScribbleSquadron.desktop \
    /usr/share/metainfo/io.github.scribblesquadron.ScribbleSquadron.metainfo.xml \
    /usr/share/icons/hicolor/48x48/apps/$package.png; do
    grep -qxF "$path" "$work/files" && [[ -f "$root$path" ]] || fail "the package does not install $path"
done

# --- Run it as a player --------------------------------------------------------------

# An ordinary user (nobody) with a home of its own; /usr/games on PATH as in
# Debian's default for users.
mkdir -p "$root/tmp/player"
chown 65534:65534 "$root/tmp/player"
result=0
chroot --userspec=65534:65534 "$root" /usr/bin/env -i HOME=/tmp/player LC_ALL=C \
    PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games \
    "$package" --version >"$work/version.out" 2>"$work/version.err" || result=$?
[[ $result -eq 0 ]] ||
    fail "'$package --version' ended with status $result: $(cat "$work/version.out" "$work/version.err")"
line=$(grep -m1 '^Scribble Squadron ' "$work/version.out") ||
    fail "'$package --version' printed no line starting 'Scribble Squadron ': $(cat "$work/version.out")"
[[ " $line " == *" $version "* ]] || fail "'$package --version' says '$line', the package is $version"
# The launcher found the game; and the sounds, which it links in the player's folder.
link=$root/tmp/player/.local/share/$package/data/fire.ogg
[[ -L "$link" && -f "$root$(readlink "$link")" ]] ||
    fail "the launcher did not link the installed sounds into the player's folder"
echo "$package --version: $line"

# --- Remove, purge, and nothing left ------------------------------------------------

apt_in_root remove "$package"
# With no configuration files to keep, dpkg forgets a removed package at once,
# and apt-get purge would no longer find it.
if package_in_root; then
    apt_in_root purge "$package"
fi
! package_in_root || fail "after apt-get remove and purge dpkg still has the package:" \
    "$(in_root dpkg-query -W -f='${db:Status-Abbrev}' "$package")"
left=()
while IFS= read -r path; do
    [[ "$path" != /. ]] || continue
    [[ -e "$root$path" || -L "$root$path" ]] || continue
    # A folder stays when another package owns it too.
    if [[ -d "$root$path" && ! -L "$root$path" ]] && in_root dpkg-query -S "$path" >/dev/null 2>&1; then
        continue
    fi
    left+=("$path")
done <"$work/files"
((${#left[@]} == 0)) || fail "left after apt-get purge: ${left[*]}"

# Back to the root as debootstrap made it, for the next run.
rm -rf "$root/tmp/${deb##*/}" "$root/tmp/player"
apt_in_root autoremove --purge
in_root dpkg-query -W -f='${Package}\n' >"$work/packages-after"
diff "$work/packages-before" "$work/packages-after" >&2 ||
    fail "the root does not have the packages it had before the install (above, < before, > after)"
touch "$clean_mark"

echo "debootstrap: $bootstrap_time; apt-get update and install: $install_time s;" \
    "the whole test: $(seconds_since "$started") s"
echo "PASSED: apt-get install of ${deb##*/} into a bare $codename root, --version, remove and purge"
