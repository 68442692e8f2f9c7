#!/bin/sh
# Runs a test program in a network namespace of its own that holds one broadcast network: a veth
# pair whose end q0 has 10.77.0.1/24 (broadcast 10.77.0.255), beside loopback. Nothing else on the
# machine hears the broadcasts, and the game's fixed ports are the namespace's own. Where the
# machine cannot give such a namespace the program still runs, and QUILLORY_LAN_UNAVAILABLE says why.
# Usage: private_lan.sh <test program> [arguments]
set -u
if [ -z "${QUILLORY_LAN_INSIDE:-}" ]; then
    export QUILLORY_LAN_INSIDE=1
    # As root a network namespace alone; otherwise one inside a user namespace, where allowed.
    for flags in -n -rn; do
        if unshare $flags true 2>/dev/null; then
            exec unshare $flags sh "$0" "$@"
        fi
    done
    export QUILLORY_LAN_UNAVAILABLE="no private network namespace here: unshare -n and unshare -rn both fail"
    exec "$@"
fi
if ! command -v ip >/dev/null 2>&1; then
    export QUILLORY_LAN_UNAVAILABLE="no ip command (package iproute2) to set up the private network"
elif ! why=$({ ip link set lo up && ip link add q0 type veth peer name q1 &&
    ip address add 10.77.0.1/24 broadcast + dev q0 && ip link set q1 up && ip link set q0 up; } 2>&1); then
    export QUILLORY_LAN_UNAVAILABLE="no broadcast network in the private namespace: $why"
fi
export QUILLORY_LAN_ADDRESS=10.77.0.1 QUILLORY_LAN_BROADCAST=10.77.0.255
exec "$@"
