#!/bin/sh
# Renders the fixed-size icons from the scalable one. Run after changing the SVG and
# commit the results: the build does not need rsvg-convert (Debian: librsvg2-bin).
set -eu
cd "$(dirname "$0")/hicolor"
for size in 16 32 48 128; do
    mkdir -p "${size}x${size}/apps"
    rsvg-convert -w "$size" -h "$size" -o "${size}x${size}/apps/org.quorvane.Quorvane.png" \
        scalable/apps/org.quorvane.Quorvane.svg
done
