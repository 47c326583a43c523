# shellcheck shell=bash
# The online scenarios: the maker's server (server/php) behind a private nginx and php-fpm on
# 127.0.0.1, over http (port 80) and https (port 443, a certificate for "localhost" from a test CA
# that the Wine prefix is made to trust), and orvalin.exe built for the site host "localhost"
# (orvalin_localsite). Source it after lib.sh, then call online_begin NAME instead of e2e_begin.
#
#   online_begin NAME           e2e_begin with the localsite exe, the machine-wide server lock,
#                               the CA trusted and the shell's http(s) handler logging to OPENED_LOG;
#                               the program's per-user update record is cleared
#   server_start http|both      starts php-fpm and nginx: port 80 only, or 80 and 443; waits until
#                               they answer
#   server_offer VERSION URL    what check2.php offers from now on (by default the program's own
#                               version, ORV_APP_VERSION)
#   server_stop                 ends both (online_begin's exit does it as well)
#   server_requests             nginx's log of posts so far: "<scheme> POST <path> <status>" per line
#   server_sql QUERY            one column of the database's answer, rows on lines
#   opened_addresses            what the shell was asked to open, one address per line
#   orv_await_check             waits until the program's update check has ended (its menu
#                               item "Update Notifications" is enabled then)
#
# The program posts to http(s)://localhost/php/... on the default ports, so two online scenarios
# must never run at once on this machine, from whatever build folder: online_begin takes
# /tmp/orvalin-e2e-online.lock for the scenario's life. nginx and php-fpm keep every file (config,
# pid, logs, sockets, temporary bodies) in the scenario's state folder and end with it.

: "${ORV_LOCALSITE_EXE:=$(dirname "$ORV_EXE")/tests/e2e/online/orvalin.exe}"
: "${TRUSTCA_EXE:=$(dirname "$ORV_EXE")/tests/e2e/trustca.exe}"
: "${URLLOG_EXE:=$(dirname "$ORV_EXE")/tests/e2e/urllog.exe}"
# The version the program reports: major.minor of the project's version.
: "${ORV_APP_VERSION:=$(sed -nE 's/^project\(Orvalin VERSION ([0-9]+)\.([0-9]+).*/\1.\2/p' "$e2e_repo_dir/CMakeLists.txt")}"

online_server_dir=""
online_pki_dir=""
online_nginx_pid=""
online_fpm_pid=""
online_handler_saved=()
OPENED_LOG=""

online_begin() {
  [[ -f $ORV_LOCALSITE_EXE ]] || fail "orvalin.exe for the local site not found at $ORV_LOCALSITE_EXE"
  ORV_EXE=$ORV_LOCALSITE_EXE
  e2e_begin "$1"
  trap online_end EXIT
  # fd 8: closed for every long-lived child (servers, wine), as lib.sh does with fd 9.
  exec 8>/tmp/orvalin-e2e-online.lock
  if ! flock -n 8; then
    e2e_log "waiting for another online scenario on this machine to end"
    flock 8
  fi
  online_server_dir="$ORV_E2E_STATE/work/$1-server"
  rm -rf "$online_server_dir"
  mkdir -p "$online_server_dir"
  online_make_pki
  wine "$TRUSTCA_EXE" "$(win_path "$online_pki_dir/ca.der")" 8>&- 9>&- ||
    fail "cannot add the test CA to the prefix's Root store"
  wine reg delete 'HKCU\Software\QUENZAL' /f >/dev/null 2>&1 8>&- 9>&- || true
  online_set_browser
}

online_end() {
  local status=$?
  set +e
  ((status == 0)) || e2e_shot_failure
  server_stop
  e2e_kill_wine
  online_restore_browser
  wine reg delete 'HKCU\Software\QUENZAL' /f >/dev/null 2>&1 8>&- 9>&-
  e2e_kill_wine
  (exit "$status")
  e2e_end
}

