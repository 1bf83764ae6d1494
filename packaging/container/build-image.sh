#!/usr/bin/env bash
# Builds the container image "deckvane" from the Debian package with Debian
# packages only (mmdebstrap, podman), no registry needed:
#   packaging/container/build-image.sh DEB [CACHE_DIR]
# mmdebstrap makes the Debian 12 slim base from this machine's own apt
# sources; it is kept as CACHE_DIR/bookworm-slim.tar (default: the folder
# of DEB) and imported into podman as localhost/deckvane-base:bookworm-slim,
# on which the Containerfile installs DEB. The packages this machine's apt
# has downloaded already are lent to the build, so they are not fetched
# again. Prints the image's name. Exit 3 when podman cannot start containers
# on this machine.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
deb=$(realpath "${1:?usage: build-image.sh DEB [CACHE_DIR]}")
cache=${2:-$(dirname "$deb")}
image=localhost/deckvane:latest
base=localhost/deckvane-base:bookworm-slim
for tool in mmdebstrap podman; do
    command -v "$tool" >/dev/null ||
        { echo "build-image: $tool is missing (Debian package $tool)" >&2; exit 1; }
done
mkdir -p "$cache"

tarball="$cache/bookworm-slim.tar"
if [[ ! -s "$tarball" ]]; then
    sources=()
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
        [[ -s "$file" ]] && sources+=("$file")
    done
    # Slim: the minimal base without manuals, documentation and translations,
    # which nothing in a container reads.
    mmdebstrap --variant=minbase --mode=root --format=tar \
        --dpkgopt='path-exclude=/usr/share/man/*' \
        --dpkgopt='path-exclude=/usr/share/doc/*' \
        --dpkgopt='path-include=/usr/share/doc/*/copyright' \
        --dpkgopt='path-exclude=/usr/share/locale/*' \
        --dpkgopt='path-exclude=/usr/share/info/*' \
        bookworm "$tarball.part" "${sources[@]}" >&2
    mv "$tarball.part" "$tarball"
fi
if ! podman image exists "$base" || [[ "$tarball" -nt "$cache/bookworm-slim.imported" ]]; then
    podman import --quiet "$tarball" "$base" >/dev/null
    touch "$cache/bookworm-slim.imported"
fi

# Some machines (sandboxes without CAP_SYS_RESOURCE, cgroup v1 with an empty
# v2 hierarchy) refuse podman's default limits and its default runtime; there
# lower limits and runc do. Found by starting the base; written for the
# podman commands that follow, and for the caller's, as CACHE_DIR/containers.conf.
if ! error=$(podman run --rm --network=none "$base" true 2>&1); then
    cat >"$cache/containers.conf" <<'CONF'
[containers]
default_ulimits = ["nofile=8192:8192", "nproc=8192:8192"]
[engine]
runtime = "runc"
CONF
    export CONTAINERS_CONF="$cache/containers.conf"
    podman run --rm --network=none "$base" true >/dev/null 2>&1 || {
        echo "build-image: podman cannot start a container here: $error" >&2
        exit 3
    }
    echo "build-image: podman needs CONTAINERS_CONF=$CONTAINERS_CONF here ($error)" >&2
else
    rm -f "$cache/containers.conf"
fi

context=$(mktemp -d)
trap 'rm -rf "$context"' EXIT
cp "$here/Containerfile" "$context/"
cp "$deb" "$context/deckvane.deb"
volumes=()
[[ -d /var/cache/apt/archives ]] && volumes=(--volume /var/cache/apt/archives:/var/cache/apt/archives)
previous=$(podman image inspect --format '{{.Id}}' "$image" 2>/dev/null || true)
podman build --quiet --layers=false --network=host "${volumes[@]}" --build-arg "BASE=$base" \
    --tag "$image" "$context" >&2
# The image it replaces would stay behind nameless, a gigabyte each time.
if [[ -n $previous && $previous != "$(podman image inspect --format '{{.Id}}' "$image")" ]]; then
    podman rmi "$previous" >/dev/null 2>&1 || true
fi
echo "$image"
