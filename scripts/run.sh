#!/usr/bin/env bash
# Installs what is missing, builds and starts Tamvel. On the first start (no database
# selected yet) a demo database is created in the user's data folder and selected.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
exec build/tamvel --first-run "$@"