# The test CA and the server's certificate for DNS:localhost, made once per state folder.
online_make_pki() {
  online_pki_dir="$ORV_E2E_STATE/online-pki"
  [[ -f $online_pki_dir/server.crt && -f $online_pki_dir/ca.der ]] && return 0
  rm -rf "$online_pki_dir"
  mkdir -p "$online_pki_dir"
  (
    cd "$online_pki_dir"
    openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.crt -days 3650 \
      -subj "/CN=Orvalin e2e test CA" -addext "basicConstraints=critical,CA:TRUE" \
      -addext "keyUsage=critical,keyCertSign,cRLSign"
    openssl req -newkey rsa:2048 -nodes -keyout server.key -out server.csr -subj "/CN=localhost"
    printf '%s\n' "subjectAltName=DNS:localhost" "basicConstraints=CA:FALSE" \
      "keyUsage=critical,digitalSignature,keyEncipherment" "extendedKeyUsage=serverAuth" >server.ext
    openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -out server.crt \
      -days 3650 -extfile server.ext
    openssl x509 -in ca.crt -outform DER -out ca.der
  ) >"$ORV_E2E_STATE/online-pki.log" 2>&1 || fail "openssl could not make the test certificates"
}

# The shell opens http and https addresses with urllog.exe, which writes them to OPENED_LOG.
online_set_browser() {
  local scheme key old
  OPENED_LOG="$online_server_dir/opened.txt"
  : >"$OPENED_LOG"
  cp "$URLLOG_EXE" "$online_server_dir/urllog.exe"
  online_handler_saved=()
  for scheme in http https; do
    key="HKLM\\Software\\Classes\\$scheme\\shell\\open\\command"
    old=$(wine reg query "$key" /ve 2>/dev/null 8>&- 9>&- | tr -d '\r' |
      sed -nE 's/^[[:space:]]*\(Default\)[[:space:]]+REG_[A-Z_]+[[:space:]]+(.*)$/\1/p')
    online_handler_saved+=("$key" "$old")
    wine reg add "$key" /ve /d "\"$(win_path "$online_server_dir/urllog.exe")\" \"$(win_path "$OPENED_LOG")\" \"%1\"" \
      /f >/dev/null 2>&1 8>&- 9>&- || fail "cannot register the logging browser for $scheme"
  done
}

