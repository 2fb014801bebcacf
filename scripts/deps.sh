#!/bin/sh
# Installs the Debian packages the build, the editor and the tests need (run as root).
set -e
PACKAGES="build-essential cmake libx11-dev libgtest-dev xvfb xdotool xclip x11-utils \
imagemagick openbox rcs universal-ctags ghostscript patch tar make gcc grep vim time enscript \
gnat libxerces2-java-doc desktop-file-utils xfonts-base x11-xkb-utils git diffutils python3"
missing=""
for p in $PACKAGES; do
    dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq $missing >/dev/null
fi
