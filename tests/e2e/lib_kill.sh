# shellcheck shell=bash
# Killing the program outright in the middle of a write, for the kill_* scenarios. Source it
# after lib.sh and after e2e_begin.
#
#   ORV_KILL_ROUNDS                how many kills a scenario makes (each scenario has a small
#                                  default that keeps the test run short; raise it for a long run)
#   orv_kill [DELAY-MS]            kills the running orvalin.exe with SIGKILL (after DELAY-MS, the
#                                  process looked up first so that the moment is exact), as a
#                                  power cut of the process: no handler, no clean-up of its own;
#                                  returns once the process is gone and Wine has closed its handles
#   orv_kill_after_name PATH DELAY-US SECONDS
#                                  kills it DELAY-US microseconds after PATH appears (a write has
#                                  begun); the moment is kept to a few tens of microseconds by
#                                  polling with shell builtins only; fails when PATH does not
#                                  appear within SECONDS
#   name_lifetime_us PATH SECONDS  waits for PATH to appear and then to go; prints how long it
#                                  was there, in microseconds
#   random_us LOW HIGH
#   random_ms LOW HIGH             a random whole number of milliseconds in [LOW, HIGH]
#   sleep_ms MS
#   bytes_is_one_of FILE CANDIDATE...  true when FILE exists and holds exactly the bytes of one
#                                  of the CANDIDATE files; prints the matching candidate
#   folder_extras DIR EXPECTED...  prints the names in DIR (one a line) that are not EXPECTED:
#                                  whatever a write left behind

# The Linux process that runs orvalin.exe: `wine` execs its loader in place, so it is the
# process orv_start started; checked by its command line so that nothing else is hit.
orv_linux_pid() {
  [[ -n $e2e_app_pid ]] || return 1
  tr '\0' ' ' <"/proc/$e2e_app_pid/cmdline" 2>/dev/null | grep -q 'orvalin\.exe' || return 1
  printf '%s\n' "$e2e_app_pid"
}

orv_kill() {
  local pid
  pid=$(orv_linux_pid) || fail "no orvalin.exe process to kill (pid '${e2e_app_pid:-}')"
  [[ -z ${1:-} ]] || sleep_ms "$1"
  kill -KILL "$pid"
  orv_kill_wait "$pid"
}

orv_kill_wait() {
  wait "$1" 2>/dev/null || true
  e2e_app_pid=""
  # The wineserver closes the dead process's handles once it sees the process go; until then its
  # windows still exist. Gone windows are the sign that it is done.
  wait_until 20 drv_is 0 exists || fail "the main window outlived the killed process by 20 s"
}

# Polls without starting a process (not even a subshell): a started `sleep` alone costs
# milliseconds, longer than a whole small write. EPOCHREALTIME is the shell's own clock; the
# result of a call is left in NOW_US.
now_us() { NOW_US=$((10#${EPOCHREALTIME/./})); }

orv_kill_after_name() {
  local path=$1 delay=$2 pid deadline
  pid=$(orv_linux_pid) || fail "no orvalin.exe process to kill (pid '${e2e_app_pid:-}')"
  now_us
  deadline=$((NOW_US + $3 * 1000000))
  while [[ ! -e $path ]]; do
    now_us
    ((NOW_US < deadline)) || fail "$path did not appear within $3 s"
  done
  now_us
  deadline=$((NOW_US + delay))
  while ((NOW_US < deadline)); do now_us; done
  kill -KILL "$pid"
  orv_kill_wait "$pid"
}

name_lifetime_us() {
  local path=$1 deadline start
  now_us
  deadline=$((NOW_US + $2 * 1000000))
  while [[ ! -e $path ]]; do
    now_us
    ((NOW_US < deadline)) || return 1
  done
  start=$NOW_US
  while [[ -e $path ]]; do
    now_us
    ((NOW_US < deadline)) || return 1
  done
  printf '%s\n' "$((NOW_US - start))"
}

random_us() { printf '%s\n' $(($1 + (RANDOM * 32768 + RANDOM) % ($2 - $1 + 1))); }

random_ms() { printf '%s\n' $(($1 + (RANDOM * 32768 + RANDOM) % ($2 - $1 + 1))); }

sleep_ms() { sleep "$(printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)))"; }

bytes_is_one_of() {
  local file=$1 candidate
  shift
  [[ -f $file ]] || return 1
  for candidate in "$@"; do
    if cmp -s "$file" "$candidate"; then
      printf '%s\n' "$candidate"
      return 0
    fi
  done
  return 1
}

folder_extras() {
  local dir=$1 path name expected found
  shift
  for path in "$dir"/* "$dir"/.[!.]*; do
    [[ -e $path ]] || continue
    name=${path##*/}
    found=""
    for expected in "$@"; do [[ $name == "$expected" ]] && found=1; done
    [[ -n $found ]] || printf '%s\n' "$name"
  done
}
