#!/bin/sh
# Runs a test program in a private D-Bus session with a gnome-keyring of its
# own, unlocked with a throw-away password: a real keychain, never the user's.
set -e
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME="$home" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/run"
mkdir -p "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
dbus-run-session -- sh -c 'printf throwaway | gnome-keyring-daemon --unlock --components=secrets >/dev/null && exec "$@"' keyring "$@"
