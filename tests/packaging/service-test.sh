#!/usr/bin/env bash
# The watcher's service for real, under systemd as process 1 in a podman
# container, turned on by the README's three commands: a deck copied in
# becomes a page in the index, written by the service's user in its sandbox;
# a deck deleted loses its page; stopped, the service is inactive, not
# failed:  service-test.sh SOURCE_DIR BUILD_DIR
# Exit 77 (skipped), saying why, where podman or systemd cannot run so.
set -euo pipefail
source=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
skip() { echo "skipped: $*"; exit 77; }
fail() {
    echo "FAIL: $*" >&2
    podman exec "$container" journalctl --no-pager -o cat -u 'deckvane-watch@*' 2>&1 | tail -20 >&2 || true
    exit 1
}
for tool in podman mmdebstrap dpkg-deb; do command -v "$tool" >/dev/null || skip "no $tool"; done
[[ $(id -u) -eq 0 ]] || skip "the image is built as root (mmdebstrap, podman import)"
info=$(podman info 2>&1) || skip "podman does not work here: $info"
work=$(mktemp -d)
container=deckvane-service-$$
trap 'podman rm -f "$container" >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

deb=$("$source/packaging/make-deb.sh" "$build" "$work/deb")
# The product image's base, made (once) by build-image.sh; systemd on top.
if [[ ! -f "$build/container/bookworm-slim.imported" ]] ||
    ! podman image exists localhost/deckvane-base:bookworm-slim; then
    status=0
    "$source/packaging/container/build-image.sh" "$deb" "$build/container" >/dev/null || status=$?
    ((status != 3)) || skip "podman cannot start a container on this machine (above)"
    ((status == 0)) || fail "the base image did not build"
fi
[[ -f "$build/container/containers.conf" ]] && export CONTAINERS_CONF="$build/container/containers.conf"
image=localhost/deckvane-systemd:bookworm
cache=()
[[ -d /var/cache/apt/archives ]] && cache=(--volume /var/cache/apt/archives:/var/cache/apt/archives)
if ! podman image exists "$image"; then
    mkdir -p "$work/context"
    cat >"$work/context/Containerfile" <<'EOF'
FROM localhost/deckvane-base:bookworm-slim
RUN apt-get update \
 && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends systemd systemd-sysv \
 && rm -rf /var/lib/apt/lists/*
STOPSIGNAL SIGRTMIN+3
CMD ["/sbin/init"]
EOF
    podman build --quiet --layers=false --network=host "${cache[@]}" --tag "$image" \
        "$work/context" >/dev/null || fail "the image with systemd did not build"
fi
# Privileged, so systemd may set up the service's namespaces (its sandbox)
# rather than skip them, as it does in a container without the right.
podman run -d --name "$container" --privileged --systemd=always --network=host "${cache[@]}" \
    "$image" >/dev/null || skip "systemd does not start in a container here"
inside() { podman exec "$container" sh -c "$1"; }
for _ in $(seq 60); do
    state=$(inside 'systemctl is-system-running' 2>/dev/null || true)
    [[ $state == running || $state == degraded ]] && break
    sleep 1
done
[[ $state == running || $state == degraded ]] || skip "systemd in the container is '$state'"

podman cp "$deb" "$container:/tmp/deckvane.deb"
podman cp "$source/../shared/corpus/basic_test_ppt_file.ppt" "$container:/tmp/first.ppt"
podman cp "$source/../shared/corpus/misc/slide_master.pps" "$container:/tmp/second.pps"
inside 'mkdir -p /srv/talks && cp /tmp/first.ppt /srv/talks/'
# The README's three commands, the first with the fonts the pictures need.
inside 'apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    --no-install-recommends /tmp/deckvane.deb fonts-dejavu-core bubblewrap >/dev/null' ||
    fail "the package did not install"
inside 'echo FOLDER=/srv/talks | tee /etc/deckvane/srv-www-talks.conf >/dev/null'
inside 'systemctl enable --now deckvane-watch@srv-www-talks' 2>/dev/null ||
    fail "the service did not start"

journal() { inside 'journalctl --no-pager -o cat -u deckvane-watch@srv-www-talks'; }
wait_for() { # wait_for WHAT COMMAND: up to three minutes, the machine may be busy
    for _ in $(seq 180); do
        if eval "$2" >/dev/null 2>&1; then return 0; fi
        sleep 1
    done
    fail "$1"
}
wait_for "no line for the deck there at the start" 'journal | grep -qxF /srv/talks/first.pptOK'
inside 'mkdir -p /srv/talks/sub && cp /tmp/second.pps /srv/talks/sub/'
wait_for "no line for the deck copied in" 'journal | grep -qxF /srv/talks/sub/second.ppsOK'
wait_for "the index lacks a page" \
    'inside "cat /srv/www/talks/index-search/*/pages" | cut -f1 | grep -qxF second.htm'
owner=$(inside 'stat -c %U /srv/www/talks/second.htm /srv/www/talks/.deckvane-watch/*.json' | sort -u)
[[ $owner == _deckvane ]] || fail "pages written by '$owner', not the service's user"
user=$(inside 'pid=$(systemctl show -p MainPID --value deckvane-watch@srv-www-talks);
    awk "/^Uid:/ {print \$2}" /proc/$pid/status')
[[ $user == "$(inside 'id -u _deckvane')" ]] || fail "the watcher runs as uid $user"
# Its sandbox: the system read-only, the homes hidden, the output folder
# writable, no network but a loopback.
mounts=$(inside 'pid=$(systemctl show -p MainPID --value deckvane-watch@srv-www-talks);
    cat /proc/$pid/mountinfo; echo; cat /proc/$pid/net/dev')
grep -qE '^[0-9]+ [0-9]+ [0-9:]+ / / ro,' <<<"$mounts" || fail "the system is writable for the service"
grep -qE ' /srv/www/talks rw,' <<<"$mounts" || fail "the output folder is not writable"
grep -qE 'inaccessible.* /home ' <<<"$mounts" || fail "the homes are not hidden"
[[ $(grep -cE '^ *[a-z0-9]+:' <<<"$mounts") -eq 1 ]] || fail "the service has a network"

inside 'rm /srv/talks/first.ppt'
wait_for "the deleted deck's page stays" 'journal | grep -qxF "/srv/talks/first.pptPage removed"'
inside 'test ! -e /srv/www/talks/first.htm && test ! -e /srv/www/talks/first_files' ||
    fail "the page of the deleted deck is still there"
wait_for "the status is not idle" 'inside "cat /srv/www/talks/.deckvane-watch/*.json" | grep -q "\"state\": \"idle\""'
inside 'systemctl stop deckvane-watch@srv-www-talks'
state=$(inside 'systemctl is-active deckvane-watch@srv-www-talks' || true)
[[ $state == inactive ]] || fail "stopped, the service is '$state'"
inside 'cat /srv/www/talks/.deckvane-watch/*.json' | grep -q '"state": "stopped"' ||
    fail "the status does not say stopped"
echo "the service converts, removes and stops under systemd"