online_restore_browser() {
  local i
  for ((i = 0; i < ${#online_handler_saved[@]}; i += 2)); do
    if [[ -n ${online_handler_saved[i + 1]} ]]; then
      wine reg add "${online_handler_saved[i]}" /ve /d "${online_handler_saved[i + 1]}" /f >/dev/null 2>&1 8>&- 9>&-
    else
      wine reg delete "${online_handler_saved[i]}" /ve /f >/dev/null 2>&1 8>&- 9>&-
    fi
  done
  online_handler_saved=()
}

opened_addresses() { tr -d '\r' <"$OPENED_LOG"; }

# --- the server -------------------------------------------------------------------------------

server_offer() {
  cat >"$online_server_dir/orvalin.ini" <<INI
version = $1
url = $2
price = 29.95
database = $online_server_dir/orvalin.sqlite
INI
}

server_start() {
  local mode=$1 dir=$online_server_dir php_root
  php_root=$(cd "$e2e_repo_dir/server" && pwd)
  # By default the server offers the program's own version: no notice.
  [[ -f $dir/orvalin.ini ]] || server_offer "$ORV_APP_VERSION" "https://www.quenzal.example/download/"
  mkdir -p "$dir/nginx-temp"
  cat >"$dir/php-fpm.conf" <<CONF
[global]
pid = $dir/php-fpm.pid
error_log = $dir/php-fpm.log
daemonize = no

[orvalin]
listen = $dir/php-fpm.sock
listen.mode = 0600
pm = static
pm.max_children = 2
clear_env = yes
env[ORVALIN_SERVER_CONFIG] = $dir/orvalin.ini
php_admin_value[error_log] = $dir/php-errors.log
php_admin_flag[log_errors] = on
CONF
  local https_server=""
  if [[ $mode == both ]]; then
    https_server="
    server {
      listen 127.0.0.1:443 ssl;
      server_name localhost;
      ssl_certificate $online_pki_dir/server.crt;
      ssl_certificate_key $online_pki_dir/server.key;
      include $dir/site.conf;
    }"
  fi
  cat >"$dir/site.conf" <<CONF
root $php_root;
location ~ ^/php/(check2|feedback)\.php\$ {
  include /etc/nginx/fastcgi_params;
  fastcgi_param SCRIPT_FILENAME \$document_root\$fastcgi_script_name;
  fastcgi_pass unix:$dir/php-fpm.sock;
}
location / { return 404; }
CONF
  cat >"$dir/nginx.conf" <<CONF
user root;
worker_processes 1;
pid $dir/nginx.pid;
error_log $dir/nginx-error.log;
events { worker_connections 64; }
http {
  log_format requests '\$scheme \$request_method \$uri \$status';
  access_log $dir/requests.log requests;
  client_body_temp_path $dir/nginx-temp/body;
  fastcgi_temp_path $dir/nginx-temp/fastcgi;
  proxy_temp_path $dir/nginx-temp/proxy;
  uwsgi_temp_path $dir/nginx-temp/uwsgi;
  scgi_temp_path $dir/nginx-temp/scgi;
  server {
    listen 127.0.0.1:80;
    server_name localhost;
    include $dir/site.conf;
  }$https_server
}
CONF
  : >"$dir/requests.log"
  php-fpm8.2 --nodaemonize --allow-to-run-as-root --fpm-config "$dir/php-fpm.conf" \
    >>"$dir/php-fpm.log" 2>&1 8>&- 9>&- &
  online_fpm_pid=$!
  nginx -c "$dir/nginx.conf" -p "$dir" -e "$dir/nginx-error.log" -g 'daemon off;' \
    >>"$dir/nginx-error.log" 2>&1 8>&- 9>&- &
  online_nginx_pid=$!
  local scheme schemes=(http)
  [[ $mode == both ]] && schemes+=(https)
  for scheme in "${schemes[@]}"; do
    wait_until 30 server_answers "$scheme" ||
      fail "the test server does not answer on $scheme://localhost/ (see $dir/nginx-error.log, $dir/php-fpm.log)"
  done
  : >"$dir/requests.log"
}

# True once the endpoint answers through php-fpm (an empty GET gets "ERROR method must be POST").
# A server that has ended ends the scenario at once.
server_answers() {
  local answer
  kill -0 "$online_nginx_pid" 2>/dev/null || fail "nginx ended: $(tail -n 3 "$online_server_dir/nginx-error.log")"
  kill -0 "$online_fpm_pid" 2>/dev/null || fail "php-fpm ended: $(tail -n 3 "$online_server_dir/php-fpm.log")"
  answer=$(curl -s --max-time 5 --cacert "$online_pki_dir/ca.crt" "$1://localhost/php/check2.php" 2>/dev/null) &&
    [[ $answer == "ERROR method"* ]]
}

server_stop() {
  local pid
  for pid in "$online_nginx_pid" "$online_fpm_pid"; do
    [[ -n $pid ]] || continue
    kill -TERM "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  online_nginx_pid=""
  online_fpm_pid=""
}

# The start-up probes (GET) may be logged after the log was emptied; the program only posts.
server_requests() { grep -v '^[a-z]* GET ' "$online_server_dir/requests.log" || true; }

server_sql() {
  php -r '$db = new PDO("sqlite:" . $argv[1]);
          foreach ($db->query($argv[2])->fetchAll(PDO::FETCH_COLUMN) as $v) echo $v, "\n";' \
    "$online_server_dir/orvalin.sqlite" "$1"
}

# --- the program ------------------------------------------------------------------------------

orv_await_check() {
  # Menus cannot be read from outside. "Update Notifications" ignores its command until the
  # main window has taken the check's verdict (that enables it, and opens the notice in the same
  # step); once taken, the command switches the item off and writes ShowUpdate=0. Each try is
  # followed by orv_settle, so it has been handled before the registry is read: no second try
  # can switch it back on unseen.
  local deadline=$((SECONDS + 90))
  until [[ $(user_update_value ShowUpdate) == 0 ]]; do
    ((SECONDS < deadline)) || fail "the program did not take the update check's verdict within 90 s"
    drv command "$kCmdUpdateNotifications" >/dev/null || fail "cannot post Update Notifications"
    orv_settle
  done
}

# user_update_value NAME: a value of the program's update record in the registry, "" if none.
user_update_value() {
  wine reg query 'HKCU\Software\QUENZAL\Orvalin\Settings' /v "$1" 2>/dev/null 8>&- 9>&- | tr -d '\r' |
    sed -nE "s/^[[:space:]]*$1[[:space:]]+REG_SZ[[:space:]]*(.*)\$/\1/p"
}

# True when the update notice exists and is hidden (closed).
notice_hidden() { drv_is "1 0" count-class TNewVer; }

# --- the feedback dialog ------------------------------------------------------------------------

FEEDBACK_CAPTION="Orvalin feedback"

# feedback_open: "Send Feedback..." and the dialog, with the keyboard in its message field.
feedback_open() {
  drv command "$kCmdSendFeedback" >/dev/null || fail "cannot post Send Feedback..."
  drv wait-window "$FEEDBACK_CAPTION" 20000 wait-active 10000 >/dev/null || fail "no active feedback dialog"
}

# feedback_choose praise|complaint: a real click on the panel. The panels are drawn, not
# controls: they sit above the heading (id 301), left and right of the middle.
feedback_choose() {
  local x y
  read -r x y <<<"$(drv wait-window "$FEEDBACK_CAPTION" 1000 dlg-center 301)"
  if [[ $1 == praise ]]; then x=$((x - 129)); else x=$((x + 129)); fi
  pointer_to "$x" $((y - 36))
  xdotool click --delay 0 1
}

# feedback_type REF TEXT: types into a field of the dialog (clicked first) and waits until the
# field holds TEXT as the driver prints it (line breaks as \r\n).
feedback_type() {
  local ref=$1 text=$2 expected=$3 xy
  xy=$(drv wait-window "$FEEDBACK_CAPTION" 1000 dlg-center "$ref") || fail "no field $ref in the dialog"
  # shellcheck disable=SC2086  # "x y"
  pointer_to $xy
  xdotool click --delay 0 1
  xdotool type --delay 15 -- "$text"
  wait_until 20 drv_is "$expected" wait-window "$FEEDBACK_CAPTION" 1000 dlg-text "$ref" ||
    fail "typed into field $ref; it holds '$(drv wait-window "$FEEDBACK_CAPTION" 1000 dlg-text "$ref")'"
}

# feedback_shot NAME: the dialog alone.
feedback_shot() {
  local l t r b
  read -r l t r b <<<"$(drv wait-window "$FEEDBACK_CAPTION" 1000 dialog-rect)"
  sleep 0.3  # painting follows the answered messages
  import -window root -crop "$((r - l))x$((b - t))+$l+$t" +repage "$ORV_E2E_ARTEFACTS/$1.png" ||
    fail "screenshot $1 failed"
  e2e_log "screenshot: $ORV_E2E_ARTEFACTS/$1.png"
}

# feedback_send: a real click on Send.
feedback_send() {
  local xy
  xy=$(drv wait-window "$FEEDBACK_CAPTION" 1000 dlg-center Send) || fail "no Send button"
  # shellcheck disable=SC2086  # "x y"
  pointer_to $xy
  xdotool click --delay 0 1
}
