#!/usr/bin/env bash
# Makes a fresh Wine prefix for this run of the end-to-end suite, so that no scenario sees what
# an earlier run left in the registry or on drive C.
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_scenario=prepare_wine_prefix
trap e2e_stop_display EXIT
trap 'exit 143' INT TERM HUP
e2e_prefix_lock
e2e_start_display
start=$SECONDS
e2e_prefix_create
e2e_log "prefix ready in $((SECONDS - start)) s; %APPDATA% is $(cat "$WINEPREFIX/.orvalin-e2e-appdata")"
