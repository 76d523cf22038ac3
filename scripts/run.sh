#!/usr/bin/env bash
# Installs what is missing, builds, sets up a starter shop on first use and
# starts SalonDesk on the embedded database.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_packages "${BUILD_PACKAGES[@]}"
build_all

PROGRAM_DIR="$BUILD/src"
if [ ! -f "$PROGRAM_DIR/system.ini" ]; then
    "$BUILD/tools/salondesk-setup" "$PROGRAM_DIR"
fi

cd "$PROGRAM_DIR"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "== no display: serving the window over VNC at 127.0.0.1:5900 (connect a VNC viewer there)"
    export QT_QPA_PLATFORM="vnc:size=1280x800:addr=127.0.0.1:port=5900"
fi
exec ./salondesk
